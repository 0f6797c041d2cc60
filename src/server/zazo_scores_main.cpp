// zazo-scores: the score server. See README "Score server" and --help.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "relay/relay_service.h"
#include "server/http_front.h"
#include "server/local_board.h"
#include "server/replay_check.h"
#include "server/score_service.h"
#include "server/score_store.h"
#include "server/store_sql.h"
#include "system/program_options.h"
#include "system/regular_file.h"

namespace {

// A regular file's bytes (never a pipe or device to hang on); false with
// *reason.
bool ReadFile(const std::string& path, size_t maxBytes, std::string* out, std::string* reason) {
  std::vector<uint8_t> bytes;
  const char* why = nullptr;
  if (!ReadRegularFile(path.c_str(), maxBytes, bytes, &why)) {
    *reason = why ? why : "cannot be read";
    return false;
  }
  out->assign(bytes.begin(), bytes.end());
  return true;
}

struct TOptions {
  TFrontOptions front;
  TCheckLimits checks;
  std::string db, pidFile, replayFile, secretFile, boardName = "Zazo Puzzle";
  int checkBudgetSeconds = 120;
  bool localBoard = false;
  TRelayOptions relay;  // the relay for online matches
  bool noRelay = false;
};

}  // namespace

int main(int argc, char** argv) {
  BlockStopSignals();
  TOptions o;
  o.front.port = kLocalBoardPort;
  o.front.ratePerMinute = 120;
  const unsigned cores = std::thread::hardware_concurrency();
  o.checks.concurrent = cores > 1 ? static_cast<int>(cores) - 1 : 1;
  long replaySeconds = 30, replayFrames = 2000000;
  std::string assets;

  CLI::App app{"zazo-scores: the Zazo Puzzle score board (see README \"Score server\")",
               "zazo-scores"};
  AddVersionOption(app, "zazo-scores");
  // An option given twice takes its last value (a service file's options
  // can be overridden after them).
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_option("--db", o.db, "where entries are kept: sqlite:PATH or postgresql://...")
      ->type_name("URL");
  app.add_flag("--local-board", o.localBoard,
               "the game's local board: the per-user database (and scores.pid beside it), no "
               "rate limit, stop after 15 minutes without requests, a reproducing replay "
               "verifies without a challenge");
  app.add_option("--listen", o.front.listen, "address to bind (IPv4 or IPv6)")
      ->capture_default_str();
  app.add_option("--port", o.front.port, "port (0: any free one)")
      ->check(CLI::Range(0, 65535))
      ->capture_default_str();
  app.add_option("--threads", o.front.threads, "threads answering requests")
      ->check(CLI::Range(1, 256))
      ->capture_default_str();
  CLI::Option* rate =
      app.add_option("--rate-limit", o.front.ratePerMinute,
                     "requests per client address and minute, 0 = none (default 120; "
                     "--local-board: 0)")
          ->check(CLI::Range(0, 1000000));
  CLI::Option* idle = app.add_option("--idle-exit", o.front.idleExitSeconds,
                                     "stop after this long without requests (default never; "
                                     "--local-board: 900)")
                          ->check(CLI::Range(0, 100000000));
  app.add_option("--replay-seconds", replaySeconds, "wall-clock limit of one replay check")
      ->check(CLI::Range(1, 3600))
      ->capture_default_str();
  app.add_option("--replay-frames", replayFrames, "frame limit of one replay file")
      ->check(CLI::Range(1, 100000000))
      ->capture_default_str();
  app.add_option("--check-threads", o.checks.concurrent, "replay checks run at once")
      ->check(CLI::Range(1, 256))
      ->capture_default_str();
  app.add_option("--check-queue", o.checks.queue,
                 "replay checks waiting for their turn; beyond: 503 with Retry-After")
      ->check(CLI::Range(0, 1024))
      ->capture_default_str();
  CLI::Option* budget =
      app.add_option("--check-budget", o.checkBudgetSeconds,
                     "seconds of replay checking one client address may use per ten minutes, "
                     "0 = none (default 120; --local-board: 0)")
          ->check(CLI::Range(0, 1000000));
  app.add_option("--max-connections", o.front.maxConnections, "connections open at once")
      ->check(CLI::Range(1, 100000))
      ->capture_default_str();
  CLI::Option* perAddress =
      app.add_option("--address-connections", o.front.perAddressConnections,
                     "connections open at once from one client address (default 64; with "
                     "--trust-proxy: --max-connections, every connection being the proxy's)")
          ->check(CLI::Range(1, 100000));
  app.add_option("--request-timeout", o.front.requestSeconds,
                 "seconds a request (headers and body) may take to arrive")
      ->check(CLI::Range(1, 3600))
      ->capture_default_str();
  app.add_option("--idle-timeout", o.front.idleSeconds,
                 "seconds a keep-alive connection may stay silent")
      ->check(CLI::Range(1, 3600))
      ->capture_default_str();
  app.add_flag("--trust-proxy", o.front.trustProxy,
               "behind our own proxy: the client address is its X-Real-IP header");
  app.add_option("--secret-file", o.secretFile,
                 "file holding the secret the daily seeds come from (default: one made once "
                 "and kept in the database)");
  app.add_option("--board-name", o.boardName, "the board's name in /score/api/board")
      ->capture_default_str();
  app.add_option("--pid-file", o.pidFile, "write the process id there while serving");
  app.add_option("--replay", o.replayFile,
                 "check and store this replay once listening; when the port is taken, send it "
                 "to the server there instead");
  app.add_option("--relay-port", o.relay.port,
                 "UDP port of the relay for online matches (0: any free port)")
      ->check(CLI::Range(0, 65535))
      ->capture_default_str();
  app.add_option("--relay-listen", o.relay.listen, "address the relay binds")
      ->capture_default_str();
  app.add_option("--relay-host", o.relay.publicHost,
                 "the relay's host as the board names it to players (default: the board's own "
                 "host)");
  app.add_flag("--no-relay", o.noRelay, "no relay (the local board never runs one)");
  app.add_option("--assets", assets, "no longer used (replay checks need no pictures)")->group("");
  // --help and --version answer here, before anything is opened.
  if (const int status = ParseProgramOptionsOrExit(app, argc, argv); status >= 0) return status;
  if (!assets.empty())
    std::fprintf(stderr, "zazo-scores: --assets is no longer used and will go; drop it\n");
  if (o.localBoard) {
    if (rate->count() == 0) o.front.ratePerMinute = 0;
    if (idle->count() == 0) o.front.idleExitSeconds = 15 * 60;
    if (budget->count() == 0) o.checkBudgetSeconds = 0;
  }
  if (o.front.trustProxy && perAddress->count() == 0)
    o.front.perAddressConnections = o.front.maxConnections;
  o.checks.maxFrames = static_cast<uint64_t>(replayFrames);
  o.checks.maxMillis = static_cast<uint32_t>(replaySeconds * 1000);
  o.front.uploadThreads = o.checks.concurrent + o.checks.queue;
  o.front.uploadQueue = 0;  // the checks' own queue is the one that waits

  if (o.db.empty()) {
    if (!o.localBoard) {
      std::fprintf(stderr,
                   "zazo-scores: --db is missing: give --db sqlite:PATH or "
                   "--db postgresql://USER@HOST/NAME (or --local-board for the game's own "
                   "board in the per-user folder)\n");
      return 2;
    }
    const std::string path = LocalBoardDatabasePath();
    if (path.empty()) {
      std::fprintf(stderr, "zazo-scores: no home folder for the local board's database\n");
      return 2;
    }
    o.db = "sqlite:" + path;
    // The game's tests find the board it started by this file.
    if (o.pidFile.empty()) o.pidFile = path.substr(0, path.rfind('/') + 1) + "scores.pid";
  }

  TServiceOptions serviceOptions;
  serviceOptions.localBoard = o.localBoard;
  serviceOptions.boardName = o.boardName;
  serviceOptions.checkMillisPerAddress = int64_t{o.checkBudgetSeconds} * 1000;
  if (!o.secretFile.empty()) {
    std::string why;
    if (!ReadFile(o.secretFile, 4096, &serviceOptions.secret, &why)) {
      std::fprintf(stderr, "zazo-scores: --secret-file %s: %s\n", o.secretFile.c_str(),
                   why.c_str());
      return 2;
    }
    while (!serviceOptions.secret.empty() &&
           (serviceOptions.secret.back() == '\n' || serviceOptions.secret.back() == '\r'))
      serviceOptions.secret.pop_back();
    if (serviceOptions.secret.size() < 16) {
      std::fprintf(stderr,
                   "zazo-scores: --secret-file %s: the secret needs 16 characters or more\n",
                   o.secretFile.c_str());
      return 2;
    }
  }

  std::string replay, why;
  if (!o.replayFile.empty() && !ReadFile(o.replayFile, kMaxReplayBytes, &replay, &why)) {
    LogLine("cannot read the replay " + o.replayFile + ": " + why);
    o.replayFile.clear();
  }

  // The database's connections are shared by every table kept there.
  std::shared_ptr<TSqlConnections> database;
  std::unique_ptr<TScoreStore> store;
  try {
    database = OpenSqlDatabase(o.db, o.front.threads + o.checks.concurrent);
    store = MakeSqlScoreStore(database);
  } catch (const TStoreError& e) {
    LogLine(e.what());
    return 1;
  }
  std::unique_ptr<TReplayChecker> checker = MakeGameReplayChecker(o.checks);
  TScoreService service(
      *store, *checker, LogLine, [] { return time(nullptr); }, serviceOptions);

  // Online matches meet through the relay; the board serves on without it
  // when it cannot start.
  TRelayService relayService;
  std::string relayError;
  if (!o.noRelay && !o.localBoard &&
      !relayService.Start(o.relay, o.db, *checker, service, LogLine, &relayError))
    LogLine("no relay: " + relayError);

  const auto onListening = [&](int port) {
    if (!o.pidFile.empty()) {
      if (FILE* f = std::fopen(o.pidFile.c_str(), "w")) {
        std::fprintf(f, "%d\n", static_cast<int>(getpid()));
        std::fclose(f);
      }
    }
    LogLine("listening on " + o.front.listen + ":" + std::to_string(port));
    if (!replay.empty()) {
      TWebRequest req;
      req.method = "POST";
      req.path = "/score/api/replay";
      req.body = replay;
      req.client = "local";
      const TWebReply reply = service.Handle(req);
      LogLine("replay " + o.replayFile + ": " + std::to_string(reply.status));
    }
  };
  bool bindFailed = false;
  const int rc = ServeScores(service, *checker, o.front, onListening, &bindFailed);
  if (bindFailed && !replay.empty()) {
    // Another server holds the port (the local board already running):
    // hand it the replay.
    std::string answer;
    const int status = SendReplay(o.front.port, replay, &answer);
    LogLine("replay " + o.replayFile + " sent to the running server: " + std::to_string(status) +
            (status == 200 ? "" : " " + answer));
    return status == 200 ? 0 : 1;
  }
  if (bindFailed) {
    // The game starts the board at every registration: one already there
    // is what it wanted. (The pid file is the running server's: left alone.)
    if (o.localBoard)
      LogLine("the local board already listens on port " + std::to_string(o.front.port));
    return o.localBoard ? 0 : rc;
  }
  relayService.Stop();
  if (!o.pidFile.empty()) unlink(o.pidFile.c_str());
  LogLine("stopped");
  return rc;
}

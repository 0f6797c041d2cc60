// zazo-scores: the score server. See README "Score server" and --help.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "relay/relay_service.h"
#include "server/http_front.h"
#include "server/local_board.h"
#include "server/replay_check.h"
#include "server/score_service.h"
#include "server/score_store.h"
#include "system/program_env.h"

namespace {

const char kUsage[] =
    "usage: zazo-scores [options]\n"
    "  --db sqlite:PATH | postgresql://...  where entries are kept (default: the local board's\n"
    "                                 per-user file)\n"
    "  --listen ADDRESS               address to bind (default 127.0.0.1)\n"
    "  --port N                       port (default 47650)\n"
    "  --threads N                    requests answered at once (default 8)\n"
    "  --rate-limit N                 requests per client address and minute, 0 = none\n"
    "                                 (default 120)\n"
    "  --idle-exit SECONDS            stop after this long without requests (default never)\n"
    "  --assets DIR                   folder holding graph/ and system/ for replay checks\n"
    "                                 (default: the program's folder)\n"
    "  --replay-seconds N             wall-clock limit of one replay check (default 30)\n"
    "  --replay-frames N              frame limit of one replay check (default 2000000)\n"
    "  --pid-file PATH                write the process id there while serving\n"
    "  --local-board                  the game's local board: the per-user database (and\n"
    "                                 scores.pid beside it), no rate limit, stop after 15\n"
    "                                 minutes without requests\n"
    "  --replay FILE                  check and store this replay once listening; when the\n"
    "                                 port is taken, send it to the server there instead\n"
    "  --relay-port N                 UDP port of the relay for online matches (default 47652,\n"
    "                                 0: any free port)\n"
    "  --relay-listen ADDRESS         address the relay binds (default 0.0.0.0)\n"
    "  --relay-host HOST              the relay's host as the board names it to players\n"
    "                                 (default: the board's own host)\n"
    "  --no-relay                     no relay (the local board never runs one)\n";

bool IsDir(const std::string& p) {
  return access(p.c_str(), R_OK | X_OK) == 0;
}

// The program's folder when it holds graph/ (a build or a portable copy),
// else the installed game's data folder beside bin/.
std::string DefaultAssets() {
  const std::string dir = ProgramFolder();
  const std::string installed = dir + InstalledDataFromProgram();
  if (!IsDir(dir + "graph") && IsDir(installed + "graph")) return installed;
  return dir;
}

bool ParseInt(const char* s, long lo, long hi, long* out) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(s, &end, 10);
  if (errno || end == s || *end || v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool ReadFile(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  *out = ss.str();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  BlockStopSignals();
  TFrontOptions front;
  front.port = kLocalBoardPort;
  front.ratePerMinute = 120;
  std::string db, assets = DefaultAssets(), pidFile, replayFile;
  long replaySeconds = 30, replayFrames = 2000000;
  bool localBoard = false, relayOn = true;
  TRelayOptions relay;
  for (int i = 1; i < argc; i++) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    long v = 0;
    auto number = [&](long lo, long hi) {
      if (!hasValue || !ParseInt(argv[++i], lo, hi, &v)) {
        std::fprintf(stderr, "zazo-scores: %s needs a number from %ld to %ld\n", a.c_str(), lo, hi);
        std::exit(2);
      }
      return v;
    };
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--local-board") {
      localBoard = true;
      front.ratePerMinute = 0;
      front.idleExitSeconds = 15 * 60;
    } else if (a == "--db" && hasValue) {
      db = argv[++i];
    } else if (a == "--listen" && hasValue) {
      front.listen = argv[++i];
    } else if (a == "--assets" && hasValue) {
      assets = argv[++i];
      if (!assets.empty() && assets.back() != '/') assets += '/';
    } else if (a == "--pid-file" && hasValue) {
      pidFile = argv[++i];
    } else if (a == "--replay" && hasValue) {
      replayFile = argv[++i];
    } else if (a == "--port") {
      front.port = static_cast<int>(number(1, 65535));
    } else if (a == "--threads") {
      front.threads = static_cast<int>(number(1, 256));
    } else if (a == "--rate-limit") {
      front.ratePerMinute = static_cast<int>(number(0, 1000000));
    } else if (a == "--idle-exit") {
      front.idleExitSeconds = static_cast<int>(number(0, 100000000));
    } else if (a == "--replay-seconds") {
      replaySeconds = number(1, 3600);
    } else if (a == "--relay-port") {
      relay.port = static_cast<int>(number(0, 65535));
    } else if (a == "--relay-listen" && hasValue) {
      relay.listen = argv[++i];
    } else if (a == "--relay-host" && hasValue) {
      relay.publicHost = argv[++i];
    } else if (a == "--no-relay") {
      relayOn = false;
    } else if (a == "--replay-frames") {
      replayFrames = number(1, 100000000);
    } else {
      std::fprintf(stderr, "zazo-scores: unknown option %s\n%s", a.c_str(), kUsage);
      return 2;
    }
  }
  if (db.empty()) {
    const std::string path = LocalBoardDatabasePath();
    if (path.empty()) {
      std::fprintf(stderr, "zazo-scores: no --db given and no home folder for the local board\n");
      return 2;
    }
    db = "sqlite:" + path;
    // The game's tests find the board it started by this file.
    if (localBoard && pidFile.empty()) pidFile = path.substr(0, path.rfind('/') + 1) + "scores.pid";
  }

  std::string replay;
  if (!replayFile.empty() && !ReadFile(replayFile, &replay)) {
    LogLine("cannot read the replay " + replayFile + ": " + std::strerror(errno));
    replayFile.clear();
  }

  std::unique_ptr<TScoreStore> store;
  try {
    store = OpenScoreStore(db, front.threads);
  } catch (const TStoreError& e) {
    LogLine(e.what());
    return 1;
  }
  const unsigned cores = std::thread::hardware_concurrency();
  std::unique_ptr<TReplayChecker> checker =
      MakeGameReplayChecker(static_cast<uint64_t>(replayFrames),
                            static_cast<uint32_t>(replaySeconds * 1000), cores ? cores : 1);
  TScoreService service(*store, *checker, LogLine);
  // Online matches meet through the relay; the board serves on without it
  // when it cannot run.
  TRelayService relayService;
  std::string relayError;
  if (relayOn && !localBoard &&
      !relayService.Start(relay, db, *checker, service, LogLine, &relayError))
    LogLine("no relay: " + relayError);

  const auto onListening = [&] {
    if (!pidFile.empty()) {
      if (FILE* f = std::fopen(pidFile.c_str(), "w")) {
        std::fprintf(f, "%d\n", static_cast<int>(getpid()));
        std::fclose(f);
      }
    }
    LogLine("listening on " + front.listen + ":" + std::to_string(front.port));
    if (!replay.empty()) {
      TWebRequest req;
      req.method = "POST";
      req.path = "/score/api/replay";
      req.body = replay;
      const TWebReply reply = service.Handle(req);
      LogLine("replay " + replayFile + ": " + std::to_string(reply.status) + " " + reply.body);
    }
  };
  bool bindFailed = false;
  const int rc = ServeScores(service, front, onListening, &bindFailed);
  if (bindFailed && !replay.empty()) {
    // Another server holds the port (the local board already running):
    // hand it the replay.
    std::string answer;
    const int status = SendReplay(front.port, replay, &answer);
    LogLine("replay " + replayFile + " sent to the running server: " + std::to_string(status) +
            " " + answer);
    return status == 200 ? 0 : 1;
  }
  if (bindFailed) {
    // The game starts the board at every registration: one already there
    // is what it wanted. (The pid file is the running server's: left alone.)
    if (localBoard)
      LogLine("the local board already listens on port " + std::to_string(front.port));
    return localBoard ? 0 : rc;
  }
  relayService.Stop();
  if (!pidFile.empty()) unlink(pidFile.c_str());
  LogLine("stopped");
  return rc;
}

// zazo-bench-scores: the score server's figures, one "name value" line each.
//   registrations_per_s_STORE   GET /score/?mode=reg handled end to end in the
//                               process (signature check, store, entry page
//                               with the hundred around it), distinct entries,
//                               one thread
//   replay_checks_per_s         SummarizeReplay of one replay file (--replay)
//   replay_uploads_per_s_STORE  POST /score/api/replay of that file (check,
//                               verified store, answer)
// Usage: zazo-bench-scores [--pg postgresql://...] [--replay FILE] [--count N]
// bench/scores/run.sh runs it on one core with a throw-away PostgreSQL.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "score/score_signature.h"
#include "server/replay_check.h"
#include "server/score_service.h"
#include "server/score_store.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double Registrations(TScoreStore& store, TReplayChecker& checker, int count) {
  TScoreService service(
      store, checker, [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < count; i++) {
    char date[32], text[64], sig[33];
    std::snprintf(date, sizeof date, "2024%02d%02d%02d%02d%02d", 1 + i / 2419200 % 12,
                  1 + i / 86400 % 28, i / 3600 % 24, i / 60 % 60, i % 60);
    MakeScoreText(text, sizeof text, date, (i * 7919) % 100000000, 1 + i % 99, 61);
    SignScoreText(text, 33, sig);
    const TWebReply r = service.Handle(
        {"GET", "/score/", {{"mode", "reg"}, {"score", text}, {"p", sig}}, "", false});
    if (r.status != 200) {
      std::fprintf(stderr, "registration %d answered %d\n", i, r.status);
      std::exit(1);
    }
  }
  return count / Seconds(t0);
}

double Uploads(TScoreStore& store, TReplayChecker& checker, const std::string& replay, int count) {
  TScoreService service(
      store, checker, [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < count; i++) {
    const TWebReply r = service.Handle({"POST", "/score/api/replay", {}, replay, false});
    if (r.status != 200) {
      std::fprintf(stderr, "replay upload answered %d: %s\n", r.status, r.body.c_str());
      return 0;
    }
  }
  return count / Seconds(t0);
}

}  // namespace

int main(int argc, char** argv) {
  std::string pg, replayPath;
  int count = 2000;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--pg")
      pg = argv[i + 1];
    else if (a == "--replay")
      replayPath = argv[i + 1];
    else if (a == "--count")
      count = std::atoi(argv[i + 1]);
  }
  std::string replay;
  if (!replayPath.empty()) {
    std::ifstream in(replayPath, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    replay = ss.str();
  }
  std::unique_ptr<TReplayChecker> checker = MakeGameReplayChecker(TCheckLimits{});

  char dir[] = "/tmp/zazo-bench-scores-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  const std::string sqlitePath = std::string(dir) + "/scores.sqlite";
  try {
    std::unique_ptr<TScoreStore> sqlite = OpenSqliteStore(sqlitePath);
    std::printf("registrations_per_s_sqlite %.0f\n", Registrations(*sqlite, *checker, count));
    if (!pg.empty()) {
      std::unique_ptr<TScoreStore> postgres = OpenPostgresStore(pg, 1);
      std::printf("registrations_per_s_postgres %.0f\n", Registrations(*postgres, *checker, count));
    }
    if (!replay.empty()) {
      const int checks = 5;
      const auto t0 = std::chrono::steady_clock::now();
      for (int i = 0; i < checks; i++) {
        const TReplayCheck c = checker->Check(replay);
        if (c.status != TReplayCheck::kOk) {
          std::fprintf(stderr, "replay check: %s\n", c.message.c_str());
          break;
        }
      }
      std::printf("replay_checks_per_s %.2f\n", checks / Seconds(t0));
      std::printf("replay_uploads_per_s_sqlite %.2f\n", Uploads(*sqlite, *checker, replay, checks));
      if (!pg.empty()) {
        std::unique_ptr<TScoreStore> postgres = OpenPostgresStore(pg, 1);
        std::printf("replay_uploads_per_s_postgres %.2f\n",
                    Uploads(*postgres, *checker, replay, checks));
      }
    }
  } catch (const TStoreError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  std::remove(sqlitePath.c_str());
  std::remove((sqlitePath + "-wal").c_str());
  std::remove((sqlitePath + "-shm").c_str());
  rmdir(dir);
  return 0;
}

#include "server/server_test_util.h"

#include <libpq-fe.h>

#include <atomic>
#include <cstdio>
#include <vector>

#include "app/main.h"
#include "game/dealt_start.h"
#include "replay/replay_file_reader.h"
#include "replay/replay_file_writer.h"
#include "replay/replay_format.h"
#include "replay/replay_host.h"
#include "replay/replay_player.h"

std::unique_ptr<TScoreStore> FreshStore(const std::string& kind, int connections) {
  static std::atomic<int> serial{0};
  if (kind == "sqlite") {
    char dir[] = "/tmp/zazo-store-XXXXXX";
    if (!mkdtemp(dir)) return nullptr;
    return OpenSqliteStore(std::string(dir) + "/scores" + std::to_string(serial++) + ".sqlite");
  }
  const char* pg = std::getenv("ZAZO_TEST_PG");
  if (!pg || !*pg) return nullptr;
  PGconn* c = PQconnectdb(pg);
  if (PQstatus(c) == CONNECTION_OK)
    PQclear(
        PQexec(c, "SET client_min_messages = warning; DROP TABLE IF EXISTS scores, board_secrets"));
  PQfinish(c);
  return OpenPostgresStore(pg, connections);
}

std::string RedealReplay(const std::string& text, uint32_t seed, bool changeWord) {
  std::vector<TReplayGame> games;
  int line = 0;
  std::string error;
  if (ParseReplayFile(text, 1u << 30, &games, &line, &error) != TReplayParseError::kNone ||
      games.empty())
    return "";
  TReplayGame& game = games[0];
  const TSeededGenerators dealt = SeededGenerators(seed);
  game.start.mt = dealt.mt;
  game.start.lcgState = dealt.lcgState;
  game.start.mtDraws = dealt.mtDraws;
  game.start.lcgDraws = dealt.lcgDraws;
  if (changeWord) {
    uint32_t words[TMt19937::kN];
    std::copy(dealt.mt.Words(), dealt.mt.Words() + TMt19937::kN, words);
    words[300] ^= 0x10000u;
    game.start.mt.SetState(words, dealt.mt.Position());
  }
  // Played again from the new start: the result the live game would show.
  TReplayHost host;
  auto form = std::make_unique<TMainForm>(host);
  form->LoadAssets();
  TReplayPlayer player(game, *form, host);
  player.Start();
  while (!player.Done()) player.Step();
  auto end = std::make_unique<TGameState>();
  end->Take(*form);
  std::unique_ptr<char[]> scratch(new char[kStateTextMax]);
  TReplayResult result;
  result.score = player.finalScore;
  result.level = player.finalLevel;
  std::snprintf(result.scoreText, sizeof result.scoreText, "%s", host.scoreText);
  std::snprintf(result.signature, sizeof result.signature, "%s", host.signature);
  StateDigest(*end, scratch.get(), result.digest);

  std::vector<TReplayGameView> views(games.size());
  for (size_t i = 0; i < games.size(); i++) {
    views[i].start = &games[i].start;
    views[i].localTime = games[i].localTime;
    views[i].clocks = games[i].clocks;
    views[i].inputs = games[i].inputs;
    views[i].music = games[i].music;
    views[i].result = i == 0 ? result : games[i].result;
  }
  return FormatReplayFile(views);
}

std::string CorpusReplay(const char* name) {
  std::string text, error;
  ReadReplayFileText((std::string(ZAZO_SOURCE_DIR "/fuzz/corpus/replay_file/") + name).c_str(),
                     4u << 20, &text, &error);
  return text;
}

// Shared by the score server's tests: signed score texts, the stores under
// test (SQLite always, PostgreSQL when ZAZO_TEST_PG names a database), a fake
// replay check.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "score/score_signature.h"
#include "server/replay_check.h"
#include "server/score_store.h"

// A valid score text for 2024-07-03 20:05:SS with the given score and level.
inline std::string ScoreText(int score, int level = 12, int second = 9, int fps = 61) {
  char text[64];
  char dateTime[32];
  std::snprintf(dateTime, sizeof dateTime, "202407032005%02d", second % 60);
  MakeScoreText(text, sizeof text, dateTime, score, level, fps);
  return text;
}

inline std::string Sign(const std::string& text) {
  char sig[33];
  SignScoreText(text.data(), text.size(), sig);
  return sig;
}

// A fresh store of the kind named: "sqlite" (a new file in a temporary
// folder) or "postgres" (the database of ZAZO_TEST_PG, emptied first).
// nullptr when that kind is not available here.
std::unique_ptr<TScoreStore> FreshStore(const std::string& kind, int connections = 4);

// Answers every check with what it was given.
class TFakeReplayChecker : public TReplayChecker {
 public:
  TReplayCheck result;
  std::string lastText;
  TReplayCheck Check(std::string_view text) override {
    lastText.assign(text);
    return result;
  }
};

// A reproduced single-player game ending with this score text.
inline TCheckedGame SingleGame(const std::string& text) {
  TCheckedGame g;
  g.mode = "single";
  g.scoreText = text;
  g.signature = Sign(text);
  g.score = std::atoi(text.substr(14, 8).c_str());
  g.level = std::atoi(text.substr(22, 8).c_str());
  return g;
}

// The replay text with its (first) game's generators replaced by those seed
// deals, played again headless and its result line recomputed: a replay as
// a game played for that seed would have written it. With changeWord, one
// MT19937 word of the dealt start is changed before the run: a replay whose
// dice were chosen by the uploader. "" when the text is not a replay.
std::string RedealReplay(const std::string& text, uint32_t seed, bool changeWord = false);

// A replay file's bytes from the fuzz corpus ("" when missing).
std::string CorpusReplay(const char* name);

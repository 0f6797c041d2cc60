// The input script of the harness (zazo-replay SCRIPT): inputs listed by
// hand, one directive per line, '#' starts a comment. Not the replay file
// (.zzr) a game records (src/replay/replay_format.h).
//
//   seed mt S | seed lcg S | best N | time YYYYMMDDHHNNSS
//   at F key K [alt] | at F move X Y | at F down left|right|middle X Y
//   run F
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "score/best_score_file.h"

struct TScriptEvent {
  enum TKind { kKey, kMove, kDown };
  int32_t frame = 0;  // delivered before this frame runs (>= 1)
  TKind kind = kKey;
  int32_t key = 0;     // kKey: virtual-key code
  bool alt = false;    // kKey: Alt held
  int32_t button = 0;  // kDown: 0 left, 1 right, 2 middle
  int32_t x = 0;       // kMove, kDown
  int32_t y = 0;
};

struct TInputScript {
  uint32_t seedMt = 5489;
  uint32_t seedLcg = 0;
  int32_t best = kDefaultBestScore;
  std::string time = "20000101000000";
  int32_t frames = 0;                // the largest F of the run directives
  std::vector<TScriptEvent> events;  // in file order
};

// Parses script text. On success returns true. On the first malformed line
// returns false and sets *error to "line N: what is wrong".
bool ParseInputScript(std::string_view text, TInputScript* script, std::string* error);

// The headless check of a replay file: every game run again from its start
// state, and what it ends with compared with what the file says the live
// game ended with. What the score server calls.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/dealt_start.h"

struct TReplayGameSummary {
  std::string mode;   // "single", "advanced", "versus2" or "versusai"
  int32_t score = 0;  // final score of the game
  int32_t level = 0;  // final level
  std::string
      scoreText;  // the score text exactly as the score widget shows it; "-" for versus games
  std::string signature;    // the signature exactly as the widget shows it; "-" for versus games
  TSeededGenerators start;  // the generators at the game's first frame
};

struct TReplayLimits {
  uint64_t maxFrames = 2'000'000;  // frames over all games of the file; beyond: kOverLimit
  uint32_t maxMillis = 30'000;     // wall-clock budget of the whole run; beyond: kOverLimit
  // When set and true, the run gives up (kOverLimit) at its next look at the
  // clock: a server that is stopping.
  const std::atomic<bool>* stop = nullptr;
};

enum class TReplayStatus { kOk, kMalformed, kWrongVersion, kNotReproduced, kOverLimit };

struct TReplaySummary {
  TReplayStatus status = TReplayStatus::kOk;
  int line = 0;         // kMalformed: the 1-based line at fault
  std::string message;  // a clear reason for every status but kOk
  std::vector<TReplayGameSummary> games;
};

// Runs every game of a replay file's text headless from its snapshot; never
// crashes or allocates without bound on hostile input. Thread-safe across
// calls (each call owns its own game object), so a server can run checks
// concurrently.
//
// The pictures are not needed to decide a game (nothing in the rules reads a
// pixel), so the run draws into empty sheets and reads no file.
TReplaySummary SummarizeReplay(std::string_view text, const TReplayLimits& limits);

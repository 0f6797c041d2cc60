// The replay check the server runs on an uploaded replay file: the game
// played headless from the file, every game's final score text and signature.
// Behind an interface so the request handlers can be tested with a fake.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "game/dealt_start.h"

struct TCheckedGame {
  std::string mode;  // "single", "advanced", "versus2" or "versusai"
  int32_t score = 0;
  int32_t level = 0;
  std::string scoreText;    // "-" for versus games
  std::string signature;    // "-" for versus games
  TSeededGenerators start;  // the generators at the game's first frame
};

struct TReplayCheck {
  enum TStatus {
    kOk,
    kMalformed,
    kWrongVersion,
    kNotReproduced,
    kOverLimit,
    kUnavailable,
    kBusy  // no room to check it now: try again after retryAfter seconds
  };
  TStatus status = kOk;
  std::string message;  // a reason for every status but kOk
  int retryAfter = 0;   // kBusy
  std::vector<TCheckedGame> games;
};

class TReplayChecker {
 public:
  virtual ~TReplayChecker() = default;
  // Plays text; thread-safe.
  virtual TReplayCheck Check(std::string_view text) = 0;
};

// The game itself (headless; it reads no picture), within maxFrames frames
// and maxMillis of wall-clock time per file; at most `concurrent` checks run
// at once, the others wait their turn.
std::unique_ptr<TReplayChecker> MakeGameReplayChecker(uint64_t maxFrames, uint32_t maxMillis,
                                                      int concurrent);

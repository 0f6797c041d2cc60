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
  int64_t millis = 0;   // the time the game's run took (not the wait for a turn)
  std::vector<TCheckedGame> games;
};

class TReplayChecker {
 public:
  virtual ~TReplayChecker() = default;
  // Plays text; thread-safe.
  virtual TReplayCheck Check(std::string_view text) = 0;
  // From now on every check answers kBusy at once, and running ones give up
  // at their next look at the clock (a fraction of a second).
  virtual void Stop() {}
};

struct TCheckLimits {
  uint64_t maxFrames = 2'000'000;  // frames of one file
  uint32_t maxMillis = 30'000;     // wall-clock time of one check
  int concurrent = 1;              // checks running at once
  int queue = 2;                   // checks waiting for their turn; beyond: kBusy
};

// The game itself (headless; it reads no picture), within the limits: at
// most `concurrent` checks run at once in the callers' threads, at most
// `queue` more wait, and any beyond answer kBusy at once.
std::unique_ptr<TReplayChecker> MakeGameReplayChecker(const TCheckLimits& limits);

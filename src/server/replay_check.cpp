#include "server/replay_check.h"

#include <condition_variable>
#include <mutex>

#include "replay/replay_summary.h"

namespace {

class TGameReplayChecker final : public TReplayChecker {
 public:
  TGameReplayChecker(uint64_t maxFrames, uint32_t maxMillis, int concurrent)
      : maxFrames_(maxFrames), maxMillis_(maxMillis), free_(concurrent < 1 ? 1 : concurrent) {}

  TReplayCheck Check(std::string_view text) override {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      turn_.wait(lock, [this] { return free_ > 0; });
      free_--;
    }
    TReplayCheck result;
    try {
      result = Run(text);
    } catch (const std::exception& e) {
      result.status = TReplayCheck::kMalformed;
      result.message = std::string("the replay could not be played: ") + e.what();
      result.games.clear();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    free_++;
    turn_.notify_one();
    return result;
  }

 private:
  TReplayCheck Run(std::string_view text) {
    TReplayCheck out;
    TReplayLimits limits;
    limits.maxFrames = maxFrames_;
    limits.maxMillis = maxMillis_;
    const TReplaySummary s = SummarizeReplay(text, limits);
    switch (s.status) {
      case TReplayStatus::kOk:
        out.status = TReplayCheck::kOk;
        break;
      case TReplayStatus::kMalformed:
        out.status = TReplayCheck::kMalformed;
        break;
      case TReplayStatus::kWrongVersion:
        out.status = TReplayCheck::kWrongVersion;
        break;
      case TReplayStatus::kNotReproduced:
        out.status = TReplayCheck::kNotReproduced;
        break;
      case TReplayStatus::kOverLimit:
        out.status = TReplayCheck::kOverLimit;
        break;
    }
    out.message = s.message;
    if (s.status == TReplayStatus::kMalformed && s.line > 0)
      out.message = "line " + std::to_string(s.line) + ": " + s.message;
    for (const TReplayGameSummary& g : s.games)
      out.games.push_back({g.mode, g.score, g.level, g.scoreText, g.signature, g.start});
    return out;
  }

  uint64_t maxFrames_;
  uint32_t maxMillis_;
  std::mutex mutex_;
  std::condition_variable turn_;
  int free_;
};

}  // namespace

std::unique_ptr<TReplayChecker> MakeGameReplayChecker(uint64_t maxFrames, uint32_t maxMillis,
                                                      int concurrent) {
  return std::make_unique<TGameReplayChecker>(maxFrames, maxMillis, concurrent);
}

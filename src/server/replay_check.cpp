#include "server/replay_check.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "replay/replay_summary.h"

namespace {

class TGameReplayChecker final : public TReplayChecker {
 public:
  explicit TGameReplayChecker(const TCheckLimits& limits) : limits_(limits) {
    if (limits_.concurrent < 1) limits_.concurrent = 1;
    if (limits_.queue < 0) limits_.queue = 0;
  }

  TReplayCheck Check(std::string_view text) override {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (stop_ || running_ + waiting_ >= limits_.concurrent + limits_.queue) return Busy();
      waiting_++;
      turn_.wait(lock, [this] { return stop_ || running_ < limits_.concurrent; });
      waiting_--;
      if (stop_) return Busy();
      running_++;
    }
    TReplayCheck result;
    const auto started = std::chrono::steady_clock::now();
    try {
      result = Run(text);
    } catch (const std::exception& e) {
      result.status = TReplayCheck::kMalformed;
      result.message = std::string("the replay could not be played: ") + e.what();
      result.games.clear();
    }
    result.millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - started)
                        .count();
    std::lock_guard<std::mutex> lock(mutex_);
    running_--;
    turn_.notify_one();
    return result;
  }

  void Stop() override {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    turn_.notify_all();
  }

 private:
  TReplayCheck Busy() const {
    TReplayCheck r;
    r.status = TReplayCheck::kBusy;
    r.message = stop_ ? "the server is stopping; please send the replay again in a moment"
                      : "every replay check is taken; please send the replay again in a moment";
    // About the time the checks ahead of it may take.
    r.retryAfter = stop_ ? 5 : 1 + static_cast<int>(limits_.maxMillis / 1000 / 2);
    return r;
  }

  TReplayCheck Run(std::string_view text) {
    TReplayCheck out;
    TReplayLimits limits;
    limits.maxFrames = limits_.maxFrames;
    limits.maxMillis = limits_.maxMillis;
    limits.stop = &stop_;
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
        out.status = stop_ ? TReplayCheck::kBusy : TReplayCheck::kOverLimit;
        out.retryAfter = 5;
        break;
    }
    out.message = s.message;
    if (s.status == TReplayStatus::kMalformed && s.line > 0)
      out.message = "line " + std::to_string(s.line) + ": " + s.message;
    for (const TReplayGameSummary& g : s.games)
      out.games.push_back({g.mode, g.score, g.level, g.scoreText, g.signature, g.start});
    return out;
  }

  TCheckLimits limits_;
  std::mutex mutex_;
  std::condition_variable turn_;
  int running_ = 0;
  int waiting_ = 0;
  std::atomic<bool> stop_{false};
};

}  // namespace

std::unique_ptr<TReplayChecker> MakeGameReplayChecker(const TCheckLimits& limits) {
  return std::make_unique<TGameReplayChecker>(limits);
}

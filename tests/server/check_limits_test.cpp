// What bounds the replay checks: the per-address budget of check time, the
// upload pool that refuses instead of queueing without end, and the check
// queue that answers "busy" at once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

#include "server/check_budget.h"
#include "server/job_pool.h"
#include "server/replay_check.h"

using namespace std::chrono_literals;

TEST(CheckBudget, CountsCheckTimeNotRequestsAndDrainsOverTheWindow) {
  TCheckBudget budget(10'000, std::chrono::seconds(600));  // 10 s per ten minutes
  const auto t0 = TCheckBudget::Clock::now();
  int retry = 0;
  // Any number of cheap checks.
  for (int i = 0; i < 1000; i++) {
    ASSERT_TRUE(budget.Allow("a", t0, &retry));
    budget.Charge("a", 5, t0);
  }
  // One expensive one spends the rest; the next waits about as long as the
  // spending takes to drain, and other addresses are not touched.
  budget.Charge("a", 30'000, t0);
  EXPECT_FALSE(budget.Allow("a", t0, &retry));
  EXPECT_GT(retry, 60 * 10);
  EXPECT_LT(retry, 60 * 60);
  EXPECT_TRUE(budget.Allow("b", t0, &retry));
  EXPECT_FALSE(budget.Allow("a", t0 + std::chrono::seconds(retry - 60), &retry));
  EXPECT_TRUE(budget.Allow("a", t0 + std::chrono::hours(1), &retry));
  // No budget: never refused.
  TCheckBudget none(0, std::chrono::seconds(600));
  none.Charge("a", 1'000'000'000, t0);
  EXPECT_TRUE(none.Allow("a", t0, &retry));
}

TEST(JobPool, RefusesAtOnceWhenEveryThreadAndPlaceIsTaken) {
  TJobPool pool(2, 1);
  std::promise<void> release;
  std::shared_future<void> gate = release.get_future().share();
  std::atomic<int> ran{0};
  auto job = [&] {
    gate.wait();
    ran++;
  };
  EXPECT_TRUE(pool.Submit(job));
  EXPECT_TRUE(pool.Submit(job));
  EXPECT_TRUE(pool.Submit(job));  // waits in the one place
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(pool.Submit(job));
  EXPECT_LT(std::chrono::steady_clock::now() - t0, 5s);
  EXPECT_FALSE(pool.WaitIdle(std::chrono::steady_clock::now() + 50ms));
  release.set_value();
  EXPECT_TRUE(pool.WaitIdle(std::chrono::steady_clock::now() + 30s));
  EXPECT_EQ(ran.load(), 3);
  EXPECT_TRUE(pool.Submit(job));
  EXPECT_TRUE(pool.WaitIdle(std::chrono::steady_clock::now() + 30s));
}

TEST(GameReplayChecker, ChecksBeyondTheQueueAndAfterStopAreBusyAtOnce) {
  TCheckLimits limits;
  limits.concurrent = 1;
  limits.queue = 0;
  std::unique_ptr<TReplayChecker> checker = MakeGameReplayChecker(limits);
  // A file the reader refuses is over in no time; the checker is free again.
  EXPECT_EQ(checker->Check("not a replay").status, TReplayCheck::kWrongVersion);
  EXPECT_EQ(checker->Check("not a replay").status, TReplayCheck::kWrongVersion);
  checker->Stop();
  const TReplayCheck after = checker->Check("not a replay");
  EXPECT_EQ(after.status, TReplayCheck::kBusy);
  EXPECT_GT(after.retryAfter, 0);
}

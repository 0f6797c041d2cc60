// The frame loop: when a frame runs, the frame-rate count and its average's
// running sum, and the one-shot requests served before the play update.
#include <vector>

#include "game_fixture.h"

namespace {
class FrameLoopTest : public GameTest {
 protected:
  // Calls the idle handler with the clock at ms; true when a frame ran.
  bool IdleAt(uint32_t ms) {
    host.clock = ms;
    const int before = host.presentCount;
    form.IdleFrame(ms);
    return host.presentCount > before;
  }
};
}  // namespace

TEST_F(FrameLoopTest, AFrameRunsOnce16msHavePassedWithoutCatchingUp) {
  StartGame();
  form.lastFrameTick = 1000;
  EXPECT_FALSE(IdleAt(1015));
  EXPECT_TRUE(IdleAt(1016));
  // After a stall of any length one frame runs, and the next waits 16 ms.
  EXPECT_TRUE(IdleAt(9000));
  EXPECT_FALSE(IdleAt(9001));
  EXPECT_FALSE(IdleAt(9015));
  EXPECT_TRUE(IdleAt(9016));
  // The clock is read again for the frame's own time.
  host.clock = 9040;
  form.IdleFrame(9032);
  EXPECT_EQ(form.lastFrameTick, 9040u);
  EXPECT_FALSE(IdleAt(9055));
  EXPECT_TRUE(IdleAt(9056));
}

TEST_F(FrameLoopTest, InTheLast16msBeforeTheClockWrapsFramesAreNotHeldBack) {
  // lastFrameTick + 16 wraps to a small number, which every later reading
  // before the wrap exceeds.
  StartGame();
  form.lastFrameTick = 0xFFFFFFF0u;
  EXPECT_TRUE(IdleAt(0xFFFFFFF1u));
  EXPECT_TRUE(IdleAt(0xFFFFFFF2u));
  EXPECT_TRUE(IdleAt(0xFFFFFFFFu));
  EXPECT_FALSE(IdleAt(14));  // after the wrap the 16 ms hold again
  EXPECT_TRUE(IdleAt(15));
}

TEST_F(FrameLoopTest, FrameRateCountsFramesPerSecondAndSumsThemInPlayOnly) {
  StartGame();  // a new game counts one second of 60 frames
  form.lastFrameTick = 0;
  uint32_t t = 0;
  for (int i = 0; i < 62; i++) ASSERT_TRUE(IdleAt(t += 16));  // 992 ms
  EXPECT_EQ(form.framesLastSecond, 60);
  EXPECT_EQ(form.framesThisSecond, 62);
  ASSERT_TRUE(IdleAt(t += 16));  // 1008 ms: above secondStartTick + 1000
  EXPECT_EQ(form.framesLastSecond, 62);
  EXPECT_EQ(form.framesThisSecond, 1);
  EXPECT_EQ(form.secondStartTick, 1008u);
  EXPECT_EQ(form.fpsSum, 60 + 62);
  EXPECT_EQ(form.fpsSamples, 2);

  // Outside play the seconds are counted but not summed.
  form.scene = kSceneGameOver;
  ASSERT_TRUE(IdleAt(t += 1001));
  EXPECT_EQ(form.framesLastSecond, 1);
  EXPECT_EQ(form.fpsSum, 60 + 62);
  EXPECT_EQ(form.fpsSamples, 2);
}

TEST_F(FrameLoopTest, FrameRateSumStartsAgainOnceItPasses65000) {
  StartGame();
  form.lastFrameTick = 0;
  form.secondStartTick = 0;
  form.fpsSum = 65000 - 50;
  form.fpsSamples = 1000;
  form.framesThisSecond = 50;
  ASSERT_TRUE(IdleAt(1001));
  EXPECT_EQ(form.fpsSum, 65000);  // not above it yet
  EXPECT_EQ(form.fpsSamples, 1001);

  form.framesThisSecond = 61;
  ASSERT_TRUE(IdleAt(2002));
  EXPECT_EQ(form.fpsSum, 61);  // this second alone
  EXPECT_EQ(form.fpsSamples, 1);
}

TEST_F(FrameLoopTest, APlaceRequestIsServedBeforeThePlayUpdateOfTheSameFrame) {
  StartGame();
  SetMask(0, {{0, 0}});
  form.cursorX = 5;
  form.cursorY = kWellBottom;
  form.cursorShown = 1;
  form.scene = kSceneRequestPlace;
  form.lastFrameTick = 0;
  ASSERT_TRUE(IdleAt(16));
  EXPECT_EQ(form.board[5][kWellBottom].kind, kCellBlock);
  EXPECT_EQ(form.scene, kScenePlay);
  EXPECT_EQ(host.presentCount, 1);
  // The play frame ran too: the placement reset the preview, which the
  // frame computed again at the cursor (effect 6).
  EXPECT_EQ(host.Events(), "sound 0\nsound 6\n");
  EXPECT_EQ(form.previewX, 5);
}

namespace {
// A game object started like the fixture's, for running two loops side by side.
struct TLoopRun {
  TRecordingHost host{"/nonexistent/"};
  TMainForm form{host};
  std::vector<uint32_t> frameClocks;
  explicit TLoopRun(uint32_t start) {
    host.readPictures = false;
    form.FormCreate();
    form.SeedMt(4242);
    form.SeedLcg(777);
    form.NewGame();
    form.lastFrameTick = start;
    form.secondStartTick = start;
    host.clock = start;
  }
  // One idle call at the host's clock; notes the frame's clock when one ran.
  // The frames' own work takes from none to 22 ms, the same in every run.
  void Idle() {
    const int before = host.presentCount;
    form.IdleFrame(host.clock);
    if (host.presentCount == before) return;
    frameClocks.push_back(form.lastFrameTick);
    host.clock += static_cast<uint32_t>(frameClocks.size() * 7 % 23);
  }
};
}  // namespace

TEST(FrameLoopWake, SleepingUntilTheNextFrameRunsTheSameFramesAsWakingEveryMillisecond) {
  // Across the clock's wrap, with frames that take up to 22 ms.
  const uint32_t start = 0xFFFFF000u;
  TLoopRun everyMs(start), untilDue(start);
  for (int call = 0; call < 20000; call++) {
    everyMs.host.clock += 1;
    everyMs.Idle();
  }
  // Each wake but the few at the wrap runs a frame (the 16 ms there hold
  // only after it): never one woken early or late.
  int idleWakes = 0;
  while (untilDue.frameClocks.size() < everyMs.frameClocks.size() && idleWakes < 100) {
    const uint32_t wait = untilDue.form.MsToNextFrame(untilDue.host.clock);
    ASSERT_LE(wait, 16u);
    untilDue.host.clock += wait > 0 ? wait : 1;
    const size_t frames = untilDue.frameClocks.size();
    untilDue.Idle();
    idleWakes += untilDue.frameClocks.size() == frames;
  }
  EXPECT_LE(idleWakes, 16);
  EXPECT_GT(everyMs.frameClocks.size(), 900u);
  EXPECT_EQ(untilDue.frameClocks, everyMs.frameClocks);
  EXPECT_EQ(untilDue.form.framesLastSecond, everyMs.form.framesLastSecond);
  EXPECT_EQ(untilDue.form.fpsSum, everyMs.form.fpsSum);
  EXPECT_EQ(untilDue.form.fpsSamples, everyMs.form.fpsSamples);
}

TEST_F(FrameLoopTest, NextFrameTimeFollowsTheLoopsOwnTestAndStopsWithIt) {
  StartGame();
  form.lastFrameTick = 1000;
  EXPECT_EQ(form.MsToNextFrame(1000), 16u);
  EXPECT_EQ(form.MsToNextFrame(1015), 1u);
  EXPECT_EQ(form.MsToNextFrame(1016), 0u);
  EXPECT_EQ(form.MsToNextFrame(5000), 0u);  // overdue
  // A clock behind the last frame (never seen; bounded all the same).
  EXPECT_EQ(form.MsToNextFrame(900), 16u);
  // Before the wrap every reading is due (the loop's unsigned test).
  form.lastFrameTick = 0xFFFFFFF8u;
  EXPECT_EQ(form.MsToNextFrame(0xFFFFFFF9u), 0u);
  form.lastFrameTick = 0xFFFFFFFFu;
  EXPECT_EQ(form.MsToNextFrame(3), 12u);
  // A loop stopped by an error runs nothing: a frame's time is as good as any.
  form.loopRunning = false;
  EXPECT_EQ(form.MsToNextFrame(0xFFFFFFFFu + 16u), 16u);
}

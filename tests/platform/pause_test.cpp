// A pause taken around the frame loop leaves no trace in the game: the same
// inputs give the same state, the same frame-rate statistics and the same
// score text as a game played straight through.
#include <gtest/gtest.h>

#include <string>

#include "app/main.h"
#include "platform/pause_clock.h"
#include "recording_host.h"
#include "script_runner.h"

namespace {

struct TRun {
  std::string dump;
  int32_t fpsSum = 0;
  int32_t fpsSamples = 0;
  int32_t frames = 0;
};

// The program's loop on a real millisecond clock (1 ms a turn): keys at
// fixed game times, a pause from real time pauseAt lasting pauseMs.
TRun Play(uint32_t pauseAt, uint32_t pauseMs) {
  TRecordingHost host("/nonexistent/");
  host.readPictures = false;
  TMainForm form(host);
  form.FormCreate();
  form.SeedMt(99);
  form.SeedLcg(5);
  TPauseClock clock;
  TRun run;
  uint32_t nextKey = 300;
  int32_t keys = 0;
  const uint16_t pattern[] = {'4', 'D', 'S', 'V', 'B', 'D', 'V', 'G', 'A', 'V'};
  uint32_t lastFrame = 0;
  for (uint32_t real = 1; real < 40000 + pauseMs; real++) {
    if (pauseMs > 0 && real == pauseAt) clock.Pause(real);
    if (pauseMs > 0 && real == pauseAt + pauseMs) clock.Resume(real);
    if (clock.Paused()) continue;
    host.clock = clock.GameTime(real);
    if (host.clock >= nextKey) {
      form.FormKeyDown(pattern[keys % 10], false);
      keys++;
      nextKey += 170;
    }
    form.IdleFrame(host.clock);
    if (form.lastFrameTick != lastFrame) {
      lastFrame = form.lastFrameTick;
      run.frames++;
    }
  }
  AppendDumpBlock(run.frames, form, host, &run.dump);
  run.fpsSum = form.fpsSum;
  run.fpsSamples = form.fpsSamples;
  return run;
}

TEST(Pause, ALongPauseLeavesStateFrameRateAndFrameCountAsWithout) {
  const TRun straight = Play(0, 0);
  ASSERT_GT(straight.fpsSamples, 5);  // the game was in play long enough
  // Paused in the middle of play for 5 s (longer than a frame-rate second).
  const TRun paused = Play(5003, 5000);
  EXPECT_EQ(paused.frames, straight.frames);
  EXPECT_EQ(paused.fpsSum, straight.fpsSum);
  EXPECT_EQ(paused.fpsSamples, straight.fpsSamples);
  EXPECT_EQ(paused.dump, straight.dump);
}

}  // namespace

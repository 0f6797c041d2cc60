// The soak: a long run of frames through every scene and all four modes with
// random keys, pointer moves and clicks between frames, on a clock that
// jitters and wraps. After every frame the state must be sound (see
// soak_checks.h), and neither the frames nor the input handlers may touch
// the heap.
//
// The normal suite runs 50,000 frames. ZAZO_SOAK_FRAMES=N runs N frames
// instead (the long soak is 1,000,000); ZAZO_SOAK_SEED picks another input.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <random>

#include "app/main.h"
#include "platform/picture_loader.h"
#include "recording_host.h"
#include "replay/replay_player.h"
#include "soak_checks.h"
#include "support/heap_counter.h"
#include "support/random_input.h"

namespace {

constexpr uint16_t kKeyEscape = 27;

// The four modes, as the title menu sets them.
enum TMode { kNormal, kFromLevel99, kVersusPeople, kVersusComputer, kModeCount };
const char* const kModeNames[kModeCount] = {"single from level 1", "single from level 99",
                                            "versus two people", "versus the computer"};

TMode ModeOf(const TMainForm& f) {
  if (f.versusMode == 1) return f.side2Auto == 1 ? kVersusComputer : kVersusPeople;
  return f.advancedStart == 1 ? kFromLevel99 : kNormal;
}

long FramesToRun() {
  const char* env = std::getenv("ZAZO_SOAK_FRAMES");
  if (env != nullptr && *env != '\0') return std::strtol(env, nullptr, 10);
  return 50000;
}

uint32_t Seed() {
  const char* env = std::getenv("ZAZO_SOAK_SEED");
  if (env != nullptr && *env != '\0') return uint32_t(std::strtoul(env, nullptr, 10));
  return 20240611;
}

class Soak : public ::testing::Test {
 protected:
  Soak() : host(ZAZO_BINARY_DIR "/", LoadPictureFile), form(host) {}

  void SetUp() override {
    form.SeedLcg(Seed());
    form.SeedMt(Seed() ^ 0x5eed);
    // Start 400 s before the millisecond clock wraps: the wrap falls inside
    // every run of more than 25,000 frames.
    host.clock = 0u - 400000u;
    form.FormCreate();
    if (form.errorCode != 0) {
      // No generated pictures in this build folder: draw into empty sheets.
      host.readPictures = false;
      form.LoadAssets();
    }
    ASSERT_EQ(form.errorCode, 0);
    input.rng.seed(Seed());
  }

  uint32_t Below(uint32_t n) { return input.Below(n); }

  // One random input event (or none) between two frames.
  void RandomInput() {
    TReplayInput in;
    if (input.Next(form, &in)) DeliverReplayInput(in, form);
  }

  // What a run saw.
  struct TFigures {
    long frames = 0;
    long games[kModeCount] = {};
    long playFrames[kModeCount] = {};
    long gameOvers = 0;
    double seconds = 0;
  };

  // Runs `target` frames of random input, checking after every frame.
  void Run(long target, TFigures& f) {
    bool boardBuilt = false;
    int32_t lastScene = form.scene;
    char why[160];
    const auto t0 = std::chrono::steady_clock::now();
    while (f.frames < target) {
      gCounting = true;
      RandomInput();
      ASSERT_FALSE(host.closed) << "the window was closed at frame " << f.frames;
      // The clock: a frame's worth and some jitter, now and then too little.
      host.clock += input.ClockStep();
      const int before = host.presentCount;
      const int32_t sceneBefore = form.scene;
      form.IdleFrame(host.clock);
      gCounting = false;
      ASSERT_EQ(gAllocations, 0) << "heap allocation(s) at frame " << f.frames << ", scene "
                                 << form.scene;
      host.ClearEvents();
      if (host.presentCount == before) continue;  // too early: no frame ran
      f.frames++;
      if (sceneBefore == kSceneNewGame) {
        boardBuilt = true;
        f.games[ModeOf(form)]++;
      }
      if (form.scene == kScenePlay) f.playFrames[ModeOf(form)]++;
      if (form.scene == kSceneGameOver && lastScene != kSceneGameOver) f.gameOvers++;
      lastScene = form.scene;
      ASSERT_TRUE(soak::CheckAfterFrame(form, sceneBefore, boardBuilt, why, sizeof why))
          << "frame " << f.frames << ": " << why;
      ASSERT_TRUE(form.loopRunning) << "the frame loop stopped at frame " << f.frames;
    }
    f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    // Escape, finally, closes the window from whatever scene the run ended in.
    form.FormKeyDown(kKeyEscape, false);
    EXPECT_TRUE(host.closed);
  }

  TRandomInput input{Seed()};
  TRecordingHost host;
  TMainForm form;
};

TEST_F(Soak, RandomInputAcrossAllModesKeepsTheGameSound) {
  const long target = FramesToRun();
  TFigures f;
  Run(target, f);
  if (HasFatalFailure()) return;
  std::printf("soak: %ld frames in %.1f s (seed %u), %ld game overs\n", f.frames, f.seconds, Seed(),
              f.gameOvers);
  for (int m = 0; m < kModeCount; m++) {
    std::printf("soak:   %-22s %4ld games, %8ld play frames\n", kModeNames[m], f.games[m],
                f.playFrames[m]);
  }
  // Every mode was played for a while.
  if (target >= 20000) {
    for (int m = 0; m < kModeCount; m++) {
      EXPECT_GE(f.games[m], 1) << kModeNames[m];
      EXPECT_GE(f.playFrames[m], 500) << kModeNames[m];
    }
    EXPECT_GE(f.gameOvers, 1);
  }
}

// Picture files smaller than the regions the game cuts from them (a damaged
// or home-made sheet) still draw what they hold, nothing outside it.
TEST_F(Soak, SheetsSmallerThanTheirRegionsDrawWhatTheyHold) {
  auto scramble = [&](TBitmap& sheet) {
    sheet.SetSize(int32_t(1 + Below(40)), int32_t(1 + Below(40)));
    for (size_t i = 0; i < sheet.ByteSize(); i++) sheet.Data()[i] = uint8_t(input.rng());
  };
  for (TBitmap* sheet : {&form.labelBmp, &form.titleBmp, &form.gaugeBmp, &form.bgBmp})
    scramble(*sheet);
  for (TKeyedSheet* sheet :
       {&form.infoBmp, &form.itemBmp, &form.scoreBmp, &form.score2Bmp, &form.bomBmp})
    sheet->Edit(scramble);
  TFigures f;
  Run(20000, f);
  if (HasFatalFailure()) return;
  EXPECT_GE(
      f.games[kNormal] + f.games[kFromLevel99] + f.games[kVersusPeople] + f.games[kVersusComputer],
      4);
}

}  // namespace

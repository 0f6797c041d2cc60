// Frames must never touch the heap: every frame of every scene, with input
// between frames, runs on fixed arrays and preallocated pictures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "app/main.h"
#include "platform/picture_loader.h"
#include "recording_host.h"
#include "replay/replay_recorder.h"
#include "replay/replay_tap.h"
#include "support/heap_counter.h"

namespace {

// The same start for every run: fixed seeds, then start-up.
void StartUp(TMainForm& form, TRecordingHost& host) {
  form.SeedMt(1234);
  form.SeedLcg(99);
  form.FormCreate();
  if (form.errorCode != 0) {
    // No generated pictures in this build folder: draw into empty sheets.
    host.readPictures = false;
    form.LoadAssets();
  }
  ASSERT_EQ(form.errorCode, 0);
}

class FrameAllocTest : public ::testing::Test {
 protected:
  FrameAllocTest() : host(ZAZO_BINARY_DIR "/", LoadPictureFile), form(host) {}

  void SetUp() override { StartUp(form, host); }

  // Runs n frames, delivering `key` (if not 0) before every k-th frame, and
  // returns the number of heap allocations made meanwhile.
  long Frames(int n, uint16_t key = 0, int every = 1) {
    long before = gAllocations;
    gCounting = true;
    for (int i = 0; i < n; i++) {
      host.clock += 16;
      if (key != 0 && i % every == 0) form.FormKeyDown(key, false);
      form.IdleFrame(host.clock);
    }
    gCounting = false;
    host.ClearEvents();
    return gAllocations - before;
  }

  TRecordingHost host;
  TMainForm form;
};

TEST_F(FrameAllocTest, TitleSlidePlayAndGameOverFramesDoNotAllocate) {
  EXPECT_EQ(Frames(200), 0);  // title with sparkles
  long before = gAllocations;
  gCounting = true;
  for (int y = 190; y < 320; y += 7) form.FormMouseMove(300, y);  // menu hover
  gCounting = false;
  EXPECT_EQ(gAllocations - before, 0);
  EXPECT_EQ(Frames(1, '4'), 0);  // choose a normal game: the slide
  EXPECT_EQ(Frames(70), 0);      // slide, new game, first play frames
  EXPECT_EQ(form.scene, kScenePlay);
  // Play: move, invert, place, raise, until the stack tops out.
  const uint16_t keys[] = {'D', 'S', 'B', 'V', 'A', 'V', 'S', 'V', 'G'};
  for (int round = 0; round < 400 && form.scene != kSceneGameOver; round++) {
    ASSERT_EQ(Frames(3, keys[round % 9]), 0) << "round " << round;
  }
  EXPECT_EQ(form.scene, kSceneGameOver);
  EXPECT_EQ(Frames(300), 0);  // game over animates on
}

TEST_F(FrameAllocTest, VersusAgainstTheComputerDoesNotAllocate) {
  EXPECT_EQ(Frames(1, '6'), 0);
  EXPECT_EQ(Frames(62), 0);
  EXPECT_EQ(form.versusMode, 1);
  const uint16_t keys[] = {'V', 'D', 'B', 'S', 'G', 'A'};
  for (int round = 0; round < 2000 && form.scene != kSceneGameOver; round++) {
    ASSERT_EQ(Frames(6, keys[round % 6], 3), 0) << "round " << round;
  }
  EXPECT_EQ(form.scene, kSceneGameOver);
  EXPECT_EQ(Frames(100), 0);
}

// With every game recorded, as the program plays: the recorder's hooks
// around inputs and frames allocate nothing either. Writing a finished
// game's replay happens between frames, outside the count.
class FrameAllocRecordingTest : public ::testing::Test {
 protected:
  FrameAllocRecordingTest()
      : host(ZAZO_BINARY_DIR "/", LoadPictureFile),
        recorder(Folder()),
        tap(host, recorder),
        form(tap) {}
  ~FrameAllocRecordingTest() override {
    const std::string command = "rm -rf '" + Folder() + "'";
    (void)std::system(command.c_str());
  }
  static std::string Folder() {
    return "/tmp/zazo-frame-alloc-replays-" + std::to_string(getpid()) + "/";
  }

  void SetUp() override { StartUp(form, host); }

  long Frames(int n, uint16_t key = 0, int every = 1) {
    long allocations = 0;
    for (int i = 0; i < n; i++) {
      WriteBetweenFrames();
      const long before = gAllocations;
      gCounting = true;
      host.clock += 16;
      if (key != 0 && i % every == 0) {
        form.FormKeyDown(key, false);
        recorder.OnKey(form, key, false);
      }
      recorder.BeforeFrame(form, host.clock);
      form.IdleFrame(host.clock);
      recorder.AfterFrame(form);
      gCounting = false;
      allocations += gAllocations - before;
    }
    host.ClearEvents();
    return allocations;
  }

  // A finished game's replay is written here, between frames.
  void WriteBetweenFrames() {
    if (!recorder.HasPending()) return;
    std::string error;
    EXPECT_TRUE(recorder.WritePending(&error)) << error;
    writes++;
  }

  TRecordingHost host;
  TReplayRecorder recorder;
  TReplayTapHost tap;
  TMainForm form;
  int writes = 0;
};

TEST_F(FrameAllocRecordingTest, RecordedGamesDoNotAllocateInFrames) {
  for (uint16_t mode : {'4', '6'}) {
    EXPECT_EQ(Frames(1, mode), 0);
    EXPECT_EQ(Frames(70), 0);
    ASSERT_TRUE(recorder.Recording());
    const uint16_t keys[] = {'V', 'D', 'B', 'S', 'G', 'A'};
    for (int round = 0; round < 2000 && form.scene != kSceneGameOver; round++) {
      ASSERT_EQ(Frames(6, keys[round % 6], 3), 0) << "round " << round;
    }
    EXPECT_EQ(form.scene, kSceneGameOver);
    EXPECT_EQ(Frames(30), 0);  // the replay is written between these
    EXPECT_FALSE(recorder.LastWrittenPath().empty());
    EXPECT_EQ(Frames(1, '8'), 0);
  }
  EXPECT_EQ(writes, 2);
}

}  // namespace

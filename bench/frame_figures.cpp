// Frame figures: the memcpy floor, a busy play frame, a title frame, the
// presentation copy and the automatic player's slowest step.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "app/game_state.h"
#include "app/main.h"
#include "bench_timing.h"
#include "figures.h"
#include "platform/picture_loader.h"
#include "recording_host.h"

namespace {

constexpr size_t kFrameBytes = 640 * 480 * 3;

// A game object started from the generated assets in the build folder (or
// from empty sheets when they are missing).
struct TBenchGame {
  TBenchGame() : host(ZAZO_BINARY_DIR "/", LoadPictureFile), form(host) {
    form.SeedMt(7);
    form.SeedLcg(7);
    form.FormCreate();
    if (form.errorCode != 0) {
      host.readPictures = false;
      form.LoadAssets();
    }
  }
  // Events are not wanted here; keep the recorder from filling up.
  void Quiet() { host.ClearEvents(); }
  TRecordingHost host;
  TMainForm form;
};

// A busy single-player board: a half-full well, two clearing rows, every
// effect record alive, the bonus popup and the preview shown.
void MakeBusy(TMainForm& f) {
  f.advancedStart = 1;
  f.versusMode = 0;
  f.NewGame();
  for (int x = kWellLeft; x <= kWellRight; x++) {
    for (int y = 12; y <= kWellBottom; y++) {
      if ((x * 7 + y * 3) % 5 != 0) {
        f.board[x][y] = TCell{kCellBlock, 0, 1, (x * 13 + y) % 208, 0, 0};
      }
    }
    f.board[x][14] = TCell{kCellClearing, 0, 5, 0, 0, 250};
    f.board[x][18] = TCell{kCellClearing, 0, 5, 0, 0, 100};
  }
  for (int k = 0; k < kEffectCount; k++) {
    f.effects[k] = TEffect{1 + k % 2,          40 + (k * 37) % 560, 40 + (k * 53) % 400,
                           158 + (k % 30) * 5, k % 4 - 2,           (k % 30) * 5};
  }
  f.bonusValue = 12345;
  f.bonusTimer = 200;
  f.bonusRow = 10;
  f.cursorShown = 1;
  f.cursorX = 5;
  f.cursorY = 9;
  f.gauge = 120;
  f.clearingCount = 20;
}

}  // namespace

double BenchMemcpyFrameUs() {
  std::vector<uint8_t> a(kFrameBytes, 1), b(kFrameBytes, 2);
  return MedianUs(
      301, [] {},
      [&] {
        std::memcpy(b.data(), a.data(), kFrameBytes);
        asm volatile("" ::"r"(b.data()) : "memory");
      });
}

double BenchPlayFrameUs() {
  static TBenchGame g;
  MakeBusy(g.form);
  static TCell board[kBoardCols][kBoardRows];
  static TEffect effects[kEffectCount];
  std::memcpy(board, g.form.board, sizeof board);
  std::memcpy(effects, g.form.effects, sizeof effects);
  g.Quiet();
  int frame = 0;
  return MedianUs(
      301,
      [&] {
        // The same busy board every time, the preview recomputed now and then.
        std::memcpy(g.form.board, board, sizeof board);
        std::memcpy(g.form.effects, effects, sizeof effects);
        g.form.gauge = 120;
        g.form.bonusTimer = 200;
        g.form.scene = kScenePlay;
        if (++frame % 8 == 0) g.form.previewX = -1;
        g.Quiet();
      },
      [&] { g.form.PlayFrame(); });
}

double BenchTitleFrameUs() {
  static TBenchGame g;
  // Let sparkles build up first.
  for (int i = 0; i < 120; i++) g.form.DrawTitleScene();
  g.Quiet();
  return MedianUs(
      301, [&] { g.Quiet(); }, [&] { g.form.DrawTitleScene(); });
}

double BenchPresentPrepUs() {
  // The window receives the frame's bytes as they are (a BGR24 streaming
  // texture): the preparation is the row copy into the texture's memory.
  static TBenchGame g;
  g.form.DrawTitleScene();
  std::vector<uint8_t> texture(kFrameBytes + 640 * 4);
  const int pitch = 640 * 3 + 4;  // a texture row may be padded
  return MedianUs(
      301, [] {},
      [&] {
        for (int y = 0; y < 480; y++) {
          std::memcpy(texture.data() + static_cast<size_t>(y) * pitch, g.form.screenBmp.Row(y),
                      640 * 3);
        }
        asm volatile("" ::"r"(texture.data()) : "memory");
      });
}

double BenchAiStepMaxUs() {
  static TBenchGame g;
  TMainForm& f = g.form;
  f.advancedStart = 0;
  f.versusMode = 1;
  f.side2Auto = 1;
  f.NewGame();
  // The whole state, so one step can be timed several times over from the
  // same starting point.
  TGameState snapshot;
  double worst = 0;
  for (int frame = 0; frame < 10801 && f.scene != kSceneGameOver; frame++) {
    g.Quiet();
    if (f.turnSide == 1) {
      // The step's own cost: the fastest of three runs from the same state,
      // so that a timer interrupt is not taken for a slow step.
      snapshot.Take(f);
      double best = 1e30;
      for (int run = 0; run < 3; run++) {
        snapshot.Restore(f);
        auto t0 = std::chrono::steady_clock::now();
        volatile uint16_t answer = f.AutoPlayerStep();
        (void)answer;
        auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::micro>(t1 - t0).count());
      }
      snapshot.Restore(f);
      worst = std::max(worst, best);
    } else if (frame % 5 == 0) {
      // Side 1 plays simply: place wherever the cursor is, now and then.
      f.VersusKey(frame % 10 == 0 ? 'V' : 'D');
    }
    // The frame itself: the automatic side's step happens inside PlayFrame.
    if (f.scene == kSceneRequestPlace) f.PlacePiece();
    if (f.scene == kSceneRequestInvert) f.InvertPiece();
    f.scene = kScenePlay;
    f.PlayFrame();
  }
  return worst;
}

// The play and game-over frames, and the background they stand on.
#include "app/main.h"
#include "render/blit.h"
#include "render/sheet_regions.h"

namespace {
constexpr int32_t kShakeFrames = 16;  // bgFade counts up to this while shaking
constexpr int32_t kBands = 5;
}  // namespace

void TMainForm::ComposeBackground(int32_t band) {
  if (band < 1 || band > kBands) return;
  BlitOpaque(0, 0, sheet::BackgroundBand(band), bgCacheBmp, bgBmp);
}

void TMainForm::DrawPlayFrame() {
  using namespace layout;
  AnimateCells();
  if (!showBackground) {
    FillBlack(screenBmp);
  } else if (bgFade <= kShakeFrames) {
    // After a phase change the new background shakes with a shrinking
    // offset. The strips it leaves uncovered keep the last frame's pixels.
    bgFade += 1;
    const int32_t a = RandomBelow(kShakeFrames - bgFade);
    const int32_t b = RandomBelow(kShakeFrames - bgFade);
    DrawBitmapAt(screenBmp, bgCacheBmp, b, a);
  } else {
    CopyBitmap(screenBmp, bgCacheBmp);
  }
  DrawBoard();
  for (int slot = 0; slot < kPieceSlots; slot++) DrawPieceSlot(kSlotX, kSlotY[slot], slot);
  DrawGauge();
  DrawEffects();
  if (cursorShown == 1) {
    UpdatePreview();
    DrawPreview();
  }
  DrawScorePanel();
}

void TMainForm::DrawGameOverFrame() {
  using namespace layout;
  AnimateCells();
  FillBlack(screenBmp);
  DrawBoard();
  for (int slot = 0; slot < kPieceSlots; slot++) DrawPieceSlot(kSlotX, kSlotY[slot], slot);
  DrawScorePanel();
  BlitOpaque(boardLeft + 48, boardTop + 32, sheet::kGameOverLabelLeft, screenBmp, labelBmp);
  BlitOpaque(boardLeft + 128, boardTop + 32, sheet::kGameOverLabelRight, screenBmp, labelBmp);
  DrawEffects();
}

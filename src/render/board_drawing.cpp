// The board, the piece slots, the preview at the cursor and the gauge bar.
#include "app/main.h"
#include "render/blit.h"
#include "render/sheet_regions.h"

namespace {
// A block shows its plain frame for this many counter steps, then shines
// through frames 1..7 and starts again.
constexpr int32_t kShineStart = 200;
constexpr int32_t kShineEnd = 207;
constexpr int32_t kClearingFrames = 8;
// A blended clearing cell is drawn at level clearTimer - this.
constexpr int32_t kFadeOffset = 180;
}  // namespace

void TMainForm::AnimateCells() {
  for (int x = 0; x < kBoardCols; x++) {
    for (int y = 0; y < kBoardRows; y++) {
      TCell& c = board[x][y];
      switch (c.kind) {
        case kCellEmpty:
          c.spriteCol = 0;
          c.spriteRow = 0;
          break;
        case kCellBlock:
          c.spriteRow = 1;
          c.animCounter += 1;
          c.animFrame = 0;
          if (c.animCounter > kShineStart) {
            c.animFrame = c.animCounter - kShineStart;
            if (c.animCounter > kShineEnd) {
              c.animCounter = 0;
              c.animFrame = 0;
            }
          }
          c.spriteCol = c.animFrame;
          break;
        case 2:
          c.spriteCol = 0;
          c.spriteRow = 2;
          break;
        case kCellClearing:
          c.spriteRow = kCellClearing;
          // The preview must show this cell's new look: recompute it once.
          if (c.clearTimer == kClearingVanishingAfter + 1) {
            ResetPreview();
          }
          if (c.clearTimer > kClearingVanishingAfter) c.spriteRow = sheet::kBlendRowB;
          c.animCounter += 1;
          if (c.animCounter >= kClearingFrames) c.animCounter = 0;
          c.spriteCol = c.animCounter;
          break;
        case kCellWall:
          c.spriteCol = 0;
          c.spriteRow = kCellWall;
          break;
        default:
          break;
      }
    }
  }
}

void TMainForm::DrawBoard() {
  for (int x = 0; x < kBoardCols; x++) {
    for (int y = 0; y < kBoardRows; y++) {
      const TCell& c = board[x][y];
      const TRect sprite = sheet::ItemCell(c.spriteCol, c.spriteRow);
      const int32_t px = boardLeft + 16 * x;
      const int32_t py = boardTop + 16 * y;
      if (c.spriteRow == sheet::kBlendRowA || c.spriteRow == sheet::kBlendRowB) {
        BlitKeyedBlend(px, py, sprite, screenBmp, itemBmp,
                       static_cast<uint16_t>(c.clearTimer - kFadeOffset));
      } else {
        BlitKeyed(px, py, sprite, screenBmp, itemBmp);
      }
    }
  }
}

void TMainForm::DrawPieceSlot(int32_t x, int32_t y, int slot) {
  for (int i = 0; i < 4; i++) {
    for (int j = 0; j < 4; j++) {
      const TRect& sprite = pieces[i][j][slot].filled ? sheet::kSlotFilled : sheet::kSlotEmpty;
      BlitKeyed(x + 16 * i, y + 16 * j, sprite, screenBmp, itemBmp);
    }
  }
}

// The preview covers the board cells under the piece completely, except the
// code of a clearing cell about to vanish, which has its own keyed sprite.
void TMainForm::DrawPreview() {
  for (int i = 0; i < 4; i++) {
    for (int j = 0; j < 4; j++) {
      if (cursorX + i > kBoardCols - 1 || cursorY + j > kBoardRows - 1) continue;
      const TMaskCell& m = pieces[i][j][0];
      const int32_t px = boardLeft + 16 * (cursorX + i);
      const int32_t py = boardTop + 16 * (cursorY + j);
      if (m.overlayCode == kOverlayEmptyOnVanishing) {
        BlitKeyed(px, py, sheet::kPreviewVanishing, screenBmp, itemBmp);
      } else {
        BlitOpaque(px, py, sheet::ItemCell(m.spriteCol, m.overlayCode), screenBmp, itemBmp);
      }
    }
  }
}

// Drawn from the bar's left end, gauge + 1 columns (none at all at 0).
void TMainForm::DrawGauge() {
  BlitOpaque(boardLeft, boardTop + 16 * kBoardRows, TRect{0, 0, gauge, 15}, screenBmp, gaugeBmp);
}

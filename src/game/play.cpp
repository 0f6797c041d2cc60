// The rules of play: the piece and its cursor, placement and inversion, the
// forced rise, completed rows turning into clearing rows, clearing cells
// vanishing with the columns above them dropping, and the preview overlay.
#include "app/main.h"
#include "game/board_rules.h"

namespace {
constexpr TCell kClearingCell = {kCellClearing, 0, 0, 0, 0, 0};

// Overlay animation: a counter that steps the frame every `step` frames and
// wraps once it passes `wrapAbove`.
void StepOverlay(TMaskCell& m, int32_t step, int32_t wrapAbove) {
  m.overlayCounter += 1;
  m.overlayFrame = m.overlayCounter / step;
  if (m.overlayCounter > wrapAbove) {
    m.overlayCounter = 0;
    m.overlayFrame = 0;
  }
  m.spriteCol = m.overlayFrame;
}

void ClearOverlay(TMaskCell& m) {
  m.spriteCol = 0;
  m.overlayCode = kOverlayNone;
  m.overlayCounter = 0;
  m.overlayFrame = 0;
  m.spare = 0;
}
}  // namespace

void TMainForm::PlayFrame() {
  // The automatic player takes its step as if it pressed a key.
  if (versusMode == 1 && side2Auto == 1 && turnSide == 1) VersusKey(0);
  DetectLines();
  AgeClearing();
  if (AdvanceGauge()) {
    // The ending frame draws nothing: the previous picture is shown again.
    EndGame();
    return;
  }
  DrawPlayFrame();
}

bool TMainForm::PieceFits() const {
  return MaskFits(board, pieces, cursorX, cursorY);
}

void TMainForm::CommitPiece() {
  for (int i = 0; i < 4; i++) {
    for (int j = 0; j < 4; j++) {
      const int32_t filled = pieces[i][j][0].filled;
      TCell& c = board[cursorX + i][cursorY + j];
      c.kind += filled;
      if (filled != 0) {
        c.spriteCol = 0;
        c.spriteRow = c.kind;
        c.animCounter = 0;
        c.animFrame = 0;
        c.clearTimer = 0;
      }
      // A piece cell laid on a clearing cell makes it an ordinary block again.
      if (c.kind == kCellClearing + 1) {
        c.kind = kCellBlock;
        c.spriteRow = kCellBlock;
      }
    }
  }
}

void TMainForm::PlacePiece() {
  if (!PieceFits()) {
    PlayEffect(7);
    scene = kScenePlay;
    return;
  }
  PlayEffect(0);
  CommitPiece();
  DetectLines();
  ShiftSlot(0, 1);
  ShiftSlot(1, 2);
  DealPiece(2);
  ResetPreview();
  // In versus mode a placement ends the turn at the next gauge check.
  if (versusMode == 1) {
    gaugeSub = 0;
    gauge = 300;
  }
  scene = kScenePlay;
}

void TMainForm::ShiftSlot(int to, int from) {
  for (int i = 0; i < 4; i++) {
    for (int j = 0; j < 4; j++) {
      TMaskCell& m = pieces[i][j][to];
      m.filled = pieces[i][j][from].filled;
      ClearOverlay(m);
    }
  }
}

void TMainForm::InvertPiece() {
  PlayEffect(4);
  for (int i = 0; i < 4; i++) {
    for (int j = 0; j < 4; j++) {
      TMaskCell& m = pieces[i][j][0];
      m.filled = 1 - m.filled;
      ClearOverlay(m);
    }
  }
  ResetPreview();
  scene = kScenePlay;
}

void TMainForm::MakeDomino(int slot) {
  for (int i = 0; i < 4; i++) {
    for (int j = 0; j < 4; j++) pieces[i][j][slot].filled = (j == 0 && i <= 1) ? 1 : 0;
  }
}

void TMainForm::ForceRise() {
  if (versusMode != 1) {
    // Only the first request before the rise pays and swaps in the domino.
    if (gauge < 300) {
      MakeDomino(2);
      AddScore(200);
      UpdateBestScore();
    }
    gauge = 300;
    PlayEffect(0);
    return;
  }

  // Versus: the side on turn pays 100 points to the other side and turns the
  // bottom row into a clearing row.
  int32_t& acting = turnSide == 1 ? score2 : score;
  int32_t& other = turnSide == 1 ? score : score2;
  if (acting == 0) return;
  other += 100;
  acting = acting > 100 ? acting - 100 : 0;
  for (int x = kWellLeft; x <= kWellRight; x++) {
    board[x][kWellBottom] = kClearingCell;
    SpawnEffects(x, kWellBottom, 1);
  }
  PlayEffect(5);
  gauge = 300;
  MakeDomino(0);
  ResetPreview();
}

void TMainForm::DetectLines() {
  int32_t lines = 0;
  int32_t lastRow = 0;
  for (int y = 0; y < kBoardRows; y++) {
    if (!RowIsFull(board, y)) continue;
    lines += 1;
    lastRow = y;
    for (int x = kWellLeft; x <= kWellRight; x++) {
      board[x][y] = kClearingCell;
      // The second look marks rows completed while others are still clearing.
      SpawnEffects(x, y, clearingCount > 0 ? 2 : 1);
    }
  }
  if (lines > 0) {
    ResetPreview();
    AwardLines(lines, lastRow);
  }
}

void TMainForm::AgeClearing() {
  clearingCount = 0;
  int removed = 0;
  // Bottom-up, so that a cell dropped by a collapse is not aged twice.
  for (int y = kBoardRows - 1; y >= 0; y--) {
    for (int x = kWellLeft; x <= kWellRight; x++) {
      TCell& c = board[x][y];
      if (c.kind != kCellClearing) continue;
      c.clearTimer += 1;
      if (c.clearTimer > kClearingVanishesAfter) {
        CollapseColumn(x, y);
        removed += 1;
      }
      clearingCount += 1;
    }
  }
  if (removed > 0) {
    PlayEffect(2);
    ResetPreview();
  }
}

void TMainForm::CollapseColumn(int x, int y) {
  for (int r = y; r >= kWellTop + 1; r--) board[x][r] = board[x][r - 1];
  board[x][kWellTop] = TCell{};
}

void TMainForm::UpdatePreview() {
  if (previewX == cursorX && previewY == cursorY) {
    AnimateOverlay();
    return;
  }
  PlayEffect(6);
  ComputeOverlay();
  previewX = cursorX;
  previewY = cursorY;
}

void TMainForm::ResetPreview() {
  previewX = -1;
  previewY = -1;
}

void TMainForm::ComputeOverlay() {
  for (int i = 0; i < 4; i++) {
    for (int j = 0; j < 4; j++) ClearOverlay(pieces[i][j][0]);
  }
  for (int i = 0; i < 4; i++) {
    const int x = cursorX + i;
    if (x < 0 || x > kBoardCols - 1) continue;
    for (int j = 0; j < 4; j++) {
      const int y = cursorY + j;
      if (y < 0 || y > kBoardRows - 1) continue;
      TMaskCell& m = pieces[i][j][0];
      const TCell& c = board[x][y];
      int32_t code = kOverlayBase + m.filled + c.kind;
      if (code == kOverlayPieceOnEmpty && c.kind == kCellBlock) code = kOverlayEmptyOnBlock;
      if (code == kOverlayEmptyOnClearing && c.clearTimer > kClearingVanishingAfter) {
        code = kOverlayEmptyOnVanishing;
      }
      m.overlayCode = code;
    }
  }
}

void TMainForm::AnimateOverlay() {
  for (int i = 0; i < 4; i++) {
    for (int j = 0; j < 4; j++) {
      TMaskCell& m = pieces[i][j][0];
      switch (m.overlayCode) {
        case kOverlayEmptyOnEmpty:
        case kOverlayEmptyOnWall:
        case kOverlayEmptyOnBlock:
          m.spriteCol = 0;
          break;
        case kOverlayPieceOnEmpty:
        case kOverlayPieceOnClearing:
          StepOverlay(m, 4, 28);
          break;
        case kOverlayPieceOnBlock:
        case kOverlayEmptyOnClearing:
        case kOverlayPieceOnWall:
        case kOverlayEmptyOnVanishing:
          StepOverlay(m, 3, 21);
          break;
        default:
          break;
      }
    }
  }
}

void TMainForm::StepCursor(int dx, int dy) {
  cursorX += dx;
  cursorY += dy;
  if (cursorY < 0) cursorY = 0;
  if (cursorX < 0) cursorX = 0;
  if (cursorX > 12) cursorX = 12;
  if (cursorY > 22) cursorY = 22;
  cursorShown = 1;
}

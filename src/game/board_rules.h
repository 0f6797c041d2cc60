// The two board tests shared by play and the automatic player's planning
// board: whether a 4 x 4 mask may be laid at a cell, and whether a row of
// the well is all blocks.
#pragma once

#include "app/main.h"

// Slot 0 of `mask` at board cell (x, y): the whole 4 x 4 frame must lie on
// the board, and no filled cell may land on a block or a wall (empty and
// clearing cells take a piece).
inline bool MaskFits(const TCell (&board)[kBoardCols][kBoardRows],
                     const TMaskCell (&mask)[4][4][kPieceSlots], int x, int y) {
  if (x < 0 || y < 0) return false;
  for (int i = 0; i < 4; i++) {
    if (x + i > kBoardCols - 1) return false;
    for (int j = 0; j < 4; j++) {
      if (y + j > kBoardRows - 1) return false;
      if (mask[i][j][0].filled == 0) continue;
      const int32_t kind = board[x + i][y + j].kind;
      if (kind == kCellBlock || kind == kCellWall) return false;
    }
  }
  return true;
}

// Row y is full when every cell of the well's columns is a block.
inline bool RowIsFull(const TCell (&board)[kBoardCols][kBoardRows], int y) {
  for (int x = kWellLeft; x <= kWellRight; x++) {
    if (board[x][y].kind != kCellBlock) return false;
  }
  return true;
}

// Starting a game: the reset of every counter, the walled board, the piece
// queue and its nine shapes, and the effect particles spawned on the board.
#include <cstring>

#include "app/main.h"

namespace {
// The nine shapes, each a list of filled (i, j) cells of the 4 x 4 mask
// (i = column to the right, j = row downward). Shape 7 fills every cell but
// (0, 0); a count of -1 marks it.
struct TShape {
  int count;
  int8_t cells[5][2];
};
constexpr TShape kShapes[9] = {
    {2, {{0, 0}, {0, 1}}},                          // 0: vertical domino
    {4, {{0, 0}, {0, 1}, {0, 2}, {0, 3}}},          // 1: bar of four
    {4, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}},          // 2: square
    {4, {{1, 0}, {0, 1}, {1, 1}, {2, 1}}},          // 3: T
    {3, {{0, 0}, {1, 0}, {0, 1}}},                  // 4: corner
    {5, {{0, 0}, {1, 0}, {2, 0}, {1, 1}, {2, 1}}},  // 5
    {5, {{0, 0}, {0, 1}, {1, 1}, {0, 2}, {1, 2}}},  // 6
    {-1, {}},                                       // 7: all but (0, 0)
    {2, {{0, 0}, {1, 0}}},                          // 8: horizontal domino
};

bool IsWallCell(int x, int y) {
  return x < kWellLeft || x > kWellRight || y < kWellTop || y > kWellBottom;
}
}  // namespace

void TMainForm::NewGame() {
  ResetMusic();

  level = advancedStart == 1 ? 99 : 1;
  score = 0;
  score2 = 0;
  clearingCount = 0;
  clearingShown = 0;
  gaugeSub = 0;
  gauge = 0;
  phase = 1;
  bgmTrack = 1;
  levelShake = 0;
  gaugeSpeed = advancedStart == 1 ? 20 : 7;
  riseStep = advancedStart == 1 ? 4 : 1;
  phaseShape = 1;
  bonusValue = 0;
  bonusTimer = 0;
  bonusRow = 0;
  versusFrames = 0;
  turnSide = 0;
  leaderShown = 0;
  leaderShake = 0;
  bgPhase = 1;
  bgFade = 300;
  cursorX = 0;
  cursorY = 0;
  cursorShown = 0;
  ResetPreview();

  // The frame-rate average starts over with one sample of 60.
  framesThisSecond = 0;
  secondStartTick = 0;
  framesLastSecond = 60;
  fpsSum = 60;
  fpsSamples = 1;

  if (versusMode == 1) {
    ComposeBackground(5);
    ChangeMusic(0, 0, "system/bgm3m.ogg");
  } else {
    ComposeBackground(1);
    ChangeMusic(3, 0, advancedStart == 1 ? "system/bgm_b_01.ogg" : "system/bgm_a_01.ogg");
  }

  std::memset(board, 0, sizeof board);
  for (int x = 0; x < kBoardCols; x++) {
    for (int y = 0; y < kBoardRows; y++) {
      if (IsWallCell(x, y)) board[x][y].kind = kCellWall;
    }
  }

  std::memset(effects, 0, sizeof effects);

  DealPiece(0);
  DealPiece(1);
  DealPiece(2);

  scene = kScenePlay;
}

void TMainForm::DealPiece(int slot) {
  int shape = RandomBelow(9);
  if (phase == 4) {
    // Phase 4 deals its own shape one time in four and the vertical domino
    // otherwise; the draw above is made and thrown away.
    shape = RandomBelow(3) == 0 ? phaseShape : 0;
  }
  if (shape < 0 || shape > 8) shape = 0;  // phaseShape always comes from RandomBelow(9)

  const TShape& s = kShapes[shape];
  const int fill = s.count < 0 ? 1 : 0;
  for (int i = 0; i < 4; i++) {
    for (int j = 0; j < 4; j++) pieces[i][j][slot].filled = fill;
  }
  if (s.count < 0) {
    pieces[0][0][slot].filled = 0;
  } else {
    for (int c = 0; c < s.count; c++) pieces[s.cells[c][0]][s.cells[c][1]][slot].filled = 1;
  }
}

void TMainForm::SpawnEffects(int32_t col, int32_t row, int32_t kind) {
  if (!showEffects) return;
  int started = 0;
  for (TEffect& e : effects) {
    if (started >= 3) break;
    if (e.kind != 0) continue;
    e.kind = kind;
    e.x = RandomBelow(16) + 16 * col + boardLeft;  // x is drawn first
    e.y = RandomBelow(16) + 16 * row + boardTop;
    e.age = 158;
    e.dx = RandomBelow(4) - 2;
    e.t = 0;
    started++;
  }
}

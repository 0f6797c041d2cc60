// Play rules: placement and its refusals, inversion, rows
// turning into clearing rows, clearing cells vanishing, the forced rise and
// the preview overlay.
#include "game_fixture.h"

using PlayTest = GameTest;

TEST_F(PlayTest, PlacementOntoClearingCellsMakesBlocksThatDoNotVanish) {
  StartGame();
  for (int x = kWellLeft; x <= kWellRight; x++)
    form.board[x][22] = TCell{kCellClearing, 0, 0, 0, 0, 0};
  form.AgeClearing();  // 10 cells clearing, timer 1
  SetMask(0, {{0, 0}, {1, 0}});
  form.cursorX = 5;
  form.cursorY = 22;
  form.scene = kSceneRequestPlace;
  form.PlacePiece();
  EXPECT_EQ(form.scene, kScenePlay);
  EXPECT_EQ(Count("sound 0"), 1);
  for (int x : {5, 6}) {
    EXPECT_EQ(form.board[x][22].kind, kCellBlock);
    EXPECT_EQ(form.board[x][22].spriteRow, 1);
    EXPECT_EQ(form.board[x][22].clearTimer, 0);
  }
  // The rest of the row vanishes on schedule; the two blocks stay.
  for (int f = 2; f <= 331; f++) form.AgeClearing();
  for (int x = kWellLeft; x <= kWellRight; x++)
    EXPECT_EQ(form.board[x][22].kind, (x == 5 || x == 6) ? kCellBlock : kCellEmpty) << x;
}

TEST_F(PlayTest, RefusedPlacementsChangeNothing) {
  StartGame();
  SetMask(0, {{0, 0}});
  form.board[6][10] = TCell{kCellBlock, 0, 1, 0, 0, 0};
  form.cursorX = 6;
  form.cursorY = 10;
  TCell before[kBoardCols][kBoardRows];
  std::memcpy(before, form.board, sizeof before);
  form.PlacePiece();
  EXPECT_EQ(host.Events(), "sound 7\n");
  EXPECT_EQ(form.scene, kScenePlay);
  EXPECT_EQ(std::memcmp(before, form.board, sizeof before), 0);
  EXPECT_EQ(CountFilled(0), 1);

  // Positions only the mouse reaches: refused whatever the mask, because the
  // 4 x 4 frame leaves the board.
  const std::pair<int, int> offBoard[] = {{13, 5}, {14, 5}, {15, 5}, {5, 23},
                                          {5, 24}, {5, 25}, {15, 25}};
  for (auto [x, y] : offBoard) {
    host.ClearEvents();
    form.cursorX = x;
    form.cursorY = y;
    EXPECT_FALSE(form.PieceFits());
    form.PlacePiece();
    EXPECT_EQ(host.Events(), "sound 7\n") << x << "," << y;
  }
  // A piece over the wall is refused, an empty mask cell over it is fine.
  form.cursorX = 12;
  form.cursorY = 10;
  EXPECT_TRUE(form.PieceFits());
  SetMask(0, {{1, 0}});
  EXPECT_FALSE(form.PieceFits());
}

TEST_F(PlayTest, InvertingShapeSevenAndTheVerticalDomino) {
  StartGame();
  SetMask(0, {{0, 0}});
  form.InvertPiece();
  EXPECT_EQ(CountFilled(0), 15);
  EXPECT_EQ(form.pieces[0][0][0].filled, 0);
  form.InvertPiece();
  EXPECT_EQ(CountFilled(0), 1);
  SetMask(0, {{0, 0}, {0, 1}});
  form.InvertPiece();
  EXPECT_EQ(CountFilled(0), 14);
  EXPECT_EQ(Count("sound 4"), 3);
  EXPECT_EQ(form.scene, kScenePlay);
}

TEST_F(PlayTest, PlacementShiftsTheQueueAndDealsOne) {
  StartGame();
  SetMask(1, {{0, 0}, {1, 0}, {2, 0}, {3, 0}});
  SetMask(2, {{0, 0}, {0, 1}, {0, 2}});
  form.cursorX = 3;
  form.cursorY = 3;
  const uint64_t draws = form.mtDraws;
  form.PlacePiece();
  EXPECT_EQ(CountFilled(0), 4);
  EXPECT_EQ(form.pieces[3][0][0].filled, 1);
  EXPECT_EQ(CountFilled(1), 3);
  EXPECT_EQ(form.mtDraws, draws + 1);
  EXPECT_EQ(form.previewX, -1);
  EXPECT_EQ(form.gauge, 0);  // no forced turn end outside versus mode
}

TEST_F(PlayTest, RowPointsForOneRowTwoRowsAndAChain) {
  // One row at level 1: 40 + 5.
  StartGame();
  FillRow(22, {7, 8});
  SetMask(0, {{0, 0}, {1, 0}});
  form.cursorX = 7;
  form.cursorY = 22;
  form.PlacePiece();
  EXPECT_EQ(form.score, 45);
  EXPECT_EQ(host.Events().find("sound 0\nsound 1\n"), 0u);
  EXPECT_EQ(Count("sound 3"), 0);
  EXPECT_EQ(form.bonusTimer, 0);
  for (int x = kWellLeft; x <= kWellRight; x++) ASSERT_EQ(form.board[x][22].kind, kCellClearing);

  // Two rows at once: 80 + 5, one popup of 85 for 240 frames.
  StartGame();
  FillRow(21, {7});
  FillRow(22, {7});
  SetMask(0, {{0, 0}, {0, 1}});
  form.cursorX = 7;
  form.cursorY = 21;
  form.PlacePiece();
  EXPECT_EQ(form.score, 85);
  EXPECT_EQ(Count("sound 1"), 1);
  EXPECT_EQ(Count("sound 3"), 1);
  EXPECT_EQ(form.bonusValue, 85);
  EXPECT_EQ(form.bonusTimer, 240);
  EXPECT_EQ(form.bonusRow, 22);
  EXPECT_EQ(CountKind(kCellClearing), 20);

  // A chain: one row at level 3 while 10 cells are clearing: 40 + 30 + 15.
  StartGame();
  form.level = 3;
  for (int x = kWellLeft; x <= kWellRight; x++)
    form.board[x][22] = TCell{kCellClearing, 0, 0, 0, 0, 0};
  form.AgeClearing();
  FillRow(21, {3});
  SetMask(0, {{0, 0}});
  form.cursorX = 3;
  form.cursorY = 21;
  form.showEffects = true;
  form.PlacePiece();
  EXPECT_EQ(form.score, 85);
  EXPECT_EQ(Count("sound 1"), 1);
  EXPECT_EQ(Count("sound 3"), 1);
  EXPECT_EQ(form.bonusValue, 85);
  EXPECT_EQ(form.bonusRow, 21);
  // The chained row's sparkles use the second look.
  int second = 0;
  for (const TEffect& e : form.effects) second += e.kind == 2;
  EXPECT_EQ(second, 30);
}

TEST_F(PlayTest, ClearingCellsVanishAtThe331stAgeingAndTwoRowsGoOneFrameApart) {
  StartGame();
  form.board[5][20] = TCell{kCellBlock, 0, 1, 0, 0, 0};
  FillRow(21);
  FillRow(22);
  form.DetectLines();  // both rows turn clearing in the same step
  ASSERT_EQ(CountKind(kCellClearing), 20);
  host.ClearEvents();
  for (int f = 1; f <= 330; f++) form.AgeClearing();
  EXPECT_EQ(CountKind(kCellClearing), 20);
  EXPECT_EQ(form.clearingCount, 20);
  EXPECT_EQ(Count("sound 2"), 0);

  form.AgeClearing();  // 331st: the lower row goes, the upper drops unaged
  EXPECT_EQ(CountKind(kCellClearing), 10);
  EXPECT_EQ(form.clearingCount, 10);
  EXPECT_EQ(Count("sound 2"), 1);
  for (int x = kWellLeft; x <= kWellRight; x++) {
    ASSERT_EQ(form.board[x][22].kind, kCellClearing);
    ASSERT_EQ(form.board[x][22].clearTimer, 330);
  }
  EXPECT_EQ(form.board[5][21].kind, kCellBlock);

  form.AgeClearing();
  EXPECT_EQ(CountKind(kCellClearing), 0);
  EXPECT_EQ(form.clearingCount, 10);
  EXPECT_EQ(Count("sound 2"), 2);
  EXPECT_EQ(form.board[5][22].kind, kCellBlock);  // dropped two rows
  EXPECT_EQ(form.board[5][kWellTop].kind, kCellEmpty);
  EXPECT_EQ(CountKind(kCellWall), 216);
}

TEST_F(PlayTest, ForceRiseSinglePlayerPaysOncePerRise) {
  StartGame();
  SetMask(2, {{0, 0}, {0, 1}, {0, 2}, {0, 3}});
  form.ForceRise();
  SetMask(2, {{0, 0}, {0, 1}, {0, 2}, {0, 3}});
  form.ForceRise();  // twice before the next frame
  EXPECT_EQ(form.score, 200);
  EXPECT_EQ(form.bestScore, 765);
  EXPECT_EQ(CountFilled(2), 4);  // the domino replaced slot 2 only the first time
  EXPECT_EQ(form.gauge, 300);
  EXPECT_EQ(host.Events(), "sound 0\nsound 0\n");
  // The next gauge check completes the level at once.
  EXPECT_FALSE(form.AdvanceGauge());
  EXPECT_EQ(form.level, 2);
}

TEST_F(PlayTest, ForceRiseVersusMovesPointsAndClearsTheBottomRow) {
  StartGame(0, 1, 0);
  form.ForceRise();  // side 1 has no points: nothing at all
  EXPECT_EQ(host.Events(), "");
  EXPECT_EQ(form.gauge, 0);

  form.score = 150;
  form.board[4][22] = TCell{kCellBlock, 0, 1, 0, 0, 0};
  form.ForceRise();
  form.ForceRise();  // twice in one frame: pays again, down to 0
  EXPECT_EQ(form.score, 0);
  EXPECT_EQ(form.score2, 200);
  EXPECT_EQ(Count("sound 5"), 2);
  form.ForceRise();  // now nothing
  EXPECT_EQ(Count("sound 5"), 2);
  for (int x = kWellLeft; x <= kWellRight; x++) {
    ASSERT_EQ(form.board[x][22].kind, kCellClearing);
    ASSERT_EQ(form.board[x][22].clearTimer, 0);
  }
  EXPECT_EQ(form.gauge, 300);
  EXPECT_EQ(CountFilled(0), 2);
  EXPECT_EQ(form.pieces[1][0][0].filled, 1);

  // Side 2 on turn pays from score2, uncapped gain for side 1.
  form.turnSide = 1;
  form.score = kScoreCap;
  form.ForceRise();
  EXPECT_EQ(form.score2, 100);
  EXPECT_EQ(form.score, kScoreCap + 100);
}

TEST_F(PlayTest, PreviewOverlayCodesAndAnimation) {
  StartGame();
  SetMask(0, {{0, 0}, {1, 1}});
  form.board[4][5] = TCell{kCellBlock, 0, 1, 0, 0, 0};       // mask (1,0) empty over a block
  form.board[3][6] = TCell{kCellClearing, 0, 5, 0, 0, 241};  // mask (0,1) empty, about to vanish
  form.board[4][6] = TCell{kCellClearing, 0, 5, 0, 0, 10};   // mask (1,1) filled over clearing
  form.board[5][5] = TCell{kCellClearing, 0, 5, 0, 0, 100};  // mask (2,0) empty over clearing
  form.cursorX = 3;
  form.cursorY = 5;
  form.cursorShown = 1;
  form.UpdatePreview();
  EXPECT_EQ(host.Events(), "sound 6\n");
  EXPECT_EQ(form.pieces[0][0][0].overlayCode, 11);
  EXPECT_EQ(form.pieces[1][0][0].overlayCode, 21);
  EXPECT_EQ(form.pieces[0][1][0].overlayCode, 27);
  EXPECT_EQ(form.pieces[1][1][0].overlayCode, 16);
  EXPECT_EQ(form.pieces[2][0][0].overlayCode, 15);
  EXPECT_EQ(form.pieces[3][3][0].overlayCode, 10);

  // Same cell: animate only. Code 11 steps every 4 frames and wraps above 28.
  host.ClearEvents();
  for (int f = 1; f <= 28; f++) form.UpdatePreview();
  EXPECT_EQ(host.Events(), "");
  EXPECT_EQ(form.pieces[0][0][0].spriteCol, 7);
  EXPECT_EQ(form.pieces[0][1][0].spriteCol, 2);  // code 27: 3-frame steps, wrapped at 22
  form.UpdatePreview();
  EXPECT_EQ(form.pieces[0][0][0].spriteCol, 0);
  EXPECT_EQ(form.pieces[1][0][0].spriteCol, 0);

  // Mouse-only corner: only the part on the board gets a code.
  form.cursorX = 15;
  form.cursorY = 25;
  form.UpdatePreview();
  EXPECT_EQ(Count("sound 6"), 1);
  EXPECT_EQ(form.pieces[0][0][0].overlayCode, 19);  // filled over the wall
  EXPECT_EQ(form.pieces[1][0][0].overlayCode, 0);
  EXPECT_EQ(form.pieces[0][1][0].overlayCode, 0);
}

TEST_F(PlayTest, KeyStepsClampTheCursor) {
  StartGame();
  form.cursorX = 15;
  form.cursorY = 25;
  form.StepCursor(1, 0);
  EXPECT_EQ(form.cursorX, 12);
  EXPECT_EQ(form.cursorY, 22);
  EXPECT_EQ(form.cursorShown, 1);
  form.cursorX = 0;
  form.cursorY = 0;
  form.StepCursor(-1, 0);
  form.StepCursor(0, -1);
  EXPECT_EQ(form.cursorX, 0);
  EXPECT_EQ(form.cursorY, 0);
}

// Board, slots, preview, gauge, numbers, effects and the score panel, drawn
// from synthetic sheets.
#include <gtest/gtest.h>

#include "scene_fixture.h"

namespace {

int DrawnColumns(const TBitmap& b, int y) {
  int n = 0;
  for (int x = 0; x < b.Width(); x++) n += Px(b, x, y) != kScreenBack;
  return n;
}

TEST_F(SceneTest, GaugeDrawsValuePlusOneColumns) {
  const int want[][2] = {{0, 0}, {1, 2}, {2, 3}, {255, 256}, {300, 256}};
  for (const auto& w : want) {
    FillAll(form.screenBmp, kScreenBack);
    form.gauge = w[0];
    form.DrawGauge();
    EXPECT_EQ(DrawnColumns(form.screenBmp, 455), w[1]) << "gauge " << w[0];
  }
  EXPECT_EQ(Px(form.screenBmp, 32, 449), GaugeColour(0));
  EXPECT_EQ(Px(form.screenBmp, 287, 463), GaugeColour(255));
}

TEST_F(SceneTest, NumbersAreCutToTheirWidthAndMinusLeavesAGap) {
  TBitmap& s = form.screenBmp;
  form.DrawNumber8(300, 120, 123456789);  // nine digits: the first eight show
  for (int k = 0; k < 8; k++) EXPECT_EQ(Px(s, 300 + 32 * k + 16, 136), BigDigit(k + 1)) << k;
  EXPECT_EQ(Px(s, 300 + 256, 136), kScreenBack);

  form.DrawNumber8(0, 200, -5);  // "-0000000": a gap, then seven zeros
  EXPECT_EQ(Px(s, 16, 216), kScreenBack);
  for (int k = 1; k < 8; k++) EXPECT_EQ(Px(s, 32 * k + 16, 216), BigDigit(0)) << k;
  // Glyph 0's top-left pixel is the sheet's key colour: always a hole.
  EXPECT_EQ(Px(s, 32, 200), kScreenBack);
  EXPECT_EQ(Px(s, 33, 200), BigDigit(0));

  form.DrawNumber2(600, 470, 123);  // a frame rate of 100 or more: "12"
  form.DrawNumber2(600, 460, 7);    // "07"
  EXPECT_EQ(Px(s, 604, 474), SmallDigit(1));
  EXPECT_EQ(Px(s, 612, 474), SmallDigit(2));
  EXPECT_EQ(Px(s, 620, 474), kScreenBack);
  EXPECT_EQ(Px(s, 604, 464), SmallDigit(0));
  EXPECT_EQ(Px(s, 612, 464), SmallDigit(7));

  form.DrawSmallNumber(100, 400, 1234567890, 0);  // no length limit
  for (int k = 0; k < 10; k++) EXPECT_EQ(Px(s, 100 + 8 * k + 4, 404), SmallDigit((k + 1) % 10));
  form.DrawSmallNumber(100, 420, -42, 128);  // blended; the sign is a gap
  EXPECT_EQ(Px(s, 104, 424), kScreenBack);
  EXPECT_EQ(Px(s, 112, 424), BlendPx(SmallDigit(4), kScreenBack, 128));
}

TEST_F(SceneTest, BlockShinesInCounterSteps201To207Of208) {
  form.board[5][5].kind = kCellBlock;
  for (int step = 1; step <= 416; step++) {
    form.AnimateCells();
    const int phase = step % 208;
    const int want = phase >= 201 && phase <= 207 ? phase - 200 : 0;
    ASSERT_EQ(form.board[5][5].spriteCol, want) << step;
    ASSERT_EQ(form.board[5][5].spriteRow, 1);
  }
}

TEST_F(SceneTest, ClearingCellTurnsToRow28AndResetsThePreviewOnlyAt241) {
  TCell& c = form.board[7][10];
  c.kind = kCellClearing;
  for (int t = 236; t <= 246; t++) {
    c.clearTimer = t;
    form.previewX = form.previewY = 4;
    form.AnimateCells();
    EXPECT_EQ(form.previewX, t == 241 ? -1 : 4) << t;
    EXPECT_EQ(form.previewY, t == 241 ? -1 : 4) << t;
    EXPECT_EQ(c.spriteRow, t > 240 ? 28 : 5) << t;
    EXPECT_EQ(c.spriteCol, (t - 235) % 8) << t;  // frames 1..7, 0, 1, ...
  }
}

TEST_F(SceneTest, BoardCellsAreKeyedAndVanishingCellsBlended) {
  form.board[4][5] = TCell{kCellClearing, 3, 28, 0, 0, 241};
  form.board[6][7] = TCell{kCellBlock, 2, 1, 0, 0, 0};
  form.DrawBoard();
  const TBitmap& s = form.screenBmp;
  EXPECT_EQ(Px(s, 32 + 64 + 8, 32 + 80 + 8), BlendPx(ItemColour(3, 28), kScreenBack, 61));
  EXPECT_EQ(Px(s, 32 + 96 + 8, 32 + 112 + 8), ItemColour(2, 1));
  EXPECT_EQ(Px(s, 32, 32), kScreenBack);  // sprite (0, 0) starts with the key pixel
  EXPECT_EQ(Px(s, 33, 32), ItemColour(0, 0));
  EXPECT_EQ(Px(s, 287, 447), ItemColour(0, 0));
  EXPECT_EQ(Px(s, 288, 447), kScreenBack);
}

TEST_F(SceneTest, PieceSlotAndPreviewCells) {
  TBitmap& s = form.screenBmp;
  form.pieces[1][2][0].filled = 1;
  form.DrawPieceSlot(304, 96, 0);
  EXPECT_EQ(Px(s, 304 + 16 + 8, 96 + 32 + 8), ItemColour(1, 1));
  EXPECT_EQ(Px(s, 304 + 8, 96 + 16 + 8), ItemColour(0, 0));

  // At column 14 only two mask columns lie on the board.
  FillAll(s, kScreenBack);
  for (auto& column : form.pieces)
    for (auto& cell : column) cell[0] = TMaskCell{0, 2, 11, 0, 0, 0};
  form.pieces[1][1][0].overlayCode = 27;
  // A key-coloured pixel in sprite (2, 11).
  form.itemBmp.Edit([](TBitmap& b) { SetPx(b, 32, 176, kSheetKey); });
  form.cursorX = 14;
  form.cursorY = 3;
  form.DrawPreview();
  EXPECT_EQ(Px(s, 32 + 224 + 8, 32 + 48 + 8), ItemColour(2, 11));
  EXPECT_EQ(Px(s, 32 + 224, 32 + 48), kSheetKey);  // opaque: covers the cell completely
  EXPECT_EQ(Px(s, 32 + 240 + 8, 32 + 64 + 8), ItemColour(0, 26));  // code 27's own sprite
  for (int y = 0; y < 480; y++) ASSERT_EQ(Px(s, 290, y), kScreenBack);
}

TEST_F(SceneTest, EffectsFreezeWhileSwitchedOff) {
  form.level = 1;
  form.effects[0] = TEffect{1, 100, 200, 158, 1, 0};
  form.effects[1] = TEffect{2, 200, 200, 158, 0, 0};
  form.showEffects = false;
  for (int i = 0; i < 3; i++) form.DrawEffects();
  EXPECT_EQ(form.effects[0].x, 100);
  EXPECT_EQ(form.effects[0].age, 158);
  EXPECT_EQ(form.effects[0].t, 0);
  for (int y = 0; y < 480; y++) ASSERT_EQ(DrawnColumns(form.screenBmp, y), 0);

  form.showEffects = true;
  form.DrawEffects();
  EXPECT_EQ(form.effects[0].x, 101);
  EXPECT_EQ(form.effects[0].age, 163);
  EXPECT_EQ(form.effects[0].t, 5);
  EXPECT_EQ(Px(form.screenBmp, 101, 188), BlendPx(kDot1Colour, kScreenBack, 5));
  EXPECT_EQ(Px(form.screenBmp, 202, 190), BlendPx(kDot2Colour, kScreenBack, 5));
  EXPECT_EQ(Px(form.screenBmp, 203, 190), kScreenBack);  // dots are 3 x 3
}

TEST_F(SceneTest, EffectBobsThirtySevenFramesShowingItsBurstFrames) {
  form.level = 99;
  form.effects[0] = TEffect{1, 300, 240, 158, 0, 0};
  form.effects[1] = TEffect{2, 400, 240, 158, -2, 0};
  const int offsets[][2] = {{1, -12}, {2, -22}, {3, -31}, {15, -100}, {16, -100}, {37, 55}};
  int o = 0;
  for (int frame = 1; frame <= 38; frame++) {
    FillAll(form.screenBmp, kScreenBack);
    form.DrawEffects();
    if (frame == 38) break;
    const int age = 158 + 5 * frame;
    const int x1 = 400 - 2 * frame;
    if (o < 6 && offsets[o][0] == frame) {
      const int y = 240 + offsets[o++][1];
      EXPECT_EQ(Px(form.screenBmp, 300, y),
                BlendPx(BurstColour(1, age / 100), kScreenBack, 5 * frame))
          << frame;
      EXPECT_EQ(Px(form.screenBmp, 300, y - 1), kScreenBack) << frame;
      EXPECT_EQ(Px(form.screenBmp, x1 + 15, y + 15),
                BlendPx(BurstColour(2, std::min(7, age / 35)), kScreenBack, 5 * frame))
          << frame;
    }
    ASSERT_EQ(form.effects[0].kind, frame < 37 ? 1 : 0) << frame;
  }
  EXPECT_EQ(o, 6);
  for (int y = 0; y < 480; y++) ASSERT_EQ(DrawnColumns(form.screenBmp, y), 0);
}

TEST_F(SceneTest, PanelLayoutAndLevelJitterDrawnVerticalFirst) {
  TBitmap& s = form.screenBmp;
  TMainForm& want = Oracle();
  form.level = 1;
  form.clearingCount = 3;
  form.framesLastSecond = 123;
  int differentPairs = 0;
  for (int round = 0; round < 8; round++) {
    FillAll(s, kScreenBack);
    form.levelShake = 17;
    form.DrawScorePanel();
    EXPECT_EQ(form.levelShake, 16);
    const int a = want.RandomBelow(16);
    const int b = want.RandomBelow(16);
    differentPairs += a != b;
    // "00000001": the last glyph's corners.
    const int x = 385 + b + 224, y = 214 + a;
    EXPECT_EQ(Px(s, x, y), BigDigit(1)) << round;
    EXPECT_EQ(Px(s, x - 1, y), BigDigit(0)) << round;
    EXPECT_EQ(Px(s, x, y - 1), kScreenBack) << round;
    // The number's last column would be 640: it is cut at the frame's edge.
    EXPECT_EQ(Px(s, 639, y + 31), BigDigit(1)) << round;
    EXPECT_EQ(Px(s, 639, y + 32), kScreenBack) << round;
  }
  EXPECT_GT(differentPairs, 0);
  EXPECT_EQ(form.mtDraws, want.mtDraws);
  EXPECT_EQ(form.clearingShown, 3);  // one step per frame, then it stays
  // Buttons, best score, frame rate.
  EXPECT_EQ(Px(s, 0, 5), kScreenBack);
  for (int x : {1, 96, 112, 207, 450, 545}) EXPECT_EQ(Px(s, x, 19), kInfoColour) << x;
  EXPECT_EQ(Px(s, 385 + 16, 310 + 16), BigDigit(0));
  EXPECT_EQ(Px(s, 620, 474), SmallDigit(1));
  EXPECT_EQ(Px(s, 628, 474), SmallDigit(2));
}

TEST_F(SceneTest, VersusMarkersFollowTurnAndLeader) {
  TBitmap& s = form.screenBmp;
  TMainForm& want = Oracle();
  form.versusMode = 1;
  form.versusFrames = 11000;  // frames left: 0
  form.score = form.score2 = 500;
  form.turnSide = 1;
  form.leaderShown = 2;
  form.leaderShake = 5;
  form.DrawScorePanel();
  want.RandomBelow(0);
  want.RandomBelow(0);
  EXPECT_EQ(Px(s, 405 + 20, 194), ItemColour(1, 29));  // turn marker, side 2
  EXPECT_EQ(Px(s, 385 + 16, 310 + 16), BigDigit(0));
  // Equal scores: no leader marker, nothing changed.
  for (int y : {100, 115, 194, 209}) EXPECT_EQ(Px(s, 600, y), kScreenBack) << y;
  EXPECT_EQ(form.leaderShown, 2);
  EXPECT_EQ(form.leaderShake, 5);

  form.score = 600;  // side 1 takes the lead: the marker starts shaking
  FillAll(s, kScreenBack);
  form.DrawScorePanel();
  want.RandomBelow(0);
  want.RandomBelow(0);
  const int a = want.RandomBelow(31);
  const int b = want.RandomBelow(31);
  EXPECT_EQ(form.leaderShown, 1);
  EXPECT_EQ(form.leaderShake, 31);
  EXPECT_EQ(Px(s, 565 + b, 100 + a), ItemColour(4, 29));
  EXPECT_EQ(Px(s, 565 + b + 10, 100 + a + 15), ItemColour(4, 29));
  EXPECT_NE(Px(s, 564 + b, 100 + a), ItemColour(4, 29));
  EXPECT_NE(Px(s, 565 + b, 99 + a), ItemColour(4, 29));
  EXPECT_EQ(form.mtDraws, want.mtDraws);

  // At game over, once the shake has died down, sparkles every 12 frames.
  form.scene = kSceneGameOver;
  form.leaderShake = 1;
  form.DrawScorePanel();
  EXPECT_EQ(form.leaderShake, 12);
  int sparkles = 0;
  for (const TEffect& e : form.effects) {
    if (e.kind == 0) continue;
    sparkles++;
    EXPECT_EQ(e.kind, 2);
    EXPECT_GE(e.x, 32 + 16 * 24);
    EXPECT_LE(e.x, 32 + 16 * 24 + 15);
    EXPECT_GE(e.y, 32 + 16 * 6);
    EXPECT_LE(e.y, 32 + 16 * 6 + 15);
  }
  EXPECT_EQ(sparkles, 3);
}

TEST_F(SceneTest, BonusPopupStandsOpaqueThenSlidesAndFades) {
  const TBitmap& s = form.screenBmp;
  form.bonusTimer = 240;
  form.bonusValue = 7;
  form.bonusRow = 10;
  const int y = 32 + 160 + 4;
  for (int frame = 1; frame <= 241; frame++) {
    FillAll(form.screenBmp, kScreenBack);
    form.DrawScorePanel();
    const int n = 240 - frame;
    if (frame <= 208) {
      ASSERT_EQ(Px(s, 240, y), SmallDigit(7)) << frame;
      ASSERT_EQ(Px(s, 239, y), kScreenBack) << frame;
    } else if (frame <= 240) {
      const int slide = 16 - n / 2;
      ASSERT_EQ(Px(s, 240 + slide, y), BlendPx(SmallDigit(7), kScreenBack, 255 - 8 * n)) << frame;
      ASSERT_EQ(Px(s, 239 + slide, y), kScreenBack) << frame;
    } else {
      for (int x = 232; x < 272; x++) ASSERT_EQ(Px(s, x, y + 2), kScreenBack);
    }
  }
  EXPECT_EQ(form.bonusTimer, 0);
}

}  // namespace

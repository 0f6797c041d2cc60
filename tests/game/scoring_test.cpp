// The gauge, levels, phases, the rise of the stack and the versus turn clock.
#include "game_fixture.h"

using ScoringTest = GameTest;

namespace {
// Completes the current level at once, as a forced rise would.
bool CompleteLevel(TMainForm& f) {
  f.gauge = 300;
  return f.AdvanceGauge();
}
}  // namespace

TEST_F(ScoringTest, ALevelTakes3840FramesAtTheStartOfANormalGame) {
  StartGame();
  for (int f = 1; f < 3840; f++) ASSERT_FALSE(form.AdvanceGauge());
  EXPECT_EQ(form.level, 1);
  EXPECT_EQ(form.gauge, 255);
  const uint64_t draws = form.mtDraws;
  EXPECT_FALSE(form.AdvanceGauge());
  EXPECT_EQ(form.level, 2);
  EXPECT_EQ(form.gauge, 0);
  EXPECT_EQ(form.gaugeSub, 0);
  EXPECT_EQ(form.levelShake, 10);
  EXPECT_EQ(form.score, 100);
  EXPECT_EQ(form.mtDraws, draws + 11);  // ten cells and the hole of the new row
  EXPECT_EQ(host.Events(), "sound 5\n");
}

TEST_F(ScoringTest, ClearingCellsSlowTheGauge) {
  StartGame();
  auto stepsPerOverflow = [&](int32_t clearing, int32_t level, int32_t phase) {
    form.clearingCount = clearing;
    form.level = level;
    form.phase = phase;
    form.gauge = 0;
    form.gaugeSub = 100;
    form.AdvanceGauge();
    return form.gauge;
  };
  form.riseStep = 3;
  EXPECT_EQ(stepsPerOverflow(0, 1, 1), 3);
  EXPECT_EQ(stepsPerOverflow(19, 1, 1), 2);
  EXPECT_EQ(stepsPerOverflow(20, 1, 1), 1);
  EXPECT_EQ(stepsPerOverflow(35, 99, 1), 1);
  EXPECT_EQ(stepsPerOverflow(35, 100, 3), 0);
  EXPECT_EQ(stepsPerOverflow(35, 100, 4), 3);  // phase 4 ignores clearing cells
}

TEST_F(ScoringTest, PhasesMusicAndSpeedAlongANormalGame) {
  StartGame();
  for (int lv = 1; lv <= 6; lv++) CompleteLevel(form);
  EXPECT_EQ(form.gaugeSpeed, 9);  // +1 at levels 3 and 6
  host.ClearEvents();
  CompleteLevel(form);  // level 7 completed
  EXPECT_EQ(form.phase, 2);
  EXPECT_EQ(form.bgPhase, 2);
  EXPECT_EQ(form.bgFade, 0);
  EXPECT_EQ(form.gaugeSpeed, 10);
  EXPECT_EQ(form.riseStep, 1);
  EXPECT_EQ(form.bgmTrack, 2);
  EXPECT_EQ(host.Events(), "music change 1 0 system/bgm_a_02.ogg\nsound 5\n");

  for (int lv = 8; lv <= 14; lv++) CompleteLevel(form);
  EXPECT_EQ(form.phase, 3);
  for (int lv = 15; lv <= 20; lv++) CompleteLevel(form);
  for (int y = kWellTop; y <= kWellBottom; y++) FillRow(y, {3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  const uint64_t draws = form.mtDraws;
  CompleteLevel(form);  // level 21: phase 4 draws its shape before the rise
  EXPECT_EQ(form.phase, 4);
  EXPECT_EQ(form.mtDraws, draws + 1 + 11);
  EXPECT_EQ(form.riseStep, 1);
  for (int lv = 22; lv <= 27; lv++) CompleteLevel(form);
  host.ClearEvents();
  CompleteLevel(form);  // level 28: back to phase 1, riseStep 2
  EXPECT_EQ(form.phase, 1);
  EXPECT_EQ(form.riseStep, 2);
  EXPECT_EQ(form.bgmTrack, 5);
  EXPECT_EQ(Count("music change 1 0 system/bgm_a_05.ogg"), 1);
  EXPECT_EQ(form.level, 29);
}

TEST_F(ScoringTest, AdvancedStartThresholds) {
  StartGame(1);
  EXPECT_EQ(form.level, 99);
  while (form.level < 105) CompleteLevel(form);
  host.ClearEvents();
  CompleteLevel(form);  // level 105: first phase change, "bgm_b_" from now on
  EXPECT_EQ(Count("music change 1 0 system/bgm_b_02.ogg"), 1);
  EXPECT_EQ(form.riseStep, 4);
  while (form.level < 119) CompleteLevel(form);
  EXPECT_EQ(form.riseStep, 4);
  CompleteLevel(form);  // level 119 completed
  EXPECT_EQ(form.riseStep, 5);
  // The track number wraps after 8.
  form.bgmTrack = 8;
  host.ClearEvents();
  form.NextBgmTrack();
  EXPECT_EQ(host.Events(), "music change 1 0 system/bgm_b_01.ogg\n");
}

TEST_F(ScoringTest, GaugeSpeedIsCappedAtOneHundred) {
  StartGame();
  form.gaugeSpeed = 100;
  form.level = 3;
  CompleteLevel(form);
  EXPECT_EQ(form.gaugeSpeed, 100);
}

TEST_F(ScoringTest, RaiseStackTopsOutOnBlocksButPushesClearingCellsOff) {
  StartGame();
  form.board[7][kWellTop] = TCell{kCellBlock, 0, 1, 0, 0, 0};
  form.board[7][kWellBottom] = TCell{kCellBlock, 0, 1, 0, 0, 0};
  const uint64_t draws = form.mtDraws;
  EXPECT_TRUE(form.RaiseStack());
  EXPECT_EQ(form.mtDraws, draws);
  EXPECT_EQ(form.board[7][kWellTop].kind, kCellBlock);
  EXPECT_EQ(form.board[7][kWellBottom].kind, kCellBlock);
  // The top-out ends the game through AdvanceGauge, after the level count.
  EXPECT_TRUE(CompleteLevel(form));

  StartGame();
  for (int x = kWellLeft; x <= kWellRight; x++)
    form.board[x][kWellTop] = TCell{kCellClearing, 0, 5, 0, 0, 99};
  FillRow(kWellBottom);
  form.board[4][kWellBottom] = TCell{};
  EXPECT_FALSE(form.RaiseStack());
  for (int x = kWellLeft; x <= kWellRight; x++)
    EXPECT_NE(form.board[x][kWellTop].kind, kCellClearing);
  // The old bottom row moved up; under each of its blocks the new row has a
  // block, except at the one hole.
  int holes = 0;
  int gapsUnderBlocks = 0;
  for (int x = kWellLeft; x <= kWellRight; x++) {
    EXPECT_EQ(form.board[x][kWellBottom - 1].kind, x == 4 ? kCellEmpty : kCellBlock);
    const TCell& c = form.board[x][kWellBottom];
    holes += c.kind == kCellEmpty;
    gapsUnderBlocks += x != 4 && c.kind == kCellEmpty;
    if (c.kind == kCellBlock) {
      EXPECT_EQ(c.spriteRow, 1);
    }
  }
  EXPECT_GE(holes, 1);
  EXPECT_LE(gapsUnderBlocks, 1);
  EXPECT_EQ(CountKind(kCellWall), 216);
}

TEST_F(ScoringTest, VersusTurnRunsOutAndPaysTheWaitingSide) {
  StartGame(0, 1, 0);
  // 5 per frame, a step each time gaugeSub passes 30: 7 frames a step.
  int frames = 0;
  while (form.turnSide == 0 && frames < 5000) {
    ASSERT_FALSE(form.AdvanceGauge());
    frames++;
  }
  EXPECT_EQ(frames, 1792);
  EXPECT_EQ(form.score2, 100);
  EXPECT_EQ(form.score, 0);
  EXPECT_EQ(form.levelShake, 8);
  EXPECT_EQ(form.gauge, 0);
  EXPECT_EQ(host.Events(), "sound 5\nsound ch9\n");

  // Side 2's turn runs out: side 1 is paid and the automatic player restarts.
  form.aiState = 1020;
  form.gauge = 255;
  form.gaugeSub = 30;
  host.ClearEvents();
  form.AdvanceGauge();
  EXPECT_EQ(form.turnSide, 0);
  EXPECT_EQ(form.score, 100);
  EXPECT_EQ(form.aiState, 0);
  EXPECT_EQ(host.Events(), "sound 5\nsound ch9\n");
}

TEST_F(ScoringTest, VersusTurnEndedByAPlacementPaysNothing) {
  StartGame(0, 1, 0);
  SetMask(0, {{0, 0}});
  form.cursorX = 5;
  form.cursorY = 10;
  form.PlacePiece();
  EXPECT_EQ(form.gauge, 300);
  host.ClearEvents();
  form.AgeClearing();
  EXPECT_FALSE(form.AdvanceGauge());
  EXPECT_EQ(form.turnSide, 1);
  EXPECT_EQ(form.score, 0);
  EXPECT_EQ(form.score2, 0);
  EXPECT_EQ(host.Events(), "sound ch9\n");

  // A placement that completes a row keeps the turn until the row is gone.
  SetMask(0, {{0, 0}});
  FillRow(22, {3});
  form.cursorX = 3;
  form.cursorY = 22;
  form.PlacePiece();
  EXPECT_EQ(form.score2, 40 + 5);
  for (int f = 1; f <= 330; f++) {
    form.AgeClearing();
    ASSERT_FALSE(form.AdvanceGauge());
    ASSERT_EQ(form.turnSide, 1);
  }
  form.AgeClearing();  // the row vanishes; clearingCount still counts it
  form.AdvanceGauge();
  EXPECT_EQ(form.turnSide, 1);
  form.AgeClearing();
  form.AdvanceGauge();
  EXPECT_EQ(form.turnSide, 0);
  EXPECT_EQ(form.score, 0);  // forced end: nobody paid
}

TEST_F(ScoringTest, VersusEndsAtFrame10801EvenWhileCellsAreClearing) {
  StartGame(0, 1, 1);
  form.versusFrames = 10799;
  form.clearingCount = 10;
  EXPECT_FALSE(form.AdvanceGauge());
  EXPECT_EQ(form.versusFrames, 10800);
  EXPECT_TRUE(form.AdvanceGauge());
  EXPECT_EQ(form.versusFrames, 10801);

  // PlayFrame ends the game there: scene 300 and the title music.
  StartGame(0, 1, 0);
  form.versusFrames = 10800;
  form.PlayFrame();
  EXPECT_EQ(form.scene, kSceneGameOver);
  EXPECT_EQ(Count("music change 3 3 system/nil.ogg"), 1);
}

TEST_F(ScoringTest, ScoreCapAndBestScore) {
  StartGame();
  form.score = kScoreCap - 10;
  form.AddScore(200);
  EXPECT_EQ(form.score, kScoreCap);
  form.UpdateBestScore();
  EXPECT_EQ(form.bestScore, kScoreCap);

  StartGame(0, 1, 0);
  form.bestScore = 765;
  form.score = 5000;
  form.UpdateBestScore();
  EXPECT_EQ(form.bestScore, 765);  // versus scores never count as best
}

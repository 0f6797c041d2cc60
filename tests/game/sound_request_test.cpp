// Which sound answers an effect request: the game decides the effect and its
// channel, the host plays that channel and records the request as asked.
#include "game_fixture.h"

using SoundRequestTest = GameTest;

TEST_F(SoundRequestTest, FromLevel99RowsCompletedSoundsAsEffect8OnChannel9) {
  StartGame();
  form.level = 98;
  form.PlayEffect(1);
  EXPECT_EQ(host.effectChannelPlays[2], 1);
  form.level = 99;
  form.PlayEffect(1);
  form.level = 5000;
  form.PlayEffect(1);
  EXPECT_EQ(host.effectChannelPlays[9], 2);
  EXPECT_EQ(host.effectChannelPlays[2], 1);
  // The record keeps the request, so the dumps read "sound 1" at any level.
  EXPECT_EQ(host.Events(), "sound 1\nsound 1\nsound 1\n");

  // Every other request is its own effect on its own channel at any level.
  for (int n = 0; n <= 7; n++) {
    if (n == 1) continue;
    form.PlayEffect(n);
    EXPECT_EQ(form.EffectChannelFor(n), n + 1);
    EXPECT_EQ(host.effectChannelPlays[n + 1], 1) << "request " << n;
  }
}

TEST_F(SoundRequestTest, RequestsOutsideZeroToSevenAreRecordedButSoundNothing) {
  StartGame(1);  // level 99
  for (int n : {8, 9, -1}) form.PlayEffect(n);
  EXPECT_EQ(host.Events(), "sound 8\nsound 9\nsound -1\n");
  EXPECT_EQ(host.effectChannelPlays[kSilentChannel], 3);
  for (int c = 1; c < 10; c++) EXPECT_EQ(host.effectChannelPlays[c], 0) << "channel " << c;
}

TEST_F(SoundRequestTest, ACompletedRowInAnAdvancedGameSoundsOnChannel9) {
  StartGame(1);
  FillRow(kWellBottom, {kWellLeft});
  SetMask(0, {{0, 0}});
  form.cursorX = kWellLeft;
  form.cursorY = kWellBottom;
  form.PlacePiece();
  EXPECT_EQ(Count("sound 1"), 1);
  EXPECT_EQ(host.effectChannelPlays[9], 1);
  EXPECT_EQ(host.effectChannelPlays[2], 0);
}

TEST_F(SoundRequestTest, BackOnTheTitleTheNormalGameSoundsAsEffect1Again) {
  // The way back to the title sets level 1, so the choice of the normal game
  // after an advanced game is not heard as effect 8.
  StartGame(1);
  form.ReturnToTitle();
  host.ClearEvents();
  form.FormKeyDown('4', false);
  EXPECT_EQ(Count("sound 1"), 1);
  EXPECT_EQ(host.effectChannelPlays[2], 1);
  EXPECT_EQ(host.effectChannelPlays[9], 0);
}

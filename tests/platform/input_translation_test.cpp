// The additional controls as the game's own inputs: title navigation by
// pointer moves and clicks, keypad digits, pause keys, the pads' keys per
// side and mode, and the held-direction repeat timing.
#include "platform/input_translation.h"

#include <gtest/gtest.h>

#include "platform/pause_clock.h"
#include "platform/volume_keys.h"

namespace {

TGameView Scene(int32_t scene, int32_t versus = 0, int32_t menuChoice = 0) {
  TGameView v;
  v.scene = scene;
  v.versusMode = versus;
  v.menuChoice = menuChoice;
  return v;
}

// The game's title hover rule, as FormMouseMove applies it.
int32_t HoverRow(int32_t y) {
  int32_t row = 0;
  if (y >= 196 && y <= 224) row = 1;
  if (y >= 224 && y <= 252) row = 2;
  if (y >= 252 && y <= 280) row = 3;
  if (y >= 280 && y <= 308) row = 4;
  return row;
}

TEST(TitleNavigation, StepsLandInsideTheRowTheHoverRuleGivesAndWrap) {
  for (int32_t row = 1; row <= 4; row++) {
    int32_t x = 0, y = 0;
    TitleRowPoint(row, &x, &y);
    EXPECT_EQ(HoverRow(y), row);
    EXPECT_GE(x, 0);
    EXPECT_LT(x, 640);
  }
  EXPECT_EQ(TitleRowAfterStep(0, 1), 1);
  EXPECT_EQ(TitleRowAfterStep(0, -1), 4);
  EXPECT_EQ(TitleRowAfterStep(2, 1), 3);
  EXPECT_EQ(TitleRowAfterStep(4, 1), 1);
  EXPECT_EQ(TitleRowAfterStep(1, -1), 4);

  TGameInput in[2];
  // Choosing with nothing highlighted goes to the first row, then clicks.
  ASSERT_EQ(TitleChoose(Scene(100, 0, 0), in), 2);
  EXPECT_EQ(in[0].kind, TGameInput::kPointerMove);
  EXPECT_EQ(HoverRow(in[0].y), 1);
  EXPECT_EQ(in[1].kind, TGameInput::kClick);
  EXPECT_EQ(HoverRow(in[1].y), 1);
  ASSERT_EQ(TitleChoose(Scene(100, 0, 3), in), 1);
  EXPECT_EQ(in[0].kind, TGameInput::kClick);
  EXPECT_EQ(HoverRow(in[0].y), 3);
}

TEST(KeyTranslation, TitleArrowsAndReturnKeypadDigitsAndPause) {
  TGameInput in[2];
  ASSERT_EQ(TranslateKey(40, Scene(100, 0, 1), in), 1);  // down
  EXPECT_EQ(in[0].kind, TGameInput::kPointerMove);
  EXPECT_EQ(HoverRow(in[0].y), 2);
  ASSERT_EQ(TranslateKey(38, Scene(100, 0, 1), in), 1);  // up wraps
  EXPECT_EQ(HoverRow(in[0].y), 4);
  ASSERT_EQ(TranslateKey(13, Scene(100, 0, 2), in), 1);
  EXPECT_EQ(in[0].kind, TGameInput::kClick);
  EXPECT_EQ(HoverRow(in[0].y), 2);

  // Versus play: the arrows and Return stay keys (side 2's place, rise).
  ASSERT_EQ(TranslateKey(38, Scene(200, 1), in), 1);
  EXPECT_EQ(in[0].kind, TGameInput::kKey);
  EXPECT_EQ(in[0].vk, 38);
  ASSERT_EQ(TranslateKey(13, Scene(300), in), 1);
  EXPECT_EQ(in[0].vk, 13);

  // Keypad digits are the digits, in every scene.
  for (int32_t scene : {100, 200, 300}) {
    ASSERT_EQ(TranslateKey(96 + 4, Scene(scene), in), 1);
    EXPECT_EQ(in[0].kind, TGameInput::kKey);
    EXPECT_EQ(in[0].vk, '4');
  }
  ASSERT_EQ(TranslateKey(96, Scene(200), in), 1);
  EXPECT_EQ(in[0].vk, '0');

  // P and Pause pause only in the play scenes.
  for (int32_t scene : {200, 210, 220}) {
    ASSERT_EQ(TranslateKey('P', Scene(scene), in), 1);
    EXPECT_EQ(in[0].kind, TGameInput::kPause);
    ASSERT_EQ(TranslateKey(19, Scene(scene), in), 1);
    EXPECT_EQ(in[0].kind, TGameInput::kPause);
  }
  for (int32_t scene : {100, 110, 150, 300}) EXPECT_EQ(TranslateKey('P', Scene(scene), in), 0);
}

TEST(PadTranslation, ButtonsGiveEachSidesKeysPerModeAndScene) {
  TPadTranslator pads;
  TGameInput in[TPadTranslator::kMaxInputs];
  auto press = [&](int pad, TPadButton b, const TGameView& v) {
    const int n = pads.Button(pad, b, true, 0, v, in);
    pads.Button(pad, b, false, 0, v, in + n);
    return n;
  };
  auto key = [&](int pad, TPadButton b, const TGameView& v) -> int {
    if (press(pad, b, v) != 1 || in[0].kind != TGameInput::kKey) return -1;
    return in[0].vk;
  };
  const TGameView single = Scene(200);
  EXPECT_EQ(key(0, TPadButton::kUp, single), 'W');
  EXPECT_EQ(key(0, TPadButton::kLeft, single), 'A');
  EXPECT_EQ(key(0, TPadButton::kDown, single), 'S');
  EXPECT_EQ(key(0, TPadButton::kRight, single), 'D');
  EXPECT_EQ(key(0, TPadButton::kA, single), 'V');
  EXPECT_EQ(key(0, TPadButton::kB, single), 'B');
  EXPECT_EQ(key(0, TPadButton::kX, single), 'G');
  EXPECT_EQ(key(0, TPadButton::kY, single), 'G');
  EXPECT_EQ(key(0, TPadButton::kBack, single), '7');
  EXPECT_EQ(key(1, TPadButton::kA, single), 'V');  // single player: both pads play

  const TGameView versus = Scene(200, 1);
  EXPECT_EQ(key(0, TPadButton::kRight, versus), 'D');
  EXPECT_EQ(key(1, TPadButton::kUp, versus), 'U');
  EXPECT_EQ(key(1, TPadButton::kLeft, versus), 'H');
  EXPECT_EQ(key(1, TPadButton::kDown, versus), 'J');
  EXPECT_EQ(key(1, TPadButton::kRight, versus), 'K');
  EXPECT_EQ(key(1, TPadButton::kA, versus), 37);
  EXPECT_EQ(key(1, TPadButton::kB, versus), 39);
  EXPECT_EQ(key(1, TPadButton::kX, versus), 38);

  ASSERT_EQ(press(0, TPadButton::kStart, single), 1);
  EXPECT_EQ(in[0].kind, TGameInput::kPause);
  EXPECT_EQ(press(0, TPadButton::kStart, Scene(100)), 0);
  EXPECT_EQ(press(0, TPadButton::kStart, Scene(300)), 0);

  const TGameView over = Scene(300);
  EXPECT_EQ(key(0, TPadButton::kA, over), '7');
  EXPECT_EQ(key(1, TPadButton::kB, over), '8');
  EXPECT_EQ(press(0, TPadButton::kUp, over), 0);
  EXPECT_EQ(press(0, TPadButton::kA, Scene(110)), 0);  // the slide takes nothing

  // Title: up and down move the pointer, A clicks, left and right nothing.
  ASSERT_EQ(press(0, TPadButton::kDown, Scene(100, 0, 2)), 1);
  EXPECT_EQ(in[0].kind, TGameInput::kPointerMove);
  EXPECT_EQ(HoverRow(in[0].y), 3);
  EXPECT_EQ(press(0, TPadButton::kLeft, Scene(100)), 0);
  ASSERT_EQ(press(1, TPadButton::kA, Scene(100, 0, 4)), 1);
  EXPECT_EQ(in[0].kind, TGameInput::kClick);
  EXPECT_EQ(HoverRow(in[0].y), 4);
}

TEST(PadTranslation, HeldDirectionRepeatsAfterTheDelayAtTheRateAndStopsWhenLetGo) {
  TPadTranslator pads;
  TGameInput in[TPadTranslator::kMaxInputs];
  const TGameView play = Scene(200);
  EXPECT_EQ(pads.MsToRepeat(1000, play), TPadTranslator::kNoRepeat);
  ASSERT_EQ(pads.Button(0, TPadButton::kRight, true, 1000, play, in), 1);
  // The loop sleeps until the next step is due: no earlier, no later.
  EXPECT_EQ(pads.MsToRepeat(1000, play), TPadTranslator::kRepeatDelayMs);
  EXPECT_EQ(pads.MsToRepeat(1000 + TPadTranslator::kRepeatDelayMs - 1, play), 1u);
  EXPECT_EQ(pads.Repeat(1000 + TPadTranslator::kRepeatDelayMs - 1, play, in), 0);
  EXPECT_EQ(pads.MsToRepeat(1000 + TPadTranslator::kRepeatDelayMs + 5, play), 0u);  // overdue
  ASSERT_EQ(pads.Repeat(1000 + TPadTranslator::kRepeatDelayMs, play, in), 1);
  EXPECT_EQ(in[0].vk, 'D');
  uint32_t t = 1000 + TPadTranslator::kRepeatDelayMs;
  EXPECT_EQ(pads.MsToRepeat(t, play), TPadTranslator::kRepeatIntervalMs);
  // Nothing repeats outside play, so nothing to wake for.
  EXPECT_EQ(pads.MsToRepeat(t, Scene(300)), TPadTranslator::kNoRepeat);
  EXPECT_EQ(pads.Repeat(t + TPadTranslator::kRepeatIntervalMs - 1, play, in), 0);
  EXPECT_EQ(pads.Repeat(t + TPadTranslator::kRepeatIntervalMs, play, in), 1);
  // A stalled loop gets one step, not a burst.
  t += TPadTranslator::kRepeatIntervalMs;
  EXPECT_EQ(pads.Repeat(t + 10 * TPadTranslator::kRepeatIntervalMs, play, in), 1);
  // The stick held the same way as well: still one direction, one step.
  EXPECT_EQ(pads.Stick(0, 0, 30000, t, play, in), 0);
  pads.Button(0, TPadButton::kRight, false, t, play, in);
  t += 20 * TPadTranslator::kRepeatIntervalMs;
  EXPECT_EQ(pads.Repeat(t, play, in), 1);              // the stick still holds it
  EXPECT_EQ(pads.Stick(0, 0, 13000, t, play, in), 0);  // inside the hysteresis
  EXPECT_EQ(pads.Stick(0, 0, 5000, t, play, in), 0);   // let go
  EXPECT_EQ(pads.Repeat(t + 10000, play, in), 0);

  // The stick's other way and axis.
  ASSERT_EQ(pads.Stick(0, 1, -20000, t, play, in), 1);
  EXPECT_EQ(in[0].vk, 'W');
  // An unplugged pad holds nothing any more.
  pads.Release(0);
  EXPECT_EQ(pads.Repeat(t + 10000, play, in), 0);
  EXPECT_EQ(pads.MsToRepeat(t + 10000, play), TPadTranslator::kNoRepeat);
  // No repeat outside play (the title steps once per press).
  ASSERT_EQ(pads.Button(1, TPadButton::kDown, true, t, Scene(100), in), 1);
  EXPECT_EQ(pads.Repeat(t + 10000, Scene(100), in), 0);
}

TEST(PauseClock, PausedTimeIsNotTheGamesAndWrapsWithTheClock) {
  TPauseClock clock;
  EXPECT_EQ(clock.GameTime(5000), 5000u);
  clock.Pause(5000);
  clock.Pause(6000);  // already paused: the first start counts
  EXPECT_EQ(clock.GameTime(9000), 5000u);
  clock.Resume(12000);
  EXPECT_EQ(clock.GameTime(12016), 5016u);
  clock.Resume(13000);  // not paused: nothing
  EXPECT_EQ(clock.GameTime(13000), 6000u);
  // Across the 49-day wrap of the millisecond clock.
  TPauseClock wrap;
  wrap.Pause(0xFFFFFF00u);
  wrap.Resume(0x00000100u);
  EXPECT_EQ(wrap.GameTime(0x00000110u), 0xFFFFFF10u);
}

TEST(VolumeKeys, TenPercentStepsClampedAndShownForASecond) {
  TVolumeKeys v;
  EXPECT_EQ(v.Shown(0), 0);
  EXPECT_FALSE(v.Key('P', 0));
  EXPECT_TRUE(v.Key(189, 100));  // '-': music down
  EXPECT_EQ(v.MusicPercent(), 90);
  EXPECT_EQ(v.EffectsPercent(), 100);
  EXPECT_EQ(v.Shown(100), 1);
  EXPECT_EQ(v.Shown(1099), 1);
  EXPECT_EQ(v.Shown(1100), 0);
  // The loop wakes when the overlay goes: at 1100, not before.
  EXPECT_EQ(v.MsToHide(100), 1000u);
  EXPECT_EQ(v.MsToHide(1099), 1u);
  EXPECT_EQ(v.MsToHide(1100), TVolumeKeys::kNotShown);
  EXPECT_TRUE(v.Key(187, 2000));  // '=': music up, capped
  EXPECT_TRUE(v.Key(187, 2000));
  EXPECT_EQ(v.MusicPercent(), 100);
  for (int i = 0; i < 12; i++) v.Key(219, 3000);  // '[': effects down to 0
  EXPECT_EQ(v.EffectsPercent(), 0);
  EXPECT_EQ(v.Shown(3000), 2);
  v.Key(221, 3000);
  EXPECT_EQ(v.EffectsPercent(), 10);
}

}  // namespace

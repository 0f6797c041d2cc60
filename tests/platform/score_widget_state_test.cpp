// The score widgets' focus rule, the routing of keys and clicks, and the
// selection copied with Ctrl+C.
#include "platform/score_widget_state.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/key_mapping.h"

namespace {

constexpr char kText[] = "202407032005090001234500000012061";
constexpr char kMd5[] = "0123456789abcdef0123456789abcdef";

std::string Copied(const TScoreWidgetState& w) {
  char out[64];
  w.CopyText(out, sizeof out);
  return out;
}

// A frame x inside field f at character boundary i (6-pixel characters).
int32_t XOfChar(int f, int32_t i) {
  return kWidgetRects[f].x + TScoreWidgetState::kTextInset + 6 * i;
}

TEST(ScoreWidgets, HiddenWidgetsLetEverythingThroughToTheGame) {
  TScoreWidgetState w;
  EXPECT_EQ(w.KeyDown('S', true, false, false), TWidgetAction::kToGame);
  EXPECT_EQ(w.KeyDown(kVkTab, false, false, false), TWidgetAction::kToGame);
  EXPECT_EQ(w.MouseDown(kWidgetLeft, 1, 450, 45), TWidgetAction::kToGame);
  EXPECT_EQ(w.MouseMove(450, 45), TWidgetAction::kToGame);
  EXPECT_EQ(w.focus, kWidgetNone);
}

TEST(ScoreWidgets, ClickingAFieldTakesTheKeysUntilTheGamePictureIsClicked) {
  TScoreWidgetState w;
  w.Show(kText, kMd5);
  EXPECT_EQ(w.KeyDown('7', false, false, false), TWidgetAction::kToGame);

  EXPECT_EQ(w.MouseDown(kWidgetLeft, 1, 450, 45), TWidgetAction::kTaken);
  EXPECT_EQ(w.focus, kWidgetScoreEdit);
  EXPECT_EQ(w.MouseUp(kWidgetLeft, 450, 45), TWidgetAction::kTaken);
  // Game keys, Esc and Alt+Return all stay with the field.
  EXPECT_EQ(w.KeyDown('7', false, false, false), TWidgetAction::kTaken);
  EXPECT_EQ(w.KeyDown(kVkEscape, false, false, false), TWidgetAction::kTaken);
  EXPECT_EQ(w.KeyDown(kVkReturn, true, false, false), TWidgetAction::kTaken);

  // A click anywhere on the game picture gives the keyboard back.
  EXPECT_EQ(w.MouseDown(kWidgetLeft, 1, 100, 100), TWidgetAction::kToGame);
  EXPECT_EQ(w.focus, kWidgetNone);
  EXPECT_EQ(w.KeyDown('7', false, false, false), TWidgetAction::kToGame);
}

TEST(ScoreWidgets, HidingReturnsTheKeyboardToTheGame) {
  TScoreWidgetState w;
  w.Show(kText, kMd5);
  w.MouseDown(kWidgetLeft, 1, 450, 70);
  ASSERT_EQ(w.focus, kWidgetScoreMd5);
  w.Hide();
  EXPECT_EQ(w.focus, kWidgetNone);
  EXPECT_EQ(w.KeyDown('8', false, false, false), TWidgetAction::kToGame);
  EXPECT_EQ(w.MouseDown(kWidgetLeft, 1, 450, 70), TWidgetAction::kToGame);
}

TEST(ScoreWidgets, AltSPressesTheButtonWhereverTheKeyboardIs) {
  TScoreWidgetState w;
  w.Show(kText, kMd5);
  EXPECT_EQ(w.KeyDown('S', true, false, false), TWidgetAction::kPressButton);
  w.MouseDown(kWidgetLeft, 1, 450, 45);
  EXPECT_EQ(w.KeyDown('S', true, false, false), TWidgetAction::kPressButton);
  // Plain S is not the accelerator.
  EXPECT_EQ(w.KeyDown('S', false, false, false), TWidgetAction::kTaken);
}

TEST(ScoreWidgets, ButtonClicksOnReleaseInsideOnly) {
  TScoreWidgetState w;
  w.Show(kText, kMd5);
  EXPECT_EQ(w.MouseDown(kWidgetLeft, 1, 500, 95), TWidgetAction::kTaken);
  EXPECT_TRUE(w.buttonCaptured);
  EXPECT_EQ(w.focus, kWidgetRegScoreBtn);
  EXPECT_EQ(w.MouseUp(kWidgetLeft, 501, 96), TWidgetAction::kPressButton);

  // Pressed, dragged off and released elsewhere: no click, and the drag
  // never reaches the game.
  w.MouseDown(kWidgetLeft, 1, 500, 95);
  EXPECT_EQ(w.MouseMove(200, 300), TWidgetAction::kTaken);
  EXPECT_FALSE(w.buttonHot);
  EXPECT_EQ(w.MouseUp(kWidgetLeft, 200, 300), TWidgetAction::kTaken);
  // With the button focused, Space and Return press it.
  EXPECT_EQ(w.KeyDown(kVkSpace, false, false, false), TWidgetAction::kPressButton);
  EXPECT_EQ(w.KeyDown(kVkReturn, false, false, false), TWidgetAction::kPressButton);
  EXPECT_EQ(w.KeyDown('V', false, false, false), TWidgetAction::kTaken);
}

TEST(ScoreWidgets, DragSelectsAndCtrlCCopiesTheSelection) {
  TScoreWidgetState w;
  w.Show(kText, kMd5);
  w.MouseDown(kWidgetLeft, 1, XOfChar(0, 8), 45);
  EXPECT_EQ(w.MouseMove(XOfChar(0, 14), 45), TWidgetAction::kTaken);
  w.MouseUp(kWidgetLeft, XOfChar(0, 14), 45);
  EXPECT_EQ(w.SelectionStart(0), 8);
  EXPECT_EQ(w.SelectionEnd(0), 14);
  EXPECT_EQ(w.KeyDown('C', false, true, false), TWidgetAction::kCopy);
  EXPECT_EQ(Copied(w), "200509");
  // Dragging past the end clamps to the text.
  w.MouseDown(kWidgetLeft, 1, XOfChar(0, 30), 45);
  w.MouseMove(632, 45);
  EXPECT_EQ(w.SelectionEnd(0), 33);
  EXPECT_EQ(Copied(w), "061");
}

TEST(ScoreWidgets, CopyWithoutSelectionTakesTheWholeField) {
  TScoreWidgetState w;
  w.Show(kText, kMd5);
  EXPECT_EQ(Copied(w), "");  // no field has the keyboard
  w.MouseDown(kWidgetLeft, 1, XOfChar(1, 5), 70);
  w.MouseUp(kWidgetLeft, XOfChar(1, 5), 70);
  EXPECT_EQ(Copied(w), kMd5);
  EXPECT_EQ(w.KeyDown(kVkInsert, false, true, false), TWidgetAction::kCopy);
}

TEST(ScoreWidgets, KeyboardSelectionAndTab) {
  TScoreWidgetState w;
  w.Show(kText, kMd5);
  // Tab walks the three widgets; reaching a field selects all of it.
  EXPECT_EQ(w.KeyDown(kVkTab, false, false, false), TWidgetAction::kTaken);
  EXPECT_EQ(w.focus, kWidgetScoreEdit);
  EXPECT_EQ(Copied(w), kText);
  w.KeyDown(kVkTab, false, false, false);
  EXPECT_EQ(w.focus, kWidgetScoreMd5);
  w.KeyDown(kVkTab, false, false, false);
  EXPECT_EQ(w.focus, kWidgetRegScoreBtn);
  w.KeyDown(kVkTab, false, false, true);
  EXPECT_EQ(w.focus, kWidgetScoreMd5);

  w.KeyDown(kVkHome, false, false, false);
  w.KeyDown(kVkRight, false, false, true);
  w.KeyDown(kVkRight, false, false, true);
  EXPECT_EQ(Copied(w), "01");
  w.KeyDown(kVkEnd, false, false, true);
  EXPECT_EQ(Copied(w), kMd5);
  w.KeyDown('A', false, true, false);
  EXPECT_EQ(w.SelectionEnd(1) - w.SelectionStart(1), 32);
  // Double click selects everything.
  w.MouseDown(kWidgetLeft, 1, XOfChar(0, 3), 45);
  w.MouseUp(kWidgetLeft, XOfChar(0, 3), 45);
  w.MouseDown(kWidgetLeft, 2, XOfChar(0, 3), 45);
  EXPECT_EQ(Copied(w), kText);
}

TEST(ScoreWidgets, PointerOverAWidgetIsNotTheGames) {
  TScoreWidgetState w;
  w.Show(kText, kMd5);
  EXPECT_EQ(w.MouseMove(kWidgetRects[2].x, kWidgetRects[2].y), TWidgetAction::kTaken);
  EXPECT_EQ(w.MouseMove(kWidgetRects[2].x - 1, kWidgetRects[2].y), TWidgetAction::kToGame);
  EXPECT_EQ(w.MouseMove(632, 57), TWidgetAction::kTaken);
  EXPECT_EQ(w.MouseMove(633, 57), TWidgetAction::kToGame);
}

TEST(ScoreWidgets, LongTextsAreCut) {
  TScoreWidgetState w;
  const std::string longText(200, '9');
  w.Show(longText.c_str(), nullptr);
  EXPECT_EQ(w.length[0], TScoreWidgetState::kMaxText);
  EXPECT_EQ(w.length[1], 0);
}

}  // namespace

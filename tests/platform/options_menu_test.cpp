#include "platform/options_menu.h"

#include <gtest/gtest.h>

#include "platform/key_mapping.h"
#include "settings/key_names.h"

namespace {

// The frame pixel in the middle of a shown row, on its label or its value.
int32_t RowY(const TOptionsMenu& m, int32_t row) {
  return TOptionsMenu::kListTop + (row - m.FirstShown()) * TOptionsMenu::kRowHeight + 8;
}

void Go(TOptionsMenu& m, int32_t row) {
  while (m.Selected() != row) m.Key(kVkDown, 0);
}

}  // namespace

TEST(OptionsMenu, KeysChangeValuesWithinTheirRanges) {
  TOptionsMenu m;
  m.Open(TSettings());
  m.Key(kVkRight, 0);  // music already at 100
  EXPECT_EQ(m.Edited().musicVolume, 100);
  for (int i = 0; i < 12; i++) m.Key(kVkLeft, 0);
  EXPECT_EQ(m.Edited().musicVolume, 0);
  Go(m, TOptionsMenu::kRowWindowScale);
  m.Key(kVkLeft, 0);  // automatic wraps round to 4x
  EXPECT_EQ(m.Edited().windowScale, 4);
  m.Key(kVkRight, 0);
  EXPECT_EQ(m.Edited().windowScale, 0);
  Go(m, TOptionsMenu::kRowBackground);
  m.Key(kVkReturn, 0);
  EXPECT_FALSE(m.Edited().showBackground);
  // Up from the first row wraps to Close, which closes.
  Go(m, TOptionsMenu::kRowMusic);
  m.Key(kVkUp, 0);
  EXPECT_EQ(m.Selected(), TOptionsMenu::kRowClose);
  EXPECT_GE(m.Selected(), m.FirstShown());
  EXPECT_LT(m.Selected(), m.FirstShown() + TOptionsMenu::kVisibleRows);
  m.Key(kVkReturn, 0);
  EXPECT_FALSE(m.IsOpen());
}

TEST(OptionsMenu, BindingTakesTheNextKeyAndRefusesAClash) {
  TOptionsMenu m;
  m.Open(TSettings());
  const int32_t up = TOptionsMenu::kRowFirstKey + static_cast<int32_t>(kActSide1Up);
  Go(m, up);
  m.Key(kVkReturn, 0);
  EXPECT_TRUE(m.Capturing());
  m.Key('I', scancode::Letter('I'));
  EXPECT_FALSE(m.Capturing());
  EXPECT_EQ(m.Edited().keys[kActSide1Up], scancode::Letter('I'));
  EXPECT_EQ(m.Value(up), "I");
  // U is 2P up: shown, refused, nothing changed.
  m.Key(kVkReturn, 0);
  m.Key('U', scancode::Letter('U'));
  EXPECT_EQ(m.Edited().keys[kActSide1Up], scancode::Letter('I'));
  EXPECT_NE(m.Message().find("2P up"), std::string::npos) << m.Message();
  // Esc leaves the binding, not the overlay; the next Esc closes it.
  m.Key(kVkReturn, 0);
  m.Key(kVkEscape, scancode::kEscape);
  EXPECT_TRUE(m.IsOpen());
  EXPECT_EQ(m.Edited().keys[kActSide1Up], scancode::Letter('I'));
  m.Key(kVkEscape, scancode::kEscape);
  EXPECT_FALSE(m.IsOpen());
}

TEST(OptionsMenu, TextRowsTakeTypedTextAndRefuseABadAddress) {
  TOptionsMenu m;
  m.Open(TSettings());
  Go(m, TOptionsMenu::kRowName);
  m.Key(kVkReturn, 0);
  m.Text("ざぞ");
  m.Text("x");
  m.Key(kVkBack, 0);  // one character, not one byte
  m.Key(kVkBack, 0);
  m.Text(std::string(40, 'a').c_str());  // over the limit: not taken
  m.Key(kVkReturn, 0);
  EXPECT_EQ(m.Edited().playerName, "ざ");
  Go(m, TOptionsMenu::kRowBoard);
  m.Key(kVkReturn, 0);
  m.Text("not a url");
  m.Key(kVkReturn, 0);
  EXPECT_EQ(m.Edited().boardUrl, "");
  EXPECT_FALSE(m.Message().empty());
  m.Key(kVkReturn, 0);
  m.Text("https://scores.example");
  m.Key(kVkReturn, 0);
  EXPECT_EQ(m.Edited().boardUrl, "https://scores.example");
}

TEST(OptionsMenu, PointerChoosesRowsAndClicksChangeThem) {
  TOptionsMenu m;
  m.Open(TSettings());
  m.PointerMove(100, RowY(m, TOptionsMenu::kRowFullScreen));
  EXPECT_EQ(m.Selected(), TOptionsMenu::kRowFullScreen);
  m.Click(100, RowY(m, TOptionsMenu::kRowFullScreen));
  EXPECT_TRUE(m.Edited().fullScreen);
  // On a volume, the left half of the value lowers it, the right raises.
  m.Click(TOptionsMenu::kValueLeft, RowY(m, TOptionsMenu::kRowEffectsVolume));
  EXPECT_EQ(m.Edited().effectsVolume, 90);
  m.Click(TOptionsMenu::kValueMiddle + 10, RowY(m, TOptionsMenu::kRowEffectsVolume));
  EXPECT_EQ(m.Edited().effectsVolume, 100);
  // Outside the list: nothing.
  m.Click(10, 10);
  m.PointerMove(600, 300);
  EXPECT_EQ(m.Selected(), TOptionsMenu::kRowEffectsVolume);
  // The wheel scrolls to the end and no further.
  m.Scroll(100);
  EXPECT_EQ(m.FirstShown(), TOptionsMenu::kRowCount - TOptionsMenu::kVisibleRows);
  m.Click(100, RowY(m, TOptionsMenu::kRowClose));
  EXPECT_FALSE(m.IsOpen());
}

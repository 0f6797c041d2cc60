// The title's meeting menu: moving, choosing, typing a code or an address.
#include "platform/meeting_menu.h"

#include <gtest/gtest.h>

namespace {

constexpr uint16_t kUp = 38, kDown = 40, kReturn = 13, kEscape = 27, kBack = 8;

TMeetingChoice Type(TMeetingMenu& m, const std::string& keys) {
  TMeetingChoice c;
  for (char k : keys) c = m.Key(static_cast<uint16_t>(k == '.' ? 190 : k == ':' ? 186 : k));
  return c;
}

TEST(MeetingMenuTest, RowsAreChosenByKeysAndClicks) {
  TMeetingMenu m;
  EXPECT_EQ(m.Key(kReturn).kind, TMeetingChoice::kNone);  // closed: nothing
  m.Show();
  m.Key(kDown);
  m.Key(kDown);
  EXPECT_EQ(m.Panel().marked, 2);
  EXPECT_EQ(m.Key(kReturn).kind, TMeetingChoice::kCreateRoom);
  EXPECT_FALSE(m.Open());
  m.Show();
  m.Key(kUp);  // wraps to the last row
  EXPECT_EQ(m.Key(kReturn).kind, TMeetingChoice::kClose);
  m.Show();
  const int32_t quickRow = kRowTop + 4 * kRowHeight + 5;
  EXPECT_EQ(m.Click(kPanelLeft + 30, quickRow).kind, TMeetingChoice::kQuick);
  m.Show();
  EXPECT_EQ(m.Click(kPanelLeft - 5, quickRow).kind, TMeetingChoice::kNone);
  EXPECT_EQ(m.Key(kEscape).kind, TMeetingChoice::kClose);
}

TEST(MeetingMenuTest, CodesAndAddressesAreTypedAndChecked) {
  TMeetingMenu m;
  m.Show();
  for (int i = 0; i < 3; i++) m.Key(kDown);
  EXPECT_EQ(m.Key(kReturn).kind, TMeetingChoice::kNone);  // the code is asked for
  // A look-alike is refused with a note; Backspace mends it.
  EXPECT_EQ(Type(m, "ABC23O\r").kind, TMeetingChoice::kNone);
  EXPECT_NE(m.Panel().lines[2].find("6"), std::string::npos);
  m.Key(kBack);
  TMeetingChoice c = Type(m, "4\r");
  EXPECT_EQ(c.kind, TMeetingChoice::kJoinCode);
  EXPECT_EQ(c.text, "ABC234");

  m.Show();
  m.Key(kDown);
  m.Key(kReturn);
  c = Type(m, "LOCALHOST:47651\r");
  EXPECT_EQ(c.kind, TMeetingChoice::kJoinAddress);
  EXPECT_EQ(c.text, "localhost:47651");
  m.Show();
  m.Key(kDown);
  m.Key(kReturn);
  EXPECT_EQ(Type(m, "10.0.0.1\r").kind, TMeetingChoice::kNone);  // no port
  m.Key(kEscape);                                                // back to the rows
  EXPECT_TRUE(m.Open());
  EXPECT_EQ(m.Panel().count, TMeetingMenu::kItems + 1);
}

}  // namespace

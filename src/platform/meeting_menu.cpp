#include "platform/meeting_menu.h"

#include "system/host_port.h"
#include "system/room_code.h"

namespace {

constexpr uint16_t kVkBack = 8, kVkReturn = 13, kVkEscape = 27, kVkSpace = 32, kVkUp = 38,
                   kVkDown = 40;

const char* const kRows[TMeetingMenu::kItems] = {
    "直接ホストする  Host directly (UDP 47651)",
    "アドレスに参加  Join an address",
    "部屋を作る  Create a room",
    "コードで参加  Join a room by code",
    "クイック対戦  Quick match",
    "観戦する  Spectate a code",
    "閉じる  Close",
};

}  // namespace

int MeetingRowAt(const TMeetingPanel& panel, int32_t x, int32_t y) {
  if (x < kPanelLeft || x >= kPanelLeft + kPanelWidth || y < kRowTop) return -1;
  const int row = (y - kRowTop) / kRowHeight;
  return row < panel.count ? row : -1;
}

char EntryCharacter(uint16_t vk) {
  if (vk >= 'A' && vk <= 'Z') return static_cast<char>(vk);
  if (vk >= '0' && vk <= '9') return static_cast<char>(vk);
  if (vk >= 96 && vk <= 105) return static_cast<char>('0' + vk - 96);  // keypad
  if (vk == 190 || vk == 110) return '.';
  if (vk == 186) return ':';
  if (vk == 189 || vk == 109) return '-';
  return 0;
}

void TMeetingMenu::Show() {
  open_ = true;
  row_ = 0;
  entering_ = -1;
  entry_.clear();
  note_.clear();
}

TMeetingChoice TMeetingMenu::Choose(int row) {
  row_ = row;
  switch (row) {
    case 0:
      open_ = false;
      return {TMeetingChoice::kHostDirect, ""};
    case 1:
    case 3:
    case 5:
      entering_ = row;
      entry_.clear();
      note_.clear();
      return {};
    case 2:
      open_ = false;
      return {TMeetingChoice::kCreateRoom, ""};
    case 4:
      open_ = false;
      return {TMeetingChoice::kQuick, ""};
    default:
      open_ = false;
      return {TMeetingChoice::kClose, ""};
  }
}

TMeetingChoice TMeetingMenu::Confirm() {
  std::string text = entry_;
  if (entering_ == 1) {
    std::string host;
    uint16_t port = 0;
    if (!ParseHostPort(text, &host, &port)) {
      note_ = "HOST:PORT の形で  Type it as HOST:PORT";
      return {};
    }
  } else if (!NormalizeRoomCode(&text)) {
    note_ = "6 文字のコード  A code is 6 characters";
    return {};
  }
  const TMeetingChoice::TKind kind = entering_ == 1   ? TMeetingChoice::kJoinAddress
                                     : entering_ == 3 ? TMeetingChoice::kJoinCode
                                                      : TMeetingChoice::kSpectate;
  entering_ = -1;
  open_ = false;
  return {kind, text};
}

TMeetingChoice TMeetingMenu::Key(uint16_t vk) {
  if (!open_) return {};
  if (entering_ >= 0) {
    if (vk == kVkReturn) return Confirm();
    if (vk == kVkEscape) {
      entering_ = -1;
      note_.clear();
    } else if (vk == kVkBack) {
      if (!entry_.empty()) entry_.pop_back();
    } else if (const char c = EntryCharacter(vk); c && entry_.size() < kMaxEntry) {
      // An address keeps its letters as typed; a host name is case-blind.
      entry_.push_back(entering_ == 1 && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a')
                                                              : c);
    }
    return {};
  }
  if (vk == kVkUp || vk == 'W') row_ = (row_ + kItems - 1) % kItems;
  if (vk == kVkDown || vk == 'S') row_ = (row_ + 1) % kItems;
  if (vk == kVkReturn || vk == kVkSpace) return Choose(row_);
  if (vk == kVkEscape || vk == kVkBack) {
    open_ = false;
    return {TMeetingChoice::kClose, ""};
  }
  return {};
}

TMeetingChoice TMeetingMenu::Click(int32_t x, int32_t y) {
  if (!open_ || entering_ >= 0) return {};
  const int row = MeetingRowAt(Panel(), x, y);
  return row >= 0 ? Choose(row) : TMeetingChoice{};
}

TMeetingPanel TMeetingMenu::Panel() const {
  TMeetingPanel p;
  p.heading = "対戦の相手を探す  Meet another player";
  if (entering_ >= 0) {
    p.lines[0] = kRows[entering_];
    p.lines[1] =
        std::string(entering_ == 1 ? "アドレス Address: " : "コード Code: ") + entry_ + "_";
    p.lines[2] = note_;
    p.count = 3;
    p.marked = 1;
    p.help = "Return 決定 OK   Esc 戻る Back   Backspace 消す Delete";
    return p;
  }
  for (int i = 0; i < kItems; i++) p.lines[i] = kRows[i];
  p.lines[kItems] = note_;
  p.count = kItems + 1;
  p.marked = row_;
  p.help = "↑↓ 選ぶ Choose   Return 決定 OK   Esc 閉じる Close";
  return p;
}

// The meeting menu the title opens with O: the ways to meet another player
// (host directly, join an address, create a room, join a room by code, quick
// match, spectate a code), moved through with the arrow keys (or W/S, a
// pad's D-pad), chosen with Return (a pad's A) or a click, left with Esc (a
// pad's B); a code or an address is typed into the menu. Headless: keys in,
// a choice and the panel to draw out.
#pragma once

#include <cstdint>
#include <string>

#include "platform/meeting_panel.h"

struct TMeetingChoice {
  enum TKind {
    kNone,
    kHostDirect,
    kJoinAddress,
    kCreateRoom,
    kJoinCode,
    kQuick,
    kSpectate,
    kClose
  };
  TKind kind = kNone;
  std::string text;  // the code or the address typed
};

class TMeetingMenu {
 public:
  static constexpr int kItems = 7;
  static constexpr size_t kMaxEntry = 40;

  bool Open() const { return open_; }
  void Show();
  void Hide() { open_ = false; }
  // A key as the game's virtual-key code; a choice when one was made (the
  // menu then closes).
  TMeetingChoice Key(uint16_t vk);
  // A click at frame point (x, y): the row under it, chosen.
  TMeetingChoice Click(int32_t x, int32_t y);
  // A line of its own under the rows (a refusal, a status).
  void SetNote(const std::string& note) { note_ = note; }
  TMeetingPanel Panel() const;

 private:
  TMeetingChoice Choose(int row);
  TMeetingChoice Confirm();

  bool open_ = false;
  int row_ = 0;
  int entering_ = -1;  // the row whose text is being typed, -1 none
  std::string entry_, note_;
};

// The character a virtual-key code types into an address or a code, 0 for
// none: letters (upper case), digits (main row and keypad), '.', ':', '-'.
char EntryCharacter(uint16_t vk);

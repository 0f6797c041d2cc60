// Names of key positions as settings.toml and the options show them. A key
// position is its USB usage number, which is SDL's scancode.
#pragma once

#include <cstdint>

namespace scancode {
constexpr uint16_t kA = 4;   // letters A..Z are 4..29
constexpr uint16_t k1 = 30;  // digits 1..9 are 30..38, 0 is 39
constexpr uint16_t kReturn = 40;
constexpr uint16_t kEscape = 41;
constexpr uint16_t kTab = 43;
constexpr uint16_t kMinus = 45;
constexpr uint16_t kEquals = 46;
constexpr uint16_t kLeftBracket = 47;
constexpr uint16_t kRightBracket = 48;
constexpr uint16_t kPause = 72;
constexpr uint16_t kRight = 79;
constexpr uint16_t kLeft = 80;
constexpr uint16_t kDown = 81;
constexpr uint16_t kUp = 82;
constexpr uint16_t Letter(char c) {
  return static_cast<uint16_t>(kA + (c - 'A'));
}
constexpr uint16_t Digit(char c) {
  return c == '0' ? 39 : static_cast<uint16_t>(k1 + (c - '1'));
}
}  // namespace scancode

// The name of a key position ("W", "Left", "F5", "Minus"), or null for one
// the game does not let a player bind (modifiers, unknown positions).
const char* ScancodeName(uint16_t scancode);
// The position a name stands for (case-insensitive), or 0.
uint16_t ScancodeFromName(const char* name);

#include "settings/key_names.h"

#include <strings.h>

#include <cstdio>

namespace {

struct TNamedKey {
  uint16_t scancode;
  const char* name;
};

// Every position a player may bind besides the letters and digits.
constexpr TNamedKey kNamed[] = {
    {40, "Return"},
    {42, "Backspace"},
    {43, "Tab"},
    {44, "Space"},
    {45, "Minus"},
    {46, "Equals"},
    {47, "LeftBracket"},
    {48, "RightBracket"},
    {49, "Backslash"},
    {50, "Hash"},
    {51, "Semicolon"},
    {52, "Apostrophe"},
    {53, "Grave"},
    {54, "Comma"},
    {55, "Period"},
    {56, "Slash"},
    {58, "F1"},
    {59, "F2"},
    {60, "F3"},
    {61, "F4"},
    {62, "F5"},
    {63, "F6"},
    {64, "F7"},
    {65, "F8"},
    {66, "F9"},
    {67, "F10"},
    {68, "F11"},
    {69, "F12"},
    {72, "Pause"},
    {73, "Insert"},
    {74, "Home"},
    {75, "PageUp"},
    {76, "Delete"},
    {77, "End"},
    {78, "PageDown"},
    {79, "Right"},
    {80, "Left"},
    {81, "Down"},
    {82, "Up"},
    {84, "KeypadDivide"},
    {85, "KeypadMultiply"},
    {86, "KeypadMinus"},
    {87, "KeypadPlus"},
    {88, "KeypadEnter"},
    {89, "Keypad1"},
    {90, "Keypad2"},
    {91, "Keypad3"},
    {92, "Keypad4"},
    {93, "Keypad5"},
    {94, "Keypad6"},
    {95, "Keypad7"},
    {96, "Keypad8"},
    {97, "Keypad9"},
    {98, "Keypad0"},
    {99, "KeypadPeriod"},
    {100, "LessGreater"},
};

constexpr const char* kLetters[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I",
                                    "J", "K", "L", "M", "N", "O", "P", "Q", "R",
                                    "S", "T", "U", "V", "W", "X", "Y", "Z"};
constexpr const char* kDigits[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"};

}  // namespace

const char* ScancodeName(uint16_t code) {
  if (code >= scancode::kA && code < scancode::kA + 26) return kLetters[code - scancode::kA];
  if (code >= scancode::k1 && code < scancode::k1 + 10) return kDigits[code - scancode::k1];
  if (code == scancode::kEscape) return "Escape";
  for (const TNamedKey& k : kNamed) {
    if (k.scancode == code) return k.name;
  }
  return nullptr;
}

uint16_t ScancodeFromName(const char* name) {
  if (!name || !*name) return 0;
  for (uint16_t code = 1; code < 128; code++) {
    const char* known = ScancodeName(code);
    if (known && strcasecmp(known, name) == 0) return code;
  }
  return 0;
}

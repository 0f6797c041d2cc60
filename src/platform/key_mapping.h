// SDL keyboard events as the Windows virtual-key codes the game's key
// handler was written for.
#pragma once

#include <SDL_keyboard.h>

#include <cstdint>

// Virtual-key codes the game and the score widgets look at.
enum : uint16_t {
  kVkBack = 8,
  kVkTab = 9,
  kVkReturn = 13,
  kVkEscape = 27,
  kVkSpace = 32,
  kVkEnd = 35,
  kVkHome = 36,
  kVkLeft = 37,
  kVkUp = 38,
  kVkRight = 39,
  kVkDown = 40,
  kVkInsert = 45,
  kVkNumpad0 = 96,
};

// The virtual-key code of a key: main-row digits '0'..'9' (48..57, by key
// position, as on any keyboard layout), letters as upper case 'A'..'Z'
// (65..90) whatever Shift or Caps Lock, Return and keypad Enter 13, Escape 27,
// arrows 37..40, keypad digits 96..105 with Num Lock on and the navigation
// keys they carry with Num Lock off (never the main-row digits), modifiers,
// function keys and punctuation as Windows numbers them. 0 for a key that has
// no code (it is not passed on).
uint16_t VirtualKeyFromSdl(SDL_Scancode scancode, SDL_Keycode sym, uint16_t mod);

// The modifier state the handlers are told about.
struct TKeyModifiers {
  bool alt;
  bool ctrl;
  bool shift;
};
TKeyModifiers KeyModifiersFromSdl(uint16_t mod);

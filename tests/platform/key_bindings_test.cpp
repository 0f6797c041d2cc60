#include "platform/key_bindings.h"

#include <gtest/gtest.h>

#include "platform/key_mapping.h"
#include "settings/key_names.h"

namespace {

// What the game receives for the key at `scancode` that the layout prints as
// `sym`: its code, or -1 for nothing.
int Game(const TSettings& s, SDL_Scancode scancode, SDL_Keycode sym, bool alt = false) {
  const uint16_t layoutVk = VirtualKeyFromSdl(scancode, sym, 0);
  const TBoundKey k = TranslateBoundKey(s, static_cast<uint16_t>(scancode), layoutVk, alt);
  if (!k.deliver) return -1;
  EXPECT_EQ(k.alt, alt);
  return k.vk;
}

}  // namespace

TEST(KeyBindings, DefaultsOnQwertyAreTheKeysAsTheyWere) {
  const TSettings s;
  for (char c = 'a'; c <= 'z'; c++) {
    const auto scancode = static_cast<SDL_Scancode>(SDL_SCANCODE_A + (c - 'a'));
    EXPECT_EQ(Game(s, scancode, c), c - 'a' + 'A') << c;
  }
  for (char c = '0'; c <= '9'; c++) {
    const auto scancode =
        static_cast<SDL_Scancode>(c == '0' ? SDL_SCANCODE_0 : SDL_SCANCODE_1 + (c - '1'));
    EXPECT_EQ(Game(s, scancode, c), c) << c;
  }
  EXPECT_EQ(Game(s, SDL_SCANCODE_LEFT, SDLK_LEFT), kVkLeft);
  EXPECT_EQ(Game(s, SDL_SCANCODE_UP, SDLK_UP), kVkUp);
  EXPECT_EQ(Game(s, SDL_SCANCODE_DOWN, SDLK_DOWN), kVkDown);
  EXPECT_EQ(Game(s, SDL_SCANCODE_RETURN, SDLK_RETURN), kVkReturn);
  EXPECT_EQ(Game(s, SDL_SCANCODE_RETURN, SDLK_RETURN, true), kVkReturn);
  EXPECT_EQ(Game(s, SDL_SCANCODE_W, 'w', true), 87);  // Alt+W moves like W
  EXPECT_EQ(Game(s, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), kVkEscape);
  EXPECT_EQ(Game(s, SDL_SCANCODE_MINUS, SDLK_MINUS), 189);
  EXPECT_EQ(Game(s, SDL_SCANCODE_PAUSE, SDLK_PAUSE), 19);
  // The keypad's arrows (Num Lock off) are not the arrow keys' positions.
  EXPECT_EQ(Game(s, SDL_SCANCODE_KP_8, SDLK_KP_8), kVkUp);
}

TEST(KeyBindings, AzertyAndQwertzPlayersFindTheKeysWhereTheTitleShowsThem) {
  const TSettings s;
  // AZERTY: Z sits where W is, A where Q is, W where Z is.
  EXPECT_EQ(Game(s, SDL_SCANCODE_W, 'z'), 87);
  EXPECT_EQ(Game(s, SDL_SCANCODE_Q, 'a'), -1);
  EXPECT_EQ(Game(s, SDL_SCANCODE_A, 'q'), 65);
  EXPECT_EQ(Game(s, SDL_SCANCODE_Z, 'w'), -1);
  // Letters no action uses keep their layout's name.
  EXPECT_EQ(Game(s, SDL_SCANCODE_SEMICOLON, 'm'), 'M');
  // QWERTZ: Y and Z swapped, neither an action.
  EXPECT_EQ(Game(s, SDL_SCANCODE_Y, 'z'), 'Z');
  EXPECT_EQ(Game(s, SDL_SCANCODE_Z, 'y'), 'Y');
  // Cyrillic: the position names the letter.
  EXPECT_EQ(Game(s, SDL_SCANCODE_D, 0x432), 68);
}

TEST(KeyBindings, AReboundActionLeavesItsOldKey) {
  TSettings s;
  s.keys[kActSide1Up] = scancode::Letter('I');
  s.keys[kActSide2Rise] = 62;   // F5
  s.keys[kActFullScreen] = 68;  // F11 with Alt
  s.keys[kActMusicDown] = scancode::Letter('M');
  EXPECT_EQ(Game(s, SDL_SCANCODE_I, 'i'), 87);
  EXPECT_EQ(Game(s, SDL_SCANCODE_W, 'w'), -1);
  EXPECT_EQ(Game(s, SDL_SCANCODE_F5, SDLK_F5), kVkUp);
  EXPECT_EQ(Game(s, SDL_SCANCODE_UP, SDLK_UP), -1);
  EXPECT_EQ(Game(s, SDL_SCANCODE_F11, SDLK_F11, true), kVkReturn);
  EXPECT_EQ(Game(s, SDL_SCANCODE_RETURN, SDLK_RETURN, true), -1);
  EXPECT_EQ(Game(s, SDL_SCANCODE_RETURN, SDLK_RETURN), kVkReturn);  // the title's Return
  EXPECT_EQ(Game(s, SDL_SCANCODE_M, 'm'), 189);
  EXPECT_EQ(Game(s, SDL_SCANCODE_MINUS, SDLK_MINUS), -1);
}

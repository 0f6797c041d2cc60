// SDL keys to the virtual-key codes the game's key handler reads.
#include "platform/key_mapping.h"

#include <gtest/gtest.h>

namespace {

uint16_t Vk(SDL_Scancode sc, SDL_Keycode sym, uint16_t mod = KMOD_NONE) {
  return VirtualKeyFromSdl(sc, sym, mod);
}

TEST(KeyMapping, MainRowDigitsByPositionWhateverTheLayoutPrints) {
  EXPECT_EQ(Vk(SDL_SCANCODE_1, SDLK_1), 49);
  EXPECT_EQ(Vk(SDL_SCANCODE_4, SDLK_4), 52);
  EXPECT_EQ(Vk(SDL_SCANCODE_8, SDLK_8), 56);
  EXPECT_EQ(Vk(SDL_SCANCODE_0, SDLK_0), 48);
  // A French keyboard's unshifted digit row prints '&', 'é', '"', ''' ...
  EXPECT_EQ(Vk(SDL_SCANCODE_1, SDLK_AMPERSAND), 49);
  EXPECT_EQ(Vk(SDL_SCANCODE_4, SDLK_QUOTE), 52);
  EXPECT_EQ(Vk(SDL_SCANCODE_4, SDLK_4, KMOD_SHIFT), 52);
}

TEST(KeyMapping, KeypadDigitsAreNeverDigits) {
  for (int i = 0; i < 10; i++) {
    const auto sc = static_cast<SDL_Scancode>(SDL_SCANCODE_KP_1 + i);
    const SDL_Keycode sym = static_cast<SDL_Keycode>(SDLK_KP_1 + i);
    const uint16_t on = Vk(sc, sym, KMOD_NUM);
    EXPECT_TRUE(on < '0' || on > '9') << i;
    EXPECT_GE(on, 96);
    EXPECT_LE(on, 105);
    const uint16_t off = Vk(sc, sym, KMOD_NONE);
    EXPECT_TRUE(off < '0' || off > '9') << i;
  }
  EXPECT_EQ(Vk(SDL_SCANCODE_KP_4, SDLK_KP_4, KMOD_NUM), 100);
  EXPECT_EQ(Vk(SDL_SCANCODE_KP_0, SDLK_KP_0, KMOD_NUM), 96);
  // With Num Lock off the keypad carries the arrows, as on Windows.
  EXPECT_EQ(Vk(SDL_SCANCODE_KP_4, SDLK_KP_4), 37);
  EXPECT_EQ(Vk(SDL_SCANCODE_KP_8, SDLK_KP_8), 38);
  EXPECT_EQ(Vk(SDL_SCANCODE_KP_6, SDLK_KP_6), 39);
  EXPECT_EQ(Vk(SDL_SCANCODE_KP_2, SDLK_KP_2), 40);
}

TEST(KeyMapping, LettersAreUpperCaseWhateverShiftOrCapsLock) {
  EXPECT_EQ(Vk(SDL_SCANCODE_W, SDLK_w), 87);
  EXPECT_EQ(Vk(SDL_SCANCODE_W, SDLK_w, KMOD_SHIFT), 87);
  EXPECT_EQ(Vk(SDL_SCANCODE_W, SDLK_w, KMOD_CAPS), 87);
  EXPECT_EQ(Vk(SDL_SCANCODE_W, SDLK_w, KMOD_CTRL), 87);
  EXPECT_EQ(Vk(SDL_SCANCODE_A, SDLK_a), 65);
  EXPECT_EQ(Vk(SDL_SCANCODE_Z, SDLK_z), 90);
  // Layouts follow the printed letter: AZERTY's A sits where QWERTY has Q.
  EXPECT_EQ(Vk(SDL_SCANCODE_Q, SDLK_a), 65);
  // Non-Latin layouts fall back to the key's position.
  EXPECT_EQ(Vk(SDL_SCANCODE_V, static_cast<SDL_Keycode>(0x43C)), 86);
}

TEST(KeyMapping, ControlKeysTheGameReads) {
  EXPECT_EQ(Vk(SDL_SCANCODE_RETURN, SDLK_RETURN), 13);
  EXPECT_EQ(Vk(SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT), 13);
  EXPECT_EQ(Vk(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), 13);
  EXPECT_EQ(Vk(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), 27);
  EXPECT_EQ(Vk(SDL_SCANCODE_LEFT, SDLK_LEFT), 37);
  EXPECT_EQ(Vk(SDL_SCANCODE_UP, SDLK_UP), 38);
  EXPECT_EQ(Vk(SDL_SCANCODE_RIGHT, SDLK_RIGHT), 39);
  EXPECT_EQ(Vk(SDL_SCANCODE_DOWN, SDLK_DOWN), 40);
  EXPECT_EQ(Vk(SDL_SCANCODE_TAB, SDLK_TAB), 9);
  EXPECT_EQ(Vk(SDL_SCANCODE_LALT, SDLK_LALT), 18);
  EXPECT_EQ(Vk(SDL_SCANCODE_F1, SDLK_F1), 112);
  EXPECT_EQ(Vk(SDL_SCANCODE_COMMA, SDLK_COMMA), 188);
  // A key without a code is not passed on.
  EXPECT_EQ(Vk(SDL_SCANCODE_AUDIOPLAY, SDLK_AUDIOPLAY), 0);
}

TEST(KeyMapping, ModifiersReported) {
  const TKeyModifiers altRight = KeyModifiersFromSdl(KMOD_RALT | KMOD_NUM);
  EXPECT_TRUE(altRight.alt);
  EXPECT_FALSE(altRight.ctrl);
  EXPECT_FALSE(altRight.shift);
  const TKeyModifiers ctrlShift = KeyModifiersFromSdl(KMOD_LCTRL | KMOD_RSHIFT);
  EXPECT_FALSE(ctrlShift.alt);
  EXPECT_TRUE(ctrlShift.ctrl);
  EXPECT_TRUE(ctrlShift.shift);
}

}  // namespace

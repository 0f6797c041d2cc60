#include "platform/key_mapping.h"

namespace {

// Keypad keys with Num Lock off move like the navigation block.
uint16_t KeypadNavigation(SDL_Scancode scancode) {
  switch (scancode) {
    case SDL_SCANCODE_KP_0:
      return kVkInsert;
    case SDL_SCANCODE_KP_1:
      return kVkEnd;
    case SDL_SCANCODE_KP_2:
      return kVkDown;
    case SDL_SCANCODE_KP_3:
      return 34;  // Page Down
    case SDL_SCANCODE_KP_4:
      return kVkLeft;
    case SDL_SCANCODE_KP_5:
      return 12;  // Clear
    case SDL_SCANCODE_KP_6:
      return kVkRight;
    case SDL_SCANCODE_KP_7:
      return kVkHome;
    case SDL_SCANCODE_KP_8:
      return kVkUp;
    case SDL_SCANCODE_KP_9:
      return 33;  // Page Up
    case SDL_SCANCODE_KP_PERIOD:
      return 46;  // Delete
    default:
      return 0;
  }
}

// Punctuation keys, by the character they produce unshifted.
uint16_t Punctuation(SDL_Keycode sym) {
  switch (sym) {
    case SDLK_SEMICOLON:
      return 186;
    case SDLK_EQUALS:
      return 187;
    case SDLK_COMMA:
      return 188;
    case SDLK_MINUS:
      return 189;
    case SDLK_PERIOD:
      return 190;
    case SDLK_SLASH:
      return 191;
    case SDLK_BACKQUOTE:
      return 192;
    case SDLK_LEFTBRACKET:
      return 219;
    case SDLK_BACKSLASH:
      return 220;
    case SDLK_RIGHTBRACKET:
      return 221;
    case SDLK_QUOTE:
      return 222;
    default:
      return 0;
  }
}

}  // namespace

uint16_t VirtualKeyFromSdl(SDL_Scancode scancode, SDL_Keycode sym, uint16_t mod) {
  // Main-row digits by position: the same keys give the digit codes on
  // layouts whose unshifted row carries other characters.
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
    return static_cast<uint16_t>('1' + (scancode - SDL_SCANCODE_1));
  }
  if (scancode == SDL_SCANCODE_0) return '0';

  // Keypad: its own codes, never the digits.
  if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_0) {
    if (mod & KMOD_NUM) {
      if (scancode == SDL_SCANCODE_KP_0) return kVkNumpad0;
      return static_cast<uint16_t>(kVkNumpad0 + 1 + (scancode - SDL_SCANCODE_KP_1));
    }
    return KeypadNavigation(scancode);
  }
  switch (scancode) {
    case SDL_SCANCODE_KP_PERIOD:
      return (mod & KMOD_NUM) ? 110 : KeypadNavigation(scancode);
    case SDL_SCANCODE_KP_ENTER:
      return kVkReturn;
    case SDL_SCANCODE_KP_MULTIPLY:
      return 106;
    case SDL_SCANCODE_KP_PLUS:
      return 107;
    case SDL_SCANCODE_KP_MINUS:
      return 109;
    case SDL_SCANCODE_KP_DIVIDE:
      return 111;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_RETURN2:
      return kVkReturn;
    case SDL_SCANCODE_ESCAPE:
      return kVkEscape;
    case SDL_SCANCODE_BACKSPACE:
      return kVkBack;
    case SDL_SCANCODE_TAB:
      return kVkTab;
    case SDL_SCANCODE_SPACE:
      return kVkSpace;
    case SDL_SCANCODE_LEFT:
      return kVkLeft;
    case SDL_SCANCODE_UP:
      return kVkUp;
    case SDL_SCANCODE_RIGHT:
      return kVkRight;
    case SDL_SCANCODE_DOWN:
      return kVkDown;
    case SDL_SCANCODE_PAGEUP:
      return 33;
    case SDL_SCANCODE_PAGEDOWN:
      return 34;
    case SDL_SCANCODE_END:
      return kVkEnd;
    case SDL_SCANCODE_HOME:
      return kVkHome;
    case SDL_SCANCODE_INSERT:
      return kVkInsert;
    case SDL_SCANCODE_DELETE:
      return 46;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
      return 16;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
      return 17;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
      return 18;
    case SDL_SCANCODE_PAUSE:
      return 19;
    case SDL_SCANCODE_CAPSLOCK:
      return 20;
    case SDL_SCANCODE_PRINTSCREEN:
      return 44;
    case SDL_SCANCODE_LGUI:
      return 91;
    case SDL_SCANCODE_RGUI:
      return 92;
    case SDL_SCANCODE_APPLICATION:
      return 93;
    case SDL_SCANCODE_NUMLOCKCLEAR:
      return 144;
    case SDL_SCANCODE_SCROLLLOCK:
      return 145;
    default:
      break;
  }
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
    return static_cast<uint16_t>(112 + (scancode - SDL_SCANCODE_F1));
  }

  // Letters by the character the layout puts on the key (SDL reports it in
  // lower case whatever Shift or Caps Lock say).
  if (sym >= 'a' && sym <= 'z') return static_cast<uint16_t>(sym - 'a' + 'A');
  if (sym >= 'A' && sym <= 'Z') return static_cast<uint16_t>(sym);
  // Layouts without Latin letters: the key's position names the letter.
  if ((sym <= 0 || sym >= 128) && scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    return static_cast<uint16_t>('A' + (scancode - SDL_SCANCODE_A));
  }
  return Punctuation(sym);
}

TKeyModifiers KeyModifiersFromSdl(uint16_t mod) {
  return TKeyModifiers{(mod & KMOD_ALT) != 0, (mod & KMOD_CTRL) != 0, (mod & KMOD_SHIFT) != 0};
}

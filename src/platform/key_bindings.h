// The player's key bindings: a key is found by its position (SDL scancode)
// and handed to the game as the virtual-key code of the action bound to it,
// so the game, its replays and scripts see the codes they always have.
#pragma once

#include <cstdint>

#include "settings/settings.h"

struct TBoundKey {
  bool deliver = false;  // false: the key does nothing
  uint16_t vk = 0;
  bool alt = false;
};

// What a key pressed at `scancode`, which the keyboard layout names
// `layoutVk` (VirtualKeyFromSdl; 0 for none), gives the game:
// - the full-screen key with Alt: Alt+Return;
// - a key bound to an action: that action's code (with Alt when held);
// - any other key: its layout's code, except when that code is an action's
//   and the key is a letter or the action's default position: the action
//   has moved away from it (another layout's letter, or a rebinding).
TBoundKey TranslateBoundKey(const TSettings& settings, uint16_t scancode, uint16_t layoutVk,
                            bool alt);

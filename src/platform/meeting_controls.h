// What the window hands to the meeting of another player (the title's
// meeting menu, a room being met): while it takes input, keys (before any
// translation), clicks and pad buttons go to it; it opens with its own key
// on the title and draws over every frame.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/present_layout.h"

class TMeetingControls {
 public:
  virtual ~TMeetingControls() = default;
  virtual bool TakesInput() const = 0;
  // True for a key that opens the meeting (O on the title).
  virtual bool WantsKey(uint16_t vk) const = 0;
  virtual void Key(uint16_t vk) = 0;
  virtual void Click(int32_t x, int32_t y) = 0;
  virtual void Draw(SDL_Renderer* renderer, const TFrameRect& frame) = 0;
};

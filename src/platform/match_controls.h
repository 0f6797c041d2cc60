// What the window hands to a network match instead of the game: while a
// match runs (or is being met), the player's keys, clicks and the pause go
// to the match, which turns them into its own side's inputs; and the match
// draws its overlay over the presented frame.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/present_layout.h"

class TMatchControls {
 public:
  virtual ~TMatchControls() = default;
  // True while inputs belong to the match.
  virtual bool TakesInput() const = 0;
  virtual void Key(uint16_t vk, bool alt) = 0;
  virtual void Click(int button, int32_t x, int32_t y) = 0;
  virtual void Pause() = 0;
  // Draws over the frame (also when nothing of the match is to be shown).
  virtual void Draw(SDL_Renderer* renderer, const TFrameRect& frame) = 0;
};

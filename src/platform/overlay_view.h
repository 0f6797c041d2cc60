// What the platform draws over the presented frame on its own: the pause
// panel and the volume overlay. Text is prepared once at start-up (SDL_ttf);
// drawing only copies prepared textures and fills rectangles.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/present_layout.h"

class TOverlayView {
 public:
  TOverlayView() = default;
  ~TOverlayView() { Destroy(); }
  TOverlayView(const TOverlayView&) = delete;
  TOverlayView& operator=(const TOverlayView&) = delete;

  // Prepares the texts; without a usable font the panels are drawn without
  // text.
  void Create(SDL_Renderer* renderer);
  void Destroy();

  // The pause panel: covers the whole picture (the well and the pieces
  // cannot be studied) and says how to resume.
  void DrawPause(SDL_Renderer* renderer, const TFrameRect& frame) const;
  // The volume of the music (which = 1) or the effects (2) at `percent`
  // (0..100 in steps of 10), a small box at the top of the picture.
  void DrawVolume(SDL_Renderer* renderer, const TFrameRect& frame, int which,
                  int32_t percent) const;

 private:
  struct TText {
    SDL_Texture* texture = nullptr;
    int32_t w = 0;
    int32_t h = 0;
  };
  static void DrawText(SDL_Renderer* renderer, const TFrameRect& frame, const TText& text,
                       int32_t centreX, int32_t top);

  TText pauseTitle_;
  TText pauseHint_;
  TText pauseHintJa_;
  TText volumeLabel_[2];
  TText percent_[11];
};

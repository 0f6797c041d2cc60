// The board's messages over the picture: fetching today's challenge, the
// board not reachable (with the normal game offered), sending a replay.
// Texts are prepared once at start-up (SDL_ttf); drawing copies them.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/board_link.h"
#include "platform/present_layout.h"

class TBoardOverlayView {
 public:
  TBoardOverlayView() = default;
  ~TBoardOverlayView() { Destroy(); }
  TBoardOverlayView(const TBoardOverlayView&) = delete;
  TBoardOverlayView& operator=(const TBoardOverlayView&) = delete;

  void Create(SDL_Renderer* renderer);
  void Destroy();
  // A box across the lower part of the picture; nothing for kNone.
  void Draw(SDL_Renderer* renderer, const TFrameRect& frame, TBoardMessage message) const;

 private:
  struct TText {
    SDL_Texture* texture = nullptr;
    int32_t w = 0;
    int32_t h = 0;
  };
  static constexpr int kMessages = 6;
  static constexpr int kLines = 3;
  TText lines_[kMessages][kLines];
};

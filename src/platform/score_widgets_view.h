// Drawing the score signature widgets over the frame with SDL_ttf: the two
// read-only fields and the registration button, in the game window's own
// style. Everything that needs memory (fonts, glyphs, the caption) is made
// once at start-up; drawing only copies prepared textures.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>

#include "platform/present_layout.h"

class TScoreWidgetState;

// The button caption; '&' marks the accelerator letter, shown underlined.
extern const char kRegScoreBtnCaption[];

class TScoreWidgetView {
 public:
  TScoreWidgetView() = default;
  ~TScoreWidgetView() { Destroy(); }
  TScoreWidgetView(const TScoreWidgetView&) = delete;
  TScoreWidgetView& operator=(const TScoreWidgetView&) = delete;

  // Finds and opens the fonts, prepares the glyphs and the caption and tells
  // `state` the width of every character. Without any usable font the
  // widgets are drawn without text (a message goes to standard error).
  void Create(SDL_Renderer* renderer, TScoreWidgetState& state);
  void Destroy();

  // Draws the shown widgets over the frame placed at `frame` on the output.
  void Draw(SDL_Renderer* renderer, const TScoreWidgetState& state, const TFrameRect& frame,
            uint32_t nowMs) const;

 private:
  SDL_Rect ToOutput(const TFrameRect& frame, int32_t x, int32_t y, int32_t w, int32_t h) const;
  void DrawField(SDL_Renderer* renderer, const TScoreWidgetState& state, int field,
                 const TFrameRect& frame, uint32_t nowMs) const;
  void DrawButton(SDL_Renderer* renderer, const TScoreWidgetState& state,
                  const TFrameRect& frame) const;

  SDL_Texture* glyphs_ = nullptr;  // white ASCII glyphs 32..126 side by side
  SDL_Rect glyphRect_[128] = {};
  int32_t fieldFontHeight_ = 12;
  SDL_Texture* caption_ = nullptr;  // black caption, accelerator marker removed
  int32_t captionW_ = 0;
  int32_t captionH_ = 0;
  int32_t underlineX_ = 0;  // accelerator letter within the caption
  int32_t underlineW_ = 0;
  int32_t underlineY_ = 0;
};

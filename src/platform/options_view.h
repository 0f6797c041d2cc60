// Draws the options overlay and the title's hint strip over the presented
// frame. The texts are prepared when what is shown changes (the overlay
// holds the frames while it is open), never while frames run.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>

#include "platform/options_menu.h"
#include "platform/present_layout.h"

class TOptionsView {
 public:
  TOptionsView() = default;
  ~TOptionsView() { Destroy(); }
  TOptionsView(const TOptionsView&) = delete;
  TOptionsView& operator=(const TOptionsView&) = delete;

  // Opens the font and prepares the fixed texts; without a usable font the
  // overlay is drawn without text.
  void Create(SDL_Renderer* renderer);
  void Destroy();

  void Draw(SDL_Renderer* renderer, const TFrameRect& frame, const TOptionsMenu& menu);
  // The strip in the title's top-left corner naming the overlays' keys, one
  // line each.
  void DrawTitleHints(SDL_Renderer* renderer, const TFrameRect& frame) const;

 private:
  struct TText {
    SDL_Texture* texture = nullptr;
    int32_t w = 0;
    int32_t h = 0;
  };
  void Make(SDL_Renderer* renderer, const char* text, SDL_Color colour, TText* out) const;
  static void Free(TText* t);
  static void DrawText(SDL_Renderer* renderer, const TFrameRect& frame, const TText& text,
                       int32_t left, int32_t top);

  TTF_Font* font_ = nullptr;
  TText title_;
  TText help_;
  static constexpr int kMaxHints = 8;
  TTF_Font* hintFont_ = nullptr;
  TText hints_[kMaxHints];
  TText labels_[TOptionsMenu::kRowCount];
  TText values_[TOptionsMenu::kRowCount];
  TText message_;
  uint32_t revision_ = 0;
  bool prepared_ = false;
};

#include "platform/overlay_view.h"

#include <SDL_ttf.h>

#include <cstdio>

#include "platform/font_finder.h"

namespace {

// The texts are made at twice the frame's pixel size and halved when drawn
// at 1:1, so they stay sharp when the picture is scaled up.
constexpr int kTextScale = 2;

}  // namespace

void TOverlayView::Create(SDL_Renderer* renderer) {
  Destroy();
  if (!TTF_WasInit() && TTF_Init() != 0) return;
  const TFontChoice choice = FindWidgetFont(true);
  if (choice.file.empty()) return;
  TTF_Font* big = TTF_OpenFont(choice.file.c_str(), 30 * kTextScale);
  TTF_Font* small = TTF_OpenFont(choice.file.c_str(), 14 * kTextScale);
  if (!big || !small) {
    std::fprintf(stderr, "Zazo Puzzle: cannot open the font %s: %s\n", choice.file.c_str(),
                 TTF_GetError());
  } else {
    const SDL_Color white{255, 255, 255, 255};
    const SDL_Color pale{200, 214, 245, 255};
    auto make = [&](TTF_Font* font, const char* text, SDL_Color colour, TText* out) {
      SDL_Surface* s = TTF_RenderUTF8_Blended(font, text, colour);
      if (!s) return;
      out->texture = SDL_CreateTextureFromSurface(renderer, s);
      out->w = s->w / kTextScale;
      out->h = s->h / kTextScale;
      SDL_FreeSurface(s);
    };
    make(big, "一時停止  PAUSE", white, &pauseTitle_);
    make(small, "P・Pause・Start で再開   Tab で設定", pale, &pauseHintJa_);
    make(small, "Press P, Pause or a pad's Start to resume, Tab for the options", pale,
         &pauseHint_);
    make(small, "音楽 Music", white, &volumeLabel_[0]);
    make(small, "効果音 Effects", white, &volumeLabel_[1]);
    for (int i = 0; i <= 10; i++) {
      char text[8];
      std::snprintf(text, sizeof text, "%d%%", i * 10);
      make(small, text, white, &percent_[i]);
    }
  }
  if (big) TTF_CloseFont(big);
  if (small) TTF_CloseFont(small);
}

void TOverlayView::Destroy() {
  TText* all[] = {&pauseTitle_, &pauseHint_, &pauseHintJa_, &volumeLabel_[0], &volumeLabel_[1]};
  for (TText* t : all) {
    if (t->texture) SDL_DestroyTexture(t->texture);
    *t = TText{};
  }
  for (TText& t : percent_) {
    if (t.texture) SDL_DestroyTexture(t.texture);
    t = TText{};
  }
}

void TOverlayView::DrawText(SDL_Renderer* renderer, const TFrameRect& frame, const TText& text,
                            int32_t centreX, int32_t top) {
  if (!text.texture) return;
  const TFrameRect at = FrameAreaOnOutput(frame, centreX - text.w / 2, top, text.w, text.h);
  const SDL_Rect dst{at.x, at.y, at.w, at.h};
  SDL_RenderCopy(renderer, text.texture, nullptr, &dst);
}

void TOverlayView::DrawPause(SDL_Renderer* renderer, const TFrameRect& frame) const {
  const SDL_Rect all{frame.x, frame.y, frame.w, frame.h};
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
  SDL_SetRenderDrawColor(renderer, 12, 14, 40, 255);
  SDL_RenderFillRect(renderer, &all);
  const TFrameRect box = FrameAreaOnOutput(frame, 120, 180, 400, 120);
  const SDL_Rect boxRect{box.x, box.y, box.w, box.h};
  SDL_SetRenderDrawColor(renderer, 26, 32, 84, 255);
  SDL_RenderFillRect(renderer, &boxRect);
  SDL_SetRenderDrawColor(renderer, 120, 200, 255, 255);
  SDL_RenderDrawRect(renderer, &boxRect);
  DrawText(renderer, frame, pauseTitle_, 320, 196);
  DrawText(renderer, frame, pauseHintJa_, 320, 240);
  DrawText(renderer, frame, pauseHint_, 320, 262);
}

void TOverlayView::DrawVolume(SDL_Renderer* renderer, const TFrameRect& frame, int which,
                              int32_t percent) const {
  if (which < 1 || which > 2) return;
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  const TFrameRect box = FrameAreaOnOutput(frame, 220, 28, 200, 46);
  const SDL_Rect boxRect{box.x, box.y, box.w, box.h};
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
  SDL_SetRenderDrawColor(renderer, 10, 12, 36, 220);
  SDL_RenderFillRect(renderer, &boxRect);
  SDL_SetRenderDrawColor(renderer, 120, 200, 255, 255);
  SDL_RenderDrawRect(renderer, &boxRect);
  DrawText(renderer, frame, volumeLabel_[which - 1], 280, 32);
  DrawText(renderer, frame, percent_[percent / 10], 380, 32);
  // Ten segments, lit up to the volume.
  for (int i = 0; i < 10; i++) {
    const TFrameRect seg = FrameAreaOnOutput(frame, 232 + 18 * i, 56, 14, 10);
    const SDL_Rect r{seg.x, seg.y, seg.w, seg.h};
    if (i < percent / 10) {
      SDL_SetRenderDrawColor(renderer, 255, 206, 80, 255);
    } else {
      SDL_SetRenderDrawColor(renderer, 60, 70, 110, 255);
    }
    SDL_RenderFillRect(renderer, &r);
  }
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
}

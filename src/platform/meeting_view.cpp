#include "platform/meeting_view.h"

#include <SDL_ttf.h>

#include "platform/font_finder.h"

namespace {

// Texts are made at twice the frame's size, sharp when the picture is scaled.
constexpr int kTextScale = 2;

}  // namespace

TMeetingView::~TMeetingView() {
  Free();
  if (fontSmall_) TTF_CloseFont(static_cast<TTF_Font*>(fontSmall_));
  if (fontBig_) TTF_CloseFont(static_cast<TTF_Font*>(fontBig_));
}

void TMeetingView::Free() {
  TText* all[] = {&heading_, &help_};
  for (TText* t : all) {
    if (t->texture) SDL_DestroyTexture(t->texture);
    *t = TText{};
  }
  for (TText& t : lines_) {
    if (t.texture) SDL_DestroyTexture(t.texture);
    t = TText{};
  }
}

void TMeetingView::Make(SDL_Renderer* renderer, const std::string& text, bool big, TText* out) {
  TTF_Font* font = static_cast<TTF_Font*>(big ? fontBig_ : fontSmall_);
  if (!font || text.empty()) return;
  SDL_Surface* s = TTF_RenderUTF8_Blended(font, text.c_str(), SDL_Color{255, 255, 255, 255});
  if (!s) return;
  out->texture = SDL_CreateTextureFromSurface(renderer, s);
  out->w = s->w / kTextScale;
  out->h = s->h / kTextScale;
  SDL_FreeSurface(s);
}

void TMeetingView::Draw(SDL_Renderer* renderer, const TFrameRect& frame, const TMeetingPanel& p) {
  if (!tried_) {
    tried_ = true;
    if (TTF_WasInit() || TTF_Init() == 0) {
      const TFontChoice choice = FindWidgetFont(true);
      if (!choice.file.empty()) {
        fontBig_ = TTF_OpenFont(choice.file.c_str(), 20 * kTextScale);
        fontSmall_ = TTF_OpenFont(choice.file.c_str(), 14 * kTextScale);
      }
    }
  }
  if (!made_ || !(p == shown_)) {
    Free();
    Make(renderer, p.heading, true, &heading_);
    for (int i = 0; i < p.count && i < kMeetingLines; i++)
      Make(renderer, p.lines[i], false, &lines_[i]);
    Make(renderer, p.help, false, &help_);
    shown_ = p;
    made_ = true;
  }
  auto fill = [&](int32_t x, int32_t y, int32_t w, int32_t h, SDL_Color c) {
    const TFrameRect r = FrameAreaOnOutput(frame, x, y, w, h);
    const SDL_Rect rect{r.x, r.y, r.w, r.h};
    SDL_SetRenderDrawColor(renderer, c.r, c.g, c.b, c.a);
    SDL_RenderFillRect(renderer, &rect);
  };
  auto text = [&](const TText& t, int32_t x, int32_t y) {
    if (!t.texture) return;
    const TFrameRect r = FrameAreaOnOutput(frame, x, y, t.w, t.h);
    const SDL_Rect dst{r.x, r.y, r.w, r.h};
    SDL_RenderCopy(renderer, t.texture, nullptr, &dst);
  };
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
  fill(kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight, SDL_Color{12, 14, 40, 235});
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
  text(heading_, kPanelLeft + 16, kPanelTop + 12);
  for (int i = 0; i < p.count && i < kMeetingLines; i++) {
    const int32_t y = kRowTop + i * kRowHeight;
    if (i == p.marked)
      fill(kPanelLeft + 8, y - 2, kPanelWidth - 16, kRowHeight - 2, SDL_Color{60, 80, 170, 255});
    text(lines_[i], kPanelLeft + 20, y + 2);
  }
  text(help_, kPanelLeft + 16, kPanelTop + kPanelHeight - 26);
}

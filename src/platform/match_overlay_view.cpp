#include "platform/match_overlay_view.h"

#include <SDL_ttf.h>

#include <cstdio>

#include "platform/font_finder.h"

namespace {
// Texts are made at twice the frame's pixel size, as the pause panel's.
constexpr int kTextScale = 2;
}  // namespace

void TMatchOverlayView::Create(SDL_Renderer* renderer) {
  Destroy();
  if (!TTF_WasInit() && TTF_Init() != 0) return;
  const TFontChoice choice = FindWidgetFont(true);
  if (choice.file.empty()) return;
  fontSmall_ = TTF_OpenFont(choice.file.c_str(), 12 * kTextScale);
  fontBig_ = TTF_OpenFont(choice.file.c_str(), 18 * kTextScale);
  if (!fontSmall_ || !fontBig_) return;
  Make(renderer, "相手を待っています", true, &waiting_);
  Make(renderer, "接続しています", true, &connecting_);
  Make(renderer, "一時停止中 (こちら)  P で再開", true, &pausedHere_);
  Make(renderer, "一時停止中 (相手)", true, &pausedThere_);
  Make(renderer, "再戦: 相手の 7 を待っています", true, &rematch_);
  Make(renderer, "ms", false, &ms_);
  for (int d = 0; d < 10; d++) {
    const char text[2] = {static_cast<char>('0' + d), '\0'};
    Make(renderer, text, false, &digits_[d]);
  }
}

void TMatchOverlayView::Destroy() {
  for (TText* t :
       {&waiting_, &connecting_, &pausedHere_, &pausedThere_, &rematch_, &ms_, &name_, &message_}) {
    Free(t);
  }
  for (TText& t : digits_) Free(&t);
  if (fontSmall_) TTF_CloseFont(static_cast<TTF_Font*>(fontSmall_));
  if (fontBig_) TTF_CloseFont(static_cast<TTF_Font*>(fontBig_));
  fontSmall_ = fontBig_ = nullptr;
}

void TMatchOverlayView::Free(TText* t) {
  if (t->texture) SDL_DestroyTexture(t->texture);
  *t = TText{};
}

void TMatchOverlayView::Make(SDL_Renderer* renderer, const char* text, bool big, TText* out) {
  Free(out);
  TTF_Font* font = static_cast<TTF_Font*>(big ? fontBig_ : fontSmall_);
  if (!font || !renderer || text[0] == '\0') return;
  SDL_Surface* s = TTF_RenderUTF8_Blended(font, text, SDL_Color{255, 255, 255, 255});
  if (!s) return;
  out->texture = SDL_CreateTextureFromSurface(renderer, s);
  out->w = s->w / kTextScale;
  out->h = s->h / kTextScale;
  SDL_FreeSurface(s);
}

void TMatchOverlayView::SetName(SDL_Renderer* renderer, const char* name) {
  Make(renderer, name, false, &name_);
}

void TMatchOverlayView::SetMessage(SDL_Renderer* renderer, const char* text) {
  Make(renderer, text, true, &message_);
}

void TMatchOverlayView::DrawText(SDL_Renderer* renderer, const TFrameRect& frame, const TText& text,
                                 int32_t x, int32_t y) {
  if (!text.texture) return;
  const TFrameRect at = FrameAreaOnOutput(frame, x, y, text.w, text.h);
  const SDL_Rect dst{at.x, at.y, at.w, at.h};
  SDL_RenderCopy(renderer, text.texture, nullptr, &dst);
}

void TMatchOverlayView::DrawNotice(SDL_Renderer* renderer, const TFrameRect& frame,
                                   const TText& line1, const TText* line2) const {
  const int32_t w = line1.w + 24 > 200 ? line1.w + 24 : 200;
  const int32_t h = line2 ? 64 : 40;
  const TFrameRect box = FrameAreaOnOutput(frame, 320 - w / 2, 200, w, h);
  const SDL_Rect r{box.x, box.y, box.w, box.h};
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
  SDL_SetRenderDrawColor(renderer, 12, 14, 40, 220);
  SDL_RenderFillRect(renderer, &r);
  DrawText(renderer, frame, line1, 320 - line1.w / 2, 208);
  if (line2) DrawText(renderer, frame, *line2, 320 - line2->w / 2, 236);
}

void TMatchOverlayView::Draw(SDL_Renderer* renderer, const TFrameRect& frame,
                             const TMatchOverlayState& s) const {
  if (s.bar) {
    // The bar: [mark] name  123ms, over the bottom right of the picture.
    const TFrameRect bar = FrameAreaOnOutput(frame, 440, 460, 200, 20);
    const SDL_Rect r{bar.x, bar.y, bar.w, bar.h};
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 170);
    SDL_RenderFillRect(renderer, &r);
    static const SDL_Color marks[3] = {{70, 220, 90, 255}, {240, 200, 60, 255}, {230, 60, 60, 255}};
    const SDL_Color c = marks[s.mark < 0 ? 0 : s.mark > 2 ? 2 : s.mark];
    const TFrameRect dot = FrameAreaOnOutput(frame, 446, 465, 10, 10);
    const SDL_Rect d{dot.x, dot.y, dot.w, dot.h};
    SDL_SetRenderDrawColor(renderer, c.r, c.g, c.b, c.a);
    SDL_RenderFillRect(renderer, &d);
    DrawText(renderer, frame, name_, 462, 462);
    // The round trip, right-aligned before "ms".
    int32_t x = 636 - ms_.w;
    DrawText(renderer, frame, ms_, x, 462);
    int32_t v = s.roundTripMs < 0 ? 0 : s.roundTripMs > 9999 ? 9999 : s.roundTripMs;
    do {
      const TText& g = digits_[v % 10];
      x -= g.w;
      DrawText(renderer, frame, g, x, 462);
      v /= 10;
    } while (v > 0);
  }
  switch (s.notice) {
    case TMatchOverlayState::kWaitingOpponent:
      DrawNotice(renderer, frame, waiting_, message_.texture ? &message_ : nullptr);
      break;
    case TMatchOverlayState::kConnecting:
      DrawNotice(renderer, frame, connecting_, message_.texture ? &message_ : nullptr);
      break;
    case TMatchOverlayState::kPausedHere:
      DrawNotice(renderer, frame, pausedHere_, nullptr);
      break;
    case TMatchOverlayState::kPausedThere:
      DrawNotice(renderer, frame, pausedThere_, nullptr);
      break;
    case TMatchOverlayState::kRematch:
      DrawNotice(renderer, frame, rematch_, nullptr);
      break;
    case TMatchOverlayState::kEnded:
      if (message_.texture) DrawNotice(renderer, frame, message_, nullptr);
      break;
    case TMatchOverlayState::kNone:
      break;
  }
}

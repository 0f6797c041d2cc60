#include "platform/options_view.h"

#include <cstdio>
#include <string>

#include "platform/font_finder.h"
#include "platform/title_hints.h"

namespace {

// Texts are made at twice the frame's pixel size, sharp when scaled up.
constexpr int kTextScale = 2;
constexpr SDL_Color kWhite{255, 255, 255, 255};
constexpr SDL_Color kPale{200, 214, 245, 255};
constexpr SDL_Color kGold{255, 206, 80, 255};

void Fill(SDL_Renderer* renderer, const TFrameRect& frame, int32_t x, int32_t y, int32_t w,
          int32_t h) {
  const TFrameRect r = FrameAreaOnOutput(frame, x, y, w, h);
  const SDL_Rect rect{r.x, r.y, r.w, r.h};
  SDL_RenderFillRect(renderer, &rect);
}

}  // namespace

void TOptionsView::Create(SDL_Renderer* renderer) {
  Destroy();
  if (!TTF_WasInit() && TTF_Init() != 0) return;
  const TFontChoice choice = FindWidgetFont(true);
  if (choice.file.empty()) return;
  font_ = TTF_OpenFont(choice.file.c_str(), 12 * kTextScale);
  if (!font_) {
    std::fprintf(stderr, "Zazo Puzzle: cannot open the font %s: %s\n", choice.file.c_str(),
                 TTF_GetError());
    return;
  }
  Make(renderer, "設定  Options", kWhite, &title_);
  Make(renderer, "↑↓ 選択  ←→ 変更  Return 決定  Esc 閉じる    Up Down  Left Right  Return  Esc",
       kPale, &help_);
  hintFont_ = TTF_OpenFont(choice.file.c_str(), 11 * kTextScale);
  for (int i = 0; i < TitleHintCount() && i < kMaxHints; i++) {
    const TTitleHint& h = TitleHint(i);
    const std::string line = std::string(h.keyLabel) + "  " + h.japanese + "  " + h.english;
    TTF_Font* keep = font_;
    font_ = hintFont_ ? hintFont_ : keep;
    Make(renderer, line.c_str(), kWhite, &hints_[i]);
    font_ = keep;
  }
  for (int32_t row = 0; row < TOptionsMenu::kRowCount; row++) {
    Make(renderer, TOptionsMenu::Label(row).c_str(), kWhite, &labels_[row]);
  }
}

void TOptionsView::Destroy() {
  Free(&title_);
  Free(&help_);
  for (TText& t : hints_) Free(&t);
  Free(&message_);
  for (TText& t : labels_) Free(&t);
  for (TText& t : values_) Free(&t);
  if (font_) TTF_CloseFont(font_);
  if (hintFont_) TTF_CloseFont(hintFont_);
  font_ = nullptr;
  hintFont_ = nullptr;
  prepared_ = false;
}

void TOptionsView::Free(TText* t) {
  if (t->texture) SDL_DestroyTexture(t->texture);
  *t = TText{};
}

void TOptionsView::Make(SDL_Renderer* renderer, const char* text, SDL_Color colour,
                        TText* out) const {
  Free(out);
  if (!font_ || !text || !*text) return;
  SDL_Surface* s = TTF_RenderUTF8_Blended(font_, text, colour);
  if (!s) return;
  out->texture = SDL_CreateTextureFromSurface(renderer, s);
  out->w = s->w / kTextScale;
  out->h = s->h / kTextScale;
  SDL_FreeSurface(s);
}

void TOptionsView::DrawText(SDL_Renderer* renderer, const TFrameRect& frame, const TText& text,
                            int32_t left, int32_t top) {
  if (!text.texture) return;
  const TFrameRect at = FrameAreaOnOutput(frame, left, top, text.w, text.h);
  const SDL_Rect dst{at.x, at.y, at.w, at.h};
  SDL_RenderCopy(renderer, text.texture, nullptr, &dst);
}

void TOptionsView::Draw(SDL_Renderer* renderer, const TFrameRect& frame, const TOptionsMenu& menu) {
  if (!prepared_ || revision_ != menu.Revision()) {
    // The values and the message as they are now.
    for (int32_t row = 0; row < TOptionsMenu::kRowCount; row++) {
      const bool chosen = row == menu.Selected();
      Make(renderer, menu.Value(row).c_str(), chosen ? kGold : kPale, &values_[row]);
    }
    Make(renderer, menu.Message().c_str(), kGold, &message_);
    revision_ = menu.Revision();
    prepared_ = true;
  }
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
  SDL_SetRenderDrawColor(renderer, 10, 12, 36, 236);
  Fill(renderer, frame, 32, 24, 576, 440);
  SDL_SetRenderDrawColor(renderer, 120, 200, 255, 255);
  const TFrameRect box = FrameAreaOnOutput(frame, 32, 24, 576, 440);
  const SDL_Rect boxRect{box.x, box.y, box.w, box.h};
  SDL_RenderDrawRect(renderer, &boxRect);
  DrawText(renderer, frame, title_, TOptionsMenu::kListLeft, 36);

  const int32_t top = menu.FirstShown();
  for (int32_t i = 0; i < TOptionsMenu::kVisibleRows; i++) {
    const int32_t row = top + i;
    if (row >= TOptionsMenu::kRowCount) break;
    const int32_t y = TOptionsMenu::kListTop + i * TOptionsMenu::kRowHeight;
    if (row == menu.Selected()) {
      SDL_SetRenderDrawColor(renderer, 60, 84, 170, 255);
      Fill(renderer, frame, TOptionsMenu::kListLeft - 4, y,
           TOptionsMenu::kListRight - TOptionsMenu::kListLeft + 8, TOptionsMenu::kRowHeight);
    }
    DrawText(renderer, frame, labels_[row], TOptionsMenu::kListLeft, y + 1);
    DrawText(renderer, frame, values_[row], TOptionsMenu::kValueLeft, y + 1);
  }
  // Where the list is: a thin bar on the right.
  SDL_SetRenderDrawColor(renderer, 60, 70, 110, 255);
  const int32_t listH = TOptionsMenu::kVisibleRows * TOptionsMenu::kRowHeight;
  Fill(renderer, frame, TOptionsMenu::kListRight + 4, TOptionsMenu::kListTop, 4, listH);
  SDL_SetRenderDrawColor(renderer, 120, 200, 255, 255);
  Fill(renderer, frame, TOptionsMenu::kListRight + 4,
       TOptionsMenu::kListTop + listH * top / TOptionsMenu::kRowCount, 4,
       listH * TOptionsMenu::kVisibleRows / TOptionsMenu::kRowCount);
  DrawText(renderer, frame, message_, TOptionsMenu::kListLeft, 420);
  DrawText(renderer, frame, help_, TOptionsMenu::kListLeft, 440);
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
}

void TOptionsView::DrawTitleHints(SDL_Renderer* renderer, const TFrameRect& frame) const {
  int32_t w = 0, h = 0;
  for (const TText& t : hints_) {
    if (!t.texture) continue;
    if (t.w > w) w = t.w;
    h += t.h;
  }
  if (h == 0) return;
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
  SDL_SetRenderDrawColor(renderer, 10, 12, 36, 200);
  Fill(renderer, frame, 2, 2, w + 8, h + 4);
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
  int32_t y = 4;
  for (const TText& t : hints_) {
    if (!t.texture) continue;
    DrawText(renderer, frame, t, 6, y);
    y += t.h;
  }
}

#include "platform/board_overlay_view.h"

#include <SDL_ttf.h>

#include <cstdio>

#include "platform/font_finder.h"

namespace {

constexpr int kTextScale = 2;  // made at twice the size, sharp when scaled up

// Japanese first, English beside it, then what the player may do.
constexpr const char* kTexts[6][3] = {
    {nullptr, nullptr, nullptr},
    {"今日のチャレンジを取得中…", "Fetching today's challenge…", nullptr},
    {"ボードに接続できません", "The board is not reachable",
     "4 で通常のゲーム  Press 4 for the normal game"},
    {"今日のチャレンジはありません", "The board offers no challenge today",
     "4 で通常のゲーム  Press 4 for the normal game"},
    {"リプレイをボードに送信中…", "Sending the replay to the board…", nullptr},
    {"リプレイを送れませんでした", "The replay could not be sent",
     "登録ページは開きます  The page opens all the same"},
};

}  // namespace

void TBoardOverlayView::Create(SDL_Renderer* renderer) {
  Destroy();
  if (!TTF_WasInit() && TTF_Init() != 0) return;
  const TFontChoice choice = FindWidgetFont(true);
  if (choice.file.empty()) return;
  TTF_Font* font = TTF_OpenFont(choice.file.c_str(), 16 * kTextScale);
  TTF_Font* small = TTF_OpenFont(choice.file.c_str(), 13 * kTextScale);
  if (!font || !small) {
    std::fprintf(stderr, "Zazo Puzzle: cannot open the font %s: %s\n", choice.file.c_str(),
                 TTF_GetError());
  } else {
    const SDL_Color colours[kLines] = {
        {255, 255, 255, 255}, {200, 214, 245, 255}, {255, 206, 80, 255}};
    for (int m = 0; m < kMessages; m++) {
      for (int l = 0; l < kLines; l++) {
        if (!kTexts[m][l]) continue;
        SDL_Surface* s = TTF_RenderUTF8_Blended(l == 0 ? font : small, kTexts[m][l], colours[l]);
        if (!s) continue;
        lines_[m][l].texture = SDL_CreateTextureFromSurface(renderer, s);
        lines_[m][l].w = s->w / kTextScale;
        lines_[m][l].h = s->h / kTextScale;
        SDL_FreeSurface(s);
      }
    }
  }
  if (font) TTF_CloseFont(font);
  if (small) TTF_CloseFont(small);
}

void TBoardOverlayView::Destroy() {
  for (auto& message : lines_) {
    for (TText& t : message) {
      if (t.texture) SDL_DestroyTexture(t.texture);
      t = TText{};
    }
  }
}

void TBoardOverlayView::Draw(SDL_Renderer* renderer, const TFrameRect& frame,
                             TBoardMessage message) const {
  const int m = static_cast<int>(message);
  if (m <= 0 || m >= kMessages) return;
  const TFrameRect box = FrameAreaOnOutput(frame, 120, 360, 400, 84);
  const SDL_Rect boxRect{box.x, box.y, box.w, box.h};
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
  SDL_SetRenderDrawColor(renderer, 10, 12, 36, 255);
  SDL_RenderFillRect(renderer, &boxRect);
  SDL_SetRenderDrawColor(renderer, 120, 200, 255, 255);
  SDL_RenderDrawRect(renderer, &boxRect);
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
  const int32_t tops[kLines] = {368, 394, 418};
  for (int l = 0; l < kLines; l++) {
    const TText& t = lines_[m][l];
    if (!t.texture) continue;
    const TFrameRect at = FrameAreaOnOutput(frame, 320 - t.w / 2, tops[l], t.w, t.h);
    const SDL_Rect dst{at.x, at.y, at.w, at.h};
    SDL_RenderCopy(renderer, t.texture, nullptr, &dst);
  }
}

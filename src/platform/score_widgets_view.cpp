#include "platform/score_widgets_view.h"

#include <cstdio>
#include <string>

#include "platform/font_finder.h"
#include "platform/score_widget_state.h"

const char kRegScoreBtnCaption[] = "このスコアを web に登録(&S)";

namespace {

constexpr int kFontPixels = 12;

struct TRgb {
  uint8_t r, g, b;
};
constexpr TRgb kFieldBackground[2] = {{0, 64, 0}, {0, 64, 64}};  // scoreEdit, scoreMd5
constexpr TRgb kFieldText = {255, 255, 0};
constexpr TRgb kSelectionBackground = {0, 0, 128};
constexpr TRgb kSelectionText = {255, 255, 255};
constexpr TRgb kFrameColour = {0, 0, 0};
constexpr TRgb kButtonFace = {212, 208, 200};
constexpr TRgb kButtonHighlight = {255, 255, 255};
constexpr TRgb kButtonShadow = {128, 128, 128};
constexpr TRgb kButtonDarkShadow = {0, 0, 0};

void SetColour(SDL_Renderer* r, TRgb c) {
  SDL_SetRenderDrawColor(r, c.r, c.g, c.b, 255);
}

TTF_Font* OpenFont(bool proportional, bool* japanese) {
  const TFontChoice choice = FindWidgetFont(proportional);
  *japanese = choice.japanese;
  if (choice.file.empty()) return nullptr;
  TTF_Font* font = TTF_OpenFont(choice.file.c_str(), kFontPixels);
  if (!font) {
    std::fprintf(stderr, "Zazo Puzzle: cannot open the font %s: %s\n", choice.file.c_str(),
                 TTF_GetError());
  }
  return font;
}

}  // namespace

void TScoreWidgetView::Create(SDL_Renderer* renderer, TScoreWidgetState& state) {
  Destroy();
  if (!TTF_WasInit() && TTF_Init() != 0) {
    std::fprintf(stderr, "Zazo Puzzle: no font engine (%s); the score is shown without text\n",
                 TTF_GetError());
    return;
  }
  bool fieldJapanese = false;
  bool captionJapanese = false;
  TTF_Font* fieldFont = OpenFont(false, &fieldJapanese);
  TTF_Font* captionFont = OpenFont(true, &captionJapanese);
  if (!fieldFont || !captionFont) {
    std::fprintf(stderr, "Zazo Puzzle: no usable font found; the score is shown without text\n");
  } else if (!captionJapanese) {
    std::fprintf(stderr,
                 "Zazo Puzzle: no Japanese font found (install fonts-ipafont-gothic); the "
                 "button caption may not be legible\n");
  }

  if (fieldFont) {
    // Every printable ASCII character side by side in one white strip.
    fieldFontHeight_ = TTF_FontHeight(fieldFont);
    SDL_Surface* glyph[128] = {};
    int32_t stripWidth = 0;
    for (int c = 32; c < 127; c++) {
      glyph[c] =
          TTF_RenderGlyph_Blended(fieldFont, static_cast<Uint16>(c), SDL_Color{255, 255, 255, 255});
      int minx = 0, maxx = 0, miny = 0, maxy = 0, adv = 0;
      if (TTF_GlyphMetrics(fieldFont, static_cast<Uint16>(c), &minx, &maxx, &miny, &maxy, &adv) ==
          0) {
        state.advance[c] = adv;
      }
      if (glyph[c]) stripWidth += glyph[c]->w;
    }
    SDL_Surface* strip = stripWidth > 0
                             ? SDL_CreateRGBSurfaceWithFormat(0, stripWidth, fieldFontHeight_, 32,
                                                              SDL_PIXELFORMAT_ARGB8888)
                             : nullptr;
    int32_t x = 0;
    for (int c = 32; c < 127; c++) {
      if (!glyph[c]) continue;
      if (strip) {
        SDL_SetSurfaceBlendMode(glyph[c], SDL_BLENDMODE_NONE);
        SDL_Rect to{x, 0, glyph[c]->w, glyph[c]->h};
        SDL_BlitSurface(glyph[c], nullptr, strip, &to);
        glyphRect_[c] = SDL_Rect{x, 0, glyph[c]->w,
                                 glyph[c]->h < fieldFontHeight_ ? glyph[c]->h : fieldFontHeight_};
        x += glyph[c]->w;
      }
      SDL_FreeSurface(glyph[c]);
    }
    if (strip) {
      glyphs_ = SDL_CreateTextureFromSurface(renderer, strip);
      if (glyphs_) SDL_SetTextureBlendMode(glyphs_, SDL_BLENDMODE_BLEND);
      SDL_FreeSurface(strip);
    }
    TTF_CloseFont(fieldFont);
  }

  if (captionFont) {
    // The caption without its '&'; the letter after it is underlined.
    std::string shown;
    std::string before;
    std::string letter;
    const std::string raw = kRegScoreBtnCaption;
    for (size_t i = 0; i < raw.size(); i++) {
      if (raw[i] == '&' && i + 1 < raw.size() && letter.empty()) {
        before = shown;
        letter = raw.substr(i + 1, 1);
        continue;
      }
      shown += raw[i];
    }
    SDL_Surface* surface =
        TTF_RenderUTF8_Blended(captionFont, shown.c_str(), SDL_Color{0, 0, 0, 255});
    if (surface) {
      captionW_ = surface->w;
      captionH_ = surface->h;
      caption_ = SDL_CreateTextureFromSurface(renderer, surface);
      if (caption_) SDL_SetTextureBlendMode(caption_, SDL_BLENDMODE_BLEND);
      SDL_FreeSurface(surface);
    }
    int w = 0, h = 0;
    if (!letter.empty() && TTF_SizeUTF8(captionFont, before.c_str(), &w, &h) == 0) {
      underlineX_ = w;
      if (TTF_SizeUTF8(captionFont, letter.c_str(), &w, &h) == 0) underlineW_ = w;
      underlineY_ = TTF_FontAscent(captionFont) + 1;
    }
    TTF_CloseFont(captionFont);
  }
}

void TScoreWidgetView::Destroy() {
  if (glyphs_) SDL_DestroyTexture(glyphs_);
  if (caption_) SDL_DestroyTexture(caption_);
  glyphs_ = nullptr;
  caption_ = nullptr;
}

SDL_Rect TScoreWidgetView::ToOutput(const TFrameRect& frame, int32_t x, int32_t y, int32_t w,
                                    int32_t h) const {
  const TFrameRect r = FrameAreaOnOutput(frame, x, y, w, h);
  return SDL_Rect{r.x, r.y, r.w, r.h};
}

void TScoreWidgetView::DrawField(SDL_Renderer* r, const TScoreWidgetState& state, int field,
                                 const TFrameRect& frame, uint32_t nowMs) const {
  const TWidgetRect& rect = kWidgetRects[field];
  SDL_Rect box = ToOutput(frame, rect.x, rect.y, rect.w, rect.h);
  SetColour(r, kFieldBackground[field]);
  SDL_RenderFillRect(r, &box);
  SetColour(r, kFrameColour);
  SDL_RenderDrawRect(r, &box);

  const bool focused = state.focus == field;
  const int32_t selFrom = focused ? state.SelectionStart(field) : 0;
  const int32_t selTo = focused ? state.SelectionEnd(field) : 0;
  const int32_t textTop = rect.y + (rect.h - fieldFontHeight_) / 2;
  if (selTo > selFrom) {
    const int32_t x0 = state.CharX(field, selFrom);
    const int32_t x1 = state.CharX(field, selTo);
    SDL_Rect sel = ToOutput(frame, rect.x + x0, textTop, x1 - x0, fieldFontHeight_);
    SetColour(r, kSelectionBackground);
    SDL_RenderFillRect(r, &sel);
  }
  if (glyphs_) {
    SDL_Rect clip = ToOutput(frame, rect.x + 1, rect.y + 1, rect.w - 2, rect.h - 2);
    SDL_RenderSetClipRect(r, &clip);
    for (int32_t i = 0; i < state.length[field]; i++) {
      const int c = static_cast<unsigned char>(state.text[field][i]) & 127;
      const SDL_Rect& src = glyphRect_[c];
      if (src.w <= 0) continue;
      const TRgb colour = (i >= selFrom && i < selTo) ? kSelectionText : kFieldText;
      SDL_SetTextureColorMod(glyphs_, colour.r, colour.g, colour.b);
      SDL_Rect dst = ToOutput(frame, rect.x + state.CharX(field, i), textTop, src.w, src.h);
      SDL_RenderCopy(r, glyphs_, &src, &dst);
    }
    SDL_RenderSetClipRect(r, nullptr);
  }
  // The text cursor blinks in the focused field.
  if (focused && (nowMs / 530) % 2 == 0) {
    const int32_t cx = rect.x + state.CharX(field, state.caret[field]);
    SDL_Rect caret = ToOutput(frame, cx, textTop, 1, fieldFontHeight_);
    SetColour(r, kFieldText);
    SDL_RenderFillRect(r, &caret);
  }
}

void TScoreWidgetView::DrawButton(SDL_Renderer* r, const TScoreWidgetState& state,
                                  const TFrameRect& frame) const {
  const TWidgetRect& rect = kWidgetRects[kWidgetRegScoreBtn];
  const bool pressed = state.buttonCaptured && state.buttonHot;
  const bool focused = state.focus == kWidgetRegScoreBtn;
  SDL_Rect face = ToOutput(frame, rect.x, rect.y, rect.w, rect.h);
  SetColour(r, kButtonFace);
  SDL_RenderFillRect(r, &face);

  auto line = [&](TRgb c, int32_t x, int32_t y, int32_t w, int32_t h) {
    SDL_Rect px = ToOutput(frame, x, y, w, h);
    SetColour(r, c);
    SDL_RenderFillRect(r, &px);
  };
  const int32_t x = rect.x, y = rect.y, w = rect.w, h = rect.h;
  if (pressed) {
    // Sunken: a dark frame with the shadow inside it.
    line(kButtonDarkShadow, x, y, w, 1);
    line(kButtonDarkShadow, x, y + h - 1, w, 1);
    line(kButtonDarkShadow, x, y, 1, h);
    line(kButtonDarkShadow, x + w - 1, y, 1, h);
    line(kButtonShadow, x + 1, y + 1, w - 2, 1);
    line(kButtonShadow, x + 1, y + 1, 1, h - 2);
  } else {
    line(kButtonHighlight, x, y, w - 1, 1);
    line(kButtonHighlight, x, y, 1, h - 1);
    line(kButtonDarkShadow, x, y + h - 1, w, 1);
    line(kButtonDarkShadow, x + w - 1, y, 1, h);
    line(kButtonShadow, x + 1, y + h - 2, w - 2, 1);
    line(kButtonShadow, x + w - 2, y + 1, 1, h - 2);
  }

  const int32_t shift = pressed ? 1 : 0;
  const int32_t cx = x + (w - captionW_) / 2 + shift;
  const int32_t cy = y + (h - captionH_) / 2 + shift;
  if (caption_) {
    SDL_Rect dst = ToOutput(frame, cx, cy, captionW_, captionH_);
    SDL_Rect clip = ToOutput(frame, x + 2, y + 2, w - 4, h - 4);
    SDL_RenderSetClipRect(r, &clip);
    SDL_RenderCopy(r, caption_, nullptr, &dst);
    SDL_RenderSetClipRect(r, nullptr);
    if (underlineW_ > 0)
      line(kButtonDarkShadow, cx + underlineX_, cy + underlineY_, underlineW_, 1);
  }
  if (focused) {
    // Dotted focus rectangle inside the border.
    for (int32_t i = x + 4; i < x + w - 4; i += 2) {
      line(kButtonDarkShadow, i, y + 4, 1, 1);
      line(kButtonDarkShadow, i, y + h - 5, 1, 1);
    }
    for (int32_t j = y + 4; j < y + h - 4; j += 2) {
      line(kButtonDarkShadow, x + 4, j, 1, 1);
      line(kButtonDarkShadow, x + w - 5, j, 1, 1);
    }
  }
}

void TScoreWidgetView::Draw(SDL_Renderer* renderer, const TScoreWidgetState& state,
                            const TFrameRect& frame, uint32_t nowMs) const {
  if (!state.shown) return;
  DrawField(renderer, state, kWidgetScoreEdit, frame, nowMs);
  DrawField(renderer, state, kWidgetScoreMd5, frame, nowMs);
  DrawButton(renderer, state, frame);
}

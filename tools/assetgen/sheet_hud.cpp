// graph/info.bmp (top-bar buttons), graph/label.bmp (title and game-over
// labels) and graph/gauge.bmp (the rise gauge bar).
#include <cmath>

#include "art_style.h"
#include "sheets.h"

namespace {

// A 96 x 20 button with a key cap and its caption, top-left at (0, y).
void DrawButton(Canvas& c, int y, const std::string& key, const std::string& caption, Rgb accent) {
  FillRoundRect(c, 0.5f, y + 0.5f, 95.5f, y + 19.5f, 6.0f, WithAlpha(RgbOf(8, 10, 20), 1));
  c.Shade(0, y, 96, y + 20, [&](float px, float py) {
    float d = SdRoundRect(px, py, 1.5f, y + 1.5f, 94.5f, y + 18.5f, 5.0f);
    float t = Clamp01((py - y - 1.5f) / 17.0f);
    Rgb col = Mix(RgbOf(64, 72, 110), RgbOf(22, 26, 48), t);
    if (py - y < 9.5f) col = Lighten(col, 0.1f);
    return WithAlpha(col, Coverage(d));
  });
  StrokeRoundRect(c, 1.5f, y + 1.5f, 94.5f, y + 18.5f, 5.0f, 1.0f, WithAlpha(accent, 0.85f));
  float kw = KeycapWidth(13, key);
  TextStyle s = CaptionStyle(11.5f, palette::kPaper);
  float tw = MeasureText(caption, s);
  float x = 48 - (kw + 4 + tw) * 0.5f;
  DrawKeycap(c, x, y + 3, 13, key);
  DrawText(c, x + kw + 4, y + 14.5f, caption, s);
}

// One half of the game-over banner, 80 x 16 at (0, y); `left` is the half
// with the banner's left end.
void DrawBannerHalf(Canvas& c, int y, bool left, const std::string& word) {
  for (int py = 0; py < 16; py++)
    for (int px = 0; px < 80; px++) {
      float t = py / 15.0f;
      Rgb col = Mix(RgbOf(200, 30, 60), RgbOf(90, 6, 30), t);
      if (py == 0 || py == 15) col = RgbOf(255, 210, 90);
      if (py == 1 || py == 14) col = RgbOf(60, 4, 20);
      int edge = left ? px : 79 - px;
      if (edge == 0) col = RgbOf(255, 210, 90);
      if (edge == 1) col = RgbOf(60, 4, 20);
      c.Blend(px, y + py, col, 1);
    }
  TextStyle s;
  s.size = 14;
  s.bold = 0.9f;
  s.tracking = 2.5f;
  s.top = RgbOf(255, 255, 255);
  s.bottom = RgbOf(255, 220, 120);
  s.outline = 1.0f;
  s.outlineColour = RgbOf(50, 0, 16);
  DrawText(c, left ? 44.0f : 36.0f, y + 13.0f, word, s, Align::Centre);
}

}  // namespace

Canvas DrawInfoSheet() {
  Canvas c(96, 120);
  DrawButton(c, 0, "7", "リスタート", RgbOf(120, 200, 255));
  DrawButton(c, 40, "8", "タイトルへ", RgbOf(120, 200, 255));
  DrawButton(c, 100, "Alt+Enter", "全画面", RgbOf(255, 200, 110));
  return c;
}

Canvas DrawLabelSheet() {
  Canvas c(96, 156);
  // The title label is copied opaquely onto the title picture at (280, 16):
  // it carries that part of the picture behind its plaque.
  Canvas backdrop = DrawTitleBackdrop();
  c.Copy(backdrop, 280, 16, 96, 20, 0, 80);
  FillRoundRect(c, 2.5f, 81.5f, 93.5f, 98.5f, 8.0f, WithAlpha(RgbOf(20, 10, 4), 0.9f));
  c.Shade(0, 80, 96, 100, [&](float px, float py) {
    float d = SdRoundRect(px, py, 3.5f, 82.5f, 92.5f, 97.5f, 7.0f);
    Rgb col = Mix(RgbOf(255, 230, 130), RgbOf(210, 130, 20), Clamp01((py - 82.5f) / 15.0f));
    if (py < 89.5f) col = Lighten(col, 0.25f);
    return WithAlpha(col, Coverage(d));
  });
  TextStyle s;
  s.size = 12;
  s.bold = 0.6f;
  s.tracking = 0.6f;
  s.top = RgbOf(70, 30, 0);
  s.bottom = RgbOf(30, 10, 0);
  DrawText(c, 48, 94.5f, "ハイスコア", s, Align::Centre);
  DrawBannerHalf(c, 120, true, "GAME");
  DrawBannerHalf(c, 140, false, "OVER");
  return c;
}

Canvas DrawGaugeSheet() {
  Canvas c(256, 16);
  for (int y = 0; y < 16; y++)
    for (int x = 0; x < 256; x++) {
      float t = x / 255.0f;
      // Green, yellow, orange, red along the bar.
      Rgb col = t < 0.5f ? Mix(RgbOf(40, 220, 120), RgbOf(250, 230, 60), t / 0.5f)
                         : Mix(RgbOf(250, 230, 60), RgbOf(250, 60, 50), (t - 0.5f) / 0.5f);
      // A glass tube: highlight above, shade below, a dark rim.
      float v = (y + 0.5f) / 16.0f;
      float shade = 1.0f - 0.45f * v * v;
      col = Scale(col, shade);
      if (y >= 2 && y <= 5) col = Lighten(col, 0.45f - 0.08f * (y - 2));
      if (y == 0 || y == 15) col = Darken(col, 0.6f);
      if (x % 16 == 15) col = Darken(col, 0.25f);
      c.Blend(x, y, col, 1);
    }
  return c;
}

// graph/bg.bmp: five 640 x 480 play backgrounds stacked vertically. Bands
// 1..4 belong to the four phases of a single-player game (morning sky,
// forest, sunset, night), band 5 to versus mode. Each carries the panel:
// the frame round the board and gauge, the dark well, the piece slots with
// captions and the captions of the four numbers.
#include <cmath>
#include <string>
#include <vector>

#include "art_style.h"
#include "noise.h"
#include "sheets.h"

namespace {

constexpr int kW = 640, kH = 480;

struct BandTheme {
  const char* name;  // shown in the top bar
  Rgb accent;        // panel borders and caption bars
  Rgb tint;          // panel glass
  void (*paint)(Canvas&, int y0);
  bool versus;
};

Rgb Vertical(float t, Rgb a, Rgb b, Rgb c) {
  return t < 0.5f ? Mix(a, b, t * 2) : Mix(b, c, (t - 0.5f) * 2);
}

// Soft round light spots.
void Bokeh(Canvas& c, int y0, int count, uint64_t seed, Rgb colour, float maxAlpha, float rMin,
           float rMax) {
  Rng rng(seed);
  for (int i = 0; i < count; i++) {
    float cx = static_cast<float>(rng.Range(0, kW)), cy = static_cast<float>(rng.Range(0, kH));
    float r = static_cast<float>(rng.Range(rMin, rMax));
    float a = static_cast<float>(rng.Range(0.25, 1.0)) * maxAlpha;
    c.Shade(static_cast<int>(cx - r) - 2, y0 + static_cast<int>(cy - r) - 2,
            static_cast<int>(cx + r) + 3, y0 + static_cast<int>(cy + r) + 3,
            [&](float px, float py) {
              float d = SdCircle(px, py - y0, cx, cy, r);
              float rim = Coverage(std::fabs(d + 1.0f) - 0.8f) * 0.5f;
              return WithAlpha(colour, (Coverage(d) * 0.6f + rim) * a);
            });
  }
}

void PaintMorning(Canvas& c, int y0) {
  c.Shade(0, y0, kW, y0 + kH, [&](float px, float py) {
    float y = py - y0;
    Rgb col = Vertical(y / kH, RgbOf(70, 132, 220), RgbOf(160, 200, 240), RgbOf(255, 206, 170));
    // The morning sun, high on the right.
    float d = std::sqrt((px - 560) * (px - 560) + (y - 80) * (y - 80));
    col = Mix(col, RgbOf(255, 248, 220), Clamp01(1 - d / 220) * 0.75f);
    col = Mix(col, RgbOf(255, 255, 245), Coverage(d - 26));
    // Two layers of clouds drifting right.
    for (int layer = 0; layer < 2; layer++) {
      float n = Fbm(px / (170.0f - 50 * layer), y / (46.0f - 10 * layer), 5, 17 + layer);
      float band = SmoothStep(0.0f, 0.5f, 1 - std::fabs(y - (120 + 150 * layer)) / 170);
      float cloud = SmoothStep(0.52f, 0.7f, n) * band;
      Rgb cc = Mix(RgbOf(255, 255, 255), RgbOf(214, 222, 246), SmoothStep(0.6f, 0.8f, n));
      col = Mix(col, cc, cloud * 0.85f);
    }
    // Far and near hills.
    float far = 360 + 24 * std::sin(px / 90.0f) + 14 * std::sin(px / 37.0f + 1.3f);
    float near = 410 + 30 * std::sin(px / 140.0f + 2.0f) + 8 * std::sin(px / 29.0f);
    if (y > far) col = Mix(col, RgbOf(110, 150, 205), Coverage(far - y) * 0.85f);
    if (y > near) {
      float t = Clamp01((y - near) / 80);
      col = Mix(col, Mix(RgbOf(96, 170, 120), RgbOf(40, 110, 90), t), Coverage(near - y));
    }
    return WithAlpha(col, 1);
  });
  Bokeh(c, y0, 18, 101, RgbOf(255, 255, 255), 0.18f, 3, 9);
}

void PaintForest(Canvas& c, int y0) {
  c.Shade(0, y0, kW, y0 + kH, [&](float px, float py) {
    float y = py - y0;
    Rgb col = Vertical(y / kH, RgbOf(40, 130, 100), RgbOf(20, 92, 76), RgbOf(8, 44, 40));
    // Light falling through the leaves from the top left.
    float ray = std::sin((px * 0.8f + y * 0.6f) / 34.0f) * 0.5f + 0.5f;
    ray = std::pow(ray, 6.0f) * Clamp01(1 - y / 420);
    col = Mix(col, RgbOf(220, 255, 180), ray * 0.22f);
    // Canopy of leaves at the top.
    float n = Fbm(px / 40.0f, y / 40.0f, 4, 303);
    float canopy = SmoothStep(0.5f, 0.62f, n) * Clamp01(1 - y / 130);
    col = Mix(col, RgbOf(14, 60, 40), canopy * 0.9f);
    // Grass at the bottom.
    float blade = 448 + 18 * Fbm(px / 3.0f, 0, 2, 305) + 8 * std::sin(px / 23.0f);
    if (y > blade) col = Mix(col, RgbOf(10, 50, 26), 0.9f);
    return WithAlpha(col, 1);
  });
  Bokeh(c, y0, 40, 202, RgbOf(230, 255, 160), 0.22f, 5, 26);
  Bokeh(c, y0, 30, 203, RgbOf(255, 250, 220), 0.3f, 1.5f, 4);
}

void PaintSunset(Canvas& c, int y0) {
  const float horizon = 330;
  c.Shade(0, y0, kW, y0 + kH, [&](float px, float py) {
    float y = py - y0;
    Rgb col;
    if (y < horizon) {
      col = Vertical(y / horizon, RgbOf(56, 26, 96), RgbOf(214, 80, 110), RgbOf(255, 170, 80));
      // Long clouds lit from below.
      float n = Fbm(px / 260.0f, y / 18.0f, 4, 404);
      col = Mix(col, RgbOf(255, 130, 120), SmoothStep(0.56f, 0.72f, n) * 0.5f * (y / horizon));
    } else {
      float t = (y - horizon) / (kH - horizon);
      col = Mix(RgbOf(120, 50, 110), RgbOf(30, 14, 50), t);
      // Glittering reflection of the sun on the water.
      float w = std::sin(y * 0.9f + std::sin(px / 17.0f) * 2) * 0.5f + 0.5f;
      float beam = Clamp01(1 - std::fabs(px - 470) / (70 + t * 90));
      col = Mix(col, RgbOf(255, 190, 110), beam * w * 0.6f * (1 - t * 0.6f));
    }
    // The sun: a disc with the stripes of a setting sun in its lower half.
    float d = std::sqrt((px - 470) * (px - 470) + (y - 300) * (y - 300));
    col = Mix(col, RgbOf(255, 210, 140), Clamp01(1 - d / 200) * 0.5f * (y < horizon));
    float stripe = (y > 290 && std::fmod(y, 9.0f) > 9 - (y - 290) / 7.0f) ? 0.0f : 1.0f;
    if (y < horizon)
      col = Mix(col, Mix(RgbOf(255, 240, 150), RgbOf(255, 110, 90), Clamp01((y - 230) / 100)),
                Coverage(d - 70) * stripe);
    // Mountains in front of the sun.
    float ridge = 300 + 26 * std::sin(px / 70.0f + 0.4f) + 18 * std::sin(px / 23.0f) +
                  10 * std::sin(px / 11.0f + 1.1f);
    if (y > ridge && y < horizon) col = Mix(col, RgbOf(60, 22, 70), Coverage(ridge - y));
    return WithAlpha(col, 1);
  });
}

void PaintNight(Canvas& c, int y0) {
  c.Shade(0, y0, kW, y0 + kH, [&](float px, float py) {
    float y = py - y0;
    Rgb col = Vertical(y / kH, RgbOf(6, 8, 30), RgbOf(18, 16, 58), RgbOf(40, 22, 80));
    // Nebula.
    float n = Fbm(px / 150.0f, y / 110.0f, 5, 505);
    float m = Fbm(px / 90.0f + 7, y / 90.0f, 4, 506);
    col = Mix(col, RgbOf(120, 50, 160), SmoothStep(0.5f, 0.75f, n) * 0.45f);
    col = Mix(col, RgbOf(40, 140, 170), SmoothStep(0.55f, 0.8f, m) * 0.3f);
    // Stars.
    int ix = static_cast<int>(px), iy = static_cast<int>(y);
    float s = HashUnit(ix, iy, 507);
    if (s > 0.9965f) col = Mix(col, RgbOf(255, 255, 255), (s - 0.9965f) / 0.0035f);
    // The moon.
    float d = SdCircle(px, y, 560, 86, 30);
    float bite = SdCircle(px, y, 574, 76, 26);
    col = Mix(col, RgbOf(255, 246, 210), Clamp01(1 - (d + 30) / 110) * 0.25f);
    col = Mix(col, RgbOf(255, 248, 220), Coverage(d) * Coverage(-bite));
    // Town on the horizon with lit windows.
    int bx = ix / 22;
    float roof = 404 + 50 * HashUnit(bx, 0, 508);
    if (y > roof) {
      col = RgbOf(10, 8, 24);
      int wx = ix % 22, wy = iy % 9;
      if (wx > 3 && wx < 18 && wx % 5 < 3 && wy > 2 && wy < 6 && y > roof + 5 &&
          HashUnit(ix / 5, iy / 9, 509) > 0.55f)
        col = RgbOf(255, 214, 120);
    }
    return WithAlpha(col, 1);
  });
  // A few bright stars with glints.
  Rng rng(510);
  for (int i = 0; i < 22; i++) {
    float cx = static_cast<float>(rng.Range(0, kW)), cy = static_cast<float>(rng.Range(0, 380));
    float r = static_cast<float>(rng.Range(2.5, 6));
    DrawLine(c, cx - r, y0 + cy, cx + r, y0 + cy, 1.0f, Rgba{1, 1, 1, 0.8f});
    DrawLine(c, cx, y0 + cy - r, cx, y0 + cy + r, 1.0f, Rgba{1, 1, 1, 0.8f});
    FillCircle(c, cx, y0 + cy, 1.3f, Rgba{1, 1, 1, 1});
  }
}

void PaintVersus(Canvas& c, int y0) {
  c.Shade(0, y0, kW, y0 + kH, [&](float px, float py) {
    float y = py - y0;
    // A diagonal split running between the two scores: side 1 red above,
    // side 2 blue below.
    float split = (y - (180 + (px - 460) * 0.2f)) * 0.98f;
    Rgb red = Mix(RgbOf(150, 24, 52), RgbOf(40, 6, 24), y / kH);
    Rgb blue = Mix(RgbOf(24, 60, 160), RgbOf(8, 12, 50), y / kH);
    Rgb col = Mix(red, blue, SmoothStep(-2, 2, split));
    // Speed lines radiating from the middle of the seam.
    float a = std::atan2(y - 180, px - 460);
    float line = std::pow(std::fabs(std::sin(a * 24)), 30.0f);
    col = Mix(col, RgbOf(255, 255, 255), line * 0.08f);
    // The bright seam between the sides.
    col = Mix(col, RgbOf(255, 240, 200), std::exp(-split * split / 18.0f) * 0.9f);
    col = Mix(col, RgbOf(255, 200, 120), std::exp(-split * split / 900.0f) * 0.25f);
    float n = Fbm(px / 60.0f, y / 60.0f, 4, 606);
    col = Mix(col, RgbOf(0, 0, 0), SmoothStep(0.55f, 0.8f, n) * 0.3f);
    return WithAlpha(col, 1);
  });
}

const BandTheme kBands[5] = {
    {"あさ ── MORNING", RgbOf(130, 200, 255), RgbOf(16, 28, 60), PaintMorning, false},
    {"もり ── FOREST", RgbOf(150, 240, 150), RgbOf(8, 36, 30), PaintForest, false},
    {"ゆうやけ ── SUNSET", RgbOf(255, 170, 110), RgbOf(46, 16, 44), PaintSunset, false},
    {"よる ── NIGHT", RgbOf(190, 160, 255), RgbOf(14, 12, 44), PaintNight, false},
    {"たいせん ── VERSUS", RgbOf(255, 210, 120), RgbOf(24, 12, 34), PaintVersus, true},
};

// A caption: a short accent bar and the text, baseline at y.
void Caption(Canvas& c, float x, float y, const std::string& text, Rgb accent, float size = 13) {
  FillRoundRect(c, x, y - size * 0.78f, x + 3, y + 1, 1.2f, WithAlpha(accent, 1));
  DrawText(c, x + 7, y, text, CaptionStyle(size, palette::kPaper));
}

// "1P" / "2P" badge, 18 x 15 at (x, y).
void SideBadge(Canvas& c, float x, float y, const std::string& text, Rgb colour) {
  FillRoundRect(c, x, y, x + 19, y + 15, 4, WithAlpha(Darken(colour, 0.6f), 1));
  FillRoundRect(c, x + 1, y + 1, x + 18, y + 14, 3.5f, WithAlpha(colour, 1));
  TextStyle s = CaptionStyle(11, palette::kPaper);
  s.bold = 0.6f;
  DrawText(c, x + 9.5f, y + 12, text, s, Align::Centre);
}

// The small key caps and words of the key reminder, one line from x.
struct LegendItem {
  std::vector<std::string> keys;
  std::string word;
};
void LegendLine(Canvas& c, float x, float y, const std::vector<LegendItem>& items) {
  TextStyle s = CaptionStyle(11, RgbOf(222, 228, 245));
  for (const LegendItem& item : items) {
    for (const std::string& key : item.keys) x += DrawKeycap(c, x, y, 13, key) + 1;
    x += 2;
    DrawText(c, x, y + 11, item.word, s);
    x += MeasureText(item.word, s) + 9;
  }
}

void DrawPanel(Canvas& c, int y0, const BandTheme& band) {
  Rgb accent = band.accent;
  // Top bar behind the three buttons, with the name of the scene.
  c.Shade(0, y0, kW, y0 + 22, [&](float, float py) {
    float y = py - y0;
    return Rgba{0.02f, 0.02f, 0.06f, y < 21 ? 0.55f : 0.8f};
  });
  DrawLine(c, 0, y0 + 21.5f, kW, y0 + 21.5f, 1, WithAlpha(accent, 0.6f));
  DrawText(c, 329, y0 + 15, band.name, CaptionStyle(12, Lighten(accent, 0.5f)), Align::Centre);
  TextStyle logo = CaptionStyle(12, palette::kGold);
  logo.bold = 0.7f;
  DrawText(c, 594, y0 + 15, "Zazo Puzzle", logo, Align::Centre);

  // Frame round the board and the gauge.
  DrawGlassPanel(c, 24, y0 + 26, 296, y0 + 470, 8, band.tint, 0.85f, accent);
  StrokeRoundRect(c, 28.5f, y0 + 28.5f, 291.5f, y0 + 467.5f, 5, 1.2f, WithAlpha(accent, 0.5f));
  // The well: dark glass with a faint light from above.
  c.Shade(80, y0 + 80, 240, y0 + 400, [&](float px, float py) {
    float y = (py - y0 - 80) / 320;
    Rgb col = Mix(Mix(palette::kWell, band.tint, 0.5f), palette::kWell, y);
    float side = std::fabs(px - 160) / 80;
    col = Mix(col, Lighten(band.tint, 0.15f), (1 - y) * (1 - side * side) * 0.25f);
    return WithAlpha(col, 1);
  });
  // Gauge trough with ticks every quarter.
  c.Shade(32, y0 + 448, 288, y0 + 464, [&](float px, float py) {
    float y = py - y0 - 448;
    Rgb col = Mix(RgbOf(4, 4, 12), RgbOf(26, 28, 46), y / 16);
    int x = static_cast<int>(px) - 32;
    if (x % 64 == 63 && y > 3 && y < 13) col = Mix(col, accent, 0.45f);
    if (x % 16 == 15 && y > 9 && y < 13) col = Mix(col, accent, 0.3f);
    return WithAlpha(col, 1);
  });

  // Piece slots: a caption above each 64 x 64 slot.
  const char* slotNames[3] = {"いまのピース", "つぎ", "そのつぎ"};
  for (int s = 0; s < 3; s++) {
    float sy = y0 + 96 + 96 * s;
    DrawGlassPanel(c, 299, sy - 5, 373, sy + 69, 6, band.tint, 0.85f,
                   s == 0 ? Lighten(accent, 0.3f) : Mix(accent, RgbOf(120, 120, 140), 0.5f));
    Caption(c, 300, sy - 10, slotNames[s], accent, s == 0 ? 13 : 12);
  }

  // The four numbers: a dark strip behind each 256 x 32 row of digits.
  const int numberY[4] = {120, 214, 310, 390};
  for (int k = 0; k < 4; k++)
    DrawGlassPanel(c, 380, y0 + numberY[k] - 3, 652, y0 + numberY[k] + 35, 7, band.tint, 0.8f,
                   accent);
  if (!band.versus) {
    Caption(c, 385, y0 + 113, "スコア  SCORE", accent);
    Caption(c, 385, y0 + 207, "レベル  LEVEL", accent);
    Caption(c, 385, y0 + 303, "ハイスコア  HI-SCORE", accent);
  } else {
    // Room is left for the turn marker at (405, 100 / 194) and the leader
    // marker at (565, 100 / 194).
    SideBadge(c, 384, y0 + 100, "1P", RgbOf(236, 60, 80));
    Caption(c, 474, y0 + 113, "スコア", accent);
    SideBadge(c, 384, y0 + 194, "2P", RgbOf(60, 120, 240));
    Caption(c, 474, y0 + 207, "スコア", accent);
    Caption(c, 385, y0 + 303, "のこりフレーム  TIME", accent);
  }
  Caption(c, 385, y0 + 383, "消えるブロック  CLEARING", accent);

  // Key reminder below the numbers.
  DrawGlassPanel(c, 295, y0 + 426, 652, y0 + 468, 6, band.tint, 0.75f,
                 Mix(accent, RgbOf(90, 90, 110), 0.6f));
  if (!band.versus) {
    LegendLine(
        c, 301, y0 + 430,
        {{{"W", "A", "S", "D"}, "移動"}, {{"V"}, "置く"}, {{"B"}, "反転"}, {{"G"}, "せり上げ"}});
    TextStyle s = CaptionStyle(11, RgbOf(200, 208, 230));
    DrawText(c, 302, y0 + 461, "マウス：左クリック 置く／右クリック 反転／ゲージ せり上げ", s);
  } else {
    LegendLine(c, 301, y0 + 430,
               {{{"1P"}, ""},
                {{"W", "A", "S", "D"}, "移動"},
                {{"V"}, "置く"},
                {{"B"}, "反転"},
                {{"G"}, "せり上げ"}});
    LegendLine(c, 301, y0 + 449,
               {{{"2P"}, ""},
                {{"U", "H", "J", "K"}, "移動"},
                {{"←"}, "置く"},
                {{"→"}, "反転"},
                {{"↑"}, "せり上げ"}});
  }
  TextStyle fps = CaptionStyle(9, RgbOf(170, 176, 200));
  DrawText(c, 612, y0 + 477, "FPS", fps, Align::Right);
}

}  // namespace

Canvas DrawBackgroundSheet() {
  Canvas c(kW, kH * 5);
  for (int b = 0; b < 5; b++) {
    int y0 = kH * b;
    kBands[b].paint(c, y0);
    DrawPanel(c, y0, kBands[b]);
  }
  return c;
}

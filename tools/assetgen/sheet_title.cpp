// graph/title.bmp: the title picture (rows 0..479) and five menu strips of
// 640 x 112 (rows 480 + 112c): strip c highlights menu item c, strip 0 none.
// A strip is drawn at y = 196 over the picture, so its four items lie in
// the hover rows 196..223, 224..251, 252..279 and 280..308.
#include <cmath>
#include <string>
#include <vector>

#include "art_style.h"
#include "noise.h"
#include "sheets.h"

namespace {

constexpr int kW = 640, kH = 480;
constexpr int kStripY = 196, kStripH = 112, kRowH = 28;
const Rgb kAccent = RgbOf(120, 200, 255);
const Rgb kPanelTint = RgbOf(14, 16, 44);

void PaintSky(Canvas& c) {
  c.Shade(0, 0, kW, kH, [&](float px, float py) {
    Rgb col = Mix(RgbOf(20, 24, 80), RgbOf(6, 6, 26), py / kH);
    // Light behind the logo.
    float d = std::sqrt((px - 320) * (px - 320) * 0.35f + (py - 120) * (py - 120));
    col = Mix(col, RgbOf(90, 120, 230), Clamp01(1 - d / 190) * 0.55f);
    // Rays fanning out from the logo.
    float a = std::atan2(py - 120, px - 320);
    float ray = std::pow(std::fabs(std::sin(a * 9)), 12.0f) * Clamp01(1 - d / 420);
    col = Mix(col, RgbOf(170, 200, 255), ray * 0.12f);
    float n = Fbm(px / 120.0f, py / 90.0f, 5, 707);
    col = Mix(col, RgbOf(110, 50, 150), SmoothStep(0.55f, 0.8f, n) * 0.35f);
    int ix = static_cast<int>(px), iy = static_cast<int>(py);
    float s = HashUnit(ix, iy, 708);
    if (s > 0.997f) col = Mix(col, RgbOf(255, 255, 255), (s - 0.997f) / 0.003f);
    return WithAlpha(col, 1);
  });
}

// Gems drifting down the sides of the picture: the game's own blocks.
void FloatingGems(Canvas& c) {
  Rng rng(709);
  const Rgb colours[3] = {palette::kBlock, palette::kFits, palette::kClear};
  for (int i = 0; i < 34; i++) {
    float x = static_cast<float>(rng.Range(0, 1) < 0.5 ? rng.Range(-8, 150) : rng.Range(490, 632));
    float y = static_cast<float>(rng.Range(-8, 470));
    Canvas gem(28, 28);
    DrawGem(gem, 6, 6, colours[rng.Below(3)], rng.Chance(0.3) ? 8.0f : -1.0f);
    // Far gems are fainter; a soft glow sets the near ones off the sky.
    float depth = static_cast<float>(rng.Range(0.45, 1.0));
    int gx = static_cast<int>(x) - 6, gy = static_cast<int>(y) - 6;
    if (depth > 0.8f) c.Draw(Glow(gem, 2, RgbOf(140, 190, 255), 0.6f), gx, gy);
    c.Draw(gem, gx, gy, depth);
  }
}

// One little piece of gems (a 4 x 4 mask) at (x, y).
void GemPiece(Canvas& c, int x, int y, const char* mask, Rgb colour, float shine) {
  for (int j = 0; j < 4; j++)
    for (int i = 0; i < 4; i++)
      if (mask[j * 4 + i] == '#') DrawGem(c, x + 16 * i, y + 16 * j, colour, shine);
}

void DrawLogo(Canvas& c) {
  TextStyle logo;
  logo.size = 64;
  logo.bold = 2.4f;
  logo.top = RgbOf(255, 250, 200);
  logo.bottom = RgbOf(255, 150, 30);
  logo.gloss = 0.35f;
  logo.outline = 3.5f;
  logo.outlineColour = RgbOf(30, 12, 50);
  logo.shadowX = 3;
  logo.shadowY = 5;
  logo.shadowAlpha = 0.7f;
  logo.glowRadius = 6;
  logo.glowColour = RgbOf(120, 170, 255);
  logo.glowStrength = 1.2f;
  DrawText(c, 320, 150, "Zazo Puzzle", logo, Align::Centre);
  float w = MeasureText("Zazo Puzzle", logo);
  // A gem piece on each side of the name.
  GemPiece(c, static_cast<int>(320 - w / 2) - 62, 100, "#...##...#......", palette::kBlock, 9);
  GemPiece(c, static_cast<int>(320 + w / 2) + 14, 100, ".#..##..#.......", palette::kFits, -1);

  TextStyle sub = CaptionStyle(15, RgbOf(230, 236, 255));
  sub.bold = 0.5f;
  sub.outline = 1.5f;
  sub.outlineColour = RgbOf(10, 10, 40);
  DrawText(c, 320, 183, "ざぞパズル ── 自由に置いて、ひっくり返して、そろえて消そう！", sub,
           Align::Centre);
}

// The controls a new player needs: the game has no other help. Every
// Japanese word has its English beside it, in a smaller, paler face.
void DrawHelp(Canvas& c) {
  DrawGlassPanel(c, 14, 316, 626, 477, 10, kPanelTint, 0.82f, kAccent);
  TextStyle head = CaptionStyle(13, palette::kGold);
  TextStyle headEn = CaptionStyle(10, RgbOf(230, 200, 120));
  TextStyle text = CaptionStyle(12, RgbOf(226, 232, 250));
  TextStyle english = CaptionStyle(10, RgbOf(160, 178, 220));
  TextStyle rule = CaptionStyle(12, RgbOf(200, 214, 245));
  DrawText(
      c, 320, 335,
      "ピースをカーソルで動かして置き、横一列そろえると消えます。ゲージが満ちると床がせり上がる！",
      rule, Align::Centre);
  DrawLine(c, 30, 343.5f, 610, 343.5f, 1, WithAlpha(kAccent, 0.35f));

  struct Line {
    std::vector<std::string> keys;
    std::string word;
    std::string en;
  };
  // A Japanese word with its English after it; returns the end.
  auto words = [&](float x, float baseline, const Line& line) {
    DrawText(c, x, baseline, line.word, text);
    x += MeasureText(line.word, text) + 4;
    DrawText(c, x, baseline, line.en, english);
    return x + MeasureText(line.en, english);
  };
  auto column = [&](float x, const std::string& title, const std::string& titleEn,
                    const std::vector<Line>& lines) {
    DrawText(c, x, 362, title, head);
    DrawText(c, x + MeasureText(title, head) + 5, 362, titleEn, headEn);
    float y = 368;
    for (const Line& line : lines) {
      float kx = x;
      for (const std::string& key : line.keys) kx += DrawKeycap(c, kx, y, 15, key) + 2;
      words(kx + 4, y + 12, line);
      y += 17;
    }
  };
  column(30, "ひとりプレイ・1P", "1 player",
         {{{"W", "A", "S", "D"}, "カーソル移動", "move"},
          {{"V"}, "置く", "place"},
          {{"B"}, "反転", "flip"},
          {{"G"}, "せり上げ (得点)", "raise"}});
  column(232, "2P (ふたりで対戦)", "2 players",
         {{{"U", "H", "J", "K"}, "カーソル移動", "move"},
          {{"←"}, "置く", "place"},
          {{"→"}, "反転", "flip"},
          {{"↑"}, "せり上げ", "raise"}});
  column(420, "マウス", "mouse",
         {{{"動かす"}, "カーソル移動", "move"},
          {{"左クリック"}, "置く", "place"},
          {{"右クリック"}, "反転", "flip"},
          {{"ゲージをクリック"}, "せり上げ", "raise"}});
  DrawLine(c, 30, 438.5f, 610, 438.5f, 1, WithAlpha(kAccent, 0.35f));
  const std::vector<Line> rows[2] = {
      {{{"1"}, "背景", "background"},
       {{"2"}, "エフェクト", "effects"},
       {{"7"}, "リスタート", "restart"},
       {{"8"}, "タイトル", "title"},
       {{"Esc"}, "終了", "quit"}},
      {{{"Alt+Enter"}, "全画面", "full screen"},
       {{"P"}, "一時停止", "pause"},
       {{"-", "="}, "音楽", "music"},
       {{"[", "]"}, "効果音", "sound"}},
  };
  float y = 442;
  for (const std::vector<Line>& row : rows) {
    float x = 30;
    for (const Line& line : row) {
      for (const std::string& key : line.keys) x += DrawKeycap(c, x, y, 15, key) + 2;
      x = words(x + 2, y + 12, line) + 14;
    }
    y += 17;
  }
}

// The best-score plate behind the title label and the eight digits.
void DrawScorePlate(Canvas& c) {
  DrawGlassPanel(c, 198, 8, 478, 70, 10, kPanelTint, 0.8f, palette::kGold);
}

struct MenuItem {
  const char* key;
  const char* title;
  const char* english;  // beside the title, for players who read no Japanese
  const char* note;
};
const MenuItem kMenu[4] = {
    {"4", "ひとりで遊ぶ", "1 player", "レベル 1 から"},
    {"5", "上級者モード", "expert", "レベル 99 から"},
    {"3", "ふたりで対戦", "2 players", "1P と 2P が交代で"},
    {"6", "コンピュータと対戦", "vs CPU", "2P はコンピュータ"},
};

// Menu strip c (0 = no item highlighted) drawn at (0, y) of the canvas,
// over the picture's own rows 196..307.
void DrawMenuStrip(Canvas& c, const Canvas& backdrop, int y, int highlighted) {
  c.Copy(backdrop, 0, kStripY, kW, kStripH, 0, y);
  for (int i = 0; i < 4; i++) {
    float top = y + kRowH * i + 2, bottom = top + kRowH - 4;
    bool on = highlighted == i + 1;
    if (on) {
      // A glow round the bar, kept inside the item's own hover row.
      Canvas glow(kW, kRowH);
      FillRoundRect(glow, 150, 2, 490, kRowH - 2, 11, Rgba{1, 1, 1, 1});
      c.Draw(Glow(glow, 2, RgbOf(110, 190, 255), 1.4f), 0, y + kRowH * i);
      c.Shade(140, static_cast<int>(top), 500, static_cast<int>(bottom) + 1,
              [&](float px, float py) {
                float d = SdRoundRect(px, py, 150, top, 490, bottom, 11);
                float t = (py - top) / (bottom - top);
                Rgb col = Mix(RgbOf(120, 200, 255), RgbOf(30, 90, 200), t);
                if (t < 0.45f) col = Lighten(col, 0.25f);
                return WithAlpha(col, Coverage(d));
              });
      // Arrow pointing at the item.
      c.Shade(130, static_cast<int>(top), 150, static_cast<int>(bottom) + 1,
              [&](float px, float py) {
                float cy = (top + bottom) / 2;
                float d = std::max(std::fabs(py - cy) * 1.3f + (px - 146), 134 - px);
                return WithAlpha(palette::kGold, Coverage(d));
              });
    } else {
      FillRoundRect(c, 150, top, 490, bottom, 11, WithAlpha(kPanelTint, 0.55f));
      StrokeRoundRect(c, 150, top, 490, bottom, 11, 1, WithAlpha(kAccent, 0.3f));
    }
    DrawKeycap(c, 160, top + 3, bottom - top - 6, kMenu[i].key,
               on ? RgbOf(255, 236, 150) : RgbOf(220, 224, 236));
    TextStyle title = CaptionStyle(16, on ? RgbOf(255, 255, 255) : RgbOf(214, 222, 245));
    title.bold = 0.7f;
    if (on) {
      title.outline = 1.2f;
      title.outlineColour = RgbOf(10, 30, 90);
    }
    DrawText(c, 190, bottom - 6, kMenu[i].title, title);
    TextStyle english = CaptionStyle(11, on ? RgbOf(255, 255, 255) : RgbOf(170, 186, 225));
    DrawText(c, 190 + MeasureText(kMenu[i].title, title) + 7, bottom - 6, kMenu[i].english,
             english);
    TextStyle note = CaptionStyle(12, on ? RgbOf(255, 240, 170) : RgbOf(150, 166, 205));
    DrawText(c, 478, bottom - 7, kMenu[i].note, note, Align::Right);
  }
}

}  // namespace

Canvas DrawTitleBackdrop() {
  Canvas c(kW, kH);
  PaintSky(c);
  FloatingGems(c);
  DrawScorePlate(c);
  return c;
}

Canvas DrawTitleSheet() {
  Canvas backdrop = DrawTitleBackdrop();
  Canvas c(kW, kH + 5 * kStripH);
  c.Copy(backdrop, 0, 0, kW, kH, 0, 0);
  DrawLogo(c);
  DrawHelp(c);
  // The picture's own menu rows show strip 0, so the slide starts from it.
  Canvas picture = c.Crop(0, 0, kW, kH);
  for (int s = 0; s < 5; s++) DrawMenuStrip(c, picture, kH + kStripH * s, s);
  c.Copy(c, 0, kH, kW, kStripH, 0, kStripY);
  return c;
}

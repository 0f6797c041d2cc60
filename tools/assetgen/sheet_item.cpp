// graph/item.bmp: the cell sprites. Row r holds display code r, column f its
// animation frame f (0..7).
#include <cmath>

#include "art_style.h"
#include "sheets.h"

namespace {

constexpr int kCell = 16;
constexpr float kPi = 3.14159265358979f;

// 0..1..0 over the eight frames of a cycle, brightest at frame 0.
float Pulse(int frame) {
  return 0.5f + 0.5f * std::cos(2 * kPi * frame / 8.0f);
}

void FillCell(Canvas& c, int x, int y, Rgb colour) {
  c.FillRect(x, y, x + kCell, y + kCell, WithAlpha(colour, 1));
}

// Blends a colour over a whole cell.
void TintCell(Canvas& c, int x, int y, Rgb colour, float amount) {
  for (int j = 0; j < kCell; j++)
    for (int i = 0; i < kCell; i++) c.Blend(x + i, y + j, colour, amount);
}

// The outline of one mask cell of the piece preview: a dotted mint edge
// that joins its neighbours into the outline of the 4 x 4 frame.
void MaskDots(Canvas& c, int x, int y, float strength) {
  for (int k = 0; k < kCell; k += 2) {
    c.Blend(x + k, y, palette::kFits, strength);
    c.Blend(x, y + k, palette::kFits, strength);
  }
}

// Empty board cell: transparent but for a faint dotted grid along the
// right and bottom edges (the top-left pixel stays transparent).
void DrawEmpty(Canvas& c, int x, int y) {
  for (int k = 1; k < kCell; k += 2) {
    c.Blend(x + 15, y + k, palette::kGrid, 1);
    c.Blend(x + k, y + 15, palette::kGrid, 1);
  }
  c.Blend(x + 15, y + 15, Lighten(palette::kGrid, 0.3f), 1);
}

// A red cross over a refused cell.
void DrawCross(Canvas& c, int x, int y, float pulse) {
  Rgb red = Lighten(palette::kRefused, 0.25f * pulse);
  DrawLine(c, x + 3.5f, y + 3.5f, x + 12.5f, y + 12.5f, 3.6f, Rgba{0.1f, 0, 0, 0.9f});
  DrawLine(c, x + 12.5f, y + 3.5f, x + 3.5f, y + 12.5f, 3.6f, Rgba{0.1f, 0, 0, 0.9f});
  DrawLine(c, x + 3.5f, y + 3.5f, x + 12.5f, y + 12.5f, 2.0f, WithAlpha(red, 1));
  DrawLine(c, x + 12.5f, y + 3.5f, x + 3.5f, y + 12.5f, 2.0f, WithAlpha(red, 1));
}

// A glowing star at (cx, cy): the sparkle of the vanishing cells.
void Sparkle(Canvas& c, float cx, float cy, float size, Rgb colour, float strength) {
  c.Shade(static_cast<int>(cx - size) - 1, static_cast<int>(cy - size) - 1,
          static_cast<int>(cx + size) + 2, static_cast<int>(cy + size) + 2,
          [&](float px, float py) {
            float dx = std::fabs(px - cx), dy = std::fabs(py - cy);
            float arm = std::max(0.0f, 1 - dx / size) * Coverage(dy - 0.6f) +
                        std::max(0.0f, 1 - dy / size) * Coverage(dx - 0.6f);
            float core = Coverage(SdCircle(px, py, cx, cy, size * 0.28f));
            return WithAlpha(colour, Clamp01(std::max(arm, core)) * strength);
          });
}

// The look of a clearing cell (display code 5) in frame f: a gold gem that
// flashes white.
void DrawClearing(Canvas& c, int x, int y, int f) {
  float p = Pulse(f);
  DrawGem(c, x, y, Mix(RgbOf(255, 150, 20), palette::kClear, p), -1, 0.05f + 0.8f * p);
  Sparkle(c, x + 8, y + 8, 3.0f + 4.0f * p, RgbOf(255, 255, 255), 0.6f + 0.4f * p);
}

// The look of a clearing cell about to vanish (code 28, drawn blended):
// a hot white core in a yellow glow, with a turning sparkle.
void DrawVanishing(Canvas& c, int x, int y, int f, Rgb tint) {
  float p = Pulse(f);
  c.Shade(x, y, x + kCell, y + kCell, [&](float px, float py) {
    float lx = px - x, ly = py - y;
    float d = SdRoundRect(lx, ly, 0, 0, 16, 16, 3.0f);
    float core = 1 - Clamp01(SdCircle(lx, ly, 8, 8, 0) / (8.0f + 3.0f * p));
    Rgb col = Mix(tint, RgbOf(255, 255, 255), core * core);
    if (d > -1.2f) col = Darken(tint, 0.1f);
    return WithAlpha(col, Coverage(d));
  });
  float angle = f * 3.14159265f / 4;
  float r = 4.0f;
  Sparkle(c, x + 8 + r * std::cos(angle), y + 8 + r * std::sin(angle), 3.5f, RgbOf(255, 255, 255),
          1.0f);
}

// Preview of a filled mask cell over an empty cell: the piece fits here.
void DrawFits(Canvas& c, int x, int y, int f) {
  FillCell(c, x, y, palette::kWell);
  float p = Pulse(f);
  DrawGem(c, x, y, palette::kFits, -1, 0.1f + 0.3f * p);
  StrokeRoundRect(c, x + 0.5f, y + 0.5f, x + 15.5f, y + 15.5f, 2.5f, 1.0f,
                  WithAlpha(RgbOf(255, 255, 255), 0.35f + 0.5f * p));
}

// Preview of a filled mask cell over a clearing cell: it becomes a block.
void DrawRescue(Canvas& c, int x, int y, int f) {
  FillCell(c, x, y, palette::kWell);
  float t = f / 7.0f;
  DrawGem(c, x, y, Mix(palette::kClear, palette::kBlock, t), -1, 0.2f * (1 - t));
  StrokeRoundRect(c, x + 0.5f, y + 0.5f, x + 15.5f, y + 15.5f, 2.5f, 1.4f,
                  WithAlpha(palette::kFits, 0.6f + 0.4f * Pulse(f)));
  // An up-pointing chevron: the cell is caught and stays.
  DrawLine(c, x + 4.5f, y + 9.5f, x + 8, y + 6, 1.6f, WithAlpha(RgbOf(255, 255, 255), 0.9f));
  DrawLine(c, x + 8, y + 6, x + 11.5f, y + 9.5f, 1.6f, WithAlpha(RgbOf(255, 255, 255), 0.9f));
}

void DrawMarker(Canvas& c, int x, int y, Rgb top, Rgb bottom, const std::string& text) {
  FillRoundRect(c, x + 0.5f, y + 0.5f, x + 63.5f, y + 15.5f, 7.5f, WithAlpha(RgbOf(20, 14, 10), 1));
  c.Shade(x, y, x + 64, y + 16, [&](float px, float py) {
    float d = SdRoundRect(px, py, x + 1.5f, y + 1.5f, x + 62.5f, y + 14.5f, 6.5f);
    Rgb col = Mix(top, bottom, Clamp01((py - y - 1.5f) / 13.0f));
    if (py - y < 6.5f) col = Lighten(col, 0.3f);
    return WithAlpha(col, Coverage(d));
  });
  TextStyle s;
  s.size = 11.5f;
  s.bold = 0.5f;
  s.top = RgbOf(40, 20, 10);
  s.bottom = RgbOf(10, 6, 4);
  DrawText(c, x + 32, y + 12.2f, text, s, Align::Centre);
}

}  // namespace

Canvas DrawItemSheet() {
  Canvas c(128, 480);
  auto at = [](int f, int row) { return std::pair<int, int>{f * kCell, row * kCell}; };
  for (int f = 0; f < 8; f++) {
    // Board cells, drawn keyed.
    auto [x0, y0] = at(f, 0);
    DrawEmpty(c, x0, y0);
    auto [x1, y1] = at(f, 1);
    DrawGem(c, x1, y1, palette::kBlock, f == 0 ? -1 : (f - 1) * 5.2f + 1.0f);
    auto [x2, y2] = at(f, 2);
    DrawGem(c, x2, y2, palette::kRefused);
    auto [x5, y5] = at(f, 5);
    DrawClearing(c, x5, y5, f);
    auto [x8, y8] = at(f, 8);
    DrawPlate(c, x8, y8, palette::kWall);
    auto [x9, y9] = at(f, 9);
    DrawPlate(c, x9, y9, palette::kWall);
    // Blended looks of vanishing cells.
    auto [x27, y27] = at(f, 27);
    DrawVanishing(c, x27, y27, f, RgbOf(255, 120, 200));
    auto [x28, y28] = at(f, 28);
    DrawVanishing(c, x28, y28, f, RgbOf(255, 214, 60));

    // Preview overlay codes, drawn opaque.
    for (int row : {10, 13, 14, 17, 20}) {
      auto [x, y] = at(f, row);
      FillCell(c, x, y, Lighten(palette::kWell, 0.04f));
      MaskDots(c, x, y, 0.55f);
    }
    auto [x11, y11] = at(f, 11);
    DrawFits(c, x11, y11, f);
    float refusedPulse = Pulse(f);
    auto [x12, y12] = at(f, 12);
    FillCell(c, x12, y12, palette::kWell);
    DrawGem(c, x12, y12, palette::kBlock);
    TintCell(c, x12, y12, palette::kRefused, 0.35f + 0.2f * refusedPulse);
    DrawCross(c, x12, y12, refusedPulse);
    auto [x15, y15] = at(f, 15);
    FillCell(c, x15, y15, palette::kWell);
    DrawClearing(c, x15, y15, f);
    TintCell(c, x15, y15, palette::kWell, 0.45f);
    MaskDots(c, x15, y15, 0.8f);
    auto [x16, y16] = at(f, 16);
    DrawRescue(c, x16, y16, f);
    auto [x18, y18] = at(f, 18);
    DrawPlate(c, x18, y18, palette::kWall);
    TintCell(c, x18, y18, palette::kWell, 0.5f);
    MaskDots(c, x18, y18, 0.8f);
    auto [x19, y19] = at(f, 19);
    DrawPlate(c, x19, y19, palette::kWall);
    TintCell(c, x19, y19, palette::kRefused, 0.4f + 0.2f * refusedPulse);
    DrawCross(c, x19, y19, refusedPulse);
    auto [x21, y21] = at(f, 21);
    FillCell(c, x21, y21, palette::kWell);
    DrawGem(c, x21, y21, palette::kBlock);
    TintCell(c, x21, y21, palette::kWell, 0.5f);
    MaskDots(c, x21, y21, 0.8f);
  }
  // Code 27: an empty mask cell over a vanishing cell, drawn keyed so the
  // fading cell shows through: corner brackets only.
  int bx = 0, by = 26 * kCell;
  Rgba mint = WithAlpha(palette::kFits, 1);
  for (int k = 0; k < 4; k++) {
    float cx = (k & 1) ? bx + 14.5f : bx + 1.5f, cy = (k & 2) ? by + 14.5f : by + 1.5f;
    float sx = (k & 1) ? -4.5f : 4.5f, sy = (k & 2) ? -4.5f : 4.5f;
    DrawLine(c, cx, cy, cx + sx, cy, 2.0f, mint);
    DrawLine(c, cx, cy, cx, cy + sy, 2.0f, mint);
  }
  // Versus markers: whose turn it is, and who leads.
  DrawMarker(c, 0, 464, RgbOf(255, 236, 110), RgbOf(255, 150, 30), "▼ 手番");
  DrawMarker(c, 64, 464, RgbOf(255, 170, 200), RgbOf(236, 60, 110), "★ リード");
  return c;
}

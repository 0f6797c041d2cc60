// graph/bom.bmp: the bursts shown from level 99 on. Look 1 (rows 16..31)
// plays frames 1..3 over its life, look 2 (rows 32..47) frames 4..7.
#include <cmath>

#include "art_style.h"
#include "sheets.h"

namespace {

// One burst at progress p (0 = first flash, 1 = last dust) into the 16 x 16
// cell at (x, y): a star that opens into a ring and breaks into sparks.
void DrawBurst(Canvas& c, int x, int y, float p, Rgb core, Rgb edge, int rays) {
  float cx = x + 8.0f, cy = y + 8.0f;
  float ring = 2.0f + 5.0f * p;
  float star = 7.0f * (1.0f - p) + 1.5f;
  c.Shade(x, y, x + 16, y + 16, [&](float px, float py) {
    float dx = px - cx, dy = py - cy;
    float r = std::sqrt(dx * dx + dy * dy);
    float a = std::atan2(dy, dx);
    // Rays of the star.
    float spoke = std::fabs(std::cos(a * rays * 0.5f));
    float starCov = Clamp01((std::pow(spoke, 8.0f) * star - r) * 1.2f + 0.5f);
    starCov = std::max(starCov, Coverage(r - (2.2f - 1.8f * p)));
    // The ring, thinning and breaking up as it grows.
    float width = 1.6f * (1.0f - 0.6f * p);
    float ringCov = Coverage(std::fabs(r - ring) - width * 0.5f);
    if (p > 0.45f) ringCov *= std::cos(a * 8 + p * 3) > 0.2f - p ? 1.0f : 0.0f;
    if (starCov > 0.5f) return WithAlpha(Mix(RgbOf(255, 255, 255), core, r / 8.0f), 1.0f);
    if (ringCov > 0.5f) return WithAlpha(Mix(core, edge, p), 1.0f);
    return Rgba{};
  });
}

}  // namespace

Canvas DrawBurstSheet() {
  Canvas c(128, 48);
  for (int f = 0; f < 8; f++) {
    float p1 = Clamp01((f - 1) / 2.0f * 0.9f + (f == 0 ? -0.1f : 0.0f));
    float p2 = Clamp01((f - 4) / 3.0f);
    DrawBurst(c, 16 * f, 16, f == 0 ? 0.0f : p1, RgbOf(255, 224, 120), RgbOf(255, 120, 40), 4);
    DrawBurst(c, 16 * f, 32, f < 4 ? f / 8.0f : p2, RgbOf(170, 240, 255), RgbOf(200, 110, 255), 6);
  }
  return c;
}

#include "art_style.h"

#include "noise.h"

void DrawGem(Canvas& c, int x, int y, Rgb base, float shine, float glow) {
  base = Lighten(base, glow * 0.6f);
  Rgb rim = Darken(base, 0.62f);
  Rgb light = Lighten(base, 0.55f);
  Rgb dark = Darken(base, 0.35f);
  c.Shade(x, y, x + 16, y + 16, [&](float px, float py) {
    float lx = px - x, ly = py - y;
    float outer = SdRoundRect(lx, ly, 0.0f, 0.0f, 16.0f, 16.0f, 2.6f);
    float cover = Coverage(outer);
    if (cover <= 0) return Rgba{};
    Rgb col;
    float inset = -outer;  // distance from the outer edge, inward
    if (inset < 1.0f) {
      col = rim;
    } else if (inset < 3.4f) {
      // Bevel: lit from the top left.
      float dx = lx - 8, dy = ly - 8;
      float facing = (-dx - dy) / (std::fabs(dx) + std::fabs(dy) + 1e-3f);  // -1..1
      col = facing > 0 ? Mix(base, light, facing * 0.9f) : Mix(base, dark, -facing * 0.9f);
      if (inset < 1.8f && facing > 0.2f) col = Lighten(col, 0.35f);
    } else {
      // The table: vertical gradient with a gloss band in the upper half.
      float t = (ly - 3.4f) / 9.2f;
      col = Mix(Lighten(base, 0.18f), Darken(base, 0.22f), Clamp01(t));
      float gloss = Coverage(SdRoundRect(lx, ly, 4.0f, 3.6f, 12.0f, 7.6f, 2.0f));
      col = Mix(col, RgbOf(255, 255, 255), gloss * 0.38f);
      // Light caught at the bottom of the table (refraction).
      col = Mix(col, Lighten(base, 0.45f), SmoothStep(9.5f, 12.6f, ly) * 0.35f);
    }
    // Specular spark in the top-left corner of the table.
    float spark = Coverage(SdCircle(lx, ly, 4.6f, 4.6f, 1.1f));
    col = Mix(col, RgbOf(255, 255, 255), spark * 0.95f);
    if (shine >= 0) {
      float d = (lx + ly) - shine;
      float s = std::exp(-d * d / (2 * 1.6f * 1.6f));
      if (inset >= 1.0f) col = Mix(col, RgbOf(255, 255, 255), s * 0.85f);
    }
    col = Mix(col, RgbOf(255, 255, 255), glow * 0.25f);
    return WithAlpha(col, cover);
  });
}

void DrawPlate(Canvas& c, int x, int y, Rgb base) {
  Rgb light = Lighten(base, 0.42f), dark = Darken(base, 0.55f);
  c.Shade(x, y, x + 16, y + 16, [&](float px, float py) {
    int lx = static_cast<int>(px - x), ly = static_cast<int>(py - y);
    Rgb col;
    if (lx == 0 || ly == 0) {
      col = light;
    } else if (lx == 15 || ly == 15) {
      col = dark;
    } else if (lx == 1 || ly == 1) {
      col = Mix(base, light, 0.45f);
    } else if (lx == 14 || ly == 14) {
      col = Mix(base, dark, 0.45f);
    } else {
      // Brushed steel: fine horizontal streaks.
      float streak = HashUnit(ly, 7, 911) * 0.5f + HashUnit(lx / 3, ly, 912) * 0.5f;
      col = Mix(Darken(base, 0.06f), Lighten(base, 0.08f), streak);
      col = Mix(col, Darken(base, 0.15f), (ly - 2) / 11.0f * 0.5f);
    }
    // Two rivets.
    for (int k = 0; k < 2; k++) {
      float rx = k == 0 ? 4.0f : 12.0f, ry = k == 0 ? 4.0f : 12.0f;
      float d = SdCircle(px - x, py - y, rx, ry, 1.5f);
      float cov = Coverage(d);
      if (cov > 0) {
        float lit = Clamp01(0.5f - ((px - x - rx) + (py - y - ry)) * 0.35f);
        col = Mix(col, Mix(dark, Lighten(base, 0.7f), lit), cov);
      }
    }
    return WithAlpha(col, 1.0f);
  });
}

void DrawGlassPanel(Canvas& c, float x0, float y0, float x1, float y1, float radius, Rgb tint,
                    float opacity, Rgb border) {
  // Soft drop shadow, the dark glass, a border and a highlight along the top.
  int pad = 10;
  int lx = static_cast<int>(x0) - pad, ly = static_cast<int>(y0) - pad;
  Canvas shadow(static_cast<int>(x1 - x0) + 2 * pad + 4, static_cast<int>(y1 - y0) + 2 * pad + 4);
  FillRoundRect(shadow, x0 - lx + 2, y0 - ly + 3, x1 - lx + 2, y1 - ly + 3, radius,
                Rgba{0, 0, 0, 0.55f});
  c.Draw(Blur(shadow, 2), lx, ly);
  c.Shade(static_cast<int>(x0) - 1, static_cast<int>(y0) - 1, static_cast<int>(x1) + 1,
          static_cast<int>(y1) + 1, [&](float px, float py) {
            float d = SdRoundRect(px, py, x0, y0, x1, y1, radius);
            float t = Clamp01((py - y0) / std::max(1.0f, y1 - y0));
            Rgb col = Mix(Lighten(tint, 0.08f), Darken(tint, 0.25f), t);
            return WithAlpha(col, Coverage(d) * opacity);
          });
  StrokeRoundRect(c, x0, y0, x1, y1, radius, 1.2f, WithAlpha(border, 0.9f));
  StrokeRoundRect(c, x0 + 1.2f, y0 + 1.2f, x1 - 1.2f, y1 - 1.2f, std::max(0.0f, radius - 1.2f),
                  1.0f, Rgba{0, 0, 0, 0.45f});
  DrawLine(c, x0 + radius + 1, y0 + 2.5f, x1 - radius - 1, y0 + 2.5f, 1.0f,
           WithAlpha(Lighten(border, 0.5f), 0.35f));
}

TextStyle CaptionStyle(float size, Rgb colour) {
  TextStyle s;
  s.size = size;
  s.bold = size >= 12 ? 0.35f : 0.2f;
  s.top = Lighten(colour, 0.25f);
  s.bottom = colour;
  s.shadowX = 1;
  s.shadowY = 1;
  s.shadowAlpha = 0.8f;
  return s;
}

namespace {
TextStyle KeycapText(float h) {
  TextStyle s;
  s.size = h * 0.62f;
  s.bold = 0.45f;
  s.top = RgbOf(40, 44, 60);
  s.bottom = RgbOf(16, 18, 30);
  return s;
}
}  // namespace

float KeycapWidth(float h, const std::string& label) {
  return std::max(h, MeasureText(label, KeycapText(h)) + h * 0.55f);
}

float DrawKeycap(Canvas& c, float x, float y, float h, const std::string& label, Rgb face) {
  float w = KeycapWidth(h, label);
  float r = h * 0.22f;
  FillRoundRect(c, x, y + 1, x + w, y + h + 1, r, Rgba{0, 0, 0, 0.55f});
  FillRoundRect(c, x, y, x + w, y + h, r, WithAlpha(Darken(face, 0.45f), 1));
  c.Shade(static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w) + 1,
          static_cast<int>(y + h) + 1, [&](float px, float py) {
            float d = SdRoundRect(px, py, x + 1, y + 0.8f, x + w - 1, y + h - 2.2f, r * 0.8f);
            float t = Clamp01((py - y) / h);
            return WithAlpha(Mix(Lighten(face, 0.4f), Darken(face, 0.08f), t), Coverage(d));
          });
  DrawText(c, x + w * 0.5f, y + h * 0.73f - 1, label, KeycapText(h), Align::Centre);
  return w;
}

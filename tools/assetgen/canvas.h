// Floating-point RGBA canvas and the shape and colour helpers every sheet is
// drawn with. Colours are straight (not premultiplied), channels 0..1.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

struct Rgb {
  float r = 0, g = 0, b = 0;
};

struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;
};

inline Rgb RgbOf(int r, int g, int b) {
  return {r / 255.0f, g / 255.0f, b / 255.0f};
}
inline Rgba WithAlpha(Rgb c, float a) {
  return {c.r, c.g, c.b, a};
}
inline float Clamp01(float v) {
  return v < 0 ? 0 : (v > 1 ? 1 : v);
}
inline float Mix(float a, float b, float t) {
  return a + (b - a) * t;
}
inline Rgb Mix(Rgb a, Rgb b, float t) {
  return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)};
}
inline Rgb Scale(Rgb c, float k) {
  return {c.r * k, c.g * k, c.b * k};
}
inline Rgb Lighten(Rgb c, float t) {
  return Mix(c, Rgb{1, 1, 1}, t);
}
inline Rgb Darken(Rgb c, float t) {
  return Mix(c, Rgb{0, 0, 0}, t);
}
inline float SmoothStep(float e0, float e1, float x) {
  float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}
// Hue 0..1, saturation and value 0..1.
Rgb Hsv(float h, float s, float v);

// Signed distances (negative inside) used for anti-aliased shapes.
float SdRoundRect(float px, float py, float x0, float y0, float x1, float y1, float radius);
float SdCircle(float px, float py, float cx, float cy, float radius);
float SdSegment(float px, float py, float ax, float ay, float bx, float by);
// Pixel coverage of a shape from its signed distance at the pixel centre.
inline float Coverage(float sd) {
  return Clamp01(0.5f - sd);
}

class Canvas {
 public:
  Canvas() = default;
  Canvas(int width, int height, Rgba fill = {});

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  Rgba& At(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  const Rgba& At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

  // Source-over of colour c with opacity alpha at (x, y); outside is ignored.
  void Blend(int x, int y, Rgb c, float alpha);
  void Blend(int x, int y, Rgba c) { Blend(x, y, Rgb{c.r, c.g, c.b}, c.a); }
  // Replaces the pixels of [x0, x1) x [y0, y1).
  void FillRect(int x0, int y0, int x1, int y1, Rgba c);
  // Calls shade(px, py) for the pixel centres of [x0, x1) x [y0, y1) and
  // blends the returned colour over the canvas.
  template <class F>
  void Shade(int x0, int y0, int x1, int y1, F shade) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, width_);
    y1 = std::min(y1, height_);
    for (int y = y0; y < y1; y++)
      for (int x = x0; x < x1; x++) {
        Rgba c = shade(x + 0.5f, y + 0.5f);
        if (c.a > 0) Blend(x, y, c);
      }
  }
  // Blends src over this canvas with its top-left at (dx, dy).
  void Draw(const Canvas& src, int dx, int dy, float opacity = 1.0f);
  // Copies the w x h block at (sx, sy) of src to (dx, dy), replacing pixels.
  void Copy(const Canvas& src, int sx, int sy, int w, int h, int dx, int dy);
  // A w x h piece of this canvas.
  Canvas Crop(int x, int y, int w, int h) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Rgba> pixels_;
};

// Anti-aliased filled shapes with a flat colour or a colour function.
void FillRoundRect(Canvas& c, float x0, float y0, float x1, float y1, float radius, Rgba colour);
void FillCircle(Canvas& c, float cx, float cy, float radius, Rgba colour);
void DrawLine(Canvas& c, float ax, float ay, float bx, float by, float width, Rgba colour);
// Ring of the rounded rectangle: `width` pixels wide, just inside its edge.
void StrokeRoundRect(Canvas& c, float x0, float y0, float x1, float y1, float radius, float width,
                     Rgba colour);

// Alpha of `src` spread by three box blurs of the given radius (a soft
// shadow or glow mask), coloured with `colour`.
Canvas Glow(const Canvas& src, int radius, Rgb colour, float strength);
// Three box blurs of all channels (premultiplied while blurring).
Canvas Blur(const Canvas& src, int radius);

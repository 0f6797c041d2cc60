#include "canvas.h"

Rgb Hsv(float h, float s, float v) {
  h = h - std::floor(h);
  float k = h * 6.0f;
  int i = static_cast<int>(k) % 6;
  float f = k - std::floor(k);
  float p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (i) {
    case 0:
      return {v, t, p};
    case 1:
      return {q, v, p};
    case 2:
      return {p, v, t};
    case 3:
      return {p, q, v};
    case 4:
      return {t, p, v};
    default:
      return {v, p, q};
  }
}

float SdRoundRect(float px, float py, float x0, float y0, float x1, float y1, float radius) {
  float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
  float hx = (x1 - x0) * 0.5f - radius, hy = (y1 - y0) * 0.5f - radius;
  float qx = std::fabs(px - cx) - hx, qy = std::fabs(py - cy) - hy;
  float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
  return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

float SdCircle(float px, float py, float cx, float cy, float radius) {
  float dx = px - cx, dy = py - cy;
  return std::sqrt(dx * dx + dy * dy) - radius;
}

float SdSegment(float px, float py, float ax, float ay, float bx, float by) {
  float pax = px - ax, pay = py - ay, bax = bx - ax, bay = by - ay;
  float len2 = bax * bax + bay * bay;
  float h = len2 > 0 ? Clamp01((pax * bax + pay * bay) / len2) : 0.0f;
  float dx = pax - bax * h, dy = pay - bay * h;
  return std::sqrt(dx * dx + dy * dy);
}

Canvas::Canvas(int width, int height, Rgba fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void Canvas::Blend(int x, int y, Rgb c, float alpha) {
  if (!Inside(x, y) || alpha <= 0) return;
  alpha = std::min(alpha, 1.0f);
  Rgba& d = At(x, y);
  float outA = alpha + d.a * (1 - alpha);
  if (outA <= 0) return;
  float wd = d.a * (1 - alpha);
  d.r = (c.r * alpha + d.r * wd) / outA;
  d.g = (c.g * alpha + d.g * wd) / outA;
  d.b = (c.b * alpha + d.b * wd) / outA;
  d.a = outA;
}

void Canvas::FillRect(int x0, int y0, int x1, int y1, Rgba c) {
  for (int y = std::max(y0, 0); y < std::min(y1, height_); y++)
    for (int x = std::max(x0, 0); x < std::min(x1, width_); x++) At(x, y) = c;
}

void Canvas::Draw(const Canvas& src, int dx, int dy, float opacity) {
  for (int y = 0; y < src.height_; y++)
    for (int x = 0; x < src.width_; x++) {
      const Rgba& s = src.At(x, y);
      if (s.a > 0) Blend(dx + x, dy + y, Rgb{s.r, s.g, s.b}, s.a * opacity);
    }
}

void Canvas::Copy(const Canvas& src, int sx, int sy, int w, int h, int dx, int dy) {
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++)
      if (src.Inside(sx + x, sy + y) && Inside(dx + x, dy + y))
        At(dx + x, dy + y) = src.At(sx + x, sy + y);
}

Canvas Canvas::Crop(int x, int y, int w, int h) const {
  Canvas out(w, h);
  out.Copy(*this, x, y, w, h, 0, 0);
  return out;
}

void FillRoundRect(Canvas& c, float x0, float y0, float x1, float y1, float radius, Rgba colour) {
  c.Shade(static_cast<int>(std::floor(x0)) - 1, static_cast<int>(std::floor(y0)) - 1,
          static_cast<int>(std::ceil(x1)) + 1, static_cast<int>(std::ceil(y1)) + 1,
          [&](float px, float py) {
            Rgba o = colour;
            o.a *= Coverage(SdRoundRect(px, py, x0, y0, x1, y1, radius));
            return o;
          });
}

void StrokeRoundRect(Canvas& c, float x0, float y0, float x1, float y1, float radius, float width,
                     Rgba colour) {
  c.Shade(static_cast<int>(std::floor(x0)) - 1, static_cast<int>(std::floor(y0)) - 1,
          static_cast<int>(std::ceil(x1)) + 1, static_cast<int>(std::ceil(y1)) + 1,
          [&](float px, float py) {
            float d = SdRoundRect(px, py, x0, y0, x1, y1, radius);
            Rgba o = colour;
            o.a *= Coverage(d) * Coverage(-d - width);
            return o;
          });
}

void FillCircle(Canvas& c, float cx, float cy, float radius, Rgba colour) {
  c.Shade(static_cast<int>(std::floor(cx - radius)) - 1,
          static_cast<int>(std::floor(cy - radius)) - 1,
          static_cast<int>(std::ceil(cx + radius)) + 1,
          static_cast<int>(std::ceil(cy + radius)) + 1, [&](float px, float py) {
            Rgba o = colour;
            o.a *= Coverage(SdCircle(px, py, cx, cy, radius));
            return o;
          });
}

void DrawLine(Canvas& c, float ax, float ay, float bx, float by, float width, Rgba colour) {
  float r = width * 0.5f;
  c.Shade(static_cast<int>(std::floor(std::min(ax, bx) - r)) - 1,
          static_cast<int>(std::floor(std::min(ay, by) - r)) - 1,
          static_cast<int>(std::ceil(std::max(ax, bx) + r)) + 1,
          static_cast<int>(std::ceil(std::max(ay, by) + r)) + 1, [&](float px, float py) {
            Rgba o = colour;
            o.a *= Coverage(SdSegment(px, py, ax, ay, bx, by) - r);
            return o;
          });
}

namespace {

// One box blur pass along rows (horizontal) or columns, in place, on planes
// of premultiplied channels.
void BoxPass(std::vector<float>& plane, int w, int h, int radius, bool horizontal) {
  int n = horizontal ? w : h, lines = horizontal ? h : w;
  std::vector<float> line(n);
  float norm = 1.0f / (2 * radius + 1);
  for (int l = 0; l < lines; l++) {
    auto idx = [&](int i) {
      return horizontal ? static_cast<size_t>(l) * w + i : static_cast<size_t>(i) * w + l;
    };
    for (int i = 0; i < n; i++) line[i] = plane[idx(i)];
    float sum = 0;
    for (int i = -radius; i <= radius; i++) sum += line[std::clamp(i, 0, n - 1)];
    for (int i = 0; i < n; i++) {
      plane[idx(i)] = sum * norm;
      sum += line[std::min(i + radius + 1, n - 1)] - line[std::max(i - radius, 0)];
    }
  }
}

void BlurPlane(std::vector<float>& plane, int w, int h, int radius) {
  for (int k = 0; k < 3; k++) {
    BoxPass(plane, w, h, radius, true);
    BoxPass(plane, w, h, radius, false);
  }
}

}  // namespace

Canvas Glow(const Canvas& src, int radius, Rgb colour, float strength) {
  int w = src.Width(), h = src.Height();
  std::vector<float> a(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) a[static_cast<size_t>(y) * w + x] = src.At(x, y).a;
  BlurPlane(a, w, h, radius);
  Canvas out(w, h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++)
      out.At(x, y) = WithAlpha(colour, Clamp01(a[static_cast<size_t>(y) * w + x] * strength));
  return out;
}

Canvas Blur(const Canvas& src, int radius) {
  int w = src.Width(), h = src.Height();
  size_t n = static_cast<size_t>(w) * h;
  std::vector<float> p[4];
  for (auto& v : p) v.resize(n);
  for (size_t i = 0; i < n; i++) {
    const Rgba& s = src.At(static_cast<int>(i % w), static_cast<int>(i / w));
    p[0][i] = s.r * s.a;
    p[1][i] = s.g * s.a;
    p[2][i] = s.b * s.a;
    p[3][i] = s.a;
  }
  for (auto& v : p) BlurPlane(v, w, h, radius);
  Canvas out(w, h);
  for (size_t i = 0; i < n; i++) {
    float a = p[3][i];
    Rgba o{0, 0, 0, a};
    if (a > 1e-6f) o = {p[0][i] / a, p[1][i] / a, p[2][i] / a, std::min(a, 1.0f)};
    out.At(static_cast<int>(i % w), static_cast<int>(i / w)) = o;
  }
  return out;
}

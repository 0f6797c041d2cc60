// Pixel helpers for the drawing tests. Colours are packed as 0xRRGGBB.
#pragma once

#include <cstdint>

#include "render/bitmap.h"

// Outside the bitmap: 0xFFFFFFFF, which no pixel can equal.
inline uint32_t Px(const TBitmap& b, int x, int y) {
  if (x < 0 || y < 0 || x >= b.Width() || y >= b.Height()) return 0xFFFFFFFFu;
  const uint8_t* p = b.Row(y) + 3 * x;
  return p[0] | p[1] << 8 | p[2] << 16;
}

inline void SetPx(TBitmap& b, int x, int y, uint32_t c) {
  uint8_t* p = b.Row(y) + 3 * x;
  p[0] = c & 0xFF;
  p[1] = (c >> 8) & 0xFF;
  p[2] = (c >> 16) & 0xFF;
}

// Fills the w x h area at (x, y) with colour c.
inline void FillArea(TBitmap& b, int x, int y, int w, int h, uint32_t c) {
  for (int j = y; j < y + h; j++) {
    for (int i = x; i < x + w; i++) SetPx(b, i, j, c);
  }
}

inline void FillAll(TBitmap& b, uint32_t c) {
  FillArea(b, 0, 0, b.Width(), b.Height(), c);
}

// The blend of one byte: the share `level` of dst is kept.
inline uint8_t BlendByte(uint8_t s, uint8_t d, uint32_t level) {
  return static_cast<uint8_t>(((s * (256 - level)) >> 8) + ((d * level) >> 8));
}

inline uint32_t BlendPx(uint32_t s, uint32_t d, uint32_t level) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    out |= static_cast<uint32_t>(BlendByte((s >> shift) & 0xFF, (d >> shift) & 0xFF, level))
           << shift;
  }
  return out;
}

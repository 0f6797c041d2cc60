// The blit routines. Each keyed operation has two forms: the plain one,
// which compares every source pixel with the key colour (any picture), and
// the one for a keyed sheet, which reads the sheet's key mask sixteen pixels
// at a time and merges through it (three 16-byte vectors, no branch). Both
// give the same bytes; the tests compare them pixel for pixel.
#include "render/blit.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Where a rectangle operation reads and writes after clipping.
struct TClip {
  int32_t dstX, dstY;  // first destination pixel
  int32_t srcX, srcY;  // the source pixel that lands on it
  int32_t width, height;
};

inline __attribute__((always_inline)) bool ClipRect(int32_t x, int32_t y, const TRect& r,
                                                    const TBitmap& dst, const TBitmap& src,
                                                    TClip& c) {
  // Cut the source rectangle to the source picture.
  const int32_t sl = std::max(r.Left, 0);
  const int32_t st = std::max(r.Top, 0);
  const int32_t sr = std::min(r.Right, src.Width() - 1);
  const int32_t sb = std::min(r.Bottom, src.Height() - 1);
  if (sr <= sl || sb <= st) return false;
  // Place it at (x, y) whatever was cut, then cut to the destination.
  const int64_t dl = std::max<int64_t>(x, 0);
  const int64_t dt = std::max<int64_t>(y, 0);
  const int64_t dr = std::min<int64_t>(int64_t{x} + (sr - sl), dst.Width() - 1);
  const int64_t db = std::min<int64_t>(int64_t{y} + (sb - st), dst.Height() - 1);
  if (dr <= dl || db <= dt) return false;
  c.dstX = static_cast<int32_t>(dl);
  c.dstY = static_cast<int32_t>(dt);
  c.srcX = static_cast<int32_t>(dl - x + sl);
  c.srcY = static_cast<int32_t>(dt - y + st);
  c.width = static_cast<int32_t>(dr - dl + 1);
  c.height = static_cast<int32_t>(db - dt + 1);
  return true;
}

// The first row addresses of a clipped copy from a sheet with a key mask, and
// the row steps. Worked out once per copy: the pixel writes could otherwise
// be taken to change the bitmaps' own fields, reloaded on every row.
struct TMaskedRows {
  uint8_t* d;
  const uint8_t* s;
  const uint8_t* m;
  size_t dStride, sStride;
  void Next() {
    d += dStride;
    s += sStride;
    m += sStride;
  }
};

inline TMaskedRows MaskedRows(const TClip& c, TBitmap& dst, const TKeyedSheet& src) {
  return TMaskedRows{dst.Row(c.dstY) + 3 * c.dstX, src.Bitmap().Row(c.srcY) + 3 * c.srcX,
                     src.KeyMaskRow(c.srcY) + 3 * c.srcX, static_cast<size_t>(dst.Stride()),
                     static_cast<size_t>(src.Bitmap().Stride())};
}

// The plain way: draw(d, s) for every pixel of the clipped copy whose
// source is not the key colour (src's top-left pixel), compared byte by byte.
template <class TDraw>
inline void ForEachNonKeyPixel(const TClip& c, TBitmap& dst, const TBitmap& src, TDraw draw) {
  const uint8_t* key = src.Row(0);
  const uint8_t b = key[0], g = key[1], r = key[2];
  for (int32_t row = 0; row < c.height; row++) {
    uint8_t* d = dst.Row(c.dstY + row) + 3 * c.dstX;
    const uint8_t* s = src.Row(c.srcY + row) + 3 * c.srcX;
    for (int32_t n = c.width; n > 0; n--, s += 3, d += 3) {
      if (s[0] != b || s[1] != g || s[2] != r) draw(d, s);
    }
  }
}

// dst = (src * srcShare) >> 8 + (dst * keepShare) >> 8 for one pixel; each
// term is truncated before the sum, which therefore stays <= 255.
inline void BlendPixel(uint8_t* d, const uint8_t* s, uint32_t srcShare, uint32_t keepShare) {
  d[0] = static_cast<uint8_t>(((s[0] * srcShare) >> 8) + ((d[0] * keepShare) >> 8));
  d[1] = static_cast<uint8_t>(((s[1] * srcShare) >> 8) + ((d[1] * keepShare) >> 8));
  d[2] = static_cast<uint8_t>(((s[2] * srcShare) >> 8) + ((d[2] * keepShare) >> 8));
}

#if defined(__SSE2__)
inline __m128i Load128(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store128(uint8_t* p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
// src where keep is 0, dst where keep is 0xFF.
inline __m128i Select(__m128i src, __m128i keep, __m128i dst) {
  return _mm_or_si128(_mm_andnot_si128(keep, src), _mm_and_si128(keep, dst));
}

// BlendPixel for 16 bytes; the products fit in 16 bits because both shares
// are at most 255 when anything is drawn.
inline __m128i Blend16(__m128i s, __m128i d, __m128i srcShare, __m128i keepShare) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i sLo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), srcShare), 8);
  const __m128i sHi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), srcShare), 8);
  const __m128i dLo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), keepShare), 8);
  const __m128i dHi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), keepShare), 8);
  return _mm_add_epi8(_mm_packus_epi16(sLo, sHi), _mm_packus_epi16(dLo, dHi));
}
#endif

// One row of n pixels through the sheet's key mask (0xFF over key pixels):
// sixteen pixels (three 16-byte vectors) per step, no colour test and no
// branch, then the last few pixels one at a time.
void MaskedRow(uint8_t* d, const uint8_t* s, const uint8_t* m, int32_t n) {
#if defined(__SSE2__)
  for (; n >= 16; n -= 16, s += 48, d += 48, m += 48) {
    for (int i = 0; i < 48; i += 16) {
      Store128(d + i, Select(Load128(s + i), Load128(m + i), Load128(d + i)));
    }
  }
#endif
  for (; n > 0; n--, s += 3, d += 3, m += 3) {
    if (m[0] == 0) {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
  }
}

void MaskedBlendRow(uint8_t* d, const uint8_t* s, const uint8_t* m, int32_t n, uint32_t srcShare,
                    uint32_t keepShare) {
#if defined(__SSE2__)
  const __m128i srcShareV = _mm_set1_epi16(static_cast<int16_t>(srcShare));
  const __m128i keepShareV = _mm_set1_epi16(static_cast<int16_t>(keepShare));
  for (; n >= 16; n -= 16, s += 48, d += 48, m += 48) {
    for (int i = 0; i < 48; i += 16) {
      const __m128i dv = Load128(d + i);
      const __m128i r = Blend16(Load128(s + i), dv, srcShareV, keepShareV);
      Store128(d + i, Select(r, Load128(m + i), dv));
    }
  }
#endif
  for (; n > 0; n--, s += 3, d += 3, m += 3) {
    if (m[0] == 0) BlendPixel(d, s, srcShare, keepShare);
  }
}

// The blend's two shares: level 0 draws nothing, above 255 counts as 255.
struct TShares {
  uint32_t src, keep;
};
inline TShares Shares(uint16_t level) {
  const uint32_t keep = std::min<uint32_t>(level, 255);
  return TShares{256 - keep, keep};
}

}  // namespace

void BlitOpaque(int32_t x, int32_t y, const TRect& srcRect, TBitmap& dst, const TBitmap& src) {
  TClip c;
  if (!ClipRect(x, y, srcRect, dst, src, c)) return;
  const size_t bytes = static_cast<size_t>(c.width) * 3;
  for (int32_t row = 0; row < c.height; row++) {
    std::memcpy(dst.Row(c.dstY + row) + 3 * c.dstX, src.Row(c.srcY + row) + 3 * c.srcX, bytes);
  }
}

void BlitKeyed(int32_t x, int32_t y, const TRect& srcRect, TBitmap& dst, const TBitmap& src) {
  TClip c;
  if (!ClipRect(x, y, srcRect, dst, src, c)) return;
  ForEachNonKeyPixel(c, dst, src, [](uint8_t* d, const uint8_t* s) {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
  });
}

void BlitKeyed(int32_t x, int32_t y, const TRect& srcRect, TBitmap& dst, const TKeyedSheet& src) {
  TClip c;
  if (!ClipRect(x, y, srcRect, dst, src, c)) return;
  TMaskedRows r = MaskedRows(c, dst, src);
  for (int32_t row = 0; row < c.height; row++, r.Next()) MaskedRow(r.d, r.s, r.m, c.width);
}

void BlitKeyedBlend(int32_t x, int32_t y, const TRect& srcRect, TBitmap& dst, const TBitmap& src,
                    uint16_t level) {
  TClip c;
  if (!ClipRect(x, y, srcRect, dst, src, c)) return;
  if (level == 0) return;
  const TShares share = Shares(level);
  ForEachNonKeyPixel(c, dst, src, [share](uint8_t* d, const uint8_t* s) {
    BlendPixel(d, s, share.src, share.keep);
  });
}

void BlitKeyedBlend(int32_t x, int32_t y, const TRect& srcRect, TBitmap& dst,
                    const TKeyedSheet& src, uint16_t level) {
  TClip c;
  if (!ClipRect(x, y, srcRect, dst, src, c)) return;
  if (level == 0) return;
  const TShares share = Shares(level);
  TMaskedRows r = MaskedRows(c, dst, src);
  for (int32_t row = 0; row < c.height; row++, r.Next()) {
    MaskedBlendRow(r.d, r.s, r.m, c.width, share.src, share.keep);
  }
}

void CopyBitmap(TBitmap& dst, const TBitmap& src) {
  const int32_t rows = std::min(dst.Height(), src.Height());
  const int32_t cols = std::min(dst.Width(), src.Width());
  if (rows <= 0 || cols <= 0) return;
  const size_t bytes = static_cast<size_t>(cols) * 3;
  for (int32_t row = 0; row < rows; row++) std::memcpy(dst.Row(row), src.Row(row), bytes);
}

void FillBlack(TBitmap& bmp) {
  if (bmp.ByteSize() > 0) std::memset(bmp.Data(), 0, bmp.ByteSize());
}

void DrawBitmapAt(TBitmap& dst, const TBitmap& src, int32_t x, int32_t y) {
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + src.Width(), dst.Width());  // exclusive
  const int64_t bottom = std::min<int64_t>(int64_t{y} + src.Height(), dst.Height());
  if (right <= left || bottom <= top) return;
  const size_t bytes = static_cast<size_t>(right - left) * 3;
  for (int64_t row = top; row < bottom; row++) {
    std::memcpy(dst.Row(static_cast<int32_t>(row)) + 3 * left,
                src.Row(static_cast<int32_t>(row - y)) + 3 * (left - x), bytes);
  }
}

// The blit routines. The keyed copy and the blend test sixteen pixels at a
// time against the key colour (three 16-byte vectors; eight pixels in three
// 64-bit words where vectors are not available, and for short remainders)
// and write whole vectors: all-opaque groups are stored as they are,
// all-transparent groups are skipped, mixed groups are merged through a byte
// mask. The result is the same, byte for byte, as testing and drawing one
// pixel at a time.
#include "render/blit.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

static_assert(std::endian::native == std::endian::little,
              "the word-wise key test reads pixels as little-endian words");

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

inline TMaskedRows MaskedRows(const TClip& c, TBitmap& dst, const TBitmap& src) {
  return TMaskedRows{dst.Row(c.dstY) + 3 * c.dstX, src.Row(c.srcY) + 3 * c.srcX,
                     src.KeyMaskRow(c.srcY) + 3 * c.srcX, static_cast<size_t>(dst.Stride()),
                     static_cast<size_t>(src.Stride())};
}

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline void Store64(uint8_t* p, uint64_t v) {
  std::memcpy(p, &v, sizeof v);
}

constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;

// Bit i set when byte i of x is zero (exact: no false hits from carries).
inline uint32_t ZeroByteBits(uint64_t x) {
  const uint64_t z = ~(((x & kLow7) + kLow7) | x | kLow7);  // 0x80 in each zero byte
  return static_cast<uint32_t>(((z >> 7) * 0x0102040810204080ull) >> 56);
}

// kByteMask[b]: byte i is 0xFF when bit i of b is set.
constexpr std::array<uint64_t, 256> MakeByteMasks() {
  std::array<uint64_t, 256> t{};
  for (int b = 0; b < 256; b++) {
    uint64_t v = 0;
    for (int i = 0; i < 8; i++) {
      if (b & (1 << i)) v |= 0xFFull << (8 * i);
    }
    t[b] = v;
  }
  return t;
}
constexpr std::array<uint64_t, 256> kByteMask = MakeByteMasks();

// The first byte of each of eight pixels in a 24-byte group.
constexpr uint32_t kPixelStarts = 0x249249u;

// The key colour, as bytes and as the three words of eight key pixels.
struct TKey {
  uint8_t b, g, r;
  uint64_t w0, w1, w2;
#if defined(__SSE2__)
  __m128i v0, v1, v2;  // sixteen key pixels
#endif
};

inline __attribute__((always_inline)) TKey ReadKey(const TBitmap& src) {
  TKey k;
  const uint8_t* p = src.Row(0);
  k.b = p[0];
  k.g = p[1];
  k.r = p[2];
  // The key repeated: bytes 0..7 start with blue, 8..15 with red, 16..23 with
  // green, and from byte 24 on the pattern repeats.
  const uint64_t c = k.b | uint64_t{k.g} << 8 | uint64_t{k.r} << 16;
  k.w0 = c | c << 24 | c << 48;
  k.w1 = c >> 16 | c << 8 | c << 32 | c << 56;
  k.w2 = c >> 8 | c << 16 | c << 40;
#if defined(__SSE2__)
  k.v0 = _mm_set_epi64x(static_cast<int64_t>(k.w1), static_cast<int64_t>(k.w0));
  k.v1 = _mm_set_epi64x(static_cast<int64_t>(k.w0), static_cast<int64_t>(k.w2));
  k.v2 = _mm_set_epi64x(static_cast<int64_t>(k.w2), static_cast<int64_t>(k.w1));
#endif
  return k;
}

inline bool IsKey(const uint8_t* s, const TKey& k) {
  return s[0] == k.b && s[1] == k.g && s[2] == k.r;
}

#if defined(__SSE2__)
// Sixteen pixels (48 bytes, three vectors) per step.
constexpr uint64_t kPixelStarts16 = 0x249249249249ull;

inline __m128i Load128(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store128(uint8_t* p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
inline __m128i ByteMask128(uint64_t bits16) {
  return _mm_set_epi64x(static_cast<int64_t>(kByteMask[(bits16 >> 8) & 0xFF]),
                        static_cast<int64_t>(kByteMask[bits16 & 0xFF]));
}
// src where keep is 0, dst where keep is 0xFF.
inline __m128i Select(__m128i src, __m128i keep, __m128i dst) {
  return _mm_or_si128(_mm_andnot_si128(keep, src), _mm_and_si128(keep, dst));
}

// Bit 3i set when pixel i of the 16 in a, b, c has the key colour.
inline uint64_t KeyPixels16(__m128i a, __m128i b, __m128i c, const TKey& k) {
  const uint64_t same = static_cast<uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, k.v0))) |
                        static_cast<uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, k.v1))) << 16 |
                        static_cast<uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(c, k.v2))) << 32;
  return same & (same >> 1) & (same >> 2) & kPixelStarts16;
}

// (s * srcShare) >> 8 + (d * keepShare) >> 8 for 16 bytes; the products fit
// in 16 bits because both shares are at most 255 when anything is drawn.
inline __m128i Blend16(__m128i s, __m128i d, __m128i srcShare, __m128i keepShare) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i sLo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), srcShare), 8);
  const __m128i sHi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), srcShare), 8);
  const __m128i dLo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), keepShare), 8);
  const __m128i dHi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), keepShare), 8);
  return _mm_add_epi8(_mm_packus_epi16(sLo, sHi), _mm_packus_epi16(dLo, dHi));
}
#endif

void KeyedRow(uint8_t* d, const uint8_t* s, int32_t n, const TKey& k) {
#if defined(__SSE2__)
  for (; n >= 16; n -= 16, s += 48, d += 48) {
    const __m128i a = Load128(s);
    const __m128i b = Load128(s + 16);
    const __m128i c = Load128(s + 32);
    const uint64_t keyPixels = KeyPixels16(a, b, c, k);
    if (keyPixels == 0) {
      Store128(d, a);
      Store128(d + 16, b);
      Store128(d + 32, c);
      continue;
    }
    if (keyPixels == kPixelStarts16) continue;
    const uint64_t keep = keyPixels * 7u;  // all three bytes of every key pixel
    Store128(d, Select(a, ByteMask128(keep), Load128(d)));
    Store128(d + 16, Select(b, ByteMask128(keep >> 16), Load128(d + 16)));
    Store128(d + 32, Select(c, ByteMask128(keep >> 32), Load128(d + 32)));
  }
#endif
  for (; n >= 8; n -= 8, s += 24, d += 24) {
    const uint64_t s0 = Load64(s);
    const uint64_t s1 = Load64(s + 8);
    const uint64_t s2 = Load64(s + 16);
    const uint32_t same =
        ZeroByteBits(s0 ^ k.w0) | ZeroByteBits(s1 ^ k.w1) << 8 | ZeroByteBits(s2 ^ k.w2) << 16;
    const uint32_t keyPixels = same & (same >> 1) & (same >> 2) & kPixelStarts;
    if (keyPixels == 0) {
      Store64(d, s0);
      Store64(d + 8, s1);
      Store64(d + 16, s2);
      continue;
    }
    if (keyPixels == kPixelStarts) continue;
    const uint32_t keep = keyPixels * 7u;  // all three bytes of every key pixel
    const uint64_t m0 = kByteMask[keep & 0xFF];
    const uint64_t m1 = kByteMask[(keep >> 8) & 0xFF];
    const uint64_t m2 = kByteMask[keep >> 16];
    Store64(d, (s0 & ~m0) | (Load64(d) & m0));
    Store64(d + 8, (s1 & ~m1) | (Load64(d + 8) & m1));
    Store64(d + 16, (s2 & ~m2) | (Load64(d + 16) & m2));
  }
  for (; n > 0; n--, s += 3, d += 3) {
    if (!IsKey(s, k)) {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
  }
}

void BlendRow(uint8_t* d, const uint8_t* s, int32_t n, const TKey& k, uint32_t srcShare,
              uint32_t keepShare) {
#if defined(__SSE2__)
  const __m128i srcShareV = _mm_set1_epi16(static_cast<int16_t>(srcShare));
  const __m128i keepShareV = _mm_set1_epi16(static_cast<int16_t>(keepShare));
  for (; n >= 16; n -= 16, s += 48, d += 48) {
    const __m128i a = Load128(s);
    const __m128i b = Load128(s + 16);
    const __m128i c = Load128(s + 32);
    const uint64_t keyPixels = KeyPixels16(a, b, c, k);
    if (keyPixels == kPixelStarts16) continue;
    const __m128i d0 = Load128(d);
    const __m128i d1 = Load128(d + 16);
    const __m128i d2 = Load128(d + 32);
    __m128i r0 = Blend16(a, d0, srcShareV, keepShareV);
    __m128i r1 = Blend16(b, d1, srcShareV, keepShareV);
    __m128i r2 = Blend16(c, d2, srcShareV, keepShareV);
    if (keyPixels != 0) {
      const uint64_t keep = keyPixels * 7u;
      r0 = Select(r0, ByteMask128(keep), d0);
      r1 = Select(r1, ByteMask128(keep >> 16), d1);
      r2 = Select(r2, ByteMask128(keep >> 32), d2);
    }
    Store128(d, r0);
    Store128(d + 16, r1);
    Store128(d + 32, r2);
  }
#endif
  for (; n > 0; n--, s += 3, d += 3) {
    if (IsKey(s, k)) continue;
    // Each term is truncated before the sum, which therefore stays <= 255.
    d[0] = static_cast<uint8_t>(((s[0] * srcShare) >> 8) + ((d[0] * keepShare) >> 8));
    d[1] = static_cast<uint8_t>(((s[1] * srcShare) >> 8) + ((d[1] * keepShare) >> 8));
    d[2] = static_cast<uint8_t>(((s[2] * srcShare) >> 8) + ((d[2] * keepShare) >> 8));
  }
}

// The same results from the sheet's key mask (0xFF over key pixels): no
// colour test, no branch per group.
void MaskedRow(uint8_t* d, const uint8_t* s, const uint8_t* m, int32_t n) {
#if defined(__SSE2__)
  for (; n >= 16; n -= 16, s += 48, d += 48, m += 48) {
    Store128(d, Select(Load128(s), Load128(m), Load128(d)));
    Store128(d + 16, Select(Load128(s + 16), Load128(m + 16), Load128(d + 16)));
    Store128(d + 32, Select(Load128(s + 32), Load128(m + 32), Load128(d + 32)));
  }
#endif
  for (; n >= 8; n -= 8, s += 24, d += 24, m += 24) {
    for (int i = 0; i < 24; i += 8) {
      const uint64_t keep = Load64(m + i);
      Store64(d + i, (Load64(s + i) & ~keep) | (Load64(d + i) & keep));
    }
  }
  for (; n > 0; n--, s += 3, d += 3, m += 3) {
    if (m[0] == 0) {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
  }
}

#if defined(__x86_64__)
// With 64-byte vectors and byte-masked stores: only the opaque bytes are
// written and the frame is never read.
__attribute__((target("avx512f,avx512bw"))) void MaskedRectAvx512(uint8_t* d, const uint8_t* s,
                                                                  const uint8_t* m, size_t dStride,
                                                                  size_t sStride, int32_t width,
                                                                  int32_t height) {
  for (int32_t row = 0; row < height; row++, d += dStride, s += sStride, m += sStride) {
    uint8_t* dr = d;
    const uint8_t* sr = s;
    const uint8_t* mr = m;
    for (int32_t n = width; n > 0; n -= 16, sr += 48, dr += 48, mr += 48) {
      const int32_t bytes = 3 * std::min(n, 16);
      const __mmask64 live = (uint64_t{1} << bytes) - 1;
      const __m512i mv = _mm512_maskz_loadu_epi8(live, mr);
      const __m512i sv = _mm512_maskz_loadu_epi8(live, sr);
      _mm512_mask_storeu_epi8(dr, _mm512_mask_testn_epi8_mask(live, mv, mv), sv);
    }
  }
}
bool HaveAvx512() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
}
bool wideBlits = HaveAvx512();
#endif

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
    if (m[0] != 0) continue;
    d[0] = static_cast<uint8_t>(((s[0] * srcShare) >> 8) + ((d[0] * keepShare) >> 8));
    d[1] = static_cast<uint8_t>(((s[1] * srcShare) >> 8) + ((d[1] * keepShare) >> 8));
    d[2] = static_cast<uint8_t>(((s[2] * srcShare) >> 8) + ((d[2] * keepShare) >> 8));
  }
}

}  // namespace

bool UseWideVectorBlits(bool on) {
#if defined(__x86_64__)
  wideBlits = on && HaveAvx512();
  return wideBlits;
#else
  (void)on;
  return false;
#endif
}

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
#if defined(__x86_64__)
  if (src.HasKeyMask() && wideBlits) {
    const TMaskedRows r = MaskedRows(c, dst, src);
    MaskedRectAvx512(r.d, r.s, r.m, r.dStride, r.sStride, c.width, c.height);
    return;
  }
#endif
  if (src.HasKeyMask()) {
    TMaskedRows r = MaskedRows(c, dst, src);
    for (int32_t row = 0; row < c.height; row++, r.Next()) MaskedRow(r.d, r.s, r.m, c.width);
    return;
  }
  const TKey key = ReadKey(src);
  for (int32_t row = 0; row < c.height; row++) {
    KeyedRow(dst.Row(c.dstY + row) + 3 * c.dstX, src.Row(c.srcY + row) + 3 * c.srcX, c.width, key);
  }
}

void BlitKeyedBlend(int32_t x, int32_t y, const TRect& srcRect, TBitmap& dst, const TBitmap& src,
                    uint16_t level) {
  TClip c;
  if (!ClipRect(x, y, srcRect, dst, src, c)) return;
  if (level == 0) return;
  const uint32_t keepShare = std::min<uint32_t>(level, 255);
  const uint32_t srcShare = 256 - keepShare;
  if (src.HasKeyMask()) {
    TMaskedRows r = MaskedRows(c, dst, src);
    for (int32_t row = 0; row < c.height; row++, r.Next()) {
      MaskedBlendRow(r.d, r.s, r.m, c.width, srcShare, keepShare);
    }
    return;
  }
  const TKey key = ReadKey(src);
  for (int32_t row = 0; row < c.height; row++) {
    BlendRow(dst.Row(c.dstY + row) + 3 * c.dstX, src.Row(c.srcY + row) + 3 * c.srcX, c.width, key,
             srcShare, keepShare);
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

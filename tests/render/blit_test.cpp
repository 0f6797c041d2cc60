// The blit routines: clipping, the key colour, the blend arithmetic, and the
// plain and key-mask paths against a pixel-by-pixel reference.
#include "render/blit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <type_traits>
#include <utility>

#include "pixels.h"

namespace {

constexpr uint32_t kKey = 0xFF00FF;
constexpr uint32_t kBack = 0x102030;

// ---------------------------------------------------------------------------
// Reference: the rules written out pixel by pixel, as plainly as possible.
// ---------------------------------------------------------------------------
enum class TMode { kOpaque, kKeyed, kBlend };

struct TRef {
  int64_t l, t, r, b;
};

bool Intersect(const TRef& a, const TRef& b, TRef& out) {
  out = {std::max(a.l, b.l), std::max(a.t, b.t), std::min(a.r, b.r), std::min(a.b, b.b)};
  return !(out.r <= out.l || out.b <= out.t);
}

void RefBlit(TMode mode, int32_t x, int32_t y, const TRect& rect, TBitmap& dst, const TBitmap& src,
             uint16_t level) {
  TRef s, d;
  if (!Intersect({rect.Left, rect.Top, rect.Right, rect.Bottom},
                 {0, 0, src.Width() - 1, src.Height() - 1}, s))
    return;
  const TRef d0{x, y, x + (s.r - s.l), y + (s.b - s.t)};
  if (!Intersect(d0, {0, 0, dst.Width() - 1, dst.Height() - 1}, d)) return;
  if (mode == TMode::kBlend) {
    if (level == 0) return;
    if (level > 255) level = 255;
  }
  const uint32_t key = Px(src, 0, 0);
  for (int64_t py = d.t; py <= d.b; py++) {
    for (int64_t px = d.l; px <= d.r; px++) {
      const int sx = static_cast<int>(px - x + s.l), sy = static_cast<int>(py - y + s.t);
      const uint32_t c = Px(src, sx, sy);
      if (mode != TMode::kOpaque && c == key) continue;
      SetPx(dst, static_cast<int>(px), static_cast<int>(py),
            mode == TMode::kBlend
                ? BlendPx(c, Px(dst, static_cast<int>(px), static_cast<int>(py)), level)
                : c);
    }
  }
}

// A sheet whose top-left pixel is the key, the rest numbered column by column.
TBitmap Sheet(int w, int h) {
  TBitmap b;
  b.SetSize(w, h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) SetPx(b, x, y, 0x010000 * (y + 1) + x + 1);
  SetPx(b, 0, 0, kKey);
  return b;
}

TBitmap Frame(uint32_t c = kBack) {
  TBitmap b;
  b.SetSize(640, 480);
  FillAll(b, c);
  return b;
}

// Columns of row y that differ from the background.
int DrawnColumns(const TBitmap& b, int y) {
  int n = 0;
  for (int x = 0; x < b.Width(); x++) n += Px(b, x, y) != kBack;
  return n;
}

TEST(Blit, OnePixelRectanglesAndLastColumnNeverDraw) {
  const TBitmap src = Sheet(32, 32);
  TBitmap dst = Frame();
  BlitOpaque(10, 10, TRect{0, 0, 0, 15}, dst, src);    // one column wide
  BlitOpaque(10, 10, TRect{0, 5, 15, 5}, dst, src);    // one row high
  BlitOpaque(639, 10, TRect{0, 0, 15, 15}, dst, src);  // one column left after clipping
  BlitOpaque(10, 479, TRect{0, 0, 15, 15}, dst, src);  // one row left after clipping
  BlitKeyed(10, 10, TRect{3, 3, 3, 3}, dst, src);
  BlitKeyedBlend(10, 10, TRect{3, 3, 3, 9}, dst, src, 100);
  for (int y = 0; y < 480; y++) ASSERT_EQ(DrawnColumns(dst, y), 0) << y;

  BlitOpaque(10, 10, TRect{0, 0, 1, 15}, dst, src);  // two columns
  EXPECT_EQ(DrawnColumns(dst, 10), 2);
  BlitOpaque(638, 100, TRect{1, 1, 16, 16}, dst, src);  // columns 638 and 639 only
  EXPECT_EQ(DrawnColumns(dst, 100), 2);
  EXPECT_EQ(Px(dst, 638, 100), Px(src, 1, 1));
  EXPECT_EQ(Px(dst, 639, 100), Px(src, 2, 1));
}

TEST(Blit, ClippedSourceLandsUnshiftedOnTheTarget) {
  const TBitmap src = Sheet(32, 32);
  TBitmap dst = Frame();
  // Wholly left of the sheet (a minus sign's glyph): nothing.
  BlitKeyed(100, 100, TRect{-24, 0, -17, 7}, dst, src);
  for (int y = 0; y < 480; y++) ASSERT_EQ(DrawnColumns(dst, y), 0);

  // Partly left of and above the sheet: what remains starts at (x, y).
  BlitOpaque(100, 100, TRect{-4, -3, 11, 15}, dst, src);
  EXPECT_EQ(Px(dst, 100, 100), Px(src, 0, 0));
  EXPECT_EQ(Px(dst, 111, 115), Px(src, 11, 15));
  EXPECT_EQ(Px(dst, 112, 100), kBack);
  EXPECT_EQ(Px(dst, 100, 116), kBack);

  // Left of the frame: the source is entered at the cut.
  BlitOpaque(-10, 0, TRect{0, 0, 15, 15}, dst, src);
  for (int x = 0; x < 6; x++) EXPECT_EQ(Px(dst, x, 3), Px(src, x + 10, 3));
  EXPECT_EQ(Px(dst, 6, 3), kBack);

  // Past the right and bottom of the sheet: cut to the sheet.
  BlitOpaque(300, 300, TRect{20, 20, 60, 60}, dst, src);
  EXPECT_EQ(Px(dst, 311, 311), Px(src, 31, 31));
  EXPECT_EQ(Px(dst, 312, 305), kBack);
  EXPECT_EQ(Px(dst, 305, 312), kBack);
}

TEST(Blit, KeyColourIsTheSheetsTopLeftPixelAnywhereInTheRectangle) {
  TBitmap src = Sheet(16, 16);
  SetPx(src, 5, 6, kKey);
  SetPx(src, 7, 6, kKey ^ 0x000100);  // two of three bytes equal: not the key
  for (int mode = 0; mode < 3; mode++) {
    TBitmap dst = Frame();
    const TRect all{0, 0, 15, 15};
    if (mode == 0) BlitOpaque(0, 0, all, dst, src);
    if (mode == 1) BlitKeyed(0, 0, all, dst, src);
    if (mode == 2) BlitKeyedBlend(0, 0, all, dst, src, 1);
    EXPECT_EQ(Px(dst, 5, 6), mode == 0 ? kKey : kBack) << mode;
    EXPECT_EQ(Px(dst, 0, 0), mode == 0 ? kKey : kBack) << mode;
    EXPECT_NE(Px(dst, 7, 6), kBack) << mode;
  }
}

TEST(Blit, BlendIsBiasedDownward) {
  TBitmap src, dst;
  src.SetSize(4, 4);
  dst.SetSize(4, 4);
  SetPx(src, 0, 0, 0x000001);  // key
  auto blend = [&](uint8_t s, uint8_t d, uint16_t level) {
    FillArea(src, 1, 1, 3, 3, s * 0x010101u);
    FillAll(dst, d * 0x010101u);
    BlitKeyedBlend(0, 0, TRect{1, 1, 3, 3}, dst, src, level);
    return static_cast<int>(Px(dst, 1, 1) & 0xFF);
  };
  EXPECT_EQ(blend(255, 0, 1), 254);
  EXPECT_EQ(blend(255, 0, 128), 127);
  EXPECT_EQ(blend(255, 0, 255), 0);
  EXPECT_EQ(blend(200, 100, 100), 160);  // 121 + 39
  for (int d = 0; d <= 255; d++) {
    ASSERT_EQ(blend(77, d, 255), d == 0 ? 0 : d - 1) << d;
    ASSERT_EQ(blend(77, d, 256), d == 0 ? 0 : d - 1) << d;
    ASSERT_EQ(blend(77, d, 1000), d == 0 ? 0 : d - 1) << d;
    ASSERT_EQ(blend(77, d, 0), d) << d;  // level 0 draws nothing, not an opaque copy
  }
}

TEST(Blit, WholeBitmapOperations) {
  TBitmap src = Sheet(640, 480), dst = Frame();
  CopyBitmap(dst, src);
  EXPECT_EQ(std::memcmp(dst.Data(), src.Data(), src.ByteSize()), 0);

  // A smaller source copies what it has and leaves the rest.
  TBitmap small = Sheet(20, 10);
  dst = Frame();
  CopyBitmap(dst, small);
  EXPECT_EQ(Px(dst, 19, 9), Px(small, 19, 9));
  EXPECT_EQ(Px(dst, 20, 9), kBack);
  EXPECT_EQ(Px(dst, 19, 10), kBack);

  // Drawing at an offset leaves the uncovered strips; a single visible
  // column still draws (ordinary clipping, unlike the blits).
  dst = Frame();
  DrawBitmapAt(dst, src, 3, 5);
  EXPECT_EQ(Px(dst, 2, 100), kBack);
  EXPECT_EQ(Px(dst, 100, 4), kBack);
  EXPECT_EQ(Px(dst, 3, 5), Px(src, 0, 0));
  EXPECT_EQ(Px(dst, 639, 479), Px(src, 636, 474));
  dst = Frame();
  DrawBitmapAt(dst, src, 639, -479);
  EXPECT_EQ(Px(dst, 639, 0), Px(src, 0, 479));
  EXPECT_EQ(DrawnColumns(dst, 0), 1);

  FillBlack(dst);
  EXPECT_TRUE(std::all_of(dst.Data(), dst.Data() + dst.ByteSize(), [](uint8_t b) { return !b; }));
}

// Both paths give exactly the reference's bytes on random sheets whose
// pixels often match the key in one, two or all three bytes.
TEST(Blit, PlainAndKeyMaskPathsMatchReferenceOnRandomInput) {
  std::mt19937 rng(12345);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const uint8_t key[3] = {0x37, 0xC2, 0x00};
  for (int round = 0; round < 6000; round++) {
    TBitmap src, dst;
    src.SetSize(pick(0, 70), pick(0, 20));
    dst.SetSize(pick(0, 90), pick(0, 24));
    const int runs = pick(0, 2);  // 0: noisy, 1-2: long runs of key or opaque
    for (int y = 0; y < src.Height(); y++) {
      uint8_t* p = src.Row(y);
      bool keyRun = false;
      for (int x = 0; x < src.Width(); x++) {
        if (runs && pick(0, 9) == 0) keyRun = !keyRun;
        for (int c = 0; c < 3; c++) {
          const bool same = runs ? keyRun : pick(0, 2) != 0;
          p[3 * x + c] = same ? key[c] : static_cast<uint8_t>(pick(0, 255));
        }
      }
    }
    if (!src.Empty()) std::memcpy(src.Row(0), key, 3);
    for (size_t i = 0; i < dst.ByteSize(); i++) dst.Data()[i] = static_cast<uint8_t>(pick(0, 255));
    TBitmap want = dst;
    const int left = pick(-20, 75), top = pick(-8, 24);
    const TRect r{left, top, left + pick(-3, 60), top + pick(-3, 18)};
    const int x = pick(-80, 95), y = pick(-25, 28);
    const int mode = pick(0, 2);
    const uint16_t level = static_cast<uint16_t>(pick(0, 3) == 0 ? pick(0, 1100) : pick(0, 255));
    TBitmap dstMasked = dst;
    auto blit = [&](TBitmap& into, const auto& from) {
      if (mode == 0) BlitOpaque(x, y, r, into, from);
      if (mode == 1) BlitKeyed(x, y, r, into, from);
      if (mode == 2) BlitKeyedBlend(x, y, r, into, from, level);
    };
    blit(dst, src);
    RefBlit(static_cast<TMode>(mode), x, y, r, want, src, level);
    ASSERT_TRUE(std::equal(dst.Data(), dst.Data() + dst.ByteSize(), want.Data()))
        << "round " << round << " mode " << mode << " rect " << r.Left << "," << r.Top << ","
        << r.Right << "," << r.Bottom << " at " << x << "," << y;
    // The same from a keyed sheet, through its key mask.
    TKeyedSheet sheet;
    sheet.Edit([&](TBitmap& b) { b = src; });
    blit(dstMasked, sheet);
    ASSERT_TRUE(std::equal(dstMasked.Data(), dstMasked.Data() + dstMasked.ByteSize(), want.Data()))
        << "masked, round " << round << " mode " << mode << " rect " << r.Left << "," << r.Top
        << "," << r.Right << "," << r.Bottom << " at " << x << "," << y;
  }
}

// A keyed sheet hands out no writable pixels: the only write is Edit, after
// which the mask follows what the sheet now holds, a new key colour included.
static_assert(std::is_same_v<decltype(std::declval<TKeyedSheet&>().Bitmap()), const TBitmap&>);
static_assert(!std::is_convertible_v<TKeyedSheet&, TBitmap&>);

TEST(Blit, EditingAKeyedSheetRebuildsItsKeyMask) {
  TKeyedSheet src;
  src.Edit([](TBitmap& b) {
    b = Sheet(32, 16);
    SetPx(b, 5, 5, kKey);
  });
  TBitmap dst = Frame();
  BlitKeyed(0, 0, TRect{0, 0, 31, 15}, dst, src);
  EXPECT_EQ(Px(dst, 5, 5), kBack);
  EXPECT_EQ(Px(dst, 6, 5), Px(src, 6, 5));

  src.Edit([](TBitmap& b) {
    SetPx(b, 5, 5, 0x445566);
    SetPx(b, 0, 0, Px(b, 6, 5));  // the key is now the colour of (6, 5)
  });
  dst = Frame();
  BlitKeyed(0, 0, TRect{0, 0, 31, 15}, dst, src);
  EXPECT_EQ(Px(dst, 5, 5), 0x445566u);
  EXPECT_EQ(Px(dst, 6, 5), kBack);
  dst = Frame();
  BlitKeyedBlend(0, 0, TRect{0, 0, 31, 15}, dst, src, 128);
  EXPECT_EQ(Px(dst, 6, 5), kBack);

  src.Edit([](TBitmap& b) { b.SetSize(32, 16); });  // all black, the key black too
  dst = Frame();
  BlitKeyed(0, 0, TRect{0, 0, 31, 15}, dst, src);
  EXPECT_EQ(Px(dst, 7, 7), kBack);
  src.Edit([](TBitmap& b) { b.Clear(); });  // an empty sheet draws nothing
  BlitKeyed(0, 0, TRect{0, 0, 31, 15}, dst, src);
  EXPECT_EQ(Px(dst, 7, 7), kBack);
}

}  // namespace

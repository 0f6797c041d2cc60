// The game's one picture type: a 24-bit bitmap, 3 bytes per pixel in the
// order blue, green, red, reached row by row through Row() (row 0 at the top).
//
// Every sprite sheet, the off-screen frame screenBmp and the composed
// background bgCacheBmp are TBitmaps. Memory is allocated only by SetSize,
// which start-up and the picture loader call; nothing inside a frame does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TBitmap {
 public:
  TBitmap() = default;

  // Resizes to width x height (negative values count as 0) and fills the
  // pixels with zero (black). Allocates; never call it inside a frame.
  void SetSize(int32_t width, int32_t height);

  // Releases the pixels; the bitmap becomes 0 x 0.
  void Clear();

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }

  // Distance in bytes between two rows (width * 3, no padding).
  int32_t Stride() const { return width_ * 3; }

  // Address of the first byte of row y, 0 <= y < Height(). No bounds check.
  uint8_t* Row(int32_t y) { return pixels_.data() + static_cast<size_t>(y) * Stride(); }
  const uint8_t* Row(int32_t y) const { return pixels_.data() + static_cast<size_t>(y) * Stride(); }

  uint8_t* Data() { return pixels_.data(); }
  const uint8_t* Data() const { return pixels_.data(); }
  size_t ByteSize() const { return pixels_.size(); }

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<uint8_t> pixels_;
};

// A sprite sheet drawn with its key colour every frame, together with its
// key mask: one byte per pixel byte, 0xFF in all three bytes of every pixel
// that has the key colour (the top-left pixel's), 0 elsewhere. The keyed
// copies read the mask instead of comparing colours.
//
// The pixels can only be read (Bitmap(), or the sheet itself wherever a
// const TBitmap& is taken). The one way to change them is Edit, which builds
// the mask again when the edit returns, so the compiler refuses any write
// that would leave the mask behind the pixels.
class TKeyedSheet {
 public:
  const TBitmap& Bitmap() const { return bitmap_; }
  operator const TBitmap&() const { return bitmap_; }
  int32_t Width() const { return bitmap_.Width(); }
  int32_t Height() const { return bitmap_.Height(); }

  // Calls edit(TBitmap&) with the writable pixels, then builds the mask anew
  // (allocates; never inside a frame). Keep no pixel pointer past the call.
  template <class TEdit>
  void Edit(TEdit&& edit) {
    edit(bitmap_);
    BuildKeyMask();
  }

  // Row y of the key mask, 0 <= y < Height(), laid out like the pixel rows.
  const uint8_t* KeyMaskRow(int32_t y) const {
    return keyMask_.data() + static_cast<size_t>(y) * bitmap_.Stride();
  }

 private:
  void BuildKeyMask();
  TBitmap bitmap_;
  std::vector<uint8_t> keyMask_;
};

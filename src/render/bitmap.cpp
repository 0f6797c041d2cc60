#include "render/bitmap.h"

void TBitmap::SetSize(int32_t width, int32_t height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  width_ = width;
  height_ = height;
  pixels_.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0);
}

void TBitmap::Clear() {
  width_ = 0;
  height_ = 0;
  std::vector<uint8_t>().swap(pixels_);
}

void TKeyedSheet::BuildKeyMask() {
  const size_t n = bitmap_.ByteSize();
  keyMask_.assign(n, 0);
  if (bitmap_.Empty()) return;
  const uint8_t* p = bitmap_.Data();
  const uint8_t b = p[0], g = p[1], r = p[2];
  for (size_t i = 0; i + 2 < n; i += 3) {
    if (p[i] == b && p[i + 1] == g && p[i + 2] == r) {
      keyMask_[i] = keyMask_[i + 1] = keyMask_[i + 2] = 0xFF;
    }
  }
}

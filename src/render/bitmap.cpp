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

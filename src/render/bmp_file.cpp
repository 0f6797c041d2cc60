#include "render/bmp_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "render/bitmap.h"

namespace {
void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  Put16(out, at, v & 0xffff);
  Put16(out, at + 2, v >> 16);
}
}  // namespace

std::vector<uint8_t> EncodeBmp24(const TBitmap& bitmap) {
  const uint32_t w = static_cast<uint32_t>(bitmap.Width());
  const uint32_t h = static_cast<uint32_t>(bitmap.Height());
  const uint32_t rowBytes = (w * 3 + 3) & ~3u;
  const uint32_t headerBytes = 14 + 40;
  std::vector<uint8_t> out(headerBytes + static_cast<size_t>(rowBytes) * h, 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<uint32_t>(out.size()));
  Put32(out, 10, headerBytes);
  Put32(out, 14, 40);
  Put32(out, 18, w);
  Put32(out, 22, h);
  Put16(out, 26, 1);
  Put16(out, 28, 24);
  Put32(out, 34, rowBytes * h);
  Put32(out, 38, 2835);  // 72 dpi
  Put32(out, 42, 2835);
  for (uint32_t y = 0; y < h; y++) {
    // Bottom-up: the file's first row is the picture's last.
    std::memcpy(out.data() + headerBytes + static_cast<size_t>(h - 1 - y) * rowBytes,
                bitmap.Row(static_cast<int32_t>(y)), static_cast<size_t>(w) * 3);
  }
  return out;
}

bool WriteBmpFile(const std::string& path, const TBitmap& bitmap, std::string* error) {
  std::vector<uint8_t> bytes = EncodeBmp24(bitmap);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) *error = "cannot write " + path + ": " + std::strerror(errno);
  return ok;
}

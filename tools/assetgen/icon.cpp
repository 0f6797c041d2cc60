#include "icon.h"

#include <png.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "art_style.h"

namespace {

constexpr int kArt = 64;
constexpr int kCell = 16;

// The 4 x 4 cells, top row first: '.' empty well, 'M' the piece in hand
// where it fits, 'B' a block, 'G' a clearing block.
constexpr const char* kCells[4] = {".MM.", "..M.", "B.BB", "GGGG"};

// Calls f(k, overlap) for the art pixels k under output pixel i along one
// axis, where one output pixel spans s art pixels.
template <class F>
void ForCovered(int i, double s, int from, F f) {
  const double lo = i * s, hi = (i + 1) * s;
  for (int k = static_cast<int>(lo); k < from && k < hi; k++)
    f(k, std::min(k + 1.0, hi) - std::max(static_cast<double>(k), lo));
}

bool WritePng(const std::string& path, const Canvas& canvas, std::string* error) {
  std::vector<uint8_t> bytes = RgbaBytes(canvas);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(canvas.Width());
  image.height = static_cast<png_uint_32>(canvas.Height());
  image.format = PNG_FORMAT_RGBA;
  if (!png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), 0, nullptr)) {
    *error = path + ": " + image.message;
    return false;
  }
  return true;
}

bool WriteWindowIcon(const std::string& path, const Canvas& canvas, std::string* error) {
  std::vector<uint8_t> bytes = RgbaBytes(canvas);
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) {
    *error = path + ": cannot write";
    return false;
  }
  std::fprintf(f, "// Written by zazo-assetgen: the %d x %d window icon, RGBA.\n", canvas.Width(),
               canvas.Height());
  for (size_t i = 0; i < bytes.size(); i++)
    std::fprintf(f, "%u,%s", bytes[i], (i % 16 == 15) ? "\n" : "");
  const bool ok = std::fclose(f) == 0;
  if (!ok) *error = path + ": write failed";
  return ok;
}

}  // namespace

Canvas DrawIconArt() {
  Canvas c(kArt, kArt);
  // The well behind the cells, its grid and a thin light rim.
  FillRoundRect(c, 0, 0, kArt, kArt, 5.0f, WithAlpha(palette::kWell, 1));
  for (int k = 1; k < 4; k++)
    for (int t = 2; t < kArt - 2; t += 2) {
      c.Blend(k * kCell, t, palette::kGrid, 0.8f);
      c.Blend(t, k * kCell, palette::kGrid, 0.8f);
    }
  StrokeRoundRect(c, 0, 0, kArt, kArt, 5.0f, 1.2f, WithAlpha(Lighten(palette::kGrid, 0.3f), 0.9f));
  for (int row = 0; row < 4; row++)
    for (int col = 0; col < 4; col++) {
      const int x = col * kCell, y = row * kCell;
      switch (kCells[row][col]) {
        case 'M':
          DrawGem(c, x, y, palette::kFits, -1, 0.2f);
          break;
        case 'B':
          DrawGem(c, x, y, palette::kBlock, row * kCell + 6.0f);
          break;
        case 'G':
          DrawGem(c, x, y, palette::kClear, -1, 0.35f);
          break;
        default:
          break;
      }
    }
  return c;
}

Canvas IconAtSize(const Canvas& art, int size) {
  Canvas out(size, size);
  const int from = art.Width();
  if (size >= from) {
    // Nearest pixel: whole blocks when size is a multiple of the art's.
    for (int y = 0; y < size; y++)
      for (int x = 0; x < size; x++) out.At(x, y) = art.At(x * from / size, y * from / size);
    return out;
  }
  // Each output pixel covers [x * s, (x + 1) * s) of the art in both axes.
  const double s = static_cast<double>(from) / size;
  for (int y = 0; y < size; y++)
    for (int x = 0; x < size; x++) {
      double r = 0, g = 0, b = 0, a = 0, area = 0;
      ForCovered(y, s, from, [&](int sy, double wy) {
        ForCovered(x, s, from, [&](int sx, double wx) {
          const Rgba& p = art.At(sx, sy);
          const double w = wx * wy;
          r += p.r * p.a * w;
          g += p.g * p.a * w;
          b += p.b * p.a * w;
          a += p.a * w;
          area += w;
        });
      });
      Rgba& q = out.At(x, y);
      q.a = static_cast<float>(a / area);
      if (a > 0) {
        q.r = static_cast<float>(r / a);
        q.g = static_cast<float>(g / a);
        q.b = static_cast<float>(b / a);
      }
    }
  return out;
}

std::vector<uint8_t> RgbaBytes(const Canvas& canvas) {
  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(canvas.Width()) * canvas.Height() * 4);
  auto byte = [](float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); };
  for (int y = 0; y < canvas.Height(); y++)
    for (int x = 0; x < canvas.Width(); x++) {
      const Rgba& p = canvas.At(x, y);
      const bool clear = byte(p.a) == 0;
      bytes.push_back(clear ? 0 : byte(p.r));
      bytes.push_back(clear ? 0 : byte(p.g));
      bytes.push_back(clear ? 0 : byte(p.b));
      bytes.push_back(byte(p.a));
    }
  return bytes;
}

bool WriteIcons(const std::string& outDir, std::string* error) {
  const Canvas art = DrawIconArt();
  for (int size : kIconSizes) {
    const std::string n = std::to_string(size);
    const std::string dir = outDir + "/icons/hicolor/" + n + "x" + n + "/apps";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
      *error = dir + ": " + ec.message();
      return false;
    }
    if (!WritePng(dir + "/zazo-puzzle.png", IconAtSize(art, size), error)) return false;
  }
  return WriteWindowIcon(outDir + "/icons/window_icon.inc", IconAtSize(art, kWindowIconSize),
                         error);
}

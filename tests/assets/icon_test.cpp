// The desktop and window icons: drawn from the cell art, scaled without
// bleeding transparent colour into the edges, written as PNG files that
// read back at their sizes, and the window icon the same pixels as the
// 64 x 64 desktop icon.
#include "icon.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "art_style.h"

namespace {

namespace fs = std::filesystem;

// The average colour of one 16 x 16 cell of the icon art.
Rgb CellColour(const Canvas& art, int col, int row) {
  Rgb sum;
  for (int y = 0; y < 16; y++)
    for (int x = 0; x < 16; x++) {
      const Rgba& p = art.At(col * 16 + x, row * 16 + y);
      sum.r += p.r / 256;
      sum.g += p.g / 256;
      sum.b += p.b / 256;
    }
  return sum;
}

bool ReadPng(const std::string& path, int* width, int* height, std::vector<uint8_t>* rgba) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGBA;
  rgba->resize(PNG_IMAGE_SIZE(image));
  *width = static_cast<int>(image.width);
  *height = static_cast<int>(image.height);
  return png_image_finish_read(&image, nullptr, rgba->data(), 0, nullptr) != 0;
}

TEST(Icon, ArtIsTheWellWithThePieceBlocksAndAClearingRow) {
  const Canvas art = DrawIconArt();
  ASSERT_EQ(art.Width(), 64);
  ASSERT_EQ(art.Height(), 64);
  // Rounded outside corners, solid inside.
  EXPECT_LT(art.At(0, 0).a, 0.5f);
  EXPECT_LT(art.At(63, 0).a, 0.5f);
  EXPECT_FLOAT_EQ(art.At(8, 24).a, 1.0f);
  // The piece in hand is mint, the blocks blue, the bottom row gold, an
  // empty cell the dark well.
  const Rgb piece = CellColour(art, 1, 0), block = CellColour(art, 0, 2),
            clearing = CellColour(art, 2, 3), well = CellColour(art, 1, 1);
  EXPECT_GT(piece.g, piece.r + 0.2f);
  EXPECT_GT(block.b, block.r + 0.3f);
  EXPECT_GT(clearing.r, clearing.b + 0.2f);
  EXPECT_LT(well.r + well.g + well.b, 0.6f);
}

TEST(Icon, ScalingRepeatsPixelsUpAndAveragesByOpacityDown) {
  const Canvas art = DrawIconArt();
  const Canvas big = IconAtSize(art, 256);
  for (int y : {0, 17, 63})
    for (int x : {0, 30, 63}) {
      const Rgba& a = art.At(x, y);
      const Rgba& b = big.At(4 * x + 3, 4 * y + 1);
      EXPECT_EQ(a.r, b.r);
      EXPECT_EQ(a.a, b.a);
    }

  // A half-covered pixel keeps the colour of what covers it: the colour of
  // transparent pixels does not darken the edge.
  Canvas edge(2, 2);
  edge.At(0, 0) = edge.At(0, 1) = Rgba{1, 0, 0, 1};
  edge.At(1, 0) = edge.At(1, 1) = Rgba{0, 0, 1, 0};
  const Canvas one = IconAtSize(edge, 1);
  EXPECT_FLOAT_EQ(one.At(0, 0).a, 0.5f);
  EXPECT_FLOAT_EQ(one.At(0, 0).r, 1.0f);
  EXPECT_FLOAT_EQ(one.At(0, 0).b, 0.0f);

  // Non-integer steps (64 -> 24, 48) share the border pixels by area.
  Canvas stripes(3, 3);
  for (int y = 0; y < 3; y++) stripes.At(0, y) = stripes.At(1, y) = Rgba{1, 1, 1, 1};
  const Canvas two = IconAtSize(stripes, 2);
  EXPECT_FLOAT_EQ(two.At(0, 0).a, 1.0f);
  EXPECT_NEAR(two.At(1, 0).a, 1.0f / 3, 1e-6);
  // Fully transparent stays fully transparent, with no colour left in it.
  const Canvas ghost(4, 4, Rgba{1, 1, 1, 0});
  for (int size : {2, 4, 8})
    for (uint8_t byte : RgbaBytes(IconAtSize(ghost, size))) EXPECT_EQ(byte, 0) << size;
}

TEST(Icon, FilesReadBackAtTheirSizesAndTheWindowIconMatches) {
  const fs::path out = fs::temp_directory_path() / ("zazo-icons-" + std::to_string(::getpid()));
  fs::remove_all(out);
  std::string error;
  ASSERT_TRUE(WriteIcons(out.string(), &error)) << error;
  const Canvas art = DrawIconArt();
  for (int size : kIconSizes) {
    const std::string n = std::to_string(size);
    const std::string path =
        (out / "icons/hicolor" / (n + "x" + n) / "apps/zazo-puzzle.png").string();
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(ReadPng(path, &w, &h, &rgba)) << path;
    EXPECT_EQ(w, size);
    EXPECT_EQ(h, size);
    EXPECT_TRUE(rgba == RgbaBytes(IconAtSize(art, size))) << path;
  }

  // The window icon: the 64 x 64 bytes as a list of numbers.
  std::ifstream inc(out / "icons/window_icon.inc");
  std::string line, numbers;
  std::getline(inc, line);  // the comment
  EXPECT_EQ(line.rfind("//", 0), 0u);
  std::vector<uint8_t> bytes;
  for (std::string item; std::getline(inc, item, ',');) {
    const size_t digit = item.find_first_of("0123456789");
    if (digit != std::string::npos)
      bytes.push_back(static_cast<uint8_t>(std::stoi(item.substr(digit))));
  }
  ASSERT_EQ(bytes.size(), 64u * 64 * 4);
  EXPECT_EQ(kWindowIconSize, 64);
  EXPECT_TRUE(bytes == RgbaBytes(IconAtSize(art, kWindowIconSize)));
  fs::remove_all(out);
}

}  // namespace

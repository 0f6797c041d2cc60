// Picture files of every colour depth, and files that lie about themselves.
#include "platform/picture_loader.h"

#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <future>
#include <random>
#include <string>
#include <vector>

#include "render/bitmap.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

struct TRgb {
  uint8_t r, g, b;
};

// A 5 x 3 picture (odd width: rows need padding) with distinct colours.
const TRgb kPicture[3][5] = {
    {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}},
    {{255, 255, 0}, {0, 255, 255}, {255, 0, 255}, {0, 0, 0}, {255, 255, 255}},
    {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}},
};
const TRgb kPalette[8] = {{0, 0, 0},     {255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                          {255, 255, 0}, {0, 255, 255}, {255, 0, 255}, {255, 255, 255}};

int PaletteIndex(TRgb c) {
  for (int i = 0; i < 8; i++) {
    if (kPalette[i].r == c.r && kPalette[i].g == c.g && kPalette[i].b == c.b) return i;
  }
  return 0;
}

void Put16(Bytes& b, uint32_t v) {
  b.push_back(v & 255);
  b.push_back((v >> 8) & 255);
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A BMP with a 40-byte header (plus colour masks for bit fields), rows
// bottom-up unless topDown, built from kPicture.
Bytes MakeBmp(int bits, bool topDown = false, bool bitfields565 = false) {
  const int w = 5, h = 3;
  const int stride = ((w * bits + 31) / 32) * 4;
  const int colours = bits <= 8 ? (1 << bits) : 0;
  const int masks = bitfields565 ? 12 : 0;
  const uint32_t offset = 14 + 40 + masks + colours * 4;
  Bytes b = {'B', 'M'};
  Put32(b, offset + stride * h);
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, 40);
  Put32(b, w);
  Put32(b, static_cast<uint32_t>(topDown ? -h : h));
  Put16(b, 1);
  Put16(b, bits);
  Put32(b, bitfields565 ? 3 : 0);
  Put32(b, stride * h);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, colours);
  Put32(b, 0);
  if (bitfields565) {
    Put32(b, 0xF800);
    Put32(b, 0x07E0);
    Put32(b, 0x001F);
  }
  for (int i = 0; i < colours; i++) {
    const TRgb c = kPalette[i < 8 ? i : 0];
    b.insert(b.end(), {c.b, c.g, c.r, 0});
  }
  for (int row = 0; row < h; row++) {
    const int y = topDown ? row : h - 1 - row;
    Bytes line(stride, 0);
    for (int x = 0; x < w; x++) {
      const TRgb c = kPicture[y][x];
      const int idx = PaletteIndex(c);
      switch (bits) {
        case 1:
          line[x / 8] |= static_cast<uint8_t>((c.r || c.g || c.b ? 1 : 0) << (7 - x % 8));
          break;
        case 4:
          line[x / 2] |= static_cast<uint8_t>(idx << (x % 2 ? 0 : 4));
          break;
        case 8:
          line[x] = static_cast<uint8_t>(idx);
          break;
        case 16: {
          const uint32_t v = bitfields565 ? ((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3)
                                          : ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3);
          line[x * 2] = v & 255;
          line[x * 2 + 1] = v >> 8;
          break;
        }
        case 24:
          line[x * 3] = c.b, line[x * 3 + 1] = c.g, line[x * 3 + 2] = c.r;
          break;
        case 32:
          line[x * 4] = c.b, line[x * 4 + 1] = c.g, line[x * 4 + 2] = c.r, line[x * 4 + 3] = 0;
          break;
      }
    }
    b.insert(b.end(), line.begin(), line.end());
  }
  return b;
}

// The 1-bit picture has only black and white (palette entries 0 and 1 are
// black and red in kPalette, so it is checked on its own).
void ExpectPicture(const TBitmap& bmp, bool monochrome = false) {
  ASSERT_EQ(bmp.Width(), 5);
  ASSERT_EQ(bmp.Height(), 3);
  for (int y = 0; y < 3; y++) {
    for (int x = 0; x < 5; x++) {
      TRgb want = kPicture[y][x];
      if (monochrome) want = (want.r || want.g || want.b) ? kPalette[1] : kPalette[0];
      const uint8_t* p = bmp.Row(y) + x * 3;
      EXPECT_EQ(p[0], want.b) << x << "," << y;
      EXPECT_EQ(p[1], want.g) << x << "," << y;
      EXPECT_EQ(p[2], want.r) << x << "," << y;
    }
  }
}

class PictureLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("zazo_pictures_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string Write(const std::string& name, const Bytes& bytes) {
    const std::string path = (dir / name).string();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
  }

  // Loads and expects a refusal; returns the reason.
  std::string Refused(const Bytes& bytes) {
    TBitmap bmp;
    bmp.SetSize(4, 4);
    std::string why;
    EXPECT_FALSE(LoadPictureFile(Write("bad.bmp", bytes).c_str(), bmp, &why));
    EXPECT_TRUE(bmp.Empty());
    EXPECT_FALSE(why.empty());
    return why;
  }

  // Saves an SDL surface of the given format holding kPicture with SDL_SaveBMP.
  std::string SaveWithSdl(Uint32 format, const char* name) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 5, 3, SDL_BITSPERPIXEL(format), format);
    EXPECT_NE(s, nullptr);
    if (s->format->palette) {
      SDL_Color colours[8];
      for (int i = 0; i < 8; i++) colours[i] = {kPalette[i].r, kPalette[i].g, kPalette[i].b, 255};
      SDL_SetPaletteColors(s->format->palette, colours, 0, 8);
    }
    for (int y = 0; y < 3; y++) {
      for (int x = 0; x < 5; x++) {
        const TRgb c = kPicture[y][x];
        SDL_Rect px{x, y, 1, 1};
        SDL_FillRect(s, &px, SDL_MapRGBA(s->format, c.r, c.g, c.b, 128));
      }
    }
    const std::string path = (dir / name).string();
    EXPECT_EQ(SDL_SaveBMP(s, path.c_str()), 0) << SDL_GetError();
    SDL_FreeSurface(s);
    return path;
  }

  fs::path dir;
};

TEST_F(PictureLoader, EveryColourDepthBecomes24BitBlueGreenRed) {
  for (int bits : {4, 8, 16, 24, 32}) {
    TBitmap bmp;
    std::string why;
    ASSERT_TRUE(LoadPictureFile(Write("p.bmp", MakeBmp(bits)).c_str(), bmp, &why))
        << bits << " bits: " << why;
    SCOPED_TRACE(bits);
    ExpectPicture(bmp);
  }
  TBitmap mono;
  ASSERT_TRUE(LoadPictureFile(Write("mono.bmp", MakeBmp(1)).c_str(), mono));
  ExpectPicture(mono, true);
  TBitmap fields;
  ASSERT_TRUE(LoadPictureFile(Write("565.bmp", MakeBmp(16, false, true)).c_str(), fields));
  ExpectPicture(fields);
  TBitmap topDown;
  ASSERT_TRUE(LoadPictureFile(Write("down.bmp", MakeBmp(24, true)).c_str(), topDown));
  ExpectPicture(topDown);
}

TEST_F(PictureLoader, FilesWrittenBySdlAtEveryDepthItWrites) {
  const struct {
    Uint32 format;
    const char* name;
  } kinds[] = {{SDL_PIXELFORMAT_INDEX8, "i8.bmp"},     {SDL_PIXELFORMAT_BGR24, "bgr24.bmp"},
               {SDL_PIXELFORMAT_RGB24, "rgb24.bmp"},   {SDL_PIXELFORMAT_ARGB8888, "argb.bmp"},
               {SDL_PIXELFORMAT_RGB565, "rgb565.bmp"}, {SDL_PIXELFORMAT_RGB555, "rgb555.bmp"}};
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.name);
    TBitmap bmp;
    std::string why;
    ASSERT_TRUE(LoadPictureFile(SaveWithSdl(kind.format, kind.name).c_str(), bmp, &why)) << why;
    // Half-transparent pixels keep their colour: no blending with anything.
    ExpectPicture(bmp);
  }
}

TEST_F(PictureLoader, Os2CoreHeader) {
  Bytes b = {'B', 'M'};
  Put32(b, 14 + 12 + 8);
  Put32(b, 0);
  Put32(b, 14 + 12);
  Put32(b, 12);
  Put16(b, 1);
  Put16(b, 2);
  Put16(b, 1);
  Put16(b, 24);
  b.insert(b.end(), {10, 20, 30, 0});  // bottom row: one pixel + padding
  b.insert(b.end(), {40, 50, 60, 0});
  TBitmap bmp;
  std::string why;
  ASSERT_TRUE(LoadPictureFile(Write("os2.bmp", b).c_str(), bmp, &why)) << why;
  ASSERT_EQ(bmp.Width(), 1);
  ASSERT_EQ(bmp.Height(), 2);
  EXPECT_EQ(bmp.Row(0)[0], 40);
  EXPECT_EQ(bmp.Row(1)[2], 30);
}

TEST_F(PictureLoader, HugeClaimsAreRefusedBeforeDecoding) {
  // A 100-byte file that claims 30000 x 30000 pixels.
  Bytes huge = MakeBmp(24);
  huge.resize(100);
  std::memcpy(&huge[18], "\x30\x75\x00\x00\x30\x75\x00\x00", 8);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_NE(Refused(huge).find("size"), std::string::npos);
  // Refused from the header: no 3.6 GB picture is decoded first.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));

  // Within each side but too many pixels: 16384 x 16384 x 4 bytes.
  Bytes square = MakeBmp(32);
  std::memcpy(&square[18], "\x00\x40\x00\x00\x00\x40\x00\x00", 8);
  Refused(square);
  // One side beyond the limit.
  Bytes wide = MakeBmp(24);
  std::memcpy(&wide[18], "\x01\x40\x00\x00\x01\x00\x00\x00", 8);
  Refused(wide);
  // The most negative height (top-down) must not wrap round.
  Bytes negative = MakeBmp(24);
  std::memcpy(&negative[22], "\x00\x00\x00\x80", 4);
  Refused(negative);
}

TEST_F(PictureLoader, BrokenHeadersAreRefused) {
  Bytes zeroWidth = MakeBmp(24);
  std::memset(&zeroWidth[18], 0, 4);
  Refused(zeroWidth);
  Bytes negativeWidth = MakeBmp(24);
  std::memcpy(&negativeWidth[18], "\xfb\xff\xff\xff", 4);
  Refused(negativeWidth);
  Bytes oddDepth = MakeBmp(24);
  oddDepth[28] = 7;
  EXPECT_NE(Refused(oddDepth).find("depth"), std::string::npos);
  Bytes headerSize = MakeBmp(24);
  headerSize[14] = 5;
  Refused(headerSize);
  Bytes offset = MakeBmp(24);
  std::memcpy(&offset[10], "\x00\x00\x00\x10", 4);
  Refused(offset);
  Bytes notBmp = MakeBmp(24);
  notBmp[0] = 'P';
  Refused(notBmp);
  Refused(Bytes{});
  Refused(Bytes{'B', 'M', 0, 0});
  // Rows cut short.
  Bytes truncated = MakeBmp(24);
  truncated.resize(truncated.size() - 20);
  Refused(truncated);
}

// 5 x 3 at 8 bits, run-length encoded: each row as runs of one palette index.
Bytes MakeRle8() {
  Bytes b = {'B', 'M'};
  const uint32_t offset = 14 + 40 + 8 * 4;
  Bytes rows;
  for (int y = 2; y >= 0; y--) {  // bottom-up
    for (int x = 0; x < 5; x++)
      rows.insert(rows.end(), {1, static_cast<uint8_t>(PaletteIndex(kPicture[y][x]))});
    rows.insert(rows.end(), {0, 0});  // end of line
  }
  rows.insert(rows.end(), {0, 1});  // end of picture
  Put32(b, offset + static_cast<uint32_t>(rows.size()));
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, 40);
  Put32(b, 5);
  Put32(b, 3);
  Put16(b, 1);
  Put16(b, 8);
  Put32(b, 1);  // BI_RLE8
  Put32(b, static_cast<uint32_t>(rows.size()));
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 8);
  Put32(b, 0);
  for (const TRgb& c : kPalette) b.insert(b.end(), {c.b, c.g, c.r, 0});
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

TEST_F(PictureLoader, PixelDataShorterThanTheHeaderPromisesIsRefusedBeforeDecoding) {
  // Within every size limit, but 100 bytes cannot hold 8000 x 8000 pixels.
  Bytes claim = MakeBmp(24);
  claim.resize(100);
  std::memcpy(&claim[18], "\x40\x1f\x00\x00\x40\x1f\x00\x00", 8);
  EXPECT_NE(Refused(claim).find("shorter"), std::string::npos);
  // One byte of pixels missing from an uncompressed picture.
  Bytes short24 = MakeBmp(24);
  short24.pop_back();
  Refused(short24);

  // Run-length data may be short, but not shorter than 256 pixels a byte.
  TBitmap bmp;
  std::string why;
  ASSERT_TRUE(LoadPictureFile(Write("rle.bmp", MakeRle8()).c_str(), bmp, &why)) << why;
  ExpectPicture(bmp);
  Bytes rleClaim = MakeRle8();
  std::memcpy(&rleClaim[18], "\x40\x1f\x00\x00\x40\x1f\x00\x00", 8);
  EXPECT_NE(Refused(rleClaim).find("shorter"), std::string::npos);
}

TEST_F(PictureLoader, MissingUnreadableAndOversizedFiles) {
  TBitmap bmp;
  std::string why;
  EXPECT_FALSE(LoadPictureFile((dir / "none.bmp").c_str(), bmp, &why));
  EXPECT_EQ(why, "missing");
  EXPECT_FALSE(LoadPictureFile(dir.c_str(), bmp, &why));  // a folder
  // A file beyond the size limit is not even read (sparse, so it costs nothing).
  const std::string big = Write("big.bmp", MakeBmp(24));
  fs::resize_file(big, kPictureFileMaxBytes + 1);
  EXPECT_FALSE(LoadPictureFile(big.c_str(), bmp, &why));
  EXPECT_NE(why.find("large"), std::string::npos);
}

TEST_F(PictureLoader, CorruptedBytesNeverCrash) {
  // Random damage to valid files of several depths: each load either
  // succeeds with a sane size or fails cleanly.
  std::mt19937 rng(7);
  for (int bits : {4, 8, 16, 24, 32}) {
    const Bytes good = MakeBmp(bits);
    for (int round = 0; round < 400; round++) {
      Bytes bad = good;
      const int flips = 1 + static_cast<int>(rng() % 6);
      for (int i = 0; i < flips; i++) bad[rng() % bad.size()] = static_cast<uint8_t>(rng());
      if (rng() % 4 == 0) bad.resize(rng() % bad.size());
      TBitmap bmp;
      if (DecodePicture(bad.data(), bad.size(), bmp)) {
        EXPECT_GT(bmp.Width(), 0);
        EXPECT_LE(bmp.Width(), kPictureMaxSide);
        EXPECT_EQ(bmp.ByteSize(), static_cast<size_t>(bmp.Width()) * bmp.Height() * 3);
      } else {
        EXPECT_TRUE(bmp.Empty());
      }
    }
  }
}

// A named pipe, a device behind a link and a folder in place of a picture:
// refused at once (a pipe is never waited on), the picture counts as missing.
TEST_F(PictureLoader, NonFilesAreRefusedAtOnce) {
  const std::string fifo = (dir / "pipe.bmp").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  auto load = std::async(std::launch::async, [&] {
    TBitmap bmp;
    std::string why;
    const bool ok = LoadPictureFile(fifo.c_str(), bmp, &why);
    return ok ? std::string("loaded") : why;
  });
  if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    // Let the stuck open go, so that the test ends with a failure.
    close(open(fifo.c_str(), O_WRONLY | O_CLOEXEC));
    FAIL() << "loading a named pipe waits for a writer";
  }
  EXPECT_EQ(load.get(), "not a regular file");

  const std::string device = (dir / "zero.bmp").string();
  fs::create_symlink("/dev/zero", device);
  const std::string folder = (dir / "folder.bmp").string();
  fs::create_directory(folder);
  for (const std::string& path : {device, folder}) {
    TBitmap bmp;
    bmp.SetSize(2, 2);
    std::string why;
    EXPECT_FALSE(LoadPictureFile(path.c_str(), bmp, &why)) << path;
    EXPECT_TRUE(bmp.Empty());
    EXPECT_FALSE(why.empty());
  }
  // A link to a real picture is read through.
  const std::string link = (dir / "link.bmp").string();
  fs::create_symlink(Write("real.bmp", MakeBmp(24)), link);
  TBitmap bmp;
  ASSERT_TRUE(LoadPictureFile(link.c_str(), bmp));
  ExpectPicture(bmp);
}

// All pictures loaded against one budget share it: each takes its 24-bit
// size off, and one that no longer fits is refused before it is decoded.
TEST_F(PictureLoader, PicturesShareOneBudget) {
  const std::string path = Write("p.bmp", MakeBmp(8));
  TPictureBudget budget{100};
  TBitmap first, second, third;
  ASSERT_TRUE(LoadPictureFile(path.c_str(), first, nullptr, &budget));
  EXPECT_EQ(budget.bytesLeft, 55u);
  ASSERT_TRUE(LoadPictureFile(path.c_str(), second, nullptr, &budget));
  EXPECT_EQ(budget.bytesLeft, 10u);
  std::string why;
  EXPECT_FALSE(LoadPictureFile(path.c_str(), third, &why, &budget));
  EXPECT_NE(why.find("budget"), std::string::npos) << why;
  EXPECT_TRUE(third.Empty());
  EXPECT_EQ(budget.bytesLeft, 10u);
  ExpectPicture(second);
  // Refused files take nothing off.
  EXPECT_FALSE(LoadPictureFile((dir / "none.bmp").c_str(), third, nullptr, &budget));
  EXPECT_EQ(budget.bytesLeft, 10u);
}

// A half-megabyte run-length file that claims 16384 x 4096 pixels passes
// every limit of a single picture, but not the budget of the game's pictures.
TEST_F(PictureLoader, HugeRunLengthSheetIsBeyondTheBudget) {
  const uint32_t w = 16384, h = 4096;
  const uint32_t offset = 14 + 40 + 2 * 4;
  Bytes rows;
  for (uint32_t i = 0; i < 270000; i++) rows.insert(rows.end(), {255, 1});
  rows.insert(rows.end(), {0, 1});
  Bytes b = {'B', 'M'};
  for (uint32_t v : {offset + static_cast<uint32_t>(rows.size()), 0u, offset, 40u, w, h}) {
    Put32(b, v);
  }
  Put16(b, 1);
  Put16(b, 8);
  for (uint32_t v : {1u, static_cast<uint32_t>(rows.size()), 2835u, 2835u, 2u, 0u}) Put32(b, v);
  b.insert(b.end(), {0, 0, 0, 0, 255, 255, 255, 0});
  b.insert(b.end(), rows.begin(), rows.end());

  std::string why;
  EXPECT_TRUE(CheckBmpHeader(b.data(), b.size(), &why)) << why;
  TPictureBudget budget;
  EXPECT_LT(budget.bytesLeft, uint64_t{w} * h * 3);
  TBitmap bmp;
  EXPECT_FALSE(LoadPictureFile(Write("huge.bmp", b).c_str(), bmp, &why, &budget));
  EXPECT_NE(why.find("budget"), std::string::npos) << why;
  EXPECT_EQ(budget.bytesLeft, kPicturesTotalBudgetBytes);
}

}  // namespace

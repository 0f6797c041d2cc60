// The nine generated sprite sheets: format, size, transparent colour and the
// regions the game draws from.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "assets/asset_reader.h"

namespace {

struct SheetSize {
  const char* file;
  int width, height;
};

const SheetSize kSheets[] = {
    {"info.bmp", 96, 120},    {"item.bmp", 128, 480}, {"label.bmp", 96, 156},
    {"title.bmp", 640, 1040}, {"gauge.bmp", 256, 16}, {"score.bmp", 320, 32},
    {"score2.bmp", 80, 11},   {"bg.bmp", 640, 2400},  {"bom.bmp", 128, 48},
};

Sheet Load(const std::string& file) {
  Sheet s;
  std::string error;
  EXPECT_TRUE(LoadSheet(AssetDir() + "/graph/" + file, &s, &error)) << error;
  return s;
}

// Share of key-coloured pixels in the 16 x 16 cell (col, row) of item.bmp.
double KeyShare(const Sheet& s, int x, int y, int w = 16, int h = 16) {
  return s.KeyCount(x, y, x + w - 1, y + h - 1) / static_cast<double>(w * h);
}

bool SameCells(const Sheet& s, int ax, int ay, int bx, int by) {
  for (int y = 0; y < 16; y++)
    for (int x = 0; x < 16; x++)
      if (!(s.At(ax + x, ay + y) == s.At(bx + x, by + y))) return false;
  return true;
}

double Luminance(const Sheet& s, int x0, int y0, int x1, int y1) {
  double sum = 0;
  for (int y = y0; y <= y1; y++)
    for (int x = x0; x <= x1; x++) {
      Pixel p = s.At(x, y);
      sum += 0.299 * p.r + 0.587 * p.g + 0.114 * p.b;
    }
  return sum / ((x1 - x0 + 1) * (y1 - y0 + 1));
}

}  // namespace

TEST(Sheets, EveryFileIs24BitBottomUpAndAtLeastItsLeastSize) {
  for (const SheetSize& size : kSheets) {
    Sheet s = Load(size.file);
    EXPECT_EQ(s.bitsPerPixel, 24) << size.file;
    EXPECT_TRUE(s.bottomUp) << size.file;
    EXPECT_GE(s.width, size.width) << size.file;
    EXPECT_GE(s.height, size.height) << size.file;
  }
}

TEST(Sheets, OpaquelyDrawnPicturesNeverReuseTheirKeyColour) {
  // Title, backgrounds and gauge are copied opaquely; their top-left pixel is
  // still their key, so it must not stand for anything else.
  for (const char* file : {"title.bmp", "bg.bmp", "gauge.bmp"}) {
    Sheet s = Load(file);
    EXPECT_EQ(s.KeyCount(0, 0, s.width - 1, s.height - 1), 1) << file;
  }
  // The labels are copied opaquely too: no pixel of theirs may be the key.
  Sheet label = Load("label.bmp");
  EXPECT_EQ(label.KeyCount(0, 80, 95, 99), 0);
  EXPECT_EQ(label.KeyCount(0, 120, 79, 135), 0);
  EXPECT_EQ(label.KeyCount(0, 140, 79, 155), 0);
}

TEST(Sheets, KeyedSheetsUseMagentaAsTheirKey) {
  for (const char* file :
       {"info.bmp", "item.bmp", "label.bmp", "score.bmp", "score2.bmp", "bom.bmp"}) {
    Sheet s = Load(file);
    EXPECT_EQ(s.Key(), (Pixel{255, 0, 255})) << file;
  }
}

TEST(Sheets, BoardCellsReadAsEmptyBlockClearingAndWall) {
  Sheet s = Load("item.bmp");
  for (int f = 0; f < 8; f++) {
    // Empty: mostly transparent, with a faint grid.
    EXPECT_GT(KeyShare(s, 16 * f, 0), 0.8) << f;
    EXPECT_LT(KeyShare(s, 16 * f, 0), 1.0) << f;
    // Block, clearing, both vanishing looks: nearly solid.
    for (int row : {1, 5, 27, 28}) EXPECT_LT(KeyShare(s, 16 * f, 16 * row), 0.1) << row;
    // Wall: solid.
    EXPECT_EQ(KeyShare(s, 16 * f, 16 * 8), 0.0) << f;
  }
  // Frames 1..7 of a block carry its shine; frame 0 is the resting block.
  for (int f = 1; f < 8; f++) EXPECT_FALSE(SameCells(s, 0, 16, 16 * f, 16)) << f;
  // A clearing cell flashes: its eight frames are not all alike.
  int distinct = 0;
  for (int f = 1; f < 8; f++) distinct += !SameCells(s, 0, 80, 16 * f, 80);
  EXPECT_GE(distinct, 5);
  // The vanishing look is bright (it is drawn blended at levels 61..150).
  EXPECT_GT(Luminance(s, 0, 16 * 28 + 2, 15, 16 * 28 + 13), 170.0);
  // Walls and blocks look different.
  EXPECT_GT(std::fabs(Luminance(s, 0, 16, 15, 31) - Luminance(s, 0, 128, 15, 143)) +
                std::fabs(s.At(8, 24).b - s.At(8, 136).b),
            20.0);
}

TEST(Sheets, PreviewCodesAreOpaqueTilesThatTellFitFromRefusal) {
  Sheet s = Load("item.bmp");
  for (int code : {10, 11, 12, 15, 16, 18, 19, 21})
    for (int f = 0; f < 8; f++)
      EXPECT_EQ(s.KeyCount(16 * f, 16 * code, 16 * f + 15, 16 * code + 15), 0)
          << "code " << code << " frame " << f;
  // Refused placements are red, fitting ones are not.
  auto redness = [&](int code) {
    double r = 0, g = 0;
    for (int y = 0; y < 16; y++)
      for (int x = 0; x < 16; x++) {
        r += s.At(x, 16 * code + y).r;
        g += s.At(x, 16 * code + y).g;
      }
    return r / g;
  };
  EXPECT_GT(redness(12), 1.2);
  EXPECT_GT(redness(19), 1.2);
  EXPECT_LT(redness(11), 0.9);
  // The animated codes change over their frames.
  for (int code : {11, 12, 15, 16, 19}) EXPECT_FALSE(SameCells(s, 0, 16 * code, 64, 16 * code));
  // Code 27 is a keyed outline over the fading cell.
  double share = KeyShare(s, 0, 416);
  EXPECT_GT(share, 0.5);
  EXPECT_LT(share, 0.95);
}

TEST(Sheets, SlotCellsAndVersusMarkersArePresent) {
  Sheet s = Load("item.bmp");
  EXPECT_GT(KeyShare(s, 0, 0), 0.8);             // empty mask cell of a slot
  EXPECT_LT(KeyShare(s, 16, 16), 0.1);           // filled mask cell of a slot
  EXPECT_LT(KeyShare(s, 0, 464, 64, 16), 0.4);   // turn marker
  EXPECT_LT(KeyShare(s, 64, 464, 64, 16), 0.4);  // leader marker
}

TEST(Sheets, DigitsBurstsButtonsAndGaugeAreDrawn) {
  Sheet score = Load("score.bmp");
  for (int d = 0; d < 10; d++) {
    double share = KeyShare(score, 32 * d, 0, 32, 32);
    EXPECT_GT(share, 0.2) << d;
    EXPECT_LT(share, 0.9) << d;
  }
  Sheet small = Load("score2.bmp");
  for (int d = 0; d < 10; d++) EXPECT_LT(KeyShare(small, 8 * d, 0, 8, 8), 0.8) << d;
  EXPECT_LT(small.KeyCount(0, 8, 2, 10), 9);
  EXPECT_LT(small.KeyCount(3, 8, 5, 10), 9);
  // Distinct digits.
  for (int d = 1; d < 10; d++) {
    bool differs = false;
    for (int y = 0; y < 32 && !differs; y++)
      for (int x = 0; x < 32 && !differs; x++)
        differs = !(score.At(x, y) == score.At(32 * d + x, y));
    EXPECT_TRUE(differs) << d;
  }
  Sheet bom = Load("bom.bmp");
  for (int f = 1; f < 8; f++) EXPECT_LT(KeyShare(bom, 16 * f, 16), 1.0) << f;
  for (int f = 4; f < 8; f++) EXPECT_LT(KeyShare(bom, 16 * f, 32), 1.0) << f;
  Sheet info = Load("info.bmp");
  for (int y : {0, 40, 100}) EXPECT_LT(KeyShare(info, 0, y, 96, 20), 0.1) << y;
  Sheet gauge = Load("gauge.bmp");
  // The bar changes colour from its empty end to its full end.
  Pixel left = gauge.At(4, 8), right = gauge.At(250, 8);
  EXPECT_GT(std::abs(left.r - right.r) + std::abs(left.g - right.g), 80);
}

TEST(Sheets, MenuStripsHighlightTheirItemInTheHoverRows) {
  Sheet t = Load("title.bmp");
  // The picture's own menu rows show strip 0, so the slide starts from it.
  for (int y = 0; y < 112; y++)
    for (int x = 0; x < 640; x += 7) ASSERT_EQ(t.At(x, 196 + y), t.At(x, 480 + y)) << y;
  for (int c = 1; c <= 4; c++) {
    // Item c's row of 28 pixels (drawn at y 196 + 28(c - 1)) is changed...
    int changedInside = 0, changedElsewhere = 0;
    for (int y = 0; y < 112; y++)
      for (int x = 0; x < 640; x++) {
        bool changed = !(t.At(x, 480 + y) == t.At(x, 480 + 112 * c + y));
        bool inside = y >= 28 * (c - 1) && y < 28 * c;
        (inside ? changedInside : changedElsewhere) += changed;
      }
    EXPECT_GT(changedInside, 3000) << c;
    // ...and nothing outside it, so the highlight never sits on another
    // item's hover row.
    EXPECT_EQ(changedElsewhere, 0) << c;
  }
}

TEST(Sheets, BackgroundBandsHaveDistinctMoodsAndADarkWell) {
  Sheet bg = Load("bg.bmp");
  double mood[5][3] = {};
  for (int b = 0; b < 5; b++) {
    int y0 = 480 * b;
    // The well behind empty cells is dark so the faint grid and the blocks read.
    EXPECT_LT(Luminance(bg, 82, y0 + 82, 237, y0 + 397), 50.0) << b;
    for (int y = 0; y < 480; y += 3)
      for (int x = 296; x < 640; x += 3) {
        Pixel p = bg.At(x, y0 + y);
        mood[b][0] += p.r;
        mood[b][1] += p.g;
        mood[b][2] += p.b;
      }
  }
  for (int a = 0; a < 5; a++)
    for (int b = a + 1; b < 5; b++) {
      double d = 0;
      for (int k = 0; k < 3; k++) d += std::fabs(mood[a][k] - mood[b][k]);
      EXPECT_GT(d / (160 * 115), 15.0) << a << " vs " << b;
    }
}

// A game object with synthetic sprite sheets whose colours tell where a
// pixel came from, and a frame prefilled with a background colour.
#pragma once

#include <gtest/gtest.h>

#include "app/main.h"
#include "pixels.h"
#include "recording_host.h"

constexpr uint32_t kSheetKey = 0xFF00FF;
constexpr uint32_t kScreenBack = 0x203040;

// itemBmp: every 16 x 16 cell one colour, from its column and row.
inline uint32_t ItemColour(int col, int row) {
  return 0x400000 | (row + 1) << 8 | (col + 1);
}
// scoreBmp and score2Bmp: every glyph one colour.
inline uint32_t BigDigit(int d) {
  return 0x10C800 + 20 * d;
}
inline uint32_t SmallDigit(int d) {
  return 0x309600 + 20 * d;
}
constexpr uint32_t kDot1Colour = 0x0A0B0C;
constexpr uint32_t kDot2Colour = 0x0D0E0F;
// bomBmp: every burst frame one colour.
inline uint32_t BurstColour(int look, int frame) {
  return 0x600000 | look << 8 | frame;
}
// titleBmp and bgBmp: every pixel its own colour.
inline uint32_t PictureColour(int x, int y) {
  return (x & 0xFF) | (y & 0xFF) << 8 | (x >> 8) << 16 | (y >> 8) << 20;
}
inline uint32_t GaugeColour(int x) {
  return 0x500000 | x;
}
constexpr uint32_t kInfoColour = 0x111111;
constexpr uint32_t kLabelColour = 0x222222;

class SceneTest : public ::testing::Test {
 protected:
  SceneTest() : host("/nonexistent/"), form(host) {
    host.readPictures = false;
    form.boardLeft = 32;
    form.boardTop = 32;
    form.showBackground = true;
    form.showEffects = true;
    form.screenBmp.SetSize(640, 480);
    form.bgCacheBmp.SetSize(640, 480);
    FillAll(form.screenBmp, kScreenBack);

    form.itemBmp.Edit([](TBitmap& b) {
      b.SetSize(128, 480);
      for (int r = 0; r < 30; r++)
        for (int c = 0; c < 8; c++) FillArea(b, 16 * c, 16 * r, 16, 16, ItemColour(c, r));
      SetPx(b, 0, 0, kSheetKey);
    });
    form.scoreBmp.Edit([](TBitmap& b) {
      b.SetSize(320, 32);
      for (int d = 0; d < 10; d++) FillArea(b, 32 * d, 0, 32, 32, BigDigit(d));
      SetPx(b, 0, 0, kSheetKey);
    });
    form.score2Bmp.Edit([](TBitmap& b) {
      b.SetSize(80, 11);
      for (int d = 0; d < 10; d++) FillArea(b, 8 * d, 0, 8, 8, SmallDigit(d));
      FillArea(b, 0, 8, 3, 3, kDot1Colour);
      FillArea(b, 3, 8, 3, 3, kDot2Colour);
      SetPx(b, 0, 0, kSheetKey);
    });
    form.bomBmp.Edit([](TBitmap& b) {
      b.SetSize(128, 48);
      for (int look = 0; look < 3; look++)
        for (int f = 0; f < 8; f++) FillArea(b, 16 * f, 16 * look, 16, 16, BurstColour(look, f));
      SetPx(b, 0, 0, kSheetKey);
    });
    form.gaugeBmp.SetSize(256, 16);
    for (int x = 0; x < 256; x++) FillArea(form.gaugeBmp, x, 0, 1, 16, GaugeColour(x));
    form.titleBmp.SetSize(640, 1040);
    form.bgBmp.SetSize(640, 2400);
    for (TBitmap* b : {&form.titleBmp, &form.bgBmp})
      for (int y = 0; y < b->Height(); y++)
        for (int x = 0; x < 640; x++) SetPx(*b, x, y, PictureColour(x, y));
    form.infoBmp.Edit([](TBitmap& b) {
      b.SetSize(96, 120);
      FillAll(b, kInfoColour);
      SetPx(b, 0, 0, kSheetKey);
    });
    form.labelBmp.SetSize(96, 156);
    FillAll(form.labelBmp, kLabelColour);
    for (TBitmap* b : {&form.gaugeBmp, &form.labelBmp}) SetPx(*b, 0, 0, kSheetKey);
    form.SeedMt(2024);
  }

  // A second game object as the oracle of the random sequence.
  TMainForm& Oracle() {
    oracle.SeedMt(2024);
    return oracle;
  }

  TRecordingHost host;
  TMainForm form;
  TRecordingHost oracleHost{"/nonexistent/"};
  TMainForm oracle{oracleHost};
};

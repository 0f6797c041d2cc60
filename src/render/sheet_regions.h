// Where things lie on the sprite sheets and on the 640 x 480 frame.
#pragma once

#include <cstdint>

#include "render/blit.h"

namespace sheet {

// A w x h region with its top-left at (x, y).
constexpr TRect Region(int32_t x, int32_t y, int32_t w, int32_t h) {
  return TRect{x, y, x + w - 1, y + h - 1};
}

// itemBmp: 16 x 16 cells, column = animation frame, row = display code.
constexpr TRect ItemCell(int32_t col, int32_t row) {
  return Region(16 * col, 16 * row, 16, 16);
}
constexpr TRect kSlotEmpty = ItemCell(0, 0);
constexpr TRect kSlotFilled = ItemCell(1, 1);
constexpr TRect kPreviewVanishing = ItemCell(0, 26);  // overlay kOverlayEmptyOnVanishing
constexpr TRect kTurnMarker = Region(0, 464, 64, 16);
constexpr TRect kLeaderMarker = Region(64, 464, 64, 16);
constexpr int32_t kBlendRowA = 27;  // board cells drawn blended
constexpr int32_t kBlendRowB = 28;  // clearing cell about to vanish

// scoreBmp: digit glyphs of 32 x 32; score2Bmp: 8 x 8, plus two 3 x 3 dots.
constexpr TRect BigGlyph(int32_t g) {
  return Region(32 * g, 0, 32, 32);
}
constexpr TRect SmallGlyph(int32_t g) {
  return Region(8 * g, 0, 8, 8);
}
constexpr TRect kDot1 = Region(0, 8, 3, 3);
constexpr TRect kDot2 = Region(3, 8, 3, 3);

// bomBmp: eight burst frames per look, look 1 in row 1, look 2 in row 2.
constexpr TRect Burst(int32_t look, int32_t frame) {
  return Region(16 * frame, 16 * look, 16, 16);
}

// infoBmp: the top-bar buttons.
constexpr TRect kRestartButton = Region(0, 0, 96, 20);
constexpr TRect kTitleButton = Region(0, 40, 96, 20);
constexpr TRect kFullScreenButton = Region(0, 100, 96, 20);

// labelBmp.
constexpr TRect kTitleLabel = Region(0, 80, 96, 20);
constexpr TRect kGameOverLabelLeft = Region(0, 120, 80, 16);
constexpr TRect kGameOverLabelRight = Region(0, 140, 80, 16);

// titleBmp: the title picture and the menu strips below it.
constexpr TRect kTitlePicture = Region(0, 0, 640, 480);
constexpr TRect MenuStrip(int32_t choice) {
  return Region(0, 480 + 112 * choice, 640, 112);
}
constexpr int32_t kMenuStripY = 196;
constexpr TRect kSlideTopBand = TRect{0, 0, 639, 111};
constexpr TRect kSlideMiddleBand = TRect{0, 112, 639, 200};
constexpr TRect kSlideBottomBand = TRect{0, 300, 639, 479};

// bgBmp: backgrounds 1..5 stacked.
constexpr TRect BackgroundBand(int32_t band) {
  return Region(0, 480 * (band - 1), 640, 480);
}

}  // namespace sheet

// Screen positions.
namespace layout {
constexpr int32_t kSlotX = 304;
constexpr int32_t kSlotY[3] = {96, 192, 288};
constexpr int32_t kNumberX = 385;
constexpr int32_t kScoreY = 120;
constexpr int32_t kSecondRowY = 214;  // level, or side 2's score
constexpr int32_t kThirdRowY = 310;   // best score, or frames left
constexpr int32_t kClearingY = 390;
constexpr int32_t kFrameRateX = 616;
constexpr int32_t kFrameRateY = 470;
constexpr int32_t kRestartButtonX = 1;
constexpr int32_t kTitleButtonX = 112;
constexpr int32_t kFullScreenButtonX = 450;
constexpr int32_t kTurnMarkerX = 405;
constexpr int32_t kLeaderMarkerX = 565;
constexpr int32_t kMarkerSide1Y = 100;
constexpr int32_t kMarkerSide2Y = 194;
constexpr int32_t kTitleBestX = 210;
constexpr int32_t kTitleBestY = 34;
constexpr int32_t kTitleLabelX = 280;
constexpr int32_t kTitleLabelY = 16;
}  // namespace layout

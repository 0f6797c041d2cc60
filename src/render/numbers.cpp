// Numbers drawn from the digit sheets. A character's glyph is its code
// minus '0', so a minus sign asks for glyph -3, which lies left of the sheet
// and leaves a gap.
#include <cstdio>

#include "app/main.h"
#include "render/blit.h"
#include "render/sheet_regions.h"

namespace {
constexpr int kDigitsBig = 8;
constexpr int kDigitsFrameRate = 2;
constexpr int kTextSize = 16;  // room for any 32-bit value with sign and padding
}  // namespace

void TMainForm::DrawNumber8(int32_t x, int32_t y, int32_t value) {
  char text[kTextSize];
  std::snprintf(text, sizeof text, "%.8d", static_cast<int>(value));
  for (int k = 0; k < kDigitsBig && text[k] != '\0'; k++) {
    BlitKeyed(x + 32 * k, y, sheet::BigGlyph(text[k] - '0'), screenBmp, scoreBmp);
  }
}

void TMainForm::DrawNumber2(int32_t x, int32_t y, int32_t value) {
  char text[kTextSize];
  std::snprintf(text, sizeof text, "%.2d", static_cast<int>(value));
  for (int k = 0; k < kDigitsFrameRate && text[k] != '\0'; k++) {
    BlitKeyed(x + 8 * k, y, sheet::SmallGlyph(text[k] - '0'), screenBmp, score2Bmp);
  }
}

void TMainForm::DrawSmallNumber(int32_t x, int32_t y, int32_t value, int32_t level) {
  char text[kTextSize];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  for (int k = 0; text[k] != '\0'; k++) {
    const TRect glyph = sheet::SmallGlyph(text[k] - '0');
    if (level == 0) {
      BlitKeyed(x + 8 * k, y, glyph, screenBmp, score2Bmp);
    } else {
      BlitKeyedBlend(x + 8 * k, y, glyph, screenBmp, score2Bmp, static_cast<uint16_t>(level));
    }
  }
}

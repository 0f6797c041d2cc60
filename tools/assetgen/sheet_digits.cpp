// graph/score.bmp (32 x 32 digits of the score panel) and graph/score2.bmp
// (8 x 8 digits of the frame rate and the bonus popup, and the two 3 x 3
// sparkle dots).
#include <string>

#include "art_style.h"
#include "sheets.h"

Canvas DrawScoreSheet() {
  Canvas c(320, 32);
  TextStyle s;
  s.size = 32;
  s.bold = 1.0f;
  s.top = RgbOf(255, 255, 255);
  s.bottom = RgbOf(255, 196, 64);
  s.gloss = 0.25f;
  s.outline = 2.0f;
  s.outlineColour = RgbOf(24, 16, 40);
  s.shadowX = 1;
  s.shadowY = 2;
  s.shadowAlpha = 0.9f;
  for (int d = 0; d < 10; d++) {
    // Centred left of the cell's middle with a slimmer face: five clear
    // columns on the right (outline and shadow included), so the panel's
    // last digit does not touch the picture's edge.
    Canvas cell(32, 32);
    DrawText(cell, 14.0f, 28.5f, std::string(1, static_cast<char>('0' + d)), s, Align::Centre);
    c.Copy(cell, 0, 0, 32, 32, 32 * d, 0);
  }
  return c;
}

namespace {

// 5 x 6 pixel digits.
const char* const kSmallDigits[10][6] = {
    {" ### ", "#   #", "#  ##", "## ##", "#   #", " ### "},
    {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", " ### "},
    {" ### ", "#   #", "   # ", "  #  ", " #   ", "#####"},
    {"#### ", "    #", " ### ", "    #", "    #", "#### "},
    {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # "},
    {"#####", "#    ", "#### ", "    #", "#   #", " ### "},
    {" ### ", "#    ", "#### ", "#   #", "#   #", " ### "},
    {"#####", "    #", "   # ", "  #  ", "  #  ", "  #  "},
    {" ### ", "#   #", " ### ", "#   #", "#   #", " ### "},
    {" ### ", "#   #", "#   #", " ####", "    #", " ### "},
};

bool SmallDigitPixel(int d, int x, int y) {
  return x >= 0 && y >= 0 && x < 5 && y < 6 && kSmallDigits[d][y][x] == '#';
}

}  // namespace

Canvas DrawScore2Sheet() {
  Canvas c(80, 11);
  const Rgb outline = RgbOf(16, 12, 32);
  for (int d = 0; d < 10; d++) {
    int ox = 8 * d;
    // Glyph at (ox + 1, 1), a one-pixel dark outline round it.
    for (int y = 0; y < 8; y++)
      for (int x = 0; x < 7; x++) {
        int gx = x - 1, gy = y - 1;
        if (SmallDigitPixel(d, gx, gy)) {
          Rgb col = Mix(RgbOf(255, 255, 255), RgbOf(255, 206, 80), gy / 5.0f);
          c.Blend(ox + x, y, col, 1);
          continue;
        }
        bool near = false;
        for (int j = -1; j <= 1; j++)
          for (int i = -1; i <= 1; i++) near = near || SmallDigitPixel(d, gx + i, gy + j);
        if (near) c.Blend(ox + x, y, outline, 1);
      }
  }
  // Sparkle dots: a plus of light, gold (first look) and aqua (second).
  const Rgb looks[2][2] = {{RgbOf(255, 255, 230), RgbOf(255, 190, 50)},
                           {RgbOf(240, 255, 255), RgbOf(90, 210, 255)}};
  for (int k = 0; k < 2; k++) {
    int ox = 3 * k, oy = 8;
    c.Blend(ox + 1, oy + 1, looks[k][0], 1);
    c.Blend(ox + 1, oy, looks[k][1], 1);
    c.Blend(ox, oy + 1, looks[k][1], 1);
    c.Blend(ox + 2, oy + 1, looks[k][1], 1);
    c.Blend(ox + 1, oy + 2, looks[k][1], 1);
  }
  return c;
}

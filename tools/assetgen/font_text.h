// Text for the pictures: a Japanese gothic font found through fontconfig and
// rendered with FreeType, drawn with fill gradient, outline, shadow and glow.
#pragma once

#include <string>

#include "canvas.h"

struct TextStyle {
  float size = 12;      // pixel size (em height)
  float bold = 0;       // outline growth of the glyphs in pixels
  Rgb top{1, 1, 1};     // fill at the top of the letters
  Rgb bottom{1, 1, 1};  // fill at the baseline
  float outline = 0;    // outline width in pixels (0 = none)
  Rgb outlineColour{0, 0, 0};
  float shadowX = 0, shadowY = 0;  // drop shadow offset (0, 0 = none)
  float shadowAlpha = 0.6f;
  Rgb shadowColour{0, 0, 0};
  int glowRadius = 0;  // soft glow around the letters (0 = none)
  Rgb glowColour{1, 1, 1};
  float glowStrength = 1.5f;
  float gloss = 0;     // white sheen over the upper half of the letters
  float tracking = 0;  // extra pixels between letters
};

enum class Align { Left, Centre, Right };

// Opens the font once; every call below uses it. Returns false with a
// message when fontconfig finds no Japanese font.
bool OpenFont(std::string* error);
void CloseFont();
// The family and file of the font in use (for the log).
std::string FontDescription();

// Advance width of the text in pixels.
float MeasureText(const std::string& utf8, const TextStyle& style);
// Draws text with its baseline at y; x is the left end, centre or right end.
void DrawText(Canvas& canvas, float x, float y, const std::string& utf8, const TextStyle& style,
              Align align = Align::Left);

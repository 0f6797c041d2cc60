// The look shared by all sheets: palette, the gem block, the steel wall
// plate, glass panels and key caps.
#pragma once

#include <string>

#include "canvas.h"
#include "font_text.h"

namespace palette {
// Blocks: aqua-blue glass gems.
inline const Rgb kBlock = RgbOf(38, 150, 236);
// Walls: cool grey steel plates.
inline const Rgb kWall = RgbOf(80, 88, 108);
// Clearing rows: white gold.
inline const Rgb kClear = RgbOf(255, 196, 72);
// Preview: fits (mint), refused (red).
inline const Rgb kFits = RgbOf(70, 232, 150);
inline const Rgb kRefused = RgbOf(240, 56, 64);
// The well behind empty cells, and its faint grid.
inline const Rgb kWell = RgbOf(10, 14, 30);
inline const Rgb kGrid = RgbOf(46, 56, 92);
// Text.
inline const Rgb kInk = RgbOf(12, 14, 28);
inline const Rgb kPaper = RgbOf(246, 248, 255);
inline const Rgb kGold = RgbOf(255, 214, 96);
}  // namespace palette

// A 16 x 16 glass gem block with bevel and gloss at (x, y). `shine` >= 0
// places a diagonal glint at x + y = shine (in pixels); `glow` brightens the
// whole gem toward white (0..1).
void DrawGem(Canvas& c, int x, int y, Rgb base, float shine = -1, float glow = 0);
// A 16 x 16 steel wall plate at (x, y).
void DrawPlate(Canvas& c, int x, int y, Rgb base);
// Dark glass panel with a thin light border and a top highlight.
void DrawGlassPanel(Canvas& c, float x0, float y0, float x1, float y1, float radius, Rgb tint,
                    float opacity, Rgb border);
// A key cap with its label, top-left at (x, y), height h; returns its width.
float DrawKeycap(Canvas& c, float x, float y, float h, const std::string& label,
                 Rgb face = RgbOf(236, 238, 246));
// The width DrawKeycap would use.
float KeycapWidth(float h, const std::string& label);
// A font style for small captions on dark panels.
TextStyle CaptionStyle(float size, Rgb colour);

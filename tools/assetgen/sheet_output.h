// Turning a drawn canvas into a sprite sheet file: 24-bit pixels, the sheet's
// transparent colour in its top-left pixel and in no visible pixel.
#pragma once

#include <string>

#include "canvas.h"
#include "render/bitmap.h"

// Pure magenta: the transparent colour of the sheets drawn with a key.
inline constexpr uint8_t kKeyR = 255, kKeyG = 0, kKeyB = 255;

// A sheet blitted with its key: pixels less than half covered become the
// key colour, the others their own colour; a visible pixel that happens to
// equal the key is moved off it by one step of green.
TBitmap KeyedSheet(const Canvas& canvas);
// A sheet drawn opaquely: everything is composited over black and the
// top-left pixel's colour becomes the key, which no other pixel keeps.
TBitmap OpaqueSheet(const Canvas& canvas);
// Writes the sheet as a 24-bit BMP; false with a message on failure.
bool SaveSheet(const std::string& path, const TBitmap& sheet, std::string* error);

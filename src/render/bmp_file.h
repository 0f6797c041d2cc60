// Writing the game's 24-bit bitmaps as BMP files (screenshots, golden pictures).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TBitmap;

// The bytes of a 24-bit bottom-up BMP (BITMAPINFOHEADER, rows padded to 4 bytes).
std::vector<uint8_t> EncodeBmp24(const TBitmap& bitmap);

// Writes EncodeBmp24(bitmap) to path. On failure returns false with a message.
bool WriteBmpFile(const std::string& path, const TBitmap& bitmap, std::string* error);

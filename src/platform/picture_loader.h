// Reading picture files into the game's 24-bit bitmaps (SDL2's BMP loader,
// used without video or audio initialisation).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TBitmap;

// Limits a picture file must stay within before it is decoded at all.
constexpr size_t kPictureFileMaxBytes = 64u << 20;        // 64 MiB on disk
constexpr int32_t kPictureMaxSide = 16384;                // pixels, either side
constexpr uint64_t kPictureMaxDecodedBytes = 256u << 20;  // width * height * 4

// Reads the BMP file at path (any colour depth SDL can read) into `into`,
// converted to 24 bits, blue-green-red. Returns true on success. Returns
// false, leaving `into` empty, when the file is missing, is not a readable
// picture, or is implausibly large (it is then counted as missing). When
// `error` is given it receives a one-line reason ("missing", or why the file
// could not be read).
bool LoadPictureFile(const char* path, TBitmap& into, std::string* error = nullptr);

// The same from bytes already in memory (the file's whole content).
bool DecodePicture(const uint8_t* data, size_t size, TBitmap& into, std::string* error = nullptr);

// Checks a BMP file header without decoding: signature, header size, width,
// height and bit depth within the limits above. Returns false with a reason.
bool CheckBmpHeader(const uint8_t* data, size_t size, std::string* error);

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

// What all the game's pictures together may take as 24-bit bitmaps
// (width * height * 3 summed). The nine sheets the game ships need 6.6 MiB
// (bg.bmp alone 4.4 MiB); this is nearly ten times that, and keeps a set of
// small files that claim huge sizes from taking gigabytes and many seconds
// at start-up.
constexpr uint64_t kPicturesTotalBudgetBytes = 64u << 20;

// The bytes of 24-bit bitmap still free for pictures; one per set of
// pictures (the game's host holds one for its nine sheets).
struct TPictureBudget {
  uint64_t bytesLeft = kPicturesTotalBudgetBytes;
};

// Reads the BMP file at path (any colour depth SDL can read) into `into`,
// converted to 24 bits, blue-green-red. Returns true on success. Returns
// false, leaving `into` empty, when the file is missing, is not a readable
// picture, is not a regular file (a named pipe or device is refused at
// once, never waited on), or is implausibly large (it is then counted as
// missing). With a budget, a picture whose 24-bit size exceeds what is left
// of it is refused before it is decoded, and a loaded one is taken off it.
// When `error` is given it receives a one-line reason ("missing", or why
// the file could not be read).
//
// While it decodes, it holds the file's bytes and SDL's decoded surface,
// then that surface and the finished bitmap, never more.
bool LoadPictureFile(const char* path, TBitmap& into, std::string* error, TPictureBudget* budget);
bool LoadPictureFile(const char* path, TBitmap& into, std::string* error = nullptr);

// The same from bytes already in memory (the file's whole content).
bool DecodePicture(const uint8_t* data, size_t size, TBitmap& into, std::string* error = nullptr,
                   TPictureBudget* budget = nullptr);

// Checks a BMP file header without decoding: signature, header size, width,
// height and bit depth within the limits above. Returns false with a reason.
bool CheckBmpHeader(const uint8_t* data, size_t size, std::string* error);

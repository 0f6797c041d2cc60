// Reading the generated asset files back for the asset tests: BMP sheets
// (parsed straight from their bytes), WAVE headers, and music files with
// their loop header, decoded through libvorbisfile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::string AssetDir();  // the build folder holding graph/ and system/
bool ReadBytes(const std::string& path, std::vector<uint8_t>* out);

struct Pixel {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct Sheet {
  int width = 0, height = 0;
  int bitsPerPixel = 0;
  bool bottomUp = false;
  std::vector<Pixel> pixels;  // row 0 at the top
  Pixel At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  Pixel Key() const { return At(0, 0); }
  // Pixels of the inclusive rectangle that equal the key colour.
  int KeyCount(int x0, int y0, int x1, int y1) const;
};

// Parses a 24-bit BITMAPINFOHEADER BMP; false with a message otherwise.
bool LoadSheet(const std::string& path, Sheet* sheet, std::string* error);

struct Wave {
  int format = 0, channels = 0, rate = 0, bits = 0;
  size_t frames = 0;
  int peak = 0;
};
bool LoadWave(const std::string& path, Wave* wave, std::string* error);

struct LoopEntry {
  float jumpTo = 0, loopAt = 0;
  int32_t repeatCount = 0;
};
struct Music {
  bool hasHeader = false;
  std::vector<LoopEntry> loops;  // the non-zero entries of the header
  int channels = 0;
  long rate = 0;
  double seconds = 0;
  int peak = 0;
};
// Opens the file as the game does (the stream starts after a loop header)
// and decodes it completely as 16-bit samples.
bool LoadMusic(const std::string& path, Music* music, std::string* error);
// Decodes `seconds` of 16-bit stereo starting at time `from`.
bool DecodeMusicAt(const std::string& path, double from, double seconds,
                   std::vector<int16_t>* samples, std::string* error);

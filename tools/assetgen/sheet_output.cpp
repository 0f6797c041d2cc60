#include "sheet_output.h"

#include <cmath>

#include "render/bmp_file.h"

namespace {

uint8_t Byte(float v) {
  return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f));
}

// Every pixel but (0, 0) that equals (0, 0) is nudged one step.
void ReserveKey(TBitmap& sheet) {
  const uint8_t* k = sheet.Row(0);
  uint8_t kb = k[0], kg = k[1], kr = k[2];
  for (int y = 0; y < sheet.Height(); y++) {
    uint8_t* row = sheet.Row(y);
    for (int x = (y == 0 ? 1 : 0); x < sheet.Width(); x++) {
      uint8_t* p = row + 3 * x;
      if (p[0] == kb && p[1] == kg && p[2] == kr) p[1] = kg < 255 ? kg + 1 : kg - 1;
    }
  }
}

}  // namespace

TBitmap KeyedSheet(const Canvas& canvas) {
  TBitmap sheet;
  sheet.SetSize(canvas.Width(), canvas.Height());
  for (int y = 0; y < canvas.Height(); y++) {
    uint8_t* row = sheet.Row(y);
    for (int x = 0; x < canvas.Width(); x++) {
      const Rgba& c = canvas.At(x, y);
      uint8_t* p = row + 3 * x;
      bool visible = c.a >= 0.5f && !(x == 0 && y == 0);
      if (visible) {
        p[0] = Byte(c.b);
        p[1] = Byte(c.g);
        p[2] = Byte(c.r);
        if (p[0] == kKeyB && p[1] == kKeyG && p[2] == kKeyR) p[1] = kKeyG + 1;
      } else {
        p[0] = kKeyB;
        p[1] = kKeyG;
        p[2] = kKeyR;
      }
    }
  }
  return sheet;
}

TBitmap OpaqueSheet(const Canvas& canvas) {
  TBitmap sheet;
  sheet.SetSize(canvas.Width(), canvas.Height());
  for (int y = 0; y < canvas.Height(); y++) {
    uint8_t* row = sheet.Row(y);
    for (int x = 0; x < canvas.Width(); x++) {
      const Rgba& c = canvas.At(x, y);
      float a = Clamp01(c.a);
      row[3 * x] = Byte(c.b * a);
      row[3 * x + 1] = Byte(c.g * a);
      row[3 * x + 2] = Byte(c.r * a);
    }
  }
  ReserveKey(sheet);
  return sheet;
}

bool SaveSheet(const std::string& path, const TBitmap& sheet, std::string* error) {
  return WriteBmpFile(path, sheet, error);
}

// The effect particles: each drifts sideways, bobs up and down on a sine
// curve and fades out, 37 drawn frames from spawn to free.
#include <algorithm>
#include <cmath>

#include "app/main.h"
#include "render/blit.h"
#include "render/sheet_regions.h"

namespace {
constexpr int32_t kAgeStep = 5;
constexpr int32_t kLastAge = 340;
// From this level on the particles are bursts instead of dots.
constexpr int32_t kBurstLevel = 99;
}  // namespace

void TMainForm::DrawEffects() {
  // Switched off, the particles freeze where they are.
  if (!showEffects) return;
  for (TEffect& e : effects) {
    if (e.kind <= 0) continue;
    e.x += e.dx;
    e.age += kAgeStep;
    e.t += kAgeStep;
    // Nearest integer, halves to even.
    const int32_t y = e.y + static_cast<int32_t>(std::nearbyint(std::sin(e.age / 50.0) * 100.0));
    const TBitmap* sheetBmp = nullptr;
    TRect part{};
    if (e.kind == 1) {
      if (level >= kBurstLevel) {
        sheetBmp = &bomBmp;
        part = sheet::Burst(1, std::min(7, e.age / 100));
      } else {
        sheetBmp = &score2Bmp;
        part = sheet::kDot1;
      }
    } else if (e.kind == 2) {
      if (level >= kBurstLevel) {
        sheetBmp = &bomBmp;
        part = sheet::Burst(2, std::min(7, e.age / 35));
      } else {
        sheetBmp = &score2Bmp;
        part = sheet::kDot2;
      }
    }
    // Only looks 1 and 2 exist; any other kind moves and ages unseen.
    if (sheetBmp != nullptr) {
      BlitKeyedBlend(e.x, y, part, screenBmp, *sheetBmp, static_cast<uint16_t>(e.t));
    }
    if (e.age > kLastAge) e.kind = 0;
  }
}

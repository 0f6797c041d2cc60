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
    // Two looks: dots, or from level 99 bursts whose frame follows the age
    // (look 1 slowly, look 2 fast). Any other kind moves and ages unseen.
    if (e.kind == 1 || e.kind == 2) {
      const bool bursts = level >= kBurstLevel;
      const int32_t frameAge = e.kind == 1 ? 100 : 35;
      const TRect part = bursts        ? sheet::Burst(e.kind, std::min(7, e.age / frameAge))
                         : e.kind == 1 ? sheet::kDot1
                                       : sheet::kDot2;
      BlitKeyedBlend(e.x, y, part, screenBmp, bursts ? bomBmp : score2Bmp,
                     static_cast<uint16_t>(e.t));
    }
    if (e.age > kLastAge) e.kind = 0;
  }
}

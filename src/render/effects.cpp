// The effect particles: each drifts sideways, bobs up and down on a sine
// curve and fades out, 37 drawn frames from spawn to free.
#include <algorithm>
#include <array>
#include <cmath>

#include "app/main.h"
#include "render/blit.h"
#include "render/sheet_regions.h"

namespace {
constexpr int32_t kAgeStep = 5;
constexpr int32_t kLastAge = 340;
// From this level on the particles are bursts instead of dots.
constexpr int32_t kBurstLevel = 99;

// The bob at a given age: sin(age / 50) * 100 to the nearest integer, halves
// to even. Ages from spawn to free are worked out once; any other age is
// computed when it comes up.
int32_t BobAt(int32_t age) {
  auto bob = [](int32_t a) {
    return static_cast<int32_t>(std::nearbyint(std::sin(a / 50.0) * 100.0));
  };
  constexpr int32_t kTableAges = 512;
  static const std::array<int32_t, kTableAges> table = [&] {
    std::array<int32_t, kTableAges> t{};
    for (int32_t a = 0; a < kTableAges; a++) t[a] = bob(a);
    return t;
  }();
  return age >= 0 && age < kTableAges ? table[age] : bob(age);
}
}  // namespace

void TMainForm::DrawEffects() {
  // Switched off, the particles freeze where they are.
  if (!showEffects) return;
  for (TEffect& e : effects) {
    if (e.kind <= 0) continue;
    e.x += e.dx;
    e.age += kAgeStep;
    e.t += kAgeStep;
    const int32_t y = e.y + BobAt(e.age);
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

// The two random number generators of the game.
//
// The system generator is a 32-bit linear congruential generator; it seeds the
// game generator once at program start and then serves only the automatic
// player. The game generator is MT19937; every rule and every bit of jitter
// on screen draws from it through RandomBelow.
#include <cmath>

#include "app/main.h"
#include "game/dealt_start.h"

namespace {
constexpr uint32_t kLcgMultiplier = 134775813u;
constexpr double kTwoPow32 = 4294967296.0;
}  // namespace

TSeededGenerators SeededGenerators(uint32_t seed) {
  TSeededGenerators g;
  g.lcgState = seed;
  g.mt.InitGenrand(static_cast<uint32_t>(LcgStep(&g.lcgState, 999999)));
  g.lcgDraws = 1;
  g.mtDraws = 0;
  return g;
}

void TMainForm::SeedRandom(uint32_t timeOfDayMs) {
  const TSeededGenerators g = SeededGenerators(timeOfDayMs);
  mt = g.mt;
  mtDraws = g.mtDraws;
  lcgState = g.lcgState;
  lcgDraws = g.lcgDraws;
}

void TMainForm::SeedMt(uint32_t seed) {
  mt.InitGenrand(seed);
  mtDraws = 0;
}

void TMainForm::SeedLcg(uint32_t seed) {
  lcgState = seed;
  lcgDraws = 0;
}

// 0..n-1 from one MT19937 output, scaled onto n-1 and rounded to nearest
// (ties to even). Both end values therefore come up half as often as each
// inner value. One output is consumed on every call, also for n <= 1.
int32_t TMainForm::RandomBelow(int32_t n) {
  int32_t m = n - 1;
  if (m < 0) m = 0;
  const uint32_t k = mt.GenrandInt32();
  mtDraws++;
  const double r = static_cast<double>(k) / kTwoPow32;
  return static_cast<int32_t>(std::nearbyint(r * static_cast<double>(m)));
}

// 0..n-1: the high 32 bits of state * n after one step of the generator.
// The generator steps on every call. For n <= 0 (the game never asks for
// that) the result is 0 rather than the out-of-range value an unsigned
// reading of n would give.
int32_t LcgStep(uint32_t* state, int32_t n) {
  *state = *state * kLcgMultiplier + 1u;
  if (n <= 0) return 0;
  const uint64_t product = static_cast<uint64_t>(*state) * static_cast<uint32_t>(n);
  return static_cast<int32_t>(product >> 32);
}

int32_t TMainForm::LcgRandom(int32_t n) {
  lcgDraws++;
  return LcgStep(&lcgState, n);
}

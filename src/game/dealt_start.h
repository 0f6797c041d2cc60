// The generators as TMainForm::SeedRandom leaves them, without a TMainForm:
// what a board that deals a game's start compares a replay's start with.
#pragma once

#include <cstdint>

#include "game/mt19937ar.h"

struct TSeededGenerators {
  TMt19937 mt;
  uint32_t lcgState = 0;
  uint64_t mtDraws = 0;
  uint64_t lcgDraws = 0;
};

// The LCG seeded with seed, one step of it (0..999998) seeding MT19937.
TSeededGenerators SeededGenerators(uint32_t seed);

// One step of the system LCG: the new state in *state, and 0..n-1 from it
// (0 for n <= 0).
int32_t LcgStep(uint32_t* state, int32_t n);

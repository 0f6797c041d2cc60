// Deterministic randomness for the generator: a seeded sequence and
// position-hashed value noise. Same seed, same numbers, on every build.
#pragma once

#include <cstdint>

// SplitMix64 sequence.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next();
  // Uniform in [0, 1).
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  // Uniform integer in [0, n), n >= 1.
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
  // Uniform in [lo, hi).
  double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }
  bool Chance(double p) { return Unit() < p; }

 private:
  uint64_t state_;
};

uint32_t Hash32(int32_t x, int32_t y, uint32_t seed);
// Hash of a lattice point as a float in [0, 1).
float HashUnit(int32_t x, int32_t y, uint32_t seed);
// Smooth value noise in [0, 1), one lattice cell per unit.
float ValueNoise(float x, float y, uint32_t seed);
// Sum of `octaves` value-noise layers, each twice the frequency and half the
// weight of the last; result in [0, 1).
float Fbm(float x, float y, int octaves, uint32_t seed);

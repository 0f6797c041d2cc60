// MT19937: the 32-bit Mersenne Twister of Matsumoto and Nishimura (1998),
// with its standard initialisation and tempering. Plain state, no allocation.
#pragma once

#include <cstdint>

class TMt19937 {
 public:
  static constexpr int kN = 624;

  // Seeds from one 32-bit value (init_genrand).
  void InitGenrand(uint32_t seed);

  // Seeds from an array of keys (init_by_array). key must hold length values.
  void InitByArray(const uint32_t* key, int length);

  // The next 32-bit output. Before any seeding the generator seeds itself
  // with 5489, as the reference code does.
  uint32_t GenrandInt32();

  // The whole state, to save a game and put it back exactly: the kN words and
  // the position of the next output (0..kN; kN + 1 before any seeding).
  const uint32_t* Words() const { return mt_; }
  int Position() const { return mti_; }
  // Replaces the state; false (and nothing changed) when position is not
  // within 0..kN + 1.
  bool SetState(const uint32_t words[kN], int position);

 private:
  uint32_t mt_[kN] = {};
  int mti_ = kN + 1;  // kN + 1: not initialised yet
};

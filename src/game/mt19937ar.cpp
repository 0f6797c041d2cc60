#include "game/mt19937ar.h"

namespace {
constexpr int kM = 397;
constexpr uint32_t kMatrixA = 0x9908b0dfu;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7fffffffu;
}  // namespace

void TMt19937::InitGenrand(uint32_t seed) {
  mt_[0] = seed;
  for (mti_ = 1; mti_ < kN; mti_++) {
    mt_[mti_] = 1812433253u * (mt_[mti_ - 1] ^ (mt_[mti_ - 1] >> 30)) + static_cast<uint32_t>(mti_);
  }
}

void TMt19937::InitByArray(const uint32_t* key, int length) {
  InitGenrand(19650218u);
  int i = 1;
  int j = 0;
  for (int k = (kN > length ? kN : length); k > 0; k--) {
    mt_[i] = (mt_[i] ^ ((mt_[i - 1] ^ (mt_[i - 1] >> 30)) * 1664525u)) + key[j] +
             static_cast<uint32_t>(j);
    i++;
    j++;
    if (i >= kN) {
      mt_[0] = mt_[kN - 1];
      i = 1;
    }
    if (j >= length) j = 0;
  }
  for (int k = kN - 1; k > 0; k--) {
    mt_[i] =
        (mt_[i] ^ ((mt_[i - 1] ^ (mt_[i - 1] >> 30)) * 1566083941u)) - static_cast<uint32_t>(i);
    i++;
    if (i >= kN) {
      mt_[0] = mt_[kN - 1];
      i = 1;
    }
  }
  mt_[0] = 0x80000000u;
}

uint32_t TMt19937::GenrandInt32() {
  static constexpr uint32_t kMag01[2] = {0u, kMatrixA};
  uint32_t y;
  if (mti_ >= kN) {
    if (mti_ == kN + 1) InitGenrand(5489u);
    int kk = 0;
    for (; kk < kN - kM; kk++) {
      y = (mt_[kk] & kUpperMask) | (mt_[kk + 1] & kLowerMask);
      mt_[kk] = mt_[kk + kM] ^ (y >> 1) ^ kMag01[y & 1u];
    }
    for (; kk < kN - 1; kk++) {
      y = (mt_[kk] & kUpperMask) | (mt_[kk + 1] & kLowerMask);
      mt_[kk] = mt_[kk + (kM - kN)] ^ (y >> 1) ^ kMag01[y & 1u];
    }
    y = (mt_[kN - 1] & kUpperMask) | (mt_[0] & kLowerMask);
    mt_[kN - 1] = mt_[kM - 1] ^ (y >> 1) ^ kMag01[y & 1u];
    mti_ = 0;
  }
  y = mt_[mti_++];
  y ^= (y >> 11);
  y ^= (y << 7) & 0x9d2c5680u;
  y ^= (y << 15) & 0xefc60000u;
  y ^= (y >> 18);
  return y;
}

bool TMt19937::SetState(const uint32_t words[kN], int position) {
  if (position < 0 || position > kN + 1) return false;
  for (int i = 0; i < kN; i++) mt_[i] = words[i];
  mti_ = position;
  return true;
}

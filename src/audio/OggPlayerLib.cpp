// The music mixer.
#include "audio/OggPlayerLib.h"

#include <cstring>

#include "audio/OggDataLib.h"

TOggPlayer::TOggPlayer(int32_t stagingSize, int32_t slotCount)
    : slotCount_(slotCount < 0           ? 0
                 : slotCount > kMaxSlots ? kMaxSlots
                                         : slotCount),
      halfSize_((stagingSize / 2) & ~3),
      staging_(new int16_t[size_t(halfSize_)]()) {}

void TOggPlayer::SetSlot(int32_t i, TOggData* decoder) {
  if (i < 0 || i >= slotCount_) return;
  std::lock_guard<std::mutex> g(mixLock_);
  if (decoder) {
    for (int32_t j = 0; j < slotCount_; j++) {
      if (j != i && slots_[j] == decoder) slots_[j] = nullptr;
    }
  }
  slots_[i] = decoder;
}

TOggData* TOggPlayer::Slot(int32_t i) const {
  return i >= 0 && i < slotCount_ ? slots_[i] : nullptr;
}

void TOggPlayer::StopSlot(int32_t i) {
  if (TOggData* d = Slot(i)) d->Stop();
}

void TOggPlayer::PlaySlot(int32_t i, bool loop) {
  if (TOggData* d = Slot(i)) d->Play(loop);
}

void TOggPlayer::SetSlotVolume(int32_t i, double v) {
  if (TOggData* d = Slot(i)) d->SetVolume(v);
}

void TOggPlayer::FadeSlot(int32_t i, double target, double seconds) {
  if (TOggData* d = Slot(i)) d->Fade(target, seconds);
}

const int16_t* TOggPlayer::MixNextHalf() {
  stagingHalf_ = stagingHalf_ == 0 ? halfSize_ : 0;
  int16_t* out = staging_.get() + stagingHalf_ / 2;
  const int32_t samples = halfSize_ / 2;

  std::lock_guard<std::mutex> g(mixLock_);
  mixing_.store(true, std::memory_order_release);
  TOggData* kept[kMaxSlots];
  int32_t keptCount = 0;
  for (int32_t i = 0; i < slotCount_; i++) {
    TOggData* d = slots_[i];
    if (!d || d->HalfSize() != halfSize_) continue;
    if (d->DecodeNextHalf() > 0) kept[keptCount++] = d;
  }
  // Each kept decoder's half is read under its lock (Stop may clear it).
  for (int32_t k = 0; k < keptCount; k++) kept[k]->Lock().lock();
  if (keptCount == 0) {
    std::memset(out, 0, size_t(halfSize_));
  } else {
    const int16_t* in[kMaxSlots];
    for (int32_t k = 0; k < keptCount; k++) in[k] = kept[k]->LastHalf();
    for (int32_t s = 0; s < samples; s++) {
      int32_t sum = 0;
      for (int32_t k = 0; k < keptCount; k++) sum += in[k][s];
      out[s] = int16_t(sum < -32767 ? -32767 : sum > 32767 ? 32767 : sum);
    }
  }
  for (int32_t k = keptCount - 1; k >= 0; k--) kept[k]->Lock().unlock();
  mixing_.store(false, std::memory_order_release);
  return out;
}

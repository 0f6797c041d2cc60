// TOggPlayer: the music mixer. Up to four decoder slots; every half buffer it
// lets each slot's decoder decode its next half and adds them up with
// saturation. The game uses slots 0 (decoder A) and 1 (decoder B).
//
// SetSlot and the slot controls run on the game's thread, MixNextHalf on the
// refill thread. A slot's decoder is never exchanged during a mix.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class TOggData;

class TOggPlayer {
 public:
  static constexpr int32_t kMaxSlots = 4;

  // stagingSize: bytes of the two staging halves together (163,840).
  TOggPlayer(int32_t stagingSize, int32_t slotCount);
  TOggPlayer(const TOggPlayer&) = delete;
  TOggPlayer& operator=(const TOggPlayer&) = delete;

  // Waits until no mix is running, takes the decoder out of every other slot
  // that holds it, then puts it into slot i (nullptr empties the slot).
  void SetSlot(int32_t i, TOggData* decoder);
  TOggData* Slot(int32_t i) const;

  // Forwarded to the decoder in slot i; nothing when the slot is empty.
  void StopSlot(int32_t i);
  void PlaySlot(int32_t i, bool loop);
  void SetSlotVolume(int32_t i, double v);
  void FadeSlot(int32_t i, double target, double seconds);

  // Mixes the next half (81,920 bytes: 20,480 stereo frames) and returns it.
  const int16_t* MixNextHalf();
  int32_t HalfSize() const { return halfSize_; }
  bool Mixing() const { return mixing_.load(std::memory_order_acquire); }

 private:
  int32_t slotCount_;
  int32_t halfSize_;
  TOggData* slots_[kMaxSlots] = {};
  std::unique_ptr<int16_t[]> staging_;
  int32_t stagingHalf_ = 0;  // byte offset of the half mixed last
  std::atomic<bool> mixing_{false};
  // Held for the whole mix; SetSlot takes it too, so it waits for a running
  // mix and a mix never starts in the middle of a slot change.
  std::mutex mixLock_;
};

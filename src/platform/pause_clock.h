// The clock the game sees while it can be paused: the real millisecond
// clock less every paused stretch, so a pause counts for nothing in the
// game's timers and frame-rate statistics and no frame catches up after it.
#pragma once

#include <cstdint>

class TPauseClock {
 public:
  bool Paused() const { return paused_; }
  // The game's time for the real time `realMs`; stands still while paused.
  uint32_t GameTime(uint32_t realMs) const;
  // Starts or ends a pause at real time `realMs` (nothing when already so).
  void Pause(uint32_t realMs);
  void Resume(uint32_t realMs);

 private:
  bool paused_ = false;
  uint32_t pausedTotal_ = 0;  // wraps with the clock
  uint32_t pausedAt_ = 0;
};

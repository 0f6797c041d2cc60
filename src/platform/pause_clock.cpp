#include "platform/pause_clock.h"

uint32_t TPauseClock::GameTime(uint32_t realMs) const {
  return (paused_ ? pausedAt_ : realMs) - pausedTotal_;
}

void TPauseClock::Pause(uint32_t realMs) {
  if (paused_) return;
  paused_ = true;
  pausedAt_ = realMs;
}

void TPauseClock::Resume(uint32_t realMs) {
  if (!paused_) return;
  paused_ = false;
  pausedTotal_ += realMs - pausedAt_;
}

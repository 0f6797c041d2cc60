#include "platform/volume_keys.h"

bool TVolumeKeys::Key(uint16_t vk, uint32_t nowMs) {
  int32_t* volume = nullptr;
  int32_t step = 0;
  switch (vk) {
    case 189:  // '-'
      volume = &music_;
      step = -kStep;
      break;
    case 187:  // '='
      volume = &music_;
      step = kStep;
      break;
    case 219:  // '['
      volume = &effects_;
      step = -kStep;
      break;
    case 221:  // ']'
      volume = &effects_;
      step = kStep;
      break;
    default:
      return false;
  }
  *volume += step;
  if (*volume < 0) *volume = 0;
  if (*volume > 100) *volume = 100;
  shown_ = volume == &music_ ? 1 : 2;
  shownAt_ = nowMs;
  return true;
}

uint32_t TVolumeKeys::MsToHide(uint32_t nowMs) const {
  if (Shown(nowMs) == 0) return kNotShown;
  return kShowMs - (nowMs - shownAt_);
}

int TVolumeKeys::Shown(uint32_t nowMs) const {
  if (shown_ == 0 || nowMs - shownAt_ >= kShowMs) return 0;
  return shown_;
}

void TVolumeKeys::Set(int32_t musicPercent, int32_t effectsPercent) {
  auto clamp = [](int32_t v) { return v < 0 ? 0 : v > 100 ? 100 : v; };
  music_ = clamp(musicPercent);
  effects_ = clamp(effectsPercent);
}

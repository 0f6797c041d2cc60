// The volume keys and the overlay that shows a change for a second.
#pragma once

#include <cstdint>

// The music and effects volume keys: '-' and '=' for the music, '[' and ']'
// for the effects, 10 % a step between 0 and 100 %. The settings keep them.
class TVolumeKeys {
 public:
  static constexpr int32_t kStep = 10;
  static constexpr uint32_t kShowMs = 1000;  // how long the overlay stays

  // Applies a volume key pressed at `nowMs`; false (nothing changed) for
  // any other key. vk: the virtual-key code.
  bool Key(uint16_t vk, uint32_t nowMs);
  // Both volumes as the settings or the options give them (0..100).
  void Set(int32_t musicPercent, int32_t effectsPercent);
  int32_t MusicPercent() const { return music_; }
  int32_t EffectsPercent() const { return effects_; }
  // Which volume the overlay shows at `nowMs`: 0 none, 1 music, 2 effects.
  int Shown(uint32_t nowMs) const;
  // How long after `nowMs` the overlay goes; kNotShown when none shows.
  static constexpr uint32_t kNotShown = 0xffffffffu;
  uint32_t MsToHide(uint32_t nowMs) const;

 private:
  int32_t music_ = 100;
  int32_t effects_ = 100;
  int shown_ = 0;
  uint32_t shownAt_ = 0;
};

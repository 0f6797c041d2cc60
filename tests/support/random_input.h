// Random play: one input (or none) between two frames and a jittering clock
// step, as the soak test plays and the replay tests record. Reads the scene
// to choose (title keys on the title, 7 or 8 to leave a game over) but
// changes nothing itself. Allocates nothing.
#pragma once

#include <cstdint>
#include <random>

#include "app/main.h"
#include "replay/replay_format.h"

class TRandomInput {
 public:
  explicit TRandomInput(uint32_t seed) { rng.seed(seed); }

  uint32_t Below(uint32_t n) { return rng() % n; }

  // The next input between two frames; false when none comes. Escape never
  // comes (it would close the window).
  bool Next(const TMainForm& form, TReplayInput* in) {
    *in = TReplayInput();
    const uint32_t roll = Below(1000);
    if (roll < 500) return false;  // most frames pass without input
    if (form.scene == kSceneTitle && roll < 540) return Key(kTitleKeys[Below(4)], in);
    if (roll < 820) return Key(kPlayKeys[Below(sizeof kPlayKeys / sizeof kPlayKeys[0])], in);
    if (roll < 930) {
      // Pointer: over the board most of the time, else anywhere and beyond.
      // y is drawn before x, as the soak always has.
      in->kind = TReplayInput::kMove;
      if (Below(4) != 0) {
        in->y = int32_t(32 + Below(416));
        in->x = int32_t(32 + Below(256));
      } else {
        in->y = int32_t(Below(600)) - 60;
        in->x = int32_t(Below(760)) - 60;
      }
      return true;
    }
    if (roll < 975) {
      in->kind = TReplayInput::kClick;
      in->button = uint8_t(Below(3));
      const uint32_t where = Below(4);
      int32_t x = int32_t(Below(640));
      int32_t y = int32_t(Below(480));
      if (where == 0) y = int32_t(Below(20));        // top bar
      if (where == 1) y = 451 + int32_t(Below(29));  // gauge strip
      if (where == 2 && Below(8) != 0) x = 250;      // avoid restart/title most times
      if (where == 0 && x < 208 && Below(16) != 0) x = 300;
      in->x = x;
      in->y = y;
      return true;
    }
    if (roll < 990) {
      // Leave a game now and then: restart or back to the title. In game
      // over these are the way on.
      const bool over = form.scene == kSceneGameOver;
      if (over || Below(30) == 0) return Key(Below(2) == 0 ? '7' : '8', in);
      return false;
    }
    if (roll < 994) {
      Key(kKeyReturn, in);  // Alt+Return: full screen
      in->alt = 1;
      return true;
    }
    if (roll < 997) return Key(Below(2) == 0 ? '1' : '2', in);  // background, effects
    const uint16_t key = uint16_t(Below(256));
    return Key(key == kKeyEscape ? 'X' : key, in);  // any other key
  }

  // The clock's step to the next idle call: a frame's worth and some jitter,
  // now and then too little.
  uint32_t ClockStep() { return Below(20) == 0 ? 7u : 16u + (Below(4) == 0 ? Below(20) : 0u); }

  std::mt19937 rng;

 private:
  static bool Key(uint16_t key, TReplayInput* in) {
    in->kind = TReplayInput::kKey;
    in->key = key;
    return true;
  }

  // Virtual-key codes the game reads, and a few it does not.
  static constexpr uint16_t kTitleKeys[] = {'3', '4', '5', '6'};
  static constexpr uint16_t kPlayKeys[] = {
      'W', 'A', 'S', 'D', 'V', 'B', 'G', 'V',  'V', 'B',  // side 1
      'U', 'H', 'J', 'K', 37,  39,  38,  37,   37,  40,   // side 2
      13,  32,  'Q', 'Z', 112, 0,   255, 65535};
  static constexpr uint16_t kKeyEscape = 27;
  static constexpr uint16_t kKeyReturn = 13;
};

// The additional controls (gamepads, the title's arrow keys and Return, the
// keypad digits, pause and volume keys) translated into the inputs the game
// already knows: virtual-key codes, pointer moves and clicks on the frame.
// Plain code without SDL so the translation and its timing can be tested on
// their own; the host feeds it SDL's events and delivers what comes out.
#pragma once

#include <cstdint>

// What the translation reads of the game: the scene, the mode and the
// title's highlighted row. Never written.
struct TGameView {
  int32_t scene = 0;
  int32_t versusMode = 0;
  int32_t menuChoice = 0;
};

// One input for the game or the host.
struct TGameInput {
  enum Kind : uint8_t {
    kKey,          // FormKeyDown(vk, no Alt)
    kPointerMove,  // FormMouseMove(x, y) in frame pixels
    kClick,        // FormMouseDown(left button, x, y)
    kPause,        // the host's pause switch
  };
  Kind kind = kKey;
  uint16_t vk = 0;
  int32_t x = 0;
  int32_t y = 0;
};

// ---- the title menu ----

// The title's four rows lie at 196..308 in 28-pixel hover rows; a pointer at
// TitleRowPoint(row) highlights `row` (1..4) by the title's own hover rule.
void TitleRowPoint(int32_t row, int32_t* x, int32_t* y);
// The row highlighted after one step down (+1) or up (-1) from `current`
// (0 = none): down from none is the first row, up from none the last, and the
// ends wrap round.
int32_t TitleRowAfterStep(int32_t current, int32_t step);
// The pointer move for one step on the title.
TGameInput TitleStep(const TGameView& view, int32_t step);
// Choosing on the title: the click on the highlighted row; with none
// highlighted, the first row. Writes one or two inputs (the move to the
// row when needed, then the click); returns how many.
int TitleChoose(const TGameView& view, TGameInput out[2]);

// ---- the keyboard ----

// True in the scenes where the game can be paused: play (200) and its two
// one-shot requests (210, 220).
bool PauseAllowed(int32_t scene);

// What a key the game would receive (already a virtual-key code, without
// Alt) becomes. Writes up to two inputs and returns how many; the key as it
// is when nothing applies. Keypad digits (96..105) become the digits; on the
// title the up and down arrows step the highlight and Return chooses; P and
// the Pause key pause in the play scenes (and nothing elsewhere).
int TranslateKey(uint16_t vk, const TGameView& view, TGameInput out[2]);

// ---- gamepads ----

enum class TPadButton : uint8_t {
  kA,
  kB,
  kX,
  kY,
  kBack,
  kStart,
  kUp,
  kDown,
  kLeft,
  kRight,
  kCount
};

// Gamepads 0 (side 1's keys) and 1 (side 2's keys in versus; in the single
// player game both play). Directions repeat like a held key while held.
class TPadTranslator {
 public:
  static constexpr int kPads = 2;
  // The cursor's repeat: the first repeat after this long held ...
  static constexpr uint32_t kRepeatDelayMs = 400;
  // ... then one step every this long (25 a second).
  static constexpr uint32_t kRepeatIntervalMs = 40;
  // The left stick counts as a direction beyond kStickOn and lets go below
  // kStickOff (of 32767).
  static constexpr int32_t kStickOn = 16000;
  static constexpr int32_t kStickOff = 12000;
  static constexpr int kMaxInputs = 8;

  // A button of pad `pad` pressed or let go at `now` (milliseconds). Writes
  // the inputs that follow into out (at most kMaxInputs); returns how many.
  int Button(int pad, TPadButton button, bool down, uint32_t now, const TGameView& view,
             TGameInput* out);
  // The left stick's axis (0 = x, 1 = y, SDL's range, down and right
  // positive) moved; acts as the D-pad's directions.
  int Stick(int pad, int axis, int32_t value, uint32_t now, const TGameView& view, TGameInput* out);
  // The repeats due by `now` for the held directions.
  int Repeat(uint32_t now, const TGameView& view, TGameInput* out);
  // How long after `now` Repeat has a step to give: 0 when one is due,
  // kNoRepeat while no direction is held (or out of play).
  static constexpr uint32_t kNoRepeat = 0xffffffffu;
  uint32_t MsToRepeat(uint32_t now, const TGameView& view) const;
  // The pad is gone: everything it held is let go.
  void Release(int pad);

 private:
  enum { kDirUp, kDirDown, kDirLeft, kDirRight, kDirs };
  struct TDirection {
    bool pad = false;    // held on the D-pad
    bool stick = false;  // held on the stick
    uint32_t nextRepeat = 0;
  };
  int Direction(int pad, int dir, bool pressed, bool byStick, uint32_t now, const TGameView& view,
                TGameInput* out);
  int DirectionInput(int pad, int dir, const TGameView& view, TGameInput* out) const;

  TDirection held_[kPads][kDirs] = {};
};

#include "platform/input_translation.h"

#include "app/main.h"

namespace {

constexpr int32_t kTitle = kSceneTitle;
constexpr int32_t kGameOver = kSceneGameOver;
// Keys of the game, as its key handler knows them.
constexpr uint16_t kVkReturn = 13;
constexpr uint16_t kVkPause = 19;
constexpr uint16_t kVkUp = 38;
constexpr uint16_t kVkDown = 40;
constexpr uint16_t kVkP = 'P';
constexpr uint16_t kVkNumpad0 = 96;
constexpr uint16_t kVkNumpad9 = 105;
constexpr uint16_t kKeyRestart = '7';
constexpr uint16_t kKeyTitle = '8';

constexpr int32_t kMenuTop = 196;
constexpr int32_t kMenuRowHeight = 28;
constexpr int32_t kMenuRows = 4;
constexpr int32_t kMenuPointerX = 320;

// One side's play keys: up, left, down, right, place, invert, rise.
struct TSideKeys {
  uint16_t dir[4];  // in TPadTranslator's order: up, down, left, right
  uint16_t place, invert, rise;
};
constexpr TSideKeys kSideKeys[2] = {
    {{'W', 'S', 'A', 'D'}, 'V', 'B', 'G'},
    {{'U', 'J', 'H', 'K'}, 37, 39, 38},
};

bool InPlay(int32_t scene) {
  return scene == kScenePlay || scene == kSceneRequestPlace || scene == kSceneRequestInvert;
}

TGameInput Key(uint16_t vk) {
  TGameInput in;
  in.kind = TGameInput::kKey;
  in.vk = vk;
  return in;
}

// Side 2's keys for the second pad in versus; side 1's otherwise.
const TSideKeys& KeysOf(int pad, const TGameView& view) {
  return kSideKeys[view.versusMode == 1 && pad == 1 ? 1 : 0];
}

}  // namespace

void TitleRowPoint(int32_t row, int32_t* x, int32_t* y) {
  *x = kMenuPointerX;
  // The middle of the row, clear of the edges two rows share.
  *y = kMenuTop + kMenuRowHeight * (row - 1) + kMenuRowHeight / 2;
}

int32_t TitleRowAfterStep(int32_t current, int32_t step) {
  if (current < 1 || current > kMenuRows) return step > 0 ? 1 : kMenuRows;
  int32_t row = current + step;
  if (row < 1) row = kMenuRows;
  if (row > kMenuRows) row = 1;
  return row;
}

TGameInput TitleStep(const TGameView& view, int32_t step) {
  TGameInput in;
  in.kind = TGameInput::kPointerMove;
  TitleRowPoint(TitleRowAfterStep(view.menuChoice, step), &in.x, &in.y);
  return in;
}

int TitleChoose(const TGameView& view, TGameInput out[2]) {
  int n = 0;
  int32_t row = view.menuChoice;
  if (row < 1 || row > kMenuRows) {
    row = 1;
    out[n].kind = TGameInput::kPointerMove;
    TitleRowPoint(row, &out[n].x, &out[n].y);
    n++;
  }
  out[n].kind = TGameInput::kClick;
  TitleRowPoint(row, &out[n].x, &out[n].y);
  return n + 1;
}

bool PauseAllowed(int32_t scene) {
  return InPlay(scene);
}

int TranslateKey(uint16_t vk, const TGameView& view, TGameInput out[2]) {
  if (vk >= kVkNumpad0 && vk <= kVkNumpad9) vk = static_cast<uint16_t>('0' + (vk - kVkNumpad0));
  if (vk == kVkP || vk == kVkPause) {
    if (!PauseAllowed(view.scene)) return 0;
    out[0].kind = TGameInput::kPause;
    return 1;
  }
  if (view.scene == kTitle) {
    if (vk == kVkUp || vk == kVkDown) {
      out[0] = TitleStep(view, vk == kVkUp ? -1 : 1);
      return 1;
    }
    if (vk == kVkReturn) return TitleChoose(view, out);
  }
  out[0] = Key(vk);
  return 1;
}

// ---------------------------------------------------------------------------
// Gamepads
// ---------------------------------------------------------------------------

int TPadTranslator::DirectionInput(int pad, int dir, const TGameView& view, TGameInput* out) const {
  if (view.scene == kTitle) {
    if (dir != kDirUp && dir != kDirDown) return 0;
    out[0] = TitleStep(view, dir == kDirUp ? -1 : 1);
    return 1;
  }
  if (!InPlay(view.scene)) return 0;
  out[0] = Key(KeysOf(pad, view).dir[dir]);
  return 1;
}

int TPadTranslator::Direction(int pad, int dir, bool pressed, bool byStick, uint32_t now,
                              const TGameView& view, TGameInput* out) {
  TDirection& d = held_[pad][dir];
  const bool wasHeld = d.pad || d.stick;
  (byStick ? d.stick : d.pad) = pressed;
  if (wasHeld || !pressed) return 0;
  d.nextRepeat = now + kRepeatDelayMs;
  return DirectionInput(pad, dir, view, out);
}

int TPadTranslator::Button(int pad, TPadButton button, bool down, uint32_t now,
                           const TGameView& view, TGameInput* out) {
  if (pad < 0 || pad >= kPads) return 0;
  switch (button) {
    case TPadButton::kUp:
      return Direction(pad, kDirUp, down, false, now, view, out);
    case TPadButton::kDown:
      return Direction(pad, kDirDown, down, false, now, view, out);
    case TPadButton::kLeft:
      return Direction(pad, kDirLeft, down, false, now, view, out);
    case TPadButton::kRight:
      return Direction(pad, kDirRight, down, false, now, view, out);
    default:
      break;
  }
  if (!down) return 0;
  const TSideKeys& keys = KeysOf(pad, view);
  if (view.scene == kTitle) {
    return button == TPadButton::kA ? TitleChoose(view, out) : 0;
  }
  if (view.scene == kGameOver) {
    if (button == TPadButton::kA)
      out[0] = Key(kKeyRestart);
    else if (button == TPadButton::kB)
      out[0] = Key(kKeyTitle);
    else
      return 0;
    return 1;
  }
  if (!InPlay(view.scene)) return 0;
  switch (button) {
    case TPadButton::kA:
      out[0] = Key(keys.place);
      return 1;
    case TPadButton::kB:
      out[0] = Key(keys.invert);
      return 1;
    case TPadButton::kX:
    case TPadButton::kY:
      out[0] = Key(keys.rise);
      return 1;
    case TPadButton::kBack:
      out[0] = Key(kKeyRestart);
      return 1;
    case TPadButton::kStart:
      out[0].kind = TGameInput::kPause;
      return 1;
    default:
      return 0;
  }
}

int TPadTranslator::Stick(int pad, int axis, int32_t value, uint32_t now, const TGameView& view,
                          TGameInput* out) {
  if (pad < 0 || pad >= kPads || axis < 0 || axis > 1) return 0;
  const int negative = axis == 0 ? kDirLeft : kDirUp;
  const int positive = axis == 0 ? kDirRight : kDirDown;
  int n = 0;
  const int dirs[2] = {negative, positive};
  for (int dir : dirs) {
    const int32_t along = dir == negative ? -value : value;
    const bool held = held_[pad][dir].stick;
    const bool now_held = held ? along > kStickOff : along > kStickOn;
    if (now_held != held) n += Direction(pad, dir, now_held, true, now, view, out + n);
  }
  return n;
}

int TPadTranslator::Repeat(uint32_t now, const TGameView& view, TGameInput* out) {
  int n = 0;
  if (!InPlay(view.scene)) return 0;
  for (int pad = 0; pad < kPads; pad++) {
    for (int dir = 0; dir < kDirs; dir++) {
      TDirection& d = held_[pad][dir];
      if (!(d.pad || d.stick)) continue;
      // One step per call at most: a stalled loop does not fire a burst.
      if (static_cast<int32_t>(now - d.nextRepeat) < 0 || n >= kMaxInputs) continue;
      d.nextRepeat = now + kRepeatIntervalMs;
      n += DirectionInput(pad, dir, view, out + n);
    }
  }
  return n;
}

uint32_t TPadTranslator::MsToRepeat(uint32_t now, const TGameView& view) const {
  if (!InPlay(view.scene)) return kNoRepeat;
  uint32_t soonest = kNoRepeat;
  for (const auto& pad : held_) {
    for (const TDirection& d : pad) {
      if (!(d.pad || d.stick)) continue;
      const int32_t left = static_cast<int32_t>(d.nextRepeat - now);
      const uint32_t wait = left > 0 ? static_cast<uint32_t>(left) : 0u;
      if (wait < soonest) soonest = wait;
    }
  }
  return soonest;
}

void TPadTranslator::Release(int pad) {
  if (pad < 0 || pad >= kPads) return;
  for (TDirection& d : held_[pad]) d = TDirection{};
}

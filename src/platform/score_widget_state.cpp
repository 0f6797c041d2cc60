#include "platform/score_widget_state.h"

#include <cstring>

#include "platform/key_mapping.h"

TScoreWidgetState::TScoreWidgetState() {
  for (int32_t& a : advance) a = 6;
}

void TScoreWidgetState::Show(const char* scoreText, const char* md5Hex) {
  const char* texts[2] = {scoreText ? scoreText : "", md5Hex ? md5Hex : ""};
  for (int f = 0; f < 2; f++) {
    int32_t n = 0;
    while (n < kMaxText && texts[f][n] != '\0') {
      text[f][n] = texts[f][n];
      n++;
    }
    text[f][n] = '\0';
    length[f] = n;
    anchor[f] = caret[f] = 0;
  }
  shown = true;
}

void TScoreWidgetState::Hide() {
  shown = false;
  focus = kWidgetNone;
  selecting = false;
  buttonCaptured = false;
  buttonHot = false;
}

int32_t TScoreWidgetState::WidgetAt(int32_t x, int32_t y) const {
  if (!shown) return kWidgetNone;
  for (int32_t w = 0; w < 3; w++) {
    if (kWidgetRects[w].Contains(x, y)) return w;
  }
  return kWidgetNone;
}

int32_t TScoreWidgetState::CharX(int field, int32_t index) const {
  int32_t x = kTextInset;
  for (int32_t i = 0; i < index && i < length[field]; i++) {
    x += advance[static_cast<unsigned char>(text[field][i]) & 127];
  }
  return x;
}

int32_t TScoreWidgetState::CharIndexAt(int field, int32_t x) const {
  const int32_t rel = x - kWidgetRects[field].x;
  for (int32_t i = 0; i < length[field]; i++) {
    const int32_t w = advance[static_cast<unsigned char>(text[field][i]) & 127];
    if (rel < CharX(field, i) + w / 2) return i;
  }
  return length[field];
}

int32_t TScoreWidgetState::SelectionStart(int field) const {
  return anchor[field] < caret[field] ? anchor[field] : caret[field];
}

int32_t TScoreWidgetState::SelectionEnd(int field) const {
  return anchor[field] > caret[field] ? anchor[field] : caret[field];
}

void TScoreWidgetState::SelectAll(int field) {
  anchor[field] = 0;
  caret[field] = length[field];
}

void TScoreWidgetState::FocusNext(bool backwards) {
  if (focus == kWidgetNone) {
    focus = backwards ? kWidgetRegScoreBtn : kWidgetScoreEdit;
  } else {
    focus = (focus + (backwards ? 2 : 1)) % 3;
  }
  // Reaching a field from the keyboard selects its whole text.
  if (focus != kWidgetRegScoreBtn) SelectAll(focus);
}

TWidgetAction TScoreWidgetState::KeyDown(uint16_t vk, bool alt, bool ctrl, bool shift) {
  if (!shown) return TWidgetAction::kToGame;
  // The button's accelerator works wherever the keyboard is.
  if (alt && vk == 'S') return TWidgetAction::kPressButton;
  if (vk == kVkTab && !alt && !ctrl) {
    FocusNext(shift);
    return TWidgetAction::kTaken;
  }
  if (focus == kWidgetNone) return TWidgetAction::kToGame;

  if (focus == kWidgetRegScoreBtn) {
    if (!alt && !ctrl && (vk == kVkSpace || vk == kVkReturn)) return TWidgetAction::kPressButton;
    return TWidgetAction::kTaken;
  }

  // A read-only field: selection and copying only; every other key is its own.
  const int f = focus;
  if (ctrl && (vk == 'C' || vk == kVkInsert)) return TWidgetAction::kCopy;
  if (ctrl && vk == 'A') {
    SelectAll(f);
    return TWidgetAction::kTaken;
  }
  int32_t to = -1;
  switch (vk) {
    case kVkLeft:
      if (!shift && anchor[f] != caret[f]) {
        to = SelectionStart(f);
      } else {
        to = caret[f] > 0 ? caret[f] - 1 : 0;
      }
      break;
    case kVkRight:
      if (!shift && anchor[f] != caret[f]) {
        to = SelectionEnd(f);
      } else {
        to = caret[f] < length[f] ? caret[f] + 1 : length[f];
      }
      break;
    case kVkHome:
      to = 0;
      break;
    case kVkEnd:
      to = length[f];
      break;
    default:
      break;
  }
  if (to >= 0) {
    caret[f] = to;
    if (!shift) anchor[f] = to;
  }
  return TWidgetAction::kTaken;
}

TWidgetAction TScoreWidgetState::MouseDown(TWidgetButton button, int clicks, int32_t x, int32_t y) {
  const int32_t w = WidgetAt(x, y);
  if (w == kWidgetNone) {
    // A click on the game picture gives the keyboard back to the game.
    focus = kWidgetNone;
    selecting = false;
    return TWidgetAction::kToGame;
  }
  if (w == kWidgetRegScoreBtn) {
    if (button == kWidgetLeft) {
      focus = w;
      buttonCaptured = true;
      buttonHot = true;
    }
    return TWidgetAction::kTaken;
  }
  const bool keepSelection = button != kWidgetLeft && focus == w;
  focus = w;
  if (button == kWidgetLeft) {
    if (clicks >= 2) {
      SelectAll(w);
    } else {
      caret[w] = anchor[w] = CharIndexAt(w, x);
      selecting = true;
    }
  } else if (!keepSelection) {
    caret[w] = anchor[w] = CharIndexAt(w, x);
  }
  return TWidgetAction::kTaken;
}

TWidgetAction TScoreWidgetState::MouseMove(int32_t x, int32_t y) {
  if (selecting && (focus == kWidgetScoreEdit || focus == kWidgetScoreMd5)) {
    caret[focus] = CharIndexAt(focus, x);
    return TWidgetAction::kTaken;
  }
  if (buttonCaptured) {
    buttonHot = kWidgetRects[kWidgetRegScoreBtn].Contains(x, y);
    return TWidgetAction::kTaken;
  }
  return WidgetAt(x, y) == kWidgetNone ? TWidgetAction::kToGame : TWidgetAction::kTaken;
}

TWidgetAction TScoreWidgetState::MouseUp(TWidgetButton button, int32_t x, int32_t y) {
  if (button != kWidgetLeft) return TWidgetAction::kTaken;
  if (selecting) {
    selecting = false;
    return TWidgetAction::kTaken;
  }
  if (buttonCaptured) {
    buttonCaptured = false;
    buttonHot = false;
    return shown && kWidgetRects[kWidgetRegScoreBtn].Contains(x, y) ? TWidgetAction::kPressButton
                                                                    : TWidgetAction::kTaken;
  }
  return TWidgetAction::kToGame;
}

int32_t TScoreWidgetState::CopyText(char* out, int32_t outSize) const {
  if (outSize <= 0) return 0;
  out[0] = '\0';
  if (focus != kWidgetScoreEdit && focus != kWidgetScoreMd5) return 0;
  int32_t from = SelectionStart(focus);
  int32_t to = SelectionEnd(focus);
  if (from == to) {
    from = 0;
    to = length[focus];
  }
  int32_t n = to - from;
  if (n > outSize - 1) n = outSize - 1;
  std::memcpy(out, text[focus] + from, static_cast<size_t>(n));
  out[n] = '\0';
  return n;
}

// The score signature widgets laid over the game-over picture: two read-only
// fields (score text, signature) and the registration button. This is their
// behaviour without any drawing: which one holds the keyboard, where pointer
// and keys go, and the selection inside the fields.
//
// The focus rule: once the player clicks a widget, keys go to it and not to
// the game, until the player clicks the game picture (or the widgets are
// hidden). Alt+S presses the button wherever the focus is.
#pragma once

#include <cstdint>

enum : int32_t {
  kWidgetNone = -1,  // the game picture has the keyboard
  kWidgetScoreEdit = 0,
  kWidgetScoreMd5 = 1,
  kWidgetRegScoreBtn = 2,
};

struct TWidgetRect {
  int32_t x;
  int32_t y;
  int32_t w;
  int32_t h;
  bool Contains(int32_t px, int32_t py) const {
    return px >= x && py >= y && px < x + w && py < y + h;
  }
};

// Positions and sizes in frame pixels.
constexpr TWidgetRect kWidgetRects[3] = {
    {400, 40, 233, 18},  // scoreEdit
    {400, 64, 233, 18},  // scoreMd5
    {464, 88, 161, 21},  // regScoreBtn
};

// What the caller does with an input event after the widgets saw it.
enum class TWidgetAction {
  kToGame,       // pass it to the game's handler
  kTaken,        // a widget used it (or swallowed it); the game never sees it
  kPressButton,  // run the registration button's click
  kCopy,         // put CopyText() on the clipboard
};

enum TWidgetButton { kWidgetLeft, kWidgetRight, kWidgetMiddle };

class TScoreWidgetState {
 public:
  static constexpr int kMaxText = 47;
  // Pixels from a field's left edge to its first character.
  static constexpr int32_t kTextInset = 3;

  TScoreWidgetState();

  bool shown = false;
  int32_t focus = kWidgetNone;
  char text[2][kMaxText + 1] = {};
  int32_t length[2] = {};
  // Selection of each field: the characters between anchor and caret.
  int32_t anchor[2] = {};
  int32_t caret[2] = {};
  // Width in pixels of each ASCII character in the field font.
  int32_t advance[128] = {};
  bool selecting = false;       // left button held after a press in a field
  bool buttonCaptured = false;  // left button held after a press on the button
  bool buttonHot = false;       // ... and the pointer is over the button

  // Fills the two fields (longer texts are cut) and shows the widgets.
  void Show(const char* scoreText, const char* md5Hex);
  // Hides them; the keyboard returns to the game.
  void Hide();

  // The widget under a frame position, or kWidgetNone (also when hidden).
  int32_t WidgetAt(int32_t x, int32_t y) const;
  // Pixel offset of character `index` of a field from its left edge.
  int32_t CharX(int field, int32_t index) const;
  // The character boundary nearest to frame x in a field.
  int32_t CharIndexAt(int field, int32_t x) const;
  int32_t SelectionStart(int field) const;
  int32_t SelectionEnd(int field) const;

  TWidgetAction KeyDown(uint16_t vk, bool alt, bool ctrl, bool shift);
  TWidgetAction MouseDown(TWidgetButton button, int clicks, int32_t x, int32_t y);
  TWidgetAction MouseMove(int32_t x, int32_t y);
  TWidgetAction MouseUp(TWidgetButton button, int32_t x, int32_t y);

  // What Ctrl+C copies from the focused field: its selection, or its whole
  // text when nothing is selected. Returns the length (0 when no field has
  // the focus); always NUL-terminates when outSize > 0.
  int32_t CopyText(char* out, int32_t outSize) const;

 private:
  void FocusNext(bool backwards);
  void SelectAll(int field);
};

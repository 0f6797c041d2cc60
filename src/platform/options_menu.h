// The options overlay's state: the rows, the one chosen, a key being bound
// or a text being typed, and the settings as the player has changed them.
// Plain code without SDL: the host feeds it keys (virtual-key code and key
// position), typed text, pointer positions in frame pixels, and reads the
// edited settings back after every call.
#pragma once

#include <cstdint>
#include <string>

#include "settings/settings.h"

class TOptionsMenu {
 public:
  enum Row : int32_t {
    kRowMusic,
    kRowEffectsVolume,
    kRowFullScreen,
    kRowWindowScale,
    kRowBackground,
    kRowEffects,
    kRowFirstKey,
    kRowBoard = kRowFirstKey + kKeyActionCount,
    kRowName,
    kRowClose,
    kRowCount
  };
  // The list as drawn, in frame pixels: rows of kRowHeight from kListTop,
  // kVisibleRows at a time, between kListLeft and kListRight.
  static constexpr int32_t kListLeft = 48;
  static constexpr int32_t kListRight = 592;
  static constexpr int32_t kListTop = 64;
  static constexpr int32_t kRowHeight = 16;
  static constexpr int32_t kVisibleRows = 22;
  // Values are drawn from kValueLeft; a click left of kValueMiddle lowers one.
  static constexpr int32_t kValueLeft = 384;
  static constexpr int32_t kValueMiddle = 480;

  void Open(const TSettings& settings);
  void Close() { open_ = false; }
  bool IsOpen() const { return open_; }
  const TSettings& Edited() const { return edited_; }

  // A key pressed: vk its layout's code, scancode its position. Up and
  // Down choose a row, Left and Right change its value, Return acts on it
  // (binds a key, types a text, closes), Esc leaves what is being done and
  // then the overlay, Tab closes it.
  void Key(uint16_t vk, uint16_t scancode);
  // Text typed while a text row is being edited (UTF-8).
  void Text(const char* utf8);
  // The pointer over frame pixel (x, y) chooses the row under it; a click
  // acts on it like Return (on a value, the left half lowers it).
  void PointerMove(int32_t x, int32_t y);
  void Click(int32_t x, int32_t y);
  // The wheel: scrolls the list by rows.
  void Scroll(int32_t rows);

  int32_t Selected() const { return selected_; }
  int32_t FirstShown() const { return top_; }
  bool Capturing() const { return capturing_; }
  bool Editing() const { return editing_; }
  const std::string& EditText() const { return editText_; }
  // A line about the last refusal ("" when none).
  const std::string& Message() const { return message_; }
  // Changes with every change of what is shown, so the view knows when to
  // prepare its texts again.
  uint32_t Revision() const { return revision_; }

  // The row's label ("日本語 English") and value as shown.
  static std::string Label(int32_t row);
  std::string Value(int32_t row) const;

 private:
  void Select(int32_t row);
  void Change(int32_t row, int32_t step);
  void Activate(int32_t row);
  void Bind(uint16_t scancode);
  void FinishEdit();
  int32_t RowAt(int32_t x, int32_t y) const;

  bool open_ = false;
  TSettings edited_;
  int32_t selected_ = 0;
  int32_t top_ = 0;
  bool capturing_ = false;
  bool editing_ = false;
  std::string editText_;
  std::string message_;
  uint32_t revision_ = 0;
};

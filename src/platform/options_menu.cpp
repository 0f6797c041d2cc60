#include "platform/options_menu.h"

#include <cstdio>

#include "platform/key_mapping.h"
#include "settings/key_names.h"

namespace {

const char* OnOff(bool on) {
  return on ? "オン ON" : "オフ OFF";
}

// The length of `text` without its last UTF-8 character.
size_t WithoutLastCharacter(const std::string& text) {
  size_t n = text.size();
  while (n > 0) {
    n--;
    if ((static_cast<unsigned char>(text[n]) & 0xC0) != 0x80) break;
  }
  return n;
}

}  // namespace

void TOptionsMenu::Open(const TSettings& settings) {
  open_ = true;
  edited_ = settings;
  selected_ = 0;
  top_ = 0;
  capturing_ = false;
  editing_ = false;
  message_.clear();
  revision_++;
}

std::string TOptionsMenu::Label(int32_t row) {
  switch (row) {
    case kRowMusic:
      return "音楽の音量  Music volume";
    case kRowEffectsVolume:
      return "効果音の音量  Effects volume";
    case kRowFullScreen:
      return "フルスクリーン  Full screen";
    case kRowWindowScale:
      return "ウィンドウの大きさ  Window size";
    case kRowBackground:
      return "開始時の背景 (1)  Background at start";
    case kRowEffects:
      return "開始時のエフェクト (2)  Effects at start";
    case kRowBoard:
      return "スコアボード  Score board";
    case kRowName:
      return "名前  Name";
    case kRowClose:
      return "閉じる  Close";
    default:
      break;
  }
  if (row >= kRowFirstKey && row < kRowBoard) {
    const TKeyActionInfo& info = KeyActionInfo(row - kRowFirstKey);
    return std::string("キー ") + info.japanese + "  " + info.english;
  }
  return "";
}

std::string TOptionsMenu::Value(int32_t row) const {
  char text[48];
  switch (row) {
    case kRowMusic:
      std::snprintf(text, sizeof text, "< %d%% >", static_cast<int>(edited_.musicVolume));
      return text;
    case kRowEffectsVolume:
      std::snprintf(text, sizeof text, "< %d%% >", static_cast<int>(edited_.effectsVolume));
      return text;
    case kRowFullScreen:
      return OnOff(edited_.fullScreen);
    case kRowWindowScale:
      if (edited_.windowScale == 0) return "< 自動 Auto >";
      std::snprintf(text, sizeof text, "< %d× >", static_cast<int>(edited_.windowScale));
      return text;
    case kRowBackground:
      return OnOff(edited_.showBackground);
    case kRowEffects:
      return OnOff(edited_.showEffects);
    case kRowBoard:
    case kRowName: {
      if (editing_ && selected_ == row) return editText_ + "_";
      const std::string& v = row == kRowBoard ? edited_.boardUrl : edited_.playerName;
      if (v.empty()) return row == kRowBoard ? "(標準 default)" : "(なし none)";
      return v;
    }
    case kRowClose:
      return "";
    default:
      break;
  }
  if (row >= kRowFirstKey && row < kRowBoard) {
    if (capturing_ && selected_ == row) return "キーを押す  Press a key";
    const char* name = ScancodeName(edited_.keys[row - kRowFirstKey]);
    return name ? name : "?";
  }
  return "";
}

void TOptionsMenu::Select(int32_t row) {
  if (row < 0) row = kRowCount - 1;
  if (row >= kRowCount) row = 0;
  if (row != selected_) message_.clear();
  selected_ = row;
  if (selected_ < top_) top_ = selected_;
  if (selected_ >= top_ + kVisibleRows) top_ = selected_ - kVisibleRows + 1;
  revision_++;
}

void TOptionsMenu::Scroll(int32_t rows) {
  top_ += rows;
  if (top_ > kRowCount - kVisibleRows) top_ = kRowCount - kVisibleRows;
  if (top_ < 0) top_ = 0;
  revision_++;
}

void TOptionsMenu::Change(int32_t row, int32_t step) {
  auto volume = [step](int32_t* v) {
    *v += step * TSettings::kVolumeStep;
    if (*v < 0) *v = 0;
    if (*v > 100) *v = 100;
  };
  switch (row) {
    case kRowMusic:
      volume(&edited_.musicVolume);
      break;
    case kRowEffectsVolume:
      volume(&edited_.effectsVolume);
      break;
    case kRowFullScreen:
      edited_.fullScreen = !edited_.fullScreen;
      break;
    case kRowWindowScale:
      edited_.windowScale = (edited_.windowScale + step + TSettings::kMaxWindowScale + 1) %
                            (TSettings::kMaxWindowScale + 1);
      break;
    case kRowBackground:
      edited_.showBackground = !edited_.showBackground;
      break;
    case kRowEffects:
      edited_.showEffects = !edited_.showEffects;
      break;
    default:
      return;
  }
  revision_++;
}

void TOptionsMenu::Activate(int32_t row) {
  message_.clear();
  if (row >= kRowFirstKey && row < kRowBoard) {
    capturing_ = true;
  } else if (row == kRowBoard || row == kRowName) {
    editing_ = true;
    editText_ = row == kRowBoard ? edited_.boardUrl : edited_.playerName;
  } else if (row == kRowClose) {
    open_ = false;
  } else {
    Change(row, 1);
  }
  revision_++;
}

void TOptionsMenu::Bind(uint16_t scancode) {
  capturing_ = false;
  const int action = selected_ - kRowFirstKey;
  int other = -1;
  const char* refused = RefuseBinding(edited_, action, scancode, &other);
  if (*refused != '\0') {
    const char* name = ScancodeName(scancode);
    message_ = std::string(name ? name : "?") + ": " + refused;
    if (other >= 0) message_ += std::string(" ") + KeyActionInfo(other).english;
  } else {
    edited_.keys[action] = scancode;
  }
  revision_++;
}

void TOptionsMenu::FinishEdit() {
  editing_ = false;
  if (selected_ == kRowBoard) {
    if (ValidBoardUrl(editText_)) {
      edited_.boardUrl = editText_;
    } else {
      message_ = "http:// か https:// のアドレス  An http:// or https:// address, please";
    }
  } else if (ValidPlayerName(editText_)) {
    edited_.playerName = editText_;
  }
  revision_++;
}

void TOptionsMenu::Key(uint16_t vk, uint16_t scancode) {
  if (!open_) return;
  if (capturing_) {
    if (vk == kVkEscape) {
      capturing_ = false;
      revision_++;
    } else {
      Bind(scancode);
    }
    return;
  }
  if (editing_) {
    if (vk == kVkReturn) {
      FinishEdit();
    } else if (vk == kVkEscape) {
      editing_ = false;
      revision_++;
    } else if (vk == kVkBack) {
      editText_.resize(WithoutLastCharacter(editText_));
      revision_++;
    }
    return;
  }
  switch (vk) {
    case kVkUp:
      Select(selected_ - 1);
      break;
    case kVkDown:
      Select(selected_ + 1);
      break;
    case kVkLeft:
      Change(selected_, -1);
      break;
    case kVkRight:
      Change(selected_, 1);
      break;
    case kVkReturn:
    case kVkSpace:
      Activate(selected_);
      break;
    case kVkEscape:
    case kVkTab:
      open_ = false;
      revision_++;
      break;
    default:
      break;
  }
}

void TOptionsMenu::Text(const char* utf8) {
  if (!open_ || !editing_ || !utf8) return;
  const std::string longer = editText_ + utf8;
  const size_t limit = selected_ == kRowBoard ? TSettings::kMaxBoardUrl : TSettings::kMaxPlayerName;
  if (longer.size() > limit) return;
  editText_ = longer;
  revision_++;
}

int32_t TOptionsMenu::RowAt(int32_t x, int32_t y) const {
  if (x < kListLeft || x >= kListRight || y < kListTop) return -1;
  const int32_t i = (y - kListTop) / kRowHeight;
  if (i >= kVisibleRows || top_ + i >= kRowCount) return -1;
  return top_ + i;
}

void TOptionsMenu::PointerMove(int32_t x, int32_t y) {
  if (!open_ || capturing_ || editing_) return;
  const int32_t row = RowAt(x, y);
  if (row >= 0 && row != selected_) Select(row);
}

void TOptionsMenu::Click(int32_t x, int32_t y) {
  if (!open_) return;
  if (capturing_ || editing_) {
    // A click elsewhere ends the binding or the typing.
    if (editing_) FinishEdit();
    capturing_ = false;
    revision_++;
    return;
  }
  const int32_t row = RowAt(x, y);
  if (row < 0) return;
  Select(row);
  const bool value = row <= kRowEffects;
  if (value && (row == kRowMusic || row == kRowEffectsVolume || row == kRowWindowScale) &&
      x < kValueMiddle) {
    Change(row, -1);
  } else if (value) {
    Change(row, 1);
  } else {
    Activate(row);
  }
}

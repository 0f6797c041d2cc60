#include "settings/settings.h"

#include "settings/key_names.h"

namespace {

using scancode::Letter;

constexpr TKeyActionInfo kActions[kKeyActionCount] = {
    {"side1_up", "1P 上", "1P up", 87, Letter('W')},
    {"side1_left", "1P 左", "1P left", 65, Letter('A')},
    {"side1_down", "1P 下", "1P down", 83, Letter('S')},
    {"side1_right", "1P 右", "1P right", 68, Letter('D')},
    {"side1_place", "1P 置く", "1P place", 86, Letter('V')},
    {"side1_invert", "1P 反転", "1P invert", 66, Letter('B')},
    {"side1_rise", "1P せり上げ", "1P raise", 71, Letter('G')},
    {"side2_up", "2P 上", "2P up", 85, Letter('U')},
    {"side2_left", "2P 左", "2P left", 72, Letter('H')},
    {"side2_down", "2P 下", "2P down", 74, Letter('J')},
    {"side2_right", "2P 右", "2P right", 75, Letter('K')},
    {"side2_place", "2P 置く", "2P place", 37, scancode::kLeft},
    {"side2_invert", "2P 反転", "2P invert", 39, scancode::kRight},
    {"side2_rise", "2P せり上げ", "2P raise", 38, scancode::kUp},
    {"restart", "リスタート", "Restart", 55, scancode::Digit('7')},
    {"title", "タイトルへ", "To the title", 56, scancode::Digit('8')},
    {"toggle_background", "背景 切替", "Background on/off", 49, scancode::Digit('1')},
    {"toggle_effects", "エフェクト 切替", "Effects on/off", 50, scancode::Digit('2')},
    {"pause", "一時停止", "Pause", 80, Letter('P')},
    {"music_down", "音楽 −", "Music down", 189, scancode::kMinus},
    {"music_up", "音楽 ＋", "Music up", 187, scancode::kEquals},
    {"effects_down", "効果音 −", "Effects down", 219, scancode::kLeftBracket},
    {"effects_up", "効果音 ＋", "Effects up", 221, scancode::kRightBracket},
    {"full_screen", "フルスクリーン (Alt+)", "Full screen (Alt+)", 13, scancode::kReturn},
};

}  // namespace

const TKeyActionInfo& KeyActionInfo(int action) {
  if (action < 0 || action >= kKeyActionCount) action = 0;
  return kActions[action];
}

TSettings::TSettings() {
  for (int a = 0; a < kKeyActionCount; a++) keys[a] = kActions[a].defaultScancode;
}

int ActionOfScancode(const TSettings& settings, uint16_t code) {
  if (code == 0) return -1;
  for (int a = 0; a < kKeyActionCount; a++) {
    if (settings.keys[a] == code) return a;
  }
  return -1;
}

const char* RefuseBinding(const TSettings& settings, int action, uint16_t code, int* clashWith) {
  if (clashWith) *clashWith = -1;
  if (!ScancodeName(code) || code == scancode::kEscape || code == scancode::kTab ||
      (code >= scancode::Digit('3') && code <= scancode::Digit('6'))) {
    return "このキーは使えません / This key is reserved";
  }
  const int other = ActionOfScancode(settings, code);
  if (other >= 0 && other != action) {
    if (clashWith) *clashWith = other;
    return "ほかの操作で使用中 / Already used by";
  }
  return "";
}

bool ValidBoardUrl(const std::string& url) {
  if (url.empty()) return true;
  if (url.size() > TSettings::kMaxBoardUrl) return false;
  size_t hostStart = 0;
  if (url.rfind("http://", 0) == 0) {
    hostStart = 7;
  } else if (url.rfind("https://", 0) == 0) {
    hostStart = 8;
  } else {
    return false;
  }
  if (url.size() == hostStart || url[hostStart] == '/' || url[hostStart] == ':') return false;
  for (char c : url) {
    if (c <= ' ' || c >= 127 || c == '"' || c == '<' || c == '>' || c == '\\') return false;
  }
  return true;
}

bool ValidPlayerName(const std::string& name) {
  if (name.size() > TSettings::kMaxPlayerName) return false;
  for (unsigned char c : name) {
    if (c < 32 || c == 127) return false;
  }
  return true;
}

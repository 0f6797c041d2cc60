#include "platform/title_hints.h"

namespace {

constexpr TTitleHint kHints[] = {
    {"Tab", 9, "設定", "Options", TTitleHintAction::kOptions},
    {"C", 'C', "今日のチャレンジ", "Today's challenge", TTitleHintAction::kDailyChallenge},
    {"O", 'O', "対戦", "Online", TTitleHintAction::kMeeting},
};

}  // namespace

int TitleHintCount() {
  return static_cast<int>(sizeof kHints / sizeof kHints[0]);
}

const TTitleHint& TitleHint(int i) {
  return kHints[i < 0 || i >= TitleHintCount() ? 0 : i];
}

const TTitleHint* TitleHintForKey(uint16_t vk) {
  for (const TTitleHint& h : kHints) {
    if (h.vk == vk) return &h;
  }
  return nullptr;
}

// The title's hint line: the keys that open the platform's overlays over
// the title, one row each, drawn by the platform as a small strip over the
// title picture (which stays as it is).
#pragma once

#include <cstdint>

enum class TTitleHintAction : uint8_t {
  kOptions,         // the options overlay
  kDailyChallenge,  // today's challenge from the score board
  kMeeting,         // the meeting menu (online matches)
};

struct TTitleHint {
  const char* keyLabel;  // as printed on the strip
  uint16_t vk;           // the key's virtual-key code
  const char* japanese;
  const char* english;
  TTitleHintAction action;
};

int TitleHintCount();
const TTitleHint& TitleHint(int i);
// The hint whose key is `vk`, or null.
const TTitleHint* TitleHintForKey(uint16_t vk);

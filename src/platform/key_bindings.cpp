#include "platform/key_bindings.h"

#include "platform/key_mapping.h"

TBoundKey TranslateBoundKey(const TSettings& settings, uint16_t scancode, uint16_t layoutVk,
                            bool alt) {
  if (alt) {
    if (scancode == settings.keys[kActFullScreen]) return TBoundKey{true, kVkReturn, true};
    // Alt+Return means full screen only on the full-screen key.
    if (layoutVk == kVkReturn) return TBoundKey{};
  }
  const int action = ActionOfScancode(settings, scancode);
  if (action >= 0 && action != kActFullScreen) {
    return TBoundKey{true, KeyActionInfo(action).vk, alt};
  }
  if (layoutVk == 0) return TBoundKey{};
  const bool letter = layoutVk >= 'A' && layoutVk <= 'Z';
  for (int a = 0; a < kKeyActionCount; a++) {
    if (a == kActFullScreen) continue;
    const TKeyActionInfo& info = KeyActionInfo(a);
    if (info.vk == layoutVk && (letter || scancode == info.defaultScancode)) return TBoundKey{};
  }
  return TBoundKey{true, layoutVk, alt};
}

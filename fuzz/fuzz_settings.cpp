// settings.toml: whatever the bytes, ParseSettings gives settings the game
// can use (volumes 0..100 in steps of 10, a window scale 0..4, every action
// on its own bindable key, a usable board address and name), and the text
// the game would write for them reads back to the very same settings.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "settings/key_names.h"
#include "settings/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const TSettingsRead r = ParseSettings(text);
  const TSettings& s = r.settings;
  FUZZ_CHECK(r.damaged == !r.problem.empty());
  FUZZ_CHECK(r.problem.find('\n') == std::string::npos);
  FUZZ_CHECK(s.musicVolume >= 0 && s.musicVolume <= 100 && s.musicVolume % 10 == 0);
  FUZZ_CHECK(s.effectsVolume >= 0 && s.effectsVolume <= 100 && s.effectsVolume % 10 == 0);
  FUZZ_CHECK(s.windowScale >= 0 && s.windowScale <= TSettings::kMaxWindowScale);
  FUZZ_CHECK(ValidBoardUrl(s.boardUrl));
  FUZZ_CHECK(ValidPlayerName(s.playerName));
  for (int a = 0; a < kKeyActionCount; a++) {
    FUZZ_CHECK(ScancodeName(s.keys[a]) != nullptr);
    FUZZ_CHECK(ActionOfScancode(s, s.keys[a]) == a);
  }
  const TSettingsRead again = ParseSettings(SettingsText(s, r.text));
  FUZZ_CHECK(!again.damaged);
  FUZZ_CHECK(again.settings == s);
  return 0;
}

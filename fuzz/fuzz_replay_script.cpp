// Replay scripts: a script parses, or fails on one line that the error names
// ("line N: ..."), and every parsed value stays within its directive's range.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "input_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TInputScript script;
  std::string error;
  const bool ok = ParseInputScript(text, &script, &error);
  if (!ok) {
    FUZZ_CHECK(error.rfind("line ", 0) == 0);
    const long line = std::strtol(error.c_str() + 5, nullptr, 10);
    long lines = 1;
    for (char c : text) lines += c == '\n';
    FUZZ_CHECK(line >= 1 && line <= lines);
    FUZZ_CHECK(error.find(": ") != std::string::npos);
    return 0;
  }
  FUZZ_CHECK(script.frames >= 0 && script.frames <= 100000000);
  FUZZ_CHECK(script.time.size() == 14);
  for (const TScriptEvent& e : script.events) {
    FUZZ_CHECK(e.frame >= 1 && e.frame <= 100000000);
    switch (e.kind) {
      case TScriptEvent::kKey:
        FUZZ_CHECK(e.key >= 0 && e.key <= 65535);
        break;
      case TScriptEvent::kMove:
      case TScriptEvent::kDown:
        FUZZ_CHECK(e.x >= -100000 && e.x <= 100000 && e.y >= -100000 && e.y <= 100000);
        FUZZ_CHECK(e.button >= 0 && e.button <= 2);
        break;
    }
  }
  // The same text parses the same way again.
  TInputScript again;
  FUZZ_CHECK(ParseInputScript(text, &again, &error));
  FUZZ_CHECK(again.events.size() == script.events.size() && again.frames == script.frames &&
             again.seedMt == script.seedMt && again.seedLcg == script.seedLcg &&
             again.best == script.best && again.time == script.time);
  return 0;
}

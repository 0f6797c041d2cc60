// Replay files as the game writes them and the score server receives them:
// SummarizeReplay answers every text with a status; a refused text names a
// line that exists; a passed one gives one summary per game with the score
// texts of its mode; the same text gives the same answer again.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "replay/replay_summary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TReplayLimits limits;
  limits.maxFrames = 3000;
  limits.maxMillis = 20000;
  const TReplaySummary s = SummarizeReplay(text, limits);
  long lines = 1;
  for (char c : text) lines += c == '\n';
  switch (s.status) {
    case TReplayStatus::kOk:
      FUZZ_CHECK(!s.games.empty());
      for (const TReplayGameSummary& g : s.games) {
        const bool versus = g.mode == "versus2" || g.mode == "versusai";
        FUZZ_CHECK(versus || g.mode == "single" || g.mode == "advanced");
        FUZZ_CHECK(!versus || (g.scoreText == "-" && g.signature == "-"));
        FUZZ_CHECK(g.scoreText == "-" || g.scoreText.size() == 33);
        FUZZ_CHECK(g.score >= 0 && g.score <= 99999999);
      }
      break;
    case TReplayStatus::kMalformed:
    case TReplayStatus::kWrongVersion:
      FUZZ_CHECK(s.line >= 1 && s.line <= lines);
      FUZZ_CHECK(s.message.rfind("line " + std::to_string(s.line) + ": ", 0) == 0);
      break;
    case TReplayStatus::kNotReproduced:
    case TReplayStatus::kOverLimit:
      FUZZ_CHECK(!s.message.empty());
      break;
  }
  FUZZ_CHECK(s.status == TReplayStatus::kOk || s.games.empty());
  const TReplaySummary again = SummarizeReplay(text, limits);
  FUZZ_CHECK(again.status == s.status && again.line == s.line &&
             again.games.size() == s.games.size());
  return 0;
}

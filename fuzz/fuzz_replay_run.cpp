// Replay scripts, parsed and then played headless for a few hundred frames:
// whatever the keys, clicks and seeds, every frame leaves the game sound (the
// soak test's checks) and the dump of the final state can be written.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/main.h"
#include "fuzz_check.h"
#include "input_script.h"
#include "recording_host.h"
#include "script_runner.h"
#include "soak/soak_checks.h"

namespace {
constexpr int32_t kMaxFrames = 400;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TInputScript script;
  std::string error;
  if (!ParseInputScript(text, &script, &error)) return 0;

  TRecordingHost host("");
  host.readPictures = false;  // empty sheets: the rules are what is tested
  host.bestScoreAtStart = script.best;
  host.localTime = script.time;
  TMainForm form(host);
  form.SeedLcg(script.seedLcg);
  form.SeedMt(script.seedMt);
  form.FormCreate();
  FUZZ_CHECK(form.errorCode == 0 && form.scene == kSceneTitle);

  // Events keep their file order within a frame; frames past the cap are
  // folded onto the last frames so that late input still arrives.
  std::vector<TScriptEvent> events = script.events;
  for (TScriptEvent& e : events) e.frame = std::min(e.frame, kMaxFrames);
  std::stable_sort(events.begin(), events.end(),
                   [](const TScriptEvent& a, const TScriptEvent& b) { return a.frame < b.frame; });
  const int32_t frames = std::min(std::max(script.frames, int32_t(1)), kMaxFrames);
  bool boardBuilt = false;
  size_t next = 0;
  char why[160];
  for (int32_t frame = 1; frame <= frames && !host.closed; frame++) {
    host.clock = 16u * uint32_t(frame);
    while (next < events.size() && events[next].frame <= frame && !host.closed) {
      DeliverScriptEvent(events[next++], form);
    }
    if (host.closed) break;
    const int32_t before = form.scene;
    form.IdleFrame(host.clock);
    if (before == kSceneNewGame) boardBuilt = true;
    if (!soak::CheckAfterFrame(form, before, boardBuilt, why, sizeof why)) {
      std::fprintf(stderr, "frame %d: %s\n", frame, why);
      FUZZ_CHECK(false);
    }
    FUZZ_CHECK(form.loopRunning);
  }
  std::string dump;
  AppendDumpBlock(frames, form, host, &dump);
  FUZZ_CHECK(dump.size() > 0 && dump.compare(dump.size() - 4, 4, "end\n") == 0);
  return 0;
}

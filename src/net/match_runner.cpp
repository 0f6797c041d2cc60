#include "net/match_runner.h"

#include <cstring>

#include "app/game_state.h"
#include "app/main.h"
#include "replay/replay_format.h"
#include "replay/replay_recorder.h"

namespace {

// The two sides' play keys in the game's order: up, left, down, right,
// place, invert, rise.
constexpr uint16_t kSideKeys[kMatchSides][7] = {
    {87, 65, 83, 68, 86, 66, 71},  // W A S D V B G
    {85, 72, 74, 75, 37, 39, 38},  // U H J K, left, right, up
};
constexpr uint16_t kToggleBackground = 49;  // '1'
constexpr uint16_t kToggleEffects = 50;     // '2'

// The gauge strip the left button forces the rise on.
constexpr int32_t kGaugeStripTop = 450;
constexpr int32_t kGaugeStripRight = 320;

}  // namespace

uint16_t SideKeyFor(int side, uint16_t key) {
  if (side < 0 || side >= kMatchSides) return 0;
  for (int k = 0; k < 7; k++) {
    if (kSideKeys[0][k] == key) return kSideKeys[side][k];
  }
  return 0;
}

bool MatchKeyAllowed(int side, uint16_t key) {
  if (key == kToggleBackground || key == kToggleEffects) return true;
  if (side < 0 || side >= kMatchSides) return false;
  for (uint16_t k : kSideKeys[side]) {
    if (k == key) return true;
  }
  return false;
}

bool MatchClickAllowed(int32_t x, int32_t y, int button) {
  return button == TMainForm::kMbLeft && y > kGaugeStripTop && x < kGaugeStripRight;
}

bool MakeMatchStart(const TMainForm& form, uint32_t clockNow, uint32_t matchNumber,
                    uint16_t inputDelay, uint32_t musicResults, const char* localTime,
                    TGameState* start, TMatchSettings* settings, const char** error) {
  start->Take(form);
  // What the title's versus item sets, then the slide's end.
  start->advancedStart = 0;
  start->versusMode = 1;
  start->side2Auto = 0;
  start->scene = kSceneNewGame;
  std::string why;
  if (!CheckStartState(*start, &why)) {
    *error = "the game cannot begin a match from where it stands";
    return false;
  }
  *settings = TMatchSettings();
  settings->matchNumber = matchNumber;
  settings->inputDelay = inputDelay < 1 ? 1 : inputDelay;
  const uint32_t earliest = start->lastFrameTick + 16u;
  settings->firstClock = static_cast<int32_t>(clockNow - earliest) < 0 ? earliest : clockNow;
  settings->musicResults = musicResults;
  std::memcpy(settings->localTime, localTime, 14);
  settings->localTime[14] = '\0';
  return true;
}

void LoadMatchStart(TMainForm& form, TMatchHost& host, const TGameState& start,
                    const TMatchSettings& settings) {
  start.Restore(form);
  host.inMatch = true;
  host.musicResults = settings.musicResults;
  std::memcpy(host.localTime, settings.localTime, 15);
  host.clock = settings.firstClock;
}

void RunMatchTick(TMainForm& form, TMatchHost& host, const TMatchTick& tick,
                  TReplayRecorder* recorder) {
  for (int side = 0; side < kMatchSides; side++) {
    for (int k = 0; k < tick.count[side]; k++) {
      const TMatchInput& in = tick.inputs[side][k];
      if (in.kind == TMatchInput::kKey) {
        if (in.alt || !MatchKeyAllowed(side, in.key)) continue;
        form.FormKeyDown(in.key, false);
        if (recorder) recorder->OnKey(form, in.key, false);
      } else {
        if (!MatchClickAllowed(in.x, in.y, in.button)) continue;
        if (form.scene != kScenePlay || form.turnSide != side) continue;
        form.FormMouseDown(TMainForm::kMbLeft, in.x, in.y);
        if (recorder) recorder->OnClick(form, TMainForm::kMbLeft, in.x, in.y);
      }
    }
  }
  host.clock = tick.clock;
  if (recorder) recorder->BeforeFrame(form, tick.clock);
  form.IdleFrame(tick.clock);
  if (recorder) recorder->AfterFrame(form);
}

void EndMatchGame(TMainForm& form, TMatchHost& host, TReplayRecorder* recorder) {
  constexpr uint16_t kKeyTitle = 56;  // '8'
  if (recorder && recorder->Recording() &&
      (form.scene == kScenePlay || form.scene == kSceneGameOver)) {
    form.FormKeyDown(kKeyTitle, false);
    recorder->OnKey(form, kKeyTitle, false);
  }
  host.inMatch = false;
}

namespace {
char gMatchTime[15] = "00000000000000";  // the game's thread only
void MatchTimeNow(char out[15]) {
  std::memcpy(out, gMatchTime, 15);
}
}  // namespace

void RecordMatchTime(TReplayRecorder& recorder, const char* localTime14) {
  if (!localTime14) {
    recorder.localTimeNow = LocalTimeNow;
    return;
  }
  std::memcpy(gMatchTime, localTime14, 14);
  gMatchTime[14] = '\0';
  recorder.localTimeNow = MatchTimeNow;
}

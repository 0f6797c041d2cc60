// Replay figures: the file of a long game and the time its headless check
// takes. The game is a single-player game played by the automatic player
// (asked on a copy of the game, so the game itself only ever sees keys: one
// every fourth frame), for up to ten minutes of frames at 16/17 ms, then
// the window closes. (Versus games end by themselves after three minutes.)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/game_state.h"
#include "app/main.h"
#include "figures.h"
#include "recording_host.h"
#include "replay/replay_file_reader.h"
#include "replay/replay_player.h"
#include "replay/replay_recorder.h"
#include "replay/replay_summary.h"
#include "replay/replay_tap.h"

namespace {

constexpr long kTenMinutesMs = 600'000;

// The automatic player's answer for the side on turn, as a side-1 key.
uint16_t Side1Key(uint16_t side2Key) {
  switch (side2Key) {
    case 'U':
      return 'W';
    case 'H':
      return 'A';
    case 'J':
      return 'S';
    case 'K':
      return 'D';
    case 37:
      return 'V';
    case 39:
      return 'B';
    case 38:
      return 'G';
    default:
      return 0;
  }
}

}  // namespace

TReplayFigures BenchLongReplay() {
  TReplayFigures figures;
  char folder[] = "/tmp/zazo-bench-replay.XXXXXX";
  if (!mkdtemp(folder)) return figures;
  {
    TRecordingHost host(ZAZO_BINARY_DIR "/");
    host.readPictures = false;
    TReplayRecorder recorder(std::string(folder) + "/");
    TReplayTapHost tap(host, recorder);
    auto form = std::make_unique<TMainForm>(tap);
    form->SeedMt(11);
    form->SeedLcg(11);
    form->FormCreate();
    TRecordingHost scratchHost(ZAZO_BINARY_DIR "/");
    scratchHost.readPictures = false;
    auto scratch = std::make_unique<TMainForm>(scratchHost);
    TGameState state;

    auto key = [&](uint16_t k) {
      form->FormKeyDown(k, false);
      recorder.OnKey(*form, k, false);
    };
    key('4');
    uint32_t elapsed = 0;
    for (long idle = 0; elapsed < kTenMinutesMs && !recorder.HasPending(); idle++) {
      host.ClearEvents();
      if (recorder.Recording() && form->scene == kScenePlay && form->turnSide == 0 &&
          idle % 4 == 0) {
        state.Take(*form);
        state.Restore(*scratch);
        const uint16_t k = Side1Key(scratch->AutoPlayerStep());
        if (k != 0) key(k);
      }
      const uint32_t step = idle % 3 == 0 ? 16 : 17;
      host.clock += step;
      recorder.BeforeFrame(*form, host.clock);
      form->IdleFrame(host.clock);
      recorder.AfterFrame(*form);
      if (recorder.Recording()) elapsed += step;
    }
    recorder.EndSession(*form);
    std::string error;
    recorder.WritePending(&error);
    figures.gameMs = elapsed;
    figures.endedByGameOver = form->scene == kSceneGameOver;
    std::string text;
    ReadReplayFileText(recorder.LastWrittenPath().c_str(), 64u << 20, &text, &error);
    figures.bytes = text.size();
    double best = 1e30;
    for (int run = 0; run < 3; run++) {
      const auto t0 = std::chrono::steady_clock::now();
      const TReplaySummary s = SummarizeReplay(text, TReplayLimits());
      const auto t1 = std::chrono::steady_clock::now();
      figures.reproduced = s.status == TReplayStatus::kOk;
      best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    figures.summaryMs = best;
  }
  const std::string command = std::string("rm -rf '") + folder + "'";
  (void)std::system(command.c_str());
  return figures;
}

// One machine of a match, headless: a game object on a recording host
// behind the match's host and the replay recorder, a direct ENet link and
// the match engine, and a bot that presses its side's keys on its turn.
// Two of these in one thread play a whole match through the link simulator
// without waiting for real time between ticks (the tests and the benchmark).
#pragma once

#include <chrono>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/game_state.h"
#include "app/main.h"
#include "net/enet_link.h"
#include "net/match_engine.h"
#include "net/match_host.h"
#include "net/match_runner.h"
#include "recording_host.h"
#include "replay/replay_recorder.h"
#include "replay/replay_tap.h"

inline uint32_t SteadyMs() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

struct TMatchPeer {
  TRecordingHost base{""};
  TMatchHost host{base};
  TReplayRecorder recorder;
  TReplayTapHost tap{host, recorder};
  std::unique_ptr<TMainForm> form = std::make_unique<TMainForm>(tap);
  std::unique_ptr<TEnetLink> link;
  std::unique_ptr<TMatchEngine> engine;
  std::unique_ptr<TGameState> scratch = std::make_unique<TGameState>();
  std::mt19937 bot;
  int side = 0;
  uint16_t inputDelay = 4;
  bool botOn = true;
  bool plantDesyncAtHash = false;  // toggles effects locally (not as a match input) once
  uint32_t plantAtTick = 0;
  std::vector<uint64_t> hashes;  // one per kHashEvery ticks
  uint32_t gameOverTick = 0;     // the first tick that ended in game over (0: none yet)
  uint32_t clockBase = 100000;

  TMatchPeer(const std::string& replayFolder, uint32_t seed, int side_)
      : recorder(replayFolder), bot(seed), side(side_) {
    base.readPictures = false;
    base.localTime = "20261208120000";
    form->SeedRandom(seed);
    form->FormCreate();
  }

  // One pass of the main loop; true when a tick ran.
  bool Step() {
    engine->Pump(SteadyMs());
    if (engine->Phase() == TMatchPhase::kEnded && host.inMatch) {
      EndMatchGame(*form, host, &recorder);
      std::string error;
      if (recorder.HasPending()) recorder.WritePending(&error);
    }
    if (engine->NeedsDeal()) {
      TGameState start;
      TMatchSettings settings;
      const char* error = nullptr;
      if (MakeMatchStart(*form, clockBase, engine->MatchNumber() + 1, inputDelay, 0x3ffff,
                         "20261208120000", &start, &settings, &error)) {
        engine->Deal(start, settings);
      }
    }
    const TGameState* start;
    const TMatchSettings* settings;
    if (engine->TakeStart(&start, &settings)) {
      LoadMatchStart(*form, host, *start, *settings);
      RecordMatchTime(recorder, settings->localTime);
    }
    if (engine->Phase() != TMatchPhase::kPlaying) return false;
    if (!host.inMatch) return false;
    if (botOn) Bot();
    TMatchTick tick;
    if (!engine->NextTick(clockBase + 17 * engine->TicksRun(), &tick)) return false;
    RunMatchTick(*form, host, tick, &recorder);
    if (form->scene == kSceneGameOver && gameOverTick == 0) gameOverTick = tick.tick + 1;
    if (plantDesyncAtHash && tick.tick == plantAtTick) {
      form->showEffects = !form->showEffects;  // behind the other machine's back
      plantDesyncAtHash = false;
    }
    if (engine->HashDue()) {
      scratch->Take(*form);
      hashes.push_back(MatchStateHash(*scratch, reinterpret_cast<uint8_t*>(hashScratch.get())));
      engine->TickRan(scratch.get());
    } else {
      engine->TickRan(nullptr);
    }
    if (engine->Phase() == TMatchPhase::kEnded) EndMatchGame(*form, host, &recorder);
    std::string error;
    if (recorder.HasPending()) recorder.WritePending(&error);
    return true;
  }

  void Bot() {
    const uint32_t roll = bot() % 1000;
    if (form->scene == kScenePlay && form->turnSide == side && roll < 150) {
      static const uint16_t keys[] = {'W', 'A', 'S', 'D', 'V', 'B', 'G', 'V', 'V', 'B'};
      engine->AddLocalInput({TMatchInput::kKey, 0, 0, SideKeyFor(side, keys[bot() % 10]), 0, 0});
    } else if (roll < 153) {
      // A gauge click whoever has the turn: counts only on this side's turn.
      engine->AddLocalInput({TMatchInput::kClick, 0, 0, 0, 100, 460});
    } else if (roll == 999 && bot() % 8 == 0) {
      engine->AddLocalInput(
          {TMatchInput::kKey, 0, 0, static_cast<uint16_t>('1' + bot() % 2), 0, 0});
    }
  }

  std::unique_ptr<uint8_t[]> hashScratch{new uint8_t[kStartSizeBound]};
};

#include "platform/replay_watch.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/main.h"
#include "platform/sdl_host.h"
#include "replay/replay_file_reader.h"
#include "replay/replay_host.h"
#include "replay/replay_player.h"
#include "system/program_env.h"

namespace {

constexpr size_t kMaxFileBytes = 64u << 20;
constexpr uint64_t kMaxWatchFrames = 50'000'000;  // over nine days of play
constexpr uint32_t kFastFactor = 4;
constexpr uint32_t kHoldEndMs = 3000;  // the last picture stays this long
constexpr int kMaxStepsPerIdle = 8;    // catching up never freezes the window

// The viewer's own keys and the window's events; the game sees none of them.
struct TWatchControls {
  bool quit = false;
  bool paused = false;
  bool fast = false;  // the right arrow is held

  void Poll(TSdlHost& host) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      if (e.type == SDL_QUIT) {
        quit = true;
      } else if (e.type == SDL_KEYDOWN) {
        if (e.key.keysym.sym == SDLK_ESCAPE) quit = true;
        if (e.key.keysym.sym == SDLK_SPACE && e.key.repeat == 0) paused = !paused;
        if (e.key.keysym.sym == SDLK_RIGHT) fast = true;
      } else if (e.type == SDL_KEYUP) {
        if (e.key.keysym.sym == SDLK_RIGHT) fast = false;
      } else if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        fast = false;  // its release will not reach us
        host.HandleEvent(e);
      } else if (e.type == SDL_WINDOWEVENT || e.type == SDL_RENDER_TARGETS_RESET ||
                 e.type == SDL_RENDER_DEVICE_RESET) {
        host.HandleEvent(e);
        if (host.QuitRequested()) quit = true;
      }
    }
  }
};

}  // namespace

int WatchReplay(const char* path) {
  std::string text, error;
  if (!ReadReplayFileText(path, kMaxFileBytes, &text, &error)) {
    std::fprintf(stderr, "Zazo Puzzle: cannot watch %s\n", error.c_str());
    return 2;
  }
  std::vector<TReplayGame> games;
  int line = 0;
  const TReplayParseError parsed = ParseReplayFile(text, kMaxWatchFrames, &games, &line, &error);
  if (parsed == TReplayParseError::kWrongVersion) {
    std::fprintf(stderr,
                 "Zazo Puzzle: %s was not written by this version of the game and cannot be "
                 "watched: %s\n",
                 path, error.c_str());
    return 2;
  }
  if (parsed != TReplayParseError::kNone) {
    std::fprintf(stderr, "Zazo Puzzle: %s is not a replay that can be watched: %s\n", path,
                 error.c_str());
    return 2;
  }
  text.clear();
  text.shrink_to_fit();

  TSdlHost window(ChooseGameFolders(ProgramFolder()));
  TReplayHost host(&window);
  auto form = std::make_unique<TMainForm>(host);
  if (!window.CreateWindow()) return 1;
  form->FormCreate();  // pictures, sound and music as the game starts them
  window.ShowWindow();

  TWatchControls controls;
  uint64_t frames = 0, fastFrames = 0;
  for (const TReplayGame& game : games) {
    TReplayPlayer player(game, *form, host);
    player.Start();
    uint32_t last = SDL_GetTicks();
    uint64_t budget = 0;  // milliseconds of the replay due to be shown
    while (!controls.quit && !player.Done()) {
      controls.Poll(window);
      window.RepaintIfNeeded();
      SDL_Delay(1);
      const uint32_t now = SDL_GetTicks();
      const uint32_t passed = now - last;
      last = now;
      if (controls.paused) continue;
      budget += static_cast<uint64_t>(passed) * (controls.fast ? kFastFactor : 1);
      for (int steps = 0; steps < kMaxStepsPerIdle && !player.Done(); steps++) {
        const uint32_t delta = player.NextDelta();
        if (budget < delta) break;
        budget -= delta;
        // Of several frames due at once only the last is shown.
        host.presentFrames = steps + 1 == kMaxStepsPerIdle || budget < player.DeltaAfterNext();
        if (controls.fast) fastFrames++;
        try {
          player.Step();
        } catch (const std::exception& e) {
          window.ShowErrorBox(e.what());
          controls.quit = true;
          break;
        }
      }
      // Do not bank time while catching up after a stall.
      if (budget > 1000) budget = 1000;
    }
    frames += player.FramesRun();
    if (controls.quit) break;
  }
  // The end stays on screen a moment, unless the viewer leaves first.
  const uint32_t endShown = SDL_GetTicks();
  while (!controls.quit && SDL_GetTicks() - endShown < kHoldEndMs) {
    controls.Poll(window);
    window.RepaintIfNeeded();
    SDL_Delay(10);
  }

  std::printf("watched %s: %llu frames, %llu of them at four times the speed\n", path,
              static_cast<unsigned long long>(frames), static_cast<unsigned long long>(fastFrames));
  window.HideWindow();
  window.ShutdownSound();
  window.DestroyWindow();
  SDL_Quit();
  return 0;
}

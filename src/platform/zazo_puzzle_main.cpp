// Zazo Puzzle: the program. Seeds the generators, opens the window, runs
// start-up, then the message loop with the frame loop as its idle step, and
// shuts down when the window closes. Every game is recorded and written to
// the save folder's replays/ when it ends.
//
//   zazo-puzzle                  plays
//   zazo-puzzle --watch REPLAY   plays a replay file in the window
//   zazo-puzzle REPLAY           the same (how the desktop opens a .zzr file)
//   zazo-puzzle --board URL      registers at that score board
//   zazo-puzzle --daily          starts today's challenge at once
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "app/main.h"
#include "platform/program_env.h"
#include "platform/replay_watch.h"
#include "platform/sdl_host.h"
#include "platform/startup_checks.h"
#include "platform/window_icon.h"
#include "replay/replay_recorder.h"
#include "replay/replay_tap.h"

namespace {
// Writes the replay of a game that has just ended; a failure costs only it.
void WriteFinishedReplay(TSdlHost& host, TReplayRecorder& replays) {
  if (!replays.HasPending()) return;
  std::string error;
  host.ReadySaveFolder(&error);  // when it cannot be made, the write says so
  const bool written = replays.WritePending(&error);
  if (!written) {
    std::fprintf(stderr, "Zazo Puzzle: the replay could not be written: %s\n", error.c_str());
  }
  // A challenge game whose replay is lost cannot be sent; the next game is not it.
  host.Board().Challenge().ReplayWritten(written ? replays.LastWrittenPath() : std::string());
}

struct TOptions {
  std::string watch;  // a replay to watch
  std::string board;  // the board address ("" the build's)
  bool daily = false;
};

// false: a usage error (told on standard error).
bool ReadOptions(int argc, char** argv, TOptions* o) {
  for (int i = 1; i < argc; i++) {
    const std::string arg = argv[i];
    if ((arg == "--watch" || arg == "--board") && i + 1 < argc) {
      (arg == "--watch" ? o->watch : o->board) = argv[++i];
    } else if (arg == "--daily") {
      o->daily = true;
    } else if (arg.rfind("-", 0) != 0 && o->watch.empty()) {
      o->watch = arg;
    } else {
      std::fprintf(stderr,
                   "usage: zazo-puzzle [--board URL] [--daily] [--watch REPLAY | REPLAY]\n");
      return false;
    }
  }
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  IgnoreFileSizeLimitSignal();
  EnsureUtf8Locale();
  TOptions options;
  if (!ReadOptions(argc, argv, &options)) return 2;
  TBoardAddress board;
  std::string error;
  if (!options.board.empty() && !ParseBoardAddress(options.board, &board, &error)) {
    std::fprintf(stderr, "zazo-puzzle: %s\n", error.c_str());
    return 2;
  }
  if (!FindDisplay()) return 1;
  if (!options.watch.empty()) return WatchReplay(options.watch.c_str());
  // Pictures and sounds beside the program or installed under share/; the
  // best score in the program's own save/ or the per-user data folder.
  TSdlHost host(ChooseGameFolders(ProgramFolder()));
  host.Board().address = board;
  TReplayRecorder replays(host.SaveDir() + "replays/");
  TReplayTapHost tap(host, replays);
  TMainForm form(tap);
  // Once, before any window exists.
  form.SeedRandom(UtcTimeOfDayMs());

  if (!host.CreateWindow()) return 1;
  SetGameWindowIcon(host.Window());
  host.AttachForm(&form);
  host.recorder = &replays;
  try {
    form.FormCreate();
  } catch (const std::exception& e) {
    // Start-up cut short: reported, the frame loop never runs, the window
    // stays until it is closed.
    host.ShowErrorBox(e.what());
  } catch (...) {
    host.ShowErrorBox("unknown error during start-up");
  }
  host.ShowWindow();
  if (options.daily) host.RequestDailyChallenge();

  while (true) {
    host.DrainEvents();
    WriteFinishedReplay(host, replays);
    if (host.QuitRequested()) break;
    host.RepaintIfNeeded();
    // Idle: sleep 1 ms, then at most one frame (none while paused).
    SDL_Delay(1);
    if (host.Paused()) continue;
    try {
      const uint32_t now = host.Clock();
      // A challenge's dealt start, in time for the recorder's snapshot.
      host.Board().Challenge().BeforeFrame(form, now);
      replays.BeforeFrame(form, now);
      form.IdleFrame(now);
      replays.AfterFrame(form);
    } catch (const std::exception& e) {
      // The frame loop has stopped for good; the window stays and can be closed.
      host.ShowErrorBox(e.what());
    } catch (...) {
      host.ShowErrorBox("unknown error in a frame");
    }
  }

  form.FormDestroy();  // saves the best score, first of all
  // Gone from the screen at once; the sound's one-second wait follows unseen.
  host.HideWindow();
  host.ShutdownSound();
  host.DestroyWindow();
  SDL_Quit();
  return 0;
}

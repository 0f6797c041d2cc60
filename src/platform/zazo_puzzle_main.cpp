// Zazo Puzzle: the program. Seeds the generators, opens the window, runs
// start-up, then the message loop with the frame loop as its idle step, and
// shuts down when the window closes.
#include <SDL.h>

#include <cstdio>
#include <exception>

#include "app/main.h"
#include "platform/program_env.h"
#include "platform/sdl_host.h"
#include "platform/startup_checks.h"
#include "platform/window_icon.h"

int main(int, char**) {
  IgnoreFileSizeLimitSignal();
  EnsureUtf8Locale();
  if (!FindDisplay()) return 1;
  // Pictures and sounds beside the program or installed under share/; the
  // best score in the program's own save/ or the per-user data folder.
  TSdlHost host(ChooseGameFolders(ProgramFolder()));
  TMainForm form(host);
  // Once, before any window exists.
  form.SeedRandom(UtcTimeOfDayMs());

  if (!host.CreateWindow()) return 1;
  SetGameWindowIcon(host.Window());
  host.AttachForm(&form);
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

  while (true) {
    host.DrainEvents();
    if (host.QuitRequested()) break;
    host.RepaintIfNeeded();
    // Idle: sleep 1 ms, then at most one frame (none while paused).
    SDL_Delay(1);
    if (host.Paused()) continue;
    try {
      form.IdleFrame(host.Clock());
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

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
//   zazo-puzzle --host [PORT]    waits for an opponent on UDP PORT (47651)
//   zazo-puzzle --join HOST:PORT plays against the machine waiting there
//   zazo-puzzle --create-room    makes a room at the board's relay ("room CODE")
//   zazo-puzzle --join CODE      joins a room; --quick pairs with whoever waits
//   zazo-puzzle --spectate CODE  follows a room's match
#include <SDL.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/main.h"
#include "net/match_host.h"
#include "platform/game_options.h"
#include "platform/match_session.h"
#include "platform/replay_watch.h"
#include "platform/room_meeting.h"
#include "platform/sdl_host.h"
#include "platform/startup_checks.h"
#include "platform/window_icon.h"
#include "replay/replay_recorder.h"
#include "replay/replay_tap.h"
#include "settings/settings_file.h"
#include "system/program_env.h"

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

}  // namespace

int main(int argc, char** argv) {
  // The command line first: --help and --version need no display.
  TGameOptions options;
  std::string out;
  std::string err;
  const int status = ParseGameOptions(argc, argv, &options, &out, &err);
  std::fputs(out.c_str(), stdout);
  std::fputs(err.c_str(), stderr);
  if (status >= 0) return status;
  IgnoreFileSizeLimitSignal();
  EnsureUtf8Locale();
  TBoardAddress board;
  std::string error;
  if (!options.board.empty()) ParseBoardAddress(options.board, &board, &error);  // checked
  if (!FindDisplay()) return 1;
  if (options.watch) return WatchReplay(options.watchPath.c_str());
  // Pictures and sounds beside the program or installed under share/; the
  // best score in the program's own save/ or the per-user data folder.
  TSdlHost host(ChooseGameFolders(ProgramFolder()));
  // The player's settings, read before the window opens (its size).
  TSettingsStore settings(UserConfigFolder(),
                          [](const std::string& folder) { return MakeFolderPath(folder, 0700); });
  settings.Load(stderr);
  host.AttachSettings(&settings);
  // The board: --board, else the settings' address, else the build's.
  if (!options.board.empty()) host.GiveBoard(board);
  TReplayRecorder replays(host.SaveDir() + "replays/");
  // In a network match the game reads the match's clock and music results.
  TMatchHost matchHost(host);
  TReplayTapHost tap(matchHost, replays);
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
  // Volumes, the display toggles and full screen as the player left them,
  // before the first frame.
  host.ApplyStartSettings();
  TMatchSession match(form, matchHost, host, replays);
  if (options.host || !options.join.empty()) {
    std::string error;
    if (!match.Start(options, &error)) {
      std::fprintf(stderr, "Zazo Puzzle: %s\n", error.c_str());
      host.ShowErrorBox(error.c_str());
    }
  }
  if (options.daily) host.RequestDailyChallenge();
  host.match = &match;
  // Rooms at the board's relay, from the options or the title's menu (O):
  // the board of --board, else the settings', else the build's.
  TRoomMeeting meeting(form, match, replays, host.Board().address.base, options.name,
                       options.inputDelay);
  host.meeting = &meeting;
  meeting.Start(options);

  while (true) {
    host.DrainEvents();
    meeting.Pump();
    match.Pump();
    WriteFinishedReplay(host, replays);
    if (host.QuitRequested()) break;
    host.RepaintIfNeeded();
    // Idle: asleep until the next frame is due or an event comes, then at
    // most one frame (none while paused). Waking once a frame instead of
    // every millisecond runs the same frames at the same clock readings. A
    // match wakes every millisecond: the other machine's inputs come any time.
    host.SleepUntilDue(match.Active()  ? 1u
                       : host.Paused() ? 16u
                                       : form.MsToNextFrame(host.Clock()));
    try {
      if (match.Frame()) continue;  // the match runs the frames
    } catch (const std::exception& e) {
      host.ShowErrorBox(e.what());
    }
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

  // A match still on is left: the other machine is told, and the match's
  // game ends at the tick both agree on.
  match.Shutdown();
  host.match = nullptr;
  host.meeting = nullptr;
  // A game still in play when the window closes ends here: its end is taken
  // before anything is torn down, and written once the window is gone.
  replays.EndSession(form);
  form.FormDestroy();  // saves the best score, first of all
  // Gone from the screen at once; the sound's one-second wait follows unseen.
  host.HideWindow();
  WriteFinishedReplay(host, replays);
  host.ShutdownSound();
  host.DestroyWindow();
  SDL_Quit();
  return 0;
}

// A live game as the program runs it, headless: the recording host under the
// replay tap, the recorder told of every input and frame, replays written
// into a fresh folder between frames. What each game ended with is kept for
// comparison with the replay's run.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>

#include "app/main.h"
#include "platform/picture_loader.h"
#include "recording_host.h"
#include "replay/replay_file_reader.h"
#include "replay/replay_player.h"
#include "replay/replay_recorder.h"
#include "replay/replay_tap.h"
#include "script_runner.h"

// A folder under /tmp removed with its files at the end.
class TTempFolder {
 public:
  TTempFolder() {
    char name[] = "/tmp/zazo-replay-test.XXXXXX";
    path_ = mkdtemp(name) ? name : "/tmp";
    path_ += '/';
  }
  ~TTempFolder() {
    const std::string command = "rm -rf '" + path_ + "'";
    if (path_ != "/tmp/") (void)std::system(command.c_str());
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// A file's whole text ("" when it cannot be read).
inline std::string ReadText(const std::string& path) {
  std::string text, error;
  ReadReplayFileText(path.c_str(), 64u << 20, &text, &error);
  return text;
}

// The state's dump block as zazo-replay prints it, without the host's events.
inline std::string StateDump(const TMainForm& form, TRecordingHost& host) {
  host.ClearEvents();
  std::string block;
  AppendDumpBlock(0, form, host, &block);
  return block;
}

// How a live game ended and what it showed.
struct TLiveEnd {
  int32_t sceneAtEnd = 0;  // 300 game over, 150 restart, 100 title, else other
  std::string dump;        // the dump block of the state at the end
  std::string scoreText;   // the widgets' texts when shown, else "-"
  std::string signature;
};

class TLiveSession {
 public:
  // assets: the folder the recording host reads pictures and finds music in.
  explicit TLiveSession(const std::string& folder, uint32_t clockStart = 0,
                        const std::string& assets = ZAZO_BINARY_DIR "/")
      : host(assets, LoadPictureFile),
        recorder(folder + "replays/"),
        tap(host, recorder),
        form(tap) {
    recorder.localTimeNow = [](char out[15]) { std::snprintf(out, 15, "%s", "20261208091530"); };
    host.localTime = "20261208101112";
    host.clock = clockStart;
    form.SeedLcg(77);
    form.SeedMt(4242);
    form.FormCreate();
    if (form.errorCode != 0) {
      // No generated pictures in this build folder: draw into empty sheets.
      host.readPictures = false;
      form.LoadAssets();
    }
  }

  // One input, as the window hands it over: to the game, then the recorder.
  void Deliver(const TReplayInput& in) {
    DeliverReplayInput(in, form);
    switch (in.kind) {
      case TReplayInput::kKey:
        recorder.OnKey(form, in.key, in.alt != 0);
        break;
      case TReplayInput::kMove:
        recorder.OnMove(form, in.x, in.y);
        break;
      case TReplayInput::kClick:
        recorder.OnClick(form, in.button, in.x, in.y);
        break;
    }
    NoteEnd();
  }
  void Key(uint16_t key, bool alt = false) {
    TReplayInput in;
    in.key = key;
    in.alt = alt ? 1 : 0;
    Deliver(in);
  }

  // Between frames: a finished game's replay is written.
  void WritePending() {
    std::string error;
    writeOk = recorder.WritePending(&error) && writeOk;
    if (!error.empty()) lastError = error;
    if (!recorder.LastWrittenPath().empty() && pendingEnd_) {
      ends[recorder.LastWrittenPath()] = end_;
      pendingEnd_ = false;
    }
  }

  // One idle call `step` ms after the last, with the recorder around it.
  void Idle(uint32_t step) {
    WritePending();
    host.clock += step;
    recorder.BeforeFrame(form, host.clock);
    form.IdleFrame(host.clock);
    recorder.AfterFrame(form);
    NoteEnd();
  }

  // The window closes.
  void Close() {
    recorder.EndSession(form);
    NoteEnd();
    WritePending();
  }

  TRecordingHost host;
  TReplayRecorder recorder;
  TReplayTapHost tap;
  TMainForm form;
  std::map<std::string, TLiveEnd> ends;  // by replay path
  bool writeOk = true;
  std::string lastError;

 private:
  // Keeps what a game that has just ended showed, for its replay's file.
  void NoteEnd() {
    if (!recorder.HasPending() || pendingEnd_) return;
    pendingEnd_ = true;
    end_.sceneAtEnd = form.scene;
    end_.dump = StateDump(form, host);
    const bool shown = form.scene == kSceneGameOver && form.versusMode == 0;
    end_.scoreText = shown ? host.scoreText : "-";
    end_.signature = shown ? host.scoreMd5 : "-";
  }

  bool pendingEnd_ = false;
  TLiveEnd end_;
};

// Plays one game of the mode the title key chooses ('4' single, '5' from
// level 99, '3' two people, '6' against the computer) to game over by
// raising the stack, and returns its replay's text.
inline std::string PlayToGameOver(const std::string& folder, uint16_t modeKey) {
  TLiveSession live(folder);
  live.Key(modeKey);
  for (int i = 0; i < 20000 && !live.recorder.HasPending(); i++) {
    if (live.form.scene == kScenePlay && i % 5 == 0) live.Key(i % 10 ? 'G' : 'D');
    live.Idle(i % 3 ? 16 : 17);
  }
  live.WritePending();
  return ReadText(live.recorder.LastWrittenPath());
}

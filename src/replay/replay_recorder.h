// Records every game the player plays, from the frame that starts it (scene
// 150) to its end, and writes it as a replay file between frames.
//
// The program calls, in its own event and frame code:
//   OnKey / OnMove / OnClick   just after an input was handed to the game;
//   BeforeFrame / AfterFrame   around every idle call of the frame loop;
//   WritePending               between frames (it is the only call that
//                              allocates or touches files);
//   EndSession                 when the window closes;
// and, through TReplayTapHost, what the game learnt from outside (music
// results, the local time, the score text).
//
// A game ends at game over, when a restart (7) or the title (8) takes it out
// of play, or when the window closes. Everything is kept in storage fixed at
// construction: kMaxFrames frames, kMaxInputs inputs and kMaxMusic music
// changes per game. A game that goes beyond any of them (over two hours
// without an end) is not kept: its replay is dropped with a message on
// standard error, and the next game is recorded as usual.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "replay/replay_format.h"

class TMainForm;

class TReplayRecorder {
 public:
  static constexpr uint32_t kMaxFrames = 1u << 19;  // 2 h 25 min at 60 frames a second
  static constexpr uint32_t kMaxInputs = 1u << 18;
  static constexpr uint32_t kMaxMusic = 1u << 12;
  static constexpr int kKeep = 100;  // the newest replays kept besides best.zzr

  // folder: where replays go, ending in '/' (the save folder's "replays/");
  // made when the first replay is written.
  explicit TReplayRecorder(std::string folder);

  void OnKey(const TMainForm& f, uint16_t key, bool alt);
  void OnMove(const TMainForm& f, int32_t x, int32_t y);
  void OnClick(const TMainForm& f, int button, int32_t x, int32_t y);
  // now: the value handed to IdleFrame.
  void BeforeFrame(const TMainForm& f, uint32_t now);
  void AfterFrame(const TMainForm& f);
  void EndSession(const TMainForm& f);

  void OnMusicResult(bool ok);
  void OnLocalTime(const char* text14);
  void OnScoreShown(const char* scoreText, const char* signature);

  // Writes the game that has ended, if any: replays/DATE-TIME-MODE-SCORE.zzr,
  // the oldest beyond kKeep removed, best.zzr replaced when a single-player
  // game beats it. True when there was nothing to write or it was written;
  // false with *error when the write failed (only this replay is lost).
  bool WritePending(std::string* error);
  bool HasPending() const { return state_ == kFinished; }
  bool Recording() const { return state_ == kRecording; }

  // The file written for the last finished single-player game ("" before
  // any), and the last file written at all.
  const std::string& LastReplayPath() const { return lastSinglePath_; }
  const std::string& LastWrittenPath() const { return lastPath_; }
  const std::string& Folder() const { return folder_; }

  // The local time "yyyymmddhhnnss" for games that show no score text
  // (replaceable by tests).
  void (*localTimeNow)(char out[15]);

 private:
  enum TState { kIdle, kRecording, kFinished };
  void Start(const TMainForm& f);
  void Finish(const TMainForm& f);
  void AddInput(const TMainForm& f, const TReplayInput& in);
  void Overflow(const char* what);
  bool WriteBest(const std::string& text, int32_t score, std::string* error);
  void Prune();

  std::string folder_;
  std::string lastSinglePath_, lastPath_;
  TState state_ = kIdle;
  bool due_ = false;
  const char* overflow_ = nullptr;
  std::unique_ptr<uint32_t[]> clocks_;
  std::unique_ptr<TReplayInput[]> inputs_;
  std::unique_ptr<uint8_t[]> music_;
  std::unique_ptr<TGameState> start_, end_;
  std::unique_ptr<char[]> scratch_;
  uint32_t frames_ = 0, inputCount_ = 0, musicCount_ = 0;
  char localTime_[15] = {};
  TReplayResult result_;
  int32_t lastScore_ = 0, lastLevel_ = 0;
};

// The current local time as "yyyymmddhhnnss".
void LocalTimeNow(char out[15]);

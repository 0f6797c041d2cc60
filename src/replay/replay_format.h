// The replay file (.zzr): a text a person can read, holding one or more games
// as the game recorded them. Not to be confused with the harness's input
// scripts (tools/replay), which list inputs by hand. replay_file_writer.h
// writes it, replay_file_reader.h reads it; this header holds what both share.
//
//   zazo-puzzle-replay 1                    the version line
//   game single                             mode: single advanced versus2 versusai
//   time 20261208153012                     the local date and time of the score text
//   state                                   the whole state as the first frame sees it
//   scene 150                               ... one line per field of the state list,
//   mt 113 / mtw 5e0790d1 ...               the generator's position and words,
//   board 0 ...                             the arrays one line per column / slot /
//   end state                               effect, in the list's order
//   clock 1234567                           the first frame's millisecond clock
//   frames 3500                             then the deltas to each next frame,
//   d GHGHHG...                             one letter per frame ('0'..'9' 'A'..'Z'
//   inputs 2                                'a'..'z' for 0..61 ms, "[N]" beyond)
//   i 0 k 52 0                              before frame 0: key 52, no Alt
//   i 3 m 120 200 / i 3 c 0 120 200         pointer move / click (button x y)
//   music 1101                              what each music change returned
//   result 120 1 SCORETEXT SIGNATURE DIGEST what the game ended with
//   end game
//
// Frames count from 0; an input "before frame N" with N == frames came after
// the last frame (the key that ended the game). SCORETEXT and SIGNATURE are
// "-" when the game showed none; DIGEST is the MD5 of the final state's text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/game_state.h"

// The first line of every replay this version writes and reads.
extern const char kReplayVersionLine[];

struct TReplayInput {
  enum TKind : uint8_t { kKey, kMove, kClick };
  uint32_t frame = 0;  // delivered before this frame of the game
  TKind kind = kKey;
  uint8_t alt = 0;     // keys: Alt held
  uint8_t button = 0;  // clicks: TMainForm::TMouseButton
  uint16_t key = 0;    // keys: the virtual-key code
  int32_t x = 0, y = 0;
};

// What a game ended with, as the live game saw it.
struct TReplayResult {
  int32_t score = 0;  // after the last frame
  int32_t level = 0;
  char scoreText[40] = "-";  // the score widget's text, "-" when none was shown
  char signature[40] = "-";
  char digest[33] = {};  // MD5 of the state text after the last input
};

// One game as the writer takes it (views, so the recorder's fixed storage
// can be written without copying).
struct TReplayGameView {
  const TGameState* start = nullptr;
  const char* localTime = "00000000000000";  // 14 digits
  std::span<const uint32_t> clocks;          // one per frame
  std::span<const TReplayInput> inputs;      // in delivery order
  std::span<const uint8_t> music;            // 0 or 1 per music change
  TReplayResult result;
};

// One game as the reader gives it.
struct TReplayGame {
  std::string mode;
  TGameState start;
  char localTime[15] = {};
  std::vector<uint32_t> clocks;
  std::vector<TReplayInput> inputs;
  std::vector<uint8_t> music;
  TReplayResult result;
};

// "single", "advanced", "versus2" or "versusai", from the mode flags.
const char* ReplayModeName(const TGameState& s);

// Checks a start state against what a game can hold at its first frame
// (scene 150, the loop running, the board's place, flags 0 or 1, values in
// range); false with the reason in *error.
bool CheckStartState(const TGameState& s, std::string* error);

// The replay file: a text a person can read, holding one or more games.
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
#include <string_view>
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

// A fixed buffer that text is appended to; never allocates. When the text
// does not fit, `full` is set and the text is cut.
struct TTextBuffer {
  char* data;
  size_t capacity;
  size_t length = 0;
  bool full = false;
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Append(const char* text, size_t n);
};

// The state lines (from "state" to "end state" inclusive).
void AppendStateText(const TGameState& s, TTextBuffer& out);
// An upper bound of the state lines' length.
constexpr size_t kStateTextMax = 96 * 1024;

// The MD5 (32 hex digits) of the state's text; allocates nothing: `scratch`
// must hold kStateTextMax bytes.
void StateDigest(const TGameState& s, char* scratch, char out[33]);

// The whole file: the version line, then each game.
std::string FormatReplay(std::span<const TReplayGameView> games);

// Why a text was not read.
enum class TReplayParseError { kNone, kMalformed, kWrongVersion, kOverLimit };

// Reads a replay file's text into *games. On failure returns the kind, with
// *line the 1-based line at fault and *error a reason ("line 12: ..."):
// kWrongVersion for a first line other than this version's (or no replay at
// all), kOverLimit when the games hold more than maxFrames frames together,
// kMalformed for anything else. Never crashes, and allocates no more than a
// small multiple of the text's size.
TReplayParseError ParseReplay(std::string_view text, uint64_t maxFrames,
                              std::vector<TReplayGame>* games, int* line, std::string* error);

// Reads a whole file of at most maxBytes into *text; false with *error
// ("<path>: <reason>") when it cannot be read or is larger.
bool ReadReplayFile(const char* path, size_t maxBytes, std::string* text, std::string* error);

// Checks a start state against what a game can hold at its first frame
// (scene 150, the loop running, the board's place, flags 0 or 1, values in
// range); false with the reason in *error.
bool CheckStartState(const TGameState& s, std::string* error);

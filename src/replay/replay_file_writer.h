// The replay file's writer.
//
// Accepts: any game the recorder kept (a start state, one clock per frame,
// the inputs in delivery order, the music results, the result); it checks
// nothing, so a state that could not start a game is written as it stands
// (the reader refuses it).
// Refuses: nothing; a text that does not fit a TTextBuffer is cut and the
// buffer marked full.
// Allocates: FormatReplayFile allocates the returned text once, sized from
// the games; TTextBuffer, AppendStateText and StateDigest allocate nothing
// and can run inside a frame.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "replay/replay_format.h"

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

// The whole file: the version line, a comment line, then each game.
std::string FormatReplayFile(std::span<const TReplayGameView> games);

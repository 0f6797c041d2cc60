// The replay file's reader.
//
// Accepts: this version's text (LF or CR LF line ends, '#' comment lines,
// blank lines between games), one game or more.
// Refuses: another version or no replay at all (kWrongVersion); more frames
// than the caller allows (kOverLimit); anything else out of form or out of
// range, and a start state no game can begin from (kMalformed). Each refusal
// names the 1-based line at fault. Never crashes on hostile text.
// Allocates: the games it returns, no more than a small multiple of the
// text's size (counts are checked against the text left before anything is
// reserved); ReadReplayFileText at most maxBytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "replay/replay_format.h"

// Why a text was not read.
enum class TReplayParseError { kNone, kMalformed, kWrongVersion, kOverLimit };

// Reads a replay file's text into *games. On failure returns the kind, with
// *line the 1-based line at fault, *error a reason ("line 12: ...") and
// *games empty.
TReplayParseError ParseReplayFile(std::string_view text, uint64_t maxFrames,
                                  std::vector<TReplayGame>* games, int* line, std::string* error);

// Reads a whole file of at most maxBytes into *text; false with *error
// ("<path>: <reason>") when it cannot be read or is larger.
bool ReadReplayFileText(const char* path, size_t maxBytes, std::string* text, std::string* error);

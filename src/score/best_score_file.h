// The best-score file save/score.dat: one line, the score in decimal, CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The best score when there is no file (also what a script of zazo-replay
// starts with unless it says otherwise).
constexpr int32_t kDefaultBestScore = 765;

// The most of the first line that is read, line end included: a first line
// still undecided after this many bytes (blanks or leading zeros going on
// and on) is not a number.
constexpr size_t kBestScoreLineMax = 4096;

// The value of the file's first line (line ends CR LF, LF or CR): a signed
// 32-bit decimal with optional leading blanks and sign. Anything else (no
// digits, out of range, trailing characters, an empty file, no line end nor
// end of file within kBestScoreLineMax bytes) gives 0.
//
// Blanks are spaces and tabs. A leading '+' is accepted ("+12" is 12), as the
// game has always read it; the file is never written with one. Leading zeros
// are accepted. A UTF-8 byte-order mark before the line (left by some text
// editors) is skipped, so a hand-edited file keeps its score.
int32_t ParseBestScore(std::string_view content);

// value in decimal followed by CR LF.
std::string FormatBestScore(int32_t value);

// The same into out (at least 14 bytes), NUL-terminated; returns the length.
int FormatBestScoreTo(int32_t value, char* out, int outSize);

// Reads path: kDefaultBestScore when no file exists, else ParseBestScore of its content.
// Only the first line is read, and no further than the first character that
// settles the value nor beyond kBestScoreLineMax bytes, so the time it takes
// never depends on the file's size. A named pipe or device at path is
// refused at once, never waited on.
//
// A path that exists but cannot be read as a file (a folder, a device, no
// read permission, a read error) also gives kDefaultBestScore, as if there were no file:
// its real value is unknown, so it is not shown as 0. It is not overwritten
// blindly either: the save never replaces a folder or a device, nor a file
// we may not write to. LoadBestScoreFile(path, &error) then sets error to
// "<path>: <reason>"; it leaves error empty for a missing file.
int32_t LoadBestScoreFile(const std::string& path);
int32_t LoadBestScoreFile(const std::string& path, std::string* error);

// Writes path atomically (temporary file in the same folder, flush, fsync,
// rename over, folder fsync). On failure returns false with a message in
// *error ("cannot save the best score: <path>: <reason>") and leaves any
// earlier file as it was; a read-only file is not replaced. Allocates
// nothing when it succeeds (it runs at game over, inside a frame).
bool SaveBestScoreFile(const std::string& path, int32_t value, std::string* error);

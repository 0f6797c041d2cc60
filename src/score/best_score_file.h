// The best-score file save/score.dat: one line, the score in decimal, CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The value of the file's first line (line ends CR LF, LF or CR): a signed
// 32-bit decimal with optional leading blanks and sign. Anything else (no
// digits, out of range, trailing characters, an empty file) gives 0.
int32_t ParseBestScore(std::string_view content);

// value in decimal followed by CR LF.
std::string FormatBestScore(int32_t value);

// Reads path: 765 when no file exists, else ParseBestScore of its content.
int32_t LoadBestScoreFile(const std::string& path);

// Writes path atomically (temporary file in the same folder, flush, fsync,
// rename over, folder fsync). On failure returns false with a message in
// *error and leaves any earlier file as it was.
bool SaveBestScoreFile(const std::string& path, int32_t value, std::string* error);

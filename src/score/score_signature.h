// The score signature: the 33-character score text and its MD5 over the
// text and the game's salt, and the web registration page.
#pragma once

#include <cstdint>
#include <string>

// "h3Tq9pLx2VmW8rKd"
extern const char kScoreSalt[];
// The score server's registration address, path and query "/score/?mode=reg".
extern const char kRegistrationAddress[];

// Lowercase hexadecimal MD5 of text (32 characters).
std::string Md5Hex(const std::string& text);

// dateTime14 ("yyyymmddhhnnss") + "%.8d" score + "%.8d" level + "%.3d" avgPlusOne.
// Writes at most outSize bytes including the NUL; returns the length.
int MakeScoreText(char* out, int outSize, const char* dateTime14, int32_t score, int32_t level,
                  int32_t avgPlusOne);

// The 36-line registration page (CR LF line ends, Shift-JIS) for the given
// score text and signature.
std::string BuildRegistrationPage(const std::string& scoreText, const std::string& md5Hex);

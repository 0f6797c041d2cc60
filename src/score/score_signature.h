// The score signature: the 33-character score text and its MD5 over the
// text and the game's salt, and the web registration page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// "h3Tq9pLx2VmW8rKd"
extern const char kScoreSalt[];
// The port of the local score board (zazo-scores --local-board) that the
// registration address names unless the build points at a public board.
#define ZAZO_LOCAL_BOARD_PORT 47650
constexpr int kLocalBoardPort = ZAZO_LOCAL_BOARD_PORT;

// The score server's registration address, path and query "/score/?mode=reg":
// http://127.0.0.1:47650/score/?mode=reg, or the public board given to the
// build with -DZAZO_SCORE_SERVER=https://host.
extern const char kRegistrationAddress[];
// True when kRegistrationAddress is the local board: the game then starts
// the board and hands it the replay; with a public board it does neither.
extern const bool kRegistrationIsLocalBoard;
// The board the build registers at, without the path: "http://127.0.0.1:47650"
// or the ZAZO_SCORE_SERVER given to the build. `--board URL` replaces it at
// run time.
extern const char kDefaultBoardBase[];
// "http://127.0.0.1:47650", the local board's address.
extern const char kLocalBoardBase[];
// The board of a running game: its base address ("https://host[:port][/path]",
// no trailing '/') and whether it is the local board the game starts itself.
struct TBoardAddress {
  std::string base = kDefaultBoardBase;
  bool local = kRegistrationIsLocalBoard;
};
// Checks a board address given at run time: http:// or https://, a host of
// letters, digits, '.', '-' and an optional ":port", then an optional path
// of plain characters; a trailing '/' is dropped. kLocalBoardBase is local
// (the game starts that board itself), any other address is not. False with *error for anything
// else (the address goes into the page without escaping, so nothing else may pass).
bool ParseBoardAddress(const std::string& text, TBoardAddress* out, std::string* error);
// base + "/score/?mode=reg".
std::string RegistrationAddressOf(const std::string& base);

// Length of a score text: 14 date-time digits, 8 score, 8 level, 3 frame rate.
constexpr int kScoreTextLength = 33;

// Lowercase hexadecimal MD5 of text (32 characters).
std::string Md5Hex(const std::string& text);

// The same into a fixed buffer: 32 digits and a NUL. Allocates nothing.
void Md5HexTo(const char* data, size_t len, char out[33]);

// The signature of a score text: Md5Hex(scoreText + kScoreSalt), computed
// without joining the two. Allocates nothing.
void SignScoreText(const char* scoreText, size_t len, char out[33]);

// dateTime14 ("yyyymmddhhnnss") + "%.8d" score + "%.8d" level + "%.3d" avgPlusOne.
// Writes at most outSize bytes including the NUL; returns the length.
int MakeScoreText(char* out, int outSize, const char* dateTime14, int32_t score, int32_t level,
                  int32_t avgPlusOne);

// kRegistrationAddress + "&score=" + scoreText + "&p=" + md5Hex.
std::string RegistrationLink(const std::string& scoreText, const std::string& md5Hex);
// The same at another registration address.
std::string RegistrationLinkAt(const std::string& address, const std::string& scoreText,
                               const std::string& md5Hex);

// The 36-line registration page (CR LF line ends, Shift-JIS) for the given
// score text and signature.
std::string BuildRegistrationPage(const std::string& scoreText, const std::string& md5Hex);
// The same page forwarding to `link` (a full registration link).
std::string BuildRegistrationPageFor(const std::string& link);

// Writes the registration page to path (normally save/scorereg.html),
// replacing any earlier page. On failure returns false with a message in
// *error ("cannot write the registration page: <path>: <reason>"); the
// caller should then not open the page.
bool WriteRegistrationPage(const std::string& path, const std::string& scoreText,
                           const std::string& md5Hex, std::string* error);

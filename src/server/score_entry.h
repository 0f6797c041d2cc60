// A score entry as the game's page sends it: the 33-digit score text and its
// signature, checked the way the game makes them.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

struct TScoreEntry {
  std::string text;       // the 33 digits
  std::string signature;  // 32 lowercase hexadecimal digits
  std::string playedAt;   // "yyyymmddhhnnss", the player's local time at game over
  int32_t score = 0;
  int32_t level = 0;
  int32_t frameRate = 0;  // the text's last field: average frames per second plus one
};

enum class TEntryCheck { kOk, kMalformed, kForged };

// Checks a score text and signature as received: 33 ASCII digits; a real
// date and time (years 2000..9999) no later than now (UTC) plus a day; level
// at least 1; frame-rate field 1..999; a signature of 32 hexadecimal digits
// (either case) equal to the game's MD5 of the text and its salt. kOk fills
// *out (signature in lowercase); otherwise *reason says what is wrong in
// English. Never reads past the views.
TEntryCheck CheckScoreEntry(std::string_view text, std::string_view signature, time_t now,
                            TScoreEntry* out, std::string* reason);

// "2024-07-03 20:05:09" from "20240703200509".
std::string FormatPlayedAt(const std::string& playedAt);

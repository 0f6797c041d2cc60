// The challenges the board deals: one a UTC day, "daily-YYYY-MM-DD", whose
// seed the board derives from its secret. A game is played for a challenge
// when its generators start as TMainForm::SeedRandom(seed) leaves them: a
// normal single-player game (which starts from level 1; an advanced one from
// level 99).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "server/replay_check.h"

struct TChallenge {
  std::string id;    // "daily-2026-12-08"
  std::string date;  // "2026-12-08"
  std::string ends;  // "2026-12-09T00:00:00Z"
  uint32_t seed = 0;
};

// "YYYY-MM-DD" of the UTC day holding t.
std::string UtcDate(time_t t);

// The UTC midnight starting a "YYYY-MM-DD" day (a real date, years
// 2000..9999); false for anything else.
bool ParseUtcDate(std::string_view date, time_t* dayStart);

// The daily challenge's date of an id "daily-YYYY-MM-DD"; false for anything
// else.
bool ParseDailyId(std::string_view id, time_t* dayStart);

// The daily challenge of the UTC day starting at dayStart.
TChallenge DailyChallenge(time_t dayStart, std::string_view secret);

// {"id":"daily-…","date":"…","seed":N,"ends":"…"}
std::string ChallengeJson(const TChallenge& c);

// g is a normal single-player game from level 1 whose generators started
// exactly as the seed deals them. Otherwise false with *why in English.
bool IsDealtStart(const TCheckedGame& g, uint32_t seed, std::string* why);

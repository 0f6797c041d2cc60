#include "server/challenge.h"

#include <algorithm>
#include <cstdio>

#include "server/board_crypto.h"

namespace {

constexpr time_t kDay = 24 * 60 * 60;

bool Digits(std::string_view s, size_t from, size_t n, int* out) {
  int v = 0;
  for (size_t i = from; i < from + n; i++) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  *out = v;
  return true;
}

}  // namespace

std::string UtcDate(time_t t) {
  struct tm tmv;
  gmtime_r(&t, &tmv);
  char s[16];
  std::snprintf(s, sizeof s, "%04d-%02d-%02d", tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday);
  return s;
}

bool ParseUtcDate(std::string_view date, time_t* dayStart) {
  int y = 0, m = 0, d = 0;
  if (date.size() != 10 || date[4] != '-' || date[7] != '-' || !Digits(date, 0, 4, &y) ||
      !Digits(date, 5, 2, &m) || !Digits(date, 8, 2, &d) || y < 2000 || m < 1 || m > 12 || d < 1 ||
      d > 31)
    return false;
  struct tm tmv = {};
  tmv.tm_year = y - 1900;
  tmv.tm_mon = m - 1;
  tmv.tm_mday = d;
  const time_t t = timegm(&tmv);
  // A day past the month's end comes back as another date.
  if (t == static_cast<time_t>(-1) || UtcDate(t) != date) return false;
  *dayStart = t;
  return true;
}

bool ParseDailyId(std::string_view id, time_t* dayStart) {
  return id.size() == 16 && id.substr(0, 6) == "daily-" && ParseUtcDate(id.substr(6), dayStart);
}

TChallenge DailyChallenge(time_t dayStart, std::string_view secret) {
  TChallenge c;
  c.date = UtcDate(dayStart);
  c.id = "daily-" + c.date;
  c.ends = UtcDate(dayStart + kDay) + "T00:00:00Z";
  c.seed = ChallengeSeed(secret, c.id);
  return c;
}

std::string ChallengeJson(const TChallenge& c) {
  return "{\"id\":\"" + c.id + "\",\"date\":\"" + c.date + "\",\"seed\":" + std::to_string(c.seed) +
         ",\"ends\":\"" + c.ends + "\"}";
}

bool IsDealtStart(const TCheckedGame& g, uint32_t seed, std::string* why) {
  // "single" starts from level 1; "advanced" from level 99.
  if (g.mode != "single") {
    *why = "a " + g.mode + " game is not the challenge's normal single-player game from level 1";
    return false;
  }
  const TSeededGenerators dealt = SeededGenerators(seed);
  const bool same =
      g.start.lcgState == dealt.lcgState && g.start.lcgDraws == dealt.lcgDraws &&
      g.start.mtDraws == dealt.mtDraws && g.start.mt.Position() == dealt.mt.Position() &&
      std::equal(dealt.mt.Words(), dealt.mt.Words() + TMt19937::kN, g.start.mt.Words());
  if (!same) *why = "the game's generators are not the dealt start of this challenge";
  return same;
}

#include "server/score_entry.h"

#include <cstring>

#include "score/score_signature.h"

namespace {

int Digits(std::string_view s, size_t at, size_t count) {
  int v = 0;
  for (size_t i = at; i < at + count; i++) v = v * 10 + (s[i] - '0');
  return v;
}

bool IsLeapYear(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

TEntryCheck Refuse(TEntryCheck how, std::string* reason, const char* why) {
  if (reason) *reason = why;
  return how;
}

}  // namespace

TEntryCheck CheckScoreEntry(std::string_view text, std::string_view signature, time_t now,
                            TScoreEntry* out, std::string* reason) {
  if (text.size() != static_cast<size_t>(kScoreTextLength))
    return Refuse(TEntryCheck::kMalformed, reason, "the score text is not 33 digits long");
  for (char c : text)
    if (c < '0' || c > '9')
      return Refuse(TEntryCheck::kMalformed, reason, "the score text holds a non-digit");
  const int year = Digits(text, 0, 4), month = Digits(text, 4, 2), day = Digits(text, 6, 2);
  const int hour = Digits(text, 8, 2), minute = Digits(text, 10, 2), second = Digits(text, 12, 2);
  if (year < 2000 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour > 23 || minute > 59 || second > 59)
    return Refuse(TEntryCheck::kMalformed, reason, "the score text's date and time is not real");
  const int64_t played =
      DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  if (played > static_cast<int64_t>(now) + 86400)
    return Refuse(TEntryCheck::kMalformed, reason, "the score text's date lies in the future");
  const int level = Digits(text, 22, 8);
  if (level < 1) return Refuse(TEntryCheck::kMalformed, reason, "the level is below 1");
  const int frameRate = Digits(text, 30, 3);
  if (frameRate < 1)
    return Refuse(TEntryCheck::kMalformed, reason, "the average frame rate is not 1..999");

  if (signature.size() != 32)
    return Refuse(TEntryCheck::kMalformed, reason, "the signature is not 32 hexadecimal digits");
  char given[33] = {};
  for (size_t i = 0; i < 32; i++) {
    char c = signature[i];
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
      return Refuse(TEntryCheck::kMalformed, reason, "the signature is not 32 hexadecimal digits");
    given[i] = c;
  }
  char expected[33];
  SignScoreText(text.data(), text.size(), expected);
  if (std::memcmp(given, expected, 32) != 0)
    return Refuse(TEntryCheck::kForged, reason, "the signature does not match the score text");

  if (out) {
    out->text.assign(text);
    out->signature.assign(given, 32);
    out->playedAt.assign(text.substr(0, 14));
    out->score = Digits(text, 14, 8);
    out->level = level;
    out->frameRate = frameRate;
  }
  if (reason) reason->clear();
  return TEntryCheck::kOk;
}

std::string FormatPlayedAt(const std::string& t) {
  if (t.size() != 14) return t;
  return t.substr(0, 4) + "-" + t.substr(4, 2) + "-" + t.substr(6, 2) + " " + t.substr(8, 2) + ":" +
         t.substr(10, 2) + ":" + t.substr(12, 2);
}

// The best-score file: ParseBestScore against a plain reference reading of
// the rule (optional UTF-8 byte-order mark, blanks, sign, digits, then the
// line end or the end of the file within kBestScoreLineMax bytes; anything
// else or out of range is 0), the
// same bytes read back from a real file by LoadBestScoreFile, and the saved
// text read back to its value.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "score/best_score_file.h"

namespace {

int32_t Reference(std::string_view s) {
  size_t i = 0;
  if (s.size() >= 3 && s.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) i++;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  const size_t digits = i;
  int64_t v = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    v = v * 10 + (s[i++] - '0');
    if (v > 2147483648LL) return 0;
  }
  if (i == digits) return 0;
  if (i < s.size() && s[i] != '\r' && s[i] != '\n') return 0;
  // The line end must come within the first kBestScoreLineMax bytes (or the
  // file end no later).
  if (i < s.size() ? i >= kBestScoreLineMax : i > kBestScoreLineMax) return 0;
  if (negative) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return 0;
  return int32_t(v);
}

std::string gDir;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A memory-backed folder when there is one: the save syncs to disk.
  char name[] = "/dev/shm/zazo-fuzz-score-XXXXXX";
  char fallback[] = "/tmp/zazo-fuzz-score-XXXXXX";
  const char* dir = mkdtemp(name);
  if (!dir) dir = mkdtemp(fallback);
  if (!dir) std::abort();
  gDir = dir;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int32_t value = ParseBestScore(text);
  FUZZ_CHECK(value == Reference(text));

  const std::string path = gDir + "/score.dat";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(f != nullptr);
  FUZZ_CHECK(std::fwrite(data, 1, size, f) == size);
  FUZZ_CHECK(std::fclose(f) == 0);
  std::string error;
  FUZZ_CHECK(LoadBestScoreFile(path, &error) == value);
  FUZZ_CHECK(error.empty());

  // What the game writes reads back as the same value.
  FUZZ_CHECK(ParseBestScore(FormatBestScore(value)) == value);
  if (size % 8 == 0) {  // the full save now and then (it syncs)
    FUZZ_CHECK(SaveBestScoreFile(path, value, &error));
    FUZZ_CHECK(LoadBestScoreFile(path) == value);
  }
  return 0;
}

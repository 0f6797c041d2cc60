#include "score/best_score_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "score/atomic_file.h"
#include "system/regular_file.h"

namespace {

// Reads the first line byte by byte, so a file can be fed in small pieces and
// reading stops as soon as the value is settled, at the latest after
// kBestScoreLineMax bytes.
class TFirstLineReader {
 public:
  // Returns false once more input cannot change the value.
  bool Feed(const char* p, size_t n) {
    for (size_t i = 0; i < n && state_ != kSettled; i++) {
      // A first line this long is not a number (whatever follows).
      if (++bytesSeen_ > kBestScoreLineMax) {
        Settle(false);
        break;
      }
      Step(static_cast<unsigned char>(p[i]));
    }
    return state_ != kSettled;
  }

  // The value once the input has ended (or the reader has settled).
  int32_t Value() const {
    if (state_ != kDigits && !(state_ == kSettled && ok_)) return 0;
    int64_t v = negative_ ? -static_cast<int64_t>(magnitude_) : static_cast<int64_t>(magnitude_);
    return static_cast<int32_t>(v);
  }

 private:
  enum TState { kStart, kBlanks, kSign, kDigits, kSettled };

  void Settle(bool ok) {
    state_ = kSettled;
    ok_ = ok;
  }

  void Step(unsigned char c) {
    static const unsigned char kBom[3] = {0xEF, 0xBB, 0xBF};
    if (state_ == kStart) {
      if (c == kBom[bomMatched_]) {
        if (++bomMatched_ == 3) state_ = kBlanks;
        return;
      }
      if (bomMatched_ > 0) return Settle(false);  // part of a mark: junk
      state_ = kBlanks;
    }
    const bool digit = c >= '0' && c <= '9';
    const bool lineEnd = c == '\r' || c == '\n';
    switch (state_) {
      case kBlanks:
        if (c == ' ' || c == '\t') return;
        if (c == '+' || c == '-') {
          negative_ = c == '-';
          state_ = kSign;
          return;
        }
        [[fallthrough]];
      case kSign:
        if (!digit) return Settle(false);
        state_ = kDigits;
        [[fallthrough]];
      case kDigits:
        if (lineEnd) return Settle(true);
        if (!digit) return Settle(false);
        magnitude_ = magnitude_ * 10 + (c - '0');
        // 2147483648 is allowed only with a minus sign.
        if (magnitude_ > (negative_ ? 2147483648u : 2147483647u)) Settle(false);
        return;
      default:
        return;
    }
  }

  TState state_ = kStart;
  size_t bytesSeen_ = 0;
  int bomMatched_ = 0;
  bool negative_ = false;
  bool ok_ = false;
  uint64_t magnitude_ = 0;
};

void SetError(std::string* error, const std::string& path, const char* reason) {
  if (error == nullptr) return;
  *error = path;
  *error += ": ";
  *error += reason;
}

}  // namespace

int32_t ParseBestScore(std::string_view content) {
  TFirstLineReader reader;
  reader.Feed(content.data(), content.size());
  return reader.Value();
}

int FormatBestScoreTo(int32_t value, char* out, int outSize) {
  int n = std::snprintf(out, static_cast<size_t>(outSize), "%d\r\n", static_cast<int>(value));
  return n < outSize ? n : outSize - 1;
}

std::string FormatBestScore(int32_t value) {
  char text[16];
  int n = FormatBestScoreTo(value, text, sizeof text);
  return std::string(text, static_cast<size_t>(n));
}

int32_t LoadBestScoreFile(const std::string& path) {
  return LoadBestScoreFile(path, nullptr);
}

int32_t LoadBestScoreFile(const std::string& path, std::string* error) {
  if (error != nullptr) error->clear();
  const char* reason = nullptr;
  const int fd = OpenRegularFile(path.c_str(), &reason);
  if (fd < 0) {
    if (reason != kFileMissing) SetError(error, path, reason);
    return kDefaultBestScore;
  }
  TFirstLineReader reader;
  char chunk[512];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetError(error, path, std::strerror(errno));
      ::close(fd);
      return kDefaultBestScore;
    }
    if (n == 0 || !reader.Feed(chunk, static_cast<size_t>(n))) break;
  }
  ::close(fd);
  return reader.Value();
}

bool SaveBestScoreFile(const std::string& path, int32_t value, std::string* error) {
  char text[16];
  int n = FormatBestScoreTo(value, text, sizeof text);
  if (WriteFileAtomically(path.c_str(), text, static_cast<size_t>(n), error)) return true;
  if (error != nullptr) error->insert(0, "cannot save the best score: ");
  return false;
}

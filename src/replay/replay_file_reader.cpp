#include "replay/replay_file_reader.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>

#include "replay/replay_format_detail.h"

using namespace replay_detail;

namespace {

int DeltaOfLetter(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 36;
  return -1;
}

class TReader {
 public:
  explicit TReader(std::string_view text) : text_(text) {}

  // The next line without its end (a CR before the LF is dropped); lines
  // starting with '#' are skipped. False at the end of the text.
  bool NextLine() {
    while (pos_ < text_.size()) {
      size_t end = text_.find('\n', pos_);
      if (end == std::string_view::npos) end = text_.size();
      line_ = text_.substr(pos_, end - pos_);
      if (!line_.empty() && line_.back() == '\r') line_.remove_suffix(1);
      pos_ = end + 1;
      lineNo_++;
      rest_ = line_;
      if (!line_.empty() && line_[0] == '#') continue;
      return true;
    }
    line_ = {};
    rest_ = {};
    return false;
  }
  // The next space-separated word of the current line ("" at its end).
  std::string_view Word() {
    while (!rest_.empty() && rest_[0] == ' ') rest_.remove_prefix(1);
    size_t end = rest_.find(' ');
    if (end == std::string_view::npos) end = rest_.size();
    std::string_view w = rest_.substr(0, end);
    rest_.remove_prefix(end);
    return w;
  }
  bool AtLineEnd() {
    while (!rest_.empty() && rest_[0] == ' ') rest_.remove_prefix(1);
    return rest_.empty();
  }
  int LineNo() const { return lineNo_; }
  size_t Remaining() const { return text_.size() - std::min(pos_, text_.size()); }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  int lineNo_ = 0;
  std::string_view line_;
  std::string_view rest_;
};

struct TParseFailure {
  TReplayParseError kind;
  std::string message;
};

bool ParseInt(std::string_view w, int64_t lo, int64_t hi, int64_t* out) {
  if (w.empty() || w.size() > 20) return false;
  size_t i = 0;
  bool negative = false;
  if (w[0] == '-') {
    negative = true;
    i = 1;
    if (w.size() == 1) return false;
  }
  uint64_t v = 0;
  for (; i < w.size(); i++) {
    if (w[i] < '0' || w[i] > '9') return false;
    const uint64_t d = static_cast<uint64_t>(w[i] - '0');
    if (v > (UINT64_MAX - d) / 10) return false;
    v = v * 10 + d;
  }
  if (negative) {
    if (v > static_cast<uint64_t>(INT64_MAX)) return false;
    const int64_t s = -static_cast<int64_t>(v);
    if (s < lo || s > hi) return false;
    *out = s;
    return true;
  }
  if (v > static_cast<uint64_t>(INT64_MAX) || static_cast<int64_t>(v) < lo ||
      static_cast<int64_t>(v) > hi)
    return false;
  *out = static_cast<int64_t>(v);
  return true;
}

bool ParseU64(std::string_view w, uint64_t* out) {
  if (w.empty() || w.size() > 20) return false;
  uint64_t v = 0;
  for (char c : w) {
    if (c < '0' || c > '9') return false;
    const uint64_t d = static_cast<uint64_t>(c - '0');
    if (v > (UINT64_MAX - d) / 10) return false;
    v = v * 10 + d;
  }
  *out = v;
  return true;
}

bool ParseHex32(std::string_view w, uint32_t* out) {
  if (w.empty() || w.size() > 8) return false;
  uint32_t v = 0;
  for (char c : w) {
    int d;
    if (c >= '0' && c <= '9') {
      d = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      d = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      d = c - 'A' + 10;
    } else {
      return false;
    }
    v = v << 4 | static_cast<uint32_t>(d);
  }
  *out = v;
  return true;
}

class TGameParser {
 public:
  TGameParser(TReader& r, TParseFailure& failure) : r_(r), failure_(failure) {}

  bool Fail(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    failure_.kind = TReplayParseError::kMalformed;
    failure_.message = text;
    return false;
  }

  // Reads the next line, which must start with `keyword`.
  bool Expect(const char* keyword) {
    if (!r_.NextLine()) return Fail("the file ends where \"%s\" was expected", keyword);
    const std::string_view w = r_.Word();
    if (w != keyword) {
      return Fail("\"%s\" expected, found \"%.*s\"", keyword,
                  static_cast<int>(std::min<size_t>(w.size(), 40)), w.data());
    }
    return true;
  }
  bool ExpectLineEnd() { return r_.AtLineEnd() || Fail("more than expected on the line"); }

  bool Int(int64_t lo, int64_t hi, int64_t* out, const char* what) {
    const std::string_view w = r_.Word();
    if (!ParseInt(w, lo, hi, out)) {
      return Fail("%s: \"%.*s\" is not a number within %" PRId64 "..%" PRId64, what,
                  static_cast<int>(std::min<size_t>(w.size(), 40)), w.data(), lo, hi);
    }
    return true;
  }

  // "name value" for one field of the list.
  template <class T>
  bool Scalar(const char* name, T* field) {
    if (!Expect(name)) return false;
    int64_t v = 0;
    if constexpr (std::is_same_v<T, bool>) {
      if (!Int(0, 1, &v, name)) return false;
      *field = v != 0;
    } else if constexpr (std::is_same_v<T, uint64_t>) {
      if (!ParseU64(r_.Word(), field)) return Fail("%s: not a number", name);
    } else if constexpr (std::is_same_v<T, TMt19937>) {
      if (!Int(0, TMt19937::kN + 1, &v, name)) return false;
      if (!ExpectLineEnd()) return false;
      uint32_t words[TMt19937::kN];
      for (int i = 0; i < TMt19937::kN; i++) {
        if (i % kMtWordsPerLine == 0 && (!ExpectLineEnd() || !Expect("mtw"))) return false;
        if (!ParseHex32(r_.Word(), &words[i])) return Fail("mtw: not a hexadecimal word");
      }
      field->SetState(words, static_cast<int>(v));
    } else {
      if (!Int(std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), &v, name))
        return false;
      *field = static_cast<T>(v);
    }
    return ExpectLineEnd();
  }

  template <class T>
  bool Array(const char* name, T& array) {
    for (size_t line = 0; line < LinesOf<T>(); line++) {
      if (!Expect(name)) return false;
      int64_t index = 0;
      if (!Int(static_cast<int64_t>(line), static_cast<int64_t>(line), &index, name)) return false;
      int32_t values[IntsPerLine<T>()];
      for (int32_t& v : values) {
        int64_t n = 0;
        if (!Int(-kValueBound, kValueBound, &n, name)) return false;
        v = static_cast<int32_t>(n);
      }
      std::memcpy(&array[line], values, sizeof values);
      if (!ExpectLineEnd()) return false;
    }
    return true;
  }

  bool State(TGameState& s) {
    if (!Expect("state") || !ExpectLineEnd()) return false;
    const int firstLine = r_.LineNo();
#define ZAZO_READ_FIELD(type, name, dumped) \
  if (!Scalar(#name, &s.name)) return false;
#define ZAZO_READ_ARRAY(type, name, dims) \
  if (!Array(#name, s.name)) return false;
    ZAZO_GAME_SCALARS(ZAZO_READ_FIELD)
    ZAZO_GAME_ARRAYS(ZAZO_READ_ARRAY)
#undef ZAZO_READ_FIELD
#undef ZAZO_READ_ARRAY
    if (!Expect("end") || r_.Word() != "state" || !ExpectLineEnd())
      return Fail("\"end state\" expected");
    std::string why;
    if (!CheckStartState(s, &why)) {
      lineOverride_ = firstLine;
      return Fail("the state cannot start a game: %s", why.c_str());
    }
    return true;
  }

  // One game after its "game" word: the header, the start state, the frames'
  // clocks, the inputs, the music results and the result.
  bool Game(TReplayGame& g, uint64_t* framesLeft) {
    uint64_t frames = 0;
    return Header(g) && Clocks(g, framesLeft, &frames) && Inputs(g, frames) && Music(g) &&
           Result(g);
  }

  // "MODE" on the game's line, "time yyyymmddhhnnss", then the start state,
  // whose mode flags must give MODE.
  bool Header(TReplayGame& g) {
    const std::string_view mode = r_.Word();
    g.mode.assign(mode.data(), std::min<size_t>(mode.size(), 16));
    if (!ExpectLineEnd()) return false;
    const int gameLine = r_.LineNo();

    if (!Expect("time")) return false;
    const std::string_view time = r_.Word();
    bool digits = time.size() == 14;
    for (char c : time) digits = digits && c >= '0' && c <= '9';
    if (!digits) return Fail("time: 14 digits expected (yyyymmddhhnnss)");
    std::memcpy(g.localTime, time.data(), 14);
    g.localTime[14] = '\0';
    if (!ExpectLineEnd()) return false;

    if (!State(g.start)) return false;
    if (g.mode != ReplayModeName(g.start)) {
      lineOverride_ = gameLine;
      return Fail("the mode \"%s\" is not the one the state holds (%s)", g.mode.c_str(),
                  ReplayModeName(g.start));
    }
    return true;
  }

  // "clock", "frames" and the "d" lines; *frames the frame count.
  bool Clocks(TReplayGame& g, uint64_t* framesLeft, uint64_t* frames) {
    int64_t v = 0;
    if (!Expect("clock") || !Int(0, UINT32_MAX, &v, "clock") || !ExpectLineEnd()) return false;
    uint32_t clock = static_cast<uint32_t>(v);
    // Each frame takes at least one letter: a count beyond the text is a lie.
    if (!Expect("frames") || !Int(1, INT32_MAX, &v, "frames") || !ExpectLineEnd()) return false;
    *frames = static_cast<uint64_t>(v);
    if (*frames > *framesLeft) {
      failure_.kind = TReplayParseError::kOverLimit;
      failure_.message = "more frames than the check allows";
      return false;
    }
    if (*frames > r_.Remaining())
      return Fail("frames: %" PRIu64 " frames cannot fit in the rest of the file", *frames);
    *framesLeft -= *frames;
    g.clocks.reserve(*frames);
    g.clocks.push_back(clock);
    uint64_t deltas = *frames - 1;
    while (deltas > 0) {
      if (!Expect("d")) return false;
      const std::string_view w = r_.Word();
      if (w.empty()) return Fail("d: no deltas on the line");
      for (size_t i = 0; i < w.size(); i++) {
        if (deltas == 0) return Fail("d: more deltas than frames");
        uint32_t delta = 0;
        if (!Delta(w, &i, &delta)) return false;
        clock += delta;
        g.clocks.push_back(clock);
        deltas--;
      }
      if (!ExpectLineEnd()) return false;
    }
    return true;
  }

  // One delta at w[*i]: a letter, or "[N]" (then *i moves to its ']').
  bool Delta(std::string_view w, size_t* i, uint32_t* delta) {
    if (w[*i] == '[') {
      const size_t close = w.find(']', *i);
      int64_t n = 0;
      if (close == std::string_view::npos ||
          !ParseInt(w.substr(*i + 1, close - *i - 1), 0, UINT32_MAX, &n))
        return Fail("d: \"[N]\" with N within 0..4294967295 expected");
      *delta = static_cast<uint32_t>(n);
      *i = close;
      return true;
    }
    const int d = DeltaOfLetter(w[*i]);
    if (d < 0) return Fail("d: '%c' is not a delta letter", w[*i]);
    *delta = static_cast<uint32_t>(d);
    return true;
  }

  // "inputs N" and N "i" lines, their frames in order within 0..frames.
  bool Inputs(TReplayGame& g, uint64_t frames) {
    int64_t v = 0;
    // Each input takes a line of at least eight characters.
    if (!Expect("inputs") || !Int(0, INT32_MAX, &v, "inputs") || !ExpectLineEnd()) return false;
    if (static_cast<uint64_t>(v) > r_.Remaining() / 8)
      return Fail("inputs: %" PRId64 " inputs cannot fit in the rest of the file", v);
    g.inputs.reserve(static_cast<size_t>(v));
    uint32_t lastFrame = 0;
    for (int64_t k = 0; k < v; k++) {
      if (!Expect("i")) return false;
      TReplayInput in;
      int64_t n = 0;
      if (!Int(lastFrame, static_cast<int64_t>(frames), &n, "i: frame")) return false;
      in.frame = lastFrame = static_cast<uint32_t>(n);
      if (!InputBody(in) || !ExpectLineEnd()) return false;
      g.inputs.push_back(in);
    }
    return true;
  }

  // The rest of an "i" line: "k KEY ALT", "m X Y" or "c BUTTON X Y".
  bool InputBody(TReplayInput& in) {
    const std::string_view kind = r_.Word();
    int64_t a = 0, b = 0, c = 0;
    if (kind == "k") {
      if (!Int(0, 65535, &a, "i: key") || !Int(0, 1, &b, "i: alt")) return false;
      in.kind = TReplayInput::kKey;
      in.key = static_cast<uint16_t>(a);
      in.alt = static_cast<uint8_t>(b);
    } else if (kind == "m") {
      if (!Int(-100000, 100000, &a, "i: x") || !Int(-100000, 100000, &b, "i: y")) return false;
      in.kind = TReplayInput::kMove;
      in.x = static_cast<int32_t>(a);
      in.y = static_cast<int32_t>(b);
    } else if (kind == "c") {
      if (!Int(0, 2, &c, "i: button") || !Int(-100000, 100000, &a, "i: x") ||
          !Int(-100000, 100000, &b, "i: y"))
        return false;
      in.kind = TReplayInput::kClick;
      in.button = static_cast<uint8_t>(c);
      in.x = static_cast<int32_t>(a);
      in.y = static_cast<int32_t>(b);
    } else {
      return Fail("i: the kind is k (key), m (move) or c (click)");
    }
    return true;
  }

  // "music N BITS" ("-" for none).
  bool Music(TReplayGame& g) {
    int64_t v = 0;
    if (!Expect("music") || !Int(0, INT32_MAX, &v, "music")) return false;
    const std::string_view bits = r_.Word();
    if (bits.size() != static_cast<uint64_t>(v) && !(v == 0 && bits == "-"))
      return Fail("music: %" PRId64 " results of 0 or 1 expected", v);
    g.music.reserve(static_cast<size_t>(v));
    for (int64_t k = 0; k < v; k++) {
      if (bits[k] != '0' && bits[k] != '1') return Fail("music: results are 0 or 1");
      g.music.push_back(bits[k] == '1');
    }
    return ExpectLineEnd();
  }

  // "result SCORE LEVEL SCORETEXT SIGNATURE DIGEST", then "end game".
  bool Result(TReplayGame& g) {
    int64_t v = 0;
    if (!Expect("result") || !Int(0, kScoreCap, &v, "result: score")) return false;
    g.result.score = static_cast<int32_t>(v);
    if (!Int(-kValueBound, kValueBound, &v, "result: level")) return false;
    g.result.level = static_cast<int32_t>(v);
    const std::string_view text = r_.Word(), sig = r_.Word(), digest = r_.Word();
    if (text.empty() || text.size() >= sizeof g.result.scoreText || sig.empty() ||
        sig.size() >= sizeof g.result.signature || digest.size() != 32)
      return Fail("result: SCORE LEVEL SCORETEXT SIGNATURE DIGEST expected");
    std::memcpy(g.result.scoreText, text.data(), text.size());
    g.result.scoreText[text.size()] = '\0';
    std::memcpy(g.result.signature, sig.data(), sig.size());
    g.result.signature[sig.size()] = '\0';
    std::memcpy(g.result.digest, digest.data(), 32);
    g.result.digest[32] = '\0';
    if (!ExpectLineEnd()) return false;
    if (!Expect("end") || r_.Word() != "game" || !ExpectLineEnd())
      return Fail("\"end game\" expected");
    return true;
  }

  int lineOverride_ = 0;

 private:
  TReader& r_;
  TParseFailure& failure_;
};

// True when the first line is this version's; else false with *error.
bool IsThisVersion(std::string_view text, std::string* error) {
  std::string_view first = text.substr(0, std::min(text.find('\n'), text.size()));
  if (!first.empty() && first.back() == '\r') first.remove_suffix(1);
  if (first == kReplayVersionLine) return true;
  *error = "line 1: not a replay of this version of the game (\"";
  error->append(first.substr(0, 60));
  error->append("\"; this version reads \"");
  error->append(kReplayVersionLine);
  error->append("\")");
  return false;
}

}  // namespace

bool ReadReplayFileText(const char* path, size_t maxBytes, std::string* text, std::string* error) {
  text->clear();
  FILE* f = std::fopen(path, "rb");
  if (!f) {
    *error = std::string(path) + ": " + std::strerror(errno);
    return false;
  }
  char buf[65536];
  size_t n;
  bool fits = true;
  while (fits && (n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    fits = text->size() + n <= maxBytes;
    if (fits) text->append(buf, n);
  }
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (!fits) *error = std::string(path) + ": larger than " + std::to_string(maxBytes) + " bytes";
  if (failed) *error = std::string(path) + ": read error";
  return fits && !failed;
}

TReplayParseError ParseReplayFile(std::string_view text, uint64_t maxFrames,
                                  std::vector<TReplayGame>* games, int* line, std::string* error) {
  games->clear();
  TReader r(text);
  TParseFailure failure{TReplayParseError::kNone, {}};
  *line = 1;
  if (!r.NextLine()) {
    *error = "line 1: an empty file, not a replay";
    return TReplayParseError::kWrongVersion;
  }
  if (!IsThisVersion(text, error)) return TReplayParseError::kWrongVersion;
  uint64_t framesLeft = maxFrames;
  TGameParser parser(r, failure);
  while (true) {
    if (!r.NextLine()) break;
    if (r.AtLineEnd()) continue;  // blank lines between games
    const std::string_view w = r.Word();
    bool ok = false;
    if (w != "game") {
      parser.Fail("\"game\" expected");
    } else {
      games->emplace_back();
      ok = parser.Game(games->back(), &framesLeft);
    }
    if (!ok) {
      *line = parser.lineOverride_ > 0 ? parser.lineOverride_ : r.LineNo();
      if (*line == 0) *line = 1;
      *error = "line " + std::to_string(*line) + ": " + failure.message;
      games->clear();
      return failure.kind;
    }
  }
  if (games->empty()) {
    *line = r.LineNo() > 0 ? r.LineNo() : 1;
    *error = "line " + std::to_string(*line) + ": no game in the file";
    return TReplayParseError::kMalformed;
  }
  *line = 0;
  return TReplayParseError::kNone;
}

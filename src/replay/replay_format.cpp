#include "replay/replay_format.h"

#include <cerrno>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>

#include "score/MD5.h"

const char kReplayVersionLine[] = "zazo-puzzle-replay 1";

namespace {

// Numbers beyond these cannot come from a game and could overflow the
// drawing's pixel arithmetic.
constexpr int64_t kValueBound = 100'000'000;
constexpr int kMtWordsPerLine = 16;
constexpr int kDeltasPerLine = 100;
// The clock deltas 0..61 ms are one letter each.
constexpr char kDeltaLetters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr uint32_t kDeltaLetterCount = 62;

int DeltaOfLetter(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 36;
  return -1;
}

// Array fields are written as their int32 values, one line per element of
// their first dimension.
template <class T>
constexpr size_t IntsPerLine() {
  constexpr size_t kElementBytes = sizeof(std::remove_extent_t<T>);
  return kElementBytes / sizeof(int32_t);
}
template <class T>
constexpr size_t LinesOf() {
  return std::extent_v<T>;
}

void AppendScalar(TTextBuffer& out, const char* name, int64_t v) {
  out.Printf("%s %" PRId64 "\n", name, v);
}
void AppendScalar(TTextBuffer& out, const char* name, uint64_t v) {
  out.Printf("%s %" PRIu64 "\n", name, v);
}
void AppendScalar(TTextBuffer& out, const char* name, int32_t v) {
  AppendScalar(out, name, static_cast<int64_t>(v));
}
void AppendScalar(TTextBuffer& out, const char* name, uint32_t v) {
  AppendScalar(out, name, static_cast<int64_t>(v));
}
void AppendScalar(TTextBuffer& out, const char* name, uint8_t v) {
  AppendScalar(out, name, static_cast<int64_t>(v));
}
void AppendScalar(TTextBuffer& out, const char* name, bool v) {
  AppendScalar(out, name, static_cast<int64_t>(v ? 1 : 0));
}
void AppendScalar(TTextBuffer& out, const char* name, const TMt19937& mt) {
  out.Printf("%s %d\n", name, mt.Position());
  const uint32_t* w = mt.Words();
  for (int i = 0; i < TMt19937::kN; i++) {
    if (i % kMtWordsPerLine == 0) out.Append("mtw", 3);
    out.Printf(" %08" PRIx32, w[i]);
    if (i % kMtWordsPerLine == kMtWordsPerLine - 1) out.Append("\n", 1);
  }
}

template <class T>
void AppendArray(TTextBuffer& out, const char* name, const T& array) {
  const size_t perLine = IntsPerLine<T>();
  for (size_t line = 0; line < LinesOf<T>(); line++) {
    int32_t values[IntsPerLine<T>()];
    std::memcpy(values, &array[line], sizeof values);
    out.Printf("%s %zu", name, line);
    for (size_t k = 0; k < perLine; k++) out.Printf(" %" PRId32, values[k]);
    out.Append("\n", 1);
  }
}

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

// Signed fields stay within kValueBound; the others may hold any value.
template <class T>
bool WithinBound(const T& v) {
  if constexpr (std::is_same_v<T, int32_t>) {
    return v >= -kValueBound && v <= kValueBound;
  } else {
    return true;
  }
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

  bool Game(TReplayGame& g, uint64_t* framesLeft) {
    // "game MODE" has been read by the caller.
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

    int64_t v = 0;
    if (!Expect("clock") || !Int(0, UINT32_MAX, &v, "clock") || !ExpectLineEnd()) return false;
    uint32_t clock = static_cast<uint32_t>(v);
    // Each frame takes at least one letter: a count beyond the text is a lie.
    if (!Expect("frames") || !Int(1, INT32_MAX, &v, "frames") || !ExpectLineEnd()) return false;
    const uint64_t frames = static_cast<uint64_t>(v);
    if (frames > *framesLeft) {
      failure_.kind = TReplayParseError::kOverLimit;
      failure_.message = "more frames than the check allows";
      return false;
    }
    if (frames > r_.Remaining())
      return Fail("frames: %" PRIu64 " frames cannot fit in the rest of the file", frames);
    *framesLeft -= frames;
    g.clocks.reserve(frames);
    g.clocks.push_back(clock);
    uint64_t deltas = frames - 1;
    while (deltas > 0) {
      if (!Expect("d")) return false;
      const std::string_view w = r_.Word();
      if (w.empty()) return Fail("d: no deltas on the line");
      for (size_t i = 0; i < w.size(); i++) {
        if (deltas == 0) return Fail("d: more deltas than frames");
        uint32_t delta = 0;
        if (w[i] == '[') {
          const size_t close = w.find(']', i);
          int64_t n = 0;
          if (close == std::string_view::npos ||
              !ParseInt(w.substr(i + 1, close - i - 1), 0, UINT32_MAX, &n))
            return Fail("d: \"[N]\" with N within 0..4294967295 expected");
          delta = static_cast<uint32_t>(n);
          i = close;
        } else {
          const int d = DeltaOfLetter(w[i]);
          if (d < 0) return Fail("d: '%c' is not a delta letter", w[i]);
          delta = static_cast<uint32_t>(d);
        }
        clock += delta;
        g.clocks.push_back(clock);
        deltas--;
      }
      if (!ExpectLineEnd()) return false;
    }

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
      if (!ExpectLineEnd()) return false;
      g.inputs.push_back(in);
    }

    if (!Expect("music") || !Int(0, INT32_MAX, &v, "music")) return false;
    const std::string_view bits = r_.Word();
    if (bits.size() != static_cast<uint64_t>(v) && !(v == 0 && bits == "-"))
      return Fail("music: %" PRId64 " results of 0 or 1 expected", v);
    g.music.reserve(static_cast<size_t>(v));
    for (int64_t k = 0; k < v; k++) {
      if (bits[k] != '0' && bits[k] != '1') return Fail("music: results are 0 or 1");
      g.music.push_back(bits[k] == '1');
    }
    if (!ExpectLineEnd()) return false;

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

}  // namespace

void TTextBuffer::Printf(const char* format, ...) {
  if (full) return;
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(data + length, capacity - length, format, args);
  va_end(args);
  if (n < 0 || static_cast<size_t>(n) >= capacity - length) {
    full = true;
    return;
  }
  length += static_cast<size_t>(n);
}

void TTextBuffer::Append(const char* text, size_t n) {
  if (full) return;
  if (n >= capacity - length) {
    full = true;
    return;
  }
  std::memcpy(data + length, text, n);
  length += n;
  data[length] = '\0';
}

bool ReadReplayFile(const char* path, size_t maxBytes, std::string* text, std::string* error) {
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

const char* ReplayModeName(const TGameState& s) {
  if (s.versusMode == 1) return s.side2Auto == 1 ? "versusai" : "versus2";
  return s.advancedStart == 1 ? "advanced" : "single";
}

void AppendStateText(const TGameState& s, TTextBuffer& out) {
  out.Append("state\n", 6);
#define ZAZO_WRITE_FIELD(type, name, dumped) AppendScalar(out, #name, s.name);
#define ZAZO_WRITE_ARRAY(type, name, dims) AppendArray(out, #name, s.name);
  ZAZO_GAME_SCALARS(ZAZO_WRITE_FIELD)
  ZAZO_GAME_ARRAYS(ZAZO_WRITE_ARRAY)
#undef ZAZO_WRITE_FIELD
#undef ZAZO_WRITE_ARRAY
  out.Append("end state\n", 10);
}

void StateDigest(const TGameState& s, char* scratch, char out[33]) {
  TTextBuffer text{scratch, kStateTextMax};
  AppendStateText(s, text);
  uint8_t digest[16];
  Md5Digest(scratch, text.length, digest);
  Md5ToHex(digest, out);
}

bool CheckStartState(const TGameState& s, std::string* error) {
  char why[160] = {};
  auto fail = [&](const char* format, auto... args) {
    std::snprintf(why, sizeof why, format, args...);
    *error = why;
    return false;
  };
  if (s.scene != kSceneNewGame) return fail("scene %d is not 150", s.scene);
  if (!s.loopRunning || s.errorCode != 0)
    return fail("%s", "the frame loop is not running between frames");
  if (s.boardLeft != 32 || s.boardTop != 32) return fail("%s", "the board is not at (32, 32)");
#define ZAZO_CHECK_INT(type, name, dumped) \
  if (!WithinBound(s.name)) return fail("%s out of range", #name);
  ZAZO_GAME_SCALARS(ZAZO_CHECK_INT)
#undef ZAZO_CHECK_INT
  for (int32_t flag : {s.advancedStart, s.versusMode, s.side2Auto, static_cast<int32_t>(s.turnSide),
                       static_cast<int32_t>(s.aiInverted)}) {
    if (flag != 0 && flag != 1) return fail("%s", "a mode or turn flag is not 0 or 1");
  }
  if (s.menuChoice < 0 || s.menuChoice > 4 || s.menuChoicePrev < 0 || s.menuChoicePrev > 4)
    return fail("%s", "the menu choice is not 0..4");
  for (int32_t v : {s.score, s.score2, s.bestScore}) {
    if (v < 0 || v > kScoreCap) return fail("a score of %d is out of 0..99999999", v);
  }
  if (s.cursorX < 0 || s.cursorX >= kBoardCols || s.cursorY < 0 || s.cursorY >= kBoardRows)
    return fail("%s", "the cursor is off the board");
  if (s.previewX < -1 || s.previewX >= kBoardCols || s.previewY < -1 || s.previewY >= kBoardRows)
    return fail("%s", "the preview is off the board");
  for (const auto* cells : {&s.board, &s.aiBoard}) {
    for (int x = 0; x < kBoardCols; x++) {
      for (int y = 0; y < kBoardRows; y++) {
        const int32_t k = (*cells)[x][y].kind;
        if (k != kCellEmpty && k != kCellBlock && k != kCellClearing && k != kCellWall)
          return fail("cell (%d, %d) has kind %d", x, y, k);
      }
    }
  }
  for (int k = 0; k < kEffectCount; k++) {
    if (s.effects[k].kind < 0 || s.effects[k].kind > 2)
      return fail("effect %d has kind %d", k, s.effects[k].kind);
  }
  return true;
}

std::string FormatReplay(std::span<const TReplayGameView> games) {
  size_t bound = 256;
  for (const TReplayGameView& g : games) {
    bound += kStateTextMax + 512 + g.clocks.size() * 13 + g.inputs.size() * 48 + g.music.size();
  }
  std::string text(bound, '\0');
  TTextBuffer out{text.data(), text.size()};
  out.Printf("%s\n", kReplayVersionLine);
  out.Printf(
      "# Zazo Puzzle: zazo-puzzle --watch FILE plays it, zazo-replay --summary FILE checks it.\n");
  for (const TReplayGameView& g : games) {
    out.Printf("game %s\ntime %.14s\n", ReplayModeName(*g.start), g.localTime);
    AppendStateText(*g.start, out);
    out.Printf("clock %" PRIu32 "\nframes %zu\n", g.clocks.empty() ? 0u : g.clocks[0],
               g.clocks.size());
    for (size_t k = 1; k < g.clocks.size(); k++) {
      if ((k - 1) % kDeltasPerLine == 0) out.Append("d ", 2);
      const uint32_t delta = g.clocks[k] - g.clocks[k - 1];
      if (delta < kDeltaLetterCount) {
        out.Append(&kDeltaLetters[delta], 1);
      } else {
        out.Printf("[%" PRIu32 "]", delta);
      }
      if ((k - 1) % kDeltasPerLine == kDeltasPerLine - 1 || k + 1 == g.clocks.size())
        out.Append("\n", 1);
    }
    out.Printf("inputs %zu\n", g.inputs.size());
    for (const TReplayInput& in : g.inputs) {
      switch (in.kind) {
        case TReplayInput::kKey:
          out.Printf("i %" PRIu32 " k %u %u\n", in.frame, in.key, in.alt);
          break;
        case TReplayInput::kMove:
          out.Printf("i %" PRIu32 " m %" PRId32 " %" PRId32 "\n", in.frame, in.x, in.y);
          break;
        case TReplayInput::kClick:
          out.Printf("i %" PRIu32 " c %u %" PRId32 " %" PRId32 "\n", in.frame, in.button, in.x,
                     in.y);
          break;
      }
    }
    out.Printf("music %zu ", g.music.size());
    for (uint8_t m : g.music) out.Append(m ? "1" : "0", 1);
    if (g.music.empty()) out.Append("-", 1);
    out.Printf("\nresult %" PRId32 " %" PRId32 " %s %s %s\nend game\n", g.result.score,
               g.result.level, g.result.scoreText, g.result.signature, g.result.digest);
  }
  text.resize(out.length);
  return text;
}

TReplayParseError ParseReplay(std::string_view text, uint64_t maxFrames,
                              std::vector<TReplayGame>* games, int* line, std::string* error) {
  games->clear();
  TReader r(text);
  TParseFailure failure{TReplayParseError::kNone, {}};
  *line = 1;
  if (!r.NextLine()) {
    *error = "line 1: an empty file, not a replay";
    return TReplayParseError::kWrongVersion;
  }
  {
    std::string_view first = text.substr(0, std::min(text.find('\n'), text.size()));
    if (!first.empty() && first.back() == '\r') first.remove_suffix(1);
    if (first != kReplayVersionLine) {
      *error = "line 1: not a replay of this version of the game (\"";
      error->append(first.substr(0, 60));
      error->append("\"; this version reads \"");
      error->append(kReplayVersionLine);
      error->append("\")");
      return TReplayParseError::kWrongVersion;
    }
  }
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

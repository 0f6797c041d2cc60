#include "replay/replay_file_writer.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "replay/replay_format_detail.h"
#include "score/MD5.h"

using namespace replay_detail;

namespace {

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

// "clock FIRST", "frames N", then the deltas to each next frame, one letter
// each (or "[N]"), kDeltasPerLine to a "d" line.
void AppendClocks(TTextBuffer& out, std::span<const uint32_t> clocks) {
  out.Printf("clock %" PRIu32 "\nframes %zu\n", clocks.empty() ? 0u : clocks[0], clocks.size());
  for (size_t k = 1; k < clocks.size(); k++) {
    if ((k - 1) % kDeltasPerLine == 0) out.Append("d ", 2);
    const uint32_t delta = clocks[k] - clocks[k - 1];
    if (delta < kDeltaLetterCount) {
      out.Append(&kDeltaLetters[delta], 1);
    } else {
      out.Printf("[%" PRIu32 "]", delta);
    }
    if ((k - 1) % kDeltasPerLine == kDeltasPerLine - 1 || k + 1 == clocks.size())
      out.Append("\n", 1);
  }
}

void AppendInputs(TTextBuffer& out, std::span<const TReplayInput> inputs) {
  out.Printf("inputs %zu\n", inputs.size());
  for (const TReplayInput& in : inputs) {
    switch (in.kind) {
      case TReplayInput::kKey:
        out.Printf("i %" PRIu32 " k %u %u\n", in.frame, in.key, in.alt);
        break;
      case TReplayInput::kMove:
        out.Printf("i %" PRIu32 " m %" PRId32 " %" PRId32 "\n", in.frame, in.x, in.y);
        break;
      case TReplayInput::kClick:
        out.Printf("i %" PRIu32 " c %u %" PRId32 " %" PRId32 "\n", in.frame, in.button, in.x, in.y);
        break;
    }
  }
}

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

std::string FormatReplayFile(std::span<const TReplayGameView> games) {
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
    AppendClocks(out, g.clocks);
    AppendInputs(out, g.inputs);
    out.Printf("music %zu ", g.music.size());
    for (uint8_t m : g.music) out.Append(m ? "1" : "0", 1);
    if (g.music.empty()) out.Append("-", 1);
    out.Printf("\nresult %" PRId32 " %" PRId32 " %s %s %s\nend game\n", g.result.score,
               g.result.level, g.result.scoreText, g.result.signature, g.result.digest);
  }
  text.resize(out.length);
  return text;
}

#include "script_runner.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstring>
#include <exception>

#include "app/game_state_list.h"
#include "app/main.h"
#include "platform/picture_loader.h"
#include "recording_host.h"
#include "render/bmp_file.h"
#include "replay/replay_player.h"

namespace {

void AppendLine(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void AppendLine(std::string* out, const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  out->append(line);
  out->push_back('\n');
}

// "name value": flags as 0 or 1, numbers in decimal.
void AppendField(std::string* out, const char* name, bool value) {
  AppendLine(out, "%s %d", name, value ? 1 : 0);
}
void AppendField(std::string* out, const char* name, int64_t value) {
  AppendLine(out, "%s %" PRId64, name, value);
}
void AppendField(std::string* out, const char* name, uint64_t value) {
  AppendLine(out, "%s %" PRIu64, name, value);
}
void AppendField(std::string* out, const char* name, int32_t value) {
  AppendField(out, name, static_cast<int64_t>(value));
}
void AppendField(std::string* out, const char* name, uint32_t value) {
  AppendField(out, name, static_cast<int64_t>(value));
}
void AppendField(std::string* out, const char* name, uint8_t value) {
  AppendField(out, name, static_cast<int64_t>(value));
}
// Fields kept out of the dump (the generator's table).
void AppendField(std::string*, const char*, const TMt19937&) {}

}  // namespace

void DeliverScriptEvent(const TScriptEvent& e, TMainForm& form) {
  TReplayInput in;
  in.kind = e.kind == TScriptEvent::kKey    ? TReplayInput::kKey
            : e.kind == TScriptEvent::kMove ? TReplayInput::kMove
                                            : TReplayInput::kClick;
  in.key = static_cast<uint16_t>(e.key);
  in.alt = e.alt ? 1 : 0;
  in.button = static_cast<uint8_t>(e.button);
  in.x = e.x;
  in.y = e.y;
  DeliverReplayInput(in, form);
}

void AppendDumpBlock(int32_t frame, const TMainForm& f, TRecordingHost& host, std::string* out) {
  AppendLine(out, "frame %d", frame);
  // One line per dumped field of the state list, in the list's order.
#define ZAZO_DUMP_FIELD(type, name, dumped) \
  if (dumped) AppendField(out, #name, f.name);
  ZAZO_GAME_SCALARS(ZAZO_DUMP_FIELD)
#undef ZAZO_DUMP_FIELD

  for (int y = 0; y < kBoardRows; y++) {
    char line[256];
    int n = std::snprintf(line, sizeof line, "row %d", y);
    for (int x = 0; x < kBoardCols; x++) {
      n += std::snprintf(line + n, sizeof line - n, " %d", f.board[x][y].kind);
    }
    AppendLine(out, "%s", line);
  }
  for (int y = 0; y < kBoardRows; y++) {
    char line[256];
    int n = std::snprintf(line, sizeof line, "timer %d", y);
    for (int x = 0; x < kBoardCols; x++) {
      n += std::snprintf(line + n, sizeof line - n, " %d", f.board[x][y].clearTimer);
    }
    AppendLine(out, "%s", line);
  }
  for (int s = 0; s < kPieceSlots; s++) {
    for (int j = 0; j < 4; j++) {
      AppendLine(out, "slot %d %d %d %d %d %d", s, j, f.pieces[0][j][s].filled,
                 f.pieces[1][j][s].filled, f.pieces[2][j][s].filled, f.pieces[3][j][s].filled);
    }
  }
  for (int k = 0; k < kEffectCount; k++) {
    const TEffect& e = f.effects[k];
    if (e.kind > 0) {
      AppendLine(out, "effect %d %d %d %d %d %d %d", k, e.kind, e.x, e.y, e.age, e.dx, e.t);
    }
  }
  out->append(host.Events());
  host.ClearEvents();
  if (host.scoreWidgetsShown) {
    AppendLine(out, "scoreEdit %s", host.scoreText);
    AppendLine(out, "scoreMd5 %s", host.scoreMd5);
  }
  AppendLine(out, "end");
}

int RunInputScript(const TInputScript& script, const TReplayOptions& options, FILE* out) {
  TRecordingHost host(options.assetsDir, LoadPictureFile);
  host.bestScoreAtStart = script.best;
  host.localTime = script.time;
  host.clock = 0;
  TMainForm form(host);
  // Start-up seeds both generators first, then creates the window.
  form.SeedLcg(script.seedLcg);
  form.SeedMt(script.seedMt);
  form.FormCreate();

  std::string block;
  block.reserve(1 << 14);
  const int every = options.dumpEvery < 1 ? 1 : options.dumpEvery;
  auto flush = [&](int32_t frame) {
    block.clear();
    AppendDumpBlock(frame, form, host, &block);
    std::fwrite(block.data(), 1, block.size(), out);
  };
  flush(0);

  // Events at the same frame keep their file order.
  std::vector<TScriptEvent> events = script.events;
  std::stable_sort(events.begin(), events.end(),
                   [](const TScriptEvent& a, const TScriptEvent& b) { return a.frame < b.frame; });
  size_t next = 0;
  for (int32_t frame = 1; frame <= script.frames; frame++) {
    host.clock = 16u * static_cast<uint32_t>(frame);
    while (next < events.size() && events[next].frame < frame) next++;
    while (next < events.size() && events[next].frame == frame) {
      DeliverScriptEvent(events[next++], form);
      if (host.closed) break;
    }
    if (host.closed) {
      flush(frame);
      break;
    }
    try {
      form.IdleFrame(host.clock);
    } catch (const std::exception& e) {
      host.ShowWarning(e.what());
    }
    if (frame % every == 0 || frame == script.frames) flush(frame);
  }
  std::fflush(out);

  if (!options.screenshotPath.empty()) {
    std::string error;
    if (!WriteBmpFile(options.screenshotPath, form.screenBmp, &error)) {
      std::fprintf(stderr, "zazo-replay: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}

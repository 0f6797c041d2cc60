#include "replay_file_run.h"

#include <exception>
#include <memory>
#include <vector>

#include "app/main.h"
#include "platform/picture_loader.h"
#include "recording_host.h"
#include "render/bmp_file.h"
#include "replay/replay_file_reader.h"
#include "replay/replay_host.h"
#include "replay/replay_player.h"

bool LooksLikeReplayFile(std::string_view text) {
  return text.rfind("zazo-puzzle-replay", 0) == 0;
}

int RunReplayFile(std::string_view text, const std::string& name, const TReplayOptions& options,
                  FILE* out) {
  std::vector<TReplayGame> games;
  int line = 0;
  std::string error;
  if (ParseReplayFile(text, TReplayLimits().maxFrames, &games, &line, &error) !=
      TReplayParseError::kNone) {
    std::fprintf(stderr, "zazo-replay: %s: %s\n", name.c_str(), error.c_str());
    return 2;
  }
  const int every = options.dumpEvery < 1 ? 1 : options.dumpEvery;
  std::string block;
  block.reserve(1 << 14);
  int32_t frame = 0;
  TRecordingHost recording(options.assetsDir, LoadPictureFile);
  TReplayHost host(&recording);
  auto form = std::make_unique<TMainForm>(host);
  form->FormCreate();
  for (const TReplayGame& game : games) {
    TReplayPlayer player(game, *form, host);
    player.Start();
    recording.ClearEvents();
    while (!player.Done()) {
      try {
        player.Step();
      } catch (const std::exception& e) {
        recording.ShowWarning(e.what());
      }
      if (player.Done()) break;
      frame++;
      if (frame % every == 0 || player.FramesRun() == game.clocks.size()) {
        block.clear();
        AppendDumpBlock(frame, *form, recording, &block);
        std::fwrite(block.data(), 1, block.size(), out);
      }
    }
  }
  std::fflush(out);
  if (!options.screenshotPath.empty() &&
      !WriteBmpFile(options.screenshotPath, form->screenBmp, &error)) {
    std::fprintf(stderr, "zazo-replay: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

int PrintReplaySummary(std::string_view text, const std::string& name, const TReplayLimits& limits,
                       FILE* out) {
  const TReplaySummary s = SummarizeReplay(text, limits);
  switch (s.status) {
    case TReplayStatus::kOk:
      break;
    case TReplayStatus::kMalformed:
    case TReplayStatus::kWrongVersion:
      std::fprintf(stderr, "zazo-replay: %s: %s\n", name.c_str(), s.message.c_str());
      return 2;
    case TReplayStatus::kNotReproduced:
      std::fprintf(stderr, "zazo-replay: %s: %s\n", name.c_str(), s.message.c_str());
      return 3;
    case TReplayStatus::kOverLimit:
      std::fprintf(stderr, "zazo-replay: %s: over the limit: %s\n", name.c_str(),
                   s.message.c_str());
      return 3;
  }
  for (const TReplayGameSummary& g : s.games) {
    std::fprintf(out, "game %s %d %d %s %s\n", g.mode.c_str(), static_cast<int>(g.score),
                 static_cast<int>(g.level), g.scoreText.c_str(), g.signature.c_str());
  }
  std::fflush(out);
  return 0;
}

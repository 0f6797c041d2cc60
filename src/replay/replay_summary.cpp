#include "replay/replay_summary.h"

#include <chrono>
#include <exception>
#include <memory>

#include "app/main.h"
#include "replay/replay_file_reader.h"
#include "replay/replay_file_writer.h"
#include "replay/replay_host.h"
#include "replay/replay_player.h"

namespace {

TReplaySummary Failed(TReplayStatus status, std::string message, int line = 0) {
  TReplaySummary s;
  s.status = status;
  s.line = line;
  s.message = std::move(message);
  return s;
}

}  // namespace

TReplaySummary SummarizeReplay(std::string_view text, const TReplayLimits& limits) {
  const auto started = std::chrono::steady_clock::now();
  std::vector<TReplayGame> games;
  int line = 0;
  std::string error;
  switch (ParseReplayFile(text, limits.maxFrames, &games, &line, &error)) {
    case TReplayParseError::kNone:
      break;
    case TReplayParseError::kMalformed:
      return Failed(TReplayStatus::kMalformed, error, line);
    case TReplayParseError::kWrongVersion:
      return Failed(TReplayStatus::kWrongVersion, error, line);
    case TReplayParseError::kOverLimit:
      return Failed(TReplayStatus::kOverLimit,
                    "the games hold more than " + std::to_string(limits.maxFrames) + " frames");
  }

  TReplaySummary summary;
  std::unique_ptr<char[]> scratch(new char[kStateTextMax]);
  auto end = std::make_unique<TGameState>();
  for (size_t n = 0; n < games.size(); n++) {
    const TReplayGame& game = games[n];
    const std::string which = "game " + std::to_string(n + 1) + ": ";
    TReplayHost host;
    auto form = std::make_unique<TMainForm>(host);
    form->LoadAssets();
    TReplayPlayer player(game, *form, host);
    player.Start();
    try {
      while (!player.Done()) {
        player.Step();
        if ((player.FramesRun() & 255) == 0) {
          const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - started)
                              .count();
          if (limits.stop && limits.stop->load()) {
            return Failed(TReplayStatus::kOverLimit, which + "the check was stopped");
          }
          if (ms > limits.maxMillis) {
            return Failed(TReplayStatus::kOverLimit, which + "the check took longer than " +
                                                         std::to_string(limits.maxMillis) + " ms");
          }
        }
      }
    } catch (const std::exception& e) {
      return Failed(TReplayStatus::kNotReproduced, which + "the game stopped: " + e.what());
    }

    char digest[33];
    end->Take(*form);
    StateDigest(*end, scratch.get(), digest);
    const bool versus = game.start.versusMode != 0;
    const std::string scoreText = versus ? "-" : host.scoreText;
    const std::string signature = versus ? "-" : host.signature;
    std::string differs;
    if (player.finalScore != game.result.score || player.finalLevel != game.result.level) {
      differs = "score " + std::to_string(player.finalScore) + " level " +
                std::to_string(player.finalLevel) + " where the file says score " +
                std::to_string(game.result.score) + " level " + std::to_string(game.result.level);
    } else if (scoreText != game.result.scoreText || signature != game.result.signature) {
      differs = "score text " + scoreText + " " + signature + " where the file says " +
                game.result.scoreText + " " + game.result.signature;
    } else if (std::string_view(digest) != game.result.digest) {
      differs = "a final state other than the file's";
    } else if (host.MusicResultsLeft()) {
      differs = "fewer music changes than the file records";
    }
    if (!differs.empty()) {
      return Failed(
          TReplayStatus::kNotReproduced,
          which + "does not reproduce (a damaged or edited file): the run ends with " + differs);
    }
    TReplayGameSummary& g = summary.games.emplace_back();
    g.mode = game.mode;
    g.score = player.finalScore;
    g.level = player.finalLevel;
    g.scoreText = scoreText;
    g.signature = signature;
    g.start.mt = game.start.mt;
    g.start.lcgState = game.start.lcgState;
    g.start.mtDraws = game.start.mtDraws;
    g.start.lcgDraws = game.start.lcgDraws;
  }
  return summary;
}

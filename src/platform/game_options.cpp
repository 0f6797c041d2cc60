#include "platform/game_options.h"

#include <CLI/CLI.hpp>

#include "score/score_signature.h"
#include "system/program_options.h"

int ParseGameOptions(int argc, const char* const* argv, TGameOptions* options, std::string* out,
                     std::string* err) {
  *options = TGameOptions{};
  CLI::App app{"Zazo Puzzle: lay the piece masks anywhere in the well.", "zazo-puzzle"};
  AddVersionOption(app, "zazo-puzzle");
  CLI::Option* watch =
      app.add_option("--watch", options->watchPath, "Play a replay file (.zzr) in the window")
          ->option_text("REPLAY");
  CLI::Option* file = app.add_option("REPLAY", options->watchPath,
                                     "Play this replay file in the window (what --watch does)")
                          ->excludes(watch);
  app.add_option("--board", options->board,
                 "Register at this score board (http[s]://host[:port][/path]) instead of the "
                 "build's")
      ->option_text("URL")
      ->check([](const std::string& text) {
        TBoardAddress address;
        std::string error;
        return ParseBoardAddress(text, &address, &error) ? std::string() : error;
      });
  app.add_flag("--daily", options->daily, "Start today's challenge from the score board at once")
      ->excludes(watch)
      ->excludes(file);
  const int status = ParseProgramOptions(app, argc, argv, out, err);
  options->watch = watch->count() > 0 || file->count() > 0;
  return status;
}

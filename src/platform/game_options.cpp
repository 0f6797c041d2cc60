#include "platform/game_options.h"

#include <CLI/CLI.hpp>

#include "system/program_options.h"

int ParseGameOptions(int argc, const char* const* argv, TGameOptions* options, std::string* out,
                     std::string* err) {
  *options = TGameOptions{};
  CLI::App app{"Zazo Puzzle: lay the piece masks anywhere in the well.", "zazo-puzzle"};
  AddVersionOption(app, "zazo-puzzle");
  const CLI::Option* watch =
      app.add_option("--watch", options->watchPath, "Play a replay file (.zzr) in the window")
          ->option_text("REPLAY");
  const int status = ParseProgramOptions(app, argc, argv, out, err);
  options->watch = watch->count() > 0;
  return status;
}

#include "platform/game_options.h"

#include <CLI/CLI.hpp>
#include <cstdlib>

#include "score/score_signature.h"
#include "system/host_port.h"
#include "system/program_options.h"
#include "system/room_code.h"

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
  CLI::Option* daily = app.add_flag("--daily", options->daily,
                                    "Start today's challenge from the score board at once")
                           ->excludes(watch)
                           ->excludes(file);
  CLI::Option* host =
      app.add_option("--host", options->hostPort,
                     "Wait for an opponent on UDP PORT (default 47651; 0: any free port)")
          ->option_text("[PORT]")
          ->expected(0, 1)
          ->default_str("47651")
          ->check(CLI::Range(0, 65535));
  // A room's code, or the address of a machine waiting.
  CLI::Option* join =
      app.add_option("--join", options->join,
                     "Join the room of that code, or the machine waiting at HOST:PORT")
          ->option_text("CODE|HOST:PORT")
          ->check(CLI::Validator(
              [](std::string& text) {
                std::string h, code = text;
                uint16_t p = 0;
                return ParseHostPort(text, &h, &p) || NormalizeRoomCode(&code)
                           ? std::string()
                           : "neither a room code nor HOST:PORT: " + text;
              },
              "CODE|HOST:PORT"))
          ->excludes(host)
          ->excludes(watch);
  const CLI::Validator roomCode(
      [](std::string& text) {
        return NormalizeRoomCode(&text) ? std::string() : "not a room code: " + text;
      },
      "CODE");
  CLI::Option* create =
      app.add_flag("--create-room", options->createRoom,
                   "Make a room at the board's relay; its code is printed as \"room CODE\"")
          ->excludes(host)
          ->excludes(join)
          ->excludes(watch);
  CLI::Option* quick =
      app.add_flag("--quick", options->quick, "Play whoever else waits at the board's relay")
          ->excludes(host)
          ->excludes(join)
          ->excludes(create)
          ->excludes(watch);
  app.add_option("--spectate", options->spectate, "Follow the match in the room of that code")
      ->option_text("CODE")
      ->check(roomCode)
      ->excludes(host)
      ->excludes(join)
      ->excludes(create)
      ->excludes(quick)
      ->excludes(watch);
  for (CLI::Option* meeting : {join, create, quick}) meeting->excludes(file)->excludes(daily);
  app.add_option("--name", options->name,
                 "The name the other player sees (default: the login name)")
      ->option_text("NAME");
  app.add_option("--input-delay", options->inputDelay,
                 "Frames between a key and its frame in a match")
      ->option_text("1..30")
      ->check(CLI::Range(1, 30));
  host->excludes(watch)->excludes(file)->excludes(daily);
  const int status = ParseProgramOptions(app, argc, argv, out, err);
  options->watch = watch->count() > 0 || file->count() > 0;
  options->host = host->count() > 0;
  // --join with a room code joins the room; HOST:PORT is direct play.
  if (std::string code = options->join;
      options->join.find(':') == std::string::npos && NormalizeRoomCode(&code)) {
    options->joinRoom = code;
    options->join.clear();
  }
  NormalizeRoomCode(&options->spectate);
  if (options->name.empty()) {
    const char* user = std::getenv("USER");
    options->name = user && *user ? user : "player";
  }
  return status;
}

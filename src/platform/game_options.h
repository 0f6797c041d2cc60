// zazo-puzzle's command line, parsed before the program looks for a display:
//
//   zazo-puzzle                  plays
//   zazo-puzzle --watch REPLAY   plays a replay file in the window
//
// An option is a field here and one line in game_options.cpp.
#pragma once

#include <string>

struct TGameOptions {
  bool watch = false;     // --watch given: play watchPath instead of a game
  std::string watchPath;  // the replay file to play
};

// Parses argv into *options. Returns -1 when the game goes on; else the exit
// status with the text to print (see ParseProgramOptions): 0 after --help or
// --version, 2 for a line that cannot be used.
int ParseGameOptions(int argc, const char* const* argv, TGameOptions* options, std::string* out,
                     std::string* err);

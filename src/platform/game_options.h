// zazo-puzzle's command line, parsed before the program looks for a display:
//
//   zazo-puzzle                  plays
//   zazo-puzzle --watch REPLAY   plays a replay file in the window
//   zazo-puzzle REPLAY           the same (how the desktop opens a .zzr file)
//   zazo-puzzle --board URL      registers at that score board
//   zazo-puzzle --daily          starts today's challenge at once
//   zazo-puzzle --host [PORT]    waits for an opponent on UDP PORT (47651)
//   zazo-puzzle --join HOST:PORT plays against the machine waiting there
//   zazo-puzzle --create-room    makes a room at the board's relay ("room CODE")
//   zazo-puzzle --join CODE      joins that room; --quick pairs with whoever waits
//   zazo-puzzle --spectate CODE  follows the match in that room
//
// An option is a field here and one line in game_options.cpp.
#pragma once

#include <cstdint>
#include <string>

struct TGameOptions {
  bool watch = false;     // --watch or a file given: play watchPath instead of a game
  std::string watchPath;  // the replay file to play
  std::string board;      // --board: the score board's address ("" the build's)
  bool daily = false;     // --daily: today's challenge at once
  // Network play.
  bool host = false;          // --host given: wait on hostPort
  uint16_t hostPort = 47651;  // 0: any free port
  std::string join;           // --join HOST:PORT ("" when not given)
  std::string name;           // --name, the name the other player sees
  uint16_t inputDelay = 3;    // --input-delay, in frames
  // Rooms at the board's relay (--join with a 6-character code is a room's).
  bool createRoom = false;  // --create-room
  bool quick = false;       // --quick
  std::string joinRoom;     // --join CODE (upper case)
  std::string spectate;     // --spectate CODE (upper case)
};

// Parses argv into *options. Returns -1 when the game goes on; else the exit
// status with the text to print (see ParseProgramOptions): 0 after --help or
// --version, 2 for a line that cannot be used.
int ParseGameOptions(int argc, const char* const* argv, TGameOptions* options, std::string* out,
                     std::string* err);

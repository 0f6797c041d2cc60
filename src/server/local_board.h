// The local score board the game starts for its player: a fixed loopback
// port, a per-user SQLite file.
#pragma once

#include <string>

// The port of the local board (also in the game's default registration
// address).
constexpr int kLocalBoardPort = 47650;

// $XDG_DATA_HOME/zazo-puzzle/scores.sqlite, or ~/.local/share/... when
// XDG_DATA_HOME is unset or not absolute. Creates the folders. "" when there
// is no home to put it in.
std::string LocalBoardDatabasePath();

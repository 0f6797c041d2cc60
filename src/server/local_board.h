// The local score board the game starts for its player: a fixed loopback
// port, a per-user SQLite file.
#pragma once

#include <string>

#include "score/score_signature.h"  // kLocalBoardPort

// scores.sqlite in the per-user data folder ($XDG_DATA_HOME/zazo-puzzle/, or
// ~/.local/share/zazo-puzzle/), creating the folder (mode 0700). "" when
// there is no home to put it in or the folder cannot be made.
std::string LocalBoardDatabasePath();

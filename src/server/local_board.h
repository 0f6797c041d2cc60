// The local score board the game starts for its player: a fixed loopback
// port, a per-user SQLite file.
#pragma once

#include <string>

#include "score/score_signature.h"  // kLocalBoardPort

// $XDG_DATA_HOME/zazo-puzzle/scores.sqlite, or ~/.local/share/... when
// XDG_DATA_HOME is unset or not absolute. Creates the folders. "" when there
// is no home to put it in.
std::string LocalBoardDatabasePath();

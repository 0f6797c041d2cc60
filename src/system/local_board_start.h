// The game's side of the local score board: the registration button makes
// sure a zazo-scores listens on the local board's port and hands it the
// game's replay, and tells the player when the page cannot be shown.
#pragma once

#include <sys/types.h>

#include <string>

// The score server program for a game in exeDir (ending in '/'): the first
// executable of exeDir + "zazo-scores", exeDir + "bin/zazo-scores" and
// exeDir + "../bin/zazo-scores"; "" when there is none.
std::string FindScoreServer(const std::string& exeDir);

// Starts `SERVER --local-board [--replay replayPath]` detached (a session of
// its own, not a child of the game, so it outlives the game and leaves no
// zombie). The server serves when the local board's port is free, else hands
// the replay to the server already listening there. Never waits for it.
// False with *error when no server program is found or it cannot be started.
bool StartLocalBoard(const std::string& exeDir, const std::string& replayPath, std::string* error);

// Waits up to ms milliseconds for the child pid to end, always taking the
// whole ms (the button's pause). Returns its exit status when it ended
// normally in that time, 128 + the signal when killed, -1 when it still runs
// or is not ours to wait for.
int WaitBrieflyForExit(pid_t pid, int ms);

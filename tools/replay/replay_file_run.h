// zazo-replay's side of replay files (as the game writes them): a run that
// prints the same dump blocks as a script's, and the --summary check.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "replay/replay_summary.h"
#include "script_runner.h"

// True when the text starts like a replay file (of any version) rather than
// a script.
bool LooksLikeReplayFile(std::string_view text);

// Plays every game of a replay file's text headless and writes dump blocks
// as RunInputScript does (frames numbered on across the games). Exit status: 0;
// 2 for a file that cannot be read (message on stderr, naming the line); 1
// when the screenshot cannot be written.
int RunReplayFile(std::string_view text, const std::string& name, const TReplayOptions& options,
                  FILE* out);

// --summary: one line "game MODE SCORE LEVEL SCORETEXT SIGNATURE" per game on
// out. Exit status 0; 2 for a malformed file or another version; 3 for a
// file that does not reproduce or goes beyond the limits.
int PrintReplaySummary(std::string_view text, const std::string& name, const TReplayLimits& limits,
                       FILE* out);

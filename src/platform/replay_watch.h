// zazo-puzzle --watch REPLAY: a replay file played in the game's window.
#pragma once

// Plays every game of the replay file at `path` in the window, with its
// music and effects, at the speed it was played: Space pauses and resumes,
// the right arrow held runs four times faster, Esc (or closing the window)
// leaves. At the end a line on standard output tells how many frames were
// shown and how many of them fast. The game's own files are only read (no best score saved, no
// replay written). Returns the exit status: 0; 1 without a window; 2 for a
// file that cannot be read, is damaged or comes from another version (with
// a message on standard error).
int WatchReplay(const char* path);

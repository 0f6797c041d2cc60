// What the program learns about its surroundings at start: its own folder,
// the time of day for seeding, and a locale that can show Japanese text.
#pragma once

#include <cstdint>
#include <string>

// The folder part of an executable's full path, with its trailing '/'
// ("/opt/zazo/zazo-puzzle" -> "/opt/zazo/"). "./" when the path has no folder.
std::string FolderOfPath(const std::string& exePath);

// The folder of the running program (from /proc/self/exe), ending in '/'.
std::string ProgramFolder();

// The current UTC time of day in milliseconds:
// ((hour * 60 + minute) * 60 + second) * 1000 + milliseconds.
uint32_t UtcTimeOfDayMs();

// Makes sure the process runs in a UTF-8 locale: the user's own when it is
// one, else C.UTF-8 (set in the environment too, for the window system's
// message boxes, which read it). Numbers stay in the C format.
void EnsureUtf8Locale();

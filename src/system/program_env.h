// What the program learns about its surroundings at start: its own folder,
// where its pictures and sounds are and where it keeps the best score, the
// time of day for seeding, and a locale that can show Japanese text.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

// The folder part of an executable's full path, with its trailing '/'
// ("/opt/zazo/zazo-puzzle" -> "/opt/zazo/"). "./" when the path has no folder.
std::string FolderOfPath(const std::string& exePath);

// The folder of the running program (from /proc/self/exe), ending in '/'.
std::string ProgramFolder();

// ---- Where the game reads and writes ----------------------------------------
//
// A portable copy (the build folder, an unpacked folder) has graph/ beside the
// program and keeps its best score in its own save/. An installed copy
// (games/zazo-puzzle with share/games/zazo-puzzle/graph) keeps it per user. Every
// folder below ends in '/'.

struct TGameFolders {
  std::string programDir;  // the program's own folder
  std::string dataDir;     // holds graph/ and system/
  std::string saveDir;     // holds score.dat and scorereg.html
  bool portable = true;    // the data lies beside the program
  // The mode the game creates saveDir with (and its missing parents) before
  // it writes there; 0: the game never creates it.
  mode_t createMode = 0;
};

// The installed data folder relative to the program's folder:
// "../share/games/zazo-puzzle/" for games/ and share/games/ (the build may be
// configured with other install folders).
const char* InstalledDataFromProgram();

// The user's home folder: $HOME when it is set and not empty, else the home
// of the user in the password database; "" when neither is known.
std::string HomeFolder();

// The per-user data folder, "$XDG_DATA_HOME/zazo-puzzle/", or
// "<home>/.local/share/zazo-puzzle/" when XDG_DATA_HOME is unset, empty or
// relative (a relative value is ignored). "" without a home folder. Holds
// the installed game's score.dat and scorereg.html; nothing is created here.
std::string UserDataFolder();

// The per-user configuration folder, "$XDG_CONFIG_HOME/zazo-puzzle/", or
// "<home>/.config/zazo-puzzle/" by the same rules. "" without a home folder.
std::string UserConfigFolder();

// Decides the folders of a program in programDir ('/'-terminated):
// - data: programDir when programDir/graph is a folder (portable); else the
//   installed data folder when it has graph/; else programDir, where the
//   missing pictures are then reported.
// - save: programDir/save/ when portable and that folder is writable, or
//   absent while programDir is writable (created at the first save with the
//   usual permissions); else the per-user data folder, created at the first
//   save with mode 0700. Without any home folder: programDir/save/, never
//   created.
// Reads the file system and the environment; creates nothing.
TGameFolders ChooseGameFolders(const std::string& programDir);

// Creates the folder path (with or without its trailing '/') and any missing
// parents with the given mode (before the umask). True when path is a folder
// afterwards. Allocates nothing (it runs at game over, inside a frame).
bool MakeFolderPath(const std::string& path, mode_t mode);

// ---- Time and locale ---------------------------------------------------------

// The current UTC time of day in milliseconds:
// ((hour * 60 + minute) * 60 + second) * 1000 + milliseconds.
uint32_t UtcTimeOfDayMs();

// Makes sure the process runs in a UTF-8 locale: the user's own when it is
// one, else C.UTF-8 (set in the environment too, for the window system's
// message boxes, which read it). Numbers stay in the C format.
void EnsureUtf8Locale();

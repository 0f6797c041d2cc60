#include "server/local_board.h"

#include <sys/stat.h>

#include <cstdlib>

std::string LocalBoardDatabasePath() {
  std::string base;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return "";
    base = std::string(home) + "/.local/share";
  }
  // mkdir -p, one level at a time; an existing folder is fine.
  const std::string folder = base + "/zazo-puzzle";
  for (size_t i = 1; i <= folder.size(); i++)
    if (i == folder.size() || folder[i] == '/') mkdir(folder.substr(0, i).c_str(), 0700);
  return folder + "/scores.sqlite";
}

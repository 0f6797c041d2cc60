#include "server/local_board.h"

#include "system/program_env.h"

std::string LocalBoardDatabasePath() {
  const std::string folder = UserDataFolder();
  if (folder.empty() || !MakeFolderPath(folder, 0700)) return "";
  return folder + "scores.sqlite";
}

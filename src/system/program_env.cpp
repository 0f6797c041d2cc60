#include "system/program_env.h"

#include <fcntl.h>
#include <langinfo.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <ctime>

#ifndef ZAZO_INSTALLED_DATA
#define ZAZO_INSTALLED_DATA "../share/games/zazo-puzzle/"
#endif

namespace {

constexpr const char* kAppFolder = "zazo-puzzle/";

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// Whether this process may create and remove files in the folder.
bool WritableFolder(const std::string& path) {
  return IsFolder(path) && ::faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// programDir + relative, with leading "../" steps taken off programDir's end
// where it names a folder ("/usr/bin/" + "../share/x/" -> "/usr/share/x/").
std::string Beside(std::string dir, const char* relative) {
  while (std::strncmp(relative, "../", 3) == 0 && dir.size() >= 2 && dir.back() == '/') {
    const size_t slash = dir.rfind('/', dir.size() - 2);
    if (slash == std::string::npos) break;
    const std::string last = dir.substr(slash + 1, dir.size() - slash - 2);
    if (last == "." || last == "..") break;
    dir.resize(slash + 1);
    relative += 3;
  }
  return dir + relative;
}

// $name when it holds an absolute path, else home + fallback; "" when
// neither is known.
std::string XdgFolder(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  if (value && value[0] == '/') {
    std::string dir = value;
    if (dir.back() != '/') dir += '/';
    return dir + kAppFolder;
  }
  std::string home = HomeFolder();
  if (home.empty()) return "";
  if (home.back() != '/') home += '/';
  return home + fallback + kAppFolder;
}

}  // namespace

std::string FolderOfPath(const std::string& exePath) {
  const size_t slash = exePath.rfind('/');
  if (slash == std::string::npos) return "./";
  return exePath.substr(0, slash + 1);
}

std::string ProgramFolder() {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n > 0) {
    buffer[n] = '\0';
    return FolderOfPath(buffer);
  }
  return "./";
}

const char* InstalledDataFromProgram() {
  return ZAZO_INSTALLED_DATA;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && home[0] != '\0') return home;
  char buffer[4096];
  struct passwd entry;
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found &&
      found->pw_dir && found->pw_dir[0] != '\0') {
    return found->pw_dir;
  }
  return "";
}

std::string UserDataFolder() {
  return XdgFolder("XDG_DATA_HOME", ".local/share/");
}

std::string UserConfigFolder() {
  return XdgFolder("XDG_CONFIG_HOME", ".config/");
}

TGameFolders ChooseGameFolders(const std::string& programDir) {
  TGameFolders f;
  f.programDir = programDir;
  f.dataDir = programDir;
  f.portable = true;
  if (!IsFolder(programDir + "graph")) {
    const std::string installed = Beside(programDir, InstalledDataFromProgram());
    if (IsFolder(installed + "graph")) {
      f.dataDir = installed;
      f.portable = false;
    }
  }
  const std::string ownSave = programDir + "save/";
  if (f.portable) {
    if (WritableFolder(ownSave) || (!Exists(programDir + "save") && WritableFolder(programDir))) {
      f.saveDir = ownSave;
      f.createMode = 0777;
      return f;
    }
  }
  f.saveDir = UserDataFolder();
  f.createMode = 0700;
  if (f.saveDir.empty()) {
    f.saveDir = ownSave;
    f.createMode = 0;
  }
  return f;
}

bool MakeFolderPath(const std::string& path, mode_t mode) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  }
  char buffer[4096];
  const size_t n = path.size();
  if (n == 0 || n >= sizeof buffer) {
    errno = n == 0 ? ENOENT : ENAMETOOLONG;
    return false;
  }
  std::memcpy(buffer, path.c_str(), n + 1);
  // Every prefix ending just before a '/', then the whole path.
  for (size_t i = 1; i <= n; i++) {
    if (i < n && buffer[i] != '/') continue;
    const char keep = buffer[i];
    buffer[i] = '\0';
    if (::mkdir(buffer, mode) != 0 && errno != EEXIST) return false;
    buffer[i] = keep;
  }
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  errno = ENOTDIR;
  return false;
}

uint32_t UtcTimeOfDayMs() {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  const uint64_t secondOfDay = static_cast<uint64_t>(now.tv_sec) % 86400u;
  return static_cast<uint32_t>(secondOfDay * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

void EnsureUtf8Locale() {
  std::setlocale(LC_ALL, "");
  const char* codeset = nl_langinfo(CODESET);
  if (!codeset || std::strcmp(codeset, "UTF-8") != 0) {
    static const char* const kCandidates[] = {"C.UTF-8", "C.utf8", "en_US.UTF-8"};
    for (const char* candidate : kCandidates) {
      if (std::setlocale(LC_ALL, candidate)) {
        ::setenv("LC_ALL", candidate, 1);
        break;
      }
    }
  }
  std::setlocale(LC_NUMERIC, "C");
}

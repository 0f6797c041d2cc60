#include "platform/program_env.h"

#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <ctime>

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

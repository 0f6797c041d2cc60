// zazo-replay: runs the game headless from a script or a replay file (as the
// game writes them) and prints its state, or checks a replay file.
//
//   zazo-replay [--assets DIR] [--dump-every N] [--screenshot FILE.bmp] FILE
//   zazo-replay --summary [--max-frames N] [--max-millis MS] REPLAY
//
// FILE '-' reads standard input. Exit status 0; 2 for a usage, script or
// replay file error (naming the line) or a replay of another version; 1 when
// a file cannot be read or written; with --summary 3 for a replay that does
// not reproduce or goes beyond the limits.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "input_script.h"
#include "replay_file_run.h"
#include "script_runner.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: zazo-replay [--assets DIR] [--dump-every N] [--screenshot FILE.bmp] "
               "FILE\n"
               "       zazo-replay --summary [--max-frames N] [--max-millis MS] REPLAY\n");
  return 2;
}

// The folder of this program, ending in '/'.
std::string ProgramDir() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "./";
  path[n] = '\0';
  std::string p(path);
  size_t slash = p.rfind('/');
  return slash == std::string::npos ? "./" : p.substr(0, slash + 1);
}

bool ReadAll(const std::string& name, std::string* text) {
  if (name == "-") {
    std::ostringstream ss;
    ss << std::cin.rdbuf();
    *text = ss.str();
    return true;
  }
  FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) return false;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text->append(buf, n);
  std::fclose(f);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  TReplayOptions options;
  options.assetsDir = ProgramDir();
  std::string scriptName;
  bool summary = false;
  TReplayLimits limits;
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    if (a == "--assets" && i + 1 < argc) {
      options.assetsDir = argv[++i];
      if (!options.assetsDir.empty() && options.assetsDir.back() != '/') options.assetsDir += '/';
    } else if (a == "--dump-every" && i + 1 < argc) {
      char* end = nullptr;
      long n = std::strtol(argv[++i], &end, 10);
      if (!end || *end != '\0' || n < 1 || n > 100000000) return Usage();
      options.dumpEvery = static_cast<int>(n);
    } else if (a == "--summary") {
      summary = true;
    } else if ((a == "--max-frames" || a == "--max-millis") && i + 1 < argc) {
      char* end = nullptr;
      long long n = std::strtoll(argv[++i], &end, 10);
      if (!end || *end != '\0' || n < 1 || n > 4000000000LL) return Usage();
      if (a == "--max-frames") {
        limits.maxFrames = static_cast<uint64_t>(n);
      } else {
        limits.maxMillis = static_cast<uint32_t>(n);
      }
    } else if (a == "--screenshot" && i + 1 < argc) {
      options.screenshotPath = argv[++i];
    } else if (scriptName.empty() && (a == "-" || a.rfind("--", 0) != 0)) {
      scriptName = a;
    } else {
      return Usage();
    }
  }
  if (scriptName.empty()) return Usage();

  std::string text;
  if (!ReadAll(scriptName, &text)) {
    std::fprintf(stderr, "zazo-replay: cannot read %s: %s\n", scriptName.c_str(),
                 std::strerror(errno));
    return 1;
  }
  if (summary) return PrintReplaySummary(text, scriptName, options.assetsDir, limits, stdout);
  if (LooksLikeReplayFile(text)) return RunReplayFile(text, scriptName, options, stdout);
  TInputScript script;
  std::string error;
  if (!ParseInputScript(text, &script, &error)) {
    std::fprintf(stderr, "zazo-replay: %s: %s\n", scriptName.c_str(), error.c_str());
    return 2;
  }
  return RunInputScript(script, options, stdout);
}

// zazo-replay: runs the game headless from a script or a replay file (as the
// game writes them) and prints its state, or checks a replay file.
//
//   zazo-replay [--assets DIR] [--dump-every N] [--screenshot FILE.bmp] FILE
//   zazo-replay --summary [--max-frames N] [--max-millis MS] REPLAY
//   zazo-replay --help | --version
//
// Options come in any order, before or after the file.
//
// FILE '-' reads standard input. Exit status 0; 2 for a usage, script or
// replay file error (naming the line) or a replay of another version; 1 when
// a file cannot be read or written; with --summary 3 for a replay that does
// not reproduce or goes beyond the limits.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "input_script.h"
#include "replay_file_run.h"
#include "script_runner.h"
#include "system/program_env.h"
#include "system/program_options.h"

namespace {

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
  options.assetsDir = ProgramFolder();
  std::string scriptName;
  bool summary = false;
  TReplayLimits limits;
  CLI::App app{
      "Runs the game headless from a script or a replay file and prints its state, or "
      "checks a replay file.",
      "zazo-replay"};
  AddVersionOption(app, "zazo-replay");
  app.add_option("--assets", options.assetsDir, "Folder holding graph/ and system/")
      ->option_text("DIR");
  app.add_option("--dump-every", options.dumpEvery, "A state dump every N frames")
      ->option_text("N")
      ->check(CLI::Range(1, 100000000));
  app.add_option("--screenshot", options.screenshotPath, "Write the last frame as a BMP picture")
      ->option_text("FILE.bmp");
  app.add_flag("--summary", summary,
               "Check a replay file: one line per game; exit 3 when it does not reproduce");
  app.add_option("--max-frames", limits.maxFrames, "With --summary: at most N frames")
      ->option_text("N")
      ->check(CLI::Range(1LL, 4000000000LL));
  app.add_option("--max-millis", limits.maxMillis,
                 "With --summary: at most MS milliseconds of running")
      ->option_text("MS")
      ->check(CLI::Range(1LL, 4000000000LL));
  app.add_option("FILE", scriptName, "Script or replay file; - reads standard input")->required();
  const int status = ParseProgramOptionsOrExit(app, argc, argv);
  if (status >= 0) return status;
  if (!options.assetsDir.empty() && options.assetsDir.back() != '/') options.assetsDir += '/';

  std::string text;
  if (!ReadAll(scriptName, &text)) {
    std::fprintf(stderr, "zazo-replay: cannot read %s: %s\n", scriptName.c_str(),
                 std::strerror(errno));
    return 1;
  }
  if (summary) return PrintReplaySummary(text, scriptName, limits, stdout);
  if (LooksLikeReplayFile(text)) return RunReplayFile(text, scriptName, options, stdout);
  TInputScript script;
  std::string error;
  if (!ParseInputScript(text, &script, &error)) {
    std::fprintf(stderr, "zazo-replay: %s: %s\n", scriptName.c_str(), error.c_str());
    return 2;
  }
  return RunInputScript(script, options, stdout);
}

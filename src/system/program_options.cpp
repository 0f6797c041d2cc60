#include "system/program_options.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "system/program_version.h"

void AddVersionOption(CLI::App& app, const char* program) {
  app.set_version_flag("--version", std::string(program) + " " + kProgramVersion,
                       "Print the version and exit");
}

int ParseProgramOptions(CLI::App& app, int argc, const char* const* argv, std::string* out,
                        std::string* err) {
  out->clear();
  err->clear();
  try {
    app.parse(argc, argv);
    return -1;
  } catch (const CLI::CallForHelp&) {
    *out = app.help();
    return 0;
  } catch (const CLI::CallForAllHelp&) {
    *out = app.help("", CLI::AppFormatMode::All);
    return 0;
  } catch (const CLI::CallForVersion& e) {
    *out = std::string(e.what()) + "\n";
    return 0;
  } catch (const CLI::ParseError& e) {
    *err = app.get_name() + ": " + e.what() + "\nRun with --help for more information.\n";
    return 2;
  }
}

int ParseProgramOptionsOrExit(CLI::App& app, int argc, const char* const* argv) {
  std::string out;
  std::string err;
  const int status = ParseProgramOptions(app, argc, argv, &out, &err);
  std::fputs(out.c_str(), stdout);
  std::fputs(err.c_str(), stderr);
  return status;
}

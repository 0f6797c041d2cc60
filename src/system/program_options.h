// What every program does with its command line: the options are declared
// on a CLI::App, in any order on the line; --help and --version are answered
// before the program touches a display, a sound device or a file, and a bad
// line gets a message naming the option and exit status 2.
#pragma once

#include <string>

namespace CLI {
class App;
}

// Adds --version to app, answering "<program> <kProgramVersion>".
void AddVersionOption(CLI::App& app, const char* program);

// Parses argv with app. Returns -1 when the program goes on; else the exit
// status, with the text to print: 0 after --help or --version (*out, for
// standard output), 2 for a line that cannot be used (*err, for standard
// error: "<program>: <what is wrong with which option>" and a hint).
int ParseProgramOptions(CLI::App& app, int argc, const char* const* argv, std::string* out,
                        std::string* err);

// The same for main: prints the text itself and returns the exit status, or
// -1 when the program goes on.
int ParseProgramOptionsOrExit(CLI::App& app, int argc, const char* const* argv);

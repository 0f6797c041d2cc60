// The command lines of the programs: options in any order, --help and
// --version answered with exit status 0, a bad line refused with status 2
// and a message naming the option.
#include "system/program_options.h"

#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "system/program_version.h"

namespace {

struct TParsed {
  int status = -1;
  std::string out;
  std::string err;
  std::string file;
  std::string dir = "unset";
  int every = 1;
  bool flag = false;
};

// A program shaped like zazo-replay: options with values, a flag and one
// required file.
TParsed Parse(std::vector<const char*> args) {
  TParsed p;
  CLI::App app{"A test program.", "prog"};
  AddVersionOption(app, "prog");
  app.add_option("--dir", p.dir, "A folder");
  app.add_option("--every", p.every, "A count")->check(CLI::Range(1, 100));
  app.add_flag("--flag", p.flag, "A flag");
  app.add_option("FILE", p.file, "The file")->required();
  args.insert(args.begin(), "prog");
  p.status = ParseProgramOptions(app, static_cast<int>(args.size()), args.data(), &p.out, &p.err);
  return p;
}

TEST(ProgramOptions, OptionsAndTheFileComeInAnyOrder) {
  const std::vector<std::vector<const char*>> lines = {
      {"--dir", "d", "--every", "7", "--flag", "f.txt"},
      {"f.txt", "--flag", "--every", "7", "--dir", "d"},
      {"--every=7", "f.txt", "--dir=d", "--flag"},
  };
  for (const auto& line : lines) {
    const TParsed p = Parse(line);
    EXPECT_EQ(p.status, -1) << p.err;
    EXPECT_EQ(p.file, "f.txt");
    EXPECT_EQ(p.dir, "d");
    EXPECT_EQ(p.every, 7);
    EXPECT_TRUE(p.flag);
    EXPECT_EQ(p.out + p.err, "");
  }
  // A lone '-' is a file (standard input), not an option.
  EXPECT_EQ(Parse({"-"}).file, "-");
}

TEST(ProgramOptions, HelpAndVersionAnswerWithStatusZeroEvenOnABadLine) {
  for (const char* help : {"--help", "-h"}) {
    const TParsed p = Parse({"--bogus", help});
    EXPECT_EQ(p.status, 0);
    EXPECT_NE(p.out.find("--every"), std::string::npos) << p.out;
    EXPECT_NE(p.out.find("FILE"), std::string::npos) << p.out;
    EXPECT_EQ(p.err, "");
  }
  // Without the required file too.
  const TParsed v = Parse({"--version"});
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, std::string("prog ") + kProgramVersion + "\n");
  EXPECT_EQ(v.err, "");
}

TEST(ProgramOptions, ABadLineNamesTheOptionAndExitsWithTwo) {
  struct TCase {
    std::vector<const char*> args;
    const char* named;
  };
  const std::vector<TCase> cases = {
      {{"--bogus", "f"}, "--bogus"},       // unknown option
      {{"f", "--every"}, "--every"},       // value missing
      {{"--every", "0", "f"}, "--every"},  // out of range
      {{"--every", "x", "f"}, "--every"},  // not a number
      {{"f", "g"}, "g"},                   // a second file
      {{"--flag"}, "FILE"},                // the file missing
  };
  for (const TCase& c : cases) {
    const TParsed p = Parse(c.args);
    EXPECT_EQ(p.status, 2) << c.named;
    EXPECT_EQ(p.out, "");
    EXPECT_EQ(p.err.rfind("prog: ", 0), 0u) << p.err;
    EXPECT_NE(p.err.find(c.named), std::string::npos) << p.err;
    EXPECT_NE(p.err.find("--help"), std::string::npos) << p.err;
  }
}

TEST(ProgramOptions, TheVersionIsAReleaseNumber) {
  const std::string v = kProgramVersion;
  ASSERT_FALSE(v.empty());
  int dots = 0;
  for (char c : v) {
    if (c == '.') {
      dots++;
    } else {
      EXPECT_TRUE(c >= '0' && c <= '9') << v;
    }
  }
  EXPECT_EQ(dots, 2) << v;
}

}  // namespace

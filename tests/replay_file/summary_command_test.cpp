// zazo-replay --summary as the score server calls it: one line per game,
// exit status 0, 2 (malformed or another version, naming the line) or 3
// (not reproduced or beyond the limits). Without --summary a replay file
// prints the dump blocks a script would.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <string>

#include "live_session.h"

namespace {

struct TRun {
  int status = -1;
  std::string out;
};

TRun RunTool(const std::string& args) {
  TRun r;
  const std::string command = ZAZO_BINARY_DIR "/zazo-replay " + args + " 2>&1";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int status = pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

TEST(SummaryCommand, ExitStatusTellsWhatTheServerNeeds) {
  TTempFolder folder;
  const std::string good = PlayToGameOver(folder.Path(), '4');
  ASSERT_FALSE(good.empty());
  const std::string file = folder.Path() + "game.zzr";
  std::ofstream(file) << good;

  TRun r = RunTool("--summary " + file);
  EXPECT_EQ(r.status, 0) << r.out;
  // "game single SCORE LEVEL SCORETEXT SIGNATURE"
  char mode[16] = {}, text[40] = {}, sig[40] = {};
  int score = -1, level = -1;
  ASSERT_EQ(
      std::sscanf(r.out.c_str(), "game %15s %d %d %39s %39s", mode, &score, &level, text, sig), 5)
      << r.out;
  EXPECT_STREQ(mode, "single");
  EXPECT_EQ(std::string(text).size(), 33u);
  EXPECT_EQ(std::string(sig).size(), 32u);

  std::string edited = good;
  edited.replace(edited.find("\ntime ") + 6, 14, "20261208101113");
  std::ofstream(file) << edited;
  r = RunTool("--summary " + file);
  EXPECT_EQ(r.status, 3) << r.out;
  EXPECT_NE(r.out.find("does not reproduce"), std::string::npos) << r.out;

  std::ofstream(file) << good.substr(0, good.size() / 2);
  r = RunTool("--summary " + file);
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_NE(r.out.find(": line "), std::string::npos) << r.out;

  std::ofstream(file) << "zazo-puzzle-replay 7\n" << good.substr(good.find('\n') + 1);
  r = RunTool("--summary " + file);
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_NE(r.out.find("line 1: not a replay of this version"), std::string::npos) << r.out;

  std::ofstream(file) << good;
  r = RunTool("--summary --max-frames 50 " + file);
  EXPECT_EQ(r.status, 3) << r.out;
  EXPECT_NE(r.out.find("over the limit"), std::string::npos) << r.out;

  // Without --summary: the dump of every frame, ending where the game did.
  r = RunTool("--dump-every 100000 " + file);
  EXPECT_EQ(r.status, 0) << r.out.substr(0, 400);
  EXPECT_NE(r.out.find("\nscene 300\n"), std::string::npos);
  EXPECT_NE(r.out.find("\nscoreEdit " + std::string(text) + "\n"), std::string::npos);
}

}  // namespace

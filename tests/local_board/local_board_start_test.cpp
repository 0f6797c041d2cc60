// The game's start of the local score board: where the server program is
// looked for, what it is started with, that it is detached, and the wait for
// the page opener.
#include "system/local_board_start.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/sdl_host.h"
#include "score/score_signature.h"
#include "system/page_opener.h"

namespace {

// A temporary folder (path ends in '/'), removed with everything in it.
struct TTempDir {
  TTempDir() {
    char dir[] = "/tmp/zazo-board-XXXXXX";
    EXPECT_NE(mkdtemp(dir), nullptr);
    path = std::string(dir) + "/";
  }
  ~TTempDir() { std::filesystem::remove_all(path); }
  std::string path;
};

void WriteScript(const std::string& path, const std::string& body) {
  std::ofstream(path) << "#!/bin/sh\n" << body;
  chmod(path.c_str(), 0755);
}

std::string ReadWhenThere(const std::string& path) {
  for (int i = 0; i < 300; i++) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string s = ss.str();
    if (!s.empty() && s.back() == '\n') return s;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "";
}

}  // namespace

TEST(LocalBoardStart, LooksBesideTheProgramThenInBin) {
  TTempDir temp;
  const std::string& dir = temp.path;
  EXPECT_EQ(FindScoreServer(dir + "game/"), "");
  mkdir((dir + "game").c_str(), 0755);
  mkdir((dir + "bin").c_str(), 0755);
  WriteScript(dir + "bin/zazo-scores", "");
  EXPECT_EQ(FindScoreServer(dir + "game/"), dir + "game/../bin/zazo-scores");
  mkdir((dir + "game/bin").c_str(), 0755);
  WriteScript(dir + "game/bin/zazo-scores", "");
  EXPECT_EQ(FindScoreServer(dir + "game/"), dir + "game/bin/zazo-scores");
  WriteScript(dir + "game/zazo-scores", "");
  EXPECT_EQ(FindScoreServer(dir + "game/"), dir + "game/zazo-scores");
  // Not executable: not a server.
  chmod((dir + "game/zazo-scores").c_str(), 0644);
  EXPECT_EQ(FindScoreServer(dir + "game/"), dir + "game/bin/zazo-scores");
}

TEST(LocalBoardStart, StartsTheServerDetachedWithTheReplay) {
  TTempDir temp;
  const std::string& dir = temp.path;
  // A stand-in server: writes its arguments, its pid and its parent, then
  // stays until the test stops it.
  WriteScript(dir + "zazo-scores",
              "echo \"$*\" > " + dir + "args.tmp && mv " + dir + "args.tmp " + dir +
                  "args\necho \"$$ $(ps -o ppid= -p $$) $(ps -o sid= -p $$)\" > " + dir +
                  "ids.tmp && mv " + dir + "ids.tmp " + dir + "ids\nexec sleep 30\n");
  std::string error;
  ASSERT_TRUE(StartLocalBoard(dir, "/tmp/some game.zzr", &error)) << error;
  EXPECT_EQ(ReadWhenThere(dir + "args"), "--local-board --replay /tmp/some game.zzr\n");
  std::istringstream ids(ReadWhenThere(dir + "ids"));
  pid_t pid = 0, parent = 0, session = 0;
  ids >> pid >> parent >> session;
  ASSERT_GT(pid, 0);
  EXPECT_NE(parent, getpid());    // not our child: no zombie to collect
  EXPECT_NE(session, getsid(0));  // its own session: the game's end does not end it
  EXPECT_EQ(kill(pid, SIGTERM), 0);

  // Without a replay only the board is started.
  std::remove((dir + "args").c_str());
  std::remove((dir + "ids").c_str());
  ASSERT_TRUE(StartLocalBoard(dir, "", &error)) << error;
  EXPECT_EQ(ReadWhenThere(dir + "args"), "--local-board\n");
  std::istringstream ids2(ReadWhenThere(dir + "ids"));
  ids2 >> pid;
  EXPECT_EQ(kill(pid, SIGTERM), 0);
}

TEST(LocalBoardStart, SaysWhyWhenNoServerCanStart) {
  TTempDir temp;
  const std::string& dir = temp.path;
  std::string error;
  EXPECT_FALSE(StartLocalBoard(dir, "", &error));
  EXPECT_NE(error.find("no zazo-scores"), std::string::npos);
  // Executable bits but not a program the system can run.
  std::ofstream(dir + "zazo-scores") << "\x7f"
                                        "ELF broken";
  chmod((dir + "zazo-scores").c_str(), 0755);
  error.clear();
  EXPECT_FALSE(StartLocalBoard(dir, "", &error));
  EXPECT_NE(error.find("cannot start"), std::string::npos) << error;
}

TEST(LocalBoardStart, OpenerThatGivesUpIsSeenWithinTheButtonsPause) {
  TPageOpener opener;
  // xdg-open without any browser ends with status 3 at once; a quick
  // success is not a failure.
  ASSERT_TRUE(opener.Open("true", nullptr));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitBrieflyForExit(opener.LastStarted(), 300), 0);
  ASSERT_TRUE(opener.Open("false", nullptr));
  EXPECT_EQ(WaitBrieflyForExit(opener.LastStarted(), 300), 1);
  // An opener that keeps running (the browser itself) is left to the slots.
  ASSERT_TRUE(opener.Open("sleep", "5"));
  const pid_t running = opener.LastStarted();
  EXPECT_EQ(WaitBrieflyForExit(running, 300), -1);
  // The pause is taken in full either way.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  kill(running, SIGKILL);
  for (int i = 0; i < 100 && opener.Running() > 0; i++) {
    opener.ReapFinished();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(opener.Running(), 0);
}

// The registration button of the real host with the local board: the board
// is started before the page is opened, and a browser that cannot be opened
// is said in the warning box with the page's path.
TEST(LocalBoardStart, ButtonStartsTheBoardAndWarnsWhenNoBrowserOpens) {
  TTempDir temp;
  const std::string& dir = temp.path;
  mkdir((dir + "save").c_str(), 0755);
  WriteScript(dir + "zazo-scores", "echo \"$$ $*\" > " + dir + "ids.tmp && mv " + dir + "ids.tmp " +
                                       dir + "ids\nexec sleep 30\n");
  TSdlHost host(dir);
  host.pageOpener = "false";
  host.ShowScoreWidgets("202407032005090001234500000012061", "0123456789abcdef0123456789abcdef");
  ::testing::internal::CaptureStderr();
  host.RegScoreBtnClick();
  const std::string said = ::testing::internal::GetCapturedStderr();
  if (kRegistrationIsLocalBoard) {
    std::istringstream ids(ReadWhenThere(dir + "ids"));
    pid_t pid = 0;
    std::string flag;
    ids >> pid >> flag;
    EXPECT_EQ(flag, "--local-board");
    ASSERT_GT(pid, 0);
    EXPECT_EQ(kill(pid, SIGTERM), 0);
  }
  EXPECT_NE(said.find("警告"), std::string::npos) << said;
  EXPECT_NE(said.find(dir + "save/scorereg.html"), std::string::npos) << said;
  EXPECT_NE(said.find("ブラウザでページを開けませんでした"), std::string::npos) << said;
}

// The program's start-up settings: a file-size limit makes a save fail
// instead of killing the game, and only a real display is accepted unless the
// player chose a driver.
#include "platform/startup_checks.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "score/best_score_file.h"
#include "system/page_opener.h"

namespace fs = std::filesystem;

namespace {

// Runs body in a child process; returns its wait status.
template <typename Body>
int InChild(Body body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = -1;
  waitpid(child, &status, 0);
  return status;
}

TEST(StartupChecks, ASaveBeyondTheFileSizeLimitFailsAndTheGameGoesOn) {
  char pattern[] = "/tmp/zazo_fsize_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  const std::string path = dir + "/score.dat";
  std::ofstream(path, std::ios::binary) << "31337\r\n";

  const int status = InChild([&] {
    IgnoreFileSizeLimitSignal();
    struct rlimit tiny = {2, 2};  // room for two bytes only, as under "ulimit -f"
    if (setrlimit(RLIMIT_FSIZE, &tiny) != 0) return 2;
    std::string error;
    if (SaveBestScoreFile(path, 99999999, &error)) return 3;
    if (error.find(std::strerror(EFBIG)) == std::string::npos) return 4;
    return 0;  // still running: the game goes on
  });
  EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::ifstream in(path, std::ios::binary);
  std::stringstream kept;
  kept << in.rdbuf();
  EXPECT_EQ(kept.str(), "31337\r\n");
  int others = 0;
  for (const auto& e : fs::directory_iterator(dir)) others += e.path() != path;
  EXPECT_EQ(others, 0);
  fs::remove_all(dir);
}

// What the game starts (the page opener) does not inherit the ignored signal.
TEST(StartupChecks, StartedProgramsGetTheFileSizeSignalBack) {
  char pattern[] = "/tmp/zazo_spawn_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  const std::string script = dir + "/ignored.sh";
  std::ofstream(script) << "grep SigIgn /proc/$$/status > " << dir << "/status\n";
  const int status = InChild([&] {
    IgnoreFileSizeLimitSignal();
    pid_t pid = SpawnProgram("/bin/sh", script.c_str());
    int childStatus = 0;
    return pid > 0 && waitpid(pid, &childStatus, 0) == pid ? 0 : 1;
  });
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::ifstream in(dir + "/status");
  std::string key, mask;
  in >> key >> mask;
  ASSERT_EQ(key, "SigIgn:");
  EXPECT_EQ(std::stoull(mask, nullptr, 16) & (1ull << (SIGXFSZ - 1)), 0u) << mask;
  fs::remove_all(dir);
}

TEST(StartupChecks, RealDisplayDrivers) {
  for (const char* real : {"x11", "wayland", "kmsdrm", "KMSDRM", "directfb"}) {
    EXPECT_TRUE(IsRealDisplayDriver(real)) << real;
  }
  for (const char* none : {"offscreen", "dummy", "evdev", "", "x1"}) {
    EXPECT_FALSE(IsRealDisplayDriver(none)) << none;
  }
  EXPECT_FALSE(IsRealDisplayDriver(nullptr));
}

// The tests run with SDL_VIDEODRIVER=dummy: the player's choice stands.
// Without it and without any display, SDL's fallback is not accepted.
TEST(StartupChecks, NoDisplayUnlessThePlayerChoseADriver) {
  const int chosen = InChild([] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    return FindDisplay() ? 0 : 1;
  });
  EXPECT_TRUE(WIFEXITED(chosen) && WEXITSTATUS(chosen) == 0);

  const int none = InChild([] {
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    return FindDisplay() ? 0 : 1;
  });
  EXPECT_TRUE(WIFEXITED(none) && WEXITSTATUS(none) == 1);
}

}  // namespace

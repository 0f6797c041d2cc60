// The page opener: openers started by clicks are all collected, none stays
// behind as a zombie, even when more run at once than there are slots.
#include "system/page_opener.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// The children of this process, as "pid state" from /proc.
std::vector<pid_t> ChildrenOf(pid_t parent) {
  std::vector<pid_t> out;
  std::ifstream in("/proc/" + std::to_string(parent) + "/task/" + std::to_string(parent) +
                   "/children");
  pid_t pid = 0;
  while (in >> pid) out.push_back(pid);
  return out;
}

bool Gone(pid_t pid) {
  return kill(pid, 0) != 0 && errno == ESRCH;  // a zombie still answers
}

TEST(PageOpener, EveryOpenerIsCollectedEvenWhenAllSlotsAreBusy) {
  TPageOpener opener;
  std::vector<pid_t> before = ChildrenOf(getpid());
  // Twice as many long-running openers as slots, as a player clicking while
  // each click leaves a browser open.
  for (int i = 0; i < 2 * TPageOpener::kSlots; i++) ASSERT_TRUE(opener.Open("sleep", "0.3"));
  EXPECT_EQ(opener.Running(), TPageOpener::kSlots);
  std::vector<pid_t> started = ChildrenOf(getpid());
  ASSERT_EQ(started.size(), before.size() + 2 * TPageOpener::kSlots);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  bool allGone = false;
  while (!allGone && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    opener.ReapFinished();
    allGone = true;
    for (pid_t pid : started) allGone = allGone && Gone(pid);
  }
  EXPECT_TRUE(allGone) << "an opener was left as a zombie";
  EXPECT_EQ(opener.Running(), 0);
}

TEST(PageOpener, AProgramThatCannotStartIsReportedAndTakesNoSlot) {
  TPageOpener opener;
  EXPECT_FALSE(opener.Open("/nonexistent/opener", "page.html"));
  EXPECT_EQ(opener.Running(), 0);
  pid_t none = -1;
  EXPECT_TRUE(ReapIfExited(&none));
}

}  // namespace

// Saves cut short, files and links planted where the game writes, two saves
// at once: the real file is always whole and at most one temporary file is
// ever left beside it.
#include "score/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "save_folder_fixture.h"

namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public TSaveFolderTest {
 protected:
  void SetUp() override {
    TSaveFolderTest::SetUp();
    temp = path + ".tmp";
  }
  bool Save(const std::string& text, std::string* error = nullptr) {
    return WriteFileAtomically(path.c_str(), text.data(), text.size(), error);
  }
  // Names in the folder that start with "score.dat." (temporary files).
  int Temporaries() const {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
      n += e.path().filename().string().rfind("score.dat.", 0) == 0;
    }
    return n;
  }

  std::string temp;
};

TEST_F(AtomicFileTest, TemporaryNameIsThePathPlusTmp) {
  char out[64];
  ASSERT_TRUE(TemporaryPathFor("save/score.dat", out, sizeof out));
  EXPECT_STREQ(out, "save/score.dat.tmp");
  EXPECT_FALSE(TemporaryPathFor("save/score.dat", out, 14));
}

// What a crash left at the temporary name is taken over by the next save;
// whatever stands there, nothing is written through it.
TEST_F(AtomicFileTest, LeftoversAtTheTemporaryNameAreTakenOverNeverWrittenThrough) {
  Put("half a sav", temp);
  ASSERT_TRUE(Save("1\r\n"));
  EXPECT_EQ(Get(path), "1\r\n");
  EXPECT_EQ(Temporaries(), 0);

  // A link planted at the temporary name.
  const std::string victim = dir + "/victim.txt";
  Put("keep me", victim);
  fs::create_symlink(victim, temp);
  ASSERT_TRUE(Save("2\r\n"));
  EXPECT_EQ(Get(path), "2\r\n");
  EXPECT_EQ(Get(victim), "keep me");
  EXPECT_FALSE(fs::is_symlink(path));

  // A second name of another file.
  fs::remove(temp);
  ASSERT_EQ(link(victim.c_str(), temp.c_str()), 0);
  ASSERT_TRUE(Save("2\r\n"));
  EXPECT_EQ(Get(victim), "keep me");

  // A pipe nobody reads: no waiting for a reader.
  ASSERT_EQ(mkfifo(temp.c_str(), 0600), 0);
  ASSERT_TRUE(Save("3\r\n"));
  EXPECT_EQ(Get(path), "3\r\n");
  EXPECT_EQ(Temporaries(), 0);
}

// While another save holds the temporary file, a second one fails and
// touches nothing; start-up cleaning leaves a held file alone too.
TEST_F(AtomicFileTest, ASaveInProgressIsNeitherJoinedNorRemoved) {
  Put("10\r\n", path);
  Put("", temp);
  const int held = open(temp.c_str(), O_WRONLY | O_CLOEXEC);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  std::string error;
  EXPECT_FALSE(Save("11\r\n", &error));
  EXPECT_NE(error.find("in progress"), std::string::npos) << error;
  RemoveLeftoverTemporaries(path.c_str());
  EXPECT_TRUE(fs::exists(temp));
  close(held);
  EXPECT_EQ(Get(path), "10\r\n");

  RemoveLeftoverTemporaries(path.c_str());
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_EQ(Get(path), "10\r\n");
}

// A save folder we may not write to: the save fails with that reason and
// the file stays as it was.
TEST_F(AtomicFileTest, AFolderWeMayNotWriteToIsReported) {
  Put("9\r\n", path);
  ASSERT_EQ(chmod(path.c_str(), 0666), 0);
  ASSERT_EQ(chmod(dir.c_str(), 0555), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && setuid(65534) != 0) _exit(2);  // root writes anywhere
    std::string error;
    if (Save("1\r\n", &error)) _exit(3);
    _exit(error.find(std::strerror(EACCES)) != std::string::npos ? 0 : 4);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  chmod(dir.c_str(), 0700);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(Get(path), "9\r\n");
  EXPECT_EQ(Temporaries(), 0);
}

// Start-up removes the temporary file and the ones older versions named
// "<file>.tmp-<pid>-<n>", and nothing else.
TEST_F(AtomicFileTest, StartUpRemovesLeftoversOfThisFileOnly) {
  Put("77\r\n", path);
  for (const char* name : {"score.dat.tmp", "score.dat.tmp-123-4", "score.dat.tmp-99999-0"}) {
    Put("junk", dir + "/" + name);
  }
  const char* keep[] = {"score.dat.tmp-x-1", "score.dat.tmp-1-", "score.dat.tmp-1-2-3",
                        "other.dat.tmp-1-2", "score.dat.bak"};
  for (const char* name : keep) Put("mine", dir + "/" + name);
  RemoveLeftoverTemporaries(path.c_str());
  EXPECT_EQ(Get(path), "77\r\n");
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_FALSE(fs::exists(dir + "/score.dat.tmp-123-4"));
  EXPECT_FALSE(fs::exists(dir + "/score.dat.tmp-99999-0"));
  for (const char* name : keep) EXPECT_TRUE(fs::exists(dir + "/" + name)) << name;
  // Nothing there at all is fine too.
  RemoveLeftoverTemporaries((dir + "/missing/score.dat").c_str());
}

// A child saves in a loop and is killed at random moments: after every kill
// the file is one whole save (old or new) and there is at most one temporary
// file; the next start-up removes it.
TEST_F(AtomicFileTest, KilledAtRandomMomentsTheFileIsWholeWithAtMostOneLeftover) {
  constexpr size_t kSize = 64 * 1024;  // large enough for kills to land mid-write
  Put(std::string(kSize, 'a'), path);
  std::mt19937 rng(14);
  int leftovers = 0;
  for (int round = 0; round < 120; round++) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::string text(kSize, 'a');
      for (unsigned i = 0;; i++) {
        std::fill(text.begin(), text.end(), static_cast<char>('a' + i % 26));
        WriteFileAtomically(path.c_str(), text.data(), text.size(), nullptr);
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 6000));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);

    const std::string content = Get(path);
    ASSERT_EQ(content.size(), kSize) << "round " << round;
    ASSERT_EQ(content.find_first_not_of(content[0]), std::string::npos) << "round " << round;
    ASSERT_LE(Temporaries(), 1) << "round " << round;
    leftovers += Temporaries();
  }
  RemoveLeftoverTemporaries(path.c_str());
  EXPECT_EQ(Temporaries(), 0);
  std::printf("kills that left the temporary file: %d of 120\n", leftovers);
}

}  // namespace

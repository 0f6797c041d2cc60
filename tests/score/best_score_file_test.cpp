#include "score/best_score_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "save_folder_fixture.h"

namespace fs = std::filesystem;

namespace {

TEST(BestScoreParse, FirstLineOnlyAnyLineEnd) {
  EXPECT_EQ(ParseBestScore("1234\r\n99\r\n"), 1234);
  EXPECT_EQ(ParseBestScore("1234\n99\n"), 1234);
  EXPECT_EQ(ParseBestScore("1234\r99\r"), 1234);
  EXPECT_EQ(ParseBestScore("1234"), 1234);  // a line without an end
  EXPECT_EQ(ParseBestScore("99999999\r\n"), 99999999);
  EXPECT_EQ(ParseBestScore("\r\n1234\r\n"), 0);  // the first line is empty
}

TEST(BestScoreParse, BlanksSignAndZeros) {
  EXPECT_EQ(ParseBestScore("  -5\r\n"), -5);
  EXPECT_EQ(ParseBestScore("\t 77"), 77);
  EXPECT_EQ(ParseBestScore("+12\r\n"), 12);
  EXPECT_EQ(ParseBestScore("000765\r\n"), 765);
  EXPECT_EQ(ParseBestScore("-0"), 0);
  EXPECT_EQ(ParseBestScore("\xEF\xBB\xBF"
                           "4321\r\n"),
            4321);  // editor's byte-order mark
}

TEST(BestScoreParse, Limits) {
  EXPECT_EQ(ParseBestScore("2147483647"), INT32_MAX);
  EXPECT_EQ(ParseBestScore("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseBestScore("2147483648"), 0);
  EXPECT_EQ(ParseBestScore("-2147483649"), 0);
  EXPECT_EQ(ParseBestScore("99999999999999999999999999"), 0);
}

// Not a number: the best score reads as 0 (and is written back as 0).
TEST(BestScoreParse, NonNumberReadsAsZero) {
  for (const char* text :
       {"12a", "", "\r\n", "   ", "-", "+", "+-3", "- 3", "1234 \r\n", "1 2", "$10", "0x10", "12.5",
        "\xEF\xBB"
        "12",
        "abc\r\n1234\r\n"}) {
    EXPECT_EQ(ParseBestScore(text), 0) << '"' << text << '"';
  }
  const char junk[] = {'\x00', '\x7f', '\xff', '1', '\x00', '2'};
  EXPECT_EQ(ParseBestScore(std::string_view(junk, sizeof junk)), 0);
  EXPECT_EQ(ParseBestScore(std::string_view("12\0"
                                            "3",
                                            4)),
            0);
}

TEST(BestScoreFormat, DecimalAndCrLf) {
  EXPECT_EQ(FormatBestScore(765), "765\r\n");
  EXPECT_EQ(FormatBestScore(99999999), "99999999\r\n");
  EXPECT_EQ(FormatBestScore(0), "0\r\n");
  EXPECT_EQ(FormatBestScore(-5), "-5\r\n");
  for (int32_t v : {0, 1, -1, 765, 99999999, INT32_MAX, INT32_MIN}) {
    EXPECT_EQ(ParseBestScore(FormatBestScore(v)), v);
  }
}

class BestScoreFileTest : public TSaveFolderTest {
 protected:
  // Names in the folder other than score.dat (left-over temporary files).
  int Strays() const {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir)) n += e.path().filename() != "score.dat";
    return n;
  }
};

TEST_F(BestScoreFileTest, MissingFileGives765Quietly) {
  std::string error = "x";
  EXPECT_EQ(LoadBestScoreFile(path, &error), 765);
  EXPECT_EQ(error, "");
  EXPECT_EQ(LoadBestScoreFile(dir + "/no_folder/score.dat"), 765);
}

TEST_F(BestScoreFileTest, ReadsFirstLine) {
  Put("1234\r\n99\r\n", path);
  EXPECT_EQ(LoadBestScoreFile(path), 1234);
  Put("12a", path);
  EXPECT_EQ(LoadBestScoreFile(path), 0);
  Put("", path);
  EXPECT_EQ(LoadBestScoreFile(path), 0);
  // Leading blanks running past the first read still give the number.
  Put(std::string(200, ' ') + "4567\r\n", path);
  EXPECT_EQ(LoadBestScoreFile(path), 4567);
}

// The first line counts only within its first kBestScoreLineMax bytes.
TEST(BestScoreParse, FirstLineBeyondTheLimitIsNotANumber) {
  const std::string blanks(kBestScoreLineMax - 6, ' ');
  EXPECT_EQ(ParseBestScore(blanks + "12345\r\n"), 12345);  // the CR is byte 4096
  EXPECT_EQ(ParseBestScore(blanks + "123456\r\n"), 0);     // the CR is byte 4097
  EXPECT_EQ(ParseBestScore(blanks + "123456"), 123456);    // the file ends in time
  EXPECT_EQ(ParseBestScore(blanks + "1234567"), 0);
  EXPECT_EQ(ParseBestScore(std::string(kBestScoreLineMax, '0') + "7\r\n"), 0);
}

// Bytes this process has read so far (-1 when the kernel does not say).
long long BytesRead() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long long value;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return -1;
}

// A huge file is not read whole: only its start is looked at.
TEST_F(BestScoreFileTest, HugeFileReadsOnlyItsStart) {
  for (const char* start : {"42\r\n", "junk"}) {
    Put(start, path);
    ASSERT_EQ(truncate(path.c_str(), 1LL << 30), 0);  // 1 GiB, sparse
    long long before = BytesRead();
    EXPECT_EQ(LoadBestScoreFile(path), start[0] == '4' ? 42 : 0);
    long long after = BytesRead();
    // A few bytes of the file plus the reading of /proc/self/io itself.
    if (before >= 0) {
      EXPECT_LE(after - before, 4096);
    }
  }
}

// A file of blanks is not read to its end: how long loading takes does not
// depend on the file's size.
TEST_F(BestScoreFileTest, EndlessBlanksReadOnlyUpToTheLimit) {
  {
    std::ofstream out(path, std::ios::binary);
    const std::string mib(1 << 20, ' ');
    for (int i = 0; i < 16; i++) out << mib;
    out << "42\r\n";
  }
  long long before = BytesRead();
  EXPECT_EQ(LoadBestScoreFile(path), 0);
  long long after = BytesRead();
  if (before >= 0) {
    EXPECT_LE(after - before, 2 * static_cast<long long>(kBestScoreLineMax));
  }
}

// Something at the path that is not a readable file: 765 and a message,
// never a hang (a pipe) or a crash.
TEST_F(BestScoreFileTest, NotAFileGives765WithMessage) {
  fs::create_directory(path);
  std::string error;
  EXPECT_EQ(LoadBestScoreFile(path, &error), 765);
  EXPECT_NE(error.find(path), std::string::npos);
  fs::remove(path);
  ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
  error.clear();
  EXPECT_EQ(LoadBestScoreFile(path, &error), 765);
  EXPECT_NE(error.find(path), std::string::npos);
  fs::remove(path);
  fs::create_symlink("/dev/zero", path);
  error.clear();
  EXPECT_EQ(LoadBestScoreFile(path, &error), 765);
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
}

TEST_F(BestScoreFileTest, SaveWritesOneCrLfLine) {
  std::string error;
  ASSERT_TRUE(SaveBestScoreFile(path, 765, &error)) << error;
  EXPECT_EQ(Get(path), "765\r\n");
  Put("1234\r\n99\r\n", path);
  ASSERT_TRUE(SaveBestScoreFile(path, 99999999, &error)) << error;
  EXPECT_EQ(Get(path), "99999999\r\n");
  EXPECT_EQ(LoadBestScoreFile(path), 99999999);
  EXPECT_EQ(Strays(), 0);
}

// "12a" reads as 0 and that 0 is what the next save writes.
TEST_F(BestScoreFileTest, NonNumberIsWrittenBackAsZero) {
  Put("12a", path);
  int32_t best = LoadBestScoreFile(path);
  ASSERT_TRUE(SaveBestScoreFile(path, best, nullptr));
  EXPECT_EQ(Get(path), "0\r\n");
}

// A link at score.dat is read through but never written through: the save
// replaces the link itself, so a planted link cannot make the game overwrite
// another file.
TEST_F(BestScoreFileTest, SaveKeepsPermissionsAndReplacesALinkItself) {
  Put("1\r\n", path);
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(SaveBestScoreFile(path, 2, nullptr));
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  const std::string other = dir + "/players_notes.txt";
  Put("my notes\n", other);
  fs::remove(path);
  fs::create_symlink(other, path);
  EXPECT_EQ(LoadBestScoreFile(path), 0);  // "my notes" is not a number
  ASSERT_TRUE(SaveBestScoreFile(path, 3, nullptr));
  EXPECT_FALSE(fs::is_symlink(path));
  EXPECT_EQ(Get(path), "3\r\n");
  EXPECT_EQ(Get(other), "my notes\n");

  // A link to a device or to nowhere is replaced the same way.
  fs::remove(path);
  fs::create_symlink("/dev/null", path);
  ASSERT_TRUE(SaveBestScoreFile(path, 4, nullptr));
  EXPECT_EQ(Get(path), "4\r\n");
  fs::remove(path);
  fs::create_symlink(dir + "/nowhere", path);
  ASSERT_TRUE(SaveBestScoreFile(path, 5, nullptr));
  EXPECT_EQ(Get(path), "5\r\n");
  EXPECT_FALSE(fs::exists(dir + "/nowhere"));
  EXPECT_EQ(Strays(), 1);  // the notes
}

TEST_F(BestScoreFileTest, SaveIntoMissingFolderReports) {
  const std::string missing = dir + "/save/score.dat";
  std::string error;
  EXPECT_FALSE(SaveBestScoreFile(missing, 765, &error));
  EXPECT_NE(error.find(missing), std::string::npos) << error;
  EXPECT_NE(error.find(std::strerror(ENOENT)), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(dir + "/save"));

  // A "folder" that is a regular file.
  Put("x", dir + "/save");
  error.clear();
  EXPECT_FALSE(SaveBestScoreFile(missing, 765, &error));
  EXPECT_NE(error.find(std::strerror(ENOTDIR)), std::string::npos) << error;
  EXPECT_EQ(Get(dir + "/save"), "x");
}

TEST_F(BestScoreFileTest, FolderAtPathIsNotReplaced) {
  fs::create_directory(path);
  std::string error;
  EXPECT_FALSE(SaveBestScoreFile(path, 5, &error));
  EXPECT_NE(error.find(path), std::string::npos) << error;
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(Strays(), 0);
}

// A write that fails half-way (the disk full) leaves the old score intact
// and no temporary file behind.
TEST_F(BestScoreFileTest, FailedWriteKeepsOldFile) {
  Put("31337\r\n", path);
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit tiny = old;
  tiny.rlim_cur = 2;  // room for two bytes only
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  std::string error;
  bool saved = SaveBestScoreFile(path, 99999999, &error);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(saved);
  EXPECT_NE(error.find(path), std::string::npos) << error;
  EXPECT_NE(error.find(std::strerror(EFBIG)), std::string::npos) << error;
  EXPECT_EQ(Get(path), "31337\r\n");
  EXPECT_EQ(Strays(), 0);
}

TEST_F(BestScoreFileTest, ReadOnlyFileIsNotReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
  Put("500\r\n", path);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  std::string error;
  EXPECT_FALSE(SaveBestScoreFile(path, 1, &error));
  EXPECT_EQ(Get(path), "500\r\n");
}

}  // namespace

// Where the game finds its pictures and keeps its best score: the portable
// copy, the read-only copy, the installed layout, and the per-user folders
// under the XDG rules.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "support/heap_counter.h"
#include "system/program_env.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// Sets or clears one environment variable for the life of the object.
class EnvGuard {
 public:
  EnvGuard(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~EnvGuard() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class GameFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("zazo_folders_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "home");
    // Reachable by the unprivileged user the read-only cases run as.
    fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    home = root.string() + "/home";
  }
  void TearDown() override {
    std::error_code ec;
    for (auto& entry : fs::recursive_directory_iterator(root, ec))
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root, ec);
  }

  // A portable copy: the program's folder with graph/ (and save/ if asked).
  std::string PortableCopy(const char* name, bool withSave) {
    const fs::path dir = root / name;
    fs::create_directories(dir / "graph");
    fs::create_directories(dir / "system");
    if (withSave) fs::create_directories(dir / "save");
    return dir.string() + "/";
  }

  // Runs choose() as the unprivileged user (when the test runs as root, as
  // CI does, root could write anywhere) and returns what it printed.
  static std::string AsUnprivileged(const std::function<std::string()>& choose) {
    int fds[2];
    if (::pipe(fds) != 0) return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(fds[0]);
      if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(3);
      const std::string said = choose();
      const ssize_t written = ::write(fds[1], said.data(), said.size());
      ::_exit(written == static_cast<ssize_t>(said.size()) ? 0 : 4);
    }
    ::close(fds[1]);
    std::string said;
    char buffer[512];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) said.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed";
    return said;
  }

  static std::string Describe(const TGameFolders& f) {
    return "data=" + f.dataDir + " save=" + f.saveDir + " portable=" + (f.portable ? "yes" : "no") +
           " mode=" + std::to_string(f.createMode);
  }

  fs::path root;
  std::string home;
};

TEST_F(GameFolders, WritableProgramFolderKeepsItsOwnSaveFolder) {
  EnvGuard homeVar("HOME", home.c_str());
  EnvGuard xdg("XDG_DATA_HOME", nullptr);
  const std::string dir = PortableCopy("game", true);
  TGameFolders f = ChooseGameFolders(dir);
  EXPECT_EQ(f.programDir, dir);
  EXPECT_EQ(f.dataDir, dir);
  EXPECT_EQ(f.saveDir, dir + "save/");
  EXPECT_TRUE(f.portable);
  EXPECT_EQ(f.createMode, 0777u);

  // Without save/ (an archive tool that drops empty folders): the same
  // folder, created at the first save; choosing creates nothing.
  const std::string bare = PortableCopy("bare", false);
  f = ChooseGameFolders(bare);
  EXPECT_EQ(f.saveDir, bare + "save/");
  EXPECT_FALSE(fs::exists(bare + "save"));
  EXPECT_FALSE(fs::exists(home + "/.local"));

  // Without system/ the pictures still mark the copy as portable.
  fs::remove_all(dir + "system");
  EXPECT_EQ(ChooseGameFolders(dir).dataDir, dir);
}

TEST_F(GameFolders, ReadOnlyProgramFolderSavesPerUser) {
  EnvGuard homeVar("HOME", home.c_str());
  EnvGuard xdg("XDG_DATA_HOME", nullptr);
  const std::string withSave = PortableCopy("withsave", true);
  const std::string without = PortableCopy("without", false);
  const std::string fileInTheWay = PortableCopy("file", false);
  std::ofstream(fileInTheWay + "save") << "not a folder";
  // Writable by everybody: an unprivileged user could create save/ here.
  const std::string open = PortableCopy("open", false);
  fs::permissions(open, fs::perms::all);
  for (const std::string& dir : {withSave, without, fileInTheWay})
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec);
  fs::permissions(withSave + "save", fs::perms::owner_read | fs::perms::owner_exec |
                                         fs::perms::others_read | fs::perms::others_exec);

  const std::string user = home + "/.local/share/zazo-puzzle/";
  const std::string said = AsUnprivileged([&] {
    std::string out;
    for (const std::string& dir : {withSave, without, fileInTheWay, open})
      out += Describe(ChooseGameFolders(dir)) + "\n";
    return out;
  });
  EXPECT_EQ(said, "data=" + withSave + " save=" + user + " portable=yes mode=448\n" +  //
                      "data=" + without + " save=" + user + " portable=yes mode=448\n" +
                      "data=" + fileInTheWay + " save=" + user + " portable=yes mode=448\n" +
                      "data=" + open + " save=" + open + "save/ portable=yes mode=511\n");
  EXPECT_FALSE(fs::exists(home + "/.local"));
}

TEST_F(GameFolders, InstalledLayoutReadsShareAndSavesPerUser) {
  EnvGuard homeVar("HOME", home.c_str());
  EnvGuard xdg("XDG_DATA_HOME", nullptr);
  const std::string prefix = root.string() + "/usr/";
  fs::create_directories(prefix + "games");
  fs::create_directories(prefix + "share/games/zazo-puzzle/graph");
  fs::create_directories(prefix + "share/games/zazo-puzzle/system");
  // A writable games/ with a save/ in it does not make the copy portable.
  fs::create_directories(prefix + "games/save");
  ASSERT_STREQ(InstalledDataFromProgram(), "../share/games/zazo-puzzle/");

  const TGameFolders f = ChooseGameFolders(prefix + "games/");
  EXPECT_EQ(f.dataDir, prefix + "share/games/zazo-puzzle/");
  EXPECT_EQ(f.saveDir, home + "/.local/share/zazo-puzzle/");
  EXPECT_FALSE(f.portable);
  EXPECT_EQ(f.createMode, 0700u);

  // Neither beside the program nor installed: the program's folder, where
  // the missing pictures are reported.
  const std::string lost = root.string() + "/lost/bin/";
  fs::create_directories(lost);
  const TGameFolders g = ChooseGameFolders(lost);
  EXPECT_EQ(g.dataDir, lost);
  EXPECT_TRUE(g.portable);
  EXPECT_EQ(g.saveDir, lost + "save/");
}

TEST_F(GameFolders, XdgFoldersSetUnsetEmptyAndRelative) {
  EnvGuard homeVar("HOME", "/home/player");
  {
    EnvGuard data("XDG_DATA_HOME", "/var/data");
    EnvGuard config("XDG_CONFIG_HOME", "/var/conf/");
    EXPECT_EQ(UserDataFolder(), "/var/data/zazo-puzzle/");
    EXPECT_EQ(UserConfigFolder(), "/var/conf/zazo-puzzle/");
  }
  {
    EnvGuard data("XDG_DATA_HOME", nullptr);
    EnvGuard config("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(UserDataFolder(), "/home/player/.local/share/zazo-puzzle/");
    EXPECT_EQ(UserConfigFolder(), "/home/player/.config/zazo-puzzle/");
  }
  for (const char* ignored : {"", "relative/data", "./data", "~/data"}) {
    EnvGuard data("XDG_DATA_HOME", ignored);
    EnvGuard config("XDG_CONFIG_HOME", ignored);
    EXPECT_EQ(UserDataFolder(), "/home/player/.local/share/zazo-puzzle/") << ignored;
    EXPECT_EQ(UserConfigFolder(), "/home/player/.config/zazo-puzzle/") << ignored;
  }
  {
    EnvGuard slash("HOME", "/home/player/");
    EnvGuard data("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(UserDataFolder(), "/home/player/.local/share/zazo-puzzle/");
  }
}

TEST_F(GameFolders, MissingHomeFallsBackToThePasswordDatabase) {
  EnvGuard data("XDG_DATA_HOME", nullptr);
  const struct passwd* me = ::getpwuid(::getuid());
  ASSERT_NE(me, nullptr);
  const std::string expected = std::string(me->pw_dir) + "/.local/share/zazo-puzzle/";
  for (const char* missing : {static_cast<const char*>(nullptr), ""}) {
    EnvGuard homeVar("HOME", missing);
    EXPECT_EQ(HomeFolder(), me->pw_dir);
    EXPECT_EQ(UserDataFolder(), expected);
    // An absolute XDG_DATA_HOME needs no home at all.
    EnvGuard set("XDG_DATA_HOME", "/srv/d");
    EXPECT_EQ(UserDataFolder(), "/srv/d/zazo-puzzle/");
  }
  // The installed copy then saves under the database's home.
  EnvGuard homeVar("HOME", nullptr);
  fs::create_directories(root / "usr/games");
  fs::create_directories(root / "usr/share/games/zazo-puzzle/graph");
  EXPECT_EQ(ChooseGameFolders(root.string() + "/usr/games/").saveDir, expected);
}

TEST_F(GameFolders, MakeFolderPathCreatesParentsPrivatelyAndAllocatesNothing) {
  const mode_t oldMask = ::umask(022);
  const std::string deep = home + "/.local/share/zazo-puzzle/";
  EXPECT_TRUE(MakeFolderPath(deep, 0700));
  for (const std::string& dir : {home + "/.local", home + "/.local/share", deep}) {
    struct stat st;
    ASSERT_EQ(::stat(dir.c_str(), &st), 0) << dir;
    EXPECT_EQ(st.st_mode & 0777, 0700u) << dir;
  }
  // Already there: nothing to do, nothing allocated (a save inside a frame).
  gAllocations = 0;
  gCounting = true;
  const bool again = MakeFolderPath(deep, 0700);
  gCounting = false;
  EXPECT_TRUE(again);
  EXPECT_EQ(gAllocations.load(), 0);
  // Without the trailing '/' and with the usual permissions.
  EXPECT_TRUE(MakeFolderPath(home + "/game/save", 0777));
  struct stat st;
  ASSERT_EQ(::stat((home + "/game/save").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);
  // A file in the way, or no path at all: refused.
  std::ofstream(home + "/plain") << "x";
  EXPECT_FALSE(MakeFolderPath(home + "/plain", 0700));
  EXPECT_FALSE(MakeFolderPath(home + "/plain/below/", 0700));
  EXPECT_FALSE(MakeFolderPath("", 0700));
  ::umask(oldMask);
}

}  // namespace

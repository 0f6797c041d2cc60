// The real host writing into the folder it was given: the per-user folder is
// made (mode 0700) at the first save and holds score.dat and scorereg.html;
// a save that cannot be made is told once a run, and the game goes on.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/sdl_host.h"
#include "platform/sound_system.h"
#include "score/score_signature.h"
#include "system/program_env.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
  return n;
}

class SaveFolderHost : public ::testing::Test {
 protected:
  void SetUp() override {
    SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    // No window system for the warning box: it is said on standard error
    // only, and never waits for a click.
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    dir = fs::temp_directory_path() /
          ("zazo_savehost_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir / "share");
  }
  void TearDown() override { fs::remove_all(dir); }

  TGameFolders Folders(const std::string& saveDir, mode_t mode) const {
    const std::string share = dir.string() + "/share/";
    return TGameFolders{dir.string() + "/bin/", share, saveDir, false, mode};
  }

  fs::path dir;
};

TEST_F(SaveFolderHost, PerUserFolderIsMadeAtTheFirstSaveAndHoldsBothFiles) {
  const std::string user = dir.string() + "/home/.local/share/zazo-puzzle/";
  TSdlHost host(Folders(user, 0700));
  EXPECT_EQ(host.LoadBestScore(), 765);
  EXPECT_FALSE(fs::exists(dir / "home"));  // reading creates nothing

  host.SaveBestScore(4321);
  EXPECT_EQ(ReadAll(user + "score.dat"), "4321\r\n");
  EXPECT_EQ(host.LoadBestScore(), 4321);
  for (const std::string& made : {dir.string() + "/home/.local", user}) {
    struct stat st;
    ASSERT_EQ(::stat(made.c_str(), &st), 0) << made;
    EXPECT_EQ(st.st_mode & 077, 0u) << made << " is open to others";
  }

  // The registration page goes beside it; the opener gets that path.
  host.pageOpener = "true";
  const char* text = "202407032005090000432100000012061";
  const char* md5 = "0123456789abcdef0123456789abcdef";
  host.ShowScoreWidgets(text, md5);
  host.RegScoreBtnClick();
  EXPECT_EQ(ReadAll(user + "scorereg.html"), BuildRegistrationPage(text, md5));
  // Nothing beside the program or the data.
  EXPECT_FALSE(fs::exists(dir / "bin"));
  EXPECT_TRUE(fs::is_empty(dir / "share"));
}

TEST_F(SaveFolderHost, AFailedSaveIsToldOnceARunAndTheGameGoesOn) {
  // A file where the folder should be: it can never be made.
  std::ofstream(dir / "home") << "in the way";
  const std::string user = dir.string() + "/home/.local/share/zazo-puzzle/";
  TSdlHost host(Folders(user, 0700));
  ::testing::internal::CaptureStderr();
  host.SaveBestScore(100);
  host.SaveBestScore(200);
  host.SaveBestScore(300);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(Count(said, "could not be saved"), 3u) << said;
  EXPECT_EQ(Count(said, "警告"), 1u) << said;
  EXPECT_NE(said.find("エラー : " + user + "score.dat にベストスコアを保存できません."),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("cannot create the folder " + user), std::string::npos) << said;
  EXPECT_EQ(ReadAll(dir / "home"), "in the way");
  EXPECT_EQ(host.LoadBestScore(), 765);

  // The registration page cannot go there either: said, not opened.
  host.pageOpener = "/nonexistent/opener";
  ::testing::internal::CaptureStderr();
  host.RegScoreBtnClick();
  const std::string page = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(page.find("registration page could not be written: cannot create the folder"),
            std::string::npos)
      << page;
  EXPECT_EQ(page.find("cannot start"), std::string::npos) << page;
}

TEST_F(SaveFolderHost, PortableSaveFolderIsMadeWhenMissing) {
  const std::string own = dir.string() + "/game/save/";
  fs::create_directories(dir / "game");
  TSdlHost host(Folders(own, 0777));
  host.SaveBestScore(77);
  EXPECT_EQ(ReadAll(own + "score.dat"), "77\r\n");
}

}  // namespace

namespace {

// Installed, the program's folder (bin/) and the data folder differ: the
// Vorbis library is looked for beside the program, then in the system's
// folders, never in the data folder.
TEST(InstalledSound, VorbisLibraryIsLookedForBesideTheProgramThenTheSystem) {
  const fs::path root = fs::temp_directory_path() / ("zazo_sound_" + std::to_string(::getpid()));
  fs::create_directories(root / "bin");
  fs::create_directories(root / "share/zazo-puzzle/system");
  const std::string bin = fs::canonical(root / "bin").string() + "/";
  {
    TSoundSystem sound(root.string() + "/share/zazo-puzzle/", bin);
    std::string tried;
    EXPECT_TRUE(sound.LoadVorbisLibrary(&tried));  // the system's copy
    EXPECT_EQ(tried, bin + "libvorbisfile.so.3");
    sound.Shutdown();
  }
  fs::remove_all(root);
}

}  // namespace

#include "settings/settings_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "settings/key_names.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class SettingsFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zazo-settings-test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = std::string(pattern) + "/";
    log_ = open_memstream(&logText_, &logSize_);
  }
  void TearDown() override {
    std::fclose(log_);
    std::free(logText_);
    chmod(dir_.c_str(), 0700);
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }
  std::string Log() {
    std::fflush(log_);
    return std::string(logText_, logSize_);
  }
  int LogLines() {
    const std::string text = Log();
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  }
  TSettingsStore Store() {
    return TSettingsStore(dir_, [](const std::string&) { return true; });
  }
  std::string dir_;
  std::FILE* log_ = nullptr;
  char* logText_ = nullptr;
  size_t logSize_ = 0;
};

TSettings Changed() {
  TSettings s;
  s.musicVolume = 30;
  s.effectsVolume = 0;
  s.fullScreen = true;
  s.windowScale = 3;
  s.showBackground = false;
  s.showEffects = false;
  s.keys[kActSide1Up] = scancode::Letter('I');
  s.keys[kActFullScreen] = 68;  // F11
  s.boardUrl = "https://scores.example:8443/zazo";
  s.playerName = "ざぞ player";
  return s;
}

}  // namespace

TEST(Settings, DefaultsAreTheGameAsItAlwaysStarted) {
  const TSettings s;
  EXPECT_EQ(s.musicVolume, 100);
  EXPECT_EQ(s.effectsVolume, 100);
  EXPECT_FALSE(s.fullScreen);
  EXPECT_EQ(s.windowScale, 0);
  EXPECT_TRUE(s.showBackground);
  EXPECT_TRUE(s.showEffects);
  // Every action on its own key, the code the game knows for it.
  for (int a = 0; a < kKeyActionCount; a++) {
    EXPECT_EQ(ActionOfScancode(s, s.keys[a]), a) << KeyActionInfo(a).name;
  }
  EXPECT_EQ(KeyActionInfo(kActSide1Up).vk, 87);
  EXPECT_STREQ(ScancodeName(s.keys[kActSide1Up]), "W");
  EXPECT_STREQ(ScancodeName(s.keys[kActSide2Place]), "Left");
  EXPECT_EQ(ScancodeFromName("leftbracket"), scancode::kLeftBracket);
  EXPECT_EQ(ScancodeFromName("Shift"), 0);
}

TEST(Settings, BindingsRefuseClashesAndTheGamesOwnKeys) {
  TSettings s;
  int other = 0;
  EXPECT_STREQ(RefuseBinding(s, kActSide1Up, scancode::Letter('I'), &other), "");
  EXPECT_EQ(other, -1);
  // Its own key again is no clash.
  EXPECT_STREQ(RefuseBinding(s, kActSide1Up, scancode::Letter('W'), &other), "");
  EXPECT_STRNE(RefuseBinding(s, kActSide1Up, scancode::Letter('U'), &other), "");
  EXPECT_EQ(other, kActSide2Up);
  for (uint16_t reserved : {scancode::kEscape, scancode::kTab, scancode::Digit('3'),
                            scancode::Digit('6'), uint16_t{225} /* Shift */}) {
    EXPECT_STRNE(RefuseBinding(s, kActPause, reserved, &other), "") << reserved;
    EXPECT_EQ(other, -1);
  }
}

TEST(Settings, BoardAddressAndNameAreChecked) {
  EXPECT_TRUE(ValidBoardUrl(""));
  EXPECT_TRUE(ValidBoardUrl("http://127.0.0.1:8080"));
  EXPECT_TRUE(ValidBoardUrl("https://scores.example/zazo"));
  EXPECT_FALSE(ValidBoardUrl("ftp://scores.example"));
  EXPECT_FALSE(ValidBoardUrl("https://"));
  EXPECT_FALSE(ValidBoardUrl("https://a b"));
  EXPECT_FALSE(ValidBoardUrl("https://x/\"><script>"));
  EXPECT_FALSE(ValidBoardUrl("https://" + std::string(300, 'a')));
  EXPECT_TRUE(ValidPlayerName("ざぞ"));
  EXPECT_FALSE(ValidPlayerName("a\nb"));
  EXPECT_FALSE(ValidPlayerName(std::string(33, 'a')));
}

TEST(SettingsText, RoundTripKeepsEveryValueAndTheKeysTheGameDoesNotKnow) {
  const TSettings s = Changed();
  const std::string previous =
      "future_option = 7\n"
      "[keys]\nside3_up = \"Q\"\n"
      "[online]\nserver = \"udp://x\"\n";
  const std::string text = SettingsText(s, previous);
  const TSettingsRead r = ParseSettings(text);
  EXPECT_FALSE(r.damaged) << r.problem;
  EXPECT_TRUE(r.settings == s);
  EXPECT_NE(text.find("future_option = 7"), std::string::npos) << text;
  EXPECT_NE(text.find("side3_up = 'Q'"), std::string::npos) << text;
  EXPECT_NE(text.find("server = 'udp://x'"), std::string::npos) << text;
  EXPECT_NE(text.find("side1_up = 'I'"), std::string::npos) << text;
}

TEST(ParseSettings, EachBadValueFallsBackAloneAndIsNamed) {
  const TSettingsRead r = ParseSettings(
      "music_volume = 250\n"
      "effects_volume = 44\n"  // nearest step
      "full_screen = \"yes\"\n"
      "window_scale = 9\n"
      "background = false\n"
      "effects = 1\n"
      "board = \"javascript:alert(1)\"\n"
      "name = \"Ann\"\n"
      "[keys]\nside1_up = \"NoSuchKey\"\nside1_left = \"Escape\"\nside1_down = \"K\"\n");
  EXPECT_TRUE(r.damaged);
  EXPECT_EQ(r.problem.find('\n'), std::string::npos);
  for (const char* named : {"music_volume", "full_screen", "window_scale", "effects (", "board",
                            "keys.side1_up", "keys.side1_left"}) {
    EXPECT_NE(r.problem.find(named), std::string::npos) << named << " in " << r.problem;
  }
  const TSettings defaults;
  EXPECT_EQ(r.settings.musicVolume, 100);
  EXPECT_EQ(r.settings.effectsVolume, 40);
  EXPECT_FALSE(r.settings.fullScreen);
  EXPECT_EQ(r.settings.windowScale, 0);
  EXPECT_FALSE(r.settings.showBackground);
  EXPECT_TRUE(r.settings.showEffects);
  EXPECT_EQ(r.settings.boardUrl, "");
  EXPECT_EQ(r.settings.playerName, "Ann");
  // K is side 2's right: two actions on one key give every default key.
  for (int a = 0; a < kKeyActionCount; a++) EXPECT_EQ(r.settings.keys[a], defaults.keys[a]);
}

TEST(ParseSettings, GarbageAndWrongShapesGiveTheDefaults) {
  for (const char* text : {"\x7f\x45\x4c\x46\x01\x02 binary", "music_volume = [1, 2", "keys = 5\n",
                           "[music_volume]\n", "= = =", "a = 1\na = 2\n"}) {
    const TSettingsRead r = ParseSettings(text);
    EXPECT_TRUE(r.damaged) << text;
    EXPECT_TRUE(r.settings == TSettings()) << text;
    EXPECT_EQ(r.problem.find('\n'), std::string::npos) << r.problem;
  }
}

TEST_F(SettingsFolder, HostileFilesAreNeverWaitedOnNorReadWhole) {
  const std::string path = dir_ + "settings.toml";
  EXPECT_FALSE(ReadSettingsFile(path).found);
  // A pipe nobody writes to: not opened for a read that would block.
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  TSettingsRead r = ReadSettingsFile(path);
  EXPECT_TRUE(r.damaged);
  EXPECT_NE(r.problem.find("not a regular file"), std::string::npos) << r.problem;
  unlink(path.c_str());
  // 100 MB (sparse): refused by its size.
  int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 100 << 20), 0);
  close(fd);
  r = ReadSettingsFile(path);
  EXPECT_TRUE(r.damaged);
  EXPECT_NE(r.problem.find("larger"), std::string::npos);
  unlink(path.c_str());
  // A folder.
  ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
  EXPECT_TRUE(ReadSettingsFile(path).damaged);
  rmdir(path.c_str());
  // One we may not read (root reads everything).
  WriteAll(path, "music_volume = 10\n");
  chmod(path.c_str(), 0);
  if (geteuid() != 0) {
    r = ReadSettingsFile(path);
    EXPECT_TRUE(r.damaged);
    EXPECT_TRUE(r.settings == TSettings());
  }
}

TEST_F(SettingsFolder, DamagedFileStaysUntilAChangeThenIsKeptAsBroken) {
  const std::string path = dir_ + "settings.toml";
  WriteAll(path, "music_volume = \"loud\"\nmystery = 1\n");
  TSettingsStore store = Store();
  store.Load(log_);
  EXPECT_NE(Log().find("music_volume"), std::string::npos);
  EXPECT_EQ(LogLines(), 1) << Log();
  // Nothing changed: nothing written.
  EXPECT_TRUE(store.Change(store.Current(), log_));
  EXPECT_EQ(ReadAll(path), "music_volume = \"loud\"\nmystery = 1\n");
  TSettings s = store.Current();
  s.musicVolume = 50;
  EXPECT_TRUE(store.Change(s, log_));
  EXPECT_EQ(ReadAll(path + ".broken"), "music_volume = \"loud\"\nmystery = 1\n");
  const TSettingsRead again = ReadSettingsFile(path);
  EXPECT_FALSE(again.damaged) << again.problem;
  EXPECT_EQ(again.settings.musicVolume, 50);
  EXPECT_NE(again.text.find("mystery = 1"), std::string::npos);
  // A later change does not touch the broken copy again.
  s.musicVolume = 60;
  EXPECT_TRUE(store.Change(s, log_));
  EXPECT_EQ(ReadAll(path + ".broken"), "music_volume = \"loud\"\nmystery = 1\n");
}

TEST_F(SettingsFolder, NoFileIsWrittenUntilASettingChanges) {
  TSettingsStore store = Store();
  store.Load(log_);
  EXPECT_EQ(Log(), "");
  EXPECT_TRUE(store.Change(TSettings(), log_));
  EXPECT_NE(access((dir_ + "settings.toml").c_str(), F_OK), 0);
  EXPECT_TRUE(store.Change(Changed(), log_));
  EXPECT_TRUE(ReadSettingsFile(dir_ + "settings.toml").settings == Changed());
}

TEST_F(SettingsFolder, UnwritableFolderIsSaidOnceAndTheChangesStillHold) {
  // A read-only folder for a player; for root (who writes anywhere) a
  // folder that cannot exist because a file holds its parent's name.
  std::string folder = dir_;
  if (geteuid() == 0) {
    WriteAll(dir_ + "config", "a file\n");
    folder = dir_ + "config/zazo-puzzle/";
  } else {
    chmod(dir_.c_str(), 0500);
  }
  TSettingsStore store(folder, [](const std::string&) { return true; });
  store.Load(log_);
  EXPECT_NE(Log().find("cannot be saved"), std::string::npos);
  TSettings s;
  s.musicVolume = 20;
  EXPECT_FALSE(store.Change(s, log_));
  s.musicVolume = 10;
  EXPECT_FALSE(store.Change(s, log_));
  EXPECT_EQ(store.Current().musicVolume, 10);
  EXPECT_EQ(LogLines(), 1) << Log();
}

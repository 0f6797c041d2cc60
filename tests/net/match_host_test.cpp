// The host a match's game runs on: in a match the game reads the match's
// clock, music results and local time, and saves no best score (the dealt
// state holds the host's); out of a match everything is the real host's.
#include "net/match_host.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "recording_host.h"

namespace {

TEST(MatchHostTest, InAMatchTheGameReadsTheMatchAndSavesNothing) {
  char folder[] = "/tmp/zazo-match-host-XXXXXX";  // an empty assets folder
  ASSERT_NE(mkdtemp(folder), nullptr);
  TRecordingHost inner(std::string(folder) + "/");
  inner.clock = 5000;
  inner.localTime = "20000101000000";
  TMatchHost host(inner);

  // Out of a match: the real host's answers, and the save goes through.
  EXPECT_EQ(host.Clock(), 5000u);
  EXPECT_FALSE(host.ChangeMusic(3, 3, "system/nil.ogg", false));  // no such file here
  host.SaveBestScore(1234);
  EXPECT_NE(inner.Events().find("1234"), std::string::npos);
  inner.ClearEvents();

  host.inMatch = true;
  host.clock = 777;
  host.musicResults = 1u << MatchMusicIndex("system/bgm_b_03.ogg");
  std::memcpy(host.localTime, "20261208123000", 15);
  EXPECT_EQ(host.Clock(), 777u);
  EXPECT_TRUE(host.ChangeMusic(1, 0, "system/bgm_b_03.ogg", false));
  EXPECT_FALSE(host.ChangeMusic(1, 0, "system/bgm_a_03.ogg", false));
  EXPECT_FALSE(host.ChangeMusic(1, 0, "system/other.ogg", false));
  // The music still plays here as it can: the real host was asked.
  EXPECT_NE(inner.Events().find("bgm_b_03"), std::string::npos);
  char text[15];
  host.LocalTimeText(text);
  EXPECT_STREQ(text, "20261208123000");
  inner.ClearEvents();
  host.SaveBestScore(99999);
  EXPECT_EQ(inner.Events().find("99999"), std::string::npos);
  rmdir(folder);
}

TEST(MatchHostTest, MusicTableNamesEveryTrackOnce) {
  for (int n = 0; n < kMatchMusicFiles; n++) {
    char path[32];
    MatchMusicPath(n, path);
    EXPECT_EQ(MatchMusicIndex(path), n) << path;
  }
  EXPECT_EQ(MatchMusicIndex("system/bgm_a_01.ogg"), 2);
  EXPECT_EQ(MatchMusicIndex("system/bgm_b_08.ogg"), 17);
  EXPECT_EQ(MatchMusicIndex("system/bgm_a_09.ogg"), -1);
}

}  // namespace

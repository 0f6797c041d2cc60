// zazo-puzzle's command line.
#include "platform/game_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int Parse(std::vector<const char*> args, TGameOptions* options, std::string* out,
          std::string* err) {
  args.insert(args.begin(), "zazo-puzzle");
  return ParseGameOptions(static_cast<int>(args.size()), args.data(), options, out, err);
}

TEST(GameOptions, NoOptionPlaysAndWatchPlaysAReplay) {
  TGameOptions o;
  std::string out;
  std::string err;
  EXPECT_EQ(Parse({}, &o, &out, &err), -1);
  EXPECT_FALSE(o.watch);
  for (const auto& line :
       std::vector<std::vector<const char*>>{{"--watch", "best.zzr"}, {"--watch=best.zzr"}}) {
    EXPECT_EQ(Parse(line, &o, &out, &err), -1) << err;
    EXPECT_TRUE(o.watch);
    EXPECT_EQ(o.watchPath, "best.zzr");
  }
  // An empty name is still a file to watch (and then a clear error), not a game.
  EXPECT_EQ(Parse({"--watch", ""}, &o, &out, &err), -1);
  EXPECT_TRUE(o.watch);
  // A second parse starts from nothing.
  EXPECT_EQ(Parse({}, &o, &out, &err), -1);
  EXPECT_FALSE(o.watch);
}

TEST(GameOptions, HelpListsTheOptionsAndBadLinesAreRefused) {
  TGameOptions o;
  std::string out;
  std::string err;
  EXPECT_EQ(Parse({"--help"}, &o, &out, &err), 0);
  EXPECT_NE(out.find("--watch REPLAY"), std::string::npos) << out;
  EXPECT_NE(out.find("--version"), std::string::npos) << out;
  EXPECT_EQ(Parse({"--version"}, &o, &out, &err), 0);
  EXPECT_EQ(out.rfind("zazo-puzzle ", 0), 0u) << out;

  EXPECT_EQ(Parse({"--watch"}, &o, &out, &err), 2);
  EXPECT_NE(err.find("--watch"), std::string::npos) << err;
  EXPECT_EQ(Parse({"a.zzr", "b.zzr"}, &o, &out, &err), 2);
  EXPECT_NE(err.find("b.zzr"), std::string::npos) << err;
  EXPECT_EQ(Parse({"--watch", "a", "--fullscreen"}, &o, &out, &err), 2);
  EXPECT_NE(err.find("--fullscreen"), std::string::npos) << err;
}

TEST(GameOptions, HostAndJoinMeetAnotherMachine) {
  TGameOptions o;
  std::string out;
  std::string err;
  EXPECT_EQ(Parse({"--host"}, &o, &out, &err), -1) << err;
  EXPECT_TRUE(o.host);
  EXPECT_EQ(o.hostPort, 47651);
  EXPECT_EQ(Parse({"--host", "0", "--name", "はなこ", "--input-delay", "5"}, &o, &out, &err), -1)
      << err;
  EXPECT_EQ(o.hostPort, 0);
  EXPECT_EQ(o.name, "はなこ");
  EXPECT_EQ(o.inputDelay, 5);
  EXPECT_EQ(Parse({"--join", "192.168.1.20:47651"}, &o, &out, &err), -1) << err;
  EXPECT_FALSE(o.host);
  EXPECT_EQ(o.join, "192.168.1.20:47651");
  EXPECT_FALSE(o.name.empty());  // the login name, or "player"

  for (const auto& line : std::vector<std::vector<const char*>>{{"--host", "65536"},
                                                                {"--join", "nohost"},
                                                                {"--join", "host:0"},
                                                                {"--join", "a:1", "--host"},
                                                                {"--watch", "x.zzr", "--host"},
                                                                {"--host", "--input-delay", "0"}}) {
    EXPECT_EQ(Parse(line, &o, &out, &err), 2) << line[0] << " " << line[1];
    EXPECT_NE(err.find("--"), std::string::npos) << err;  // names the option
  }
}

TEST(GameOptions, AFileIsWatchedAndTheBoardIsCheckedBeforeAnyWindow) {
  TGameOptions o;
  std::string out;
  std::string err;
  // How the desktop opens a downloaded replay: the file alone.
  EXPECT_EQ(Parse({"/home/p/Downloads/daily 7.zzr"}, &o, &out, &err), -1) << err;
  EXPECT_TRUE(o.watch);
  EXPECT_EQ(o.watchPath, "/home/p/Downloads/daily 7.zzr");
  EXPECT_EQ(Parse({"--watch", "a.zzr", "b.zzr"}, &o, &out, &err), 2);

  EXPECT_EQ(Parse({"--daily", "--board", "https://scores.example.org/"}, &o, &out, &err), -1)
      << err;
  EXPECT_TRUE(o.daily);
  EXPECT_FALSE(o.watch);
  EXPECT_EQ(o.board, "https://scores.example.org/");
  for (const char* bad : {"scores.example.org", "http://x/\"><script>", "file:///etc/passwd"}) {
    EXPECT_EQ(Parse({"--board", bad}, &o, &out, &err), 2) << bad;
    EXPECT_NE(err.find("--board"), std::string::npos) << err;
  }
  // A challenge is played, not watched.
  EXPECT_EQ(Parse({"--daily", "a.zzr"}, &o, &out, &err), 2);
  EXPECT_EQ(Parse({"--daily", "--watch", "a.zzr"}, &o, &out, &err), 2);
}

}  // namespace

// Where replays go: named by date, time, mode and score; the newest hundred
// kept; the best single-player game kept apart while it is the best; a
// failed write costs that replay only.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "live_session.h"

namespace {

int CountReplays(const std::string& dir) {
  int n = 0;
  DIR* d = opendir(dir.c_str());
  if (!d) return -1;
  while (const dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    n += name.find(".zzr") != std::string::npos && name != "best.zzr";
  }
  closedir(d);
  return n;
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// Plays games one after another in one session: '4' chooses a single-player
// game, raises end it, '7' starts the next from game over.
void PlayGames(TLiveSession& live, int games, bool raiseOnly) {
  live.Key('4');
  int done = 0;
  for (int i = 0; i < 400000 && done < games; i++) {
    if (live.form.scene == kScenePlay && i % 5 == 0) live.Key(raiseOnly || i % 10 ? 'G' : 'V');
    live.Idle(16);
    if (live.recorder.HasPending()) {
      done++;
      live.WritePending();
      if (done < games) live.Key('7');
    }
  }
}

TEST(ReplayFolder, NewestHundredKeptAndTheBestApart) {
  TTempFolder folder;
  const std::string dir = folder.Path() + "replays/";
  ASSERT_EQ(mkdir(dir.c_str(), 0777), 0);
  // 105 older replays, and a file of the player's own that is left alone.
  for (int k = 0; k < 105; k++) {
    char name[64];
    std::snprintf(name, sizeof name, "20200101-%06d-single-1.zzr", k);
    std::ofstream(dir + name) << "old\n";
  }
  std::ofstream(dir + "notes.txt") << "mine\n";
  TLiveSession live(folder.Path());
  PlayGames(live, 2, true);
  ASSERT_TRUE(live.writeOk) << live.lastError;
  EXPECT_EQ(CountReplays(dir), TReplayRecorder::kKeep);
  EXPECT_FALSE(Exists(dir + "20200101-000000-single-1.zzr"));
  EXPECT_TRUE(Exists(dir + "notes.txt"));
  // Same second, mode and score: the second game gets its own name.
  ASSERT_EQ(live.ends.size(), 2u);
  EXPECT_NE(live.ends.begin()->first, live.ends.rbegin()->first);
  for (const auto& [path, end] : live.ends) EXPECT_TRUE(Exists(path)) << path;
  // best.zzr is a copy of one of them (the first, unless the second scored more).
  ASSERT_TRUE(Exists(dir + "best.zzr"));
  const std::string best = ReadText(dir + "best.zzr");
  EXPECT_TRUE(best == ReadText(live.ends.begin()->first) ||
              best == ReadText(live.ends.rbegin()->first));
}

TEST(ReplayFolder, BestIsReplacedOnlyByAHigherScore) {
  TTempFolder folder;
  const std::string dir = folder.Path() + "replays/";
  ASSERT_EQ(mkdir(dir.c_str(), 0777), 0);
  // A best of 99999999 from an earlier game stays.
  std::ofstream(dir + "best.zzr") << kReplayVersionLine << "\nresult 99999999 1 - - x\n";
  {
    TLiveSession live(folder.Path());
    PlayGames(live, 1, false);
    ASSERT_TRUE(live.writeOk) << live.lastError;
  }
  EXPECT_NE(ReadText(dir + "best.zzr").find("result 99999999"), std::string::npos);
  // A best of 0 is beaten by any scoring game; a damaged best.zzr too.
  for (const char* old : {"result 0 1 - - x\n", "garbage"}) {
    std::ofstream(dir + "best.zzr") << kReplayVersionLine << "\n" << old;
    TLiveSession live(folder.Path());
    PlayGames(live, 1, false);
    ASSERT_TRUE(live.writeOk) << live.lastError;
    EXPECT_EQ(ReadText(dir + "best.zzr"), ReadText(live.recorder.LastReplayPath())) << old;
  }
}

TEST(ReplayFolder, AFailedWriteLosesOnlyThatReplay) {
  TTempFolder folder;
  // replays/ cannot be made: a file of that name is in the way.
  std::ofstream(folder.Path() + "replays") << "in the way\n";
  TLiveSession live(folder.Path());
  PlayGames(live, 1, true);
  EXPECT_FALSE(live.writeOk);
  EXPECT_NE(live.lastError.find("replays"), std::string::npos) << live.lastError;
  // The next game is recorded and written once the folder can be made.
  std::remove((folder.Path() + "replays").c_str());
  live.writeOk = true;
  live.Key('7');
  for (int i = 0; i < 200000 && !live.recorder.HasPending(); i++) {
    if (live.form.scene == kScenePlay && i % 5 == 0) live.Key('G');
    live.Idle(16);
  }
  live.WritePending();
  EXPECT_TRUE(live.writeOk) << live.lastError;
  EXPECT_TRUE(Exists(live.recorder.LastWrittenPath()));
}

}  // namespace

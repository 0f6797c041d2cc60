// Every game played live leaves a replay whose headless run ends exactly
// where the live game ended: the same state dump, score text and signature.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "live_session.h"
#include "replay/replay_file_reader.h"
#include "replay/replay_file_writer.h"
#include "replay/replay_host.h"
#include "replay/replay_summary.h"
#include "support/random_input.h"

namespace {

// Runs a replay file's single game on a fresh game object over a recording
// host, as zazo-replay does, and returns the final state's dump.
std::string ReplayedDump(const TReplayGame& game) {
  TRecordingHost recording(ZAZO_BINARY_DIR "/");
  recording.readPictures = false;
  TReplayHost host(&recording);
  auto form = std::make_unique<TMainForm>(host);
  form->LoadAssets();
  TReplayPlayer player(game, *form, host);
  player.Start();
  while (!player.Done()) player.Step();
  return StateDump(*form, recording);
}

// Checks one written replay against what the live game ended with.
void CheckReplay(const std::string& path, const TLiveEnd& live, std::set<std::string>* modes,
                 bool* crossedWrap) {
  SCOPED_TRACE(path);
  const std::string text = ReadText(path);
  ASSERT_FALSE(text.empty());
  std::vector<TReplayGame> games;
  int line = 0;
  std::string error;
  ASSERT_EQ(ParseReplayFile(text, 10'000'000, &games, &line, &error), TReplayParseError::kNone)
      << error;
  ASSERT_EQ(games.size(), 1u);
  EXPECT_EQ(ReplayedDump(games[0]), live.dump);
  for (size_t k = 1; k < games[0].clocks.size(); k++) {
    if (games[0].clocks[k] < games[0].clocks[k - 1]) *crossedWrap = true;
  }

  const TReplaySummary s = SummarizeReplay(text, TReplayLimits());
  ASSERT_EQ(s.status, TReplayStatus::kOk) << s.message;
  ASSERT_EQ(s.games.size(), 1u);
  EXPECT_EQ(s.games[0].scoreText, live.scoreText);
  EXPECT_EQ(s.games[0].signature, live.signature);
  EXPECT_EQ(s.games[0].mode, games[0].mode);
  modes->insert(s.games[0].mode);
  // The name tells the date, time, mode and score.
  const std::string name = path.substr(path.rfind('/') + 1);
  const std::string expected = std::string(games[0].localTime, 8) + "-" +
                               std::string(games[0].localTime + 8, 6) + "-" + s.games[0].mode +
                               "-" + std::to_string(s.games[0].score);
  EXPECT_EQ(name.substr(0, expected.size()), expected);
}

// Random play through the real frame loop over the clock's wrap, in every
// mode, with restarts, returns to the title and game overs among the ends.
TEST(ReplayRoundTrip, RandomPlayInAllModesReplaysToTheSameEnd) {
  TTempFolder folder;
  // 400 s before the millisecond clock wraps: the wrap falls inside the run.
  TLiveSession live(folder.Path(), 0u - 400000u);
  TRandomInput input(20240611);
  long frames = 0;
  for (long idle = 0; idle < 40000 && frames < 30000; idle++) {
    TReplayInput in;
    if (input.Next(live.form, &in)) live.Deliver(in);
    const int before = live.host.presentCount;
    live.Idle(input.ClockStep());
    if (live.host.presentCount != before) frames++;
  }
  live.Close();
  ASSERT_TRUE(live.writeOk) << live.lastError;

  std::set<std::string> modes;
  std::set<int32_t> endScenes;
  bool crossedWrap = false;
  for (const auto& [path, end] : live.ends) {
    CheckReplay(path, end, &modes, &crossedWrap);
    endScenes.insert(end.sceneAtEnd);
  }
  EXPECT_GE(live.ends.size(), 20u);
  EXPECT_EQ(modes, (std::set<std::string>{"single", "advanced", "versus2", "versusai"}));
  // Ended by game over, by a restart (7) and by the title (8).
  EXPECT_TRUE(endScenes.count(kSceneGameOver));
  EXPECT_TRUE(endScenes.count(kSceneNewGame));
  EXPECT_TRUE(endScenes.count(kSceneTitle));
  EXPECT_TRUE(crossedWrap);
}

// Escape closes the window in the middle of a game: the game is written on
// the way out and replays to the same state.
TEST(ReplayRoundTrip, GameEndedByEscapeIsKept) {
  TTempFolder folder;
  TLiveSession live(folder.Path());
  live.Key('5');  // single player from level 99
  for (int i = 0; i < 120; i++) {
    if (i % 7 == 3) live.Key(i % 2 ? 'D' : 'V');
    live.Idle(i % 3 ? 16 : 17);
  }
  ASSERT_TRUE(live.recorder.Recording());
  live.Key(27);
  EXPECT_TRUE(live.host.closed);
  live.Close();
  ASSERT_TRUE(live.writeOk) << live.lastError;
  ASSERT_EQ(live.ends.size(), 1u);
  std::set<std::string> modes;
  bool crossedWrap = false;
  CheckReplay(live.ends.begin()->first, live.ends.begin()->second, &modes, &crossedWrap);
  EXPECT_EQ(modes, std::set<std::string>{"advanced"});
  EXPECT_EQ(live.recorder.LastReplayPath(), live.ends.begin()->first);
}

// Leaving for the title sets the level back to 1 after the game's last
// frame; the summary gives the level the game was played at.
TEST(ReplayRoundTrip, GameLeftForTheTitleKeepsItsLevel) {
  TTempFolder folder;
  TLiveSession live(folder.Path());
  live.Key('5');  // from level 99
  for (int i = 0; i < 100; i++) live.Idle(16);
  live.Key('8');
  EXPECT_EQ(live.form.level, 1);
  live.WritePending();
  ASSERT_EQ(live.ends.size(), 1u);
  EXPECT_EQ(live.ends.begin()->second.sceneAtEnd, kSceneTitle);
  const TReplaySummary s = SummarizeReplay(ReadText(live.ends.begin()->first), TReplayLimits());
  ASSERT_EQ(s.status, TReplayStatus::kOk) << s.message;
  EXPECT_EQ(s.games[0].level, 99);
  EXPECT_EQ(s.games[0].scoreText, "-");
}

// Without its music files every music change fails and the slot is not
// switched; the replay records that and still checks.
TEST(ReplayRoundTrip, GameWithoutItsMusicStillChecks) {
  TTempFolder folder;
  TLiveSession live(folder.Path(), 0, folder.Path() + "no-assets/");
  live.Key('4');
  for (int i = 0; i < 2000 && !live.recorder.HasPending(); i++) {
    if (live.form.scene == kScenePlay && i % 5 == 0) live.Key('G');
    live.Idle(16);
  }
  live.WritePending();
  ASSERT_EQ(live.ends.size(), 1u);
  const std::string text = ReadText(live.ends.begin()->first);
  const size_t music = text.find("\nmusic ");
  ASSERT_NE(music, std::string::npos);
  const std::string line = text.substr(music + 1, text.find('\n', music + 1) - music - 1);
  EXPECT_EQ(line.find('1'), std::string::npos) << line;
  EXPECT_NE(line.find(" 0"), std::string::npos) << line;
  const TReplaySummary s = SummarizeReplay(text, TReplayLimits());
  EXPECT_EQ(s.status, TReplayStatus::kOk) << s.message;
  std::set<std::string> modes;
  bool crossedWrap = false;
  CheckReplay(live.ends.begin()->first, live.ends.begin()->second, &modes, &crossedWrap);
}

}  // namespace

// Leaving, pausing and a rematch, on both machines at once.
#include <gtest/gtest.h>

#include "net/match_pair.h"
#include "replay/replay_file_reader.h"
#include "replay/replay_format.h"

namespace {

void StepBoth(TMatchPair& pair, uint32_t untilTicks, uint32_t seconds) {
  const uint32_t start = SteadyMs();
  while ((pair.host.engine->TicksRun() < untilTicks || pair.join.engine->TicksRun() < untilTicks) &&
         SteadyMs() - start < seconds * 1000u && pair.host.engine->Phase() != TMatchPhase::kEnded) {
    pair.host.Step();
    pair.join.Step();
  }
}

TEST(MatchControlTest, LeavingMidGameEndsBothAtOneTickWithTheSameReplay) {
  TMatchPair pair({10, 2, 0, 0, 0}, 6, 51);
  StepBoth(pair, 2000, 30);
  pair.join.engine->Leave();  // Esc on the joining machine
  pair.Run(10, 0);
  EXPECT_EQ(pair.join.engine->End(), TMatchEnd::kLeftHere);
  EXPECT_EQ(pair.host.engine->End(), TMatchEnd::kOpponentLeft);
  EXPECT_EQ(pair.host.engine->TicksRun(), pair.join.engine->TicksRun());
  EXPECT_GE(pair.host.engine->TicksRun(), 2000u);
  // Both games went back through the title key after the same last tick.
  const auto a = FilesIn(pair.hostDir + "replays/");
  const auto b = FilesIn(pair.joinDir + "replays/");
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  const std::string text = ReadAll(a[0]);
  EXPECT_EQ(text, ReadAll(b[0]));
  std::vector<TReplayGame> games;
  int line = 0;
  std::string error;
  ASSERT_EQ(ParseReplayFile(text, 1u << 20, &games, &line, &error), TReplayParseError::kNone)
      << error;
  EXPECT_EQ(games[0].clocks.size(), pair.host.engine->TicksRun());
  ASSERT_FALSE(games[0].inputs.empty());
  EXPECT_EQ(games[0].inputs.back().key, '8');
  EXPECT_EQ(games[0].inputs.back().frame, pair.host.engine->TicksRun());
}

TEST(MatchControlTest, PauseStopsBothAndSaysWho) {
  TMatchPair pair({5, 0, 0, 0, 0}, 4, 52);
  StepBoth(pair, 300, 20);
  pair.join.engine->SetPaused(true);
  const uint32_t start = SteadyMs();
  while (!pair.host.engine->Paused() && SteadyMs() - start < 3000) {
    pair.host.Step();
    pair.join.Step();
  }
  ASSERT_TRUE(pair.host.engine->Paused());
  EXPECT_EQ(pair.host.engine->PausedBy(), 1);
  const uint32_t ticks[2] = {pair.host.engine->TicksRun(), pair.join.engine->TicksRun()};
  // A paused match is not a silent one: 4 s pass without the 3-second end.
  const uint32_t held = SteadyMs();
  while (SteadyMs() - held < 4000) {
    EXPECT_FALSE(pair.host.Step());
    EXPECT_FALSE(pair.join.Step());
    usleep(2000);
  }
  EXPECT_EQ(pair.host.engine->Phase(), TMatchPhase::kPlaying);
  EXPECT_EQ(pair.host.engine->TicksRun(), ticks[0]);
  EXPECT_EQ(pair.join.engine->TicksRun(), ticks[1]);
  pair.host.engine->SetPaused(false);  // either player resumes
  StepBoth(pair, ticks[0] + 300, 20);
  EXPECT_FALSE(pair.join.engine->Paused());
  EXPECT_GE(pair.join.engine->TicksRun(), ticks[0] + 300);
}

TEST(MatchControlTest, RematchAfterAFinishedMatchIsDealtAnew) {
  TMatchPair pair({0, 0, 0, 0, 0}, 4, 53);
  const uint32_t start = SteadyMs();
  while ((pair.host.gameOverTick == 0 || pair.join.gameOverTick == 0) &&
         SteadyMs() - start < 60000) {
    pair.host.Step();
    pair.join.Step();
  }
  ASSERT_NE(pair.host.gameOverTick, 0u);
  pair.join.engine->RequestRematch();
  pair.host.engine->RequestRematch();
  const uint32_t t = SteadyMs();
  while (pair.join.engine->MatchNumber() < 2 && SteadyMs() - t < 5000) {
    pair.host.Step();
    pair.join.Step();
  }
  ASSERT_EQ(pair.host.engine->MatchNumber(), 2u);
  ASSERT_EQ(pair.join.engine->MatchNumber(), 2u);
  pair.host.gameOverTick = pair.join.gameOverTick = 0;
  const size_t hashesBefore = pair.host.hashes.size();
  StepBoth(pair, 1200, 20);
  EXPECT_EQ(pair.host.form->scene, kScenePlay);
  EXPECT_GT(pair.host.hashes.size(), hashesBefore);
  EXPECT_EQ(pair.host.hashes, pair.join.hashes);
  // The first match's replay on each machine; the second is under way.
  EXPECT_EQ(FilesIn(pair.hostDir + "replays/").size(), 1u);
}

}  // namespace

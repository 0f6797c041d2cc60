// What a tick hands to the game: each side's own keys and the display
// toggles, a gauge click only on its side's turn, nothing else a peer sends
// (no Esc that would close the window, no title or restart keys, no Alt).
#include "net/match_runner.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/game_state.h"
#include "app/main.h"
#include "recording_host.h"

namespace {

struct TVersusGame {
  TRecordingHost base{""};
  TMatchHost host{base};
  TMainForm form{host};
  TVersusGame() {
    base.readPictures = false;
    form.SeedRandom(99);
    form.FormCreate();
    TGameState start;
    TMatchSettings settings;
    const char* error = nullptr;
    EXPECT_TRUE(
        MakeMatchStart(form, 1000, 1, 3, 0x3ffff, "20261208120000", &start, &settings, &error));
    LoadMatchStart(form, host, start, settings);
    Run({});  // the first frame: the new game
  }
  uint32_t clock = 2000;
  void Run(std::initializer_list<std::pair<int, TMatchInput>> inputs) {
    TMatchTick tick;
    tick.clock = clock += 16;
    for (const auto& [side, in] : inputs) tick.inputs[side][tick.count[side]++] = in;
    RunMatchTick(form, host, tick, nullptr);
  }
};

TMatchInput Key(uint16_t key, uint8_t alt = 0) {
  return {TMatchInput::kKey, alt, 0, key, 0, 0};
}
TMatchInput GaugeClick() {
  return {TMatchInput::kClick, 0, TMainForm::kMbLeft, 0, 100, 460};
}

TEST(MatchRunnerTest, EachSideActsOnlyWithItsOwnKeysOnItsTurn) {
  TVersusGame g;
  ASSERT_EQ(g.form.scene, kScenePlay);
  ASSERT_EQ(g.form.versusMode, 1);
  ASSERT_EQ(g.form.turnSide, 0);
  const int32_t x = g.form.cursorX;
  g.Run({{0, Key('D')}, {0, Key('D')}});
  EXPECT_EQ(g.form.cursorX, x + 2);
  // Side 2's right (K) during side 1's turn moves nothing; side 1 sending
  // side 2's code is dropped before the game sees it.
  g.Run({{1, Key('K')}, {0, Key('K')}, {1, Key('D')}});
  EXPECT_EQ(g.form.cursorX, x + 2);
}

TEST(MatchRunnerTest, APeerCannotCloseTheWindowOrLeaveTheGame) {
  TVersusGame g;
  g.Run({{1, Key(27)}, {1, Key('7')}, {1, Key('8')}, {0, Key(13, 1)}, {1, Key('3')}});
  EXPECT_FALSE(g.base.closed);
  EXPECT_EQ(g.form.scene, kScenePlay);
  EXPECT_EQ(g.form.versusMode, 1);
  // The display toggles are match inputs, from either side.
  const bool effects = g.form.showEffects;
  g.Run({{1, Key('2')}});
  EXPECT_NE(g.form.showEffects, effects);
}

TEST(MatchRunnerTest, AGaugeClickCountsOnlyOnItsSidesTurn) {
  TVersusGame g;
  // A few placements' worth of points so that a rise has something to pay.
  g.form.score = 500;
  g.form.score2 = 500;
  g.Run({{1, GaugeClick()}});  // side 2 clicks during side 1's turn
  EXPECT_EQ(g.form.score, 500);
  EXPECT_EQ(g.form.score2, 500);
  EXPECT_EQ(g.form.turnSide, 0);
  g.Run({{0, GaugeClick()}});  // side 1's own click forces the rise
  EXPECT_EQ(g.form.score, 400);
  EXPECT_EQ(g.form.score2, 600);
}

}  // namespace

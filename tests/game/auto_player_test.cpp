// The automatic player of versus mode.
#include <map>
#include <vector>

#include "game_fixture.h"

namespace {
class AutoPlayerTest : public GameTest {
 protected:
  AutoPlayerTest() {
    StartGame(0, 1, 1);
    form.turnSide = 1;
    form.versusFrames = 1;
    form.aiState = 0;
    form.aiCounter = 0;
  }

  // One step through the key mapping, serving an invert request at once as
  // the next frame would. Returns the scene the step left.
  int32_t Step() {
    form.VersusKey(0);
    if (form.scene == kSceneRequestInvert) form.InvertPiece();
    return form.scene;
  }
};
}  // namespace

TEST_F(AutoPlayerTest, EmptyWellWalksEveryPlanningStateThenPlacesAnywhere) {
  std::map<int32_t, int> calls;
  std::vector<int32_t> order;
  int steps = 0;
  while (form.scene != kSceneRequestPlace && steps < 100000) {
    const int32_t state = form.aiState;
    if (order.empty() || order.back() != state) order.push_back(state);
    calls[state]++;
    Step();
    steps++;
  }
  ASSERT_EQ(form.scene, kSceneRequestPlace);
  // The cursor starts in column 0 and state 200 aims at columns 3..12, so the
  // walk visits every state once, in order.
  const std::vector<int32_t> expected = {0, 10, 20, 30, 40, 50, 100, 200, 1000, 1010, 1020};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(calls[10], 1);
  EXPECT_EQ(calls[20], 11);
  EXPECT_EQ(calls[30], 1);
  EXPECT_EQ(calls[40], 1);
  EXPECT_EQ(calls[50], 11);
  EXPECT_EQ(calls[100], 51);
  EXPECT_EQ(calls[1000], 1);
  // The target is a fitting position of the real piece inside the clamp range.
  EXPECT_EQ(form.cursorX, form.aiTargetX);
  EXPECT_EQ(form.cursorY, form.aiTargetY);
  EXPECT_GE(form.aiTargetX, 3);
  EXPECT_LE(form.aiTargetY, 17);
  EXPECT_TRUE(form.PieceFits());
  EXPECT_EQ(form.aiState, 0);
  // Only the system generator was used.
  EXPECT_EQ(form.mtDraws, 3u);
}

TEST_F(AutoPlayerTest, CompletesTheBottomRowWhereTheDealtPieceFits) {
  FillRow(kWellBottom, {7, 8});
  SetMask(0, {{0, 0}, {1, 0}});
  form.aiState = 10;
  Step();
  EXPECT_EQ(form.aiState, 1000);
  EXPECT_EQ(form.aiTargetX, 7);
  EXPECT_EQ(form.aiTargetY, kWellBottom);
  Step();
  EXPECT_EQ(form.aiState, 1010);

  // One column per step, and an LcgRandom(1) draw on each although it is 0.
  for (int x = 1; x <= 7; x++) {
    const uint64_t draws = form.lcgDraws;
    Step();
    ASSERT_EQ(form.cursorX, x);
    ASSERT_EQ(form.lcgDraws, draws + 1);
  }
  Step();
  EXPECT_EQ(form.aiState, 1020);

  // Down to row 22 with random one-step pauses, then the place key.
  int steps = 0;
  while (form.scene == kScenePlay && steps < 1000) {
    const int32_t y = form.cursorY;
    Step();
    ASSERT_TRUE(form.cursorY == y || form.cursorY == y + 1);
    steps++;
  }
  EXPECT_EQ(form.scene, kSceneRequestPlace);
  EXPECT_EQ(form.cursorY, kWellBottom);
  EXPECT_GT(steps, kWellBottom);
  form.PlacePiece();
  EXPECT_EQ(form.score2, 45);
  EXPECT_EQ(CountKind(kCellClearing), 10);
}

TEST_F(AutoPlayerTest, InvertedPlanAnswersTheInvertKeyAndPlacesTheInverse) {
  // The dealt piece is everything but a horizontal domino; only its inverse
  // completes the bottom row.
  FillRow(kWellBottom, {7, 8});
  SetMask(0, {{0, 0}, {1, 0}});
  form.InvertPiece();
  form.aiState = 10;
  int inverts = 0;
  int steps = 0;
  while (form.scene == kScenePlay && steps < 1000) {
    const int32_t state = form.aiState;
    form.VersusKey(0);
    if (form.scene == kSceneRequestInvert) {
      EXPECT_EQ(state, 40);
      inverts++;
      form.InvertPiece();
    }
    steps++;
  }
  EXPECT_EQ(inverts, 1);
  EXPECT_EQ(form.aiTargetX, 7);
  EXPECT_EQ(form.aiTargetY, kWellBottom);
  EXPECT_EQ(CountFilled(0), 2);
  ASSERT_EQ(form.scene, kSceneRequestPlace);
  form.PlacePiece();
  EXPECT_EQ(CountKind(kCellClearing), 10);
}

TEST_F(AutoPlayerTest, AnyFitStateRisesAtEveryThousandthFrame) {
  for (int y = kWellTop; y <= kWellBottom; y++) FillRow(y);
  SetMask(0, {{0, 0}});
  form.CopyPieceToAi();  // neither the mask nor its inverse fits anywhere
  form.versusFrames = 2000;
  form.aiState = 200;
  uint16_t answer = 0;
  int steps = 0;
  while (answer == 0 && steps < 1000) {
    answer = form.AutoPlayerStep();
    ASSERT_TRUE(answer == 0 || answer == 38);
    steps++;
  }
  EXPECT_EQ(answer, 38);
  EXPECT_EQ(form.aiState, 0);
  // Through the key mapping with side 2 at 0 points the rise does nothing.
  form.aiState = 200;
  host.ClearEvents();
  while (form.aiState == 200) form.VersusKey(0);
  EXPECT_EQ(form.gauge, 0);
  EXPECT_EQ(host.Events(), "");
}

TEST_F(AutoPlayerTest, EvaluationOperations) {
  FillRow(20, {5});
  SetMask(0, {{0, 0}, {0, 1}});
  form.CopyPieceToAi();
  EXPECT_EQ(form.FindLineColumn(20), 5);
  EXPECT_EQ(form.FindLineColumn(19), 5);  // lower cell completes row 20
  EXPECT_EQ(form.FindLineColumn(10), -1);
  EXPECT_FALSE(form.AiFitsAt(13, 5));  // frame leaves the board
  EXPECT_FALSE(form.AiFitsAt(5, 23));
  EXPECT_TRUE(form.AiFitsAt(5, 21));   // mask cells over rows 21, 22 only
  EXPECT_FALSE(form.AiFitsAt(6, 19));  // lower cell on a block
  // Planning never touches the real board.
  EXPECT_EQ(form.board[5][20].kind, kCellEmpty);
}

// With nothing to place and no thousandth frame, the automatic player now and
// then forces a rise to tip a close game: only while the two scores differ by
// 1..50 points, whichever side leads.
TEST_F(AutoPlayerTest, AnyFitStateTipsOnlyAGameCloserThanFiftyOnePoints) {
  for (int y = kWellTop; y <= kWellBottom; y++) FillRow(y);
  SetMask(0, {{0, 0}});
  form.CopyPieceToAi();  // neither the mask nor its inverse fits anywhere
  form.versusFrames = 2001;
  auto risesWithin = [&](int32_t lead, int steps) {
    form.score = 1000 + lead;
    form.score2 = 1000;
    form.SeedLcg(4242);
    form.aiState = 200;
    for (int i = 0; i < steps; i++) {
      const uint16_t answer = form.AutoPlayerStep();
      if (answer == 38) return form.aiState == 0;
      if (answer != 0) return false;
    }
    return false;
  };
  for (int32_t lead : {1, -1, 50, -50}) EXPECT_TRUE(risesWithin(lead, 2000)) << "lead " << lead;
  for (int32_t lead : {0, 51, -51, 5000}) EXPECT_FALSE(risesWithin(lead, 2000)) << "lead " << lead;
}

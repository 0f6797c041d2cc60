// What a new game guarantees whatever came before it: a walled board around
// an empty well, three pieces dealt from the nine shapes, the counters of
// the last game gone, the same game from the same seeds, and the modes'
// differences at the start.
#include <set>

#include "game_fixture.h"
#include "replay/replay_file_writer.h"

namespace {

// The nine shapes as rows of '#' and '.', j = 0..3 top to bottom.
const char* const kShapeRows[9] = {
    "#...#...........", "#...#...#...#...", "##..##..........",
    ".#..###.........", "##..#...........", "###..##.........",
    "#...##..##......", ".###############", "##..............",
};

// The slot's mask in the same form.
std::string MaskRows(const TMainForm& f, int slot) {
  std::string rows;
  for (int j = 0; j < 4; j++)
    for (int i = 0; i < 4; i++) rows += f.pieces[i][j][slot].filled ? '#' : '.';
  return rows;
}

int ShapeOf(const std::string& rows) {
  for (int s = 0; s < 9; s++)
    if (rows == kShapeRows[s]) return s;
  return -1;
}

// The state's digest after `frames` frames with a key pressed every 7th.
std::string PlayDigest(TMainForm& f, int frames) {
  uint32_t now = f.lastFrameTick;
  const uint16_t keys[] = {'D', 'S', 'V', 'B', 'A', 'W', 'V', 'G'};
  for (int k = 0; k < frames; k++) {
    if (k % 7 == 0 && f.scene == kScenePlay) f.FormKeyDown(keys[(k / 7) % 8], false);
    now += 16;
    f.IdleFrame(now);
  }
  TGameState s;
  s.Take(f);
  std::string scratch(kStateTextMax, '\0');
  char digest[33];
  StateDigest(s, scratch.data(), digest);
  return digest;
}

}  // namespace

using NewGameTest = GameTest;

TEST_F(NewGameTest, TheBoardIsWallsAroundAnEmptyWell) {
  // Leftovers of a game: blocks, clearing cells, a block dug into the wall.
  FillRow(22, {4});
  form.board[5][10] = TCell{kCellClearing, 0, 0, 0, 0, 0};
  form.board[1][1] = TCell{kCellEmpty, 0, 0, 0, 0, 0};
  StartGame();
  EXPECT_EQ(CountKind(kCellWall), 216);
  EXPECT_EQ(CountKind(kCellEmpty), 200);
  for (int x = 0; x < kBoardCols; x++) {
    for (int y = 0; y < kBoardRows; y++) {
      const bool well = x >= kWellLeft && x <= kWellRight && y >= kWellTop && y <= kWellBottom;
      ASSERT_EQ(form.board[x][y].kind, well ? kCellEmpty : kCellWall) << x << "," << y;
    }
  }
  EXPECT_EQ(kWellRight - kWellLeft + 1, 10);
  EXPECT_EQ(kWellBottom - kWellTop + 1, 20);
}

TEST_F(NewGameTest, ThePiecesAreDealtFromTheNineShapes) {
  std::set<int> seen;
  for (uint32_t seed = 1; seed <= 200; seed++) {
    form.SeedMt(seed);
    StartGame(seed % 2, 0, 0);
    for (int slot = 0; slot < 3; slot++) {
      const int shape = ShapeOf(MaskRows(form, slot));
      ASSERT_GE(shape, 0) << "seed " << seed << " slot " << slot << ": " << MaskRows(form, slot);
      seen.insert(shape);
    }
  }
  EXPECT_EQ(seen.size(), 9u);  // 600 deals show every shape
}

TEST_F(NewGameTest, NothingOfTheLastGameRemains) {
  StartGame();
  PlayDigest(form, 400);
  form.score = 123456;
  form.score2 = 700;
  form.level = 42;
  form.gauge = 200;
  form.bonusTimer = 100;
  form.bonusValue = 85;
  form.versusFrames = 5000;
  form.turnSide = 1;
  form.effects[7].kind = 1;
  form.bestScore = 999999;
  form.framesLastSecond = 12;
  FillRow(21);
  form.DetectLines();
  form.AgeClearing();
  ASSERT_GT(form.clearingCount, 0);

  StartGame();
  EXPECT_EQ(form.scene, kScenePlay);
  EXPECT_EQ(form.score, 0);
  EXPECT_EQ(form.score2, 0);
  EXPECT_EQ(form.level, 1);
  EXPECT_EQ(form.gauge, 0);
  EXPECT_EQ(form.bonusTimer, 0);
  EXPECT_EQ(form.versusFrames, 0);
  EXPECT_EQ(form.turnSide, 0);
  EXPECT_EQ(form.clearingCount, 0);
  EXPECT_EQ(CountKind(kCellClearing), 0);
  for (const TEffect& e : form.effects) EXPECT_EQ(e.kind, 0);
  EXPECT_EQ(form.previewX, -1);
  // The best score outlives the game; the frame rate starts at 60 again.
  EXPECT_EQ(form.bestScore, 999999);
  EXPECT_EQ(form.framesLastSecond, 60);
  EXPECT_EQ(form.fpsSum / form.fpsSamples, 60);
}

TEST_F(NewGameTest, TheSameSeedsPlayTheSameGame) {
  TRecordingHost otherHost("/nonexistent/");
  otherHost.readPictures = false;
  TMainForm other(otherHost);
  other.FormCreate();
  other.SeedMt(4242);
  other.SeedLcg(777);
  for (int versus = 0; versus <= 1; versus++) {
    form.SeedMt(99 + versus);
    other.SeedMt(99 + versus);
    form.versusMode = other.versusMode = versus;
    form.side2Auto = other.side2Auto = versus;
    form.NewGame();
    other.NewGame();
    for (int slot = 0; slot < 3; slot++) EXPECT_EQ(MaskRows(form, slot), MaskRows(other, slot));
    EXPECT_EQ(PlayDigest(form, 900), PlayDigest(other, 900)) << "versus " << versus;
  }
  // Another seed deals another game.
  form.SeedMt(1);
  other.SeedMt(2);
  form.NewGame();
  other.NewGame();
  EXPECT_NE(PlayDigest(form, 300), PlayDigest(other, 300));
}

TEST_F(NewGameTest, TheModesStartDifferently) {
  StartGame();
  const int32_t normalSpeed = form.gaugeSpeed, normalStep = form.riseStep;
  EXPECT_EQ(form.level, 1);
  EXPECT_EQ(form.phase, 1);

  form.advancedStart = 1;
  form.NewGame();
  EXPECT_EQ(host.Events(), "music reset\nmusic change 3 0 system/bgm_b_01.ogg\n");
  EXPECT_EQ(form.level, 99);
  EXPECT_GT(form.gaugeSpeed, normalSpeed);  // the well rises sooner
  EXPECT_GT(form.riseStep, normalStep);

  host.ClearEvents();
  form.advancedStart = 0;
  form.NewGame();
  EXPECT_EQ(host.Events(), "music reset\nmusic change 3 0 system/bgm_a_01.ogg\n");

  host.ClearEvents();
  form.versusMode = 1;
  form.NewGame();
  EXPECT_EQ(host.Events(), "music reset\nmusic change 0 0 system/bgm3m.ogg\n");
  EXPECT_EQ(form.level, 1);
  EXPECT_EQ(form.turnSide, 0);  // side 1 begins
}

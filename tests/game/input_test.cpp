// Keyboard and mouse handlers.
#include "game_fixture.h"

namespace {
constexpr uint16_t kReturn = 13, kEsc = 27, kW = 87, kA = 65, kS = 83, kD = 68, kV = 86, kB = 66,
                   kG = 71, kH = 72, kK = 75, kLeftArrow = 37, kRightArrow = 39, kUpArrow = 38;
constexpr uint16_t Digit(int d) {
  return static_cast<uint16_t>('0' + d);
}
}  // namespace

using InputTest = GameTest;

TEST_F(InputTest, GlobalKeysActInEveryScene) {
  for (int32_t scene :
       {kSceneTitle, kSceneTitleSlide, kScenePlay, kSceneRequestPlace, kSceneGameOver}) {
    form.scene = scene;
    host.ClearEvents();
    form.FormKeyDown(kReturn, true);
    EXPECT_EQ(host.Events(), "sound 0\nfullscreen\n") << scene;
    host.ClearEvents();
    form.FormKeyDown(kReturn, false);  // Return alone does nothing
    EXPECT_EQ(host.Events(), "") << scene;
    const bool bg = form.showBackground, fx = form.showEffects;
    form.FormKeyDown(Digit(1), false);
    form.FormKeyDown(Digit(2), true);  // other modifiers are ignored
    EXPECT_EQ(form.showBackground, !bg);
    EXPECT_EQ(form.showEffects, !fx);
    EXPECT_EQ(form.scene, scene);
  }
  host.ClearEvents();
  form.FormKeyDown(kEsc, false);
  EXPECT_TRUE(host.closed);
  EXPECT_EQ(host.Events(), "close\n");
}

TEST_F(InputTest, TitleKeysDoNotFollowTheMenuOrder) {
  struct {
    int digit;
    const char* sound;
    int32_t advanced, versus, side2Auto;
  } const cases[] = {
      {4, "sound 1\n", 0, 0, 7},
      {5, "sound 2\n", 1, 0, 7},
      {3, "sound 3\n", 0, 1, 0},
      {6, "sound 3\n", 0, 1, 1},
  };
  for (const auto& c : cases) {
    form.scene = kSceneTitle;
    form.titleSlide = 99;
    form.side2Auto = 7;  // items 1 and 2 leave it alone
    host.ClearEvents();
    form.FormKeyDown(Digit(c.digit), false);
    EXPECT_EQ(host.Events(), c.sound) << c.digit;
    EXPECT_EQ(form.scene, kSceneTitleSlide);
    EXPECT_EQ(form.titleSlide, 0);
    EXPECT_EQ(form.advancedStart, c.advanced);
    EXPECT_EQ(form.versusMode, c.versus);
    EXPECT_EQ(form.side2Auto, c.side2Auto);
  }
  form.scene = kSceneTitle;
  host.ClearEvents();
  for (uint16_t key : {Digit(7), Digit(8), kW, kV, kReturn}) form.FormKeyDown(key, false);
  EXPECT_EQ(form.scene, kSceneTitle);
  EXPECT_EQ(host.Events(), "");
}

TEST_F(InputTest, SinglePlayerKeysAndTheFirstRequestWins) {
  StartGame();
  form.FormKeyDown(kS, false);
  form.FormKeyDown(kD, false);
  EXPECT_EQ(form.cursorX, 1);
  EXPECT_EQ(form.cursorY, 1);
  EXPECT_EQ(form.cursorShown, 1);
  for (int i = 0; i < 20; i++) form.FormKeyDown(kD, false);
  EXPECT_EQ(form.cursorX, 12);
  form.FormKeyDown(kW, false);
  form.FormKeyDown(kW, false);
  EXPECT_EQ(form.cursorY, 0);

  form.FormKeyDown(kV, false);
  EXPECT_EQ(form.scene, kSceneRequestPlace);
  form.FormKeyDown(kB, false);  // ignored: a request is pending
  form.FormKeyDown(kA, false);
  EXPECT_EQ(form.scene, kSceneRequestPlace);
  EXPECT_EQ(form.cursorX, 12);

  form.scene = kScenePlay;
  form.FormKeyDown(kB, false);
  EXPECT_EQ(form.scene, kSceneRequestInvert);
  form.scene = kScenePlay;
  host.ClearEvents();
  form.FormKeyDown(kG, false);
  EXPECT_EQ(form.gauge, 300);
  // Side 2's keys mean nothing in a single-player game.
  for (uint16_t key : {kH, kK, kLeftArrow, kRightArrow, kUpArrow, kReturn})
    form.FormKeyDown(key, false);
  EXPECT_EQ(form.scene, kScenePlay);
  EXPECT_EQ(form.cursorX, 12);
}

TEST_F(InputTest, RestartAndReturnToTitle) {
  StartGame(1);
  host.scoreWidgetsShown = true;
  form.FormKeyDown(Digit(7), false);
  EXPECT_EQ(form.scene, kSceneNewGame);
  EXPECT_FALSE(host.scoreWidgetsShown);
  EXPECT_EQ(host.Events().find("sound 0\n"), 0u);
  EXPECT_EQ(form.advancedStart, 1);

  form.scene = kSceneGameOver;
  form.menuChoice = form.menuChoicePrev = 3;
  form.side2Auto = 1;
  host.ClearEvents();
  form.FormKeyDown(Digit(8), false);
  EXPECT_EQ(form.scene, kSceneTitle);
  EXPECT_EQ(form.level, 1);
  EXPECT_EQ(form.advancedStart, 0);
  EXPECT_EQ(form.versusMode, 0);
  EXPECT_EQ(form.side2Auto, 1);
  EXPECT_EQ(form.menuChoice, 0);
  EXPECT_EQ(form.menuChoicePrev, 0);
  EXPECT_EQ(host.Events().find("sound 0\n"), 0u);
  EXPECT_EQ(Count("music change 3 3 system/nil.ogg"), 1);
  // Game over takes no other key.
  form.scene = kSceneGameOver;
  form.FormKeyDown(kV, false);
  EXPECT_EQ(form.scene, kSceneGameOver);
}

TEST_F(InputTest, MouseAreasDuringPlay) {
  StartGame();
  // Gauge strip: Y > 450 and X < 320.
  form.FormMouseDown(TMainForm::kMbLeft, 319, 451);
  EXPECT_EQ(form.gauge, 300);
  EXPECT_EQ(form.scene, kScenePlay);
  form.FormMouseDown(TMainForm::kMbLeft, 319, 450);
  EXPECT_EQ(form.scene, kSceneRequestPlace);
  form.scene = kScenePlay;
  form.FormMouseDown(TMainForm::kMbLeft, 320, 451);
  EXPECT_EQ(form.scene, kSceneRequestPlace);
  form.scene = kScenePlay;
  form.FormMouseDown(TMainForm::kMbRight, 100, 460);
  EXPECT_EQ(form.scene, kSceneRequestInvert);

  // Top bar: right click inverts; a left click between the buttons does nothing.
  form.scene = kScenePlay;
  form.FormMouseDown(TMainForm::kMbRight, 50, 5);
  EXPECT_EQ(form.scene, kSceneRequestInvert);
  form.scene = kScenePlay;
  host.ClearEvents();
  form.FormMouseDown(TMainForm::kMbLeft, 300, 5);
  form.FormMouseDown(TMainForm::kMbLeft, 450, 5);
  form.FormMouseDown(TMainForm::kMbLeft, 546, 5);
  EXPECT_EQ(form.scene, kScenePlay);
  EXPECT_EQ(host.Events(), "");
  form.FormMouseDown(TMainForm::kMbLeft, 451, 19);
  EXPECT_EQ(host.Events(), "sound 0\nfullscreen\n");
  form.FormMouseDown(TMainForm::kMbLeft, 112, 0);
  EXPECT_EQ(form.scene, kSceneTitle);
  form.scene = kScenePlay;
  form.FormMouseDown(TMainForm::kMbMiddle, 111, 0);
  EXPECT_EQ(form.scene, kSceneRequestPlace);  // only the left button uses the top bar
  form.scene = kScenePlay;
  form.FormMouseDown(TMainForm::kMbLeft, 111, 0);
  EXPECT_EQ(form.scene, kSceneNewGame);

  // Game over: only the top bar, left button.
  form.scene = kSceneGameOver;
  form.FormMouseDown(TMainForm::kMbRight, 50, 5);
  form.FormMouseDown(TMainForm::kMbLeft, 150, 300);
  EXPECT_EQ(form.scene, kSceneGameOver);
  form.FormMouseDown(TMainForm::kMbLeft, 150, 10);
  EXPECT_EQ(form.scene, kSceneTitle);
}

TEST_F(InputTest, PointerMovesTheCursorWithoutClamp) {
  StartGame();
  form.FormMouseMove(287, 447);
  EXPECT_EQ(form.cursorX, 15);
  EXPECT_EQ(form.cursorY, 25);
  EXPECT_EQ(form.cursorShown, 1);
  form.FormMouseDown(TMainForm::kMbLeft, 287, 447);
  host.ClearEvents();
  form.PlacePiece();
  EXPECT_EQ(host.Events(), "sound 7\n");

  form.FormMouseMove(33, 33);
  EXPECT_EQ(form.cursorX, 0);
  EXPECT_EQ(form.cursorY, 0);
  form.FormMouseMove(32, 100);  // the board's left edge: hidden, cursor kept
  EXPECT_EQ(form.cursorShown, 0);
  EXPECT_EQ(form.cursorX, 0);
  form.FormMouseMove(288, 100);
  EXPECT_EQ(form.cursorShown, 0);
  form.FormMouseMove(100, 448);
  EXPECT_EQ(form.cursorShown, 0);

  // In other scenes the pointer does nothing.
  form.scene = kSceneGameOver;
  form.FormMouseMove(100, 100);
  EXPECT_EQ(form.cursorShown, 0);
}

TEST_F(InputTest, TitleMenuHoverBoundariesAndClicks) {
  form.scene = kSceneTitle;
  form.FormMouseDown(TMainForm::kMbLeft, 300, 200);  // no move yet: no item
  EXPECT_EQ(host.Events(), "sound 7\n");
  EXPECT_EQ(form.scene, kSceneTitle);

  const std::pair<int, int> hover[] = {{195, 0}, {196, 1}, {223, 1}, {224, 2}, {251, 2},
                                       {252, 3}, {279, 3}, {280, 4}, {308, 4}, {309, 0}};
  for (auto [y, item] : hover) {
    form.FormMouseMove(9999, y);  // X is not tested
    EXPECT_EQ(form.menuChoice, item) << y;
    EXPECT_EQ(form.menuChoicePrev, item);
  }
  // A sound and sparkles only when the item changes.
  host.ClearEvents();
  const uint64_t draws = form.mtDraws;
  form.FormMouseMove(10, 300);
  form.FormMouseMove(10, 301);
  EXPECT_EQ(host.Events(), "sound 2\n");
  EXPECT_EQ(form.mtDraws, draws + 9);

  host.ClearEvents();
  form.FormMouseDown(TMainForm::kMbRight, 10, 0);  // any button, any place
  EXPECT_EQ(host.Events(), "sound 3\n");
  EXPECT_EQ(form.scene, kSceneTitleSlide);
  EXPECT_EQ(form.versusMode, 1);
  EXPECT_EQ(form.side2Auto, 1);
}

TEST_F(InputTest, VersusKeysFollowTheSideOnTurn) {
  StartGame(0, 1, 0);
  form.FormKeyDown(kK, false);  // side 2's key on side 1's turn
  EXPECT_EQ(form.cursorX, 0);
  form.FormKeyDown(kD, false);
  EXPECT_EQ(form.cursorX, 1);
  form.turnSide = 1;
  form.FormKeyDown(kD, false);
  EXPECT_EQ(form.cursorX, 1);
  form.FormKeyDown(kK, false);
  EXPECT_EQ(form.cursorX, 2);
  form.FormKeyDown(kLeftArrow, false);
  EXPECT_EQ(form.scene, kSceneRequestPlace);
  form.scene = kScenePlay;
  form.FormKeyDown(kRightArrow, false);
  EXPECT_EQ(form.scene, kSceneRequestInvert);
  form.scene = kScenePlay;
  form.FormKeyDown(40, false);  // the Down arrow is not used
  EXPECT_EQ(form.scene, kScenePlay);

  // Two people: the pointer and board clicks do nothing; the gauge strip rises.
  form.FormMouseMove(100, 100);
  EXPECT_EQ(form.cursorX, 2);
  form.FormMouseDown(TMainForm::kMbLeft, 100, 100);
  EXPECT_EQ(form.scene, kScenePlay);
  form.score2 = 300;
  form.FormMouseDown(TMainForm::kMbLeft, 100, 460);
  EXPECT_EQ(form.score2, 200);
  EXPECT_EQ(form.score, 100);
}

TEST_F(InputTest, KeysDuringTheAutomaticPlayersTurnOnlyDriveIt) {
  StartGame(0, 1, 1);
  // Side 1's turn against the automatic player: mouse and keys work.
  form.FormMouseMove(100, 100);
  EXPECT_EQ(form.cursorShown, 1);
  const int32_t x = form.cursorX;

  form.turnSide = 1;
  form.aiState = 0;
  form.aiCounter = 0;
  const uint64_t draws = form.lcgDraws;
  form.FormKeyDown(kK, false);  // discarded; the machine waits instead
  form.FormKeyDown(kLeftArrow, false);
  EXPECT_EQ(form.lcgDraws, draws + 2);
  EXPECT_EQ(form.cursorX, x);
  EXPECT_EQ(form.scene, kScenePlay);
  // The pointer and the gauge strip are not side 2's.
  form.FormMouseMove(200, 200);
  EXPECT_EQ(form.cursorX, x);
  form.score2 = 500;
  form.FormMouseDown(TMainForm::kMbLeft, 100, 460);
  form.FormMouseDown(TMainForm::kMbLeft, 100, 100);
  EXPECT_EQ(form.score2, 500);
  EXPECT_EQ(form.scene, kScenePlay);
  // The global keys and restart are not passed on.
  form.FormKeyDown(Digit(1), false);
  EXPECT_EQ(form.lcgDraws, draws + 2);
}

// Keyboard and mouse: the global keys, the title menu, the play keys of the
// single-player and versus layouts, the mouse areas, and the two actions
// reached only from input (restart and back to the title).
#include "app/main.h"

namespace {
// Virtual-key codes.
constexpr uint16_t kKeyReturn = 13;
constexpr uint16_t kKeyEscape = 27;
constexpr uint16_t kKey1 = 49;
constexpr uint16_t kKey2 = 50;
constexpr uint16_t kKey3 = 51;
constexpr uint16_t kKey4 = 52;
constexpr uint16_t kKey5 = 53;
constexpr uint16_t kKey6 = 54;
constexpr uint16_t kKey7 = 55;
constexpr uint16_t kKey8 = 56;

// One side's play keys.
struct TKeyLayout {
  uint16_t up, left, down, right, place, invert, rise;
};
// Side 1, also the single-player layout: W A S D, V place, B invert, G rise.
constexpr TKeyLayout kSide1Keys = {87, 65, 83, 68, 86, 66, 71};
// Side 2: U H J K, left arrow place, right arrow invert, up arrow rise.
constexpr TKeyLayout kSide2Keys = {85, 72, 74, 75, 37, 39, 38};

// Screen areas (client pixels).
constexpr int32_t kTopBarBottom = 20;       // the top bar is Y < 20
constexpr int32_t kRestartButtonEnd = 112;  // X < 112
constexpr int32_t kTitleButtonEnd = 208;    // 112 <= X < 208
constexpr int32_t kFullScreenLeft = 450;    // 450 < X < 546
constexpr int32_t kFullScreenRight = 546;
constexpr int32_t kGaugeStripTop = 450;    // Y > 450
constexpr int32_t kGaugeStripRight = 320;  // X < 320

// Moves the cursor or raises a request for one key of a layout.
void ApplyPlayKey(TMainForm& f, uint16_t key, const TKeyLayout& k) {
  if (key == k.up) {
    f.StepCursor(0, -1);
  } else if (key == k.left) {
    f.StepCursor(-1, 0);
  } else if (key == k.down) {
    f.StepCursor(0, 1);
  } else if (key == k.right) {
    f.StepCursor(1, 0);
  }
  if (key == k.place) {
    f.scene = kSceneRequestPlace;
  } else if (key == k.invert) {
    f.scene = kSceneRequestInvert;
  } else if (key == k.rise) {
    f.ForceRise();
  }
}

// Title menu item 1..4 chosen (by key or click): mode flags, sound, slide.
void ChooseMenuItem(TMainForm& f, int32_t item) {
  switch (item) {
    case 1:  // single player from level 1
      f.PlayEffect(1);
      f.advancedStart = 0;
      f.versusMode = 0;
      break;
    case 2:  // single player from level 99
      f.PlayEffect(2);
      f.advancedStart = 1;
      f.versusMode = 0;
      break;
    case 3:  // versus, two people
      f.PlayEffect(3);
      f.advancedStart = 0;
      f.versusMode = 1;
      f.side2Auto = 0;
      break;
    case 4:  // versus against the automatic player
      f.PlayEffect(3);
      f.advancedStart = 0;
      f.versusMode = 1;
      f.side2Auto = 1;
      break;
    default:
      f.PlayEffect(7);  // a click with no item under the pointer
      return;
  }
  f.titleSlide = 0;
  f.scene = kSceneTitleSlide;
}

// The three top-bar buttons of the play and game-over screens.
void ClickTopBar(TMainForm& f, int32_t x) {
  if (x < kRestartButtonEnd) {
    f.RestartGame();
  } else if (x < kTitleButtonEnd) {
    f.ReturnToTitle();
  } else if (x > kFullScreenLeft && x < kFullScreenRight) {
    f.PlayEffect(0);
    f.host.ToggleFullScreen();
  }
}

// True while the automatic player holds the turn: the mouse is not side 2's.
bool AutoPlayerOnTurn(const TMainForm& f) {
  return f.side2Auto == 1 && f.turnSide != 0;
}
}  // namespace

void TMainForm::FormKeyDown(uint16_t key, bool alt) {
  // Global keys, in every scene.
  if (alt && key == kKeyReturn) {
    PlayEffect(0);
    host.ToggleFullScreen();
    return;
  }
  if (key == kKeyEscape) {
    host.CloseWindow();
    return;
  }
  if (key == kKey1) {
    PlayEffect(0);
    showBackground = !showBackground;
    return;
  }
  if (key == kKey2) {
    PlayEffect(0);
    showEffects = !showEffects;
    return;
  }

  if (scene == kSceneTitle) {
    // The digit keys do not follow the menu rows: '4' is the first item.
    switch (key) {
      case kKey4:
        ChooseMenuItem(*this, 1);
        break;
      case kKey5:
        ChooseMenuItem(*this, 2);
        break;
      case kKey3:
        ChooseMenuItem(*this, 3);
        break;
      case kKey6:
        ChooseMenuItem(*this, 4);
        break;
      default:
        break;
    }
    return;
  }

  if (scene != kScenePlay && scene != kSceneGameOver) return;
  if (key == kKey7) {
    RestartGame();
  } else if (key == kKey8) {
    ReturnToTitle();
  } else if (scene == kScenePlay) {
    if (versusMode == 1) {
      VersusKey(key);
    } else {
      ApplyPlayKey(*this, key, kSide1Keys);
    }
  }
}

void TMainForm::FormMouseDown(TMouseButton button, int32_t x, int32_t y) {
  if (scene == kSceneTitle) {
    ChooseMenuItem(*this, menuChoice);
    return;
  }

  if (scene == kScenePlay) {
    if (button == kMbLeft) {
      if (y > kGaugeStripTop && x < kGaugeStripRight) {
        if (!AutoPlayerOnTurn(*this)) ForceRise();
        return;
      }
      if (y < kTopBarBottom) {
        ClickTopBar(*this, x);
        return;
      }
    }
    // Any other click places (right button: inverts) at the current cursor.
    if (versusMode == 1 && (side2Auto == 0 || turnSide != 0)) return;
    scene = button == kMbRight ? kSceneRequestInvert : kSceneRequestPlace;
    return;
  }

  if (scene == kSceneGameOver && button == kMbLeft && y < kTopBarBottom) ClickTopBar(*this, x);
}

void TMainForm::FormMouseMove(int32_t x, int32_t y) {
  if (scene == kSceneTitle) {
    // Each row overwrites the last, so the shared edge rows belong to the lower item.
    menuChoice = 0;
    if (y >= 196 && y <= 224) menuChoice = 1;
    if (y >= 224 && y <= 252) menuChoice = 2;
    if (y >= 252 && y <= 280) menuChoice = 3;
    if (y >= 280 && y <= 308) menuChoice = 4;
    if (menuChoice != menuChoicePrev) {
      PlayEffect(2);
      SpawnEffects(5, menuChoice + 10, 1);
    }
    menuChoicePrev = menuChoice;
    return;
  }

  if (scene != kScenePlay) return;
  if (versusMode == 1 && (side2Auto == 0 || turnSide != 0)) return;
  cursorShown = 0;
  if (x > boardLeft && x < boardLeft + 16 * kBoardCols && y > boardTop &&
      y < boardTop + 16 * kBoardRows) {
    // Not clamped: the mouse reaches columns 13..15 and rows 23..25 too.
    cursorX = (x - boardLeft) / 16;
    cursorY = (y - boardTop) / 16;
    cursorShown = 1;
  }
}

void TMainForm::VersusKey(uint16_t key) {
  // The automatic player's answer replaces whatever key was pressed.
  if (side2Auto == 1 && turnSide != 0) key = AutoPlayerStep();
  ApplyPlayKey(*this, key, turnSide == 0 ? kSide1Keys : kSide2Keys);
}

void TMainForm::RestartGame() {
  host.HideScoreWidgets();
  PlayEffect(0);
  scene = kSceneNewGame;
  SaveBestScore();
}

void TMainForm::ReturnToTitle() {
  host.HideScoreWidgets();
  PlayEffect(0);
  menuChoice = 0;
  menuChoicePrev = 0;
  level = 1;
  advancedStart = 0;
  versusMode = 0;
  scene = kSceneTitle;
  SaveBestScore();
  ChangeMusic(3, 3, "system/nil.ogg");
}

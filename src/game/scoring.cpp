// Points, the rise gauge, levels and phases, the rise of the stack, the
// versus turn clock, and the two ways a game ends.
#include <cstdio>

#include "app/main.h"

namespace {
// riseStep by the level just completed (applied at multiples of 7 only): the
// value of the highest threshold the level is above.
struct TRiseStep {
  int32_t levelAbove;
  int32_t riseStep;
};
constexpr TRiseStep kRiseSteps[] = {
    {25, 2},  {50, 3},  {75, 4},   {115, 5},  {170, 6},  {230, 7},
    {330, 8}, {450, 9}, {600, 10}, {700, 12}, {800, 14}, {900, 20},
};

constexpr int32_t kVersusFrames = 10800;
}  // namespace

void TMainForm::AwardLines(int32_t lines, int32_t lastRow) {
  // clearingCount is still the count of cells clearing from earlier rows.
  const int32_t points = 40 * lines + 3 * clearingCount + 5 * level;
  if (versusMode == 1 && turnSide == 1) {
    score2 += points;
  } else {
    AddScore(points);
  }
  UpdateBestScore();
  PlayEffect(1);
  if (lines > 1) {
    PlayEffect(3);
    bonusValue = points;
    bonusTimer = 240;
    bonusRow = lastRow;
  }
  if (clearingCount > 0) {
    PlayEffect(3);
    bonusValue = points;
    bonusTimer = 240;
    bonusRow = lastRow;
  }
}

void TMainForm::AddScore(int32_t n) {
  const int64_t sum = static_cast<int64_t>(score) + n;
  score = sum > kScoreCap ? kScoreCap : static_cast<int32_t>(sum);
}

void TMainForm::UpdateBestScore() {
  if (versusMode != 1 && score > bestScore) bestScore = score;
}

bool TMainForm::AdvanceGauge() {
  if (versusMode == 1) {
    versusFrames += 1;
    if (versusFrames > kVersusFrames) return true;
    // While any cell is clearing the turn clock stands still.
    if (clearingCount >= 1) return false;
    gaugeSub += 5;
    if (versusFrames > 3600) gaugeSub += 5;
    if (versusFrames > 7200) gaugeSub += 5;
    if (gaugeSub > 30) {
      gaugeSub = 0;
      gauge += 1;
    }
    if (gauge <= 255) return false;

    // The turn ends. Only a gauge that filled by itself pays the waiting side.
    if (gauge == 256) {
      PlayEffect(5);
      if (turnSide == 1) {
        AddScore(100);
      } else {
        score2 += 100;
      }
    }
    turnSide = static_cast<uint8_t>(1 - turnSide);
    gaugeSub = 0;
    gauge = 0;
    levelShake = 8;
    if (turnSide == 1) {
      SpawnEffects(24, 12, 2);
      PlayEffectChannel9();
    } else {
      PlayEffectChannel9();
      SpawnEffects(24, 6, 2);
      aiState = 0;
    }
    return false;
  }

  gaugeSub += gaugeSpeed;
  if (gaugeSub > 100) {
    gaugeSub = 0;
    if (clearingCount < 1 || phase == 4) {
      gauge += riseStep;
    } else if (clearingCount <= 19) {
      gauge += 2;
    } else if (clearingCount <= 29 || level < 100) {
      gauge += 1;
    }
  }
  if (gauge <= 255) return false;

  // The level is completed; the tests below use the level before it grows.
  ResetPreview();
  if (level % 3 == 0) gaugeSpeed += 1;
  if (level % 15 == 0) gaugeSpeed -= 5;
  if (level % 7 == 0) {
    phase += 1;
    if (phase == 5) phase = 1;
    switch (phase) {
      case 1:
        NextBgmTrack();
        break;
      case 2:
        NextBgmTrack();
        gaugeSpeed += 1;
        break;
      case 3:
        NextBgmTrack();
        gaugeSpeed += 2;
        break;
      case 4:
        NextBgmTrack();
        phaseShape = RandomBelow(9);
        break;
      default:
        break;
    }
    for (const TRiseStep& r : kRiseSteps) {
      if (level > r.levelAbove) riseStep = r.riseStep;
    }
    bgPhase = phase;
    bgFade = 0;
    ComposeBackground(bgPhase);
  }
  if (gaugeSpeed > 100) gaugeSpeed = 100;
  levelShake = 10;
  PlayEffect(5);
  const bool over = RaiseStack();
  gaugeSub = 0;
  gauge = 0;
  level += 1;
  AddScore(100);
  UpdateBestScore();
  return over;
}

bool TMainForm::RaiseStack() {
  // A block in the top row of the well: the stack cannot rise.
  for (int x = kWellLeft; x <= kWellRight; x++) {
    if (board[x][kWellTop].kind == kCellBlock) return true;
  }
  for (int y = kWellTop; y < kWellBottom; y++) {
    for (int x = kWellLeft; x <= kWellRight; x++) board[x][y] = board[x][y + 1];
  }
  // The new bottom row: a block where the row above it now holds anything,
  // else a block one time in two; then one hole somewhere.
  for (int x = kWellLeft; x <= kWellRight; x++) {
    const int32_t r = RandomBelow(10);
    TCell& c = board[x][kWellBottom];
    if (r > 4 || board[x][kWellBottom - 1].kind != kCellEmpty) {
      c = TCell{kCellBlock, 0, kCellBlock, 0, 0, 0};
    } else {
      c = TCell{};
    }
  }
  const int32_t hole = RandomBelow(10) + kWellLeft;
  board[hole][kWellBottom] = TCell{};
  return false;
}

void TMainForm::NextBgmTrack() {
  bgmTrack += 1;
  if (bgmTrack > 8) bgmTrack = 1;
  char path[40];
  std::snprintf(path, sizeof path, "system/bgm_%c_%02d.ogg", level <= 100 ? 'a' : 'b',
                static_cast<int>(bgmTrack));
  ChangeMusic(1, 0, path);
}

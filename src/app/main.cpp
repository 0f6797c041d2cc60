#include "app/main.h"

#include <cstring>

TMainForm::TMainForm(TGameHost& h) : host(h) {
  ZeroFields();
}

void TMainForm::ZeroFields() {
  loopRunning = false;
  frameActive = false;
  lastFrameTick = 0;
  scene = 0;
  errorCode = 0;
  titleSlide = 0;
  framesThisSecond = 0;
  framesLastSecond = 0;
  secondStartTick = 0;
  fpsSum = 0;
  fpsSamples = 0;
  boardLeft = 0;
  boardTop = 0;
  std::memset(board, 0, sizeof board);
  std::memset(pieces, 0, sizeof pieces);
  std::memset(effects, 0, sizeof effects);
  level = score = bestScore = score2 = 0;
  clearingCount = clearingShown = gaugeSub = gauge = phase = bgmTrack = 0;
  levelShake = gaugeSpeed = riseStep = phaseShape = 0;
  bonusValue = bonusTimer = bonusRow = 0;
  advancedStart = versusMode = side2Auto = versusFrames = 0;
  turnSide = 0;
  leaderShown = leaderShake = bgPhase = bgFade = 0;
  cursorX = cursorY = cursorShown = previewX = previewY = 0;
  mt = TMt19937();
  lcgState = 0;
  mtDraws = lcgDraws = 0;
  std::memset(aiBoard, 0, sizeof aiBoard);
  std::memset(aiPiece, 0, sizeof aiPiece);
  aiInverted = 0;
  aiState = aiTargetX = aiTargetY = aiCounter = 0;
  menuChoice = menuChoicePrev = 0;
  showBackground = showEffects = false;
  musicOnSlotB = false;
}

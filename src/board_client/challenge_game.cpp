#include "board_client/challenge_game.h"

#include "app/main.h"

void TChallengeGame::Arm(const TChallenge& challenge) {
  armedChallenge_ = challenge;
  armed_ = true;
}

bool TChallengeGame::BeforeFrame(TMainForm& f, uint32_t now) {
  if (!armed_) return false;
  // The frame loop's own test (as the recorder's): a frame runs now.
  const bool due = f.loopRunning && !(now < f.lastFrameTick + 16u);
  if (!due || f.scene != kSceneNewGame) return false;
  armed_ = false;
  if (f.versusMode != 0 || f.advancedStart != 0) return false;
  f.SeedRandom(armedChallenge_.seed);
  playedChallenge_ = armedChallenge_;
  playing_ = true;
  return true;
}

void TChallengeGame::ReplayWritten(const std::string& path) {
  if (!playing_) return;
  playing_ = false;
  replayPath_ = path;
}

const TChallenge* TChallengeGame::ChallengeOf(const std::string& replayPath) const {
  if (replayPath.empty() || replayPath != replayPath_) return nullptr;
  return &playedChallenge_;
}

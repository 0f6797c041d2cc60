// The game side of a board's challenge: the dealt start and which replay
// belongs to the challenge.
//
// A challenge game is a normal single-player game from level 1; only its
// start is dealt: right before the frame that starts it (scene 150) the
// generators are seeded with the challenge's seed, as the program seeds
// them at start-up (TMainForm::SeedRandom). The replay recorder, which takes
// its snapshot in that same gap, therefore records exactly the dealt state,
// and the board can tell the start was its own. Nothing inside the game
// changes.
#pragma once

#include <cstdint>
#include <string>

#include "board_client/board_api.h"

class TMainForm;

class TChallengeGame {
 public:
  // The next normal game will be this challenge's.
  void Arm(const TChallenge& challenge);
  void Disarm() { armed_ = false; }
  bool Armed() const { return armed_; }

  // Between frames, before the replay recorder's BeforeFrame: when a frame
  // is due and the game is about to start (scene 150), deals the start of
  // an armed challenge. A game of another mode disarms it instead. True when
  // it dealt.
  bool BeforeFrame(TMainForm& f, uint32_t now);

  // The recorder has written a game's replay to path: the first one written
  // after the dealt start is the challenge's.
  void ReplayWritten(const std::string& path);

  // The challenge whose game was recorded to replayPath, or null.
  const TChallenge* ChallengeOf(const std::string& replayPath) const;

 private:
  TChallenge armedChallenge_;
  bool armed_ = false;
  bool playing_ = false;  // dealt, its replay not yet written
  TChallenge playedChallenge_;
  std::string replayPath_;
};

// Plays one game of a replay on a game object: the start state put in place,
// then before each frame the inputs recorded for it and the frame itself on
// the recorded clock, then the inputs that came after the last frame.
#pragma once

#include <cstdint>

#include "replay/replay_format.h"
#include "replay/replay_host.h"

class TMainForm;

class TReplayPlayer {
 public:
  // form must have been through LoadAssets (or FormCreate); form, host and
  // game must outlive the player.
  TReplayPlayer(const TReplayGame& game, TMainForm& form, TReplayHost& host);

  // Puts the game's start state, local time and music results in place.
  void Start();
  // One step: the next frame with the inputs before it, or after the last
  // frame the closing inputs. Nothing once Done().
  void Step();
  bool Done() const { return done_; }
  // Frames run so far, and the milliseconds the next frame came after the
  // one before it (0 for the first).
  uint32_t FramesRun() const { return next_; }
  uint32_t NextDelta() const;
  // The same for the frame after the next one (0 when there is none).
  uint32_t DeltaAfterNext() const;

  // Score and level after the last frame (valid once Done()).
  int32_t finalScore = 0;
  int32_t finalLevel = 0;

 private:
  void DeliverUpTo(uint32_t frame);
  const TReplayGame& game_;
  TMainForm& form_;
  TReplayHost& host_;
  uint32_t next_ = 0;  // the next frame to run
  size_t nextInput_ = 0;
  bool done_ = false;
};

// Hands one recorded input to the game's handler.
void DeliverReplayInput(const TReplayInput& in, TMainForm& form);

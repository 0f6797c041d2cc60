#include "replay/replay_player.h"

#include "app/main.h"

void DeliverReplayInput(const TReplayInput& in, TMainForm& form) {
  switch (in.kind) {
    case TReplayInput::kKey:
      form.FormKeyDown(in.key, in.alt != 0);
      break;
    case TReplayInput::kMove:
      form.FormMouseMove(in.x, in.y);
      break;
    case TReplayInput::kClick:
      form.FormMouseDown(static_cast<TMainForm::TMouseButton>(in.button), in.x, in.y);
      break;
  }
}

TReplayPlayer::TReplayPlayer(const TReplayGame& game, TMainForm& form, TReplayHost& host)
    : game_(game), form_(form), host_(host) {}

void TReplayPlayer::Start() {
  game_.start.Restore(form_);
  for (int i = 0; i < 15; i++) host_.localTime[i] = game_.localTime[i];
  host_.SetMusicResults(game_.music);
  next_ = 0;
  nextInput_ = 0;
  done_ = game_.clocks.empty();
}

void TReplayPlayer::DeliverUpTo(uint32_t frame) {
  while (nextInput_ < game_.inputs.size() && game_.inputs[nextInput_].frame <= frame) {
    DeliverReplayInput(game_.inputs[nextInput_++], form_);
  }
}

uint32_t TReplayPlayer::NextDelta() const {
  if (next_ == 0 || next_ >= game_.clocks.size()) return 0;
  return game_.clocks[next_] - game_.clocks[next_ - 1];
}

uint32_t TReplayPlayer::DeltaAfterNext() const {
  const size_t k = next_ + 1;
  if (k >= game_.clocks.size()) return 0;
  return game_.clocks[k] - game_.clocks[k - 1];
}

void TReplayPlayer::Step() {
  if (done_) return;
  if (next_ >= game_.clocks.size()) {
    DeliverUpTo(next_);
    done_ = true;
    return;
  }
  DeliverUpTo(next_);
  host_.clock = game_.clocks[next_];
  // The recorded frame ran: the largest clock value makes it due whatever
  // the last frame's tick (the frame itself reads the recorded clock).
  form_.IdleFrame(UINT32_MAX);
  next_++;
  if (next_ == game_.clocks.size()) {
    finalScore = form_.score;
    finalLevel = form_.level;
  }
}

// The benchmark figures of zazo-bench. Each function measures one figure and
// returns its median in microseconds (or its maximum where the name says so).
#pragma once

#include <cstddef>
#include <cstdint>

// One memcpy of a whole 640 x 480 x 3 frame: the floor for touching a frame.
double BenchMemcpyFrameUs();
// One complete play frame (rules + drawing) on a busy board.
double BenchPlayFrameUs();
// One title frame with live sparkles.
double BenchTitleFrameUs();
// Turning screenBmp into what the window receives.
double BenchPresentPrepUs();
// The slowest automatic-player step seen over a versus game.
double BenchAiStepMaxUs();
// One half-buffer of music: two decoders decoding and the mix.
double BenchMusicHalfUs();

// The replay of a long single-player game (ten minutes of frames unless it
// ends sooner): its size, the game's length, whether its check passes, and
// the fastest of three headless checks of it.
struct TReplayFigures {
  size_t bytes = 0;
  uint32_t gameMs = 0;
  bool endedByGameOver = false;
  bool reproduced = false;
  double summaryMs = 0;
};
TReplayFigures BenchLongReplay();

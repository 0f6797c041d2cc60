// The benchmark figures of zazo-bench. Each function measures one figure and
// returns its median in microseconds (or its maximum where the name says so).
#pragma once

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

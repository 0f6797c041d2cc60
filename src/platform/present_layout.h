// Where the 640 x 480 frame goes in the window, and where a pointer position
// in the window lands on the frame.
#pragma once

#include <cstdint>

constexpr int32_t kFrameWidth = 640;
constexpr int32_t kFrameHeight = 480;

struct TFrameRect {
  int32_t x;
  int32_t y;
  int32_t w;
  int32_t h;
};

// The frame inside an output area of outW x outH pixels, centred: the
// largest size that keeps the 4:3 shape, or the largest whole multiple of
// 640 x 480 when that fills at least 90 % of it (1:1 in a 640 x 480
// window). An empty output gives an empty rectangle.
TFrameRect FitFrame(int32_t outW, int32_t outH);

// The whole step (2, 3, ...) the frame is first enlarged to, pixel for
// pixel, before it is smoothed down to `frame` so the pixels stay crisp;
// 0 when `frame` is itself a whole multiple (drawn pixel for pixel).
int32_t SharpStep(const TFrameRect& frame);

// The output rectangle of the frame-pixel rectangle (x, y, w, h) when the
// frame is placed at `frame` (x, y >= 0): exactly the output pixels that
// MapPointerToFrame maps into it.
TFrameRect FrameAreaOnOutput(const TFrameRect& frame, int32_t x, int32_t y, int32_t w, int32_t h);

// Maps a pointer position given in window coordinates (winW x winH, which
// may differ from the output's pixel size on high-density displays) to
// frame pixels. False when the pointer is outside the frame (on the black
// border around it in full screen).
bool MapPointerToFrame(const TFrameRect& frame, int32_t winW, int32_t winH, int32_t outW,
                       int32_t outH, int32_t x, int32_t y, int32_t* frameX, int32_t* frameY);

// The whole multiple of 640 x 480 the window starts at: the player's
// window scale (1..4) when it fits the desktop's usable area (usableW x
// usableH; else the largest that does), or with no choice (0) the largest
// whose height fits in two thirds of the desktop's height. Never below 1.
int32_t StartWindowScale(int32_t setting, int32_t desktopH, int32_t usableW, int32_t usableH);

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

// The frame inside an output area of outW x outH pixels: scaled by the
// largest whole factor that fits (1:1 in a 640 x 480 window), else by the
// largest size that keeps the 4:3 aspect; centred. An empty output gives an
// empty rectangle.
TFrameRect FitFrame(int32_t outW, int32_t outH);

// Maps a pointer position given in window coordinates (winW x winH, which
// may differ from the output's pixel size on high-density displays) to
// frame pixels. False when the pointer is outside the frame (on the black
// border around it in full screen).
bool MapPointerToFrame(const TFrameRect& frame, int32_t winW, int32_t winH, int32_t outW,
                       int32_t outH, int32_t x, int32_t y, int32_t* frameX, int32_t* frameY);

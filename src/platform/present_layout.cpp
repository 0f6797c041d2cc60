#include "platform/present_layout.h"

TFrameRect FitFrame(int32_t outW, int32_t outH) {
  if (outW <= 0 || outH <= 0) return TFrameRect{0, 0, 0, 0};
  int32_t w = 0;
  int32_t h = 0;
  const int32_t factor =
      outW / kFrameWidth < outH / kFrameHeight ? outW / kFrameWidth : outH / kFrameHeight;
  if (factor >= 1) {
    w = kFrameWidth * factor;
    h = kFrameHeight * factor;
  } else if (static_cast<int64_t>(outW) * kFrameHeight <=
             static_cast<int64_t>(outH) * kFrameWidth) {
    w = outW;  // narrower than 4:3: the width decides
    h = static_cast<int32_t>(static_cast<int64_t>(outW) * kFrameHeight / kFrameWidth);
  } else {
    h = outH;
    w = static_cast<int32_t>(static_cast<int64_t>(outH) * kFrameWidth / kFrameHeight);
  }
  return TFrameRect{(outW - w) / 2, (outH - h) / 2, w, h};
}

bool MapPointerToFrame(const TFrameRect& frame, int32_t winW, int32_t winH, int32_t outW,
                       int32_t outH, int32_t x, int32_t y, int32_t* frameX, int32_t* frameY) {
  if (frame.w <= 0 || frame.h <= 0 || winW <= 0 || winH <= 0) return false;
  // Window coordinates to output pixels, then output pixels to frame pixels.
  const int64_t ox = static_cast<int64_t>(x) * outW / winW;
  const int64_t oy = static_cast<int64_t>(y) * outH / winH;
  const int64_t dx = ox - frame.x;
  const int64_t dy = oy - frame.y;
  if (dx < 0 || dy < 0 || dx >= frame.w || dy >= frame.h) return false;
  *frameX = static_cast<int32_t>(dx * kFrameWidth / frame.w);
  *frameY = static_cast<int32_t>(dy * kFrameHeight / frame.h);
  return true;
}

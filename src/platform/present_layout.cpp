#include "platform/present_layout.h"

TFrameRect FitFrame(int32_t outW, int32_t outH) {
  if (outW <= 0 || outH <= 0) return TFrameRect{0, 0, 0, 0};
  // The largest 4:3 picture the output holds.
  int32_t w = 0;
  int32_t h = 0;
  if (static_cast<int64_t>(outW) * kFrameHeight <= static_cast<int64_t>(outH) * kFrameWidth) {
    w = outW;  // narrower than 4:3: the width decides
    h = static_cast<int32_t>(static_cast<int64_t>(outW) * kFrameHeight / kFrameWidth);
  } else {
    h = outH;
    w = static_cast<int32_t>(static_cast<int64_t>(outH) * kFrameWidth / kFrameHeight);
  }
  // A whole step close enough to it is used instead: every frame pixel the
  // same square.
  const int32_t factor = h / kFrameHeight;
  if (factor >= 1 &&
      static_cast<int64_t>(kFrameHeight) * factor * 10 >= static_cast<int64_t>(h) * 9) {
    w = kFrameWidth * factor;
    h = kFrameHeight * factor;
  }
  return TFrameRect{(outW - w) / 2, (outH - h) / 2, w, h};
}

int32_t SharpStep(const TFrameRect& frame) {
  if (frame.w <= 0 || frame.h <= 0) return 0;
  if (frame.w % kFrameWidth == 0 && frame.h % kFrameHeight == 0 &&
      frame.w / kFrameWidth == frame.h / kFrameHeight) {
    return 0;
  }
  const int32_t stepW = (frame.w + kFrameWidth - 1) / kFrameWidth;
  const int32_t stepH = (frame.h + kFrameHeight - 1) / kFrameHeight;
  return stepW > stepH ? stepW : stepH;
}

namespace {
// The first output pixel whose frame pixel (as MapPointerToFrame finds it)
// is at least v: the inverse of the pointer mapping.
int32_t OutputEdge(int32_t v, int32_t size, int32_t frameSize) {
  return static_cast<int32_t>((static_cast<int64_t>(v) * size + frameSize - 1) / frameSize);
}
}  // namespace

TFrameRect FrameAreaOnOutput(const TFrameRect& frame, int32_t x, int32_t y, int32_t w, int32_t h) {
  const int32_t x0 = frame.x + OutputEdge(x, frame.w, kFrameWidth);
  const int32_t y0 = frame.y + OutputEdge(y, frame.h, kFrameHeight);
  const int32_t x1 = frame.x + OutputEdge(x + w, frame.w, kFrameWidth);
  const int32_t y1 = frame.y + OutputEdge(y + h, frame.h, kFrameHeight);
  return TFrameRect{x0, y0, x1 - x0, y1 - y0};
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

int32_t StartWindowScale(int32_t setting, int32_t desktopH, int32_t usableW, int32_t usableH) {
  int32_t scale = setting;
  if (scale <= 0) {
    scale = static_cast<int32_t>(static_cast<int64_t>(desktopH) * 2 / 3 / kFrameHeight);
  } else {
    while (scale > 1 && (kFrameWidth * scale > usableW || kFrameHeight * scale > usableH)) scale--;
  }
  return scale < 1 ? 1 : scale;
}

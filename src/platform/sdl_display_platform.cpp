#include "platform/sdl_display_platform.h"

#include <cstdio>

#include "platform/present_layout.h"
#include "platform/window_manager_probe.h"

int DesktopModes(int32_t width, int32_t height, int32_t bitCount, TDisplayMode* out, int max) {
  int n = 0;
  if (n < max) out[n++] = TDisplayMode{width, height, bitCount};
  if (width >= kFrameWidth && height >= kFrameHeight &&
      (width != kFrameWidth || height != kFrameHeight) && n < max) {
    out[n++] = TDisplayMode{kFrameWidth, kFrameHeight, bitCount};
  }
  return n;
}

int TSdlDisplayPlatform::EnumerateModes(TDisplayMode* out, int max) {
  int display = window ? SDL_GetWindowDisplayIndex(window) : 0;
  if (display < 0) display = 0;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(display, &mode) != 0) return 0;
  return DesktopModes(mode.w, mode.h, static_cast<int32_t>(SDL_BITSPERPIXEL(mode.format)), out,
                      max);
}

bool TSdlDisplayPlatform::EnterFullScreen() {
  if (!window) return false;
  coveringByHand_ = false;
  if (!WindowManagerRunning(window)) {
    // Nobody would answer the request: the borderless window is moved over
    // the whole display, and the picture follows its real size.
    int display = SDL_GetWindowDisplayIndex(window);
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds) != 0) return false;
    SDL_SetWindowPosition(window, bounds.x, bounds.y);
    SDL_SetWindowSize(window, bounds.w, bounds.h);
    SDL_RaiseWindow(window);
    coveringByHand_ = true;
    return true;
  }
  if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
    std::fprintf(stderr, "Zazo Puzzle: full screen refused (%s)\n", SDL_GetError());
    return false;
  }
  return true;
}

void TSdlDisplayPlatform::LeaveFullScreen() {
  // A window that covered the display by hand gets its place back with the
  // stored placement.
  if (window && !coveringByHand_) SDL_SetWindowFullscreen(window, 0);
  coveringByHand_ = false;
}

TWindowPlacement TSdlDisplayPlatform::GetPlacement() {
  TWindowPlacement p{0, 0, kFrameWidth, kFrameHeight};
  if (window) {
    SDL_GetWindowPosition(window, &p.x, &p.y);
    SDL_GetWindowSize(window, &p.width, &p.height);
  }
  return p;
}

void TSdlDisplayPlatform::SetPlacement(const TWindowPlacement& p) {
  if (!window) return;
  SDL_SetWindowSize(window, p.width, p.height);
  SDL_SetWindowPosition(window, p.x, p.y);
  settling_ = true;
  settleTo_ = p;
  settleUntil_ = SDL_GetTicks() + 1500;
}

void TSdlDisplayPlatform::SettlePlacement(uint32_t nowMs) {
  if (!settling_ || !window) return;
  if (static_cast<int32_t>(nowMs - settleUntil_) > 0 ||
      (SDL_GetWindowFlags(window) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_BORDERLESS))) {
    settling_ = false;
    return;
  }
  int top = 0, left = 0;
  if (SDL_GetWindowBordersSize(window, &top, &left, nullptr, nullptr) != 0 ||
      (top == 0 && left == 0)) {
    return;  // the frame is not known (yet): nothing to correct against
  }
  int x = 0, y = 0;
  SDL_GetWindowPosition(window, &x, &y);
  if (x != settleTo_.x || y != settleTo_.y) SDL_SetWindowPosition(window, settleTo_.x, settleTo_.y);
  settling_ = false;
}

void TSdlDisplayPlatform::SetBordered(bool bordered) {
  if (window) SDL_SetWindowBordered(window, bordered ? SDL_TRUE : SDL_FALSE);
}

void TSdlDisplayPlatform::SetDefaultCursor() {
  SDL_SetCursor(SDL_GetDefaultCursor());
  SDL_ShowCursor(SDL_ENABLE);
}

// The full-screen switch's window work on an SDL window: the borderless
// window covers the display at its own mode.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/display_switch.h"

class TSdlDisplayPlatform : public TDisplayPlatform {
 public:
  SDL_Window* window = nullptr;

  int EnumerateModes(TDisplayMode* out, int max) override;
  bool EnterFullScreen() override;
  void LeaveFullScreen() override;
  TWindowPlacement GetPlacement() override;
  void SetPlacement(const TWindowPlacement& placement) override;
  void SetBordered(bool bordered) override;
  void SetDefaultCursor() override;

  // Called between frames: a window manager that puts its frame back around
  // the window after the placement was restored may push the window by the
  // frame's size; once the frame is known the stored place is applied again.
  void SettlePlacement(uint32_t nowMs);

 private:
  bool coveringByHand_ = false;  // full screen without a window manager
  bool settling_ = false;
  uint32_t settleUntil_ = 0;
  TWindowPlacement settleTo_ = {};
};

// The modes a display with the given desktop mode offers: the desktop mode
// itself and, when it is at least 640 x 480, 640 x 480 at the same depth.
int DesktopModes(int32_t width, int32_t height, int32_t bitCount, TDisplayMode* out, int max);

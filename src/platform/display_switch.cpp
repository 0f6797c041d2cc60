#include "platform/display_switch.h"

#include <algorithm>
#include <cstdio>

void TDXDraw::EnsureModes() {
  if (modesValid_) return;
  modeCount_ = std::clamp(platform_.EnumerateModes(modes_, kMaxModes), 0, kMaxModes);
  std::sort(modes_, modes_ + modeCount_, [](const TDisplayMode& a, const TDisplayMode& b) {
    if (a.width != b.width) return a.width < b.width;
    if (a.height != b.height) return a.height < b.height;
    return a.bitCount < b.bitCount;
  });
  modesValid_ = true;
}

int TDXDraw::ModeCount() {
  EnsureModes();
  return modeCount_;
}

TDisplayMode TDXDraw::Mode(int i) {
  EnsureModes();
  if (i < 0 || i >= modeCount_) return TDisplayMode{0, 0, 0};
  return modes_[i];
}

namespace {
constexpr char kBitCountError[] = "8, 16, 24, 32 のいずれかの値でなければなりません";

bool IsBitCount(int32_t bits) {
  return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}
}  // namespace

void TDXDraw::SetBitCount(int32_t bits) {
  if (!IsBitCount(bits)) throw TDisplayError(kBitCountError);
  displayBitCount = bits;
}

void TDXDraw::DXDrawInitialize() {
  static constexpr int32_t kDepths[] = {16, 32, 24};
  const int count = ModeCount();
  for (int i = 0; i < count; i++) {
    const TDisplayMode mode = Mode(i);
    for (int32_t bits : kDepths) {
      if (mode.width == 640 && mode.height == 480 && mode.bitCount == bits) {
        fullScreenBitCount = bits;
      }
    }
  }
}

void TDXDraw::FinalizeDisplay() {
  if (initialized_) {
    if (fullScreenActive_) platform_.LeaveFullScreen();
    fullScreenActive_ = false;
    initialized_ = false;
  }
  modesValid_ = false;
  modeCount_ = 0;
}

void TDXDraw::InitializeDisplay() {
  if (initialized_) FinalizeDisplay();
  if (doFullScreen) {
    bool offered = false;
    const int count = ModeCount();
    for (int i = 0; i < count && !offered; i++) {
      const TDisplayMode mode = Mode(i);
      offered = mode.width == displayWidth && mode.height == displayHeight &&
                mode.bitCount == displayBitCount;
    }
    if (!offered || !platform_.EnterFullScreen()) {
      FinalizeDisplay();
      char text[96];
      std::snprintf(text, sizeof text, "ディスプレイモードを変更できません (%dx%d %dbit)",
                    static_cast<int>(displayWidth), static_cast<int>(displayHeight),
                    static_cast<int>(displayBitCount));
      throw TDisplayError(text);
    }
    fullScreenActive_ = true;
  }
  initialized_ = true;
  DXDrawInitialize();
}

void TDXDraw::StoreWindowPlacement() {
  placement_ = platform_.GetPlacement();
  placementStored_ = true;
}

void TDXDraw::RestoreWindowPlacement() {
  if (!placementStored_) return;
  platform_.SetPlacement(placement_);
  placementStored_ = false;
}

void TDXDraw::ToggleFullScreen() {
  // Nothing to switch to (the scan found no 640 x 480 mode at 16, 24 or 32
  // bits, or no mode at all): refused before the window changes.
  if (!doFullScreen && !IsBitCount(fullScreenBitCount)) throw TDisplayError(kBitCountError);
  FinalizeDisplay();
  if (doFullScreen) {
    RestoreWindowPlacement();
    platform_.SetBordered(true);
    platform_.SetDefaultCursor();
    doFullScreen = false;
  } else {
    StoreWindowPlacement();
    platform_.SetBordered(false);
    doFullScreen = true;
    displayWidth = 640;
    displayHeight = 480;
    SetBitCount(fullScreenBitCount);
  }
  InitializeDisplay();
}

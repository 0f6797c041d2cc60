// The display component: windowed or full-screen use of the display, the
// mode scan that chooses the full-screen colour depth, and the switch
// between the two states. It decides; TDisplayPlatform does the window work.
//
// Full screen on today's desktops covers the display with the borderless
// window without changing the monitor's mode; the 640 x 480 frame is scaled
// into it by the presentation (present_layout.h). A display counts as
// offering 640 x 480 at its desktop depth when its desktop mode is at least
// that large.
#pragma once

#include <cstdint>
#include <stdexcept>

struct TDisplayMode {
  int32_t width;
  int32_t height;
  int32_t bitCount;
};

// Where and how large the window is, to bring it back after full screen.
struct TWindowPlacement {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
};

// The window-system side of the display component.
class TDisplayPlatform {
 public:
  virtual ~TDisplayPlatform() = default;
  // Writes at most `max` modes the display offers (any order); returns how many.
  virtual int EnumerateModes(TDisplayMode* out, int max) = 0;
  // Lets the window cover the whole display; false when the window system refuses.
  virtual bool EnterFullScreen() = 0;
  // Returns the window to normal, shared use of the display.
  virtual void LeaveFullScreen() = 0;
  virtual TWindowPlacement GetPlacement() = 0;
  virtual void SetPlacement(const TWindowPlacement& placement) = 0;
  virtual void SetBordered(bool bordered) = 0;
  virtual void SetDefaultCursor() = 0;
};

// An error of the display component; what() is the text shown to the player.
class TDisplayError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The game's name for its display switch; here it turns an SDL window borderless, no mode change.
class TDXDraw {
 public:
  static constexpr int kMaxModes = 256;

  explicit TDXDraw(TDisplayPlatform& platform) : platform_(platform) {}

  // Options.doFullScreen.
  bool doFullScreen = false;
  // Display settings used for full screen.
  int32_t displayWidth = 640;
  int32_t displayHeight = 480;
  int32_t displayBitCount = 8;
  // The colour depth requested for full screen: 0 until the scan finds one.
  int32_t fullScreenBitCount = 0;

  bool Initialized() const { return initialized_; }
  // True while the window covers the display.
  bool FullScreenActive() const { return initialized_ && fullScreenActive_; }

  // Windowed: normal use of the display. Full screen: the mode of the
  // display settings must be offered and the window system must agree;
  // otherwise the display is finalized again and TDisplayError raised with
  // "ディスプレイモードを変更できません (%dx%d %dbit)". Ends with DXDrawInitialize.
  void InitializeDisplay();
  // Leaves full screen if active; forgets the mode list. Nothing when not initialized.
  void FinalizeDisplay();

  // Accepts 8, 16, 24 or 32; anything else raises TDisplayError
  // "8, 16, 24, 32 のいずれかの値でなければなりません" and keeps the value.
  void SetBitCount(int32_t bits);

  // The mode list, sorted by width, then height, then bit count; enumerated
  // on first use after start or after FinalizeDisplay.
  int ModeCount();
  TDisplayMode Mode(int i);

  // Chooses fullScreenBitCount from the mode list: for each mode in order,
  // 16, then 32, then 24 at 640 x 480; the last match wins.
  void DXDrawInitialize();

  void StoreWindowPlacement();
  void RestoreWindowPlacement();

  // Windowed to full screen or back, in four steps: finalize; restore the
  // window (placement, border, cursor) or prepare full screen (placement
  // stored, border removed, 640 x 480 at fullScreenBitCount); initialize.
  // Raises TDisplayError when a step fails; the next call recovers the window.
  // Without a full-screen depth (fullScreenBitCount 0) the switch to full
  // screen raises the bit-count error at once and changes nothing.
  void ToggleFullScreen();

 private:
  void EnsureModes();

  TDisplayPlatform& platform_;
  bool initialized_ = false;
  bool fullScreenActive_ = false;
  bool modesValid_ = false;
  int modeCount_ = 0;
  TDisplayMode modes_[kMaxModes] = {};
  bool placementStored_ = false;
  TWindowPlacement placement_ = {};
};

// The full-screen colour depth scan and the windowed / full-screen switch,
// on a fake display.
#include "platform/display_switch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sdl_host.h"

namespace {

class TFakeDisplay : public TDisplayPlatform {
 public:
  std::vector<TDisplayMode> modes;
  bool refuse = false;
  bool covering = false;
  bool bordered = true;
  int enumerations = 0;
  TWindowPlacement placement{100, 50, 640, 480};
  std::string log;

  int EnumerateModes(TDisplayMode* out, int max) override {
    enumerations++;
    int n = 0;
    for (const TDisplayMode& m : modes) {
      if (n < max) out[n++] = m;
    }
    return n;
  }
  bool EnterFullScreen() override {
    log += "enter ";
    if (refuse) return false;
    covering = true;
    placement = TWindowPlacement{0, 0, 1920, 1080};
    return true;
  }
  void LeaveFullScreen() override {
    log += "leave ";
    covering = false;
  }
  TWindowPlacement GetPlacement() override {
    log += "store ";
    return placement;
  }
  void SetPlacement(const TWindowPlacement& p) override {
    log += "restore ";
    placement = p;
  }
  void SetBordered(bool b) override {
    log += b ? "border " : "noborder ";
    bordered = b;
  }
  void SetDefaultCursor() override { log += "cursor "; }
};

// The modes the real display offers for a desktop of that size and depth.
std::vector<TDisplayMode> DesktopModesFor(int32_t w, int32_t h, int32_t bits) {
  TDisplayMode m[4];
  const int n = DesktopModes(w, h, bits, m, 4);
  return std::vector<TDisplayMode>(m, m + n);
}

int32_t ScanDepth(std::vector<TDisplayMode> modes) {
  TFakeDisplay display;
  display.modes = std::move(modes);
  TDXDraw dx(display);
  dx.InitializeDisplay();
  return dx.fullScreenBitCount;
}

TEST(DisplaySwitch, ScanPicksTheDeepestOfferedDepthAt640x480) {
  EXPECT_EQ(ScanDepth({{640, 480, 8}, {640, 480, 16}, {640, 480, 32}}), 32);
  EXPECT_EQ(ScanDepth({{640, 480, 16}, {640, 480, 8}}), 16);
  EXPECT_EQ(ScanDepth({{640, 480, 32}, {640, 480, 24}, {640, 480, 16}}), 32);
  EXPECT_EQ(ScanDepth({{640, 480, 24}, {800, 600, 32}}), 24);
  // 8-bit modes and other sizes never count.
  EXPECT_EQ(ScanDepth({{640, 480, 8}, {800, 600, 32}, {640, 400, 32}}), 0);
  EXPECT_EQ(ScanDepth({}), 0);
}

TEST(DisplaySwitch, ModeListIsSortedAndEnumeratedAgainAfterFinalize) {
  TFakeDisplay display;
  display.modes = {{800, 600, 32}, {640, 480, 32}, {640, 480, 16}, {640, 400, 8}};
  TDXDraw dx(display);
  ASSERT_EQ(dx.ModeCount(), 4);
  EXPECT_EQ(dx.Mode(0).height, 400);
  EXPECT_EQ(dx.Mode(1).bitCount, 16);
  EXPECT_EQ(dx.Mode(2).bitCount, 32);
  EXPECT_EQ(dx.Mode(3).width, 800);
  dx.ModeCount();
  EXPECT_EQ(display.enumerations, 1);
  dx.FinalizeDisplay();
  dx.ModeCount();
  EXPECT_EQ(display.enumerations, 2);
}

TEST(DisplaySwitch, ToggleTwiceReturnsWindowPlacementAndBorder) {
  TFakeDisplay display;
  display.modes = DesktopModesFor(1920, 1080, 24);
  TDXDraw dx(display);
  dx.InitializeDisplay();
  ASSERT_EQ(dx.fullScreenBitCount, 24);

  dx.ToggleFullScreen();
  EXPECT_TRUE(dx.doFullScreen);
  EXPECT_TRUE(dx.FullScreenActive());
  EXPECT_TRUE(display.covering);
  EXPECT_FALSE(display.bordered);
  EXPECT_EQ(dx.displayWidth, 640);
  EXPECT_EQ(dx.displayHeight, 480);
  EXPECT_EQ(dx.displayBitCount, 24);
  // Placement stored before the border goes.
  EXPECT_EQ(display.log, "store noborder enter ");

  display.log.clear();
  dx.ToggleFullScreen();
  EXPECT_FALSE(dx.doFullScreen);
  EXPECT_FALSE(dx.FullScreenActive());
  EXPECT_FALSE(display.covering);
  EXPECT_TRUE(display.bordered);
  EXPECT_EQ(display.placement.x, 100);
  EXPECT_EQ(display.placement.y, 50);
  EXPECT_EQ(display.placement.width, 640);
  // Placement restored before the border comes back, then the default cursor.
  EXPECT_EQ(display.log, "leave restore border cursor ");
}

TEST(DisplaySwitch, NoUsableDepthReportsTheBitCountErrorAndLeavesTheWindowAsItWas) {
  // Only 8 bits at 640 x 480, and a display that answered no mode at all.
  for (const std::vector<TDisplayMode>& modes :
       {std::vector<TDisplayMode>{{640, 480, 8}}, std::vector<TDisplayMode>{}}) {
    TFakeDisplay display;
    display.modes = modes;
    TDXDraw dx(display);
    dx.InitializeDisplay();
    ASSERT_EQ(dx.fullScreenBitCount, 0);
    for (int attempt = 0; attempt < 2; attempt++) {
      try {
        dx.ToggleFullScreen();
        FAIL() << "expected an error";
      } catch (const TDisplayError& e) {
        EXPECT_STREQ(e.what(), "8, 16, 24, 32 のいずれかの値でなければなりません");
      }
      // Still the bordered window in its place, initialized, not full screen.
      EXPECT_FALSE(dx.doFullScreen);
      EXPECT_TRUE(dx.Initialized());
      EXPECT_TRUE(display.bordered);
      EXPECT_FALSE(display.covering);
      EXPECT_EQ(display.placement.x, 100);
      EXPECT_EQ(dx.displayBitCount, 8);
      EXPECT_EQ(display.log, "");
    }
  }
}

TEST(DisplaySwitch, RefusedModeReportsTheModeErrorAndNextToggleRecovers) {
  TFakeDisplay display;
  display.modes = DesktopModesFor(1280, 1024, 32);
  display.refuse = true;
  TDXDraw dx(display);
  dx.InitializeDisplay();
  try {
    dx.ToggleFullScreen();
    FAIL() << "expected an error";
  } catch (const TDisplayError& e) {
    EXPECT_STREQ(e.what(), "ディスプレイモードを変更できません (640x480 32bit)");
  }
  EXPECT_TRUE(dx.doFullScreen);
  EXPECT_FALSE(dx.Initialized());
  EXPECT_FALSE(display.bordered);

  display.refuse = false;
  dx.ToggleFullScreen();
  EXPECT_FALSE(dx.doFullScreen);
  EXPECT_TRUE(display.bordered);
  EXPECT_EQ(display.placement.y, 50);
  // And full screen works again afterwards.
  dx.ToggleFullScreen();
  EXPECT_TRUE(dx.FullScreenActive());
}

TEST(DisplaySwitch, DisplaySmallerThanTheFrameOffersNoMode) {
  TFakeDisplay display;
  display.modes = DesktopModesFor(600, 400, 32);
  TDXDraw dx(display);
  dx.InitializeDisplay();
  EXPECT_EQ(dx.fullScreenBitCount, 0);
  EXPECT_THROW(dx.ToggleFullScreen(), TDisplayError);
  EXPECT_FALSE(display.covering);
  EXPECT_TRUE(display.bordered);
  EXPECT_FALSE(dx.doFullScreen);
}

TEST(DisplaySwitch, BitCountAcceptsOnlyTheFourDepths) {
  TFakeDisplay display;
  TDXDraw dx(display);
  for (int32_t bits : {8, 16, 24, 32}) {
    dx.SetBitCount(bits);
    EXPECT_EQ(dx.displayBitCount, bits);
  }
  EXPECT_THROW(dx.SetBitCount(15), TDisplayError);
  EXPECT_THROW(dx.SetBitCount(0), TDisplayError);
  EXPECT_EQ(dx.displayBitCount, 32);
}

}  // namespace

// Placing the 640 x 480 frame in the window and mapping the pointer back.
#include "platform/present_layout.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

void ExpectRect(const TFrameRect& r, int32_t x, int32_t y, int32_t w, int32_t h) {
  EXPECT_EQ(r.x, x);
  EXPECT_EQ(r.y, y);
  EXPECT_EQ(r.w, w);
  EXPECT_EQ(r.h, h);
}

TEST(PresentLayout, WindowedIsOneToOne) {
  ExpectRect(FitFrame(640, 480), 0, 0, 640, 480);
}

TEST(PresentLayout, FullScreenFillsTheHeightWholeStepsOnlyWhenTheyFillNinetyPercent) {
  // Whole steps where they fill at least 90 % of the 4:3 picture's height.
  ExpectRect(FitFrame(2560, 1440), 320, 0, 1920, 1440);  // 3 x, 100 %
  ExpectRect(FitFrame(1280, 960), 0, 0, 1280, 960);
  ExpectRect(FitFrame(1920, 1200), 160, 0, 1600, 1200);  // 2 x would fill only 80 %
  // Otherwise the largest 4:3 size, smoothed from the next whole step.
  ExpectRect(FitFrame(1280, 800), 107, 0, 1066, 800);
  ExpectRect(FitFrame(1366, 768), 171, 0, 1024, 768);
  ExpectRect(FitFrame(1600, 900), 200, 0, 1200, 900);
  ExpectRect(FitFrame(1920, 1080), 240, 0, 1440, 1080);  // 2 x would be 88.9 %
  ExpectRect(FitFrame(3840, 2160), 480, 0, 2880, 2160);  // 4 x would be 88.9 %
  ExpectRect(FitFrame(1024, 768), 0, 0, 1024, 768);
  ExpectRect(FitFrame(1328, 1000), 24, 20, 1280, 960);  // 96 %: the whole step
  EXPECT_EQ(SharpStep(FitFrame(1280, 800)), 2);
  EXPECT_EQ(SharpStep(FitFrame(1920, 1080)), 3);
  EXPECT_EQ(SharpStep(FitFrame(3840, 2160)), 5);
  EXPECT_EQ(SharpStep(FitFrame(2560, 1440)), 0);
  EXPECT_EQ(SharpStep(FitFrame(640, 480)), 0);
}

TEST(PresentLayout, SmallerThanTheFrameKeepsTheAspect) {
  ExpectRect(FitFrame(320, 480), 0, 120, 320, 240);  // width decides
  ExpectRect(FitFrame(800, 300), 200, 0, 400, 300);  // height decides
  ExpectRect(FitFrame(0, 480), 0, 0, 0, 0);
}

TEST(PresentLayout, PointerMapsBackToFramePixels) {
  const TFrameRect whole = FitFrame(2560, 1440);  // 3 x at (320, 0)
  int32_t x = -1, y = -1;
  ASSERT_TRUE(MapPointerToFrame(whole, 2560, 1440, 2560, 1440, 320, 0, &x, &y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  ASSERT_TRUE(MapPointerToFrame(whole, 2560, 1440, 2560, 1440, 2239, 1439, &x, &y));
  EXPECT_EQ(x, 639);
  EXPECT_EQ(y, 479);
  ASSERT_TRUE(MapPointerToFrame(whole, 2560, 1440, 2560, 1440, 320 + 3 * 287 + 2, 3 * 447, &x, &y));
  EXPECT_EQ(x, 287);
  EXPECT_EQ(y, 447);
  // The black border is not the game picture.
  EXPECT_FALSE(MapPointerToFrame(whole, 2560, 1440, 2560, 1440, 319, 500, &x, &y));
  EXPECT_FALSE(MapPointerToFrame(whole, 2560, 1440, 2560, 1440, 2240, 500, &x, &y));

  // A smoothed size: every output pixel of the picture maps inside the
  // frame, and the frame pixel drawn at an output pixel is the one found.
  for (const auto& [outW, outH] : {std::pair{1280, 800}, {1366, 768}, {1600, 900}, {1920, 1080}}) {
    const TFrameRect r = FitFrame(outW, outH);
    for (int32_t fx = 0; fx < 640; fx += 71) {
      for (int32_t fy = 0; fy < 480; fy += 53) {
        const TFrameRect cell = FrameAreaOnOutput(r, fx, fy, 1, 1);
        ASSERT_GT(cell.w, 0);
        ASSERT_TRUE(MapPointerToFrame(r, outW, outH, outW, outH, cell.x + cell.w / 2,
                                      cell.y + cell.h / 2, &x, &y));
        EXPECT_EQ(x, fx) << outW << "x" << outH;
        EXPECT_EQ(y, fy) << outW << "x" << outH;
      }
    }
    EXPECT_FALSE(MapPointerToFrame(r, outW, outH, outW, outH, r.x - 1, 10, &x, &y));
    EXPECT_FALSE(MapPointerToFrame(r, outW, outH, outW, outH, r.x + r.w, 10, &x, &y));
  }
}

TEST(PresentLayout, WindowedPointerIsUnchangedAndHighDensityScales) {
  int32_t x = -1, y = -1;
  ASSERT_TRUE(MapPointerToFrame(FitFrame(640, 480), 640, 480, 640, 480, 451, 19, &x, &y));
  EXPECT_EQ(x, 451);
  EXPECT_EQ(y, 19);
  // A 640 x 480 window drawn with twice as many pixels.
  ASSERT_TRUE(MapPointerToFrame(FitFrame(1280, 960), 640, 480, 1280, 960, 451, 19, &x, &y));
  EXPECT_EQ(x, 451);
  EXPECT_EQ(y, 19);
}

}  // namespace

TEST(PresentLayout, StartWindowScaleFitsTwoThirdsOfTheDesktopOrThePlayersChoice) {
  // No choice: two thirds of the desktop's height.
  EXPECT_EQ(StartWindowScale(0, 768, 1024, 740), 1);
  EXPECT_EQ(StartWindowScale(0, 1080, 1920, 1050), 1);
  EXPECT_EQ(StartWindowScale(0, 1440, 2560, 1400), 2);
  EXPECT_EQ(StartWindowScale(0, 2160, 3840, 2100), 3);
  EXPECT_EQ(StartWindowScale(0, 600, 800, 580), 1);  // never below 1
  // The player's choice, as large as the usable area allows.
  EXPECT_EQ(StartWindowScale(2, 1080, 1920, 1050), 2);
  EXPECT_EQ(StartWindowScale(4, 1080, 1920, 1050), 2);
  EXPECT_EQ(StartWindowScale(4, 2160, 3840, 2160), 4);
  EXPECT_EQ(StartWindowScale(3, 768, 1024, 740), 1);
}

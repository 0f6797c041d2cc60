// Placing the 640 x 480 frame in the window and mapping the pointer back.
#include "platform/present_layout.h"

#include <gtest/gtest.h>

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

TEST(PresentLayout, FullScreenUsesTheLargestWholeFactorCentred) {
  ExpectRect(FitFrame(1920, 1080), 320, 60, 1280, 960);    // factor 2
  ExpectRect(FitFrame(1024, 768), 192, 144, 640, 480);     // 1.6 fits, so factor 1
  ExpectRect(FitFrame(2560, 1440), 320, 0, 1920, 1440);    // factor 3
  ExpectRect(FitFrame(3840, 2160), 640, 120, 2560, 1920);  // factor 4
  ExpectRect(FitFrame(1280, 960), 0, 0, 1280, 960);
}

TEST(PresentLayout, SmallerThanTheFrameKeepsTheAspect) {
  ExpectRect(FitFrame(320, 480), 0, 120, 320, 240);  // width decides
  ExpectRect(FitFrame(800, 300), 200, 0, 400, 300);  // height decides
  ExpectRect(FitFrame(0, 480), 0, 0, 0, 0);
}

TEST(PresentLayout, PointerMapsBackToFramePixels) {
  const TFrameRect full = FitFrame(1920, 1080);
  int32_t x = -1, y = -1;
  ASSERT_TRUE(MapPointerToFrame(full, 1920, 1080, 1920, 1080, 320, 60, &x, &y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  ASSERT_TRUE(MapPointerToFrame(full, 1920, 1080, 1920, 1080, 1599, 1019, &x, &y));
  EXPECT_EQ(x, 639);
  EXPECT_EQ(y, 479);
  ASSERT_TRUE(MapPointerToFrame(full, 1920, 1080, 1920, 1080, 320 + 2 * 287, 60 + 2 * 447, &x, &y));
  EXPECT_EQ(x, 287);
  EXPECT_EQ(y, 447);
  // The black border is not the game picture.
  EXPECT_FALSE(MapPointerToFrame(full, 1920, 1080, 1920, 1080, 319, 500, &x, &y));
  EXPECT_FALSE(MapPointerToFrame(full, 1920, 1080, 1920, 1080, 1600, 500, &x, &y));
  EXPECT_FALSE(MapPointerToFrame(full, 1920, 1080, 1920, 1080, 700, 59, &x, &y));
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

// Whole scene frames: title, slide, play and game over.
#include <gtest/gtest.h>

#include <cstring>

#include "scene_fixture.h"

namespace {

TEST_F(SceneTest, TitleSceneLayout) {
  const TBitmap& s = form.screenBmp;
  form.menuChoice = 2;
  form.bestScore = 765;
  form.DrawTitleScene();
  EXPECT_EQ(Px(s, 10, 10), PictureColour(10, 10));
  EXPECT_EQ(Px(s, 5, 196 + 5), PictureColour(5, 480 + 224 + 5));  // menu strip 2
  EXPECT_EQ(Px(s, 639, 307), PictureColour(639, 480 + 224 + 111));
  EXPECT_EQ(Px(s, 639, 308), PictureColour(639, 308));
  EXPECT_EQ(Px(s, 280, 16), kLabelColour);
  EXPECT_EQ(Px(s, 375, 16), kLabelColour);
  EXPECT_EQ(Px(s, 376, 16), PictureColour(376, 16));
  EXPECT_EQ(Px(s, 210 + 160 + 16, 34 + 16), BigDigit(7));  // "00000765"
  EXPECT_EQ(Px(s, 210 + 224 + 16, 34 + 16), BigDigit(5));
}

TEST_F(SceneTest, TitleSparklesDrawRandomNumbersEvenWithEffectsOff) {
  TMainForm& want = Oracle();
  form.showEffects = false;
  for (int frame = 0; frame < 300; frame++) {
    form.DrawTitleScene();
    if (want.RandomBelow(8) == 1) {
      want.RandomBelow(5);
      want.RandomBelow(10);
    }
    ASSERT_EQ(form.mtDraws, want.mtDraws) << frame;
  }
  EXPECT_GT(form.mtDraws, 300u);
  for (const TEffect& e : form.effects) EXPECT_EQ(e.kind, 0);
}

TEST_F(SceneTest, TitleSlideSwingsTheBandsAndEndsOnItsSixtyFirstFrame) {
  const TBitmap& s = form.screenBmp;
  form.scene = kSceneTitleSlide;
  form.titleSlide = 0;
  form.menuChoice = 1;
  for (int frame = 1; frame <= 61; frame++) {
    form.DrawTitleSlide();
    EXPECT_EQ(form.titleSlide, 10 * frame);
    EXPECT_EQ(form.scene, frame < 61 ? kSceneTitleSlide : kSceneNewGame) << frame;
    if (frame == 1) {  // s = 10, d = 10
      EXPECT_EQ(Px(s, 0, 5), PictureColour(10, 5));
      EXPECT_EQ(Px(s, 20, 150), PictureColour(10, 150));
      EXPECT_EQ(Px(s, 15, 250), PictureColour(5, 480 + 112 + 54));  // strip moved right
      EXPECT_EQ(Px(s, 5, 250), 0u);
      EXPECT_EQ(Px(s, 5, 320), PictureColour(5, 310));  // lower band moved down
    }
    if (frame == 30) {  // s = 300, d = -297
      EXPECT_EQ(Px(s, 297, 5), PictureColour(0, 5));
      EXPECT_EQ(Px(s, 296, 5), 0u);
      EXPECT_EQ(Px(s, 0, 150), PictureColour(297, 150));
      EXPECT_EQ(Px(s, 343, 150), 0u);
      EXPECT_EQ(Px(s, 210 + 16, 31 + 16), BigDigit(0));  // best score rose 3 pixels
    }
  }
}

TEST_F(SceneTest, PlayBackgroundShakesSeventeenFramesLeavingStrips) {
  const TBitmap& s = form.screenBmp;
  TMainForm& want = Oracle();
  for (int y = 0; y < 480; y++)
    for (int x = 0; x < 640; x++) SetPx(form.bgCacheBmp, x, y, PictureColour(x, y));
  form.bgFade = 0;
  for (int frame = 1; frame <= 18; frame++) {
    FillAll(form.screenBmp, kScreenBack);  // stands for the last frame's pixels
    form.DrawPlayFrame();
    int a = 0, b = 0;
    if (frame <= 17) {
      a = want.RandomBelow(16 - frame);
      b = want.RandomBelow(16 - frame);
    }
    want.RandomBelow(0);  // the level number's jitter
    want.RandomBelow(0);
    ASSERT_EQ(form.mtDraws, want.mtDraws) << frame;
    EXPECT_EQ(Px(s, b + 5, 300), PictureColour(5, 300 - a)) << frame;
    EXPECT_EQ(Px(s, 300, a), PictureColour(300 - b, 0)) << frame;
    if (b > 0) {
      EXPECT_EQ(Px(s, b - 1, 300), kScreenBack) << frame;
    }
    if (a > 0) {
      EXPECT_EQ(Px(s, 300, a - 1), kScreenBack) << frame;
    }
  }
  EXPECT_EQ(form.bgFade, 17);
}

TEST_F(SceneTest, PlayFrameLayersWithoutBackground) {
  const TBitmap& s = form.screenBmp;
  form.showBackground = false;
  form.gauge = 10;
  form.pieces[0][0][1].filled = 1;
  form.cursorShown = 1;
  form.cursorX = 5;
  form.cursorY = 6;
  form.previewX = form.previewY = -1;
  form.effects[0] = TEffect{1, 33, 100, 158, 0, 0};  // in front of the board
  form.level = 1;
  form.DrawPlayFrame();
  EXPECT_EQ(Px(s, 10, 300), 0u);                         // black, no background
  EXPECT_EQ(Px(s, 40, 40), ItemColour(0, 0));            // board
  EXPECT_EQ(Px(s, 304 + 8, 192 + 8), ItemColour(1, 1));  // slot 1
  EXPECT_EQ(Px(s, 42, 450), GaugeColour(10));            // gauge
  EXPECT_EQ(Px(s, 43, 450), 0u);
  EXPECT_EQ(Px(s, 33, 88), BlendPx(kDot1Colour, ItemColour(0, 0), 5));  // effect over board
  // The preview over empty cells: code 10, opaque.
  EXPECT_EQ(Px(s, 32 + 80, 32 + 96), ItemColour(0, 10));
  EXPECT_EQ(Px(s, 32 + 80 + 63, 32 + 96 + 63), ItemColour(0, 10));
  EXPECT_NE(host.Events().find("sound 6"), std::string::npos);
}

TEST_F(SceneTest, GameOverFrameShowsLabelsButNoGaugeOrPreview) {
  const TBitmap& s = form.screenBmp;
  form.scene = kSceneGameOver;
  form.gauge = 100;
  form.cursorShown = 1;
  form.cursorX = 5;
  form.cursorY = 6;
  form.DrawGameOverFrame();
  EXPECT_EQ(Px(s, 80, 64), kLabelColour);
  EXPECT_EQ(Px(s, 159, 79), kLabelColour);
  EXPECT_EQ(Px(s, 160, 64), kLabelColour);
  EXPECT_EQ(Px(s, 239, 79), kLabelColour);
  EXPECT_EQ(Px(s, 240, 79), ItemColour(0, 0));
  EXPECT_EQ(Px(s, 40, 455), 0u);
  EXPECT_EQ(Px(s, 32 + 80 + 8, 32 + 96 + 8), ItemColour(0, 0));
  EXPECT_EQ(Px(s, 10, 300), 0u);
}

TEST_F(SceneTest, ComposeBackgroundCopiesOneBand) {
  form.ComposeBackground(3);
  EXPECT_EQ(Px(form.bgCacheBmp, 7, 9), PictureColour(7, 969));
  EXPECT_EQ(Px(form.bgCacheBmp, 639, 479), PictureColour(639, 1439));
  const TBitmap before = form.bgCacheBmp;
  form.ComposeBackground(0);
  form.ComposeBackground(6);
  EXPECT_EQ(std::memcmp(before.Data(), form.bgCacheBmp.Data(), before.ByteSize()), 0);
}

}  // namespace

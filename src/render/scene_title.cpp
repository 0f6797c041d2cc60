// The title screen and the slide that carries it away when a mode is chosen.
#include <cmath>

#include "app/main.h"
#include "render/blit.h"
#include "render/sheet_regions.h"

namespace {
constexpr int32_t kSlideStep = 10;
constexpr int32_t kSlideEnd = 600;
}  // namespace

void TMainForm::DrawTitleScene() {
  using namespace layout;
  BlitOpaque(0, 0, sheet::kTitlePicture, screenBmp, titleBmp);
  BlitOpaque(0, sheet::kMenuStripY, sheet::MenuStrip(menuChoice), screenBmp, titleBmp);
  // Sparkles over the logo. The numbers are drawn even with effects off.
  if (RandomBelow(8) == 1) {
    const int32_t r = RandomBelow(5);
    const int32_t q = RandomBelow(10);
    SpawnEffects(14 + q, 5 + r, 2);
  }
  DrawEffects();
  BlitOpaque(kTitleLabelX, kTitleLabelY, sheet::kTitleLabel, screenBmp, labelBmp);
  DrawNumber8(kTitleBestX, kTitleBestY, bestScore);
}

void TMainForm::DrawTitleSlide() {
  using namespace layout;
  titleSlide += kSlideStep;
  const int32_t s = titleSlide;
  FillBlack(screenBmp);
  BlitOpaque(s, sheet::kMenuStripY, sheet::MenuStrip(menuChoice), screenBmp, titleBmp);
  // The two upper bands swing sideways in opposite directions while the
  // lower one slides down.
  const int32_t d = static_cast<int32_t>(std::nearbyint(std::cos(s / 100.0) * s));
  BlitOpaque(-d, 0, sheet::kSlideTopBand, screenBmp, titleBmp);
  BlitOpaque(d, 112, sheet::kSlideMiddleBand, screenBmp, titleBmp);
  BlitOpaque(0, s + 300, sheet::kSlideBottomBand, screenBmp, titleBmp);
  DrawEffects();
  BlitOpaque(kTitleLabelX, kTitleLabelY, sheet::kTitleLabel, screenBmp, labelBmp);
  DrawNumber8(kTitleBestX, kTitleBestY - s / 100, bestScore);
  if (titleSlide > kSlideEnd) scene = kSceneNewGame;
}

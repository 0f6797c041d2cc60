// The panel right of the well: top-bar buttons, scores, level or versus
// markers, the clearing count, the frame rate and the bonus popup.
//
// The jitter of the level number and of the versus markers draws from the
// game's random generator, so the order of the calls below is part of the
// game: in every pair the vertical offset is drawn first.
#include <algorithm>

#include "app/main.h"
#include "render/blit.h"
#include "render/sheet_regions.h"

namespace {
constexpr int32_t kVersusFrames = 10800;
constexpr int32_t kLeaderShakeStart = 32;
constexpr int32_t kLeaderSparkleEvery = 12;
constexpr int32_t kPanelColumn = 24;  // board column of the panel, for sparkles
constexpr int32_t kSide1SparkleRow = 6;
constexpr int32_t kSide2SparkleRow = 12;
constexpr int32_t kPopupFadeFrames = 32;
}  // namespace

void TMainForm::DrawScorePanel() {
  using namespace layout;
  BlitKeyed(kRestartButtonX, 0, sheet::kRestartButton, screenBmp, infoBmp);
  BlitKeyed(kTitleButtonX, 0, sheet::kTitleButton, screenBmp, infoBmp);
  BlitKeyed(kFullScreenButtonX, 0, sheet::kFullScreenButton, screenBmp, infoBmp);

  DrawNumber8(kNumberX, kScoreY, score);

  if (versusMode == 1) {
    DrawNumber8(kNumberX, kSecondRowY, score2);
    DrawNumber8(kNumberX, kThirdRowY, std::max(0, kVersusFrames - versusFrames));

    levelShake = std::max(0, levelShake - 1);
    {
      const int32_t a = RandomBelow(levelShake);
      const int32_t b = RandomBelow(levelShake);
      const int32_t side = turnSide == 1 ? kMarkerSide2Y : kMarkerSide1Y;
      BlitKeyed(kTurnMarkerX + b, side + a, sheet::kTurnMarker, screenBmp, itemBmp);
    }

    // The leading side's marker; equal scores show none.
    int32_t leader = 0;
    if (score > score2) leader = 1;
    if (score2 > score) leader = 2;
    if (leader != 0) {
      if (leaderShown != leader) leaderShake = kLeaderShakeStart;
      leaderShake = std::max(0, leaderShake - 1);
      const int32_t a = RandomBelow(leaderShake);
      const int32_t b = RandomBelow(leaderShake);
      const int32_t side = leader == 1 ? kMarkerSide1Y : kMarkerSide2Y;
      BlitKeyed(kLeaderMarkerX + b, side + a, sheet::kLeaderMarker, screenBmp, itemBmp);
      leaderShown = leader;
      // At game over the winner's marker sparkles whenever it has calmed down.
      if (scene == kSceneGameOver && leaderShake == 0) {
        SpawnEffects(kPanelColumn, leader == 1 ? kSide1SparkleRow : kSide2SparkleRow, 2);
        leaderShake = kLeaderSparkleEvery;
      }
    }
  } else {
    levelShake = std::max(0, levelShake - 1);
    const int32_t a = RandomBelow(levelShake);
    const int32_t b = RandomBelow(levelShake);
    DrawNumber8(kNumberX + b, kSecondRowY + a, level);
    DrawNumber8(kNumberX, kThirdRowY, bestScore);
  }

  if (clearingShown < clearingCount) clearingShown += 1;
  if (clearingShown > clearingCount) clearingShown -= 1;
  DrawNumber8(kNumberX, kClearingY, clearingShown);

  DrawNumber2(kFrameRateX, kFrameRateY, framesLastSecond);

  // The bonus popup stands still and opaque, then slides right and fades.
  if (bonusTimer >= 1) {
    bonusTimer -= 1;
    const int32_t n = bonusTimer;
    const int32_t slide = n <= kPopupFadeFrames ? 16 - n / 2 : 0;
    const int32_t fade = n >= kPopupFadeFrames ? 0 : 255 - 8 * n;
    DrawSmallNumber(boardLeft + 208 + slide, boardTop + 16 * bonusRow + 4, bonusValue, fade);
  }
}

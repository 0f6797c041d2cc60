// The frame loop: one frame whenever 16 ms have passed, the frame-rate count,
// and the scene dispatch.
#include <cstdio>

#include "app/main.h"

void TMainForm::IdleFrame(uint32_t now) {
  if (!loopRunning) return;
  // Unsigned 32-bit comparison, as the millisecond clock wraps.
  if (now < lastFrameTick + 16u) return;
  lastFrameTick = host.Clock();  // read again: no catch-up after a stall
  frameActive = true;
  try {
    if (lastFrameTick > secondStartTick + 1000u) {
      framesLastSecond = framesThisSecond;
      framesThisSecond = 1;
      secondStartTick = lastFrameTick;
      if (scene == kScenePlay) {
        fpsSum += framesLastSecond;
        fpsSamples += 1;
        if (fpsSum > 65000) {
          fpsSum = framesLastSecond;
          fpsSamples = 1;
        }
      }
    } else {
      framesThisSecond += 1;
    }

    // At most two handlers run: a one-shot request, then the play frame.
    while (frameActive) {
      if (errorCode > 0) break;
      if (scene == kSceneTitle) {
        DrawTitleScene();
        break;
      }
      if (scene == kSceneTitleSlide) {
        DrawTitleSlide();
        break;
      }
      if (scene == kSceneNewGame) {
        NewGame();
        PlayFrame();
        break;
      }
      if (scene == kScenePlay) {
        PlayFrame();
        break;
      }
      if (scene == kSceneRequestPlace) {
        PlacePiece();
        continue;
      }
      if (scene == kSceneRequestInvert) {
        InvertPiece();
        continue;
      }
      if (scene == kSceneGameOver) DrawGameOverFrame();
      break;
    }

    host.PresentFrame(screenBmp);

    if (errorCode > 0) {
      loopRunning = false;
      frameActive = false;
      char text[64];
      std::snprintf(text, sizeof text, "エラー : Code%d", static_cast<int>(errorCode));
      host.ShowWarning(text);
    }
  } catch (...) {
    loopRunning = false;
    frameActive = false;
    throw;
  }
}

uint32_t TMainForm::MsToNextFrame(uint32_t now) const {
  if (!loopRunning) return 16;
  // IdleFrame's own test, to the millisecond.
  if (!(now < lastFrameTick + 16u)) return 0;
  const uint32_t wait = lastFrameTick + 16u - now;
  return wait < 16u ? wait : 16u;
}

void TMainForm::EndGame() {
  scene = kSceneGameOver;
  MakeScoreSignature();
  SaveBestScore();
  ChangeMusic(3, 3, "system/nil.ogg");
}

// The game object's score actions: the best-score save and the score
// signature shown at game over.
#include "app/main.h"
#include "score/score_signature.h"

void TMainForm::SaveBestScore() {
  host.SaveBestScore(bestScore);
}

void TMainForm::MakeScoreSignature() {
  // Versus games are not signed: the widgets stay hidden.
  if (versusMode != 0) return;

  // Average frames per second over the game, plus one. A game that never
  // took a sample counts as 0 frames per second rather than dividing by zero.
  const int32_t avg = (fpsSamples > 0 ? fpsSum / fpsSamples : 0) + 1;

  char dateTime[15] = {};
  host.LocalTimeText(dateTime);
  char text[64];
  const int len = MakeScoreText(text, sizeof text, dateTime, score, level, avg);
  char signature[33];
  SignScoreText(text, static_cast<size_t>(len), signature);
  host.ShowScoreWidgets(text, signature);
}

#include "replay/replay_host.h"

#include <cstdio>

#include "score/best_score_file.h"

int32_t TReplayHost::LoadBestScore() {
  return inner_ ? inner_->LoadBestScore() : kDefaultBestScore;
}
bool TReplayHost::LoadVorbisLibrary() {
  return inner_ ? inner_->LoadVorbisLibrary() : true;
}
void TReplayHost::CreateSound() {
  if (inner_) inner_->CreateSound();
}
bool TReplayHost::LoadEffect(const char* relPath, int n) {
  return inner_ ? inner_->LoadEffect(relPath, n) : true;
}
bool TReplayHost::LoadPicture(const char* relPath, TBitmap& into) {
  // Headless, the sheets stay empty: the pixels decide nothing in a game.
  return inner_ ? inner_->LoadPicture(relPath, into) : true;
}
void TReplayHost::PlayEffect(int request, int channel) {
  if (inner_) inner_->PlayEffect(request, channel);
}
void TReplayHost::PlayEffectChannel9() {
  if (inner_) inner_->PlayEffectChannel9();
}
void TReplayHost::ResetMusic() {
  if (inner_) inner_->ResetMusic();
}
bool TReplayHost::ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath,
                              bool musicOnSlotB) {
  if (inner_) inner_->ChangeMusic(fadeOutSeconds, fadeInSeconds, relPath, musicOnSlotB);
  if (musicNext_ >= music_.size()) return false;
  return music_[musicNext_++] != 0;
}
void TReplayHost::LocalTimeText(char out[15]) {
  std::snprintf(out, 15, "%.14s", localTime);
}
void TReplayHost::ShowScoreWidgets(const char* text, const char* md5Hex) {
  scoreShown = true;
  std::snprintf(scoreText, sizeof scoreText, "%s", text);
  std::snprintf(signature, sizeof signature, "%s", md5Hex);
  if (inner_) inner_->ShowScoreWidgets(text, md5Hex);
}
void TReplayHost::HideScoreWidgets() {
  scoreShown = false;
  if (inner_) inner_->HideScoreWidgets();
}
void TReplayHost::ShowWarning(const char* text) {
  if (inner_) inner_->ShowWarning(text);
}
void TReplayHost::PresentFrame(const TBitmap& screen) {
  if (inner_ && presentFrames) inner_->PresentFrame(screen);
}

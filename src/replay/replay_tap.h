// A host that passes every call on to the real one and tells the replay
// recorder what the game learnt from outside: each music change's result,
// the local time of the score text, and the score text and signature shown.
#pragma once

#include "app/game_host.h"
#include "replay/replay_recorder.h"

class TReplayTapHost : public TGameHost {
 public:
  TReplayTapHost(TGameHost& inner, TReplayRecorder& recorder) : inner_(inner), rec_(recorder) {}

  int32_t LoadBestScore() override { return inner_.LoadBestScore(); }
  bool LoadVorbisLibrary() override { return inner_.LoadVorbisLibrary(); }
  void CreateSound() override { inner_.CreateSound(); }
  bool LoadEffect(const char* relPath, int n) override { return inner_.LoadEffect(relPath, n); }
  bool LoadPicture(const char* relPath, TBitmap& into) override {
    return inner_.LoadPicture(relPath, into);
  }
  uint32_t Clock() override { return inner_.Clock(); }
  void PlayEffect(int request, int channel) override { inner_.PlayEffect(request, channel); }
  void PlayEffectChannel9() override { inner_.PlayEffectChannel9(); }
  void ResetMusic() override { inner_.ResetMusic(); }
  bool ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath,
                   bool musicOnSlotB) override {
    const bool ok = inner_.ChangeMusic(fadeOutSeconds, fadeInSeconds, relPath, musicOnSlotB);
    rec_.OnMusicResult(ok);
    return ok;
  }
  void SaveBestScore(int32_t value) override { inner_.SaveBestScore(value); }
  void LocalTimeText(char out[15]) override {
    inner_.LocalTimeText(out);
    rec_.OnLocalTime(out);
  }
  void ShowScoreWidgets(const char* scoreText, const char* md5Hex) override {
    rec_.OnScoreShown(scoreText, md5Hex);
    inner_.ShowScoreWidgets(scoreText, md5Hex);
  }
  void HideScoreWidgets() override { inner_.HideScoreWidgets(); }
  void ToggleFullScreen() override { inner_.ToggleFullScreen(); }
  void CloseWindow() override { inner_.CloseWindow(); }
  void ShowWarning(const char* text) override { inner_.ShowWarning(text); }
  void PresentFrame(const TBitmap& screen) override { inner_.PresentFrame(screen); }

 private:
  TGameHost& inner_;
  TReplayRecorder& rec_;
};

// The host a replayed game runs on. The clock, the local time and the music
// results come from the replay; nothing is saved. Alone it plays and shows
// nothing (the headless check); with an inner host (the window, while
// watching) sounds, music, pictures, the frame and the score widgets are
// passed on to it.
#pragma once

#include <cstdint>
#include <span>

#include "app/game_host.h"

class TReplayHost : public TGameHost {
 public:
  // inner: the host to pass sound and pictures on to, or null.
  explicit TReplayHost(TGameHost* inner = nullptr) : inner_(inner) {}

  // What the replay says the game saw.
  uint32_t clock = 0;
  char localTime[15] = "00000000000000";
  // The recorded music results, taken in order; once they run out a change
  // counts as failed (the replay then no longer matches).
  void SetMusicResults(std::span<const uint8_t> results) {
    music_ = results;
    musicNext_ = 0;
  }
  bool MusicResultsLeft() const { return musicNext_ < music_.size(); }

  // The score widgets as the game last set them.
  bool scoreShown = false;
  char scoreText[40] = "-";
  char signature[40] = "-";
  bool closeAsked = false;
  // False: frames are not passed on to the inner host (a viewer catching
  // up shows only the last of several frames run at once).
  bool presentFrames = true;

  int32_t LoadBestScore() override;
  bool LoadVorbisLibrary() override;
  void CreateSound() override;
  bool LoadEffect(const char* relPath, int n) override;
  bool LoadPicture(const char* relPath, TBitmap& into) override;
  uint32_t Clock() override { return clock; }
  void PlayEffect(int request, int channel) override;
  void PlayEffectChannel9() override;
  void ResetMusic() override;
  bool ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath,
                   bool musicOnSlotB) override;
  void SaveBestScore(int32_t) override {}
  void LocalTimeText(char out[15]) override;
  void ShowScoreWidgets(const char* scoreText, const char* md5Hex) override;
  void HideScoreWidgets() override;
  void ToggleFullScreen() override {}
  void CloseWindow() override { closeAsked = true; }
  void ShowWarning(const char* text) override;
  void PresentFrame(const TBitmap& screen) override;

 private:
  TGameHost* inner_;
  std::span<const uint8_t> music_;
  size_t musicNext_ = 0;
};

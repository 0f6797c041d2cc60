// The host a match's game runs on: the clock, the music results and the
// local time come from the match, so both machines' games read the same
// values; everything else (sounds, pictures, the frame) is passed on to the
// real host. Best scores are not saved during a match: the dealt state
// carries the host's best score, never the player's own.
#pragma once

#include <cstdint>

#include "app/game_host.h"

// The music files a game may change to, numbered for the match's table of
// results: 0 nil, 1 bgm3m, 2..9 bgm_a_01..08, 10..17 bgm_b_01..08; -1 for
// any other path.
constexpr int kMatchMusicFiles = 18;
int MatchMusicIndex(const char* relPath);
// The relative path of music file n of that table.
void MatchMusicPath(int n, char out[32]);

class TMatchHost : public TGameHost {
 public:
  explicit TMatchHost(TGameHost& inner) : inner_(inner) {}

  // Set by the match before every tick.
  uint32_t clock = 0;
  uint32_t musicResults = 0;  // bit n: what a change to music file n returns
  char localTime[15] = "00000000000000";
  // While false every call goes straight to the inner host (out of a match).
  bool inMatch = false;

  int32_t LoadBestScore() override { return inner_.LoadBestScore(); }
  bool LoadVorbisLibrary() override { return inner_.LoadVorbisLibrary(); }
  void CreateSound() override { inner_.CreateSound(); }
  bool LoadEffect(const char* relPath, int n) override { return inner_.LoadEffect(relPath, n); }
  bool LoadPicture(const char* relPath, TBitmap& into) override {
    return inner_.LoadPicture(relPath, into);
  }
  uint32_t Clock() override { return inMatch ? clock : inner_.Clock(); }
  void PlayEffect(int request, int channel) override { inner_.PlayEffect(request, channel); }
  void PlayEffectChannel9() override { inner_.PlayEffectChannel9(); }
  void ResetMusic() override { inner_.ResetMusic(); }
  bool ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath,
                   bool musicOnSlotB) override;
  void SaveBestScore(int32_t value) override {
    if (!inMatch) inner_.SaveBestScore(value);
  }
  void LocalTimeText(char out[15]) override;
  void ShowScoreWidgets(const char* scoreText, const char* md5Hex) override {
    inner_.ShowScoreWidgets(scoreText, md5Hex);
  }
  void HideScoreWidgets() override { inner_.HideScoreWidgets(); }
  void ToggleFullScreen() override { inner_.ToggleFullScreen(); }
  void CloseWindow() override { inner_.CloseWindow(); }
  void ShowWarning(const char* text) override { inner_.ShowWarning(text); }
  void PresentFrame(const TBitmap& screen) override { inner_.PresentFrame(screen); }

 private:
  TGameHost& inner_;
};

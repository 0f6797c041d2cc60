// A host that plays nothing and writes nothing: it records every call that
// leaves the game as a line of text, in order, for the replay dump and the
// tests. Pictures are read from an assets folder through the picture reader
// it is given (the platform's loader in zazo-replay); it needs no SDL itself.
#pragma once

#include <cstdint>
#include <string>

#include "app/game_host.h"
#include "score/best_score_file.h"

// Reads the picture file at path into `into` (24 bits); false when it is
// missing or unreadable, with a reason in *error when error is not null.
// LoadPictureFile (platform/picture_loader.h) is one.
using TPictureReader = bool (*)(const char* path, TBitmap& into, std::string* error);

class TRecordingHost : public TGameHost {
 public:
  // assetsDir: the folder holding graph/ and system/, ending in '/'.
  // readPicture: how picture files are read; without one every picture is
  // missing (unless readPictures is false).
  explicit TRecordingHost(std::string assetsDir, TPictureReader readPicture = nullptr);

  // Start-up values.
  int32_t bestScoreAtStart = kDefaultBestScore;
  std::string localTime = "20000101000000";
  uint32_t clock = 0;  // the simulated millisecond clock
  // When false, pictures are not read at all and every load "succeeds" with
  // an empty picture (for tests of rules that do not care about pixels).
  bool readPictures = true;

  // Events since the last ClearEvents(), one per line ("sound 3\n", ...).
  const std::string& Events() const { return events_; }
  // Forgets the events and the effect channel counts.
  void ClearEvents();

  bool closed = false;
  bool scoreWidgetsShown = false;
  char scoreText[40] = {};
  char scoreMd5[40] = {};
  int presentCount = 0;
  // How often each sound channel was told to play an effect (0: requests
  // that sound nothing).
  int effectChannelPlays[10] = {};

  int32_t LoadBestScore() override;
  bool LoadVorbisLibrary() override;
  void CreateSound() override;
  bool LoadEffect(const char* relPath, int n) override;
  bool LoadPicture(const char* relPath, TBitmap& into) override;
  uint32_t Clock() override;
  void PlayEffect(int request, int channel) override;
  void PlayEffectChannel9() override;
  void ResetMusic() override;
  bool ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath,
                   bool musicOnSlotB) override;
  void SaveBestScore(int32_t value) override;
  void LocalTimeText(char out[15]) override;
  void ShowScoreWidgets(const char* scoreText, const char* md5Hex) override;
  void HideScoreWidgets() override;
  void ToggleFullScreen() override;
  void CloseWindow() override;
  void ShowWarning(const char* text) override;
  void PresentFrame(const TBitmap& screen) override;

 private:
  void Append(const char* line);
  std::string assetsDir_;
  TPictureReader readPicture_;
  std::string events_;
};

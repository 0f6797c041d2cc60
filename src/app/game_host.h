// The one narrow door through which the game reaches the world outside it.
//
// TMainForm decides everything (rules, drawing, scenes); whenever it wants
// something done that leaves the game -- a sound, a music change, a file, a
// window action, a message box -- it calls this interface. The real program
// implements it over SDL2, the sound device and the music decoders
// (src/platform); zazo-replay and the tests implement it as a recorder.
//
// Every call happens on the game's thread. Paths are relative to the
// program's folder and use '/' ("system/bgm_a_01.ogg", "graph/info.bmp").
#pragma once

#include <cstdint>

class TBitmap;

class TGameHost {
 public:
  virtual ~TGameHost() = default;

  // ---- start-up services (called by FormCreate / LoadAssets) ----

  // The best score from save/score.dat, or 765 (kDefaultBestScore) when there
  // is no file.
  virtual int32_t LoadBestScore() = 0;

  // Loads the Vorbis library binding. When it cannot be loaded the host shows
  // its own warning box and returns false; start-up goes on either way.
  virtual bool LoadVorbisLibrary() = 0;

  // Creates the music player, the two decoders, sets the sound output format
  // and starts the looping music stream on channel 0. Never fails: without a
  // sound device the game simply runs silent.
  virtual void CreateSound() = 0;

  // Loads sound effect n (0..8) from relPath; false when missing or unreadable
  // (the effect is then silent). The result is ignored by start-up.
  virtual bool LoadEffect(const char* relPath, int n) = 0;

  // Reads a picture file into `into`, converted to 24 bits. Returns false when
  // the file is missing or cannot be read; `into` is then left empty.
  virtual bool LoadPicture(const char* relPath, TBitmap& into) = 0;

  // The millisecond clock (unsigned, wraps after 49 days).
  virtual uint32_t Clock() = 0;

  // ---- sound ----

  // Plays once the effect sound that `channel` holds (1..9: channel n + 1
  // holds effect n); channel 0 plays nothing. The game has already decided
  // which effect and channel answer its request (TMainForm::PlayEffect);
  // `request` is the effect number it asked for, which a recorder records as
  // it stands. Called for every request, also those that play nothing.
  virtual void PlayEffect(int request, int channel) = 0;

  // Effect 8 played directly on its channel 9 (versus turn changes).
  virtual void PlayEffectChannel9() = 0;

  // ---- music ----

  // Stops both decoders and loads system/nil.ogg into each, volumes 1.0.
  virtual void ResetMusic() = 0;

  // Replaces the sounding track by relPath: the new track goes to slot 0
  // (decoder A) when musicOnSlotB is true, else to slot 1 (decoder B). Returns
  // true on success; the caller then flips musicOnSlotB.
  virtual bool ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath,
                           bool musicOnSlotB) = 0;

  // ---- scores ----

  // Writes the best score to save/score.dat. A failure is reported by the
  // host on standard error; the game goes on.
  virtual void SaveBestScore(int32_t value) = 0;

  // The local date and time as "yyyymmddhhnnss" plus a terminating NUL.
  virtual void LocalTimeText(char out[15]) = 0;

  // Shows the score signature widgets with their texts / hides them.
  virtual void ShowScoreWidgets(const char* scoreText, const char* md5Hex) = 0;
  virtual void HideScoreWidgets() = 0;

  // ---- window ----

  virtual void ToggleFullScreen() = 0;

  // Closes the window: the program shuts down after the current handler.
  virtual void CloseWindow() = 0;

  // A modal warning box titled "警告" with one OK button (UTF-8 text).
  virtual void ShowWarning(const char* text) = 0;

  // Copies the finished frame to the window (1:1 when windowed).
  virtual void PresentFrame(const TBitmap& screen) = 0;
};

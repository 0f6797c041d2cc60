// settings.toml: reading it without trusting it, and writing it back only
// when the player changes something.
//
//   music_volume = 100        # 0..100, steps of 10
//   effects_volume = 100
//   full_screen = false
//   window_scale = 0          # 0: from the desktop; 1..4
//   background = true         # display toggle 1 at start
//   effects = true            # display toggle 2 at start
//   board = ""                # the score board's address
//   name = ""                 # the player's name
//   [keys]
//   side1_up = "W"            # key positions, named as on a US keyboard
//
// Anything else in the file is kept when it is written again.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "settings/settings.h"

// The most the game reads of the file; a larger file is not read at all.
constexpr size_t kMaxSettingsFileBytes = 64 * 1024;

struct TSettingsRead {
  TSettings settings;
  bool found = false;    // a file (or something else) is at the path
  bool damaged = false;  // some or all of it could not be used
  // What could not be used, one line ("" when nothing).
  std::string problem;
  // The file's text when it parsed (kept keys come from it), else "".
  std::string text;
};

// Reads the settings from `text`: every value that is missing, of the
// wrong type or out of range keeps its default.
TSettingsRead ParseSettings(const std::string& text);

// Reads the file at `path`. Never blocks (a pipe is not read), never reads
// more than kMaxSettingsFileBytes.
TSettingsRead ReadSettingsFile(const std::string& path);

// The file's text for `settings`, with every key of `previous` (the text
// last read, which parsed) that the game does not know kept as it was.
std::string SettingsText(const TSettings& settings, const std::string& previous);

// The settings of one player: read once at start, written when changed.
class TSettingsStore {
 public:
  // folder: where settings.toml lives, ending in '/' ("" : nowhere, the
  // settings are not kept). readyFolder makes the folder before a write.
  TSettingsStore(std::string folder, std::function<bool(const std::string&)> readyFolder);

  // Reads the file. Says on `log` in one line what could not be used, and
  // once when the settings cannot be saved there.
  void Load(std::FILE* log);
  const TSettings& Current() const { return current_; }
  const std::string& Path() const { return path_; }

  // Takes `settings` as the player's; writes the file when they differ
  // from the current ones. A damaged file is first moved aside to
  // settings.toml.broken. False when the file could not be written (said
  // once on `log`).
  bool Change(const TSettings& settings, std::FILE* log);

 private:
  void SayCannotSave(std::FILE* log, const std::string& why);

  std::string folder_;
  std::string path_;
  std::function<bool(const std::string&)> readyFolder_;
  TSettings current_;
  std::string text_;      // the text last read or written
  bool damaged_ = false;  // the file on disk is the damaged one
  bool cannotSaveSaid_ = false;
};

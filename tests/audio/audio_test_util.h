// Shared pieces of the audio tests: a scratch folder with the game's layout,
// the Vorbis binding loaded once, and the expected effect of the volume.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "audio/OggWuvorbisLib.h"
#include "ogg_writer.h"

namespace audiotest {

// A fresh program folder with system/ inside, removed afterwards.
class TScratchDir {
 public:
  TScratchDir() {
    char name[] = "/tmp/zazo-audio-XXXXXX";
    path_ = mkdtemp(name);
    std::filesystem::create_directories(path_ + "/system");
  }
  ~TScratchDir() { std::filesystem::remove_all(path_); }
  // The folder, ending in '/'.
  std::string Dir() const { return path_ + "/"; }
  std::string Put(const std::string& rel, const std::vector<uint8_t>& bytes) const {
    const std::string p = Dir() + rel;
    EXPECT_TRUE(oggtest::WriteFile(p, bytes));
    return p;
  }

 private:
  std::string path_;
};

// Loads the process-wide binding from the system's libvorbisfile.
inline void LoadBinding() {
  if (!VorbisReady()) {
    std::string tried;
    ASSERT_TRUE(LoadVorbisFileDLL("/nonexistent/", &tried));
  }
}

// A decoded sample after the volume at gain g (254 = 1.0).
inline int Scaled(int sample, int gain) {
  int v = sample * gain / 256;
  if (gain > 255) v = v < -32766 ? -32766 : v > 32766 ? 32766 : v;
  return v;
}

}  // namespace audiotest

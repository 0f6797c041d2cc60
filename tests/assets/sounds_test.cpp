// The generated sound effects and music tracks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "assets/asset_reader.h"

namespace {

constexpr int kMinus6dB = 16422;  // -6 dBFS of 16-bit full scale

std::vector<std::string> MusicFiles() {
  std::vector<std::string> files = {"nil.ogg", "bgm3m.ogg"};
  char name[32];
  for (const char* series : {"bgm_a_", "bgm_b_"})
    for (int n = 1; n <= 8; n++) {
      std::snprintf(name, sizeof name, "%s%02d.ogg", series, n);
      files.push_back(name);
    }
  return files;
}

double Rms(const std::vector<int16_t>& s) {
  double sum = 0;
  for (int16_t v : s) sum += static_cast<double>(v) * v;
  return std::sqrt(sum / std::max<size_t>(1, s.size()));
}

}  // namespace

TEST(SoundEffects, NineShortPcmWavesAt44100Hz) {
  for (int n = 0; n <= 8; n++) {
    char name[32];
    std::snprintf(name, sizeof name, "/system/%02d.wav", n);
    Wave w;
    std::string error;
    ASSERT_TRUE(LoadWave(AssetDir() + name, &w, &error)) << error;
    EXPECT_EQ(w.format, 1) << name;
    EXPECT_TRUE(w.channels == 1 || w.channels == 2) << name;
    EXPECT_EQ(w.rate, 44100) << name;
    EXPECT_EQ(w.bits, 16) << name;
    EXPECT_GT(w.frames, 1000u) << name;
    EXPECT_LT(w.frames, 44100u * 2) << name;  // short
    EXPECT_GT(w.peak, 3000) << name;          // audible
    EXPECT_LE(w.peak, kMinus6dB) << name;     // room to mix
  }
}

TEST(Music, EighteenVorbisTracksAt44100HzStereoOfThirtyToNinetySeconds) {
  int withLoops = 0;
  for (const std::string& file : MusicFiles()) {
    Music m;
    std::string error;
    ASSERT_TRUE(LoadMusic(AssetDir() + "/system/" + file, &m, &error)) << file << ": " << error;
    EXPECT_EQ(m.rate, 44100) << file;
    EXPECT_EQ(m.channels, 2) << file;
    EXPECT_GE(m.seconds, 30.0) << file;
    EXPECT_LE(m.seconds, 90.0) << file;
    EXPECT_LE(m.peak, kMinus6dB) << file;
    EXPECT_GT(m.peak, kMinus6dB / 4) << file;
    // Every file carries the header, so a decoder never keeps the loop
    // points of the file it played before.
    EXPECT_TRUE(m.hasHeader) << file;
    for (const LoopEntry& e : m.loops) {
      EXPECT_GE(e.jumpTo, 0.0f) << file;
      EXPECT_LT(e.jumpTo, e.loopAt) << file;
      EXPECT_LT(e.loopAt, m.seconds - 0.5) << file;  // reached before the stream ends
      EXPECT_TRUE(e.repeatCount == -1 || e.repeatCount > 0) << file;
    }
    withLoops += !m.loops.empty();
  }
  EXPECT_GE(withLoops, 3);
}

TEST(Music, TitleAndVersusThemesLoopTheirBodyAfterAnIntro) {
  for (const char* file : {"nil.ogg", "bgm3m.ogg", "bgm_a_01.ogg", "bgm_b_01.ogg"}) {
    Music m;
    std::string error;
    std::string path = AssetDir() + "/system/" + file;
    ASSERT_TRUE(LoadMusic(path, &m, &error)) << error;
    ASSERT_EQ(m.loops.size(), 1u) << file;
    const LoopEntry& e = m.loops[0];
    EXPECT_GT(e.jumpTo, 2.0f) << file;  // an intro played once
    EXPECT_EQ(e.repeatCount, -1) << file;
    // What follows the loop point is what follows the jump target, frame for
    // frame (a jump one frame off would already show here), so the jump is
    // seamless.
    std::vector<int16_t> atLoop, atJump;
    ASSERT_TRUE(DecodeMusicAt(path, e.loopAt, 0.5, &atLoop, &error)) << error;
    ASSERT_TRUE(DecodeMusicAt(path, e.jumpTo, 0.5, &atJump, &error)) << error;
    std::vector<int16_t> diff(atLoop.size());
    for (size_t i = 0; i < diff.size(); i++)
      diff[i] = static_cast<int16_t>((atLoop[i] - atJump[i]) / 2);
    EXPECT_LT(Rms(diff) * 2, Rms(atJump) * 0.1) << file;
    EXPECT_GT(Rms(atJump), 300.0) << file;
  }
}

TEST(AssetBudget, AllPicturesSoundsAndMusicFitInTwentyFiveMegabytes) {
  uintmax_t total = 0;
  for (const char* dir : {"/graph", "/system"})
    for (const auto& entry : std::filesystem::directory_iterator(AssetDir() + dir))
      if (entry.is_regular_file()) total += entry.file_size();
  EXPECT_LE(total, 25u * 1000 * 1000);
}

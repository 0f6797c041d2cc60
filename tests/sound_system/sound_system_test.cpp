// The SDL side: WAV effects brought into the device format, and the sound
// system with a working (dummy) and with a missing audio device.
#include "platform/sound_system.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "audio/audio_engine.h"
#include "audio/audio_test_util.h"
#include "audio/sound_mixer.h"
#include "platform/sdl_sound_device.h"

namespace {
std::vector<uint8_t> Wave(int rate, int channels, const std::vector<int16_t>& samples) {
  auto le32 = [](std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; i++) v.push_back(uint8_t(x >> (8 * i)));
  };
  auto le16 = [](std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
  };
  std::vector<uint8_t> w = {'R', 'I', 'F', 'F'};
  le32(w, uint32_t(36 + samples.size() * 2));
  w.insert(w.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  le32(w, 16);
  le16(w, 1);
  le16(w, uint16_t(channels));
  le32(w, uint32_t(rate));
  le32(w, uint32_t(rate * channels * 2));
  le16(w, uint16_t(channels * 2));
  le16(w, 16);
  w.insert(w.end(), {'d', 'a', 't', 'a'});
  le32(w, uint32_t(samples.size() * 2));
  for (int16_t s : samples) le16(w, uint16_t(s));
  return w;
}

class SoundSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto tune = oggtest::Encode(oggtest::Tune(44100, 2), 2, 44100);
    dir.Put("system/nil.ogg", tune);
    dir.Put("system/bgm_a_01.ogg", tune);
    dir.Put("system/00.wav", Wave(44100, 2, std::vector<int16_t>(2000, 1234)));
  }
  audiotest::TScratchDir dir;
};
}  // namespace

TEST_F(SoundSystemTest, WaveFilesAreConvertedToTheDeviceFormat) {
  TSoundData s;
  std::vector<int16_t> stereo;
  for (int i = 0; i < 500; i++) stereo.insert(stereo.end(), {int16_t(i), int16_t(-i)});
  ASSERT_TRUE(LoadWaveFile(dir.Put("system/a.wav", Wave(44100, 2, stereo)), s));
  EXPECT_EQ(s.samples, stereo);  // already the device format: unchanged

  ASSERT_TRUE(
      LoadWaveFile(dir.Put("system/b.wav", Wave(22050, 1, std::vector<int16_t>(1000, 800))), s));
  EXPECT_NEAR(s.Frames(), 2000, 40);  // twice the frames, on both sides
  EXPECT_EQ(s.samples[1000], s.samples[1001]);
  EXPECT_NEAR(s.samples[1000], 800, 40);

  EXPECT_FALSE(LoadWaveFile(dir.Dir() + "system/none.wav", s));
  EXPECT_FALSE(LoadWaveFile(dir.Put("system/c.wav", std::vector<uint8_t>(100, 'x')), s));
  auto truncated = Wave(44100, 2, std::vector<int16_t>(100, 5));
  truncated.resize(30);
  EXPECT_FALSE(LoadWaveFile(dir.Put("system/d.wav", truncated), s));
}

TEST_F(SoundSystemTest, RunsWithTheDummyDeviceAndShutsDownAfterOneSecond) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  TSoundSystem sound(dir.Dir());
  std::string tried;
  ASSERT_TRUE(sound.LoadVorbisLibrary(&tried));
  testing::internal::CaptureStderr();
  sound.Create();
  sound.ResetMusic();
  EXPECT_TRUE(sound.LoadEffect("system/00.wav", 0));
  EXPECT_FALSE(sound.LoadEffect("system/01.wav", 1));
  sound.PlayEffectChannel(1);
  sound.PlayEffectChannel(9);
  EXPECT_TRUE(sound.ChangeMusic(3, 0, "system/bgm_a_01.ogg", true));
  EXPECT_FALSE(sound.ChangeMusic(3, 3, "system/nothing.ogg", false));
  const auto t0 = std::chrono::steady_clock::now();
  sound.Shutdown();
  const auto took = std::chrono::steady_clock::now() - t0;
  EXPECT_GE(took, std::chrono::milliseconds(1000));
  EXPECT_LT(took, std::chrono::seconds(30));  // the wait ends, however busy the machine
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  sound.Shutdown();  // once only
}

TEST_F(SoundSystemTest, NoDeviceMeansSilenceAndOneLineOnStandardError) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  {
    TSoundSystem sound(dir.Dir());
    std::string tried;
    ASSERT_TRUE(sound.LoadVorbisLibrary(&tried));
    testing::internal::CaptureStderr();
    sound.Create();
    sound.ResetMusic();
    EXPECT_TRUE(sound.LoadEffect("system/00.wav", 0));
    sound.PlayEffectChannel(1);
    // The music objects still work; nothing is heard.
    EXPECT_TRUE(sound.ChangeMusic(0, 0, "system/bgm_a_01.ogg", true));
    sound.PlayEffectChannel9();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("silent"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  }  // the destructor shuts down
  setenv("SDL_AUDIODRIVER", "dummy", 1);
}

TEST_F(SoundSystemTest, ThePathReportedIsTheOneBesideTheProgram) {
  TSoundSystem sound(dir.Dir());
  std::string tried;
  // The system copy is found, but the path reported is always the one
  // beside the program.
  sound.LoadVorbisLibrary(&tried);
  EXPECT_EQ(tried, dir.Dir() + "libvorbisfile.so.3");
}

// Hostile effect files: the strict reader refuses damaged ones, and a file
// whose rate would stretch it into gigabytes is refused before conversion.
TEST_F(SoundSystemTest, HostileWaveFilesAreRefusedAndLeaveTheEffectSilent) {
  TSoundData s;
  // 64 KiB of 16-bit mono at 1 Hz: 18 hours of sound once converted (the
  // conversion buffer alone was 46 GB, and the loader threw bad_alloc).
  auto slow = Wave(1, 1, std::vector<int16_t>(32768, 100));
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(DecodeWave(slow.data(), slow.size(), s));
  EXPECT_TRUE(s.samples.empty());
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(30));
  // Up to kMaxWaveSeconds is an effect; one sample more is not.
  auto longest = Wave(8000, 1, std::vector<int16_t>(8000 * kMaxWaveSeconds, 100));
  EXPECT_TRUE(DecodeWave(longest.data(), longest.size(), s));
  auto tooLong = Wave(8000, 1, std::vector<int16_t>(8000 * kMaxWaveSeconds + 1, 100));
  EXPECT_FALSE(DecodeWave(tooLong.data(), tooLong.size(), s));

  // The data chunk claims more than the file holds.
  auto truncated = Wave(44100, 2, std::vector<int16_t>(400, 5));
  truncated.resize(truncated.size() - 100);
  EXPECT_FALSE(DecodeWave(truncated.data(), truncated.size(), s));
  // The RIFF size ends before the data chunk.
  auto shortRiff = Wave(44100, 2, std::vector<int16_t>(400, 5));
  shortRiff[4] = 20;
  shortRiff[5] = shortRiff[6] = shortRiff[7] = 0;
  EXPECT_FALSE(DecodeWave(shortRiff.data(), shortRiff.size(), s));
  // A data chunk that is not a whole number of blocks.
  auto oddData = Wave(44100, 2, std::vector<int16_t>(400, 5));
  oddData[40] = 3;  // data size 803 bytes
  oddData[41] = 3;
  oddData.resize(oddData.size() - 800 + 771);
  EXPECT_FALSE(DecodeWave(oddData.data(), oddData.size(), s));
  EXPECT_FALSE(DecodeWave(nullptr, 0, s));
  // A 100-byte file whose data chunk claims a gigabyte: SDL allocated the
  // claim before reading it (found by fuzz_wave); refused before SDL now.
  auto claims = Wave(48000, 2, std::vector<int16_t>(28, 7));
  claims[40] = 0xc0, claims[41] = 0x0e, claims[42] = 0x2f, claims[43] = 0x3e;
  EXPECT_FALSE(DecodeWave(claims.data(), claims.size(), s));
  claims[4] = 34, claims[5] = claims[6] = claims[7] = 0;  // RIFF ends inside its header
  EXPECT_FALSE(DecodeWave(claims.data(), claims.size(), s));
  // The same for any chunk before it.
  auto list = Wave(44100, 2, std::vector<int16_t>(8, 7));
  const std::vector<uint8_t> listChunk = {'L', 'I', 'S', 'T', 0xff, 0xff, 0xff, 0x7f, 0, 0};
  list.insert(list.begin() + 36, listChunk.begin(), listChunk.end());
  list[4] += uint8_t(listChunk.size());
  EXPECT_FALSE(DecodeWave(list.data(), list.size(), s));
  list[40] = 2, list[41] = list[42] = list[43] = 0;  // now it holds its two bytes
  EXPECT_TRUE(DecodeWave(list.data(), list.size(), s));

  // An empty data chunk is an empty effect (it copied from a null pointer).
  auto empty = Wave(44100, 2, {});
  EXPECT_TRUE(DecodeWave(empty.data(), empty.size(), s));
  EXPECT_TRUE(s.samples.empty());

  // From memory and from a file the result is the same.
  auto good = Wave(22050, 1, std::vector<int16_t>(1000, 800));
  TSoundData fromFile;
  ASSERT_TRUE(DecodeWave(good.data(), good.size(), s));
  ASSERT_TRUE(LoadWaveFile(dir.Put("system/good.wav", good), fromFile));
  EXPECT_EQ(s.samples, fromFile.samples);

  // Through the engine, a refused file leaves its effect silent.
  TAudioEngine e(dir.Dir());
  e.Create(false);
  dir.Put("system/03.wav", slow);
  dir.Put("system/04.wav", truncated);
  EXPECT_FALSE(e.LoadEffect("system/03.wav", 3, LoadWaveFile));
  EXPECT_FALSE(e.LoadEffect("system/04.wav", 4, LoadWaveFile));
  EXPECT_EQ(e.Effect(3), nullptr);
  EXPECT_EQ(e.Effect(4), nullptr);
  EXPECT_TRUE(e.LoadEffect("system/00.wav", 0, LoadWaveFile));
  EXPECT_NE(e.Effect(0), nullptr);
  e.Shutdown(0);
}

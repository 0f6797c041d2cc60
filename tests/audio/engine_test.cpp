// The game's sound operations: effect channels, ResetMusic and ChangeMusic
// with their slot alternation and failure paths, a missing Vorbis library,
// the whole chain from decoders to the device output, and shutdown.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "audio/audio_engine.h"
#include "audio_test_util.h"

namespace {
constexpr int32_t kHalfFrames = 20480;

// Effect n sounds as a constant of 1000 * (n + 1), 500 frames long.
bool ConstantLoader(const std::string& path, TSoundData& out) {
  const int n = std::stoi(path.substr(path.size() - 6, 2));
  out.samples.assign(1000, int16_t(1000 * (n + 1)));
  return true;
}
bool FailingLoader(const std::string&, TSoundData&) {
  return false;
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto tune = oggtest::Encode(oggtest::Tune(88200, 2), 2, 44100);
    for (const char* name :
         {"system/nil.ogg", "system/bgm_a_01.ogg", "system/bgm_b_01.ogg", "system/bgm3m.ogg"}) {
      dir.Put(name, tune);
    }
    dir.Put("system/junk.ogg", std::vector<uint8_t>(4000, 'j'));
    for (int n = 0; n <= 8; n++) {
      char name[32];
      std::snprintf(name, sizeof name, "system/%02d.wav", n);
      dir.Put(name, {1});
    }
  }
  audiotest::TScratchDir dir;
};

// The level of each effect channel in one mixed frame.
int Heard(TAudioEngine& e) {
  int16_t out[2 * 64];
  e.Mix(out, 64);
  return out[0];
}
}  // namespace

TEST_F(EngineTest, EffectsPlayOnTheirChannels) {
  TAudioEngine e(dir.Dir());
  e.Create(false);
  for (int n = 0; n <= 8; n++) {
    char name[32];
    std::snprintf(name, sizeof name, "system/%02d.wav", n);
    EXPECT_TRUE(e.LoadEffect(name, n, ConstantLoader));
  }
  Heard(e);                // the stream starts: silence
  e.PlayEffectChannel(1);  // effect 0
  EXPECT_EQ(Heard(e), 1000);
  EXPECT_TRUE(e.Mixer().Sounding(1));
  e.Mixer().Stop(1);
  EXPECT_EQ(Heard(e), 0);

  e.PlayEffectChannel(9);  // effect 8
  EXPECT_EQ(Heard(e), 9000);
  EXPECT_TRUE(e.Mixer().Sounding(9));
  e.Mixer().Stop(9);
  Heard(e);

  // Channel 0 is the music stream, not an effect; 10 and -1 do not exist.
  e.PlayEffectChannel(0);
  e.PlayEffectChannel(10);
  e.PlayEffectChannel(-1);
  EXPECT_EQ(Heard(e), 0);

  // Effects on different channels overlap.
  e.PlayEffectChannel(3);
  e.PlayEffectChannel(4);
  EXPECT_EQ(Heard(e), 3000 + 4000);
  e.Shutdown(0);
}

TEST_F(EngineTest, MissingOrUnreadableEffectIsSilent) {
  TAudioEngine e(dir.Dir());
  e.Create(false);
  EXPECT_FALSE(e.LoadEffect("system/99.wav", 3, ConstantLoader));
  EXPECT_EQ(e.Effect(3), nullptr);
  EXPECT_FALSE(e.LoadEffect("system/08.wav", 8, FailingLoader));
  EXPECT_EQ(e.Effect(8), nullptr);
  Heard(e);
  e.PlayEffectChannel(4);  // effect 3 missing
  e.PlayEffectChannel(9);  // effect 8 missing: silent
  EXPECT_EQ(Heard(e), 0);
  // A missing file keeps what the slot held; an unreadable one empties it.
  ASSERT_TRUE(e.LoadEffect("system/04.wav", 4, ConstantLoader));
  EXPECT_FALSE(e.LoadEffect("system/none.wav", 4, ConstantLoader));
  EXPECT_NE(e.Effect(4), nullptr);
  EXPECT_FALSE(e.LoadEffect("system/04.wav", 4, FailingLoader));
  EXPECT_EQ(e.Effect(4), nullptr);
}

TEST_F(EngineTest, ResetMusicLoadsTheTitleTrackIntoBothDecodersStopped) {
  audiotest::LoadBinding();
  TAudioEngine e(dir.Dir());
  e.Create(false);
  e.ResetMusic();
  EXPECT_EQ(e.Player()->Slot(0), e.DecoderA());
  EXPECT_EQ(e.Player()->Slot(1), e.DecoderB());
  for (TOggData* d : {e.DecoderA(), e.DecoderB()}) {
    EXPECT_EQ(d->State(), 1);
    EXPECT_EQ(d->VolumeNow(), TOggData::kUnity);
  }
}

TEST_F(EngineTest, ChangeMusicAlternatesSlotsAndCrossFades) {
  audiotest::LoadBinding();
  TAudioEngine e(dir.Dir());
  e.Create(false);
  e.ResetMusic();
  bool onB = true;
  // Normal game: fade out 3 s, new track at once, into slot 0 (decoder A).
  ASSERT_TRUE(e.ChangeMusic(3, 0, "system/bgm_a_01.ogg", onB));
  onB = !onB;
  EXPECT_EQ(e.DecoderA()->State(), 3);
  EXPECT_EQ(e.DecoderA()->VolumeNow(), TOggData::kUnity);
  EXPECT_EQ(e.DecoderB()->State(), 3);  // the old track sounds while it fades
  EXPECT_EQ(e.DecoderB()->VolumeTarget(), 0);
  EXPECT_EQ(e.DecoderB()->VolumeStep(), -5461);

  // Game over: 3 s cross-fade into slot 1 (decoder B).
  ASSERT_TRUE(e.ChangeMusic(3, 3, "system/nil.ogg", onB));
  onB = !onB;
  EXPECT_TRUE(onB);
  EXPECT_EQ(e.Player()->Slot(1), e.DecoderB());
  EXPECT_EQ(e.DecoderB()->State(), 3);
  EXPECT_EQ(e.DecoderB()->VolumeNow(), 0);
  EXPECT_EQ(e.DecoderB()->VolumeStep(), 5461);
  EXPECT_EQ(e.DecoderA()->VolumeStep(), -5461);

  // Play the cross-fade through: A falls silent and stops itself; B is at 1.0.
  for (int i = 0; i < 8; i++) e.FillMusicBuffer(0, 81920);
  EXPECT_EQ(e.DecoderA()->State(), 1);
  EXPECT_EQ(e.DecoderB()->State(), 3);
  EXPECT_EQ(e.DecoderB()->VolumeNow(), TOggData::kUnity);

  // Versus: no fades; the old slot stops at once.
  ASSERT_TRUE(e.ChangeMusic(0, 0, "system/bgm3m.ogg", onB));
  EXPECT_EQ(e.DecoderB()->State(), 1);
  EXPECT_EQ(e.DecoderA()->State(), 3);
  EXPECT_EQ(e.DecoderA()->VolumeNow(), TOggData::kUnity);
}

TEST_F(EngineTest, QuickSecondChangeCutsTheFirstOnesFade) {
  audiotest::LoadBinding();
  TAudioEngine e(dir.Dir());
  e.Create(false);
  e.ResetMusic();
  ASSERT_TRUE(e.ChangeMusic(3, 3, "system/bgm_a_01.ogg", true));   // into A
  ASSERT_TRUE(e.ChangeMusic(3, 3, "system/bgm_b_01.ogg", false));  // into B: B's fade-out is cut
  EXPECT_EQ(e.DecoderB()->VolumeNow(), 0);
  EXPECT_EQ(e.DecoderB()->VolumeStep(), 5461);
  // A had not risen yet: it fades from 0 to 0 and stops itself at the next half.
  EXPECT_EQ(e.DecoderA()->VolumeTarget(), 0);
  e.FillMusicBuffer(0, 81920);
  EXPECT_EQ(e.DecoderA()->State(), 1);
  EXPECT_EQ(e.DecoderB()->State(), 3);
}

TEST_F(EngineTest, ChangeMusicFailurePaths) {
  audiotest::LoadBinding();
  TAudioEngine e(dir.Dir());
  e.Create(false);
  e.ResetMusic();
  ASSERT_TRUE(e.ChangeMusic(0, 0, "system/bgm_a_01.ogg", true));  // A sounds
  // A missing file: false, and nothing changes.
  EXPECT_FALSE(e.ChangeMusic(3, 3, "system/bgm_a_05.ogg", false));
  EXPECT_EQ(e.DecoderA()->State(), 3);
  EXPECT_EQ(e.DecoderA()->VolumeStep(), 0);
  EXPECT_EQ(e.DecoderB()->State(), 1);
  // Not a Vorbis file: false, after the old track was set fading; the
  // decoder meant for it is left empty.
  EXPECT_FALSE(e.ChangeMusic(3, 3, "system/junk.ogg", false));
  EXPECT_EQ(e.DecoderA()->State(), 3);
  EXPECT_EQ(e.DecoderA()->VolumeStep(), -5461);
  EXPECT_EQ(e.DecoderB()->State(), 0);
  // With no fade-out the old track is stopped: silence.
  EXPECT_FALSE(e.ChangeMusic(0, 0, "system/junk.ogg", false));
  EXPECT_EQ(e.DecoderA()->State(), 1);
  e.FillMusicBuffer(0, 81920);
  const int16_t* h = e.Player()->MixNextHalf();
  for (int i = 0; i < kHalfFrames * 2; i++) ASSERT_EQ(h[i], 0);
}

TEST_F(EngineTest, WithoutTheVorbisLibraryMusicDoesNothing) {
  TAudioEngine e(dir.Dir());
  std::string tried;
  EXPECT_FALSE(e.LoadVorbisLibrary(&tried, "libvorbisfile-none.so.3"));
  EXPECT_EQ(tried, dir.Dir() + "libvorbisfile-none.so.3");
  EXPECT_FALSE(VorbisReady());
  e.Create(false);
  e.ResetMusic();
  EXPECT_EQ(e.DecoderA()->State(), 0);
  EXPECT_EQ(e.Player()->Slot(0), nullptr);
  EXPECT_FALSE(e.ChangeMusic(3, 3, "system/bgm_a_01.ogg", true));
  EXPECT_EQ(e.DecoderA()->State(), 0);
  EXPECT_FALSE(e.DecoderA()->LoadFile(dir.Dir() + "system/nil.ogg"));
  // Effects still play.
  ASSERT_TRUE(e.LoadEffect("system/05.wav", 5, ConstantLoader));
  Heard(e);
  e.PlayEffectChannel(6);
  EXPECT_EQ(Heard(e), 6000);
  e.Shutdown(0);
}

TEST_F(EngineTest, LibraryFromTheProgramFolderComesFirst) {
  // A file of that name beside the program that is no library: the load
  // fails there and falls back to the system's copy.
  dir.Put("libvorbisfile.so.3", {'n', 'o', 't'});
  TAudioEngine e(dir.Dir());
  std::string tried;
  EXPECT_TRUE(e.LoadVorbisLibrary(&tried));
  EXPECT_EQ(tried, dir.Dir() + "libvorbisfile.so.3");
  EXPECT_TRUE(VorbisReady());
}

// The whole chain: decoders -> player -> stream -> device output, with the
// refill thread running, while the game thread changes tracks.
TEST_F(EngineTest, MusicReachesTheDeviceWhileTracksChange) {
  audiotest::LoadBinding();
  TAudioEngine e(dir.Dir());
  e.Create(true);
  e.ResetMusic();
  std::atomic<bool> done{false};
  std::atomic<int64_t> loudFrames{0};
  // The device: pulls 1,024 frames every few milliseconds, never waiting.
  std::thread device([&] {
    int16_t out[2 * 1024];
    while (!done.load()) {
      e.Mix(out, 1024);
      for (int i = 0; i < 1024; i++) loudFrames += std::abs(out[2 * i]) > 500;
      std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
  });
  bool onB = true;
  const char* tracks[] = {"system/bgm_a_01.ogg", "system/nil.ogg",      "system/bgm3m.ogg",
                          "system/missing.ogg",  "system/bgm_b_01.ogg", "system/junk.ogg"};
  for (int round = 0; round < 12; round++) {
    if (e.ChangeMusic(round % 2 ? 3 : 0, round % 3 ? 3 : 0, tracks[round % 6], onB)) onB = !onB;
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
  }
  EXPECT_TRUE(e.ChangeMusic(0, 0, "system/bgm_a_01.ogg", onB));
  for (int i = 0; i < 200 && loudFrames.load() < 20000; i++)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_GE(loudFrames.load(), 20000);
  e.Shutdown(10);
  done = true;
  device.join();
  EXPECT_EQ(e.Stream(), nullptr);
  EXPECT_EQ(e.Player(), nullptr);
  EXPECT_FALSE(VorbisReady());
}

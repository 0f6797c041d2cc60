// The music player's mix, the ten-channel device mixer and the streaming
// buffer's refill protocol against a simulated play position.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "audio/OggDataLib.h"
#include "audio/OggPlayerLib.h"
#include "audio/music_stream.h"
#include "audio/sound_mixer.h"
#include "audio_test_util.h"

namespace {
constexpr int32_t kStaging = 163840;
constexpr int32_t kHalf = 81920;

TSoundData Constant(int frames, int16_t value) {
  TSoundData s;
  s.samples.assign(size_t(frames) * 2, value);
  return s;
}

TSoundData Ramp(int frames) {
  TSoundData s;
  for (int i = 0; i < frames; i++) s.samples.insert(s.samples.end(), {int16_t(i), int16_t(-i)});
  return s;
}
}  // namespace

// ---------------------------------------------------------------------------
// TOggPlayer
// ---------------------------------------------------------------------------

TEST(OggPlayer, SumsAreClampedTo32767NotMinus32768) {
  audiotest::LoadBinding();
  const auto loud = oggtest::Encode(oggtest::Tune(44100, 2, 30000), 2, 44100);
  TOggData a(kStaging), b(kStaging);
  a.OpenMemory(loud);
  b.OpenMemory(loud);
  TOggPlayer player(kStaging, 4);
  player.SetSlot(0, &a);
  player.SetSlot(1, &b);
  player.SetSlotVolume(0, 2.0);
  player.SetSlotVolume(1, 2.0);
  player.PlaySlot(0, true);
  player.PlaySlot(1, true);
  const int16_t* mixed = player.MixNextHalf();
  int top = 0, bottom = 0;
  for (int i = 0; i < kHalf / 2; i++) {
    const int sum = a.LastHalf()[i] + b.LastHalf()[i];
    ASSERT_EQ(mixed[i], sum < -32767 ? -32767 : sum > 32767 ? 32767 : sum) << i;
    top += mixed[i] == 32767;
    bottom += mixed[i] == -32767;
    ASSERT_NE(mixed[i], -32768);
  }
  EXPECT_GT(top, 100);
  EXPECT_GT(bottom, 100);
  // The two halves of the staging memory alternate.
  EXPECT_NE(player.MixNextHalf(), mixed);
  EXPECT_EQ(player.MixNextHalf(), mixed);
}

TEST(OggPlayer, SilentAndStoppedDecodersDropOutOfTheMix) {
  audiotest::LoadBinding();
  const auto ogg = oggtest::Encode(oggtest::Tune(44100, 2), 2, 44100);
  TOggData a(kStaging), b(kStaging);
  a.OpenMemory(ogg);
  b.OpenMemory(ogg);
  TOggPlayer player(kStaging, 4);
  // No slot filled: silence.
  const int16_t* mixed = player.MixNextHalf();
  for (int i = 0; i < kHalf / 2; i++) ASSERT_EQ(mixed[i], 0);
  player.SetSlot(0, &a);
  player.SetSlot(1, &b);
  player.PlaySlot(0, true);  // b loaded but stopped
  mixed = player.MixNextHalf();
  for (int i = 0; i < kHalf / 2; i++) ASSERT_EQ(mixed[i], a.LastHalf()[i]);
}

TEST(OggPlayer, SetSlotMovesADecoderOutOfItsOtherSlot) {
  TOggData a(kStaging), b(kStaging);
  TOggPlayer player(kStaging, 4);
  player.SetSlot(0, &a);
  player.SetSlot(1, &b);
  player.SetSlot(3, &a);
  EXPECT_EQ(player.Slot(0), nullptr);
  EXPECT_EQ(player.Slot(1), &b);
  EXPECT_EQ(player.Slot(3), &a);
  player.SetSlot(7, &a);  // no such slot
  EXPECT_EQ(player.Slot(3), &a);
  player.StopSlot(2);  // empty: nothing
  player.FadeSlot(2, 1.0, 3);
}

// ---------------------------------------------------------------------------
// TSoundMixer
// ---------------------------------------------------------------------------

TEST(SoundMixer, PlayOnceRewindsAndANewRequestCutsTheOld) {
  TSoundMixer mixer;
  TSoundData ramp = Ramp(1000);
  mixer.Attach(1, &ramp);
  int16_t out[2 * 300];
  mixer.Mix(out, 300);  // nothing requested yet
  EXPECT_EQ(out[2 * 299], 0);
  mixer.PlayOnce(1);
  mixer.Mix(out, 300);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[2 * 299], 299);
  EXPECT_EQ(out[2 * 299 + 1], -299);
  mixer.PlayOnce(1);  // again: from the start
  mixer.Mix(out, 300);
  EXPECT_EQ(out[2 * 10], 10);
  mixer.Mix(out, 300);
  EXPECT_EQ(out[0], 300);
  mixer.Mix(out, 300);
  EXPECT_EQ(out[0], 600);
  mixer.Mix(out, 300);  // runs out at 1000 and stays silent
  EXPECT_EQ(out[2 * 99], 999);
  EXPECT_EQ(out[2 * 100], 0);
  EXPECT_FALSE(mixer.Sounding(1));
}

TEST(SoundMixer, LoopingWrapsAndStopStops) {
  TSoundMixer mixer;
  TSoundData ramp = Ramp(100);
  mixer.Attach(4, &ramp);
  mixer.PlayLooping(4);
  int16_t out[2 * 250];
  mixer.Mix(out, 250);
  EXPECT_EQ(out[2 * 99], 99);
  EXPECT_EQ(out[2 * 100], 0);
  EXPECT_EQ(out[2 * 249], 49);
  EXPECT_TRUE(mixer.Sounding(4));
  mixer.Stop(4);
  mixer.Mix(out, 250);
  EXPECT_EQ(out[2 * 10], 0);
  EXPECT_FALSE(mixer.Sounding(4));
}

TEST(SoundMixer, ChannelsAddUpAndSaturate) {
  TSoundMixer mixer;
  TSoundData up = Constant(100, 30000), down = Constant(100, -30000), small = Constant(100, 5);
  mixer.Attach(1, &up);
  mixer.Attach(2, &up);
  mixer.PlayOnce(1);
  mixer.PlayOnce(2);
  int16_t out[2 * 50];
  mixer.Mix(out, 50);
  EXPECT_EQ(out[0], 32767);
  mixer.Attach(1, &down);
  mixer.Attach(2, &down);
  mixer.Attach(3, &small);
  mixer.PlayOnce(1);
  mixer.PlayOnce(2);
  mixer.PlayOnce(3);
  mixer.Mix(out, 50);
  EXPECT_EQ(out[0], -32768);
  mixer.Attach(2, &up);
  mixer.PlayOnce(1);
  mixer.PlayOnce(2);
  mixer.PlayOnce(3);
  mixer.Mix(out, 50);
  EXPECT_EQ(out[0], 5);
  // A channel without a sound plays nothing.
  mixer.Attach(1, nullptr);
  mixer.Attach(2, nullptr);
  mixer.Attach(3, nullptr);
  mixer.PlayOnce(1);
  mixer.Mix(out, 50);
  EXPECT_EQ(out[0], 0);
}

// ---------------------------------------------------------------------------
// TMusicStream: the refill protocol
// ---------------------------------------------------------------------------

namespace {
struct TFillLog {
  int32_t offsets[64];
  std::atomic<int32_t> count{0};
  TMusicStream* stream = nullptr;
  int16_t value = 0;
  static void Fill(void* context, int32_t offset, int32_t length) {
    auto* log = static_cast<TFillLog*>(context);
    log->offsets[log->count++ % 64] = offset;
    EXPECT_EQ(length, kHalf);
    // Each fill writes its own number into the half.
    std::vector<int16_t> half(size_t(length) / 2, ++log->value);
    log->stream->Write(offset, half.data(), length);
  }
};

// Plays `frames` frames through the stream in device-sized pieces, serving
// the refill after each piece as a prompt refill thread would.
std::vector<int16_t> Play(TMusicStream& s, int32_t frames, int32_t piece = 1024) {
  std::vector<int16_t> heard;
  std::vector<int16_t> buf(size_t(piece) * 2);
  for (int32_t done = 0; done < frames; done += piece) {
    s.DeviceRead(buf.data(), piece);
    heard.insert(heard.end(), buf.begin(), buf.end());
    s.ServeEvents(0);
  }
  return heard;
}
}  // namespace

TEST(MusicStream, RefillAlternatesHalvesAheadOfThePlayPosition) {
  TFillLog log;
  TMusicStream s(kStaging, TFillLog::Fill, &log);
  log.stream = &s;
  EXPECT_EQ(s.ServeEvents(0), 0u);  // nothing yet
  s.DeviceStart();
  EXPECT_EQ(s.ServeEvents(0), TMusicStream::kEventA);
  ASSERT_EQ(log.count, 1);
  EXPECT_EQ(log.offsets[0], kHalf);  // playing the first half: refill the second
  // One and a half turns of the buffer.
  const auto heard = Play(s, 3 * 20480);
  ASSERT_EQ(log.count, 4);
  EXPECT_EQ(log.offsets[1], 0);
  EXPECT_EQ(log.offsets[2], kHalf);
  EXPECT_EQ(log.offsets[3], 0);
  // First half: the silence it started with; then fill 1, fill 2.
  EXPECT_EQ(heard[0], 0);
  EXPECT_EQ(heard[2 * 20480 - 1], 0);
  EXPECT_EQ(heard[2 * 20480], 1);
  EXPECT_EQ(heard[2 * 40960 - 1], 1);
  EXPECT_EQ(heard[2 * 40960], 2);
  EXPECT_EQ(s.PlayPosition(), kHalf);
}

TEST(MusicStream, StaleEventsAreIgnoredAndAStopRestartsTheAlternation) {
  TFillLog log;
  TMusicStream s(kStaging, TFillLog::Fill, &log);
  log.stream = &s;
  s.DeviceStart();
  s.ServeEvents(0);  // fills the second half; next is the first
  // The device passes the middle, but the refill thread is late: by the
  // time it looks, playback has wrapped round into the first half again.
  std::vector<int16_t> buf(2 * 1024);
  for (int i = 0; i < 20; i++) s.DeviceRead(buf.data(), 1024);  // 20480 frames: B
  for (int i = 0; i < 21; i++) s.DeviceRead(buf.data(), 1024);  // past byte 0: A
  EXPECT_EQ(s.PlayPosition(), 4096);
  s.ServeEvents(0);  // A and B pending; B sees the write position in the first half
  EXPECT_EQ(log.count, 1);
  // Stop, then play again: the next A refills the second half.
  s.DeviceStop();
  EXPECT_FALSE(s.DevicePlaying());
  s.DeviceStart();
  s.ServeEvents(0);
  ASSERT_EQ(log.count, 2);
  EXPECT_EQ(log.offsets[1], kHalf);
  // A stopped stream is silent.
  s.DeviceStop();
  buf.assign(buf.size(), 7);
  s.DeviceRead(buf.data(), 1024);
  EXPECT_EQ(buf[0], 0);
}

TEST(MusicStream, WriteWrapsRoundTheEnd) {
  TMusicStream s(kStaging, nullptr, nullptr);
  std::vector<int16_t> tail(2048, 9);
  s.Write(kStaging - 2048, tail.data(), 4096);  // 2,048 bytes at the end, 2,048 at the start
  s.DeviceStart();
  std::vector<int16_t> buf(2 * 1024);
  s.DeviceRead(buf.data(), 1024);
  EXPECT_EQ(buf[0], 9);
  EXPECT_EQ(buf[1023], 9);
  EXPECT_EQ(buf[1024], 0);
  EXPECT_EQ(s.ServeEvents(0), TMusicStream::kEventA);
}

TEST(MusicStream, RefillThreadServesEventsAndEndsOnRelease) {
  TFillLog log;
  TMusicStream s(kStaging, TFillLog::Fill, &log);
  log.stream = &s;
  s.StartRefillThread();
  s.DeviceStart();
  // The device never waits: it just reads on; the thread fills behind it.
  std::vector<int16_t> buf(2 * 1024);
  int heardFill = 0;
  for (int i = 0; i < 200 && heardFill == 0; i++) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (s.PlayPosition() < kHalf) {
      s.DeviceRead(buf.data(), 1024);
      if (s.PlayPosition() >= kHalf) {
        // wait for the refill before playing on into the second half
        for (int k = 0; k < 100 && log.count < 2; k++)
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
        s.DeviceRead(buf.data(), 1024);
        heardFill = buf[0];
      }
    }
  }
  EXPECT_EQ(heardFill, 1);
  s.Release();
  EXPECT_EQ(log.count, 2);
}

// A decoding error stops the decoder it happened in; the other slot's track
// plays on and the mix is then that track alone.
TEST(OggPlayer, DecodingErrorInOneSlotLeavesTheOtherPlaying) {
  audiotest::LoadBinding();
  const auto good = oggtest::Encode(oggtest::Tune(88200, 2, 9000, 2), 2, 44100);
  auto broken = oggtest::Encode(oggtest::Tune(176400, 2), 2, 44100);
  for (size_t i = broken.size() / 2; i < broken.size() / 2 + 64; i++) broken[i] ^= 0x5a;
  TOggData a(kStaging), b(kStaging);
  a.OpenMemory(broken);
  b.OpenMemory(good);
  TOggPlayer player(kStaging, 4);
  player.SetSlot(0, &a);
  player.SetSlot(1, &b);
  player.PlaySlot(0, true);
  player.PlaySlot(1, true);
  int halves = 0;
  while (a.Playing() && halves < 16) {
    player.MixNextHalf();
    halves++;
  }
  ASSERT_EQ(a.State(), 1) << "the damaged stream never failed";
  EXPECT_EQ(b.State(), 3);
  const int16_t* mixed = player.MixNextHalf();
  for (int i = 0; i < kHalf / 2; i++) ASSERT_EQ(mixed[i], b.LastHalf()[i]) << i;
  bool sound = false;
  for (int i = 0; i < kHalf / 2 && !sound; i++) sound = mixed[i] != 0;
  EXPECT_TRUE(sound);
}

// The listener's volumes: applied to the summed music and the summed
// effects after the channels are added, before the output saturates.
TEST(SoundMixer, OutputGainsScaleMusicAndEffectsApartAndFullIsThePlainSum) {
  TSoundMixer mixer;
  TMusicStream stream(
      kStaging, [](void*, int32_t, int32_t) {}, nullptr);
  std::vector<int16_t> music(size_t(kStaging) / 2, 1000);
  stream.Write(0, music.data(), kStaging);
  mixer.AttachStream(&stream);
  mixer.PlayLooping(0);
  TSoundData effect = Constant(1000, 20000), second = Constant(1000, 20000);
  mixer.Attach(1, &effect);
  mixer.Attach(2, &second);
  auto mix = [&](int32_t musicPercent, int32_t effectsPercent) {
    mixer.SetOutputGains(musicPercent, effectsPercent);
    mixer.PlayOnce(1);
    mixer.PlayOnce(2);
    int16_t out[2 * 10];
    mixer.Mix(out, 10);
    return out[0];
  };
  EXPECT_EQ(mix(100, 100), 32767);  // 1000 + 40000, saturated as ever
  EXPECT_EQ(mix(100, 0), 1000);
  EXPECT_EQ(mix(50, 0), 500);
  EXPECT_EQ(mix(0, 50), 20000);  // the effects' sum halved, then saturated
  EXPECT_EQ(mix(30, 10), 300 + 4000);
  EXPECT_EQ(mix(0, 0), 0);
  EXPECT_EQ(mix(150, -5), 1000);  // clamped to 100 % and 0 %
  mixer.AttachStream(nullptr);
}

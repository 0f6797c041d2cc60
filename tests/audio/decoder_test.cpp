// The music decoder: opening, plain decoding, mono, loop points, the end of
// the stream, the volume and its ramp, and hostile files.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>

#include "audio/OggDataLib.h"
#include "audio_test_util.h"

using audiotest::Scaled;
using oggtest::TPoint;

namespace {
constexpr int32_t kStaging = 163840;
constexpr int32_t kHalfFrames = 20480;

// Four seconds of stereo tune, encoded once for all tests.
const std::vector<uint8_t>& FourSeconds() {
  static const std::vector<uint8_t> ogg = oggtest::Encode(oggtest::Tune(176400, 2), 2, 44100);
  return ogg;
}
const std::vector<int16_t>& FourSecondsPcm() {
  static const std::vector<int16_t> pcm = oggtest::DecodeAll(FourSeconds());
  return pcm;
}

// Appends one decoded half to `out`.
int32_t DecodeInto(TOggData& d, std::vector<int16_t>& out) {
  const int32_t r = d.DecodeNextHalf();
  const int16_t* h = d.LastHalf();
  out.insert(out.end(), h, h + kHalfFrames * 2);
  return r;
}

// The reference, frames [from, to), at gain 254.
void AppendReference(std::vector<int16_t>& out, int32_t from, int32_t to) {
  const auto& pcm = FourSecondsPcm();
  for (int32_t i = from * 2; i < to * 2; i++) out.push_back(int16_t(Scaled(pcm[i], 254)));
}

class DecoderTest : public ::testing::Test {
 protected:
  void SetUp() override { audiotest::LoadBinding(); }
  audiotest::TScratchDir dir;
};
}  // namespace

TEST_F(DecoderTest, PlainStreamComesOutAtGain254) {
  ASSERT_EQ(FourSecondsPcm().size(), 176400u * 2);
  TOggData d(kStaging);
  EXPECT_EQ(d.State(), 0);
  d.OpenMemory(FourSeconds());
  EXPECT_EQ(d.State(), 1);
  EXPECT_EQ(d.Channels(), 2);
  EXPECT_EQ(d.Rate(), 44100);
  EXPECT_NEAR(d.TotalSeconds(), 4.0, 1e-9);
  // Not playing: nothing comes out.
  EXPECT_EQ(d.DecodeNextHalf(), 0);
  d.Play(true);
  EXPECT_EQ(d.State(), 3);
  std::vector<int16_t> out, expected;
  for (int i = 0; i < 3; i++) EXPECT_EQ(DecodeInto(d, out), 81920);
  AppendReference(expected, 0, 3 * kHalfFrames);
  EXPECT_EQ(out, expected);
}

TEST_F(DecoderTest, LoopPointJumpsAtLoopAtToJumpTo) {
  TOggData d(kStaging);
  d.OpenMemory(oggtest::WithLoopHeader(FourSeconds(), {{1.0f, 2.0f, -1}}));
  EXPECT_NEAR(d.TotalSeconds(), 4.0, 1e-9);
  EXPECT_EQ(d.LoopPointAt(0).loopAt, 2.0f);
  d.Play(true);
  std::vector<int16_t> out, expected;
  for (int i = 0; i < 8; i++) EXPECT_EQ(DecodeInto(d, out), 81920);
  // 0 .. 2 s, then back to 1 s each time 2 s comes round.
  AppendReference(expected, 0, 88200);
  AppendReference(expected, 44100, 88200);
  AppendReference(expected, 44100, 88200);
  AppendReference(expected, 44100, 88200);
  expected.resize(out.size());
  EXPECT_EQ(out, expected);
}

TEST_F(DecoderTest, RepeatCountTwoJumpsTwiceAndRearmsAfterPassing) {
  TOggData d(kStaging);
  d.OpenMemory(oggtest::WithLoopHeader(FourSeconds(), {{1.0f, 2.0f, 2}}));
  d.Play(true);
  std::vector<int16_t> out, expected;
  for (int i = 0; i < 30; i++) EXPECT_EQ(DecodeInto(d, out), 81920);
  // Twice back to 1 s, then on to the end; the stream starts again at 0
  // and, the counter having returned to 0 once 2 s was passed, jumps twice
  // again.
  for (int round = 0; round < 3; round++) {
    AppendReference(expected, 0, 88200);
    AppendReference(expected, 44100, 88200);
    AppendReference(expected, 44100, 176400);
  }
  expected.resize(out.size());
  EXPECT_EQ(out, expected);
}

TEST_F(DecoderTest, EndOfStreamLoopsToTheStartAndLoopAtBeyondTheEndNeverTriggers) {
  TOggData d(kStaging);
  d.OpenMemory(oggtest::WithLoopHeader(FourSeconds(), {{1.0f, 9.0f, -1}}));
  d.Play(true);
  std::vector<int16_t> out, expected;
  for (int i = 0; i < 20; i++) EXPECT_EQ(DecodeInto(d, out), 81920);
  for (int round = 0; round < 3; round++) AppendReference(expected, 0, 176400);
  expected.resize(out.size());
  EXPECT_EQ(out, expected);
}

TEST_F(DecoderTest, PlayedOnceStopsAtTheEndWithSilenceAfterIt) {
  TOggData d(kStaging);
  d.OpenMemory(FourSeconds());
  d.Play(false);
  EXPECT_EQ(d.State(), 2);
  std::vector<int16_t> out;
  int32_t total = 0;
  for (int i = 0; i < 9; i++) total += DecodeInto(d, out);
  EXPECT_EQ(total, 176400 * 4);
  EXPECT_EQ(d.State(), 1);
  std::vector<int16_t> expected;
  AppendReference(expected, 0, 176400);
  expected.resize(out.size(), 0);
  EXPECT_EQ(out, expected);
}

TEST_F(DecoderTest, FileWithoutHeaderClearsThePreviousLoopPoints) {
  TOggData d(kStaging);
  d.OpenMemory(oggtest::WithLoopHeader(FourSeconds(), {{1.0f, 2.0f, -1}}));
  d.OpenMemory(FourSeconds());
  EXPECT_EQ(d.LoopPointAt(0).loopAt, 0.0f);
  EXPECT_EQ(d.LoopPointAt(0).repeatCount, 0);
}

TEST_F(DecoderTest, MonoIsWrittenToBothSides) {
  const auto ogg = oggtest::Encode(oggtest::Tune(44100, 1), 1, 44100);
  const auto pcm = oggtest::DecodeAll(ogg);
  TOggData d(kStaging);
  d.OpenMemory(ogg);
  EXPECT_EQ(d.Channels(), 1);
  d.Play(true);
  std::vector<int16_t> out;
  EXPECT_EQ(DecodeInto(d, out), 81920);
  for (int i = 0; i < kHalfFrames; i++) {
    ASSERT_EQ(out[2 * i], Scaled(pcm[i], 254)) << i;
    ASSERT_EQ(out[2 * i + 1], Scaled(pcm[i], 254)) << i;
  }
}

TEST_F(DecoderTest, NotVorbisRaisesAndLeavesTheDecoderReset) {
  TOggData d(kStaging);
  d.OpenMemory(FourSeconds());
  d.Play(true);
  std::vector<uint8_t> junk(5000, 'x');
  try {
    d.OpenMemory(junk);
    FAIL() << "no error raised";
  } catch (const EOggError& e) {
    EXPECT_STREQ(e.what(), "ファイルの読み込みに失敗");
  }
  EXPECT_EQ(d.State(), 0);
  EXPECT_EQ(d.DecodeNextHalf(), 0);
  // A short file is never taken for a loop header, whatever it begins with.
  std::vector<uint8_t> shortOne(199, 0);
  std::memcpy(shortOne.data(), "ALPHAOGG", 8);
  EXPECT_THROW(d.OpenMemory(shortOne), EOggError);
  EXPECT_THROW(d.OpenMemory({}), EOggError);
}

TEST_F(DecoderTest, LoadFileMissingChangesNothingAndJunkRaises) {
  TOggData d(kStaging);
  const std::string good = dir.Put("system/good.ogg", FourSeconds());
  ASSERT_TRUE(d.LoadFile(good));
  d.Play(true);
  EXPECT_FALSE(d.LoadFile(dir.Dir() + "system/none.ogg"));
  EXPECT_EQ(d.State(), 3);
  const std::string junk = dir.Put("system/junk.ogg", std::vector<uint8_t>(300, 7));
  EXPECT_THROW(d.LoadFile(junk), EOggError);
  EXPECT_EQ(d.State(), 0);
  EXPECT_FALSE(d.LoadFile(dir.Dir() + "system"));  // a folder is no file
}

TEST_F(DecoderTest, OnlyFortyFourKilohertzMonoOrStereoIsAccepted) {
  TOggData d(kStaging);
  const auto slow = oggtest::Encode(oggtest::Tune(22050, 2), 2, 22050);
  EXPECT_THROW(d.OpenMemory(slow), EOggError);
  EXPECT_EQ(d.State(), 0);
  const auto three = oggtest::Encode(oggtest::Tune(4410, 3), 3, 44100);
  EXPECT_THROW(d.OpenMemory(three), EOggError);
  EXPECT_EQ(d.State(), 0);
}

TEST_F(DecoderTest, FadeInTakesStep5461AndIsExactlyOneOnFrame132309) {
  TOggData d(kStaging);
  d.OpenMemory(FourSeconds());
  d.SetVolume(0.0);
  d.Fade(1.0, 3);
  EXPECT_EQ(d.VolumeStep(), 5461);
  EXPECT_EQ(d.VolumeTarget(), TOggData::kUnity);
  d.Play(true);
  std::vector<int16_t> out;
  for (int i = 0; i < 6; i++) DecodeInto(d, out);
  EXPECT_EQ(d.VolumeNow(), 5461 * 6 * kHalfFrames);
  DecodeInto(d, out);
  EXPECT_EQ(d.VolumeNow(), TOggData::kUnity);
  EXPECT_EQ(d.VolumeStep(), 0);
  // Frame 132,308 (counting from 1) still has gain 253, frame 132,309 has 254.
  const auto& pcm = FourSecondsPcm();
  for (int f : {132307, 132308}) {
    const int gain = f == 132308 ? 254 : 253;
    for (int c = 0; c < 2; c++) EXPECT_EQ(out[2 * f + c], Scaled(pcm[2 * f + c], gain)) << f;
  }
  // Gains along the ramp: (5461 f / 2822400) * 254 / 256.
  for (int f : {1000, 50000, 100000}) {
    const int gain = (5461 * (f + 1) / 2822400) * 254 / 256;
    EXPECT_EQ(out[2 * f], Scaled(pcm[2 * f], gain)) << f;
  }
}

TEST_F(DecoderTest, FadeOutStopsTheDecoderAtTheFirstHalfBelowOnePercent) {
  TOggData d(kStaging);
  d.OpenMemory(FourSeconds());
  d.Fade(0.0, 3);
  EXPECT_EQ(d.VolumeStep(), -5461);
  d.Play(true);
  std::vector<int16_t> out;
  for (int i = 0; i < 7; i++) EXPECT_EQ(DecodeInto(d, out), 81920) << i;
  EXPECT_EQ(d.VolumeNow(), 0);
  EXPECT_TRUE(d.Playing());
  EXPECT_EQ(d.DecodeNextHalf(), 0);
  EXPECT_FALSE(d.Playing());
  EXPECT_FALSE(d.Looping());
}

TEST_F(DecoderTest, VolumeTwoIsGain508ClampedTo32766) {
  const auto loud = oggtest::Encode(oggtest::Tune(44100, 2, 30000), 2, 44100);
  const auto pcm = oggtest::DecodeAll(loud);
  TOggData d(kStaging);
  d.OpenMemory(loud);
  d.Fade(3.0, 0);  // clamped to 2.0
  EXPECT_EQ(d.VolumeNow(), 2 * TOggData::kUnity);
  d.Play(true);
  std::vector<int16_t> out;
  DecodeInto(d, out);
  int clipped = 0;
  for (int i = 0; i < kHalfFrames * 2; i++) {
    ASSERT_EQ(out[i], Scaled(pcm[i], 508)) << i;
    if (std::abs(out[i]) == 32766) clipped++;
    ASSERT_LE(std::abs(out[i]), 32766);
  }
  EXPECT_GT(clipped, 100);
}

TEST_F(DecoderTest, StopRewindsAndClearsTheCounters) {
  TOggData d(kStaging);
  d.OpenMemory(oggtest::WithLoopHeader(FourSeconds(), {{1.0f, 2.0f, 5}}));
  d.Play(true);
  std::vector<int16_t> out;
  for (int i = 0; i < 5; i++) DecodeInto(d, out);
  EXPECT_EQ(d.LoopCounter(0), 1);
  d.Stop();
  EXPECT_EQ(d.LoopCounter(0), 0);
  EXPECT_EQ(d.State(), 1);
  d.Play(true);
  out.clear();
  DecodeInto(d, out);
  std::vector<int16_t> expected;
  AppendReference(expected, 0, kHalfFrames);
  EXPECT_EQ(out, expected);
}

// Crafted loop headers must neither hang nor read outside the file.
TEST_F(DecoderTest, HostileLoopHeadersNeverHang) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<std::vector<TPoint>> headers = {
      {{nan, 1.0f, -1}},
      {{1.0f, nan, -1}},
      {{-5.0f, 1.0f, -1}},
      {{1.0f, -1.0f, -1}},
      {{1e30f, 1.0f, -1}},
      {{inf, 0.5f, -1}},
      {{0.0f, 1e30f, -1}},
      {{0.5f, 1.0f, 2147483647}},
      {{1.0f, 1.0f, -1}},                    // jump onto the loop point itself
      {{0.0f, 0.0f, -1}, {0.0f, 0.1f, -1}},  // two in the same half
      {{3.9f, 0.2f, -1}, {0.1f, 3.95f, -1}},
      {{0.0f, 0.0f, -7}},
  };
  for (const auto& points : headers) {
    TOggData d(kStaging);
    d.OpenMemory(oggtest::WithLoopHeader(FourSeconds(), points));
    d.Play(true);
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 40; i++) {
      const int32_t r = d.DecodeNextHalf();
      ASSERT_GE(r, 0);
      ASSERT_LE(r, 81920);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(30));
    EXPECT_TRUE(d.Playing());
  }
}

TEST_F(DecoderTest, EmptyLoopedStreamDoesNotHang) {
  // Headers only, no sound in it.
  const auto empty = oggtest::Encode({}, 2, 44100);
  TOggData d(kStaging);
  try {
    d.OpenMemory(empty);
  } catch (const EOggError&) {
    return;  // refused at the door is fine too
  }
  d.Play(true);
  for (int i = 0; i < 5; i++) EXPECT_GE(d.DecodeNextHalf(), 0);
  EXPECT_FALSE(d.Playing());
}

TEST_F(DecoderTest, DecodingErrorStopsTheDecoder) {
  // Damage the middle of the stream: a page there fails its checksum.
  auto broken = FourSeconds();
  for (size_t i = broken.size() / 2; i < broken.size() / 2 + 64; i++) broken[i] ^= 0x5a;
  TOggData d(kStaging);
  d.OpenMemory(broken);
  d.Play(true);
  bool stopped = false;
  for (int i = 0; i < 12 && !stopped; i++) {
    const int32_t r = d.DecodeNextHalf();
    if (r < 0) {
      stopped = true;
      EXPECT_EQ(d.State(), 1);
      EXPECT_EQ(d.DecodeNextHalf(), 0);
    }
  }
  EXPECT_TRUE(stopped);
}

// A stream whose seeks fail (found by fuzz_ogg: its last page damaged and
// repeated) leaves the library's position at -1; asking the time then made
// libvorbisfile read before its table of links and crash the refill thread.
// The decoder must not ask until a position is known again.
namespace {
int gTellsWithoutPosition = 0;
double (*gRealTimeTell)(OggVorbis_File*) = nullptr;
double CheckedTimeTell(OggVorbis_File* vf) {
  if (vf->pcm_offset < 0) {
    gTellsWithoutPosition++;
    return -1;  // what the real one would do is read out of bounds
  }
  return gRealTimeTell(vf);
}
}  // namespace

TEST_F(DecoderTest, TimeIsNotAskedWhileAFailedSeekLeftNoPosition) {
  std::ifstream in(ZAZO_SOURCE_DIR "/tests/audio/data/failed_seek.ogg", std::ios::binary);
  const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  ASSERT_GT(file.size(), 4000u);
  TVorbisFileDLL* lib = VorbisFile();
  gRealTimeTell = lib->ov_time_tell;
  lib->ov_time_tell = CheckedTimeTell;
  gTellsWithoutPosition = 0;
  {
    TOggData d(kStaging);
    d.OpenMemory(file);
    d.Play(true);
    for (int i = 0; i < 8; i++) {
      const int32_t r = d.DecodeNextHalf();
      EXPECT_LE(r, 81920);
    }
    d.Stop();
    d.Play(true);
    d.DecodeNextHalf();
  }
  lib->ov_time_tell = gRealTimeTell;
  EXPECT_EQ(gTellsWithoutPosition, 0);
}

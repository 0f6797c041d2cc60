// The generator's parts: sheet keys, the loop header, the WAVE writer, the
// synthesiser's signals and the composer's notes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>

#include "assets/asset_reader.h"
#include "composer.h"
#include "instruments.h"
#include "music.h"
#include "ogg_writer.h"
#include "sheet_output.h"
#include "wav_writer.h"

namespace {

const uint8_t* PixelAt(const TBitmap& b, int x, int y) {
  return b.Row(y) + 3 * x;
}

}  // namespace

TEST(SheetOutput, KeyedSheetKeepsTheKeyForTransparentPixelsOnly) {
  Canvas c(4, 2);
  c.At(0, 0) = Rgba{1, 0, 0, 1};     // the top-left pixel is always the key
  c.At(1, 0) = Rgba{1, 0, 1, 1};     // visible magenta is moved off the key
  c.At(2, 0) = Rgba{0, 1, 0, 0.4f};  // mostly transparent
  c.At(3, 0) = Rgba{0, 0, 1, 0.6f};  // mostly covered
  TBitmap b = KeyedSheet(c);
  auto is = [&](int x, int y, uint8_t r, uint8_t g, uint8_t bl) {
    const uint8_t* p = PixelAt(b, x, y);
    return p[2] == r && p[1] == g && p[0] == bl;
  };
  EXPECT_TRUE(is(0, 0, 255, 0, 255));
  EXPECT_TRUE(is(1, 0, 255, 1, 255));
  EXPECT_TRUE(is(2, 0, 255, 0, 255));
  EXPECT_TRUE(is(3, 0, 0, 0, 255));
  EXPECT_TRUE(is(0, 1, 255, 0, 255));
}

TEST(SheetOutput, OpaqueSheetReservesItsCornerColour) {
  Canvas c(3, 3, Rgba{0.2f, 0.4f, 0.6f, 1});
  TBitmap b = OpaqueSheet(c);
  int sameAsCorner = 0;
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 3; x++)
      sameAsCorner += std::memcmp(PixelAt(b, x, y), PixelAt(b, 0, 0), 3) == 0;
  EXPECT_EQ(sameAsCorner, 1);
}

TEST(OggWriter, LoopHeaderLayout) {
  LoopPoint p;
  p.jumpTo = 2.5f;
  p.loopAt = 40.25f;
  p.repeatCount = -1;
  std::vector<uint8_t> h = LoopHeader({p});
  ASSERT_EQ(h.size(), 200u);
  EXPECT_EQ(std::memcmp(h.data(), "ALPHAOGG", 8), 0);
  float jump, at;
  int32_t repeat;
  std::memcpy(&jump, h.data() + 8, 4);
  std::memcpy(&at, h.data() + 12, 4);
  std::memcpy(&repeat, h.data() + 16, 4);
  EXPECT_EQ(jump, 2.5f);
  EXPECT_EQ(at, 40.25f);
  EXPECT_EQ(repeat, -1);
  for (size_t i = 20; i < 200; i++) ASSERT_EQ(h[i], 0) << i;
}

TEST(OggWriter, EncodesAndDecodesAtTheRightLengthAndLevel) {
  Stereo s(kSampleRate * 2);
  for (size_t i = 0; i < s.Frames(); i++) {
    s.l[i] = static_cast<float>(0.4 * std::sin(kTwoPi * 440.0 * i / kSampleRate));
    s.r[i] = s.l[i];
  }
  std::vector<uint8_t> ogg = EncodeVorbis(s, 0.3f, 7, "test");
  DecodedInfo info;
  std::string error;
  ASSERT_TRUE(DecodeVorbis(ogg, &info, &error)) << error;
  EXPECT_EQ(info.rate, 44100);
  EXPECT_EQ(info.channels, 2);
  EXPECT_NEAR(info.seconds, 2.0, 1e-6);
  EXPECT_NEAR(info.peak, 0.4 * 32768, 0.03 * 32768);
  // The same samples give the same bytes.
  EXPECT_TRUE(ogg == EncodeVorbis(s, 0.3f, 7, "test"));
}

TEST(WavWriter, WritesPcm16MonoThatReadsBack) {
  std::vector<float> samples = {0.0f, 0.5f, -0.5f, 1.5f, -1.5f};
  std::string path = (std::filesystem::temp_directory_path() /
                      ("zazo-wav-test-" + std::to_string(::getpid()) + ".wav"))
                         .string();
  std::string error;
  ASSERT_TRUE(WriteWav(path, samples, &error)) << error;
  Wave w;
  ASSERT_TRUE(LoadWave(path, &w, &error)) << error;
  EXPECT_EQ(w.format, 1);
  EXPECT_EQ(w.channels, 1);
  EXPECT_EQ(w.rate, 44100);
  EXPECT_EQ(w.bits, 16);
  EXPECT_EQ(w.frames, samples.size());
  EXPECT_EQ(w.peak, 32767);  // clipped, not wrapped
  std::filesystem::remove(path);
}

TEST(Synth, OscillatorsAndDecayStayAccurate) {
  for (int i = 0; i <= 1000; i++) {
    double x = i / 1000.0 * 3 - 1;
    ASSERT_NEAR(SinTurns(x), std::sin(kTwoPi * x), 2e-6) << x;
  }
  Osc saw, pulse;
  double lo = 0, hi = 0;
  for (int i = 0; i < kSampleRate; i++) {
    double v = saw.Saw(7040), p = pulse.Pulse(3000, 0.3);
    lo = std::min({lo, v, p});
    hi = std::max({hi, v, p});
  }
  EXPECT_LT(hi, 1.3);
  EXPECT_GT(lo, -1.3);
  Decay d(5);
  double v = 0;
  for (int i = 0; i <= kSampleRate; i++) v = d.Next();
  EXPECT_NEAR(v, std::exp(-5.0), 1e-9);
}

TEST(Synth, EveryVoiceSoundsAndEndsInSilence) {
  for (int voice = 0; voice <= static_cast<int>(Voice::Shaker); voice++) {
    Note n;
    n.voice = static_cast<Voice>(voice);
    n.length = 0.3;
    n.pitch = 60;
    Stereo out(static_cast<size_t>((n.length + ReleaseTail(n.voice)) * kSampleRate) + 100);
    RenderNote(n, out);
    double peak = Peak(out);
    EXPECT_GT(peak, 0.02) << voice;
    EXPECT_LT(peak, 1.0) << voice;
    for (size_t i = 0; i < out.Frames(); i++) ASSERT_TRUE(std::isfinite(out.l[i])) << voice;
    // No click at the end: the last rendered frames fade to nothing.
    size_t end = static_cast<size_t>((n.length + ReleaseTail(n.voice)) * kSampleRate) - 1;
    EXPECT_LT(std::fabs(out.l[end]) + std::fabs(out.r[end]), 0.002) << voice;
  }
}

TEST(Composer, NotesStartOnFramesAndTheBodyRepeatsFrameForFrame) {
  for (int t = 0; t < MusicTrackCount(); t++) {
    const TrackPlan& plan = MusicTrackPlan(t);
    Composition c = Compose(plan);
    double bodyFrames = c.bodySeconds * kSampleRate;
    ASSERT_NEAR(bodyFrames, std::round(bodyFrames), 1e-6) << plan.file;
    std::multiset<long long> first, second;
    for (const Note& n : c.notes.notes) {
      double f = n.start * kSampleRate;
      ASSERT_NEAR(f, std::round(f), 1e-4) << plan.file;
      long long rel = std::llround(f) - std::llround(c.introSeconds * kSampleRate);
      if (rel >= 0 && rel < std::llround(bodyFrames)) first.insert(rel);
      if (rel >= std::llround(bodyFrames)) second.insert(rel - std::llround(bodyFrames));
    }
    EXPECT_EQ(first, second) << plan.file;
    // 30 to 90 seconds of music in the file.
    double seconds = plan.introBars > 0 ? c.introSeconds + c.bodySeconds + 1 : c.bodySeconds;
    EXPECT_GE(seconds, 30.0) << plan.file;
    EXPECT_LE(seconds, 90.0) << plan.file;
  }
}

TEST(Composer, MelodyBassAndChordsStayInTheKeyAndTheirRanges) {
  const int scales[5][7] = {{0, 2, 4, 5, 7, 9, 11},
                            {0, 2, 3, 5, 7, 8, 10},
                            {0, 2, 3, 5, 7, 9, 10},
                            {0, 2, 4, 5, 7, 9, 10},
                            {0, 2, 4, 6, 7, 9, 11}};
  for (int t = 0; t < MusicTrackCount(); t++) {
    const TrackPlan& plan = MusicTrackPlan(t);
    std::set<int> inKey;
    for (int s : scales[static_cast<int>(plan.mode)]) inKey.insert(s);
    if (plan.mode == Mode::Minor || plan.mode == Mode::Dorian) inKey.insert(11);  // the raised 7th
    Composition c = Compose(plan);
    for (const Note& n : c.notes.notes) {
      int p = static_cast<int>(n.pitch);
      int pc = ((p - plan.tonic) % 12 + 12) % 12;
      if (n.voice == plan.lead) {
        EXPECT_TRUE(inKey.count(pc)) << plan.file << " lead " << p;
        EXPECT_GE(p, 52) << plan.file;
        EXPECT_LE(p, 96) << plan.file;
      } else if (n.voice == plan.bass) {
        EXPECT_GE(p, 32) << plan.file;  // approach notes may step below A1
        EXPECT_LE(p, 57) << plan.file;
      } else if (n.voice == plan.pad) {
        EXPECT_TRUE(inKey.count(pc)) << plan.file << " chord " << p;
        EXPECT_GE(p, 48) << plan.file;
        EXPECT_LE(p, 76) << plan.file;
      }
    }
  }
}

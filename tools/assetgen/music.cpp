// The eighteen music tracks: what each one is, and how it is rendered,
// mastered, encoded and written with its loop header.
#include "music.h"

#include <cmath>
#include <cstdio>

#include "composer.h"
#include "ogg_writer.h"

namespace {

// Every file carries the loop header so a decoder never keeps the loop
// points of the file it held before; tracks with an intro (introBars > 0)
// get a loop point that jumps from the end of the body back to its start.
const TrackPlan kTracks[] = {
    // The title and game-over theme: calm, bells over electric piano.
    {"nil.ogg",
     101,
     84,
     62,
     Mode::Major,
     {0, 5, 3, 4, 0, 5, 1, 4},
     {3, 0, 4, 5, 3, 0, 1, 4},
     Groove::Calm,
     Voice::Bell,
     Voice::EPiano,
     Voice::Strings,
     Voice::Bass,
     false,
     0,
     "AB",
     2},
    // Normal play, levels up to 100: bright and cheerful.
    {"bgm_a_01.ogg",
     201,
     126,
     60,
     Mode::Major,
     {0, 4, 5, 3, 0, 4, 3, 4},
     {3, 4, 2, 5, 3, 4, 0, 0},
     Groove::Pop,
     Voice::SquareLead,
     Voice::Pluck,
     Voice::Pad,
     Voice::Bass,
     true,
     1,
     "ABA",
     2},
    {"bgm_a_02.ogg",
     202,
     116,
     58,
     Mode::Major,
     {0, 5, 3, 4, 0, 5, 3, 4},
     {5, 3, 0, 4, 5, 3, 1, 4},
     Groove::Pop,
     Voice::Flute,
     Voice::EPiano,
     Voice::Pad,
     Voice::Bass,
     false,
     1,
     "ABAC",
     0},
    {"bgm_a_03.ogg",
     203,
     132,
     55,
     Mode::Mixolydian,
     {0, 6, 3, 0, 0, 6, 4, 4},
     {3, 3, 0, 0, 3, 3, 6, 4},
     Groove::Pop,
     Voice::SawLead,
     Voice::Pluck,
     Voice::Pad,
     Voice::Bass,
     true,
     2,
     "ABAB",
     0},
    {"bgm_a_04.ogg",
     204,
     120,
     57,
     Mode::Major,
     {0, 2, 3, 4, 0, 2, 3, 4},
     {3, 4, 5, 5, 3, 4, 0, 0},
     Groove::Pop,
     Voice::SquareLead,
     Voice::EPiano,
     Voice::Strings,
     Voice::Bass,
     false,
     1,
     "ABA",
     4},
    {"bgm_a_05.ogg",
     205,
     128,
     51,
     Mode::Major,
     {0, 3, 1, 4, 0, 3, 4, 0},
     {5, 1, 4, 0, 5, 1, 4, 4},
     Groove::Drive,
     Voice::Flute,
     Voice::Pluck,
     Voice::Pad,
     Voice::Bass,
     true,
     1,
     "ABAB",
     0},
    {"bgm_a_06.ogg",
     206,
     108,
     58,
     Mode::Lydian,
     {0, 1, 0, 1, 5, 1, 4, 0},
     {3, 4, 5, 4, 3, 4, 1, 1},
     Groove::Pop,
     Voice::Bell,
     Voice::EPiano,
     Voice::Strings,
     Voice::Bass,
     true,
     1,
     "ABA",
     0},
    {"bgm_a_07.ogg",
     207,
     138,
     52,
     Mode::Major,
     {0, 4, 5, 3, 0, 4, 3, 3},
     {5, 3, 0, 4, 1, 4, 0, 4},
     Groove::Drive,
     Voice::SquareLead,
     Voice::Pluck,
     Voice::Pad,
     Voice::Bass,
     false,
     2,
     "ABAB",
     0},
    {"bgm_a_08.ogg",
     208,
     124,
     62,
     Mode::Major,
     {3, 4, 2, 5, 3, 4, 0, 0},
     {0, 4, 5, 2, 3, 0, 1, 4},
     Groove::Pop,
     Voice::SawLead,
     Voice::EPiano,
     Voice::Pad,
     Voice::Bass,
     true,
     1,
     "ABA",
     4},
    // Above level 100: faster, minor, driving.
    {"bgm_b_01.ogg",
     301,
     152,
     57,
     Mode::Minor,
     {0, 5, 2, 6, 0, 5, 2, 6},
     {3, 6, 2, 5, 3, 6, 4, 4},
     Groove::Rock,
     Voice::SawLead,
     Voice::Pluck,
     Voice::Pad,
     Voice::DriveBass,
     true,
     2,
     "ABAB",
     4},
    {"bgm_b_02.ogg",
     302,
     160,
     52,
     Mode::Minor,
     {0, 3, 6, 2, 0, 3, 4, 4},
     {5, 6, 0, 0, 5, 6, 4, 4},
     Groove::Drive,
     Voice::SquareLead,
     Voice::Pluck,
     Voice::Pad,
     Voice::DriveBass,
     true,
     2,
     "ABAC",
     0},
    {"bgm_b_03.ogg",
     303,
     148,
     55,
     Mode::Dorian,
     {0, 3, 0, 3, 6, 3, 4, 4},
     {5, 6, 0, 0, 5, 6, 3, 4},
     Groove::Rock,
     Voice::SawLead,
     Voice::EPiano,
     Voice::Pad,
     Voice::DriveBass,
     false,
     2,
     "ABAB",
     0},
    {"bgm_b_04.ogg",
     304,
     156,
     50,
     Mode::Minor,
     {0, 6, 5, 4, 0, 6, 5, 4},
     {5, 3, 0, 4, 5, 3, 4, 4},
     Groove::Drive,
     Voice::SawLead,
     Voice::Pluck,
     Voice::Strings,
     Voice::DriveBass,
     true,
     2,
     "ABAB",
     0},
    {"bgm_b_05.ogg",
     305,
     164,
     53,
     Mode::Minor,
     {0, 0, 5, 5, 3, 3, 4, 4},
     {5, 6, 2, 0, 5, 6, 4, 4},
     Groove::Rock,
     Voice::SquareLead,
     Voice::Pluck,
     Voice::Pad,
     Voice::DriveBass,
     true,
     2,
     "ABAB",
     4},
    {"bgm_b_06.ogg",
     306,
     150,
     59,
     Mode::Minor,
     {0, 5, 3, 4, 0, 5, 3, 4},
     {2, 6, 0, 5, 3, 4, 0, 4},
     Groove::Rock,
     Voice::SawLead,
     Voice::EPiano,
     Voice::Strings,
     Voice::DriveBass,
     true,
     2,
     "ABAC",
     0},
    {"bgm_b_07.ogg",
     307,
     168,
     56,
     Mode::Minor,
     {0, 5, 6, 0, 0, 5, 6, 4},
     {3, 4, 5, 6, 3, 4, 4, 4},
     Groove::Drive,
     Voice::SquareLead,
     Voice::Pluck,
     Voice::Pad,
     Voice::DriveBass,
     true,
     2,
     "ABAB",
     0},
    {"bgm_b_08.ogg",
     308,
     172,
     54,
     Mode::Dorian,
     {0, 3, 6, 3, 0, 3, 4, 4},
     {5, 6, 3, 4, 5, 6, 0, 0},
     Groove::Rock,
     Voice::SawLead,
     Voice::Pluck,
     Voice::Strings,
     Voice::DriveBass,
     true,
     2,
     "ABABA",
     0},
    // Versus: dramatic, toms and strings.
    {"bgm3m.ogg",
     401,
     140,
     52,
     Mode::Minor,
     {0, 5, 2, 6, 0, 5, 3, 4},
     {3, 4, 0, 5, 3, 4, 4, 4},
     Groove::Epic,
     Voice::SawLead,
     Voice::Pluck,
     Voice::Strings,
     Voice::DriveBass,
     true,
     1,
     "ABAC",
     4},
};

constexpr int kTrackCount = sizeof(kTracks) / sizeof(kTracks[0]);
// What follows the loop point in the file, so the jump happens before the
// end of the stream.
constexpr double kTailSeconds = 1.0;
// How much of the end of the body is rendered before its looped start.
constexpr double kLeadSeconds = 6.0;
// Mastered peak, with room for the encoder's overshoot below -6 dBFS.
constexpr double kMasterPeak = 0.42;  // -7.5 dBFS
constexpr int kPeakLimit = 16422;     // -6 dBFS of 16-bit full scale
constexpr float kQuality = 0.3f;

Stereo Slice(const Stereo& s, size_t from, size_t frames) {
  Stereo out(frames);
  for (size_t i = 0; i < frames && from + i < s.Frames(); i++) {
    out.l[i] = s.l[from + i];
    out.r[i] = s.r[from + i];
  }
  return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& a,
               const std::vector<uint8_t>& b, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    *error = "cannot write " + path;
    return false;
  }
  bool ok = std::fwrite(a.data(), 1, a.size(), f) == a.size() &&
            std::fwrite(b.data(), 1, b.size(), f) == b.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) *error = "cannot write " + path;
  return ok;
}

}  // namespace

int MusicTrackCount() {
  return kTrackCount;
}

const TrackPlan& MusicTrackPlan(int t) {
  return kTracks[t];
}

std::string MusicTrackFile(int t) {
  return kTracks[t].file;
}

bool WriteMusicTrack(int t, const std::string& systemDir, std::string* error) {
  const TrackPlan& plan = kTracks[t];
  Composition c = Compose(plan);
  const size_t intro = static_cast<size_t>(std::llround(c.introSeconds * kSampleRate));
  const size_t body = static_cast<size_t>(std::llround(c.bodySeconds * kSampleRate));
  const size_t tail = static_cast<size_t>(kTailSeconds * kSampleRate);
  std::vector<LoopPoint> points;
  Stereo out;
  if (plan.introBars > 0) {
    // Intro, body, and the start of the body again as the tail; the loop
    // point jumps from the end of the body back to its start.
    out = RenderMix(c.notes, 0, intro + body + tail, c.mix);
    Master(out, kMasterPeak);
    // Times half a frame past the frame boundaries: seeking truncates a time
    // to a frame, and single-precision seconds are off by a fraction of a
    // frame, so this lands exactly on the intended frames.
    LoopPoint p;
    p.jumpTo = static_cast<float>((static_cast<double>(intro) + 0.5) / kSampleRate);
    p.loopAt = static_cast<float>((static_cast<double>(intro + body) + 0.5) / kSampleRate);
    p.repeatCount = -1;
    points.push_back(p);
  } else {
    // The second pass of the body, rendered with the end of the first in
    // front of it, so its start carries the tails of its own end and the
    // stream loops seamlessly from its end to its start.
    const size_t lead = static_cast<size_t>(kLeadSeconds * kSampleRate);
    Stereo mix = RenderMix(c.notes, c.bodySeconds - kLeadSeconds, lead + body, c.mix);
    Master(mix, kMasterPeak);
    out = Slice(mix, lead, body);
  }

  std::vector<uint8_t> ogg;
  for (int attempt = 0; attempt < 4; attempt++) {
    ogg = EncodeVorbis(out, kQuality, 0x5A5A0000 + t, plan.file);
    DecodedInfo info;
    if (ogg.empty() || !DecodeVorbis(ogg, &info, error)) {
      *error = "encoding failed";
      return false;
    }
    if (info.peak <= kPeakLimit) break;
    // The encoder overshot: lower the level and encode again.
    double k = static_cast<double>(kPeakLimit) / info.peak * 0.97;
    for (size_t i = 0; i < out.Frames(); i++) {
      out.l[i] = static_cast<float>(out.l[i] * k);
      out.r[i] = static_cast<float>(out.r[i] * k);
    }
  }
  return WriteFile(systemDir + "/" + plan.file, LoopHeader(points), ogg, error);
}

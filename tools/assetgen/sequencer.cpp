#include "sequencer.h"

#include <cmath>
#include <compare>
#include <map>

void NoteList::Pattern(const Timeline& tl, int bar, const std::string& steps, Voice voice,
                       double pitch, double velocity, double pan, uint32_t seed) {
  for (size_t i = 0; i < steps.size(); i++) {
    double v = steps[i] == 'X' ? 1.0 : steps[i] == 'x' ? 0.78 : steps[i] == 'o' ? 0.5 : 0.0;
    if (v == 0) continue;
    Note n;
    n.start = tl.At(bar, static_cast<double>(i));
    n.length = tl.StepSeconds();
    n.pitch = pitch;
    n.velocity = v * velocity;
    n.pan = pan;
    n.voice = voice;
    n.seed = seed * 977u + static_cast<uint32_t>(bar * 16 + i);
    Add(n);
  }
}

namespace {

// Notes that differ only in loudness share one rendering: the voices are
// linear in velocity. Drums keep four variants of their noise so repeated
// hits do not sound stamped.
struct PartKey {
  int voice;
  long long pitch, frames, pan;
  uint32_t variant;
  auto operator<=>(const PartKey&) const = default;
};

bool IsDrum(Voice v) {
  return v >= Voice::Kick;
}

}  // namespace

Stereo RenderMix(const NoteList& notes, double from, size_t frames, const MixSettings& mix) {
  Stereo dry(frames), reverbSend(frames), echoSend(frames);
  const long long first = std::llround(from * kSampleRate);
  std::map<PartKey, Stereo> parts;
  for (const Note& n : notes.notes) {
    double life = n.length + ReleaseTail(n.voice);
    long long at = std::llround(n.start * kSampleRate) - first;
    long long lifeFrames = static_cast<long long>(life * kSampleRate) + 2;
    if (at + lifeFrames <= 0 || at >= static_cast<long long>(frames)) continue;
    PartKey key{static_cast<int>(n.voice), std::llround(n.pitch * 1000),
                std::llround(n.length * kSampleRate), std::llround(n.pan * 1000),
                IsDrum(n.voice) ? n.seed % 4 : 0};
    auto it = parts.find(key);
    if (it == parts.end()) {
      Stereo part(static_cast<size_t>(lifeFrames));
      Note local = n;
      local.start = 0;
      local.velocity = 1;
      local.seed = 7919u * static_cast<uint32_t>(key.voice) + 104729u * key.variant + 1;
      RenderNote(local, part);
      it = parts.emplace(key, std::move(part)).first;
    }
    const Stereo& part = it->second;
    const Channel& ch = mix.channels[static_cast<int>(n.voice)];
    double gain = ch.gain * n.velocity;
    dry.Mix(part, gain, at);
    if (ch.reverb > 0) reverbSend.Mix(part, gain * ch.reverb, at);
    if (ch.echo > 0) echoSend.Mix(part, gain * ch.echo, at);
  }
  Reverb reverb(mix.reverbRoom, mix.reverbDamp);
  Echo echo(mix.echoSeconds, mix.echoFeedback);
  for (size_t i = 0; i < frames; i++) {
    double el, er, rl, rr;
    echo.Process(echoSend.l[i], echoSend.r[i], &el, &er);
    reverb.Process(reverbSend.l[i] + el * 0.5, reverbSend.r[i] + er * 0.5, &rl, &rr);
    dry.l[i] += static_cast<float>(rl * mix.reverbReturn + el * mix.echoReturn);
    dry.r[i] += static_cast<float>(rr * mix.reverbReturn + er * mix.echoReturn);
  }
  return dry;
}

void Master(Stereo& s, double targetPeak) {
  double peak = Peak(s);
  if (peak <= 0) return;
  double k = 1.0 / peak;
  for (size_t i = 0; i < s.Frames(); i++) {
    s.l[i] = static_cast<float>(s.l[i] * k);
    s.r[i] = static_cast<float>(s.r[i] * k);
  }
  // Glue the mix and tame the drum peaks, then set the level.
  Compress(s, -9, 2.5, 6, 180);
  peak = Peak(s);
  k = targetPeak / peak;
  for (size_t i = 0; i < s.Frames(); i++) {
    s.l[i] = static_cast<float>(s.l[i] * k);
    s.r[i] = static_cast<float>(s.r[i] * k);
  }
}

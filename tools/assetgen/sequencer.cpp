#include "sequencer.h"

#include <cmath>

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

Stereo RenderMix(const NoteList& notes, double from, size_t frames, const MixSettings& mix) {
  Stereo dry(frames), reverbSend(frames), echoSend(frames);
  const long long first = std::llround(from * kSampleRate);
  for (const Note& n : notes.notes) {
    double life = n.length + ReleaseTail(n.voice);
    long long at = std::llround(n.start * kSampleRate) - first;
    long long lifeFrames = static_cast<long long>(life * kSampleRate) + 2;
    if (at + lifeFrames <= 0 || at >= static_cast<long long>(frames)) continue;
    Stereo part(static_cast<size_t>(life * kSampleRate) + 2);
    Note local = n;
    local.start = 0;
    RenderNote(local, part);
    const Channel& ch = mix.channels[static_cast<int>(n.voice)];
    dry.Mix(part, ch.gain, at);
    if (ch.reverb > 0) reverbSend.Mix(part, ch.gain * ch.reverb, at);
    if (ch.echo > 0) echoSend.Mix(part, ch.gain * ch.echo, at);
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

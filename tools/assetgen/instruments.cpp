#include "instruments.h"

#include <algorithm>
#include <cmath>

namespace {

// Slow parameters (filter sweeps, vibrato) are updated every kControl
// frames; the audio itself runs at the full rate.
constexpr size_t kControl = 32;

double Cents(double c) {
  return std::pow(2.0, c / 1200.0);
}

// Renders a mono voice: sample(t, i) for every frame i (t = i / rate) of
// the note's life, panned into out.
template <class F>
void RenderMono(const Note& n, double life, Stereo& out, F sample) {
  size_t start = static_cast<size_t>(std::llround(n.start * kSampleRate));
  size_t frames = static_cast<size_t>(life * kSampleRate);
  double gl, gr;
  PanGains(n.pan, &gl, &gr);
  const size_t fade = kSampleRate / 200;  // 5 ms, so no note ends with a click
  for (size_t i = 0; i < frames && start + i < out.Frames(); i++) {
    double v = sample(static_cast<double>(i) / kSampleRate, i) * n.velocity;
    if (i + fade > frames) v *= static_cast<double>(frames - i) / fade;
    out.Add(start + i, v * gl, v * gr);
  }
}

// Two-operator FM: a carrier phase-modulated by a sine.
class FmPair {
 public:
  double Next(double hz, double ratio, double index) {
    double m = mod_.Sine(hz * ratio) * index;
    double v = SinTurns(phase_ + m / kTwoPi);
    phase_ += hz / kSampleRate;
    phase_ -= std::floor(phase_);
    return v;
  }

 private:
  Osc mod_;
  double phase_ = 0;
};

void RenderPad(const Note& n, Stereo& out, bool strings) {
  double hz = MidiHz(n.pitch);
  double release = ReleaseTail(n.voice);
  double life = n.length + release;
  const double detune[3] = {-9, 0, 8};
  const double pans[3] = {-0.7, 0, 0.7};
  for (int k = 0; k < 3; k++) {
    Osc osc(0.17 * k + 0.05 * (n.seed % 7));
    Svf filter;
    Note part = n;
    part.pan = std::clamp(n.pan + pans[k], -1.0, 1.0);
    double f = hz * Cents(detune[k]), cutoff = 0;
    RenderMono(part, life, out, [&](double t, size_t i) {
      if (i % kControl == 0) {
        double vib =
            strings ? Cents(6 * SinTurns(5.2 * t + 0.3 * k) * std::min(1.0, t / 0.6)) : 1.0;
        f = hz * Cents(detune[k]) * vib;
        cutoff = (strings ? 900 : 700) + (strings ? 1400 : 2200) * std::min(1.0, t / 0.7);
      }
      double env = strings ? Adsr(t, n.length, 0.35, 0.6, 0.85, release)
                           : Adsr(t, n.length, 0.18, 0.8, 0.75, release);
      return filter.Low(osc.Saw(f), cutoff, 0.8) * env * 0.16;
    });
  }
}

void RenderEPiano(const Note& n, Stereo& out) {
  double hz = MidiHz(n.pitch);
  FmPair body, tine;
  Decay index(5), ting(16), fade(0.7);
  double release = ReleaseTail(n.voice);
  RenderMono(n, n.length + release, out, [&](double t, size_t) {
    double b = body.Next(hz, 1.0, 0.25 + 1.6 * index.Next());
    double bell = tine.Next(hz * 4, 3.0, 0.8) * 0.22 * ting.Next();
    double env = std::min(1.0, t / 0.003) * Adsr(t, n.length, 0, 2.0, 0.3, release) * fade.Next();
    return (b + bell) * env * 0.3;
  });
}

void RenderBell(const Note& n, Stereo& out) {
  double hz = MidiHz(n.pitch);
  FmPair fm;
  Decay index(3.5), ring(2.0);
  double release = ReleaseTail(n.voice);
  RenderMono(n, n.length + release, out, [&](double t, size_t) {
    double c = fm.Next(hz, 3.5, 0.4 + 2.6 * index.Next());
    double env = std::min(1.0, t / 0.002) * ring.Next() * Adsr(t, n.length, 0, 1, 1, release);
    return c * env * 0.28;
  });
}

void RenderPluck(const Note& n, Stereo& out) {
  double hz = MidiHz(n.pitch), hz2 = hz * Cents(7);
  Osc a, b;
  Svf filter;
  Decay sweep(14), ring(5);
  double release = ReleaseTail(n.voice);
  double cutoff = 0;
  RenderMono(n, n.length + release, out, [&](double t, size_t i) {
    double sw = sweep.Next();
    if (i % 8 == 0) cutoff = 300 + 5200 * sw;
    double s = a.Saw(hz) * 0.6 + b.Pulse(hz2, 0.5) * 0.4;
    double env = std::min(1.0, t / 0.002) * ring.Next() * Adsr(t, n.length, 0, 1, 1, release);
    return filter.Low(s, cutoff, 1.1) * env * 0.35;
  });
}

void RenderLead(const Note& n, Stereo& out, bool saw) {
  double hz = MidiHz(n.pitch);
  Osc a, b;
  Svf filter;
  Decay sweep(8);
  double release = ReleaseTail(n.voice);
  double f = hz, cutoff = 0;
  const double spread = Cents(7);
  RenderMono(n, n.length + release, out, [&](double t, size_t i) {
    double sw = sweep.Next();
    if (i % kControl == 0) {
      double depth = std::clamp((t - 0.18) / 0.3, 0.0, 1.0) * 18;
      f = hz * Cents(depth * SinTurns(5.6 * t));
      cutoff = (saw ? 2600 : 2000) + 3000 * sw;
    }
    double s = saw ? a.Saw(f / spread) * 0.5 + b.Saw(f * spread) * 0.5
                   : a.Pulse(f, 0.32) * 0.8 + b.Saw(f * 0.5) * 0.15;
    double env = Adsr(t, n.length, 0.008, 0.25, 0.72, release);
    return filter.Low(s, cutoff, saw ? 1.4 : 0.9) * env * 0.22;
  });
}

void RenderFlute(const Note& n, Stereo& out) {
  double hz = MidiHz(n.pitch);
  Osc a, b;
  Noise noise(n.seed);
  Svf breath;
  double release = ReleaseTail(n.voice);
  double f = hz;
  RenderMono(n, n.length + release, out, [&](double t, size_t i) {
    if (i % kControl == 0) {
      double depth = std::clamp((t - 0.25) / 0.4, 0.0, 1.0) * 14;
      f = hz * Cents(depth * SinTurns(5.0 * t));
    }
    double s = a.Sine(f) + 0.18 * b.Triangle(f * 2);
    double air = breath.Band(noise.Next(), hz * 2, 2.0) * 0.25;
    double env = Adsr(t, n.length, 0.06, 0.3, 0.8, release);
    return (s + air) * env * 0.3;
  });
}

void RenderBass(const Note& n, Stereo& out, bool drive) {
  double hz = MidiHz(n.pitch), hz2 = hz * Cents(5);
  Osc a, b, sub;
  Svf filter;
  Decay sweep(drive ? 9 : 11);
  double release = ReleaseTail(n.voice);
  double cutoff = 0;
  RenderMono(n, n.length + release, out, [&](double t, size_t i) {
    double sw = sweep.Next();
    if (i % 8 == 0) cutoff = (drive ? 500 : 320) + (drive ? 2600 : 1500) * sw;
    double s = drive ? a.Pulse(hz, 0.4) * 0.5 + b.Saw(hz2) * 0.5 : a.Saw(hz);
    double env = Adsr(t, n.length, 0.004, 0.3, 0.65, release);
    double v = filter.Low(s, cutoff, drive ? 1.3 : 0.9) * 0.7 + sub.Sine(hz) * 0.55;
    return v * env * 0.42;
  });
}

void RenderDrum(const Note& n, Stereo& out) {
  Noise noise(n.seed);
  Svf f1;
  Osc osc, osc2;
  double tune = std::pow(2.0, (n.pitch - 60) / 12.0);
  double life = ReleaseTail(n.voice);
  switch (n.voice) {
    case Voice::Kick: {
      Decay drop(28), body(7.5), click(300);
      RenderMono(n, life, out, [&](double, size_t) {
        double hz = (48 + 110 * drop.Next()) * tune;
        double b = osc.Sine(hz) * body.Next();
        double c = f1.High(noise.Next(), 3000) * click.Next() * 0.4;
        return std::tanh((b + c) * 1.4) * 0.62;
      });
      break;
    }
    case Voice::Snare: {
      Decay tone(22), rattle(15);
      RenderMono(n, life, out, [&](double, size_t) {
        double tn = (osc.Sine(185 * tune) * 0.6 + osc2.Sine(330 * tune) * 0.3) * tone.Next();
        double r = f1.High(noise.Next(), 1500, 0.6) * rattle.Next();
        return (tn + r * 0.9) * 0.42;
      });
      break;
    }
    case Voice::Clap:
      RenderMono(n, life, out, [&](double t, size_t) {
        double bursts = 0;
        for (int k = 0; k < 3; k++) {
          double u = t - k * 0.011;
          if (u >= 0 && u < 0.03) bursts = std::max(bursts, 1 - u / 0.012);
        }
        double tail = t > 0.022 ? std::exp(-(t - 0.022) * 18) : 0.0;
        return f1.Band(noise.Next(), 1300 * tune, 1.2) * std::max(bursts, tail * 0.7) * 0.9;
      });
      break;
    case Voice::ClosedHat:
    case Voice::OpenHat: {
      Decay decay(n.voice == Voice::ClosedHat ? 55 : 8);
      RenderMono(n, life, out, [&](double, size_t) {
        double metal = osc.Pulse(3120 * tune, 0.5) * 0.3 + osc2.Pulse(4470 * tune, 0.5) * 0.3;
        return f1.High(noise.Next() + metal, 7200, 0.7) * decay.Next() * 0.22;
      });
      break;
    }
    case Voice::Crash: {
      Decay decay(2.2);
      RenderMono(n, life, out, [&](double t, size_t) {
        double metal = osc.Pulse(2710 * tune, 0.5) * 0.25 + osc2.Pulse(3930 * tune, 0.5) * 0.25;
        double s = f1.High(noise.Next() + metal, 4200, 0.6);
        return s * decay.Next() * std::min(1.0, t / 0.003) * 0.26;
      });
      break;
    }
    case Voice::Tom: {
      Decay drop(12), body(7), skin(30);
      RenderMono(n, life, out, [&](double, size_t) {
        double hz = (95 + 70 * drop.Next()) * tune;
        double b = osc.Sine(hz) * body.Next();
        double s = f1.Band(noise.Next(), 300 * tune, 1) * skin.Next() * 0.3;
        return (b + s) * 0.55;
      });
      break;
    }
    case Voice::Shaker: {
      Decay decay(38);
      RenderMono(n, life, out, [&](double t, size_t) {
        double env = std::min(1.0, t / 0.008) * decay.Next();
        return f1.Band(noise.Next(), 6500 * tune, 1.5) * env * 0.3;
      });
      break;
    }
    default:
      break;
  }
}

}  // namespace

double ReleaseTail(Voice voice) {
  switch (voice) {
    case Voice::Pad:
      return 0.8;
    case Voice::Strings:
      return 0.9;
    case Voice::EPiano:
      return 0.5;
    case Voice::Bell:
      return 1.6;
    case Voice::Pluck:
      return 0.4;
    case Voice::SquareLead:
    case Voice::SawLead:
      return 0.14;
    case Voice::Flute:
      return 0.2;
    case Voice::Bass:
    case Voice::DriveBass:
      return 0.07;
    case Voice::Kick:
      return 0.6;
    case Voice::Snare:
      return 0.35;
    case Voice::Clap:
      return 0.3;
    case Voice::ClosedHat:
      return 0.09;
    case Voice::OpenHat:
      return 0.5;
    case Voice::Crash:
      return 2.2;
    case Voice::Tom:
      return 0.6;
    case Voice::Shaker:
      return 0.14;
  }
  return 0.5;
}

void RenderNote(const Note& n, Stereo& out) {
  switch (n.voice) {
    case Voice::Pad:
      RenderPad(n, out, false);
      break;
    case Voice::Strings:
      RenderPad(n, out, true);
      break;
    case Voice::EPiano:
      RenderEPiano(n, out);
      break;
    case Voice::Bell:
      RenderBell(n, out);
      break;
    case Voice::Pluck:
      RenderPluck(n, out);
      break;
    case Voice::SquareLead:
      RenderLead(n, out, false);
      break;
    case Voice::SawLead:
      RenderLead(n, out, true);
      break;
    case Voice::Flute:
      RenderFlute(n, out);
      break;
    case Voice::Bass:
      RenderBass(n, out, false);
      break;
    case Voice::DriveBass:
      RenderBass(n, out, true);
      break;
    default:
      RenderDrum(n, out);
      break;
  }
}

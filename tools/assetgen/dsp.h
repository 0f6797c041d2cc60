// Signal building blocks of the synthesiser: oscillators, envelopes,
// filters, noise, reverb, delay and a bus compressor. Everything runs in
// double precision sample by sample in a fixed order, so the same notes
// give the same samples on every run.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "noise.h"

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;

// A stereo signal of float samples.
struct Stereo {
  std::vector<float> l, r;
  Stereo() = default;
  explicit Stereo(size_t frames) : l(frames, 0.0f), r(frames, 0.0f) {}
  size_t Frames() const { return l.size(); }
  void Add(size_t at, double left, double right) {
    if (at < l.size()) {
      l[at] += static_cast<float>(left);
      r[at] += static_cast<float>(right);
    }
  }
  // Adds `other` scaled by gain, its first frame at `at` (may be negative:
  // the part before frame 0 is dropped).
  void Mix(const Stereo& other, double gain, long long at = 0);
};

// sin(2 pi x) from a table with linear interpolation (x in turns, any value).
double SinTurns(double x);

// An exponential decay evaluated by repeated multiplication: exp(-rate t).
class Decay {
 public:
  explicit Decay(double ratePerSecond) : factor_(std::exp(-ratePerSecond / kSampleRate)) {}
  double Next() {
    double v = value_;
    value_ *= factor_;
    return v;
  }

 private:
  double value_ = 1.0;
  double factor_;
};

// Frequency of a (fractional) MIDI note number; 69 = A4 = 440 Hz.
double MidiHz(double note);
// Equal-power pan: -1 left .. 1 right.
void PanGains(double pan, double* left, double* right);

// Band-limited oscillator (PolyBLEP for the edges of saw and pulse).
class Osc {
 public:
  explicit Osc(double phase = 0) : phase_(phase) {}
  double Sine(double hz);
  double Triangle(double hz);
  double Saw(double hz);
  double Pulse(double hz, double width);

 private:
  double Advance(double hz);
  double phase_;
};

// Attack-decay-sustain-release envelope level at time t after the note on,
// for a note held `held` seconds.
double Adsr(double t, double held, double attack, double decay, double sustain, double release);

// Topology-preserving state-variable filter (12 dB/octave).
class Svf {
 public:
  struct Out {
    double low, band, high;
  };
  // Cutoff in Hz (clamped below Nyquist), resonance q (0.5 = gentle).
  // The coefficients are recomputed only when cutoff or q change.
  Out Process(double x, double cutoff, double q);
  double Low(double x, double cutoff, double q = 0.7) { return Process(x, cutoff, q).low; }
  double High(double x, double cutoff, double q = 0.7) { return Process(x, cutoff, q).high; }
  double Band(double x, double cutoff, double q = 0.7) { return Process(x, cutoff, q).band; }

 private:
  double s1_ = 0, s2_ = 0;
  double cutoff_ = -1, q_ = -1;
  double k_ = 0, a1_ = 0, a2_ = 0, a3_ = 0;
};

// White noise in [-1, 1) from a seeded sequence.
class Noise {
 public:
  explicit Noise(uint64_t seed) : rng_(seed) {}
  double Next() { return rng_.Unit() * 2 - 1; }

 private:
  Rng rng_;
};

// Stereo reverb after Schroeder and Moorer: eight damped combs and four
// all-passes per side.
class Reverb {
 public:
  Reverb(double roomSize, double damping);
  void Process(double inL, double inR, double* outL, double* outR);

 private:
  struct Comb {
    std::vector<double> buf;
    size_t pos = 0;
    double store = 0;
  };
  struct AllPass {
    std::vector<double> buf;
    size_t pos = 0;
  };
  double Run(Comb& c, double x);
  double Run(AllPass& a, double x);
  Comb combs_[2][8];
  AllPass passes_[2][4];
  double feedback_, damp_;
};

// Ping-pong echo with a darkening feedback path.
class Echo {
 public:
  Echo(double seconds, double feedback);
  void Process(double inL, double inR, double* outL, double* outR);

 private:
  std::vector<double> l_, r_;
  size_t pos_ = 0;
  double feedback_;
  double lowL_ = 0, lowR_ = 0;
};

// Feed-forward compressor with a smoothed peak detector, applied in place.
void Compress(Stereo& s, double thresholdDb, double ratio, double attackMs, double releaseMs);
// Largest absolute sample of both channels.
double Peak(const Stereo& s);

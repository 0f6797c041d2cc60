#include "dsp.h"

#include <algorithm>
#include <cmath>

void Stereo::Mix(const Stereo& other, double gain, long long at) {
  const long long from = std::max(0LL, -at);
  const long long to =
      std::min(static_cast<long long>(other.Frames()), static_cast<long long>(Frames()) - at);
  if (to <= from) return;
  // Plain pointers that cannot alias, so the loop runs on vectors.
  float* __restrict dl = l.data() + (at + from);
  float* __restrict dr = r.data() + (at + from);
  const float* __restrict sl = other.l.data() + from;
  const float* __restrict sr = other.r.data() + from;
  for (long long i = 0; i < to - from; i++) {
    dl[i] += static_cast<float>(sl[i] * gain);
    dr[i] += static_cast<float>(sr[i] * gain);
  }
}

namespace {
constexpr int kSinTable = 4096;
struct SinTable {
  double v[kSinTable + 1];
  SinTable() {
    for (int i = 0; i <= kSinTable; i++) v[i] = std::sin(kTwoPi * i / kSinTable);
  }
};
const SinTable gSin;
}  // namespace

double SinTurns(double x) {
  x -= std::floor(x);
  double f = x * kSinTable;
  int i = static_cast<int>(f);
  if (i >= kSinTable) i = kSinTable - 1;
  double frac = f - i;
  return gSin.v[i] + (gSin.v[i + 1] - gSin.v[i]) * frac;
}

double MidiHz(double note) {
  return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

void PanGains(double pan, double* left, double* right) {
  double a = (std::clamp(pan, -1.0, 1.0) + 1) * kPi / 4;
  *left = std::cos(a) * std::sqrt(2.0);
  *right = std::sin(a) * std::sqrt(2.0);
}

namespace {

double Blep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1;
  }
  if (t > 1 - dt) {
    t = (t - 1) / dt;
    return t * t + t + t + 1;
  }
  return 0;
}

}  // namespace

double Osc::Advance(double hz) {
  double p = phase_;
  phase_ += hz / kSampleRate;
  phase_ -= std::floor(phase_);
  return p;
}

double Osc::Sine(double hz) {
  return SinTurns(Advance(hz));
}

double Osc::Triangle(double hz) {
  double p = Advance(hz);
  return 4 * std::fabs(p - 0.5) - 1;
}

double Osc::Saw(double hz) {
  double dt = hz / kSampleRate;
  double p = Advance(hz);
  return 2 * p - 1 - Blep(p, dt);
}

double Osc::Pulse(double hz, double width) {
  double dt = hz / kSampleRate;
  double p = Advance(hz);
  double v = p < width ? 1.0 : -1.0;
  v += Blep(p, dt);
  double q = p - width;
  q -= std::floor(q);
  v -= Blep(q, dt);
  return v;
}

double Adsr(double t, double held, double attack, double decay, double sustain, double release) {
  auto level = [&](double u) {
    if (u < 0) return 0.0;
    if (u < attack) return u / attack;
    u -= attack;
    if (u < decay) return 1 - (1 - sustain) * (u / decay);
    return sustain;
  };
  if (t < held) return level(t);
  double atRelease = level(held);
  double r = (t - held) / release;
  return r >= 1 ? 0.0 : atRelease * (1 - r) * (1 - r);
}

Svf::Out Svf::Process(double x, double cutoff, double q) {
  if (cutoff != cutoff_ || q != q_) {
    cutoff_ = cutoff;
    q_ = q;
    double g = std::tan(kPi * std::clamp(cutoff, 10.0, kSampleRate * 0.45) / kSampleRate);
    k_ = 1 / q;
    a1_ = 1 / (1 + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
  }
  double v3 = x - s2_;
  double v1 = a1_ * s1_ + a2_ * v3;
  double v2 = s2_ + a2_ * s1_ + a3_ * v3;
  s1_ = 2 * v1 - s1_;
  s2_ = 2 * v2 - s2_;
  return {v2, v1, x - k_ * v1 - v2};
}

Reverb::Reverb(double roomSize, double damping) : feedback_(roomSize), damp_(damping) {
  const int combLengths[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  const int passLengths[4] = {556, 441, 341, 225};
  for (int side = 0; side < 2; side++) {
    for (int i = 0; i < 8; i++) combs_[side][i].buf.assign(combLengths[i] + 23 * side, 0.0);
    for (int i = 0; i < 4; i++) passes_[side][i].buf.assign(passLengths[i] + 23 * side, 0.0);
  }
}

double Reverb::Run(Comb& c, double x) {
  double out = c.buf[c.pos];
  c.store = out * (1 - damp_) + c.store * damp_;
  c.buf[c.pos] = x + c.store * feedback_;
  if (++c.pos == c.buf.size()) c.pos = 0;
  return out;
}

double Reverb::Run(AllPass& a, double x) {
  double delayed = a.buf[a.pos];
  double out = delayed - x;
  a.buf[a.pos] = x + delayed * 0.5;
  if (++a.pos == a.buf.size()) a.pos = 0;
  return out;
}

void Reverb::Process(double inL, double inR, double* outL, double* outR) {
  double input = (inL + inR) * 0.015;
  double acc[2] = {0, 0};
  for (int side = 0; side < 2; side++) {
    for (auto& c : combs_[side]) acc[side] += Run(c, input);
    for (auto& a : passes_[side]) acc[side] = Run(a, acc[side]);
  }
  *outL = acc[0];
  *outR = acc[1];
}

Echo::Echo(double seconds, double feedback)
    : l_(static_cast<size_t>(seconds * kSampleRate) + 1, 0.0),
      r_(static_cast<size_t>(seconds * kSampleRate) + 1, 0.0),
      feedback_(feedback) {}

void Echo::Process(double inL, double inR, double* outL, double* outR) {
  double dl = l_[pos_], dr = r_[pos_];
  lowL_ += (dl - lowL_) * 0.35;
  lowR_ += (dr - lowR_) * 0.35;
  // Ping-pong: each side feeds the other.
  l_[pos_] = inL + lowR_ * feedback_;
  r_[pos_] = inR + lowL_ * feedback_;
  if (++pos_ == l_.size()) pos_ = 0;
  *outL = dl;
  *outR = dr;
}

void Compress(Stereo& s, double thresholdDb, double ratio, double attackMs, double releaseMs) {
  double threshold = std::pow(10.0, thresholdDb / 20);
  double att = std::exp(-1.0 / (attackMs * 0.001 * kSampleRate));
  double rel = std::exp(-1.0 / (releaseMs * 0.001 * kSampleRate));
  double env = 0;
  for (size_t i = 0; i < s.Frames(); i++) {
    double peak =
        std::max(std::fabs(static_cast<double>(s.l[i])), std::fabs(static_cast<double>(s.r[i])));
    env = peak > env ? att * env + (1 - att) * peak : rel * env + (1 - rel) * peak;
    double gain = 1;
    if (env > threshold) gain = std::pow(env / threshold, 1 / ratio - 1);
    s.l[i] = static_cast<float>(s.l[i] * gain);
    s.r[i] = static_cast<float>(s.r[i] * gain);
  }
}

double Peak(const Stereo& s) {
  double p = 0;
  for (size_t i = 0; i < s.Frames(); i++)
    p = std::max(
        {p, std::fabs(static_cast<double>(s.l[i])), std::fabs(static_cast<double>(s.r[i]))});
  return p;
}

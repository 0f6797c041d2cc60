// The nine sound effects, each telling what happened:
//   00 a piece is placed (also the rise and the buttons): a short wooden knock
//   01 rows completed: a rising chime
//   02 cells vanish (also menu hover): a light sparkling pop
//   03 several rows or a chain (also versus chosen): a bright chord burst
//   04 invert: a quick up-and-down flip
//   05 level up or turn passed: a little fanfare
//   06 the preview moved to a new cell: a tiny tick
//   07 refused: a low double buzz
//   08 rows completed from level 99 on (and a versus turn change): a richer,
//      higher chime with a shimmer
#include "sound_effects.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "dsp.h"
#include "wav_writer.h"

namespace {

using Buffer = std::vector<float>;

enum class Wave { Sine, Square, Triangle, Saw };

Buffer Silence(double seconds) {
  return Buffer(static_cast<size_t>(seconds * kSampleRate), 0.0f);
}

// A tone gliding exponentially from f0 to f1 over its length, with a short
// attack and an exponential decay (per second).
void Tone(Buffer& b, double start, double length, double f0, double f1, Wave wave, double decay,
          double gain) {
  Osc osc;
  size_t from = static_cast<size_t>(start * kSampleRate);
  size_t n = static_cast<size_t>(length * kSampleRate);
  for (size_t i = 0; i < n && from + i < b.size(); i++) {
    double t = static_cast<double>(i) / kSampleRate;
    double hz = f0 * std::pow(f1 / f0, t / length);
    double v = wave == Wave::Sine       ? osc.Sine(hz)
               : wave == Wave::Square   ? osc.Pulse(hz, 0.5)
               : wave == Wave::Triangle ? osc.Triangle(hz)
                                        : osc.Saw(hz);
    double env = std::min(1.0, t / 0.003) * std::exp(-t * decay);
    double fade = std::min(1.0, (length - t) / 0.005);
    b[from + i] += static_cast<float>(v * env * fade * gain);
  }
}

// An FM bell note.
void Bell(Buffer& b, double start, double hz, double decay, double gain, double ratio = 3.5) {
  Osc mod;
  double phase = 0;
  size_t from = static_cast<size_t>(start * kSampleRate);
  for (size_t i = 0; from + i < b.size(); i++) {
    double t = static_cast<double>(i) / kSampleRate;
    double env = std::min(1.0, t / 0.002) * std::exp(-t * decay);
    if (env < 1e-4 && t > 0.01) break;
    double index = 0.3 + 2.5 * std::exp(-t * 6);
    double v = std::sin(kTwoPi * phase + mod.Sine(hz * ratio) * index);
    phase += hz / kSampleRate;
    phase -= std::floor(phase);
    b[from + i] += static_cast<float>(v * env * gain);
  }
}

// Band-passed noise whose centre glides from f0 to f1.
void Hiss(Buffer& b, double start, double length, double f0, double f1, double q, double decay,
          double gain, uint64_t seed) {
  Noise noise(seed);
  Svf filter;
  size_t from = static_cast<size_t>(start * kSampleRate);
  size_t n = static_cast<size_t>(length * kSampleRate);
  for (size_t i = 0; i < n && from + i < b.size(); i++) {
    double t = static_cast<double>(i) / kSampleRate;
    double hz = f0 * std::pow(f1 / f0, t / length);
    double env =
        std::min(1.0, t / 0.004) * std::exp(-t * decay) * std::min(1.0, (length - t) / 0.01);
    b[from + i] += static_cast<float>(filter.Band(noise.Next(), hz, q) * env * gain);
  }
}

// A touch of room.
void Room(Buffer& b, double wet) {
  Reverb reverb(0.7, 0.4);
  for (float& s : b) {
    double l, r;
    reverb.Process(s, s, &l, &r);
    s = static_cast<float>(s + (l + r) * 0.5 * wet);
  }
}

// Scales to the given peak and fades the last 5 ms.
void Finish(Buffer& b, double peak) {
  double p = 0;
  for (float s : b) p = std::max(p, std::fabs(static_cast<double>(s)));
  double k = p > 0 ? peak / p : 0;
  size_t fade = static_cast<size_t>(0.005 * kSampleRate);
  for (size_t i = 0; i < b.size(); i++) {
    double f = i + fade >= b.size() ? static_cast<double>(b.size() - i) / fade : 1.0;
    b[i] = static_cast<float>(b[i] * k * f);
  }
}

double Note(double midi) {
  return MidiHz(midi);
}

Buffer Placed() {
  Buffer b = Silence(0.16);
  Tone(b, 0, 0.16, 190, 70, Wave::Sine, 28, 0.9);
  Tone(b, 0, 0.05, 1300, 900, Wave::Triangle, 80, 0.25);
  Hiss(b, 0, 0.03, 2500, 1200, 1.0, 90, 0.6, 11);
  return b;
}

Buffer RowsCompleted() {
  Buffer b = Silence(0.7);
  const double notes[4] = {76, 80, 83, 88};  // E major, rising
  for (int i = 0; i < 4; i++) Bell(b, 0.055 * i, Note(notes[i]), 5.5, i == 3 ? 0.5 : 0.4);
  Tone(b, 0, 0.25, Note(64), Note(64), Wave::Triangle, 10, 0.25);
  Room(b, 0.6);
  return b;
}

Buffer Vanished() {
  Buffer b = Silence(0.28);
  Tone(b, 0, 0.06, 500, 1500, Wave::Sine, 25, 0.6);
  Bell(b, 0.02, Note(96), 16, 0.25, 2.0);
  Bell(b, 0.05, Note(100), 18, 0.18, 2.0);
  Hiss(b, 0, 0.2, 3000, 9000, 1.5, 16, 0.35, 22);
  Room(b, 0.4);
  return b;
}

Buffer Chain() {
  Buffer b = Silence(0.9);
  const double chord[5] = {72, 76, 79, 84, 88};  // C major spread
  for (int i = 0; i < 5; i++) Bell(b, 0.02 * i, Note(chord[i]), 4.0, 0.3);
  Tone(b, 0, 0.4, Note(48), Note(48), Wave::Saw, 8, 0.18);
  Tone(b, 0, 0.35, Note(60), Note(60), Wave::Square, 9, 0.1);
  Hiss(b, 0, 0.5, 800, 8000, 1.2, 5, 0.3, 33);
  for (int i = 0; i < 4; i++) Bell(b, 0.2 + 0.07 * i, Note(96 + 3 * i), 12, 0.12, 2.0);
  Room(b, 0.7);
  return b;
}

Buffer Inverted() {
  Buffer b = Silence(0.16);
  Tone(b, 0, 0.07, 420, 1100, Wave::Square, 6, 0.35);
  Tone(b, 0.075, 0.07, 1100, 480, Wave::Square, 10, 0.3);
  Hiss(b, 0, 0.14, 1500, 5000, 2.0, 12, 0.2, 44);
  return b;
}

Buffer LevelUp() {
  Buffer b = Silence(1.0);
  const double notes[5] = {72, 76, 79, 84, 88};
  for (int i = 0; i < 5; i++) {
    double t = 0.07 * i;
    double len = i == 4 ? 0.55 : 0.09;
    Tone(b, t, len, Note(notes[i]), Note(notes[i]), Wave::Square, i == 4 ? 4 : 14, 0.18);
    Bell(b, t, Note(notes[i]), i == 4 ? 3.0 : 9.0, 0.25);
  }
  Tone(b, 0.28, 0.6, Note(60), Note(60), Wave::Triangle, 4, 0.25);
  Room(b, 0.5);
  return b;
}

Buffer CursorMoved() {
  Buffer b = Silence(0.045);
  Tone(b, 0, 0.045, 2400, 2000, Wave::Sine, 110, 0.8);
  Tone(b, 0, 0.02, 4800, 4800, Wave::Triangle, 200, 0.15);
  return b;
}

Buffer Refused() {
  Buffer b = Silence(0.28);
  Tone(b, 0, 0.1, 220, 210, Wave::Square, 4, 0.5);
  Tone(b, 0, 0.1, 221.5, 211, Wave::Saw, 4, 0.3);
  Tone(b, 0.13, 0.13, 165, 150, Wave::Square, 6, 0.5);
  Tone(b, 0.13, 0.13, 166.5, 151, Wave::Saw, 6, 0.3);
  // Round off the buzz.
  Svf filter;
  for (float& s : b) s = static_cast<float>(filter.Low(s, 1800, 0.7));
  return b;
}

Buffer RowsCompletedHigh() {
  Buffer b = Silence(0.85);
  const double notes[5] = {81, 85, 88, 93, 97};  // A major, higher
  for (int i = 0; i < 5; i++) {
    Bell(b, 0.045 * i, Note(notes[i]), 5.0, 0.32);
    Bell(b, 0.045 * i + 0.01, Note(notes[i] + 12), 9.0, 0.1, 2.0);
  }
  Tone(b, 0, 0.3, 90, 45, Wave::Sine, 9, 0.5);
  Hiss(b, 0.05, 0.6, 4000, 11000, 1.8, 4, 0.22, 55);
  Room(b, 0.7);
  return b;
}

struct Effect {
  Buffer (*make)();
  double peak;
};

const Effect kEffects[9] = {
    {Placed, 0.5},       {RowsCompleted, 0.5}, {Vanished, 0.45},
    {Chain, 0.5},        {Inverted, 0.42},     {LevelUp, 0.5},
    {CursorMoved, 0.28}, {Refused, 0.45},      {RowsCompletedHigh, 0.5},
};

}  // namespace

bool WriteSoundEffects(const std::string& systemDir, std::string* error) {
  for (int n = 0; n < 9; n++) {
    Buffer b = kEffects[n].make();
    Finish(b, kEffects[n].peak);
    char name[16];
    std::snprintf(name, sizeof name, "/%02d.wav", n);
    if (!WriteWav(systemDir + name, b, error)) return false;
  }
  return true;
}

// The sequencer: a timeline of bars and sixteenth steps, the note list of a
// piece, step patterns, and the mix that renders the notes through three
// buses (dry, reverb, echo) into a finished stereo signal.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "instruments.h"

struct Timeline {
  double bpm = 120;
  int stepsPerBar = 16;
  // A sixteenth lasts a whole number of frames, so every note starts on a
  // frame and a body repeated later is the very same frames.
  double StepSeconds() const { return std::round(kSampleRate * 60.0 / bpm / 4) / kSampleRate; }
  double BarSeconds() const { return StepSeconds() * stepsPerBar; }
  // Seconds of a position given in bars and sixteenth steps.
  double At(double bar, double step = 0) const { return bar * BarSeconds() + step * StepSeconds(); }
};

// How one voice sits in the mix.
struct Channel {
  double gain = 1;
  double reverb = 0.2;  // send to the reverb
  double echo = 0;      // send to the echo
};

struct NoteList {
  std::vector<Note> notes;
  void Add(const Note& n) { notes.push_back(n); }
  // Plays a 16-step pattern in bar `bar`: 'X' accent, 'x' normal, 'o' soft,
  // anything else rest.
  void Pattern(const Timeline& tl, int bar, const std::string& steps, Voice voice, double pitch,
               double velocity, double pan, uint32_t seed);
};

struct MixSettings {
  Channel channels[18];  // indexed by Voice
  double reverbRoom = 0.82, reverbDamp = 0.3, reverbReturn = 1.0;
  double echoSeconds = 0.3, echoFeedback = 0.35, echoReturn = 0.5;
};

// Renders the notes sounding in the window of `frames` frames that starts
// `from` seconds into the piece, with the reverb and echo returns mixed in.
Stereo RenderMix(const NoteList& notes, double from, size_t frames, const MixSettings& mix);
// Mastering: compresses the mix gently and scales it to the given peak.
void Master(Stereo& s, double targetPeak);

// The synthesiser's instruments: each renders one note into a stereo signal.
#pragma once

#include <cstdint>

#include "dsp.h"

enum class Voice {
  Pad,         // detuned saws, slow filter swell
  Strings,     // softer pad with vibrato
  EPiano,      // two-operator FM electric piano
  Bell,        // FM bell
  Pluck,       // filtered saw with a fast filter decay
  SquareLead,  // pulse lead with delayed vibrato
  SawLead,     // two detuned saws, bright
  Flute,       // sine and breath
  Bass,        // saw and sine, filter envelope
  DriveBass,   // harder square-saw bass
  Kick,
  Snare,
  Clap,
  ClosedHat,
  OpenHat,
  Crash,
  Tom,
  Shaker,
};

struct Note {
  double start = 0;     // seconds from the start of the signal
  double length = 0;    // seconds held
  double pitch = 60;    // MIDI note (drums: tuning offset around 60)
  double velocity = 1;  // 0..1
  double pan = 0;       // -1 left .. 1 right
  Voice voice = Voice::Pad;
  uint32_t seed = 1;  // noise seed of this note
};

// Seconds a note keeps sounding after it is released.
double ReleaseTail(Voice voice);
// Adds the note to `out`; samples past the end are dropped.
void RenderNote(const Note& note, Stereo& out);

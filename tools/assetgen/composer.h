// The composer: turns a short description of a track (key, tempo, chord
// progressions, groove, instruments, form) into the notes of the whole
// piece: chords, bass line, melody built from repeated motifs, arpeggios
// and drums with fills.
#pragma once

#include <cstdint>

#include "sequencer.h"

enum class Mode { Major, Minor, Dorian, Mixolydian, Lydian };

enum class Groove {
  Calm,   // shaker and soft kick, half-note bass
  Pop,    // backbeat, eighth hats, syncopated bass
  Drive,  // four on the floor, off-beat open hats
  Rock,   // busy kick, sixteenth hats, galloping bass
  Epic,   // toms and broken kick, for the versus theme
};

struct TrackPlan {
  const char* file;
  uint32_t seed;
  double bpm;
  int tonic;  // MIDI note of the key's tonic near middle C
  Mode mode;
  int progA[8];  // chord degree (0 = I) of each bar of the A sections
  int progB[8];  // and of the B sections
  Groove groove;
  Voice lead;
  Voice chords;  // sustained or comping chord voice
  Voice pad;     // a second, sustained chord layer (Voice::Pad / Strings), or chords again
  Voice bass;
  bool arp;          // sixteenth-note arpeggio in the B and C sections
  int density;       // melody: 0 calm, 1 lively, 2 busy
  const char* form;  // sections of eight bars: 'A', 'B' or 'C' (A with a new ending)
  int introBars;     // 0: the whole piece loops; otherwise an intro played once
};

struct Composition {
  NoteList notes;
  MixSettings mix;
  double introSeconds = 0;   // where the looped body starts
  double bodySeconds = 0;    // length of the looped body
  double renderSeconds = 0;  // how much to render (intro, body and what follows)
};

// Composes the track. The body is written twice in a row so the end of the
// body flows into its beginning (reverb tails included); the caller keeps
// the part it needs.
Composition Compose(const TrackPlan& plan);

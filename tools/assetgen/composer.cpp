#include "composer.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

const int kScales[5][7] = {
    {0, 2, 4, 5, 7, 9, 11},  // major
    {0, 2, 3, 5, 7, 8, 10},  // natural minor
    {0, 2, 3, 5, 7, 9, 10},  // dorian
    {0, 2, 4, 5, 7, 9, 10},  // mixolydian
    {0, 2, 4, 6, 7, 9, 11},  // lydian
};

bool IsMinor(Mode m) {
  return m == Mode::Minor || m == Mode::Dorian;
}

// The harmony of one bar.
struct Harmony {
  Mode mode;
  int degree;  // chord root, scale degree 0..6
  // In minor keys the dominant chord borrows the raised seventh.
  bool RaisedSeventh() const { return IsMinor(mode) && degree == 4; }
  // Semitones above the tonic of diatonic degree d (any integer).
  int Semis(int d) const {
    int oct = static_cast<int>(std::floor(d / 7.0));
    int idx = d - 7 * oct;
    int s = kScales[static_cast<int>(mode)][idx] + 12 * oct;
    if (RaisedSeventh() && idx == 6) s += 1;
    return s;
  }
  bool IsChordTone(int d) const {
    int rel = ((d - degree) % 7 + 7) % 7;
    return rel == 0 || rel == 2 || rel == 4;
  }
  // The chord tone nearest to degree d (ties go up).
  int NearestChordTone(int d) const {
    for (int k = 0; k < 4; k++) {
      if (IsChordTone(d + k)) return d + k;
      if (IsChordTone(d - k)) return d - k;
    }
    return d;
  }
};

// A melodic idea: a rhythm over two bars and the scale steps between its
// notes. Realised over different chords it keeps its shape.
struct Motif {
  struct Hit {
    int step;  // 0..31
    int len;   // in sixteenths
  };
  std::vector<Hit> rhythm;
  std::vector<int> moves;  // degree change before each note (first unused)
};

Motif MakeMotif(Rng& rng, int density, bool answer) {
  Motif m;
  // Beat cells: durations in sixteenths, negative = rest.
  static const std::vector<std::vector<int>> cells[3] = {
      {{4}, {4}, {8}, {2, 2}, {-2, 2}, {3, 1}},
      {{4}, {2, 2}, {2, 2}, {3, 1}, {-2, 2}, {2, 1, 1}, {6, 2}},
      {{1, 1, 1, 1}, {2, 1, 1}, {1, 1, 2}, {2, 2}, {3, 1}, {-1, 1, 2}, {2, 2}},
  };
  const auto& set = cells[std::clamp(density, 0, 2)];
  int step = 0;
  int endBeat = rng.Chance(0.5) ? 6 : 7;
  while (step < endBeat * 4) {
    const auto& cell = set[rng.Below(static_cast<int>(set.size()))];
    int total = 0;
    for (int d : cell) total += std::abs(d);
    if (step + total > endBeat * 4) {
      m.rhythm.push_back({step, endBeat * 4 - step});
      step = endBeat * 4;
      break;
    }
    for (int d : cell) {
      if (d > 0) m.rhythm.push_back({step, d});
      step += std::abs(d);
    }
  }
  // The phrase ends on a long note.
  int last = endBeat == 6 ? (rng.Chance(0.5) ? 8 : 6) : 4;
  m.rhythm.push_back({endBeat * 4, std::min(last, 32 - endBeat * 4)});
  // Steps: mostly by step, a few small leaps; questions rise, answers fall.
  static const int moves[16] = {-1, -1, -1, -1, 1, 1, 1, 1, -2, -2, 2, 2, 0, 3, -3, 4};
  int bias = answer ? -1 : 1;
  for (size_t i = 0; i < m.rhythm.size(); i++) {
    int mv = moves[rng.Below(16)];
    bool firstHalf = i < m.rhythm.size() / 2;
    if (rng.Chance(0.35)) mv = (firstHalf ? bias : -bias) * std::max(1, std::abs(mv));
    m.moves.push_back(mv);
  }
  return m;
}

struct Arranger {
  const TrackPlan& plan;
  Timeline tl;
  NoteList& out;
  Rng rng;
  std::vector<int> voicing;  // last chord voicing (MIDI notes)

  Arranger(const TrackPlan& s, NoteList& o) : plan(s), out(o), rng(s.seed) { tl.bpm = s.bpm; }

  Harmony At(int degree) const { return Harmony{plan.mode, degree}; }
  int Pitch(const Harmony& h, int degree, int octave) const {
    return plan.tonic + 12 * octave + h.Semis(degree);
  }
  double Humanise(double v) { return v * (0.92 + 0.08 * rng.Unit()); }

  void Add(Voice voice, double start, double length, double pitch, double velocity, double pan) {
    Note n;
    n.start = start;
    n.length = length;
    n.pitch = pitch;
    n.velocity = velocity;
    n.pan = pan;
    n.voice = voice;
    n.seed = static_cast<uint32_t>(rng.Next());
    out.Add(n);
  }

  // Close voicing of the chord nearest to the previous one, within a range.
  std::vector<int> VoiceChord(const Harmony& h, bool seventh) {
    std::vector<int> tones;
    for (int k : {0, 2, 4}) tones.push_back(h.Semis(h.degree + k) % 12);
    if (seventh) tones.push_back(h.Semis(h.degree + 6) % 12);
    std::vector<int> best;
    int bestCost = 1 << 30;
    int centre = voicing.empty() ? 62 : 0;
    if (!voicing.empty()) {
      for (int v : voicing) centre += v;
      centre /= static_cast<int>(voicing.size());
    }
    for (int inv = 0; inv < static_cast<int>(tones.size()); inv++)
      for (int base = 48; base <= 64; base++) {
        if ((base - plan.tonic % 12 + 120) % 12 != tones[inv]) continue;
        std::vector<int> v;
        int p = base;
        for (size_t k = 0; k < tones.size(); k++) {
          int t = tones[(inv + k) % tones.size()];
          while ((p - plan.tonic % 12 + 120) % 12 != t) p++;
          v.push_back(p);
          p++;
        }
        int mean = 0;
        for (int x : v) mean += x;
        mean /= static_cast<int>(v.size());
        int cost = std::abs(mean - centre) * 2 + std::abs(mean - 62);
        if (v.back() > 74 || v.front() < 50) cost += 100;
        if (cost < bestCost) {
          bestCost = cost;
          best = v;
        }
      }
    voicing = best;
    return best;
  }

  void Chords(int bar, const Harmony& h, int section, bool intro) {
    bool seventh = plan.groove == Groove::Calm || plan.chords == Voice::EPiano;
    std::vector<int> v = VoiceChord(h, seventh);
    double barStart = tl.At(bar);
    // The sustained layer.
    if (plan.pad == Voice::Pad || plan.pad == Voice::Strings)
      for (size_t k = 0; k < v.size(); k++)
        Add(plan.pad, barStart, tl.BarSeconds() * 0.98, v[k], 0.55, -0.4 + 0.8 * k / v.size());
    // The comping layer.
    std::string comp;
    switch (plan.groove) {
      case Groove::Calm:
        comp = "x-------o-------";
        break;
      case Groove::Pop:
        comp = section % 2 ? "x-.x-.x-.x-.x-x." : "..x-..x-..x-.xx.";
        break;
      case Groove::Drive:
        comp = "..x-..x-..x-..x-";
        break;
      case Groove::Rock:
        comp = "x-.x-.x-x-.x-.x-";
        break;
      case Groove::Epic:
        comp = "x-------x---x---";
        break;
    }
    if (plan.chords == Voice::Pad || plan.chords == Voice::Strings) comp = "x---------------";
    if (intro && plan.groove != Groove::Calm) comp = "x---------------";
    for (int s = 0; s < 16; s++) {
      if (comp[s] != 'x' && comp[s] != 'o') continue;
      int len = 1;
      while (s + len < 16 && comp[s + len] == '-') len++;
      double vel = comp[s] == 'x' ? 0.8 : 0.55;
      for (size_t k = 0; k < v.size(); k++)
        Add(plan.chords, tl.At(bar, s), tl.StepSeconds() * len * 0.9,
            v[k] + 12 * (plan.chords == Voice::Pluck), Humanise(vel), -0.25 + 0.5 * k / v.size());
    }
  }

  void Bass(int bar, const Harmony& h, const Harmony& next, int section) {
    std::string pattern;
    switch (plan.groove) {
      case Groove::Calm:
        pattern = "R-------F-----A-";
        break;
      case Groove::Pop:
        pattern = section % 2 ? "R-.RR-.OR-.RF-.A" : "R--R--R-R--R--OA";
        break;
      case Groove::Drive:
        pattern = bar % 2 ? "R-O-R-O-R-O-R-A-" : "R-R-O-R-R-R-O-R-";
        break;
      case Groove::Rock:
        pattern = "R.RRR.RRR.RRO.RA";
        break;
      case Groove::Epic:
        pattern = section % 2 ? "R-R-R-R-O-R-R-A-" : "R-----R-R-----A-";
        break;
    }
    // Roots between A1 and G#2; the approach note leads to the next root.
    auto fold = [](int p) {
      while (p >= 45) p -= 12;
      while (p < 33) p += 12;
      return p;
    };
    int root = fold(plan.tonic + h.Semis(h.degree));
    int nextRoot = fold(plan.tonic + next.Semis(next.degree));
    // A chromatic step into the next root (or the fifth when it stays).
    int approach = nextRoot > root ? nextRoot - 1 : (nextRoot < root ? nextRoot + 1 : root + 7);
    for (int s = 0; s < 16; s++) {
      char c = pattern[s];
      if (c == '.' || c == '-') continue;
      int len = 1;
      while (s + len < 16 && pattern[s + len] == '-') len++;
      int p = root;
      if (c == 'O') p = root + 12;
      if (c == 'F') p = root + h.Semis(h.degree + 4) - h.Semis(h.degree);
      if (c == 'A') p = approach;
      double vel = (s % 4 == 0) ? 0.95 : 0.8;
      Add(plan.bass, tl.At(bar, s), tl.StepSeconds() * len * 0.92, p, Humanise(vel), 0);
    }
  }

  // Sixteenth-note arpeggio over the current voicing, an octave up.
  void Arp(int bar) {
    std::vector<int> v = voicing;
    if (v.empty()) return;
    static const int order[16] = {0, 1, 2, 3, 4, 3, 2, 1, 0, 1, 2, 3, 5, 4, 3, 2};
    for (int s = 0; s < 16; s++) {
      int k = order[s];
      int p = v[k % v.size()] + 12 * (1 + k / static_cast<int>(v.size()));
      Add(Voice::Pluck, tl.At(bar, s), tl.StepSeconds() * 0.9, p, Humanise(s % 4 == 0 ? 0.7 : 0.5),
          s % 2 ? 0.45 : -0.45);
    }
  }

  void Drums(int bar, bool fill, bool crash, int section, bool intro) {
    uint32_t seed = plan.seed + static_cast<uint32_t>(bar) * 31u;
    const double hatPan = 0.3;
    if (crash && plan.groove != Groove::Calm)
      out.Pattern(tl, bar, "X", Voice::Crash, 60, 0.9, -0.3, seed + 1);
    std::string kick, snare, hat, open, extra;
    Voice extraVoice = Voice::Shaker;
    switch (plan.groove) {
      case Groove::Calm:
        kick = "x.......o.......";
        snare = "";
        hat = "";
        extra = "x.o.x.o.x.o.x.oo";
        extraVoice = Voice::Shaker;
        if (section % 2) snare = "............o...";
        break;
      case Groove::Pop:
        kick = bar % 2 ? "X.....x.X.....x." : "X.....x.X.......";
        snare = "....X.......X...";
        hat = "x.o.x.o.x.o.x.o.";
        open = bar % 2 ? "..............x." : "";
        break;
      case Groove::Drive:
        kick = "X...X...X...X...";
        snare = "....X.......X...";
        extra = "....x.......x...";
        extraVoice = Voice::Clap;
        hat = "o.o.o.o.o.o.o.o.";
        open = "..x...x...x...x.";
        break;
      case Groove::Rock:
        kick = bar % 2 ? "X.x...x.X.x..xx." : "X.x...x.X.x...x.";
        snare = "....X.......X...";
        hat = "xoxoxoxoxoxoxoxo";
        break;
      case Groove::Epic:
        kick = section % 2 ? "X.xX..x.X.xX..x." : "X..x..x...x..x..";
        snare = "....X.......X...";
        hat = "x.x.x.x.x.x.x.x.";
        if (bar % 4 == 3) extra = "..........o.x.X.";
        extraVoice = Voice::Tom;
        break;
    }
    if (intro) {
      // The intro keeps the drums light until its last bar.
      if (!fill) {
        snare = "";
        kick = plan.groove == Groove::Calm ? "" : "X.......X.......";
      }
    }
    if (fill) {
      // A fill over the last two beats of the section.
      snare = snare.substr(0, std::min<size_t>(8, snare.size()));
      snare.resize(8, '.');
      if (plan.groove == Groove::Calm) {
        snare += "....o.o.";
      } else {
        snare += rng.Chance(0.5) ? "x.xxX.XX" : "xxxxXXXX";
      }
      if (plan.groove == Groove::Rock || plan.groove == Groove::Epic) {
        out.Pattern(tl, bar, "............xxXX", Voice::Tom, 57, 0.8, 0.3, seed + 7);
        snare = snare.substr(0, 12) + "....";
      }
      hat = hat.substr(0, std::min<size_t>(8, hat.size()));
    }
    out.Pattern(tl, bar, kick, Voice::Kick, 60, plan.groove == Groove::Calm ? 0.55 : 1.0, 0,
                seed + 2);
    out.Pattern(tl, bar, snare, Voice::Snare, 60, 0.9, 0.05, seed + 3);
    out.Pattern(tl, bar, hat, Voice::ClosedHat, 60, 0.8, hatPan, seed + 4);
    out.Pattern(tl, bar, open, Voice::OpenHat, 60, 0.7, hatPan, seed + 5);
    out.Pattern(tl, bar, extra, extraVoice, extraVoice == Voice::Tom ? 55 : 60, 0.8, -0.3,
                seed + 6);
  }

  // Plays a motif over bars [bar, bar + 2) of the given chords, starting
  // near degree `ref`; returns the last degree.
  int Phrase(int bar, const Motif& m, const int* degrees, int ref, int lo, int hi, double velocity,
             bool cadence) {
    int d = At(degrees[0]).NearestChordTone(ref);
    for (size_t k = 0; k < m.rhythm.size(); k++) {
      const Motif::Hit& hit = m.rhythm[k];
      Harmony h = At(degrees[hit.step / 16]);
      bool last = k + 1 == m.rhythm.size();
      if (k > 0) d += m.moves[k];
      // Bounce off the ends of the range rather than jump an octave.
      if (d > hi) d = 2 * hi - d;
      if (d < lo) d = 2 * lo - d;
      bool strong = hit.step % 8 == 0 || hit.len >= 4 || last;
      if (strong) d = h.NearestChordTone(d);
      if (last && cadence) {
        // The section ends on the root of its last chord.
        int r = h.degree + 7 * static_cast<int>(std::floor((d - h.degree) / 7.0 + 0.5));
        d = r;
      }
      double len = tl.StepSeconds() * (hit.len - (hit.len >= 2 ? 0.25 : 0.1));
      double vel = velocity * (hit.step % 4 == 0 ? 1.0 : 0.85);
      Add(plan.lead, tl.At(bar, hit.step), len, Pitch(h, d, 1), Humanise(vel), 0.05);
    }
    return d;
  }
};

}  // namespace

Composition Compose(const TrackPlan& plan) {
  Composition c;
  Rng motifRng(plan.seed ^ 0x5EEDu);
  Motif motifs[8];
  for (int i = 0; i < 8; i++) motifs[i] = MakeMotif(motifRng, plan.density, i % 2 == 1);

  const std::string form = plan.form;
  const int bodyBars = 8 * static_cast<int>(form.size());

  // The body, written once from bar 0.
  NoteList body;
  Arranger a(plan, body);
  for (int s = 0; s < static_cast<int>(form.size()); s++) {
    char kind = form[s];
    const int* prog = kind == 'B' ? plan.progB : plan.progA;
    int first = 8 * s;
    for (int i = 0; i < 8; i++) {
      int bar = first + i;
      Harmony h = a.At(prog[i]);
      int nextDegree =
          i < 7 ? prog[i + 1]
                : (s + 1 < static_cast<int>(form.size()) && form[s + 1] == 'B' ? plan.progB[0]
                                                                               : plan.progA[0]);
      a.Chords(bar, h, s, false);
      a.Bass(bar, h, a.At(nextDegree), s);
      if (plan.arp && kind != 'A') a.Arp(bar);
      a.Drums(bar, i == 7, i == 0, s, false);
    }
    // Melody: four two-bar phrases, x y x z.
    int base = kind == 'B' ? 2 : 0;
    int ref = kind == 'B' ? 7 : 4;
    int lo = kind == 'B' ? 2 : 0, hi = kind == 'B' ? 11 : 9;
    const Motif* phrases[4] = {&motifs[base], &motifs[base + 1], &motifs[base],
                               &motifs[kind == 'C' ? 5 : base + 4]};
    int d = ref;
    for (int p = 0; p < 4; p++) {
      int r = p == 2 ? ref : (p == 0 ? ref : d);
      d = a.Phrase(first + 2 * p, *phrases[p], prog + 2 * p, r, lo, hi, 0.85, p == 3);
    }
  }

  // The intro: the opening chords, then the body's own last bars (at least
  // four seconds of them, so the reverb tails match too), so the body
  // starts after the intro exactly as it does after itself and the loop
  // point's jump lands in the same sound it leaves.
  const int tailBars = std::max(2, static_cast<int>(std::ceil(4.0 / a.tl.BarSeconds())));
  const int copied = std::min(plan.introBars, tailBars);
  Arranger intro(plan, c.notes);
  for (int bar = 0; bar + copied < plan.introBars; bar++) {
    Harmony h = intro.At(plan.progA[bar % 8]);
    Harmony next = intro.At(plan.progA[(bar + 1) % 8]);
    intro.Chords(bar, h, 0, true);
    if (bar >= plan.introBars / 2) intro.Bass(bar, h, next, 0);
    intro.Drums(bar, false, false, 0, true);
  }
  const double bar = a.tl.BarSeconds();
  for (const Note& n : body.notes)
    if (copied > 0 && n.start >= (bodyBars - copied) * bar - 1e-9) {
      Note copy = n;
      copy.start += (plan.introBars - bodyBars) * bar;
      c.notes.Add(copy);
    }
  // The body twice, so that its end leads into its start.
  for (int pass = 0; pass < 2; pass++)
    for (const Note& n : body.notes) {
      Note copy = n;
      copy.start += (plan.introBars + pass * bodyBars) * bar;
      c.notes.Add(copy);
    }
  c.introSeconds = a.tl.At(plan.introBars);
  c.bodySeconds = a.tl.At(bodyBars);
  c.renderSeconds = a.tl.At(plan.introBars + 2 * bodyBars);

  // The mix.
  auto set = [&](Voice v, double gain, double reverb, double echo) {
    c.mix.channels[static_cast<int>(v)] = Channel{gain, reverb, echo};
  };
  set(Voice::Pad, 0.45, 0.4, 0);
  set(Voice::Strings, 0.5, 0.45, 0);
  set(Voice::EPiano, 0.45, 0.3, 0.1);
  set(Voice::Bell, 1.0, 0.35, 0.2);
  set(Voice::Pluck, 0.35, 0.25, 0.3);
  set(Voice::SquareLead, 1.1, 0.25, 0.22);
  set(Voice::SawLead, 1.4, 0.25, 0.22);
  set(Voice::Flute, 1.1, 0.35, 0.2);
  set(Voice::Bass, 0.95, 0.0, 0);
  set(Voice::DriveBass, 0.7, 0.0, 0);
  set(Voice::Kick, 0.75, 0.02, 0);
  set(Voice::Snare, 1.0, 0.22, 0);
  set(Voice::Clap, 0.7, 0.3, 0);
  set(Voice::ClosedHat, 1.3, 0.05, 0);
  set(Voice::OpenHat, 1.0, 0.1, 0);
  set(Voice::Crash, 0.5, 0.2, 0);
  set(Voice::Tom, 0.6, 0.25, 0);
  set(Voice::Shaker, 1.3, 0.15, 0);
  c.mix.echoSeconds = a.tl.StepSeconds() * 3;  // dotted eighth
  // A larger room for the calm title theme.
  c.mix.reverbReturn = plan.groove == Groove::Calm ? 3.0 : 2.0;
  return c;
}

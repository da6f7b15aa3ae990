// The five pieces: four public-domain tunes arranged for the synth, and an original rag.
// Each ends on a bar that leads back into its first, so the clip can loop.
#include <string>
#include <vector>

#include "music.h"
#include "score.h"

namespace assetgen {
namespace {

using I = Instrument;

// --- Accompaniment patterns built from chord progressions. ---------------------------

// Bass on the first beat of each chord, chord tones on each following beat: the "oom-pah-pah" of a
// waltz or minuet.
void waltz(Score* s, double start, const std::string& chords, double beats, I inst,
           double velocity) {
  for (const ChordSpan& c : parse_progression(chords, beats, 55, &s->errors)) {
    double at = start + c.beat;
    s->notes.push_back({at, 1.5, c.chord.bass, velocity * 1.2, I::kBass});
    for (double b = 1.0; b < c.length; b += 1.0)
      for (int key : c.chord.keys) s->notes.push_back({at + b, 0.8, key, velocity * 0.6, inst});
  }
}

// Broken chords: steps of `step` beats walking the chord tones in the order of `order`
// (indices past the chord's size climb into the next octave).
void arpeggio(Score* s, double start, const std::string& chords, double beats, I inst, int low_key,
              double step, const std::vector<int>& order, double velocity) {
  if (order.empty() || !(step > 0.0)) return;
  for (const ChordSpan& c : parse_progression(chords, beats, low_key, &s->errors)) {
    int n = static_cast<int>(c.chord.keys.size());
    int i = 0;
    for (double b = 0.0; b + 1e-9 < c.length; b += step, ++i) {
      int idx = order[static_cast<size_t>(i) % order.size()];
      int key = c.chord.keys[static_cast<size_t>(idx % n)] + 12 * (idx / n);
      double accent = (i % 4 == 0) ? 1.0 : 0.8;
      s->notes.push_back({start + c.beat + b, step, key, velocity * accent, inst});
    }
  }
}

// Sustained chords.
void pads(Score* s, double start, const std::string& chords, double beats, int low_key,
          double velocity) {
  for (const ChordSpan& c : parse_progression(chords, beats, low_key, &s->errors))
    for (int key : c.chord.keys)
      s->notes.push_back({start + c.beat, c.length, key, velocity, I::kPad});
}

// Bass line: the root on the first beat of each chord and, on longer chords, the fifth
// halfway.
void root_fifth(Score* s, double start, const std::string& chords, double beats, double velocity) {
  for (const ChordSpan& c : parse_progression(chords, beats, 55, &s->errors)) {
    int root = c.chord.bass;
    if (c.length >= 2.0) {
      double half = c.length / 2.0;
      s->notes.push_back({start + c.beat, half * 0.9, root, velocity, I::kBass});
      s->notes.push_back({start + c.beat + half, half * 0.9, root + 7, velocity * 0.85, I::kBass});
    } else {
      s->notes.push_back({start + c.beat, c.length * 0.9, root, velocity, I::kBass});
    }
  }
}

// Drums from a step pattern repeated `times`: k kick, s snare, h hat, o open hat,
// x kick and hat, y snare and hat, '.' nothing.
void drums(Score* s, double start, const std::string& pattern, double step, int times,
           double velocity) {
  double at = start;
  for (int t = 0; t < times; ++t) {
    for (char ch : pattern) {
      bool k = ch == 'k' || ch == 'x', sn = ch == 's' || ch == 'y';
      bool h = ch == 'h' || ch == 'x' || ch == 'y', o = ch == 'o';
      if (k) s->notes.push_back({at, step, 36, velocity, I::kKick});
      if (sn) s->notes.push_back({at, step, 38, velocity * 0.8, I::kSnare});
      if (h) s->notes.push_back({at, step, 42, velocity * (t % 2 ? 0.8 : 1.0), I::kHat});
      if (o) s->notes.push_back({at, 1.0, 46, velocity, I::kHat});
      at += step;
    }
  }
}

// Copies the notes of `inst` in [from, to) shifted by `shift` semitones onto another
// instrument: doublings at the octave or in unison.
void double_line(Score* s, I inst, double from, double to, int shift, I onto, double velocity) {
  std::vector<Note> add;
  for (const Note& n : s->notes)
    if (n.instrument == inst && n.beat >= from && n.beat < to)
      add.push_back({n.beat, n.length, n.key + shift, velocity, onto});
  s->notes.insert(s->notes.end(), add.begin(), add.end());
}

// --- 1. Minuet in G (Petzold, once attributed to Bach), 3/4. ----------------------------

const char kMinuetA[] =
    "D5:q G4:e A4 B4 C5 | D5:q G4 G4 | E5:q C5:e D5 E5 F#5 | G5:q G4 G4 |"
    "C5:q D5:e C5 B4 A4 | B4:q C5:e B4 A4 G4 | F#4:q G4:e A4 B4 G4 | A4:h. |"
    "D5:q G4:e A4 B4 C5 | D5:q G4 G4 | E5:q C5:e D5 E5 F#5 | G5:q G4 G4 |"
    "C5:q D5:e C5 B4 A4 | B4:q C5:e B4 A4 G4 | A4:q B4:e A4 G4 F#4 | G4:h. |";
const char kMinuetB[] =
    "B5:q G5:e A5 B5 G5 | A5:q D5:e E5 F#5 D5 | G5:q E5:e F#5 G5 D5 | C#5:q B4:e C#5 A4:q |"
    "A4:e B4 C#5 D5 E5 F#5 | G5:q F#5 E5 | F#5:q A4 C#5 | D5:h. |"
    "D5:q G4:e F#4 G4:q | E5:q G4:e F#4 G4:q | D5:q C5 B4 | A4:e G4 F#4 G4 A4:q |"
    "D4:e E4 F#4 G4 A4 B4 | C5:q B4 A4 | B4:e D5 G4:q F#4 | G4:h. |";
const char kMinuetChordsA[] = "G G C G Am G D D G G C G Am G D G";
const char kMinuetChordsB[] = "G D Em A D Em A D G C G D D Am D G";

Score minuet() {
  Score s;
  s.tempo = 144.0;
  s.reverb = 0.3;
  const double section = 48.0;  // 16 bars of 3 beats
  // First time: piano melody over a plucked waltz accompaniment.
  add_line(&s, I::kEPiano, 0.0, 0.8, kMinuetA);
  add_line(&s, I::kEPiano, section, 0.8, kMinuetB);
  waltz(&s, 0.0, kMinuetChordsA, 3.0, I::kPluck, 0.35);
  waltz(&s, section, kMinuetChordsB, 3.0, I::kPluck, 0.35);
  // Second time: flute with the harp an octave below, soft piano chords.
  add_line(&s, I::kFlute, 2 * section, 0.75, kMinuetA);
  add_line(&s, I::kFlute, 3 * section, 0.75, kMinuetB);
  double_line(&s, I::kFlute, 2 * section, 4 * section, -12, I::kPluck, 0.45);
  waltz(&s, 2 * section, kMinuetChordsA, 3.0, I::kEPiano, 0.3);
  waltz(&s, 3 * section, kMinuetChordsB, 3.0, I::kEPiano, 0.3);
  s.length_beats = 4 * section;
  return s;
}

// --- 2. Canon on the Pachelbel ground, D major. ---------------------------------------

const char kCanonChords[] = "D A Bm F#m G D G A";
const char kCanonBass[] = "D3 A2 B2 F#2 G2 D2 G2 A2";
const char kCanonLine1[] = "F#5:q E5 D5 C#5 B4 A4 B4 C#5";
const char kCanonLine2[] = "D5:q C#5 B4 A4 G4 F#4 G4 E4";
const char kCanonLine3[] = "D4:e F#4 A4 G4 F#4 D4 F#4 E4 D4 B3 D4 A4 G4 B4 A4 G4";
const char kCanonLine4[] = "F#4:e D4 E4 C#5 D5 F#5 A5 A4 B4 G4 A4 F#4 D4 D5 D5 C#5";

Score canon() {
  Score s;
  s.tempo = 66.0;
  s.reverb = 0.4;
  const int cycles = 10;
  for (int c = 0; c < cycles; ++c) {
    double at = c * 8.0;
    add_line(&s, I::kBass, at, 0.75, std::string(kCanonBass) + ":q");
    pads(&s, at, kCanonChords, 1.0, 54, c == 0 || c == cycles - 1 ? 0.6 : 0.4);
  }
  // Voices enter one by one, as in a canon, each cycle varying the texture.
  add_line(&s, I::kFlute, 8.0, 0.7, kCanonLine1);
  add_line(&s, I::kFlute, 16.0, 0.7, kCanonLine2);
  arpeggio(&s, 16.0, kCanonChords, 1.0, I::kPluck, 62, 0.5, {0, 2}, 0.45);
  add_line(&s, I::kFlute, 24.0, 0.65, kCanonLine3);
  arpeggio(&s, 24.0, kCanonChords, 1.0, I::kPluck, 62, 0.5, {0, 2}, 0.4);
  add_line(&s, I::kEPiano, 32.0, 0.7, kCanonLine4);
  add_line(&s, I::kFlute, 32.0, 0.55, kCanonLine1);
  arpeggio(&s, 40.0, kCanonChords, 1.0, I::kPluck, 62, 0.25, {0, 1, 2, 3}, 0.4);
  add_line(&s, I::kFlute, 40.0, 0.65, kCanonLine2);
  double_line(&s, I::kFlute, 40.0, 48.0, 12, I::kBell, 0.4);
  add_line(&s, I::kBell, 48.0, 0.55, kCanonLine3);
  add_line(&s, I::kEPiano, 48.0, 0.6, kCanonLine1);
  arpeggio(&s, 56.0, kCanonChords, 1.0, I::kPluck, 62, 0.25, {3, 2, 1, 0}, 0.4);
  add_line(&s, I::kFlute, 56.0, 0.65, kCanonLine4);
  add_line(&s, I::kFlute, 64.0, 0.6, kCanonLine1);
  add_line(&s, I::kEPiano, 64.0, 0.55, kCanonLine3);
  add_line(&s, I::kFlute, 72.0, 0.55, kCanonLine2);
  arpeggio(&s, 72.0, kCanonChords, 1.0, I::kPluck, 62, 0.5, {0, 2}, 0.35);
  s.length_beats = cycles * 8.0;
  return s;
}

// --- 3. Greensleeves, A minor, 3/4. ----------------------------------------------------

const char kGreensleeves[] =
    "C5:h D5:q | E5:q. F5:e E5:q | D5:h B4:q | G4:q. A4:e B4:q |"
    "C5:h A4:q | A4:q. G#4:e A4:q | B4:h G#4:q | E4:h A4:q |"
    "C5:h D5:q | E5:q. F5:e E5:q | D5:h B4:q | G4:q. A4:e B4:q |"
    "C5:q. B4:e A4:q | G#4:q. F#4:e G#4:q | A4:h. | A4:h. |"
    "G5:h. | G5:q. F#5:e E5:q | D5:h B4:q | G4:q. A4:e B4:q |"
    "C5:h A4:q | A4:q. G#4:e A4:q | B4:h G#4:q | E4:h. |"
    "G5:h. | G5:q. F#5:e E5:q | D5:h B4:q | G4:q. A4:e B4:q |"
    "C5:q. B4:e A4:q | G#4:q. F#4:e G#4:q | A4:h. | A4:h A4:q |";
const char kGreensleevesChords[] =
    "Am C G Em Am Am E E | Am C G Em F E Am Am |"
    "C C G Em Am E E E | C C G Em F E Am Am";

Score greensleeves() {
  Score s;
  s.tempo = 92.0;
  s.reverb = 0.35;
  add_line(&s, I::kFlute, 0.0, 0.75, kGreensleeves);
  // A lute picks the chords in quavers throughout; the bass holds each bar.
  arpeggio(&s, 0.0, kGreensleevesChords, 3.0, I::kPluck, 57, 0.5, {0, 1, 2, 3, 2, 1}, 0.42);
  for (const ChordSpan& c : parse_progression(kGreensleevesChords, 3.0, 55, &s.errors))
    s.notes.push_back({c.beat, 2.8, c.chord.bass, 0.6, I::kBass});
  // The refrain adds strings and a piano an octave below the tune.
  pads(&s, 48.0, "C C G Em Am E E E C C G Em F E Am Am", 3.0, 52, 0.45);
  double_line(&s, I::kFlute, 48.0, 96.0, -12, I::kEPiano, 0.45);
  s.length_beats = 96.0;
  return s;
}

// --- 4. Ode to Joy (Beethoven), D major. -----------------------------------------------

const char kOde[] =
    "F#4:q F#4 G4 A4 | A4 G4 F#4 E4 | D4 D4 E4 F#4 | F#4:q. E4:e E4:h |"
    "F#4:q F#4 G4 A4 | A4 G4 F#4 E4 | D4 D4 E4 F#4 | E4:q. D4:e D4:h |"
    "E4:q E4 F#4 D4 | E4 F#4:e G4 F#4:q D4 | E4 F#4:e G4 F#4:q E4 | D4 E4 A3:h |"
    "F#4:q F#4 G4 A4 | A4 G4 F#4 E4 | D4 D4 E4 F#4 | E4:q. D4:e D4:h |";
const char kOdeChords[] =
    "D:4 A:4 D:4 D:2 A:2 | D:4 A:4 D:4 A:2 D:2 |"
    "A:2 D:2 A:2 D:2 A:2 D:1 A:1 D:1 A7:3 | D:4 A:4 D:4 A:2 D:2";

// Diatonic third below each note of `inst` in D major, for a second voice.
void thirds_below_d_major(Score* s, I inst, double from, double to, I onto, double velocity) {
  static const int kScale[7] = {2, 4, 6, 7, 9, 11, 1};  // D E F# G A B C#
  std::vector<Note> add;
  for (const Note& n : s->notes) {
    if (n.instrument != inst || n.beat < from || n.beat >= to) continue;
    int pc = n.key % 12, degree = -1;
    for (int d = 0; d < 7; ++d)
      if (kScale[d] == pc) degree = d;
    if (degree < 0) continue;
    int below = kScale[(degree + 5) % 7];
    int key = n.key - ((pc - below + 12) % 12);
    add.push_back({n.beat, n.length, key, velocity, onto});
  }
  s->notes.insert(s->notes.end(), add.begin(), add.end());
}

Score ode_to_joy() {
  Score s;
  s.tempo = 112.0;
  s.reverb = 0.25;
  // First time: piano tune an octave up, walking bass, brushed drums.
  add_line(&s, I::kEPiano, 0.0, 0.8, kOde);
  double_line(&s, I::kEPiano, 0.0, 64.0, 12, I::kBell, 0.25);
  root_fifth(&s, 0.0, kOdeChords, 4.0, 0.7);
  arpeggio(&s, 0.0, kOdeChords, 4.0, I::kPluck, 62, 1.0, {0, 1, 2, 1}, 0.3);
  drums(&s, 0.0, "xhyhxhyh", 0.5, 15, 0.45);
  drums(&s, 60.0, "xhyhxyyy", 0.5, 1, 0.45);
  // Second time: flute doubled at the octave, a piano a third below it, strings, busier
  // drums.
  add_line(&s, I::kFlute, 64.0, 0.75, kOde);
  thirds_below_d_major(&s, I::kFlute, 64.0, 128.0, I::kEPiano, 0.5);
  double_line(&s, I::kFlute, 64.0, 128.0, 12, I::kFlute, 0.35);
  pads(&s, 64.0, kOdeChords, 4.0, 50, 0.45);
  root_fifth(&s, 64.0, kOdeChords, 4.0, 0.75);
  arpeggio(&s, 64.0, kOdeChords, 4.0, I::kPluck, 62, 0.5, {0, 1, 2, 3, 2, 1, 0, 1}, 0.3);
  drums(&s, 64.0, "xhyhxxyh", 0.5, 15, 0.5);
  drums(&s, 124.0, "xhyhyyyy", 0.5, 1, 0.5);
  s.length_beats = 128.0;
  return s;
}

// --- 5. An original rag in C: stride left hand, syncopated tune. ----------------------

// Rhythm cells of two beats for the tune: lengths in beats, chord-tone indices (past the
// chord's size they climb an octave) and -1 for a chromatic lower neighbour of the next
// tone.
struct Cell {
  std::vector<double> lengths;
  std::vector<int> tones;
};
const Cell kCells[] = {
    {{0.5, 0.25, 0.5, 0.75}, {2, 1, 2, 0}},
    {{0.25, 0.25, 0.25, 0.25, 0.5, 0.5}, {0, 1, 2, 3, 2, 1}},
    {{0.75, 0.75, 0.5}, {3, 2, 1}},
    {{0.5, 0.5, 1.0}, {1, 2, 3}},
    {{0.25, 0.5, 0.25, 1.0}, {2, 3, 2, 1}},
    {{0.25, 0.25, 0.5, 1.0}, {-1, 3, 2, 1}},
    {{0.25, 0.5, 0.25, 0.5, 0.5}, {4, 3, 2, -1, 2}},
    {{2.0}, {0}},
};

void rag_strain(Score* s, double start, const std::string& chords, const std::vector<int>& cells,
                double velocity) {
  std::vector<ChordSpan> prog = parse_progression(chords, 2.0, 64, &s->errors);
  for (size_t i = 0; i < prog.size() && i < cells.size(); ++i) {
    const ChordSpan& c = prog[i];
    const Cell& cell = kCells[static_cast<size_t>(cells[i]) % (sizeof(kCells) / sizeof(kCells[0]))];
    int n = static_cast<int>(c.chord.keys.size());
    double at = start + c.beat;
    for (size_t j = 0; j < cell.lengths.size(); ++j) {
      int idx = cell.tones[j];
      int key;
      if (idx < 0) {  // lower neighbour of the following tone
        int next = j + 1 < cell.tones.size() ? cell.tones[j + 1] : 0;
        if (next < 0) next = 0;
        key = c.chord.keys[static_cast<size_t>(next % n)] + 12 * (next / n) - 1;
      } else {
        key = c.chord.keys[static_cast<size_t>(idx % n)] + 12 * (idx / n);
      }
      double accent = j == 0 ? 1.0 : 0.85;
      s->notes.push_back({at, cell.lengths[j] * 0.9, key, velocity * accent, I::kEPiano});
      at += cell.lengths[j];
    }
    // Stride: low bass on the beat, a short chord an octave under the tune off it.
    s->notes.push_back({start + c.beat, 0.8, c.chord.bass, 0.75, I::kBass});
    for (double off = 1.0; off < c.length; off += 2.0)
      for (int key : c.chord.keys)
        s->notes.push_back({start + c.beat + off, 0.4, key - 12, 0.45, I::kPluck});
  }
}

const char kRagA[] = "C A7 Dm G7 | C E7 Am C7 | F F#dim C A7 | D7 G7 C G7";
const char kRagB[] = "F F C C | G7 G7 C C7 | F Fm C A7 | D7 G7 C G7";

Score rag() {
  Score s;
  s.tempo = 108.0;
  s.reverb = 0.2;
  rag_strain(&s, 0.0, kRagA, {0, 2, 1, 3, 4, 6, 5, 3, 0, 2, 1, 4, 6, 5, 7, 1}, 0.8);
  rag_strain(&s, 32.0, kRagA, {0, 2, 1, 3, 4, 6, 5, 3, 1, 4, 6, 2, 5, 3, 7, 1}, 0.8);
  rag_strain(&s, 64.0, kRagB, {3, 0, 2, 5, 1, 6, 4, 7, 3, 0, 2, 5, 6, 1, 7, 1}, 0.8);
  rag_strain(&s, 96.0, kRagB, {3, 0, 2, 5, 1, 6, 4, 7, 5, 2, 6, 4, 0, 1, 7, 6}, 0.8);
  // The second strain doubles the tune on a celesta an octave up.
  double_line(&s, I::kEPiano, 64.0, 128.0, 12, I::kBell, 0.3);
  drums(&s, 0.0, "hhyhhhyh", 0.5, 32, 0.3);
  s.length_beats = 128.0;
  return s;
}

}  // namespace

Score make_piece(int n) {
  switch (n) {
    case 1:
      return minuet();
    case 2:
      return canon();
    case 3:
      return greensleeves();
    case 4:
      return ode_to_joy();
    case 5:
      return rag();
    default:
      return Score{};
  }
}

}  // namespace assetgen

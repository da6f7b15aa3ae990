// Scores: notes on a beat grid, written with a compact text notation.
//
// Melody text is a list of space-separated tokens:
//   C4 F#5 Bb3      a note: letter, optional # or b, octave (C4 is middle C)
//   [C4 E4 G4]      a chord, all notes starting together
//   r               a rest
//   :q :e :h :w :s  an optional length after any of these (quarter = 1 beat), "." after it
//   :1.5            makes it dotted; a number gives beats directly. The length carries over
//                   to the following tokens until another is given.
//   |               a bar line, ignored (it only helps reading)
// Chord symbols for accompaniment: root (C, F#, Bb), then m, 7, m7, maj7, dim, sus4,
// optionally "/" and a bass note name, e.g. "Am", "G7", "D/F#".
#ifndef ASSETGEN_SCORE_H
#define ASSETGEN_SCORE_H

#include <string>
#include <vector>

namespace assetgen {

enum class Instrument { kEPiano, kPluck, kBass, kFlute, kPad, kBell, kKick, kSnare, kHat };

struct Note {
  double beat;      // onset, in beats from the start of the piece
  double length;    // in beats
  int key;          // MIDI key number, 60 = middle C; ignored by drums
  double velocity;  // 0..1
  Instrument instrument;
};

struct Score {
  double tempo = 120.0;       // beats per minute, before fitting to whole ADPCM blocks
  double length_beats = 0.0;  // the loop length; notes ring over the end into the start
  double reverb = 0.25;       // wet level
  std::vector<Note> notes;
  int errors = 0;  // notation the parser could not read (skipped)
};

// Appends a melody line starting at `beat`; returns the beat after its last token.
// Unreadable tokens are skipped and counted in score->errors.
double add_line(Score* score, Instrument instrument, double beat, double velocity,
                const std::string& text);

// A chord: its notes as MIDI keys, root position from around `low_key` upward, and the bass
// key an octave or two below.
struct Chord {
  std::vector<int> keys;  // close voicing, ascending
  int bass = 36;
  bool valid = false;
};
// Parses a chord symbol and voices it so its lowest tone is at or above low_key.
Chord parse_chord(const std::string& symbol, int low_key);

// A chord progression: symbols with optional lengths, "Am C:2 G7:1 | Em", each chord
// voiced from low_key. Unreadable symbols keep their time but add no chord, and are
// counted in *errors.
struct ChordSpan {
  Chord chord;
  double beat;    // from the start of the progression
  double length;  // beats
};
std::vector<ChordSpan> parse_progression(const std::string& text, double default_beats, int low_key,
                                         int* errors);

// MIDI key of a note name like "F#4"; -1 when it is not one.
int parse_key(const std::string& name);

}  // namespace assetgen

#endif

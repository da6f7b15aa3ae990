// The synthesizer: a handful of instruments that render single notes, and the reverb.
#ifndef ASSETGEN_SYNTH_H
#define ASSETGEN_SYNTH_H

#include <cstdint>
#include <vector>

#include "score.h"

namespace assetgen {

constexpr int kSynthRate = 44100;

// Renders one note and adds it into `loop`, starting at sample `start` and wrapping around
// the end, so a piece rendered this way repeats seamlessly. Tails longer than the loop are
// cut. `seed` varies the noise of plucks and drums from note to note.
void render_note(const Note& note, double samples_per_beat, int64_t start, uint32_t seed,
                 std::vector<double>* loop);

// A small Schroeder-style reverb: parallel damped combs into series allpasses.
class Reverb {
 public:
  Reverb();
  double process(double in);  // returns the wet signal only

 private:
  struct Line {
    std::vector<double> buf;
    size_t pos = 0;
    double store = 0.0;  // the comb's low-pass state
  };
  Line combs_[8];
  Line allpasses_[4];
};

// Frequency in Hz of a MIDI key, equal temperament with A4 = 440 Hz.
double key_frequency(int key);

}  // namespace assetgen

#endif

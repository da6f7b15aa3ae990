#include "synth.h"

#include <cmath>
#include <cstddef>

#include "det_math.h"
#include "noise.h"

namespace assetgen {
namespace {

const double kRate = kSynthRate;

// Sine by table lookup with linear interpolation: 4096 points keep the error near 3e-7,
// inaudible, and the table is built from the deterministic sine so it is the same
// everywhere.
const int kTableSize = 4096;

const std::vector<double>& sine_table() {
  static const std::vector<double> table = [] {
    std::vector<double> t(kTableSize + 1);
    for (int i = 0; i <= kTableSize; ++i) t[i] = det_sin(kTwoPi * i / kTableSize);
    return t;
  }();
  return table;
}

// sin(2 pi * turns).
double sin_turns(double turns) {
  const std::vector<double>& t = sine_table();
  double p = fract(turns) * kTableSize;
  int i = static_cast<int>(p);
  if (i >= kTableSize) i = kTableSize - 1;
  double f = p - i;
  return t[i] + (t[i + 1] - t[i]) * f;
}

// Per-sample multiplier that makes a level fall by 1/e over `seconds`.
double decay_factor(double seconds) {
  return det_exp(-1.0 / (seconds * kRate));
}

// Adds a rendered sample at absolute position n of the wrapped loop.
struct LoopWriter {
  std::vector<double>* loop;
  int64_t start;
  void add(int64_t n, double v) {
    int64_t size = static_cast<int64_t>(loop->size());
    if (n >= size) return;  // a tail longer than the loop would overlap its own start
    int64_t at = (start + n) % size;
    if (at < 0) at += size;
    (*loop)[static_cast<size_t>(at)] += v;
  }
};

// A linear attack followed by exponential fade after note-off; the shared shape of most
// instruments' loudness.
struct Envelope {
  double attack_samples;
  double off;      // note-off, in samples
  double release;  // per-sample factor after note-off
  double level = 1.0;
  double value(int64_t sample) {
    double n = static_cast<double>(sample);
    double a = n < attack_samples ? (n + 1) / attack_samples : 1.0;
    if (n >= off) level *= release;
    return a * level;
  }
};

// Soft electric piano: two-operator FM whose brightness fades as the note decays, plus a
// short metallic tine at the attack.
void epiano(const Note& note, double f, double dur, LoopWriter out) {
  double inc = f / kRate;
  double sustain_decay = decay_factor(1.8 * det_pow(262.0 / f, 0.4));
  double index_decay = decay_factor(0.35);
  double tine_decay = decay_factor(0.05);
  Envelope env{0.002 * kRate, dur, decay_factor(0.12)};
  int64_t total = static_cast<int64_t>(dur + 0.9 * kRate);
  double phase = 0.0, body = 1.0, index = 1.0 + 1.4 * note.velocity, tine = 0.18 * note.velocity;
  double gain = 0.30 * note.velocity;
  for (int64_t n = 0; n < total; ++n) {
    double e = env.value(n) * body;
    double mod = (0.35 + index) * sin_turns(phase) / kTwoPi;
    double v = sin_turns(phase + mod) + tine * sin_turns(phase * 7.0);
    out.add(n, gain * e * v);
    phase = fract(phase + inc);
    body *= sustain_decay;
    index *= index_decay;
    tine *= tine_decay;
  }
}

// Plucked string by the Karplus-Strong method: a noise burst circulating in a tuned delay
// line, losing high frequencies on each pass.
void pluck(const Note& note, double f, double dur, uint32_t seed, LoopWriter out) {
  double delay = kRate / f - 0.5;  // the two-point average adds half a sample
  if (delay < 2.0) delay = 2.0;
  int64_t total = static_cast<int64_t>(dur + 0.4 * kRate);
  double ring = 3.5 * det_pow(220.0 / f, 0.5);  // seconds to fall 60 dB while held
  double loss_held = det_exp(-6.907755 / (ring * f));
  double loss_damped = det_exp(-6.907755 / (0.12 * f));
  std::vector<double> y(static_cast<size_t>(total) + 2, 0.0);

  // Excitation: one period of noise through two smoothing poles (more for soft notes),
  // without DC, so the attack is a pluck rather than a hiss.
  int period = static_cast<int>(delay) + 1;
  std::vector<double> burst(static_cast<size_t>(period));
  Rng rng(seed);
  double smooth = 0.7 - 0.3 * note.velocity, s1 = 0.0, s2 = 0.0, mean = 0.0;
  for (int i = 0; i < period; ++i) {
    s1 = s1 * smooth + (rng.uniform() * 2.0 - 1.0) * (1.0 - smooth);
    s2 = s2 * smooth + s1 * (1.0 - smooth);
    burst[static_cast<size_t>(i)] = s2;
    mean += s2;
  }
  mean /= period;
  // The output passes a gentle low-pass a few octaves above the note.
  double cut = 1.0 - det_exp(-kTwoPi * (2500.0 + 4.0 * f) / kRate), tone = 0.0;
  double gain = 1.8 * note.velocity;
  for (int64_t n = 0; n < total; ++n) {
    double v = n < period ? burst[static_cast<size_t>(n)] - mean : 0.0;
    double m = static_cast<double>(n) - delay;
    if (m >= 1.0) {
      int64_t i = static_cast<int64_t>(m);
      double fr = m - static_cast<double>(i);
      double a = y[static_cast<size_t>(i)] * (1.0 - fr) + y[static_cast<size_t>(i + 1)] * fr;
      double b = y[static_cast<size_t>(i - 1)] * (1.0 - fr) + y[static_cast<size_t>(i)] * fr;
      v += (static_cast<double>(n) < dur ? loss_held : loss_damped) * 0.5 * (a + b);
    }
    y[static_cast<size_t>(n)] = v;
    tone += (v - tone) * cut;
    out.add(n, gain * tone);
  }
}

// Round electric bass: three harmonics, the upper two fading quickly after the pluck.
void bass(const Note& note, double f, double dur, LoopWriter out) {
  double inc = f / kRate;
  Envelope env{0.004 * kRate, dur, decay_factor(0.07)};
  int64_t total = static_cast<int64_t>(dur + 0.5 * kRate);
  double bright = 1.0, body = 1.0, phase = 0.0;
  double bright_decay = decay_factor(0.09), body_decay = decay_factor(0.6);
  double gain = 0.42 * note.velocity;
  for (int64_t n = 0; n < total; ++n) {
    double level = env.value(n) * (0.55 + 0.45 * body);
    double v = sin_turns(phase) + (0.25 + 0.3 * bright) * sin_turns(2.0 * phase) +
               (0.08 + 0.25 * bright) * sin_turns(3.0 * phase);
    out.add(n, gain * level * v);
    phase = fract(phase + inc);
    bright *= bright_decay;
    body *= body_decay;
  }
}

// Flute: nearly pure tone with a little breath noise and delayed vibrato.
void flute(const Note& note, double f, double dur, uint32_t seed, LoopWriter out) {
  Envelope env{0.06 * kRate, dur, decay_factor(0.06)};
  int64_t total = static_cast<int64_t>(dur + 0.45 * kRate);
  Rng rng(seed);
  double phase = 0.0, vib = 0.0, lp = 0.0, lp2 = 0.0;
  double gain = 0.26 * note.velocity;
  for (int64_t n = 0; n < total; ++n) {
    double t = static_cast<double>(n) / kRate;
    double depth = 0.004 * smoothstep(0.2, 0.6, t);
    double e = env.value(n);
    double v = sin_turns(phase) + 0.22 * sin_turns(2.0 * phase) + 0.07 * sin_turns(3.0 * phase);
    // Breath: band-limited noise, strongest in the attack.
    double noise = rng.uniform() * 2.0 - 1.0;
    lp += (noise - lp) * 0.25;
    lp2 += (lp - lp2) * 0.02;
    double breath = (lp - lp2) * (0.05 + 0.25 * (1.0 - smoothstep(0.0, 0.12, t)));
    out.add(n, gain * e * (v + breath));
    phase = fract(phase + f * (1.0 + depth * sin_turns(vib)) / kRate);
    vib = fract(vib + 5.2 / kRate);
  }
}

// String pad: two slightly detuned band-limited sawtooths through a gentle low-pass.
double poly_blep_saw(double phase, double dt) {
  double v = 2.0 * phase - 1.0;
  if (phase < dt) {
    double t = phase / dt;
    v -= t + t - t * t - 1.0;
  } else if (phase > 1.0 - dt) {
    double t = (phase - 1.0) / dt;
    v -= t * t + t + t + 1.0;
  }
  return v;
}

void pad(const Note& note, double f, double dur, LoopWriter out) {
  Envelope env{0.35 * kRate, dur, decay_factor(0.25)};
  int64_t total = static_cast<int64_t>(dur + 1.6 * kRate);
  double p1 = 0.0, p2 = 0.37, s1 = 0.0, s2 = 0.0;
  double d1 = f * 1.003 / kRate, d2 = f * 0.997 / kRate;
  double cut = 1.0 - det_exp(-kTwoPi * 1600.0 / kRate);
  double gain = 0.11 * note.velocity;
  for (int64_t n = 0; n < total; ++n) {
    double v = poly_blep_saw(p1, d1) + poly_blep_saw(p2, d2);
    s1 += (v - s1) * cut;
    s2 += (s1 - s2) * cut;
    out.add(n, gain * env.value(n) * s2);
    p1 = fract(p1 + d1);
    p2 = fract(p2 + d2);
  }
}

// Bell or celesta: FM with an inharmonic ratio and a long ring.
void bell(const Note& note, double f, double dur, LoopWriter out) {
  Envelope env{0.001 * kRate, dur + 0.8 * kRate, decay_factor(0.3)};
  int64_t total = static_cast<int64_t>(dur + 2.5 * kRate);
  double ring = 1.0, index = 1.0, pc = 0.0, pm = 0.0;
  double ring_decay = decay_factor(0.9), index_decay = decay_factor(0.25);
  double gain = 0.16 * note.velocity;
  for (int64_t n = 0; n < total; ++n) {
    double mod = (0.2 + 1.8 * index) * sin_turns(pm) / kTwoPi;
    out.add(n, gain * env.value(n) * ring * sin_turns(pc + mod));
    pc = fract(pc + f / kRate);
    pm = fract(pm + 3.5 * f / kRate);
    ring *= ring_decay;
    index *= index_decay;
  }
}

// Soft kick: a sine falling quickly in pitch.
void kick(const Note& note, LoopWriter out) {
  int64_t total = static_cast<int64_t>(0.45 * kRate);
  double phase = 0.0, sweep = 1.0, amp = 1.0;
  double sweep_decay = decay_factor(0.035), amp_decay = decay_factor(0.14);
  double gain = 0.55 * note.velocity;
  for (int64_t n = 0; n < total; ++n) {
    double fade_in = n < 44 ? static_cast<double>(n + 1) / 44.0 : 1.0;
    out.add(n, gain * fade_in * amp * sin_turns(phase));
    phase = fract(phase + (48.0 + 100.0 * sweep) / kRate);
    sweep *= sweep_decay;
    amp *= amp_decay;
  }
}

// Brushed snare: band-passed noise over a short low tone.
void snare(const Note& note, uint32_t seed, LoopWriter out) {
  int64_t total = static_cast<int64_t>(0.35 * kRate);
  Rng rng(seed);
  double amp = 1.0, tone = 1.0, phase = 0.0, lp = 0.0, lp2 = 0.0;
  double amp_decay = decay_factor(0.07), tone_decay = decay_factor(0.04);
  double gain = 0.3 * note.velocity;
  for (int64_t n = 0; n < total; ++n) {
    double noise = rng.uniform() * 2.0 - 1.0;
    lp += (noise - lp) * 0.6;
    lp2 += (lp - lp2) * 0.08;
    double fade_in = n < 22 ? static_cast<double>(n + 1) / 22.0 : 1.0;
    double v = (lp - lp2) * amp + 0.5 * tone * sin_turns(phase);
    out.add(n, gain * fade_in * v);
    phase = fract(phase + 185.0 / kRate);
    amp *= amp_decay;
    tone *= tone_decay;
  }
}

// Hi-hat: high-passed noise; a longer note gives an open hat.
void hat(const Note& note, double dur, uint32_t seed, LoopWriter out) {
  double open = dur > 0.3 * kRate ? 0.12 : 0.03;
  int64_t total = static_cast<int64_t>(open * 8.0 * kRate);
  Rng rng(seed);
  double amp = 1.0, lp = 0.0, amp_decay = decay_factor(open);
  double gain = 0.12 * note.velocity;
  for (int64_t n = 0; n < total; ++n) {
    double noise = rng.uniform() * 2.0 - 1.0;
    lp += (noise - lp) * 0.35;
    double fade_in = n < 12 ? static_cast<double>(n + 1) / 12.0 : 1.0;
    out.add(n, gain * fade_in * amp * (noise - lp));
    amp *= amp_decay;
  }
}

}  // namespace

double key_frequency(int key) {
  return 440.0 * det_exp((key - 69) * (0.693147180559945309417 / 12.0));
}

void render_note(const Note& note, double samples_per_beat, int64_t start, uint32_t seed,
                 std::vector<double>* loop) {
  if (!loop || loop->empty()) return;
  if (!(samples_per_beat > 0.0) || !(note.length > 0.0) || !(note.velocity > 0.0)) return;
  if (note.key < 12 || note.key > 120) return;
  double dur = note.length * samples_per_beat;
  // Never let a note wrap onto itself.
  double max_dur = static_cast<double>(loop->size()) * 0.5;
  if (dur > max_dur) dur = max_dur;
  LoopWriter out{loop, start};
  double f = key_frequency(note.key);
  switch (note.instrument) {
    case Instrument::kEPiano:
      epiano(note, f, dur, out);
      break;
    case Instrument::kPluck:
      pluck(note, f, dur, seed, out);
      break;
    case Instrument::kBass:
      bass(note, f, dur, out);
      break;
    case Instrument::kFlute:
      flute(note, f, dur, seed, out);
      break;
    case Instrument::kPad:
      pad(note, f, dur, out);
      break;
    case Instrument::kBell:
      bell(note, f, dur, out);
      break;
    case Instrument::kKick:
      kick(note, out);
      break;
    case Instrument::kSnare:
      snare(note, seed, out);
      break;
    case Instrument::kHat:
      hat(note, dur, seed, out);
      break;
  }
}

// Comb and allpass lengths in samples: mutually prime so their echoes do not line up.
static const int kCombLengths[8] = {1123, 1187, 1279, 1361, 1427, 1493, 1559, 1613};
static const int kAllpassLengths[4] = {557, 443, 347, 227};

Reverb::Reverb() {
  for (int i = 0; i < 8; ++i) combs_[i].buf.assign(static_cast<size_t>(kCombLengths[i]), 0.0);
  for (int i = 0; i < 4; ++i)
    allpasses_[i].buf.assign(static_cast<size_t>(kAllpassLengths[i]), 0.0);
}

double Reverb::process(double in) {
  const double feedback = 0.84, damp = 0.25;
  double x = in * 0.06, sum = 0.0;
  for (Line& c : combs_) {
    double out = c.buf[c.pos];
    c.store = out * (1.0 - damp) + c.store * damp;
    c.buf[c.pos] = x + c.store * feedback;
    if (++c.pos == c.buf.size()) c.pos = 0;
    sum += out;
  }
  for (Line& a : allpasses_) {
    double delayed = a.buf[a.pos];
    double out = delayed - sum;
    a.buf[a.pos] = sum + delayed * 0.5;
    if (++a.pos == a.buf.size()) a.pos = 0;
    sum = out;
  }
  return sum;
}

}  // namespace assetgen

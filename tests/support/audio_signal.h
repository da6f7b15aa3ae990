// Sounds made and measured by the sound tests and benchmarks: sines as SoundData, a stream
// over samples in memory, and the level and frequency of one channel of stereo output.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "slate/audio/decoding.h"
#include "slate/audio/sound_data.h"

namespace TestAudio {

constexpr double kPi = 3.14159265358979323846;

// `frames` frames of a sine at `hz` and peak `level`, alike in each channel.
inline Slate::Audio::SharedSound sine(int rate, int channels, int frames, double hz, double level) {
  auto d = std::make_shared<Slate::Audio::SoundData>();
  d->rate = rate;
  d->channels = channels;
  for (int i = 0; i < frames * channels; ++i)
    d->samples.push_back(float(level * std::sin(2 * kPi * hz * (i / channels) / rate)));
  return d;
}

struct MemoryStream : Slate::Audio::StreamDecoder {
  MemoryStream(int rate, int channels, std::vector<float> s) : r(rate), ch(channels), s(s) {}
  int rate() const override { return r; }
  int channels() const override { return ch; }
  int read(float* out, int frames) override {
    const size_t n = std::min(s.size() - next, size_t(frames * ch));
    std::copy_n(s.begin() + long(next), n, out);
    return next += n, int(n) / ch;
  }
  bool rewind() override { return next = 0, true; }
  int r, ch;
  std::vector<float> s;
  size_t next = 0;
};

// Root mean square of channel c (0 left, 1 right) over frames [from, to).
inline double rms(const std::vector<float>& stereo, int c, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += std::pow(stereo[2 * i + size_t(c)], 2);
  return std::sqrt(sum / double(to - from));
}

// Frequency of channel c over frames [from, to), from its rising zero crossings.
inline double frequency(const std::vector<float>& stereo, int c, size_t from, size_t to, int rate) {
  int rises = 0;
  for (size_t i = from + 1; i < to; ++i)
    rises += stereo[2 * i - 2 + size_t(c)] < 0 && stereo[2 * i + size_t(c)] >= 0;
  return rises * double(rate) / double(to - from);
}

}  // namespace TestAudio

// Sounds made and measured by the sound tests and benchmarks: tones as SoundData, a stream
// over frames in memory, and the level and frequency of rendered output. Header-only.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "slate/audio/decoding.h"
#include "slate/audio/sound_data.h"

namespace TestAudio {

constexpr double kPi = 3.14159265358979323846;

// `frames` frames of a sine (each channel alike) at `hz`, peak `level`.
inline Slate::Audio::SharedSound sine(int rate, int channels, int frames, double hz, double level) {
  auto d = std::make_shared<Slate::Audio::SoundData>();
  d->rate = rate;
  d->channels = channels;
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      d->samples.push_back(float(level * std::sin(2 * kPi * hz * i / rate)));
  return d;
}

// A stream over interleaved frames in memory, read in whatever pieces are asked for.
class MemoryStream : public Slate::Audio::StreamDecoder {
 public:
  MemoryStream(int rate, int channels, std::vector<float> samples)
      : rate_(rate), channels_(channels), samples_(std::move(samples)) {}
  int rate() const override { return rate_; }
  int channels() const override { return channels_; }
  int read(float* out, int frames) override {
    const size_t left = (samples_.size() - next_) / size_t(channels_);
    const size_t n = std::min(left, size_t(frames));
    std::copy_n(samples_.begin() + long(next_), n * size_t(channels_), out);
    next_ += n * size_t(channels_);
    return int(n);
  }
  bool rewind() override {
    next_ = 0;
    return true;
  }

 private:
  int rate_, channels_;
  std::vector<float> samples_;
  size_t next_ = 0;
};

// Root mean square of one channel (0 left, 1 right) of stereo frames [from, to).
inline double rms(const std::vector<float>& stereo, int channel, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i)
    sum += double(stereo[2 * i + size_t(channel)]) * stereo[2 * i + size_t(channel)];
  return to > from ? std::sqrt(sum / double(to - from)) : 0;
}

// Frequency of one channel over frames [from, to), from its rising zero crossings.
inline double frequency(const std::vector<float>& stereo, int channel, size_t from, size_t to,
                        int rate) {
  int rises = 0;
  for (size_t i = from + 1; i < to; ++i)
    rises += stereo[2 * (i - 1) + size_t(channel)] < 0 && stereo[2 * i + size_t(channel)] >= 0;
  return rises * double(rate) / double(to - from);
}

}  // namespace TestAudio

// Decoded sound: what a SOUND holds and what a voice plays. Portable, no <windows.h>.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace Slate::Audio {

// Interleaved 32-bit float samples in [-1, 1], one or two channels, at the file's own rate.
// Shared, never changed once made: a voice keeps its own reference, so a SOUND that is
// destroyed or reloaded while it plays frees nothing the mixer still reads.
struct SoundData {
  int rate = 0;                // frames per second, 1 .. kMaxRate
  int channels = 0;            // 1 or 2
  std::vector<float> samples;  // frames * channels values
  int64_t frames() const { return channels ? int64_t(samples.size()) / channels : 0; }
};

using SharedSound = std::shared_ptr<const SoundData>;

constexpr int kMaxRate = 384000;
// Longest sound that is decoded whole (about 200 MiB of floats); longer ones are refused
// with a reason, and belong in playMusicFile, which streams.
constexpr int64_t kMaxDecodedSamples = int64_t(1) << 26;

}  // namespace Slate::Audio

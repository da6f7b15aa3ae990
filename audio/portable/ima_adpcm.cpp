#include "ima_adpcm.h"

#include <algorithm>

namespace Slate::Audio {
namespace {

constexpr int16_t kSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int kIndexAdjust[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

// One channel's predictor: the sample so far and its step index.
struct Channel {
  int sample;
  int index;
  int16_t next(int code) {
    const int step = kSteps[index];
    int diff = step >> 3;
    if (code & 4) diff += step;
    if (code & 2) diff += step >> 1;
    if (code & 1) diff += step >> 2;
    sample = std::clamp(code & 8 ? sample - diff : sample + diff, -32768, 32767);
    index = std::clamp(index + kIndexAdjust[code & 7], 0, 88);
    return static_cast<int16_t>(sample);
  }
};

}  // namespace

int imaBlockFrames(size_t size, int channels) {
  const size_t header = 4 * size_t(channels);
  if (channels < 1 || channels > 2 || size < header) return 0;
  const size_t codes = size - header;
  // Mono codes come two a byte; each channel of a stereo block takes runs of 4 bytes.
  const size_t frames = channels == 1 ? codes * 2 : codes / (4 * size_t(channels)) * 8;
  return int(std::min<size_t>(1 + frames, 1 << 30));
}

int decodeImaBlock(const uint8_t* block, size_t size, int channels, int maxFrames, int16_t* out) {
  const int frames = std::min(imaBlockFrames(size, channels), std::max(maxFrames, 0));
  if (frames == 0) return 0;
  Channel ch[2];
  for (int c = 0; c < channels; ++c) {
    const uint8_t* h = block + 4 * c;
    ch[c].sample = static_cast<int16_t>(h[0] | (h[1] << 8));
    ch[c].index = std::min<int>(h[2], 88);
    out[c] = static_cast<int16_t>(ch[c].sample);
  }
  const uint8_t* codes = block + 4 * channels;
  if (channels == 1) {
    for (int f = 1; f < frames; ++f) {
      const uint8_t byte = codes[(f - 1) >> 1];
      out[f] = ch[0].next((f - 1) & 1 ? byte >> 4 : byte & 15);
    }
    return frames;
  }
  // Stereo: each run of 8 bytes holds 8 frames, the left channel's 4 bytes first.
  for (int f = 1; f < frames; ++f) {
    const int k = f - 1;
    const uint8_t* run = codes + (k / 8) * 8;
    for (int c = 0; c < 2; ++c) {
      const uint8_t byte = run[4 * c + (k % 8) / 2];
      out[2 * f + c] = ch[c].next(k & 1 ? byte >> 4 : byte & 15);
    }
  }
  return frames;
}

}  // namespace Slate::Audio

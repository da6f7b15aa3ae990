#include "adpcm_encoder.h"

#include <cstddef>

namespace assetgen {
namespace {

const int kStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const int kIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

struct State {
  int predictor = 0;
  int index = 0;
};

// Applies one code to the state exactly as a decoder will.
void apply(State& s, int code) {
  int step = kStepTable[s.index];
  int diff = step >> 3;
  if (code & 4) diff += step;
  if (code & 2) diff += step >> 1;
  if (code & 1) diff += step >> 2;
  s.predictor += (code & 8) ? -diff : diff;
  if (s.predictor > 32767) s.predictor = 32767;
  if (s.predictor < -32768) s.predictor = -32768;
  s.index += kIndexTable[code];
  if (s.index < 0) s.index = 0;
  if (s.index > 88) s.index = 88;
}

// The classic successive-approximation choice of the 4-bit code for one sample.
int choose_code(const State& s, int sample) {
  int step = kStepTable[s.index];
  int delta = sample - s.predictor;
  int code = 0;
  if (delta < 0) {
    code = 8;
    delta = -delta;
  }
  if (delta >= step) {
    code |= 4;
    delta -= step;
  }
  if (delta >= step >> 1) {
    code |= 2;
    delta -= step >> 1;
  }
  if (delta >= step >> 2) code |= 1;
  return code;
}

}  // namespace

std::vector<uint8_t> encode_ima_adpcm(const std::vector<int16_t>& pcm) {
  const size_t per_block = kAdpcmSamplesPerBlock;
  const size_t blocks = (pcm.size() + per_block - 1) / per_block;
  std::vector<uint8_t> out;
  out.reserve(blocks * kAdpcmBlockBytes);
  State state;  // the step index carries over from block to block
  for (size_t b = 0; b < blocks; ++b) {
    auto sample_at = [&](size_t i) -> int {
      size_t at = b * per_block + i;
      // Past the end the last sample is held: padding then adds no click.
      if (at < pcm.size()) return pcm[at];
      return pcm.empty() ? 0 : pcm.back();
    };
    // The header restarts the predictor from the block's first sample.
    int first = sample_at(0);
    state.predictor = first;
    out.push_back(static_cast<uint8_t>(first & 0xFF));
    out.push_back(static_cast<uint8_t>((first >> 8) & 0xFF));
    out.push_back(static_cast<uint8_t>(state.index));
    out.push_back(0);
    for (size_t i = 1; i < per_block; i += 2) {
      int lo = choose_code(state, sample_at(i));
      apply(state, lo);
      int hi = choose_code(state, sample_at(i + 1));
      apply(state, hi);
      out.push_back(static_cast<uint8_t>(lo | (hi << 4)));
    }
  }
  return out;
}

}  // namespace assetgen

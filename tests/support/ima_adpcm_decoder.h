// An IMA ADPCM decoder (mono, 1024-byte blocks of 2041 samples) written from the format's
// definition, independent of the encoder it checks. Portable and header-only: the
// generator's tests and its fuzz target share it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ImaAdpcm {

constexpr int kSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// Decodes the whole blocks of data. headersOk is cleared when a block header has a step
// index past the table or a non-zero reserved byte (the index is then clamped).
inline std::vector<int> decode(const uint8_t* data, size_t size, bool* headersOk) {
  std::vector<int> out;
  *headersOk = true;
  for (size_t block = 0; block + 1024 <= size; block += 1024) {
    const uint8_t* b = data + block;
    int pred = static_cast<int16_t>(b[0] | (b[1] << 8));
    int index = b[2];
    if (index > 88 || b[3] != 0) *headersOk = false;
    index = std::min(index, 88);
    out.push_back(pred);
    for (int i = 4; i < 1024; ++i) {
      for (int nib = 0; nib < 2; ++nib) {
        const int code = nib == 0 ? b[i] & 15 : b[i] >> 4;
        const int step = kSteps[index];
        int diff = step >> 3;
        if (code & 4) diff += step;
        if (code & 2) diff += step >> 1;
        if (code & 1) diff += step >> 2;
        pred = std::clamp(code & 8 ? pred - diff : pred + diff, -32768, 32767);
        static const int kAdjust[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
        index = std::clamp(index + kAdjust[code & 7], 0, 88);
        out.push_back(pred);
      }
    }
  }
  return out;
}

}  // namespace ImaAdpcm

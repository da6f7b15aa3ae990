// RIFF WAVE files holding mono 44.1 kHz IMA ADPCM.
#ifndef ASSETGEN_WAV_WRITER_H
#define ASSETGEN_WAV_WRITER_H

#include <cstdint>
#include <vector>

namespace assetgen {

constexpr int kSampleRate = 44100;

// Encodes pcm and wraps it in "fmt ", "data" and "fact" chunks. The sample count in
// "fact" covers whole blocks, including any padding of the last block.
std::vector<uint8_t> encode_adpcm_wav(const std::vector<int16_t>& pcm);

}  // namespace assetgen

#endif

// IMA ADPCM (the Microsoft WAVE flavour), mono, 1024-byte blocks of 2041 samples.
#ifndef ASSETGEN_ADPCM_ENCODER_H
#define ASSETGEN_ADPCM_ENCODER_H

#include <cstdint>
#include <vector>

namespace assetgen {

constexpr int kAdpcmBlockBytes = 1024;
// The 4-byte block header carries one sample verbatim; the other 1020 bytes hold two
// 4-bit codes each.
constexpr int kAdpcmSamplesPerBlock = 1 + (kAdpcmBlockBytes - 4) * 2;

// Encodes pcm as whole blocks. A partial last block is padded by holding the last sample,
// so the result is always ceil(pcm.size() / 2041) blocks.
std::vector<uint8_t> encode_ima_adpcm(const std::vector<int16_t>& pcm);

}  // namespace assetgen

#endif

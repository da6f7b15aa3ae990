#include "wav_writer.h"

#include <cstddef>

#include "adpcm_encoder.h"

namespace assetgen {
namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v & 255u));
  out.push_back(static_cast<uint8_t>((v >> 8) & 255u));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFFu);
  put16(out, v >> 16);
}

void put_tag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

}  // namespace

std::vector<uint8_t> encode_adpcm_wav(const std::vector<int16_t>& pcm) {
  std::vector<uint8_t> data = encode_ima_adpcm(pcm);
  const uint32_t blocks = static_cast<uint32_t>(data.size() / kAdpcmBlockBytes);
  const uint32_t fmt_size = 20, fact_size = 4;
  const uint32_t data_size = static_cast<uint32_t>(data.size());
  // Whole blocks per second, rounded down as encoders conventionally do.
  const uint32_t bytes_per_second = static_cast<uint32_t>(static_cast<uint64_t>(kSampleRate) *
                                                          kAdpcmBlockBytes / kAdpcmSamplesPerBlock);

  std::vector<uint8_t> out;
  out.reserve(data.size() + 64);
  put_tag(out, "RIFF");
  put32(out, 4 + (8 + fmt_size) + (8 + data_size) + (8 + fact_size));
  put_tag(out, "WAVE");

  put_tag(out, "fmt ");
  put32(out, fmt_size);
  put16(out, 0x0011);  // IMA ADPCM
  put16(out, 1);       // mono
  put32(out, kSampleRate);
  put32(out, bytes_per_second);
  put16(out, kAdpcmBlockBytes);
  put16(out, 4);  // bits per sample
  put16(out, 2);  // extra bytes that follow
  put16(out, kAdpcmSamplesPerBlock);

  put_tag(out, "data");
  put32(out, data_size);
  out.insert(out.end(), data.begin(), data.end());

  put_tag(out, "fact");
  put32(out, fact_size);
  put32(out, blocks * kAdpcmSamplesPerBlock);
  return out;
}

}  // namespace assetgen

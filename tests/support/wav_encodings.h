// WAV files written at test time: any encoding tag, bit depth, channel count and rate,
// optionally as WAVE_FORMAT_EXTENSIBLE, with an odd-sized chunk first or the data chunk
// before the format. Header-only, portable.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace TestWav {

struct Format {
  Format(uint16_t tag = 1, int channels = 1, uint32_t rate = 44100, int bits = 16)
      : tag(tag), channels(channels), rate(rate), bits(bits) {}
  uint16_t tag;  // 1 PCM, 3 float, 0x11 IMA ADPCM
  int channels;
  uint32_t rate;
  int bits;
  bool extensible = false, junkFirst = false, dataFirst = false;
  uint16_t blockAlign = 0;        // 0: channels * bits / 8
  std::vector<uint8_t> fmtExtra;  // after the 16-byte format (IMA ADPCM: cbSize, frames a block)
};

inline void put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

// `data` is the data chunk's body, already encoded.
inline std::vector<uint8_t> file(const Format& s, const std::vector<uint8_t>& data) {
  const uint32_t align =
      s.blockAlign ? s.blockAlign : uint32_t(s.channels * std::max(s.bits / 8, 1));
  std::vector<uint8_t> fmt;
  for (auto [v, n] : {std::pair<uint32_t, int>{s.extensible ? 0xFFFE : s.tag, 2},
                      {uint32_t(s.channels), 2},
                      {s.rate, 4},
                      {s.rate * align, 4},
                      {align, 2},
                      {uint32_t(s.bits), 2}})
    put(fmt, v, n);
  if (s.extensible) {  // cbSize, valid bits, channel mask, then the subtype GUID
    for (auto [v, n] : {std::pair<uint32_t, int>{22, 2},
                        {uint32_t(s.bits), 2},
                        {3, 4},
                        {s.tag, 4},
                        {0x00100000, 4},
                        {0xAA000080, 4},
                        {0x719B3800, 4}})
      put(fmt, v, n);
  }
  fmt.insert(fmt.end(), s.fmtExtra.begin(), s.fmtExtra.end());
  std::vector<uint8_t> out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  auto chunk = [&](const char* id, const std::vector<uint8_t>& bytes) {
    out.insert(out.end(), id, id + 4);
    put(out, uint32_t(bytes.size()), 4);
    out.insert(out.end(), bytes.begin(), bytes.end());
    if (bytes.size() & 1) out.push_back(0);  // the pad byte
  };
  if (s.junkFirst) chunk("LIST", {1, 2, 3});
  if (s.dataFirst) chunk("data", data);
  chunk("fmt ", fmt);
  if (!s.dataFirst) chunk("data", data);
  const uint32_t riff = uint32_t(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[size_t(4 + i)] = uint8_t(riff >> (8 * i));
  return out;
}

}  // namespace TestWav

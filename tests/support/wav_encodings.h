// WAV files written at test time: any encoding tag, bit depth, channel count and rate,
// optionally as WAVE_FORMAT_EXTENSIBLE, with an odd-sized chunk before the format, or with
// a data size that lies. Header-only, portable.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace TestWav {

struct Spec {
  uint16_t tag = 1;  // 1 PCM, 3 float, 0x11 IMA ADPCM
  int channels = 1;
  uint32_t rate = 44100;
  int bits = 16;
  bool extensible = false;
  bool junkFirst = false;         // an odd-sized chunk (with its pad byte) before "fmt "
  bool dataFirst = false;         // "data" before "fmt "
  int64_t claimedData = -1;       // the data chunk's size field, when it should lie
  uint16_t blockAlign = 0;        // 0: channels * bits / 8
  std::vector<uint8_t> fmtExtra;  // bytes after the 16-byte format (IMA ADPCM: cbSize, spb)
};

inline Spec format(uint16_t tag, int channels, uint32_t rate, int bits) {
  Spec s;
  s.tag = tag;
  s.channels = channels;
  s.rate = rate;
  s.bits = bits;
  return s;
}

inline void put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
inline void tag(std::vector<uint8_t>& out, const char* t) {
  out.insert(out.end(), t, t + 4);
}

// `data` is the data chunk's body, already encoded.
inline std::vector<uint8_t> file(const Spec& s, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> fmt;
  const uint16_t align =
      s.blockAlign ? s.blockAlign : uint16_t(s.channels * (s.bits / 8 ? s.bits / 8 : 1));
  put(fmt, s.extensible ? 0xFFFE : s.tag, 2);
  put(fmt, uint32_t(s.channels), 2);
  put(fmt, s.rate, 4);
  put(fmt, s.rate * align, 4);
  put(fmt, align, 2);
  put(fmt, uint32_t(s.bits), 2);
  if (s.extensible) {
    put(fmt, 22, 2);
    put(fmt, uint32_t(s.bits), 2);  // valid bits
    put(fmt, s.channels == 2 ? 3 : 4, 4);
    put(fmt, s.tag, 4);
    const uint8_t tail[12] = {0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    fmt.insert(fmt.end(), tail, tail + 12);
  } else {
    fmt.insert(fmt.end(), s.fmtExtra.begin(), s.fmtExtra.end());
  }
  std::vector<uint8_t> body;
  tag(body, "WAVE");
  auto chunk = [&](const char* id, const std::vector<uint8_t>& bytes, int64_t claimed) {
    tag(body, id);
    put(body, uint32_t(claimed >= 0 ? claimed : int64_t(bytes.size())), 4);
    body.insert(body.end(), bytes.begin(), bytes.end());
    if (bytes.size() & 1) body.push_back(0);
  };
  if (s.junkFirst) chunk("LIST", {1, 2, 3}, -1);
  if (s.dataFirst) chunk("data", data, s.claimedData);
  chunk("fmt ", fmt, -1);
  if (!s.dataFirst) chunk("data", data, s.claimedData);
  std::vector<uint8_t> out;
  tag(out, "RIFF");
  put(out, uint32_t(body.size()), 4);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

}  // namespace TestWav

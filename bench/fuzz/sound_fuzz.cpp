// Fuzz target for the WAV and OGG readers. The first byte picks how the rest is used: as a
// whole file, behind a RIFF header, as the fields of a format chunk with a data chunk
// after it, or behind an OGG page holding a Vorbis identification header, so that random
// inputs reach past the magic numbers. A file is refused with a reason and the target left
// alone, or decodes to 1 or 2 channels at a rate in range, with every sample finite and
// within [-1, 1]; a stream gives the same samples, and a WAV stream the same again after a
// rewind.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "slate/audio/decoding.h"

using namespace Slate::Audio;

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "sound fuzz: %s\n", what);
  std::abort();
}

void put(std::vector<uint8_t>& v, uint32_t x, int bytes) {
  for (int i = 0; i < bytes; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
void append(std::vector<uint8_t>& v, const char* s, size_t n) {
  v.insert(v.end(), s, s + n);
}

std::vector<uint8_t> shape(const uint8_t* data, size_t size) {
  std::vector<uint8_t> f;
  if (size == 0) return f;
  const uint8_t mode = data[0] % 4;
  ++data, --size;
  auto byte = [&](size_t i) { return i < size ? data[i] : uint8_t(0); };
  switch (mode) {
    case 0:
      break;
    case 1:  // chunks of any kind behind a RIFF header
      append(f, "RIFF\0\0\0\0WAVE", 12);
      break;
    case 2: {  // a format chunk made of the input's fields, then the data chunk
      static const uint16_t kTags[] = {1, 3, 0x11, 0xFFFE};
      static const uint8_t kBits[] = {8, 16, 24, 32, 4, 12, 0, 64};
      append(f, "RIFF\0\0\0\0WAVEfmt ", 16);
      const bool ext = byte(0) % 4 == 3;
      put(f, ext ? 40 : 20, 4);
      put(f, kTags[byte(0) % 4], 2);
      put(f, byte(1) % 4, 2);                                       // channels
      put(f, uint32_t(byte(2) | byte(3) << 8 | byte(4) << 16), 4);  // rate
      put(f, 0, 4);
      put(f, uint32_t(byte(5) | byte(6) << 8), 2);  // block align
      put(f, kBits[byte(7) % 8], 2);
      put(f, ext ? 22 : 2, 2);
      put(f, uint32_t(byte(8) | byte(9) << 8), 2);  // frames a block, or valid bits
      if (ext) {
        put(f, 3, 4);
        put(f, kTags[byte(10) % 2], 4);
        append(f, "\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 12);
      }
      append(f, "data", 4);
      put(f, uint32_t(byte(11) | byte(12) << 8 | byte(13) << 16), 4);  // may lie
      const size_t used = std::min<size_t>(size, 14);
      data += used, size -= used;
      break;
    }
    default: {  // an OGG page with an identification header of the input's fields
      append(f, "OggS\0\x02", 6);
      f.insert(f.end(), 20, 0);  // granule, serial, sequence, checksum
      f.push_back(1);
      f.push_back(30);
      append(f, "\x01vorbis\0\0\0\0", 11);
      f.push_back(byte(0) % 4);                                     // channels
      put(f, uint32_t(byte(1) | byte(2) << 8 | byte(3) << 16), 4);  // rate
      f.insert(f.end(), 12, 0);
      f.push_back(byte(4));  // block sizes
      f.push_back(1);
      const size_t used = std::min<size_t>(size, 5);
      data += used, size -= used;
    }
  }
  f.insert(f.end(), data, data + size);
  return f;
}

void checkSamples(const float* s, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (!(s[i] >= -1 && s[i] <= 1)) fail("a sample is not finite within [-1, 1]");
}

std::vector<float> readAll(StreamDecoder& s, size_t limit) {
  std::vector<float> out, buf(size_t(1000) * size_t(s.channels()));
  while (out.size() < limit) {
    const int n = s.read(buf.data(), 1000);
    if (n < 0 || n > 1000) fail("a stream read more frames than asked");
    if (n == 0) break;
    out.insert(out.end(), buf.begin(), buf.begin() + n * s.channels());
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> file = shape(data, size);
  SoundData d{7, 1, {0.5f}};
  std::string why;
  if (decodeSound(file.data(), file.size(), &d, &why)) {
    if (d.channels < 1 || d.channels > 2 || d.rate < 1 || d.rate > kMaxRate)
      fail("decoded a channel count or rate out of range");
    if (d.samples.empty() || d.samples.size() % size_t(d.channels) != 0 ||
        int64_t(d.samples.size()) > kMaxDecodedSamples)
      fail("decoded a wrong number of samples");
    checkSamples(d.samples.data(), d.samples.size());
  } else if (why.empty() || d.rate != 7 || d.samples != std::vector<float>{0.5f}) {
    fail("a refusal without a reason, or one that changed its target");
  }
  std::unique_ptr<StreamDecoder> s = openStreamDecoder(file, &why);
  if (!s) return 0;
  if (s->channels() < 1 || s->channels() > 2 || s->rate() < 1 || s->rate() > kMaxRate)
    fail("a stream with a channel count or rate out of range");
  const size_t limit = size_t(1) << 22;
  const std::vector<float> first = readAll(*s, limit);
  checkSamples(first.data(), first.size());
  if (d.rate != 7 && first.size() < limit && first != d.samples)
    fail("a stream gave other samples than the whole decode");
  const bool wav = file.size() >= 4 && std::memcmp(file.data(), "RIFF", 4) == 0;
  if (wav && (!s->rewind() || readAll(*s, limit) != first)) fail("a rewound WAV stream differs");
  return 0;
}

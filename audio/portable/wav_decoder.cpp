// WAV samples to floats: PCM of 8 to 32 bits, 32-bit float and IMA ADPCM, a few frames at
// a time, so that the same reader decodes whole sounds and streams music.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "ima_adpcm.h"
#include "readers.h"
#include "wav_format.h"

namespace Slate::Audio {
namespace {

float pcmSample(const uint8_t* p, int bits) {
  switch (bits) {
    case 8:  // unsigned, centred on 128
      return (int(p[0]) - 128) * (1.0f / 128);
    case 16:
      return float(int16_t(uint16_t(p[0] | p[1] << 8))) * (1.0f / 32768);
    case 24:
      return float(int32_t(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24) >>
                   8) *
             (1.0f / 8388608);
    default:
      return float(int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                           uint32_t(p[3]) << 24)) *
             (1.0f / 2147483648.0f);
  }
}

// Float files may hold anything: NaN and infinities become silence and full scale.
float floatSample(const uint8_t* p) {
  float v;
  std::memcpy(&v, p, 4);  // little-endian, as every target is
  if (std::isnan(v)) return 0;
  return std::clamp(v, -1.0f, 1.0f);
}

class WavReader final : public Reader {
 public:
  WavReader(const uint8_t* file, const WavFormat& f) : f_(f), data_(file + f.dataOffset) {
    if (f.encoding == WavEncoding::ImaAdpcm) {
      const size_t whole = f.dataSize / size_t(f.blockBytes);
      const size_t rest = f.dataSize % size_t(f.blockBytes);
      frames_ = int64_t(whole) * f.samplesPerBlock +
                std::min(imaBlockFrames(rest, f.channels), f.samplesPerBlock);
      block_.resize(size_t(f.samplesPerBlock) * size_t(f.channels));
    } else {
      frames_ = int64_t(f.dataSize / size_t(f.blockBytes));
    }
    // "fact" may leave out the padding of the last block; it never adds frames. PCM files
    // that carry one are not trusted with it: the data chunk says all.
    if (f.factFrames >= 0 && f.encoding == WavEncoding::ImaAdpcm)
      frames_ = std::min(frames_, f.factFrames);
  }

  int rate() const override { return f_.rate; }
  int channels() const override { return f_.channels; }
  int64_t frameCount() const override { return frames_; }

  int read(float* out, int frames) override {
    if (!out || frames <= 0) return 0;
    const int n = int(std::min<int64_t>({frames, frames_ - next_, INT_MAX / f_.channels}));
    if (n <= 0) return 0;
    if (f_.encoding == WavEncoding::ImaAdpcm)
      readAdpcm(out, n);
    else
      readPcm(out, n);
    next_ += n;
    return n;
  }

  bool rewind() override {
    next_ = 0;
    blockIndex_ = -1;
    return true;
  }

 private:
  void readPcm(float* out, int n) {
    const int ch = f_.channels, bytes = f_.bits / 8;
    const uint8_t* p = data_ + size_t(next_) * size_t(f_.blockBytes);
    const int count = n * ch;
    if (f_.encoding == WavEncoding::Float) {
      for (int i = 0; i < count; ++i) out[i] = floatSample(p + 4 * i);
    } else {
      for (int i = 0; i < count; ++i) out[i] = pcmSample(p + size_t(bytes) * i, f_.bits);
    }
  }

  void readAdpcm(float* out, int n) {
    const int ch = f_.channels, per = f_.samplesPerBlock;
    int64_t frame = next_;
    for (int done = 0; done < n;) {
      const int64_t block = frame / per;
      if (block != blockIndex_) {
        const size_t at = size_t(block) * size_t(f_.blockBytes);
        const size_t len = std::min(size_t(f_.blockBytes), f_.dataSize - at);
        decodeImaBlock(data_ + at, len, ch, per, block_.data());
        blockIndex_ = block;
      }
      const int first = int(frame - block * per);
      const int take = std::min(n - done, per - first);
      const int16_t* src = block_.data() + size_t(first) * ch;
      for (int i = 0; i < take * ch; ++i) out[size_t(done) * ch + i] = src[i] * (1.0f / 32768);
      done += take;
      frame += take;
    }
  }

  WavFormat f_;
  const uint8_t* data_;
  int64_t frames_ = 0;
  int64_t next_ = 0;            // the next frame to read
  std::vector<int16_t> block_;  // IMA ADPCM: the block decoded last
  int64_t blockIndex_ = -1;
};

}  // namespace

std::unique_ptr<Reader> openWavReader(const uint8_t* bytes, size_t size, std::string* reason) {
  WavFormat f;
  if (!parseWavFormat(bytes, size, &f, reason)) return nullptr;
  auto reader = std::make_unique<WavReader>(bytes, f);
  if (reader->frameCount() <= 0) {
    if (reason) *reason = f.dataSize ? "truncated WAV file" : "WAV file holds no samples";
    return nullptr;
  }
  return reader;
}

}  // namespace Slate::Audio

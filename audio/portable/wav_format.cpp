#include "wav_format.h"

#include <algorithm>
#include <cstring>

#include "ima_adpcm.h"
#include "slate/audio/sound_data.h"

namespace Slate::Audio {
namespace {

uint32_t u16(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}
uint32_t u32(const uint8_t* p) {
  return u16(p) | u16(p + 2) << 16;
}

constexpr uint32_t kTagPcm = 1, kTagFloat = 3, kTagImaAdpcm = 0x11, kTagExtensible = 0xFFFE;
// WAVE_FORMAT_EXTENSIBLE names its encoding by a GUID: the old tag, then these 12 bytes.
constexpr uint8_t kSubtypeTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                      0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool fail(std::string* reason, const char* why) {
  if (reason) *reason = why;
  return false;
}

// The format chunk's body (len bytes, all inside the file).
bool parseFmt(const uint8_t* p, uint32_t len, WavFormat* f, std::string* reason) {
  if (len < 16) return fail(reason, "truncated WAV header");
  uint32_t tag = u16(p);
  const uint32_t channels = u16(p + 2), rate = u32(p + 4), blockAlign = u16(p + 12),
                 bits = u16(p + 14);
  const uint32_t extra = len >= 18 ? u16(p + 16) : 0;
  if (tag == kTagExtensible) {
    if (len < 40 || extra < 22) return fail(reason, "truncated WAV header");
    if (std::memcmp(p + 28, kSubtypeTail, sizeof kSubtypeTail) != 0)
      return fail(reason, "unsupported WAV encoding");
    tag = u32(p + 24);
  }
  if (channels < 1 || channels > 2) return fail(reason, "unsupported WAV channel count");
  if (rate < 1 || rate > uint32_t(kMaxRate)) return fail(reason, "unsupported WAV sample rate");
  f->channels = int(channels);
  f->rate = int(rate);
  f->bits = int(bits);
  switch (tag) {
    case kTagPcm:
      if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return fail(reason, "unsupported WAV encoding");
      f->encoding = WavEncoding::Pcm;
      // The frame size follows from the rest; a wrong block align is not trusted.
      f->blockBytes = int(channels * bits / 8);
      return true;
    case kTagFloat:
      if (bits != 32) return fail(reason, "unsupported WAV encoding");
      f->encoding = WavEncoding::Float;
      f->blockBytes = int(channels * 4);
      return true;
    case kTagImaAdpcm: {
      if (bits != 4) return fail(reason, "unsupported WAV encoding");
      const int most = imaBlockFrames(blockAlign, int(channels));
      const int perBlock = extra >= 2 && len >= 20 ? int(u16(p + 18)) : most;
      if (most < 1 || perBlock < 1 || perBlock > most)
        return fail(reason, "bad IMA ADPCM block size");
      f->encoding = WavEncoding::ImaAdpcm;
      f->blockBytes = int(blockAlign);
      f->samplesPerBlock = perBlock;
      return true;
    }
    default:
      return fail(reason, "unsupported WAV encoding");
  }
}

}  // namespace

bool parseWavFormat(const uint8_t* bytes, size_t size, WavFormat* out, std::string* reason) {
  if (!bytes || size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 ||
      std::memcmp(bytes + 8, "WAVE", 4) != 0)
    return fail(reason, "not a WAV file");
  WavFormat f;
  bool haveFmt = false, haveData = false;
  // The RIFF size is not trusted: the chunks are walked to the file's real end.
  size_t pos = 12;
  while (size - pos >= 8) {
    const uint8_t* id = bytes + pos;
    const uint32_t len = u32(bytes + pos + 4);
    const size_t body = pos + 8;
    const size_t avail = size - body;
    if (!haveFmt && std::memcmp(id, "fmt ", 4) == 0) {
      if (len > avail) return fail(reason, "truncated WAV header");
      if (!parseFmt(bytes + body, len, &f, reason)) return false;
      haveFmt = true;
    } else if (!haveData && std::memcmp(id, "data", 4) == 0) {
      // A data chunk that claims more than the file holds keeps what is there.
      f.dataOffset = body;
      f.dataSize = std::min<size_t>(len, avail);
      haveData = true;
    } else if (std::memcmp(id, "fact", 4) == 0 && len >= 4 && avail >= 4) {
      f.factFrames = u32(bytes + body);
    }
    // Chunks of odd size are followed by a pad byte.
    const uint64_t next = uint64_t(body) + len + (len & 1);
    if (next > size) break;
    pos = size_t(next);
  }
  if (!haveFmt) return fail(reason, "WAV file has no format chunk");
  if (!haveData) return fail(reason, "WAV file has no data chunk");
  *out = f;
  return true;
}

}  // namespace Slate::Audio

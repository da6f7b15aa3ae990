// Decoding WAV (PCM 8, 16, 24, 32 bits, 32-bit float, IMA ADPCM) and OGG Vorbis from bytes
// in memory. Portable, no <windows.h>; the Windows side reads files and resources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "slate/audio/sound_data.h"

namespace Slate::Audio {

// Decodes a whole WAV or OGG file (told apart by its first bytes) into *out.
// Returns false with a short reason in *reason (for lastError: "not a WAV or OGG file",
// "truncated WAV file", "unsupported WAV encoding", ...) and *out untouched.
bool decodeSound(const uint8_t* bytes, size_t size, SoundData* out, std::string* reason);

// A decoder that hands out frames a few at a time: music, decoded ahead on the audio side.
class StreamDecoder {
 public:
  virtual ~StreamDecoder() = default;
  virtual int rate() const = 0;
  virtual int channels() const = 0;
  // Writes up to `frames` interleaved frames; returns how many, 0 at the end (or on a
  // fault in the data, which ends the stream as the end would).
  virtual int read(float* out, int frames) = 0;
  // Back to the first frame, for a loop. False when the data cannot be read again.
  virtual bool rewind() = 0;
};

// Opens a stream over the file's bytes, which the decoder then owns. Checks the header
// (and, for OGG, the first packets) at once: returns null with *reason when they are bad.
std::unique_ptr<StreamDecoder> openStreamDecoder(std::vector<uint8_t> bytes, std::string* reason);

}  // namespace Slate::Audio

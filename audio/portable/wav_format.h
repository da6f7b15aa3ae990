// The header of a RIFF WAVE file: its format chunk and where its samples lie.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Slate::Audio {

enum class WavEncoding { Pcm, Float, ImaAdpcm };

struct WavFormat {
  WavEncoding encoding = WavEncoding::Pcm;
  int channels = 0;
  int rate = 0;
  int bits = 0;             // per sample: 8, 16, 24 or 32 (PCM), 32 (float), 4 (IMA ADPCM)
  int blockBytes = 0;       // a frame (PCM, float) or an IMA ADPCM block
  int samplesPerBlock = 0;  // IMA ADPCM: frames each whole block holds
  size_t dataOffset = 0;    // the samples, within the file
  size_t dataSize = 0;      // as many bytes as the file really holds
  int64_t factFrames = -1;  // the "fact" chunk's frame count, when there is one
};

// Reads the chunks, in any order, without reading outside the bytes. A data chunk that
// claims more than the file holds keeps the bytes that are there. False with *reason
// when the file is not a WAV we decode.
bool parseWavFormat(const uint8_t* bytes, size_t size, WavFormat* out, std::string* reason);

}  // namespace Slate::Audio

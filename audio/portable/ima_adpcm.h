// IMA ADPCM as WAV files carry it: blocks that each start from a verbatim sample and step
// index per channel, then 4-bit codes (mono: two a byte, low nibble first; stereo: 4-byte
// runs of eight codes for each channel in turn).
#pragma once

#include <cstddef>
#include <cstdint>

namespace Slate::Audio {

// Frames a block of `size` bytes holds (0 when it is shorter than its headers). A partial
// block's last incomplete run of codes is left out.
int imaBlockFrames(size_t size, int channels);

// Decodes one block into interleaved samples; writes min(maxFrames, imaBlockFrames(size))
// frames and returns that count. Step indexes past the table are clamped.
int decodeImaBlock(const uint8_t* block, size_t size, int channels, int maxFrames, int16_t* out);

}  // namespace Slate::Audio

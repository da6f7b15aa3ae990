// Windows BMP files: 24 bits per pixel, bottom-up rows, no palette, no compression.
#ifndef ASSETGEN_BMP_WRITER_H
#define ASSETGEN_BMP_WRITER_H

#include <cstdint>
#include <vector>

#include "image.h"

namespace assetgen {

// Resolution fields, in pixels per metre: 96 and 120 dots per inch.
constexpr int32_t kBmp96Dpi = 3780;
constexpr int32_t kBmp120Dpi = 4724;

// Little-endian fields, as every Windows file header holds them (the icon file's too).
inline void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v & 255u));
  out.push_back(static_cast<uint8_t>((v >> 8) & 255u));
}

inline void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFFu);
  put16(out, v >> 16);
}

// Encodes the picture as a complete .bmp file. A picture whose buffer does not match its
// size, or that is empty, gives an empty result.
std::vector<uint8_t> encode_bmp(const Image8& image, int32_t pixels_per_metre);

}  // namespace assetgen

#endif

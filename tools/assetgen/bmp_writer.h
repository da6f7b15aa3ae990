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

// Encodes the picture as a complete .bmp file. A picture whose buffer does not match its
// size, or that is empty, gives an empty result.
std::vector<uint8_t> encode_bmp(const Image8& image, int32_t pixels_per_metre);

}  // namespace assetgen

#endif

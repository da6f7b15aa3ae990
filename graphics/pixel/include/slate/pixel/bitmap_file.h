// BMP files without the platform: a file's own account of its length, checked against the
// bytes at hand before a platform decoder is trusted with them, and the file a picture is
// saved as. No <windows.h>: the fields are read and written byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Slate::Pixel {

// True when data is a BMP file (it starts with "BM") whose headers, or the pixel rows its
// header describes, run past size bytes, or whose header is not one a decoder accepts.
// Data of any other kind is not judged: false.
bool bitmapFileIsShort(const std::uint8_t* data, std::size_t size);

// A whole 24-bit BMP file (rows bottom-up, 96 dpi) of width x height top-down pixels
// 0x00RRGGBB; bits 24-31 are dropped. Empty for null pixels, a size not above 0, or a
// file that would pass the format's 32-bit lengths.
std::vector<std::uint8_t> encodeBitmapFile(const std::uint32_t* pixels, int width, int height);

}  // namespace Slate::Pixel

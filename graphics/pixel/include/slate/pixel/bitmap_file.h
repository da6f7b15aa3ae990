// A BMP file's own account of its length, checked against the bytes at hand before a
// platform decoder is trusted with them. No <windows.h>: the fields are read byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Slate::Pixel {

// True when data is a BMP file (it starts with "BM") whose headers, or the pixel rows its
// header describes, run past size bytes, or whose header is not one a decoder accepts.
// Data of any other kind is not judged: false.
bool bitmapFileIsShort(const std::uint8_t* data, std::size_t size);

}  // namespace Slate::Pixel

#include "bmp_writer.h"

#include <cstddef>

namespace assetgen {

std::vector<uint8_t> encode_bmp(const Image8& image, int32_t pixels_per_metre) {
  std::vector<uint8_t> out;
  // Limits keep every size field well inside 32 bits.
  if (image.width <= 0 || image.height <= 0 || image.width > 16384 || image.height > 16384)
    return out;
  const size_t w = static_cast<size_t>(image.width), h = static_cast<size_t>(image.height);
  if (image.rgb.size() != w * h * 3) return out;

  const size_t row_bytes = (w * 3 + 3) & ~static_cast<size_t>(3);
  const uint32_t header_bytes = 14 + 40;
  const uint32_t file_size = static_cast<uint32_t>(header_bytes + row_bytes * h);
  out.reserve(file_size);

  // BITMAPFILEHEADER
  out.push_back('B');
  out.push_back('M');
  put32(out, file_size);
  put16(out, 0);
  put16(out, 0);
  put32(out, header_bytes);
  // BITMAPINFOHEADER; a positive height means the rows are stored bottom-up.
  put32(out, 40);
  put32(out, static_cast<uint32_t>(image.width));
  put32(out, static_cast<uint32_t>(image.height));
  put16(out, 1);   // planes
  put16(out, 24);  // bits per pixel
  put32(out, 0);   // BI_RGB
  put32(out, 0);   // image size may be 0 for BI_RGB
  put32(out, static_cast<uint32_t>(pixels_per_metre));
  put32(out, static_cast<uint32_t>(pixels_per_metre));
  put32(out, 0);  // colours used
  put32(out, 0);  // important colours

  for (size_t row = h; row-- > 0;) {
    const uint8_t* src = &image.rgb[row * w * 3];
    for (size_t x = 0; x < w; ++x) {
      out.push_back(src[x * 3 + 2]);
      out.push_back(src[x * 3 + 1]);
      out.push_back(src[x * 3]);
    }
    for (size_t pad = w * 3; pad < row_bytes; ++pad) out.push_back(0);
  }
  return out;
}

}  // namespace assetgen

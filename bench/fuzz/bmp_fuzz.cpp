// Fuzz target for the BMP writer: a picture of any size, with a pixel buffer that may not
// match it, and any resolution. A mismatched or empty picture gives an empty result; any
// other gives a file whose headers and bottom-up, zero-padded rows read back exactly.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bmp_writer.h"

namespace {

uint32_t u32(const std::vector<uint8_t>& f, size_t at) {
  return f[at] | (f[at + 1] << 8) | (f[at + 2] << 16) | (uint32_t(f[at + 3]) << 24);
}

[[noreturn]] void fail(const char* what, int w, int h) {
  std::fprintf(stderr, "bmp fuzz: %s (%d x %d)\n", what, w, h);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 7) return 0;
  assetgen::Image8 img;
  // Sizes from -128 to 127 reach the refusals; a third byte can push one past the limit.
  img.width = int8_t(data[0]);
  img.height = int8_t(data[1]);
  if (data[2] & 1) img.width *= 200;
  const int32_t ppm =
      int32_t(data[3] | (data[4] << 8) | (data[5] << 16) | (uint32_t(data[6]) << 24));
  img.rgb.assign(data + 7, data + size);
  const int w = img.width, h = img.height;
  const std::vector<uint8_t> f = assetgen::encode_bmp(img, ppm);

  const bool valid =
      w > 0 && h > 0 && w <= 16384 && h <= 16384 && img.rgb.size() == size_t(w) * h * 3;
  if (!valid) {
    if (!f.empty()) fail("a bad picture was written", w, h);
    return 0;
  }
  const size_t row = (size_t(w) * 3 + 3) / 4 * 4;
  if (f.size() != 54 + row * h) fail("wrong file size", w, h);
  if (f[0] != 'B' || f[1] != 'M' || u32(f, 2) != f.size() || u32(f, 10) != 54 || u32(f, 14) != 40 ||
      u32(f, 18) != uint32_t(w) || u32(f, 22) != uint32_t(h) || u32(f, 38) != uint32_t(ppm) ||
      u32(f, 42) != uint32_t(ppm))
    fail("wrong header", w, h);
  for (int y = 0; y < h; ++y) {
    const size_t at = 54 + row * size_t(h - 1 - y);
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c)
        if (f[at + x * 3 + (2 - c)] != img.rgb[(size_t(y) * w + x) * 3 + c])
          fail("pixel differs", w, h);
    for (size_t p = size_t(w) * 3; p < row; ++p)
      if (f[at + p] != 0) fail("padding not zero", w, h);
  }
  return 0;
}

// resizePixels: a whole picture to a new size, averaging what it covers when shrinking and
// bilinear when enlarging, each axis on its own. Used at load time, so it is written
// plainly, one output pixel at a time.
#include <cstdint>

#include "slate/pixel/sprite.h"
#include "sprite_internal.h"

namespace Slate::Pixel {

using namespace Detail;

namespace {

Axis wholeAxis(int srcLen, int dstLen) {
  Axis a;
  a.start = 0;
  a.srcLen = srcLen;
  a.dstLen = dstLen;
  a.lo = 0;
  a.hi = srcLen;
  a.filter = dstLen < srcLen ? AxisFilter::Area
                             : (dstLen > srcLen ? AxisFilter::Bilinear : AxisFilter::Nearest);
  return a;
}

uint64_t roundDiv(uint64_t n, uint64_t d) {
  return (2 * n + d) / (2 * d);
}

}  // namespace

bool resizePixels(const ConstSurface& src, const Surface& dst) {
  if (!surfaceValid(src.pixels, src.width, src.height, src.stride) ||
      !surfaceValid(dst.pixels, dst.width, dst.height, dst.stride))
    return false;
  const Axis ax = wholeAxis(src.width, dst.width), ay = wholeAxis(src.height, dst.height);
  for (int y = 0; y < dst.height; ++y) {
    int y0 = 0, y1 = 0;
    axisRange(ay, y, &y0, &y1);  // every centre of a whole-picture resize is on the source
    for (int x = 0; x < dst.width; ++x) {
      int x0 = 0, x1 = 0;
      axisRange(ax, x, &x0, &x1);
      // Plain sums of all four bytes, and colour sums weighted by alpha.
      uint64_t total = 0, A = 0, plain[4] = {0, 0, 0, 0}, weighted[3] = {0, 0, 0};
      for (int j = y0; j <= y1; ++j) {
        const uint64_t wy = uint64_t(axisWeight(ay, y, j));
        for (int i = x0; i <= x1; ++i) {
          const uint64_t w = wy * uint64_t(axisWeight(ax, x, i));
          const uint32_t p = src.pixels[size_t(j) * size_t(src.stride) + size_t(i)];
          const uint64_t a = p >> 24;
          total += w;
          A += w * a;
          for (int k = 0; k < 4; ++k) plain[k] += w * ((p >> (8 * k)) & 0xFF);
          for (int k = 0; k < 3; ++k) weighted[k] += w * a * ((p >> (8 * k)) & 0xFF);
        }
      }
      uint32_t word = 0;
      if (src.hasAlpha && A > 0) {
        // Colours weighted by alpha, so that transparent pixels do not bleed into the edge.
        for (int k = 0; k < 3; ++k) word |= uint32_t(roundDiv(weighted[k], A)) << (8 * k);
        word |= uint32_t(roundDiv(A, total)) << 24;
      } else {
        // Without alpha (or where everything under it is transparent) the plain mean.
        for (int k = 0; k < 4; ++k) word |= uint32_t(roundDiv(plain[k], total)) << (8 * k);
      }
      dst.pixels[size_t(y) * size_t(dst.stride) + size_t(x)] = word;
    }
  }
  return true;
}

}  // namespace Slate::Pixel

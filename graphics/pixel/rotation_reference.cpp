// The reference rotation: one pixel at a time, written to read like the definition of the
// result. Every faster path must produce exactly the same words.
#include "slate/pixel/rotation.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace Slate::Pixel {

namespace {

// The COLORREF with red and blue exchanged, so it lines up with 0x00RRGGBB pixels.
uint32_t backgroundPixel(uint32_t bk) {
  return (bk & 0xFF00FF00u) | ((bk & 0xFFu) << 16) | ((bk >> 16) & 0xFFu);
}

uint32_t channel(uint32_t pixel, int shift) {
  return (pixel >> shift) & 0xFFu;
}

}  // namespace

bool rotatedSize(int width, int height, double radians, bool autoSize, int* nW, int* nH) {
  if (!std::isfinite(radians) || width < 0 || height < 0 || !nW || !nH) return false;
  double w = width, h = height;
  if (autoSize) {
    const double a = -radians;
    const double cosA = std::cos(a), sinA = std::sin(a);
    w = std::fmax(std::fabs(width * cosA + height * sinA), std::fabs(width * cosA - height * sinA));
    h = std::fmax(std::fabs(height * cosA - width * sinA), std::fabs(height * cosA + width * sinA));
    w += 0.5;
    h += 0.5;
  }
  // Range-checked in double first: a huge source could give more than an int holds.
  if (!(w < 2147483648.0) || !(h < 2147483648.0)) return false;
  const int rw = int(w), rh = int(h);
  if (int64_t(rw) * rh > kMaxRotatedPixels) return false;
  *nW = rw;
  *nH = rh;
  return true;
}

bool rotatePixelsReference(const uint32_t* src, int W, int H, uint32_t* dst, int nW, int nH,
                           double radians, uint32_t bkColorref, bool highQuality) {
  if (!std::isfinite(radians) || W < 0 || H < 0 || nW < 0 || nH < 0) return false;
  if (int64_t(nW) * nH > kMaxRotatedPixels) return false;
  if ((!src && int64_t(W) * H > 0) || (!dst && int64_t(nW) * nH > 0)) return false;

  const double a = -radians;
  const double cosA = std::cos(a), sinA = std::sin(a);
  const double X0 = W * 0.5 - ((cosA * nW) * 0.5 + (sinA * nH) * 0.5);
  const double Y0 = H * 0.5 + ((sinA * nW) * 0.5 - (cosA * nH) * 0.5);

  // Background fill. A grey background is written byte by byte, so its value lands in the
  // top byte of each pixel too.
  const uint32_t bg = backgroundPixel(bkColorref);
  const uint8_t r = bkColorref & 0xFF, g = (bkColorref >> 8) & 0xFF, b = (bkColorref >> 16) & 0xFF;
  const size_t count = size_t(nW) * size_t(nH);
  if (r == g && g == b) {
    if (count) std::memset(dst, r, count * sizeof(uint32_t));
  } else {
    for (size_t k = 0; k < count; ++k) dst[k] = bg;
  }
  if (W == 0 || H == 0) return true;

  for (int i = 0; i < nH; ++i) {
    const double iSin = i * sinA, iCos = i * cosA;
    for (int j = 0; j < nW; ++j) {
      const double sx = (iSin + j * cosA) + X0;
      const double sy = (iCos - j * sinA) + Y0;
      uint32_t* out = &dst[size_t(i) * nW + j];
      if (!highQuality) {
        // trunc(t) lies in 0..W-1 exactly when -1 < t < W; testing in double first keeps
        // huge coordinates away from the int conversion.
        const double tx = sx + 0.5, ty = sy + 0.5;
        if (tx > -1.0 && tx < W && ty > -1.0 && ty < H) {
          const int nx = int(tx), ny = int(ty);
          *out = src[size_t(ny) * W + nx];
        }
        continue;
      }
      // floor(s) lies in -1..W-1 exactly when -1 <= s < W.
      if (!(sx >= -1.0 && sx < W && sy >= -1.0 && sy < H)) continue;
      const int ix = int(std::floor(sx)), iy = int(std::floor(sy));
      const double fx = sx - ix, fy = sy - iy;
      auto at = [&](int x, int y) {
        return (x >= 0 && x < W && y >= 0 && y < H) ? src[size_t(y) * W + x] : bg;
      };
      const uint32_t p00 = at(ix, iy), p10 = at(ix + 1, iy);
      const uint32_t p01 = at(ix, iy + 1), p11 = at(ix + 1, iy + 1);
      const double w00 = (1 - fy) * (1 - fx), w10 = (1 - fy) * fx;
      const double w01 = fy * (1 - fx), w11 = fy * fx;
      uint32_t word = 0;
      for (int shift = 16; shift >= 0; shift -= 8) {
        const double v = channel(p00, shift) * w00 + channel(p10, shift) * w10 +
                         channel(p01, shift) * w01 + channel(p11, shift) * w11;
        word |= (uint32_t(int(v)) & 0xFFu) << shift;
      }
      *out = word;
    }
  }
  return true;
}

}  // namespace Slate::Pixel

// The reference sprite kernel: one destination pixel at a time, written to read like the
// definition of the result. Every faster path must produce exactly the same words.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "slate/pixel/sprite.h"
#include "sprite_internal.h"

namespace Slate::Pixel {

using namespace Detail;

namespace {

uint32_t byteOf(uint32_t word, int shift) {
  return (word >> shift) & 0xFFu;
}

// Rounded to nearest; the divisors here are odd or the sums even, so there are no ties
// except where noted.
uint64_t roundDiv(uint64_t n, uint64_t d) {
  return (2 * n + d) / (2 * d);
}

// A sampled source colour with straight alpha.
struct Sample {
  uint32_t a, r, g, b;
};

// Composes one sample onto one destination word.
uint32_t compose(uint32_t d, Sample s, const SpriteBlend& blend, bool dstAlpha) {
  const uint32_t opacity = uint32_t(std::clamp(blend.opacity, 0, 255));
  const uint32_t a = (s.a * opacity + 127) / 255;
  if (a == 0) return d;  // nothing of the source: the target exactly as it was
  const uint32_t c[3] = {(s.r * byteOf(blend.tint, 16) + 127) / 255,
                         (s.g * byteOf(blend.tint, 8) + 127) / 255,
                         (s.b * byteOf(blend.tint, 0) + 127) / 255};
  const int shifts[3] = {16, 8, 0};
  uint32_t out = 0;
  if ((blend.flags & kSpriteAdd) || !dstAlpha) {
    for (int k = 0; k < 3; ++k) {
      const uint32_t dc = byteOf(d, shifts[k]);
      const uint32_t v = (blend.flags & kSpriteAdd) ? std::min(255u, dc + (c[k] * a + 127) / 255)
                                                    : (c[k] * a + dc * (255 - a) + 127) / 255;
      out |= v << shifts[k];
    }
    return out | (d & 0xFF000000u);  // the top byte stays as it was
  }
  const uint32_t da = d >> 24;
  const uint64_t ws = uint64_t(a) * 255, wd = uint64_t(da) * (255 - a);
  for (int k = 0; k < 3; ++k)
    out |= uint32_t(roundDiv(c[k] * ws + byteOf(d, shifts[k]) * wd, ws + wd)) << shifts[k];
  return out | uint32_t((ws + wd + 127) / 255) << 24;
}

// The alpha-weighted mean of the source pixels under one output pixel: weights wx(i) *
// wy(j) over the two axes' ranges. A source without alpha counts every pixel as opaque.
Sample sampleBlock(const ConstSurface& src, const Axis& ax, const Axis& ay, int64_t kx, int64_t ky,
                   int x0, int x1, int y0, int y1) {
  uint64_t total = 0, A = 0, C[3] = {0, 0, 0};
  for (int j = y0; j <= y1; ++j) {
    const uint64_t wy = uint64_t(axisWeight(ay, ky, j));
    for (int i = x0; i <= x1; ++i) {
      const uint64_t w = wy * uint64_t(axisWeight(ax, kx, i));
      const uint32_t p = src.pixels[size_t(j) * size_t(src.stride) + size_t(i)];
      const uint64_t a = src.hasAlpha ? byteOf(p, 24) : 255;
      total += w;
      A += w * a;
      for (int k = 0; k < 3; ++k) C[k] += w * a * byteOf(p, 16 - 8 * k);
    }
  }
  if (A == 0) return {0, 0, 0, 0};
  return {uint32_t(roundDiv(A, total)), uint32_t(roundDiv(C[0], A)), uint32_t(roundDiv(C[1], A)),
          uint32_t(roundDiv(C[2], A))};
}

// The destination clip cut to the surface, as 64-bit bounds.
void clipBounds(const Surface& dst, const PixelRect& clip, int64_t* x0, int64_t* y0, int64_t* x1,
                int64_t* y1) {
  *x0 = std::max(0, clip.left);
  *y0 = std::max(0, clip.top);
  *x1 = std::min(dst.width, clip.right);
  *y1 = std::min(dst.height, clip.bottom);
}

}  // namespace

bool drawSpritePixelsReference(const Surface& dst, const PixelRect& clip, int dstX, int dstY,
                               int dstW, int dstH, const ConstSurface& src, int srcX, int srcY,
                               int srcW, int srcH, const SpriteBlend& blend) {
  if (!surfaceValid(dst.pixels, dst.width, dst.height, dst.stride) ||
      !surfaceValid(src.pixels, src.width, src.height, src.stride))
    return false;
  if (dstW <= 0 || dstH <= 0 || srcW <= 0 || srcH <= 0) return false;
  Axis ax, ay;
  ax.start = srcX;
  ax.srcLen = srcW;
  ax.dstLen = dstW;
  ax.lo = std::max(srcX, 0);
  ax.hi = int(std::min<int64_t>(int64_t(srcX) + srcW, src.width));
  ay.start = srcY;
  ay.srcLen = srcH;
  ay.dstLen = dstH;
  ay.lo = std::max(srcY, 0);
  ay.hi = int(std::min<int64_t>(int64_t(srcY) + srcH, src.height));
  if (ax.lo >= ax.hi || ay.lo >= ay.hi) return false;  // the block misses the source
  const bool smooth = (blend.flags & kSpriteSmooth) != 0;
  ax.filter = filterFor(srcW, dstW, smooth);
  ay.filter = filterFor(srcH, dstH, smooth);

  int64_t cx0, cy0, cx1, cy1;
  clipBounds(dst, clip, &cx0, &cy0, &cx1, &cy1);
  cx0 = std::max<int64_t>(cx0, dstX);
  cy0 = std::max<int64_t>(cy0, dstY);
  cx1 = std::min<int64_t>(cx1, int64_t(dstX) + dstW);
  cy1 = std::min<int64_t>(cy1, int64_t(dstY) + dstH);
  for (int64_t y = cy0; y < cy1; ++y) {
    // Flipping mirrors the destination rectangle: its last row samples where the first would.
    const int64_t ky = (blend.flags & kSpriteFlipY) ? dstY + int64_t(dstH) - 1 - y : y - dstY;
    int sy0, sy1;
    if (!axisRange(ay, ky, &sy0, &sy1)) continue;
    for (int64_t x = cx0; x < cx1; ++x) {
      const int64_t kx = (blend.flags & kSpriteFlipX) ? dstX + int64_t(dstW) - 1 - x : x - dstX;
      int sx0, sx1;
      if (!axisRange(ax, kx, &sx0, &sx1)) continue;
      const Sample s = sampleBlock(src, ax, ay, kx, ky, sx0, sx1, sy0, sy1);
      uint32_t& d = dst.pixels[size_t(y) * size_t(dst.stride) + size_t(x)];
      d = compose(d, s, blend, dst.hasAlpha);
    }
  }
  return true;
}

bool drawSpriteRotatedPixelsReference(const Surface& dst, const PixelRect& clip, double centerX,
                                      double centerY, const ConstSurface& src, double radians,
                                      double scale, const SpriteBlend& blend) {
  if (!surfaceValid(dst.pixels, dst.width, dst.height, dst.stride) ||
      !surfaceValid(src.pixels, src.width, src.height, src.stride))
    return false;
  if (!std::isfinite(radians) || !std::isfinite(scale) || !(scale > 0) || !std::isfinite(centerX) ||
      !std::isfinite(centerY))
    return false;
  const int W = src.width, H = src.height;
  const double a = -radians;
  const double cosS = std::cos(a) / scale, sinS = std::sin(a) / scale;
  const double X0 = W * 0.5 - (cosS * centerX + sinS * centerY);
  const double Y0 = H * 0.5 + (sinS * centerX - cosS * centerY);

  // Only the square about the centre that holds the turned sprite can be touched; every
  // pixel in it still gets the exact test below. Bounds are clamped in double before any
  // conversion to int.
  const double reach = 0.5 * std::sqrt(double(W) * W + double(H) * H) * scale + 2;
  int64_t cx0, cy0, cx1, cy1;
  clipBounds(dst, clip, &cx0, &cy0, &cx1, &cy1);
  const double bx0 = std::floor(centerX - reach), bx1 = std::ceil(centerX + reach) + 1;
  const double by0 = std::floor(centerY - reach), by1 = std::ceil(centerY + reach) + 1;
  if (bx0 > double(cx0)) cx0 = int64_t(std::min(bx0, double(cx1)));
  if (bx1 < double(cx1)) cx1 = int64_t(std::max(bx1, double(cx0)));
  if (by0 > double(cy0)) cy0 = int64_t(std::min(by0, double(cy1)));
  if (by1 < double(cy1)) cy1 = int64_t(std::max(by1, double(cy0)));

  const bool smooth = (blend.flags & kSpriteSmooth) != 0;
  for (int64_t i = cy0; i < cy1; ++i) {
    const double iSin = double(i) * sinS, iCos = double(i) * cosS;
    for (int64_t j = cx0; j < cx1; ++j) {
      double sx = (iSin + double(j) * cosS) + X0;
      double sy = (iCos - double(j) * sinS) + Y0;
      // Flips mirror the sprite before it turns: pixel n trades places with pixel W-1-n.
      if (blend.flags & kSpriteFlipX) sx = (W - 1) - sx;
      if (blend.flags & kSpriteFlipY) sy = (H - 1) - sy;
      Sample s;
      if (!smooth) {
        // Nearest: the pixel whose centre is closest, floor(s + 0.5), must be on the sprite.
        const double tx = sx + 0.5, ty = sy + 0.5;
        if (!(tx >= 0 && tx < W && ty >= 0 && ty < H)) continue;
        const uint32_t p = src.pixels[size_t(ty) * size_t(src.stride) + size_t(tx)];
        s = {src.hasAlpha ? byteOf(p, 24) : 255, byteOf(p, 16), byteOf(p, 8), byteOf(p, 0)};
      } else {
        // Bilinear over the four neighbours; those off the sprite are transparent, so its
        // edges fade over one pixel. Weights are in 1/256ths.
        if (!(sx >= -1.0 && sx < W && sy >= -1.0 && sy < H)) continue;
        const double flx = std::floor(sx), fly = std::floor(sy);
        const int ix = int(flx), iy = int(fly);
        const uint64_t wx1 = uint64_t((sx - flx) * kBilinearOne);
        const uint64_t wy1 = uint64_t((sy - fly) * kBilinearOne);
        const uint64_t wx[2] = {kBilinearOne - wx1, wx1}, wy[2] = {kBilinearOne - wy1, wy1};
        uint64_t A = 0, C[3] = {0, 0, 0};
        for (int v = 0; v < 2; ++v) {
          for (int u = 0; u < 2; ++u) {
            const int x = ix + u, y = iy + v;
            if (x < 0 || x >= W || y < 0 || y >= H) continue;
            const uint32_t p = src.pixels[size_t(y) * size_t(src.stride) + size_t(x)];
            const uint64_t w = wx[u] * wy[v] * (src.hasAlpha ? byteOf(p, 24) : 255);
            A += w;
            for (int k = 0; k < 3; ++k) C[k] += w * byteOf(p, 16 - 8 * k);
          }
        }
        if (A == 0) continue;
        s = {uint32_t(roundDiv(A, uint64_t(kBilinearOne) * kBilinearOne)),
             uint32_t(roundDiv(C[0], A)), uint32_t(roundDiv(C[1], A)), uint32_t(roundDiv(C[2], A))};
      }
      uint32_t& d = dst.pixels[size_t(i) * size_t(dst.stride) + size_t(j)];
      d = compose(d, s, blend, dst.hasAlpha);
    }
  }
  return true;
}

}  // namespace Slate::Pixel

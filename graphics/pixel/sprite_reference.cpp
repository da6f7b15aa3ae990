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

}  // namespace

bool drawSpritePixelsReference(const Surface& dst, const PixelRect& clip, int dstX, int dstY,
                               int dstW, int dstH, const ConstSurface& src, int srcX, int srcY,
                               int srcW, int srcH, const SpriteBlend& blend) {
  BlockSetup b;
  if (!prepareBlock(dst, clip, dstX, dstY, dstW, dstH, src, srcX, srcY, srcW, srcH, blend.flags,
                    &b))
    return false;
  const Axis &ax = b.ax, &ay = b.ay;
  for (int64_t y = b.y0; y < b.y1; ++y) {
    // Flipping mirrors the destination rectangle: its last row samples where the first would.
    const int64_t ky = columnOf(y, dstY, dstH, (blend.flags & kSpriteFlipY) != 0);
    int sy0 = 0, sy1 = 0;
    if (!axisRange(ay, ky, &sy0, &sy1)) continue;
    for (int64_t x = b.x0; x < b.x1; ++x) {
      const int64_t kx = columnOf(x, dstX, dstW, (blend.flags & kSpriteFlipX) != 0);
      int sx0 = 0, sx1 = 0;
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
  TurnSetup t;
  if (!prepareTurn(dst, clip, centerX, centerY, src, radians, scale, &t)) return false;
  const int W = src.width, H = src.height;
  const double cosS = t.cosS, sinS = t.sinS, X0 = t.X0, Y0 = t.Y0;
  const bool smooth = (blend.flags & kSpriteSmooth) != 0;
  for (int64_t i = t.y0; i < t.y1; ++i) {
    const double iSin = double(i) * sinS, iCos = double(i) * cosS;
    for (int64_t j = t.x0; j < t.x1; ++j) {
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

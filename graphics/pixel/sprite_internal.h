// Shared by the sprite kernel's files: argument checks, the mapping of destination columns
// and rows onto source pixels (the same for the reference and every path), and the blend
// arithmetic in the shift-and-add form the fast paths use.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "slate/pixel/sprite.h"

// The vector paths are x86-64 only; elsewhere they fall back to the scalar one.
#if defined(__x86_64__) || defined(_M_X64)
#define SLATE_SPRITE_HAVE_X86 1
#else
#define SLATE_SPRITE_HAVE_X86 0
#endif

namespace Slate::Pixel::Detail {

// Surfaces of more pixels than this (1 GiB) are refused: it keeps every weighted sum of the
// area filter (at most pixels * 255 * 255) well inside 64 bits.
constexpr int64_t kMaxSpriteSurfacePixels = int64_t(1) << 28;

// How one axis of the destination samples the source.
enum class AxisFilter { Nearest, Bilinear, Area };

// One axis of a drawSpritePixels call: the block [start, start + srcLen) of the source,
// drawn over dstLen destination pixels, of which only source pixels in [lo, hi) (the block
// cut to the source) may be read. Column k of the destination (counted from the
// destination rectangle's edge, after flipping) has its centre at source position
// start + (2k + 1) * srcLen / (2 * dstLen); it is drawn only when that centre is in [lo, hi).
struct Axis {
  int64_t start = 0, srcLen = 1, dstLen = 1;
  int lo = 0, hi = 1;
  AxisFilter filter = AxisFilter::Nearest;
};

// Bilinear weights are in 1/256ths of a pixel.
constexpr int kBilinearOne = 256;

namespace {

inline AxisFilter filterFor(int64_t srcLen, int64_t dstLen, bool smooth) {
  if (dstLen < srcLen) return AxisFilter::Area;
  return (smooth && dstLen > srcLen) ? AxisFilter::Bilinear : AxisFilter::Nearest;
}

inline int64_t floorDiv(int64_t n, int64_t d) {  // d > 0
  const int64_t q = n / d;
  return (n % d != 0 && n < 0) ? q - 1 : q;
}

inline int clampTo(int64_t v, int lo, int hi) {  // into [lo, hi - 1]
  return v < lo ? lo : (v >= hi ? hi - 1 : int(v));
}

// The source pixels that output k reads, [*first, *last], and whether it is drawn at all.
// Every intermediate product stays below 2^63 for sizes up to INT_MAX.
inline bool axisRange(const Axis& a, int64_t k, int* first, int* last) {
  const int64_t den = 2 * a.dstLen, centre = (2 * k + 1) * a.srcLen;  // relative, in 1/den
  if (centre < (a.lo - a.start) * den || centre >= (a.hi - a.start) * den) return false;
  switch (a.filter) {
    case AxisFilter::Nearest:
      *first = *last = int(a.start + centre / den);
      return true;
    case AxisFilter::Bilinear: {
      const int64_t i0 = floorDiv(centre - a.dstLen, den);
      *first = clampTo(a.start + i0, a.lo, a.hi);
      *last = clampTo(a.start + i0 + 1, a.lo, a.hi);
      return true;
    }
    case AxisFilter::Area: {
      // Output k covers [k * srcLen, (k + 1) * srcLen) in units of 1/dstLen source pixels.
      const int64_t i0 = k * a.srcLen / a.dstLen;
      const int64_t i1 = ((k + 1) * a.srcLen - 1) / a.dstLen;
      *first = clampTo(a.start + i0, a.lo, a.hi);
      *last = clampTo(a.start + i1, a.lo, a.hi);
      return true;
    }
  }
  return false;
}

// The weight of source pixel i (within axisRange's result) for output k.
inline int64_t axisWeight(const Axis& a, int64_t k, int i) {
  switch (a.filter) {
    case AxisFilter::Nearest:
      return 1;
    case AxisFilter::Bilinear: {
      // Taps clamped onto the same edge pixel add their weights.
      const int64_t den = 2 * a.dstLen, pos = (2 * k + 1) * a.srcLen - a.dstLen;
      const int64_t i0 = floorDiv(pos, den);
      const int64_t w1 = (pos - i0 * den) * kBilinearOne / den;
      int64_t w = 0;
      if (clampTo(a.start + i0, a.lo, a.hi) == i) w += kBilinearOne - w1;
      if (clampTo(a.start + i0 + 1, a.lo, a.hi) == i) w += w1;
      return w;
    }
    case AxisFilter::Area: {
      const int64_t rel = i - a.start;
      const int64_t b0 = k * a.srcLen, b1 = b0 + a.srcLen;
      const int64_t p0 = rel * a.dstLen, p1 = p0 + a.dstLen;
      const int64_t lo = b0 > p0 ? b0 : p0, hi = b1 < p1 ? b1 : p1;
      return hi > lo ? hi - lo : 0;
    }
  }
  return 0;
}

inline bool surfaceValid(const uint32_t* pixels, int width, int height, int stride) {
  return pixels && width > 0 && height > 0 && stride >= width &&
         int64_t(stride) * height <= kMaxSpriteSurfacePixels;
}

// round(x / 255) for 0 <= x <= 255 * 255, without a division.
inline uint32_t div255(uint32_t x) {
  const uint32_t t = x + 128;
  return (t + (t >> 8)) >> 8;
}

}  // namespace

// A drawSpritePixels call's checked arguments: the two axes and the destination pixels
// that may be drawn, [x0, x1) x [y0, y1) (clip, surface and destination rectangle).
struct BlockSetup {
  Axis ax, ay;
  int64_t x0, y0, x1, y1;
};

// A drawSpriteRotatedPixels call's checked arguments: the inverse mapping and the box of
// destination pixels that may be drawn.
struct TurnSetup {
  double cosS, sinS, X0, Y0;
  int64_t x0, y0, x1, y1;
};

namespace {

inline void clipToSurface(int width, int height, const PixelRect& clip, int64_t* x0, int64_t* y0,
                          int64_t* x1, int64_t* y1) {
  *x0 = clip.left > 0 ? clip.left : 0;
  *y0 = clip.top > 0 ? clip.top : 0;
  *x1 = clip.right < width ? clip.right : width;
  *y1 = clip.bottom < height ? clip.bottom : height;
}

inline bool prepareBlock(const Surface& dst, const PixelRect& clip, int dstX, int dstY, int dstW,
                         int dstH, const ConstSurface& src, int srcX, int srcY, int srcW, int srcH,
                         int flags, BlockSetup* b) {
  if (!surfaceValid(dst.pixels, dst.width, dst.height, dst.stride) ||
      !surfaceValid(src.pixels, src.width, src.height, src.stride))
    return false;
  if (dstW <= 0 || dstH <= 0 || srcW <= 0 || srcH <= 0) return false;
  const bool smooth = (flags & kSpriteSmooth) != 0;
  auto axis = [smooth](int start, int srcLen, int dstLen, int size) {
    Axis a;
    a.start = start;
    a.srcLen = srcLen;
    a.dstLen = dstLen;
    a.lo = start > 0 ? start : 0;
    const int64_t end = int64_t(start) + srcLen;
    a.hi = int(end < size ? end : size);
    a.filter = filterFor(srcLen, dstLen, smooth);
    return a;
  };
  b->ax = axis(srcX, srcW, dstW, src.width);
  b->ay = axis(srcY, srcH, dstH, src.height);
  if (b->ax.lo >= b->ax.hi || b->ay.lo >= b->ay.hi) return false;  // the block misses src
  clipToSurface(dst.width, dst.height, clip, &b->x0, &b->y0, &b->x1, &b->y1);
  if (b->x0 < dstX) b->x0 = dstX;
  if (b->y0 < dstY) b->y0 = dstY;
  if (b->x1 > int64_t(dstX) + dstW) b->x1 = int64_t(dstX) + dstW;
  if (b->y1 > int64_t(dstY) + dstH) b->y1 = int64_t(dstY) + dstH;
  return true;
}

// Column k of the destination rectangle for destination x, flips applied.
inline int64_t columnOf(int64_t x, int64_t dstX, int64_t dstW, bool flip) {
  return flip ? dstX + dstW - 1 - x : x - dstX;
}

inline bool prepareTurn(const Surface& dst, const PixelRect& clip, double centerX, double centerY,
                        const ConstSurface& src, double radians, double scale, TurnSetup* t) {
  if (!surfaceValid(dst.pixels, dst.width, dst.height, dst.stride) ||
      !surfaceValid(src.pixels, src.width, src.height, src.stride))
    return false;
  if (!std::isfinite(radians) || !std::isfinite(scale) || !(scale > 0) || !std::isfinite(centerX) ||
      !std::isfinite(centerY))
    return false;
  const int W = src.width, H = src.height;
  const double a = -radians;
  t->cosS = std::cos(a) / scale;
  t->sinS = std::sin(a) / scale;
  t->X0 = W * 0.5 - (t->cosS * centerX + t->sinS * centerY);
  t->Y0 = H * 0.5 + (t->sinS * centerX - t->cosS * centerY);
  // Only the square about the centre that holds the turned sprite can be touched; every
  // pixel in it still gets the exact test. Bounds are clamped in double before any
  // conversion to an integer.
  const double reach = 0.5 * std::sqrt(double(W) * W + double(H) * H) * scale + 2;
  clipToSurface(dst.width, dst.height, clip, &t->x0, &t->y0, &t->x1, &t->y1);
  const double bx0 = std::floor(centerX - reach), bx1 = std::ceil(centerX + reach) + 1;
  const double by0 = std::floor(centerY - reach), by1 = std::ceil(centerY + reach) + 1;
  if (bx0 > double(t->x0)) t->x0 = int64_t(std::fmin(bx0, double(t->x1)));
  if (bx1 < double(t->x1)) t->x1 = int64_t(std::fmax(bx1, double(t->x0)));
  if (by0 > double(t->y0)) t->y0 = int64_t(std::fmin(by0, double(t->y1)));
  if (by1 < double(t->y1)) t->y1 = int64_t(std::fmax(by1, double(t->y0)));
  return true;
}

}  // namespace

// Everything a blend needs besides the pixels, worked out once per call.
struct BlendParams {
  uint32_t opacity;  // 0-255
  uint32_t tint;     // 0x00RRGGBB
  bool add;          // additive instead of source-over
  bool srcAlpha;     // the source words' top bytes are alpha (else read as 255)
  bool dstAlpha;     // the destination's top bytes are alpha, to be composed
  bool plain;        // opacity 255 and a white tint: the source colours as they are
};

namespace {

// One source word onto one destination word, exactly as the reference defines it.
inline uint32_t blendPixel(uint32_t d, uint32_t s, const BlendParams& p) {
  const uint32_t sa = p.srcAlpha ? s >> 24 : 255u;
  const uint32_t a = p.plain ? sa : div255(sa * p.opacity);
  if (a == 0) return d;
  uint32_t c[3] = {(s >> 16) & 0xFF, (s >> 8) & 0xFF, s & 0xFF};
  if (!p.plain)
    for (int k = 0; k < 3; ++k) c[k] = div255(c[k] * ((p.tint >> (16 - 8 * k)) & 0xFF));
  uint32_t out = 0;
  if (p.add || !p.dstAlpha) {
    for (int k = 0; k < 3; ++k) {
      const uint32_t dc = (d >> (16 - 8 * k)) & 0xFF;
      uint32_t v;
      if (p.add) {
        v = dc + div255(c[k] * a);
        if (v > 255) v = 255;
      } else {
        v = div255(c[k] * a + dc * (255 - a));
      }
      out |= v << (16 - 8 * k);
    }
    return out | (d & 0xFF000000u);
  }
  // Source-over onto a target with alpha: the colours' mean weighted by each one's share of
  // the result's coverage.
  const uint32_t da = d >> 24;
  const uint32_t ws = a * 255, wd = da * (255 - a), den = ws + wd;
  for (int k = 0; k < 3; ++k) {
    const uint32_t dc = (d >> (16 - 8 * k)) & 0xFF;
    const uint64_t num = uint64_t(c[k]) * ws + uint64_t(dc) * wd;
    out |= uint32_t((2 * num + den) / (2 * uint64_t(den))) << (16 - 8 * k);
  }
  return out | (div255(den) << 24);
}

}  // namespace

// Blends `rows` rows of n source words onto n destination words, each next row `dstStride`
// and `srcStride` words on (the source's may be negative, for a flipped block). The vector
// paths take targets without alpha and additive blends; the scalar one takes anything.
using BlendRowFn = void (*)(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src,
                            ptrdiff_t srcStride, int n, int rows, const BlendParams& p);

// One destination row of filtered samples from its vertical sums. v4 holds, per source
// column of the row's span, the alpha sum and the three alpha-weighted colour sums (in that
// order) of the rows taken, each times its row weight; output k takes count[k] columns from
// base[k] with the weights wx[offset[k]...], over a total of totalX[k] * totalY. Everything
// is an integer below 2^53, so sums and products in doubles are exact; each result is
// rounded to nearest as the reference does (alpha over the total, colours over alpha).
struct FilterRow {
  const double* v4;
  const int* base;
  const int* count;
  const size_t* offset;
  const double* wx;
  const double* totalX;
  double totalY;
  int n;
};
using FilterRowFn = void (*)(const FilterRow& f, uint32_t* samples);
void filterRowScalar(const FilterRow& f, uint32_t* samples);
void filterRowAvx2(const FilterRow& f, uint32_t* samples);

void blendRowScalar(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride,
                    int n, int rows, const BlendParams& p);
void blendRowSse2(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride,
                  int n, int rows, const BlendParams& p);
void blendRowAvx2(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride,
                  int n, int rows, const BlendParams& p);
void blendRowAvx512(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride,
                    int n, int rows, const BlendParams& p);

}  // namespace Slate::Pixel::Detail

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

// Blends n source words onto n destination words (dst without alpha, or any additive
// blend, on the vector paths; anything on the scalar one).
using BlendRowFn = void (*)(uint32_t* dst, const uint32_t* src, int n, const BlendParams& p);

void blendRowScalar(uint32_t* dst, const uint32_t* src, int n, const BlendParams& p);
void blendRowSse2(uint32_t* dst, const uint32_t* src, int n, const BlendParams& p);
void blendRowAvx2(uint32_t* dst, const uint32_t* src, int n, const BlendParams& p);
void blendRowAvx512(uint32_t* dst, const uint32_t* src, int n, const BlendParams& p);

}  // namespace Slate::Pixel::Detail

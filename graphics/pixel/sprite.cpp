// Entry points of the sprite kernel: argument checks, the mapping of destination pixels onto
// the sprite worked out once per call, and the choice of code path. Sampling that needs more
// than one source pixel (bilinear, area) sums exactly (integers, held in doubles), a
// vertical pass here and a horizontal one on the chosen path; each finished row of samples
// is blended on the chosen path too.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "cpu_features.h"
#include "slate/pixel/sprite.h"
#include "sprite_internal.h"

namespace Slate::Pixel {

using namespace Detail;

namespace {

// Scratch rows up to this many pixels live on the stack; wider ones on the heap.
constexpr int kLocalPixels = 1024;

template <typename T>
struct Scratch {
  T local[kLocalPixels];
  std::vector<T> heap;
  T* get(int64_t n) {
    if (n <= kLocalPixels) return local;
    heap.resize(size_t(n));
    return heap.data();
  }
};

BlendRowFn rowFor(SpritePath path, const BlendParams& p) {
  // Source-over onto a target with alpha divides per channel: only the scalar path does it.
  if (p.dstAlpha && !p.add) return blendRowScalar;
  switch (path) {
    case SpritePath::Sse2:
      return blendRowSse2;
    case SpritePath::Avx2:
      return blendRowAvx2;
    case SpritePath::Avx512:
      return blendRowAvx512;
    case SpritePath::Scalar:
      break;
  }
  return blendRowScalar;
}

BlendParams paramsFor(const SpriteBlend& blend, bool srcAlpha, bool dstAlpha) {
  BlendParams p;
  p.opacity = uint32_t(std::clamp(blend.opacity, 0, 255));
  p.tint = blend.tint & 0x00FFFFFFu;
  p.add = (blend.flags & kSpriteAdd) != 0;
  p.srcAlpha = srcAlpha;
  p.dstAlpha = dstAlpha;
  p.plain = p.opacity == 255 && p.tint == 0x00FFFFFFu;
  return p;
}

// n / d rounded to nearest, floor((2n + d) / 2d), through a double division: exact while
// 2n + d is below 2^53 (the quotient cannot then round up to the next integer), which the
// turned sprite's sums (at most 2^16 * 255 * 255) keep.
inline uint32_t roundDivBy(uint64_t n, uint64_t d) {
  return uint32_t(int64_t(double(2 * n + d) / double(2 * d)));
}

// Positions [*d0, *d1) of [p0, p1) whose column is drawn on an unscaled axis, and the
// source index of position *d0 (the first when not flipped, the last when flipped).
void unscaledRange(const Axis& a, int64_t origin, int64_t p0, int64_t p1, bool flip, int64_t* d0,
                   int64_t* d1) {
  // Column k reads source start + k, drawn when it is in [lo, hi).
  int64_t k0 = a.lo - a.start, k1 = a.hi - a.start;
  int64_t q0, q1;
  if (!flip) {
    q0 = origin + k0;
    q1 = origin + k1;
  } else {
    q0 = origin + a.dstLen - k1;
    q1 = origin + a.dstLen - k0;
  }
  *d0 = std::max(p0, q0);
  *d1 = std::min(p1, q1);
}

// Positions of [p0, p1) that are drawn on any axis (a contiguous range, since the column's
// centre moves one way along it), found by testing each.
void scaledRange(const Axis& a, int64_t origin, int64_t p0, int64_t p1, bool flip, int64_t* d0,
                 int64_t* d1) {
  int first = 0, last = 0;
  *d0 = p1;
  *d1 = p0;
  for (int64_t q = p0; q < p1; ++q) {
    if (!axisRange(a, columnOf(q, origin, a.dstLen, flip), &first, &last)) continue;
    if (*d0 == p1) *d0 = q;
    *d1 = q + 1;
  }
}

void drawNearest(const BlockSetup& b, const Surface& dst, const ConstSurface& src, int dstX,
                 int dstY, bool flipX, bool flipY, BlendRowFn fn, const BlendParams& p) {
  const Axis &ax = b.ax, &ay = b.ay;
  const bool unscaledX = ax.srcLen == ax.dstLen, unscaledY = ay.srcLen == ay.dstLen;
  int64_t dx0, dx1;
  if (unscaledX)
    unscaledRange(ax, dstX, b.x0, b.x1, flipX, &dx0, &dx1);
  else
    scaledRange(ax, dstX, b.x0, b.x1, flipX, &dx0, &dx1);
  if (dx0 >= dx1) return;
  const int n = int(dx1 - dx0);
  // The source column of each drawn pixel, unless they simply run forwards.
  const bool contiguous = unscaledX && !flipX;
  Scratch<int> colStore;
  int* cols = nullptr;
  if (!contiguous) {
    cols = colStore.get(n);
    for (int k = 0; k < n; ++k) {
      int first = 0, last = 0;
      const int64_t col = columnOf(dx0 + k, dstX, ax.dstLen, flipX);
      if (unscaledX) {
        cols[k] = int(ax.start + col);
      } else {
        axisRange(ax, col, &first, &last);
        cols[k] = first;
      }
    }
  }
  if (contiguous && unscaledY) {
    // The plain case, a block of rows copied one to one: one call for all of them.
    int64_t dy0, dy1;
    unscaledRange(ay, dstY, b.y0, b.y1, flipY, &dy0, &dy1);
    if (dy0 >= dy1) return;
    const int64_t sy0 = ay.start + columnOf(dy0, dstY, ay.dstLen, flipY);
    const ptrdiff_t srcStep = flipY ? -ptrdiff_t(src.stride) : ptrdiff_t(src.stride);
    fn(dst.pixels + size_t(dy0) * size_t(dst.stride) + size_t(dx0), ptrdiff_t(dst.stride),
       src.pixels + size_t(sy0) * size_t(src.stride) + size_t(ax.start + (dx0 - dstX)), srcStep, n,
       int(dy1 - dy0), p);
    return;
  }
  Scratch<uint32_t> rowStore;
  uint32_t* gathered = contiguous ? nullptr : rowStore.get(n);
  int64_t gatheredRow = -1;
  for (int64_t y = b.y0; y < b.y1; ++y) {
    const int64_t ky = columnOf(y, dstY, ay.dstLen, flipY);
    int64_t sy;
    if (unscaledY) {
      sy = ay.start + ky;
      if (sy < ay.lo || sy >= ay.hi) continue;
    } else {
      int first = 0, last = 0;
      if (!axisRange(ay, ky, &first, &last)) continue;
      sy = first;
    }
    const uint32_t* srcRow = src.pixels + size_t(sy) * size_t(src.stride);
    uint32_t* dstRow = dst.pixels + size_t(y) * size_t(dst.stride) + size_t(dx0);
    if (contiguous) {
      fn(dstRow, 0, srcRow + (ax.start + (dx0 - dstX)), 0, n, 1, p);
      continue;
    }
    // Enlarged rows repeat: the gathered row serves every destination row that reads it.
    if (sy != gatheredRow) {
      for (int k = 0; k < n; ++k) gathered[k] = srcRow[cols[k]];
      gatheredRow = sy;
    }
    fn(dstRow, 0, gathered, 0, n, 1, p);
  }
}

// Bilinear or area on at least one axis: each row's samples from exact integer sums, a
// vertical pass over the source columns the row needs, then a horizontal one.
void drawFiltered(const BlockSetup& b, const Surface& dst, const ConstSurface& src, int dstX,
                  int dstY, bool flipX, bool flipY, FilterRowFn filter, BlendRowFn fn,
                  const BlendParams& p) {
  const Axis &ax = b.ax, &ay = b.ay;
  int64_t dx0, dx1;
  scaledRange(ax, dstX, b.x0, b.x1, flipX, &dx0, &dx1);
  if (dx0 >= dx1) return;
  const int n = int(dx1 - dx0);
  // Each drawn column's taps: its first source column, the number of them, its weights.
  const size_t columns = size_t(n);
  std::vector<int> first(columns), count(columns);
  std::vector<size_t> offset(columns);
  std::vector<double> wx, totalX(columns);
  int cmin = ax.hi, cmax = ax.lo;
  for (int k = 0; k < n; ++k) {
    const int64_t col = columnOf(dx0 + k, dstX, ax.dstLen, flipX);
    int f = 0, l = 0;
    axisRange(ax, col, &f, &l);
    first[size_t(k)] = f;
    count[size_t(k)] = l - f + 1;
    offset[size_t(k)] = wx.size();
    int64_t t = 0;
    for (int i = f; i <= l; ++i) {
      const int64_t w = axisWeight(ax, col, i);
      wx.push_back(double(w));
      t += w;
    }
    totalX[size_t(k)] = double(t);
    cmin = std::min(cmin, f);
    cmax = std::max(cmax, l);
  }
  // Per source column: the alpha sum and the alpha-weighted colour sums of the rows taken.
  // Integers below 2^53 throughout (at most 2^28 pixels * 255 * 255 * weights), so the sums
  // in doubles are exact.
  const size_t span = size_t(cmax - cmin + 1);
  std::vector<double> v4(4 * span);
  for (int k = 0; k < n; ++k) first[size_t(k)] -= cmin;  // from here on relative to the span
  std::vector<uint32_t> samples(columns);
  FilterRow row{v4.data(), first.data(), count.data(), offset.data(), wx.data(), totalX.data(), 0,
                n};
  for (int64_t y = b.y0; y < b.y1; ++y) {
    const int64_t ky = columnOf(y, dstY, ay.dstLen, flipY);
    int sy0 = 0, sy1 = 0;
    if (!axisRange(ay, ky, &sy0, &sy1)) continue;
    std::fill(v4.begin(), v4.end(), 0.0);
    int64_t totalY = 0;
    for (int j = sy0; j <= sy1; ++j) {
      const int64_t w = axisWeight(ay, ky, j);
      totalY += w;
      if (w == 0) continue;
      const double wd = double(w);
      const uint32_t* line = src.pixels + size_t(j) * size_t(src.stride) + cmin;
      double* v = v4.data();
      for (size_t i = 0; i < span; ++i, v += 4) {
        const uint32_t px = line[i];
        const double wa = wd * double(src.hasAlpha ? px >> 24 : 255u);
        v[0] += wa;
        v[1] += wa * double((px >> 16) & 0xFF);
        v[2] += wa * double((px >> 8) & 0xFF);
        v[3] += wa * double(px & 0xFF);
      }
    }
    row.totalY = double(totalY);
    filter(row, samples.data());
    fn(dst.pixels + size_t(y) * size_t(dst.stride) + size_t(dx0), 0, samples.data(), 0, n, 1, p);
  }
}

// Narrows [*lo, *hi] to the j for which base + j * step may lie in [minV, maxV].
void clipLinear(double base, double step, double minV, double maxV, double* lo, double* hi) {
  if (step == 0) {
    if (!(base >= minV && base <= maxV)) *hi = *lo - 1;  // empty
    return;
  }
  double a = (minV - base) / step, b = (maxV - base) / step;
  if (a > b) std::swap(a, b);
  if (a > *lo) *lo = a;
  if (b < *hi) *hi = b;
}

// The turned sprite, one destination row at a time: the row's span that can reach the
// sprite is worked out first (generously: every pixel in it still gets the exact test, so
// the span only saves work), sampled into a row of straight-alpha words, then blended.
void drawTurned(const TurnSetup& t, const Surface& dst, const ConstSurface& src, int flags,
                BlendRowFn fn, const BlendParams& p) {
  const int W = src.width, H = src.height;
  const bool smooth = (flags & kSpriteSmooth) != 0;
  const bool flipX = (flags & kSpriteFlipX) != 0, flipY = (flags & kSpriteFlipY) != 0;
  Scratch<uint32_t> rowStore;
  uint32_t* samples = rowStore.get(t.x1 - t.x0);
  constexpr uint64_t kTurnTotal = uint64_t(kBilinearOne) * kBilinearOne;
  const double reachJ = double(std::max(std::abs(t.x0), std::abs(t.x1)));
  for (int64_t i = t.y0; i < t.y1; ++i) {
    const double iSin = double(i) * t.sinS, iCos = double(i) * t.cosS;
    // The span's sums are added in another order than each pixel's, so the window is
    // widened by a bound on their rounding: far more than a pixel only at extreme scales,
    // where the box is a few pixels anyway.
    const double errX = 1e-14 * (std::fabs(iSin) + std::fabs(t.X0) + reachJ * std::fabs(t.cosS));
    const double errY = 1e-14 * (std::fabs(iCos) + std::fabs(t.Y0) + reachJ * std::fabs(t.sinS));
    double lo = double(t.x0), hi = double(t.x1);
    clipLinear(iSin + t.X0, t.cosS, -2.0 - errX, W + 1.0 + errX, &lo, &hi);
    clipLinear(iCos + t.Y0, -t.sinS, -2.0 - errY, H + 1.0 + errY, &lo, &hi);
    if (!(lo <= hi)) continue;
    lo = std::max(std::floor(lo) - 2, double(t.x0));
    hi = std::min(std::ceil(hi) + 3, double(t.x1));
    if (!(lo < hi)) continue;
    const int64_t j0 = int64_t(lo), j1 = int64_t(hi);
    for (int64_t j = j0; j < j1; ++j) {
      double sx = (iSin + double(j) * t.cosS) + t.X0;
      double sy = (iCos - double(j) * t.sinS) + t.Y0;
      if (flipX) sx = (W - 1) - sx;
      if (flipY) sy = (H - 1) - sy;
      uint32_t& out = samples[j - j0];
      out = 0;
      if (!smooth) {
        const double tx = sx + 0.5, ty = sy + 0.5;
        if (!(tx >= 0 && tx < W && ty >= 0 && ty < H)) continue;
        const uint32_t px = src.pixels[size_t(ty) * size_t(src.stride) + size_t(tx)];
        out = src.hasAlpha ? px : px | 0xFF000000u;
        continue;
      }
      if (!(sx >= -1.0 && sx < W && sy >= -1.0 && sy < H)) continue;
      const double flx = std::floor(sx), fly = std::floor(sy);
      const int ix = int(flx), iy = int(fly);
      const uint64_t wx1 = uint64_t((sx - flx) * kBilinearOne);
      const uint64_t wy1 = uint64_t((sy - fly) * kBilinearOne);
      const uint64_t wx[2] = {kBilinearOne - wx1, wx1}, wy[2] = {kBilinearOne - wy1, wy1};
      uint64_t A = 0, C[3] = {0, 0, 0};
      for (int v = 0; v < 2; ++v) {
        const int y = iy + v;
        if (y < 0 || y >= H) continue;
        const uint32_t* row = src.pixels + size_t(y) * size_t(src.stride);
        for (int u = 0; u < 2; ++u) {
          const int x = ix + u;
          if (x < 0 || x >= W) continue;
          const uint32_t px = row[x];
          const uint64_t w = wx[u] * wy[v] * (src.hasAlpha ? px >> 24 : 255u);
          A += w;
          C[0] += w * ((px >> 16) & 0xFF);
          C[1] += w * ((px >> 8) & 0xFF);
          C[2] += w * (px & 0xFF);
        }
      }
      if (A == 0) continue;  // all four neighbours transparent or off the sprite
      out = roundDivBy(A, kTurnTotal) << 24 | roundDivBy(C[0], A) << 16 | roundDivBy(C[1], A) << 8 |
            roundDivBy(C[2], A);
    }
    fn(dst.pixels + size_t(i) * size_t(dst.stride) + size_t(j0), 0, samples, 0, int(j1 - j0), 1, p);
  }
}

}  // namespace

bool spritePathSupported(SpritePath path) {
  const CpuFeatures& cpu = cpuFeatures();
  switch (path) {
    case SpritePath::Scalar:
      return true;
    case SpritePath::Sse2:
      return SLATE_SPRITE_HAVE_X86 && cpu.sse2;
    case SpritePath::Avx2:
      return SLATE_SPRITE_HAVE_X86 && cpu.avx2;
    case SpritePath::Avx512:
      return SLATE_SPRITE_HAVE_X86 && cpu.avx512;
  }
  return false;
}

SpritePath bestSpritePath() {
  static const SpritePath best = [] {
    for (SpritePath p : {SpritePath::Avx512, SpritePath::Avx2, SpritePath::Sse2})
      if (spritePathSupported(p)) return p;
    return SpritePath::Scalar;
  }();
  return best;
}

const char* spritePathName(SpritePath path) {
  switch (path) {
    case SpritePath::Scalar:
      return "scalar";
    case SpritePath::Sse2:
      return "sse2";
    case SpritePath::Avx2:
      return "avx2";
    case SpritePath::Avx512:
      return "avx512";
  }
  return "?";
}

bool drawSpritePixelsWith(SpritePath path, const Surface& dst, const PixelRect& clip, int dstX,
                          int dstY, int dstW, int dstH, const ConstSurface& src, int srcX, int srcY,
                          int srcW, int srcH, const SpriteBlend& blend) {
  if (!spritePathSupported(path)) return false;
  BlockSetup b;
  if (!prepareBlock(dst, clip, dstX, dstY, dstW, dstH, src, srcX, srcY, srcW, srcH, blend.flags,
                    &b))
    return false;
  if (b.x0 >= b.x1 || b.y0 >= b.y1 || blend.opacity <= 0) return true;
  const bool flipX = (blend.flags & kSpriteFlipX) != 0, flipY = (blend.flags & kSpriteFlipY) != 0;
  if (b.ax.filter == AxisFilter::Nearest && b.ay.filter == AxisFilter::Nearest) {
    const BlendParams p = paramsFor(blend, src.hasAlpha, dst.hasAlpha);
    drawNearest(b, dst, src, dstX, dstY, flipX, flipY, rowFor(path, p), p);
  } else {
    // Filtered samples carry their alpha, whether the sprite has any or not.
    const BlendParams p = paramsFor(blend, true, dst.hasAlpha);
    const FilterRowFn filter =
        (path == SpritePath::Avx2 || path == SpritePath::Avx512) ? filterRowAvx2 : filterRowScalar;
    drawFiltered(b, dst, src, dstX, dstY, flipX, flipY, filter, rowFor(path, p), p);
  }
  return true;
}

bool drawSpriteRotatedPixelsWith(SpritePath path, const Surface& dst, const PixelRect& clip,
                                 double centerX, double centerY, const ConstSurface& src,
                                 double radians, double scale, const SpriteBlend& blend) {
  if (!spritePathSupported(path)) return false;
  TurnSetup t;
  if (!prepareTurn(dst, clip, centerX, centerY, src, radians, scale, &t)) return false;
  if (t.x0 >= t.x1 || t.y0 >= t.y1 || blend.opacity <= 0) return true;
  const BlendParams p = paramsFor(blend, true, dst.hasAlpha);
  drawTurned(t, dst, src, blend.flags, rowFor(path, p), p);
  return true;
}

bool drawSpritePixels(const Surface& dst, const PixelRect& clip, int dstX, int dstY, int dstW,
                      int dstH, const ConstSurface& src, int srcX, int srcY, int srcW, int srcH,
                      const SpriteBlend& blend) {
  return drawSpritePixelsWith(bestSpritePath(), dst, clip, dstX, dstY, dstW, dstH, src, srcX, srcY,
                              srcW, srcH, blend);
}

bool drawSpriteRotatedPixels(const Surface& dst, const PixelRect& clip, double centerX,
                             double centerY, const ConstSurface& src, double radians, double scale,
                             const SpriteBlend& blend) {
  return drawSpriteRotatedPixelsWith(bestSpritePath(), dst, clip, centerX, centerY, src, radians,
                                     scale, blend);
}

}  // namespace Slate::Pixel

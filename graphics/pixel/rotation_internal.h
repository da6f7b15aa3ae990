// Shared by the rotation paths: the per-call set-up, the span of each destination row that
// can touch the source, and single-pixel sampling used for row ends by the vector paths.
// Every path must give the reference's words bit for bit, so the arithmetic here follows
// it operation for operation (and the kernel is built without floating-point contraction).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

// The vector paths are x86-64 only; elsewhere they fall back to the scalar one.
#if defined(__x86_64__) || defined(_M_X64)
#define SLATE_PIXEL_HAVE_X86 1
#include <emmintrin.h>
#else
#define SLATE_PIXEL_HAVE_X86 0
#endif

// Sanitizer builds check every vector gather against the source bounds, because the
// sanitizers cannot see inside a gather instruction.
#ifdef SLATE_PIXEL_CHECK_GATHERS
#include <cstdio>
#include <cstdlib>
#endif

namespace Slate::Pixel::Detail {

#ifdef SLATE_PIXEL_CHECK_GATHERS
namespace {
// Aborts unless every active lane's index (plus `extra` following words) is inside the source.
inline void checkGather(const int32_t* index, const bool* active, int lanes, int64_t extra,
                        int64_t sourceWords) {
  for (int k = 0; k < lanes; ++k) {
    if (active[k] && (index[k] < 0 || index[k] + extra >= sourceWords)) {
      std::fprintf(stderr, "rotation: gather lane %d index %d outside %lld words\n", k,
                   int(index[k]), (long long)sourceWords);
      std::abort();
    }
  }
}
}  // namespace
#endif

struct RotationSetup {
  const uint32_t* src;
  int W, H;
  uint32_t* dst;
  int nW, nH;
  double cosA, sinA;  // of -radians
  double X0, Y0;      // source position of destination pixel (0, 0)
  uint32_t fill;      // what the background fill leaves in a pixel
  uint32_t bg;        // background in pixel layout, for neighbours off the source
  bool highQuality;
};

// Rotates columns [j0, j1) of one destination row (its row products iSin, iCos given).
// Each path provides one; the shared driver decides which spans to hand it.
using SpanFn = void (*)(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0,
                        int j1);

void rotateSpanPortable(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0,
                        int j1);
void rotateSpanSse2(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0,
                    int j1);
void rotateSpanAvx2(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0,
                    int j1);
void rotateSpanAvx512(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0,
                      int j1);

// The helpers below are compiled into files built for different instruction sets. Internal
// linkage gives each file its own copy, so the linker can never hand a baseline caller a copy
// built with AVX instructions.
namespace {

// Narrows [*lo, *hi] to the j for which base + j*step may lie in [minV, maxV].
inline void clipLinear(double base, double step, double minV, double maxV, double* lo, double* hi) {
  if (step == 0) {
    if (!(base >= minV && base <= maxV)) *hi = -1;  // empty
    return;
  }
  double a = (minV - base) / step, b = (maxV - base) / step;
  if (a > b) {
    const double t = a;
    a = b;
    b = t;
  }
  if (a > *lo) *lo = a;
  if (b < *hi) *hi = b;
}

// Columns [*j0, *j1) of row i that might sample the source; the rest of the row is pure
// background. The bounds are generous (a pixel or two of slack in both source and
// destination space), so every pixel still gets the exact per-pixel test: this only saves
// work, it never decides a pixel.
inline void rowSpan(const RotationSetup& s, double iSin, double iCos, int* j0, int* j1) {
  *j0 = *j1 = 0;
  if (s.W == 0 || s.H == 0 || s.nW == 0) return;
  double lo = 0, hi = s.nW;
  clipLinear(iSin + s.X0, s.cosA, -2.0, s.W + 1.0, &lo, &hi);
  clipLinear(iCos + s.Y0, -s.sinA, -2.0, s.H + 1.0, &lo, &hi);
  if (!(lo <= hi)) return;
  // Clamp in double before converting, so no out-of-range conversion can happen.
  lo = std::floor(lo) - 2;
  hi = std::ceil(hi) + 3;
  if (lo < 0) lo = 0;
  if (hi > s.nW) hi = s.nW;
  if (!(lo < hi)) return;
  *j0 = int(lo);
  *j1 = int(hi);
}

// Columns [*k0, *k1) within [j0, j1) of row i whose pixels certainly have all four bilinear
// neighbours on the source (0 <= sx < W-1 and 0 <= sy < H-1), so the vector paths may skip
// every per-lane test there. The bounds are pulled in by a quarter pixel in source space and
// a column at each end, far more than the rounding of the coordinates can move them.
inline void interiorSpan(const RotationSetup& s, double iSin, double iCos, int j0, int j1, int* k0,
                         int* k1) {
  *k0 = *k1 = j0;
  if (s.W < 3 || s.H < 3 || j0 >= j1) return;
  double lo = j0, hi = j1 - 1;
  clipLinear(iSin + s.X0, s.cosA, 0.25, s.W - 1.25, &lo, &hi);
  clipLinear(iCos + s.Y0, -s.sinA, 0.25, s.H - 1.25, &lo, &hi);
  if (!(lo <= hi)) return;
  lo = std::ceil(lo) + 1;
  hi = std::floor(hi);  // last certain column, so the end is one past it
  if (!(lo <= hi)) return;
  *k0 = int(lo);
  *k1 = int(hi);
}

// Background runs are long (the corners of a rotated frame), so they are stored four words
// at a time where SSE2, part of every x86-64, is there.
inline void fillWords(uint32_t* out, int count, uint32_t value) {
  int k = 0;
#if SLATE_PIXEL_HAVE_X86
  const __m128i v = _mm_set1_epi32(int(value));
  for (; k + 4 <= count; k += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), v);
#endif
  for (; k < count; ++k) out[k] = value;
}

inline uint32_t sourceAt(const RotationSetup& s, int x, int y) {
  return s.src[size_t(y) * size_t(s.W) + size_t(x)];
}

// Nearest: trunc(s + 0.5) must land on the source, i.e. -1 < s + 0.5 < size.
inline uint32_t sampleNearest(const RotationSetup& s, double sx, double sy) {
  const double tx = sx + 0.5, ty = sy + 0.5;
  if (!(tx > -1.0 && tx < s.W && ty > -1.0 && ty < s.H)) return s.fill;
  return sourceAt(s, int(tx), int(ty));
}

// One channel's weighted sum, added in the reference's order.
inline uint32_t blendChannel(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, int shift,
                             double w00, double w10, double w01, double w11) {
  const double v = double((p00 >> shift) & 0xFF) * w00 + double((p10 >> shift) & 0xFF) * w10 +
                   double((p01 >> shift) & 0xFF) * w01 + double((p11 >> shift) & 0xFF) * w11;
  return (uint32_t(int(v)) & 0xFFu) << shift;
}

// Bilinear: floor(s) must lie in -1..size-1, i.e. -1 <= s < size; neighbours off the
// source take the background.
inline uint32_t sampleBilinear(const RotationSetup& s, double sx, double sy) {
  if (!(sx >= -1.0 && sx < s.W && sy >= -1.0 && sy < s.H)) return s.fill;
  const double flx = std::floor(sx), fly = std::floor(sy);
  const int ix = int(flx), iy = int(fly);
  const double fx = sx - flx, fy = sy - fly;
  const bool c0 = ix >= 0, c1 = ix + 1 < s.W, r0 = iy >= 0, r1 = iy + 1 < s.H;
  const uint32_t p00 = (c0 && r0) ? sourceAt(s, ix, iy) : s.bg;
  const uint32_t p10 = (c1 && r0) ? sourceAt(s, ix + 1, iy) : s.bg;
  const uint32_t p01 = (c0 && r1) ? sourceAt(s, ix, iy + 1) : s.bg;
  const uint32_t p11 = (c1 && r1) ? sourceAt(s, ix + 1, iy + 1) : s.bg;
  const double w00 = (1 - fy) * (1 - fx), w10 = (1 - fy) * fx;
  const double w01 = fy * (1 - fx), w11 = fy * fx;
  return blendChannel(p00, p10, p01, p11, 16, w00, w10, w01, w11) |
         blendChannel(p00, p10, p01, p11, 8, w00, w10, w01, w11) |
         blendChannel(p00, p10, p01, p11, 0, w00, w10, w01, w11);
}

// Columns [j0, j1) of row i one pixel at a time; the vector paths use it for row ends.
inline void rotateSpanScalar(const RotationSetup& setup, double iSin, double iCos, uint32_t* row,
                             int j0, int j1) {
  // A local copy: the compiler can then keep it in registers instead of reloading it after
  // every store to the row, which it would otherwise have to assume might change it.
  const RotationSetup s = setup;
  for (int j = j0; j < j1; ++j) {
    const double sx = (iSin + j * s.cosA) + s.X0;
    const double sy = (iCos - j * s.sinA) + s.Y0;
    row[j] = s.highQuality ? sampleBilinear(s, sx, sy) : sampleNearest(s, sx, sy);
  }
}

}  // namespace

}  // namespace Slate::Pixel::Detail

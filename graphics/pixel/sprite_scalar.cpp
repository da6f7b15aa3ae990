// The portable path: the blend one pixel at a time. Also what every path uses for targets
// with alpha, whose source-over needs a division per channel.
#include "sprite_internal.h"

namespace Slate::Pixel::Detail {

void blendRowScalar(uint32_t* dstRows, ptrdiff_t dstStride, const uint32_t* srcRows,
                    ptrdiff_t srcStride, int n, int rows, const BlendParams& p) {
  const BlendParams q = p;  // a local copy stays in registers across the stores
  for (int r = 0; r < rows; ++r) {
    uint32_t* dst = dstRows + r * dstStride;
    const uint32_t* src = srcRows + r * srcStride;
    for (int k = 0; k < n; ++k) dst[k] = blendPixel(dst[k], src[k], q);
  }
}

namespace {

// floor((2n + d) / 2d): n / d rounded to nearest. The double division is exact here: with
// 2n + d below 2^53 the quotient cannot round up to the next integer.
inline uint32_t roundDivD(double n, double d) {
  return uint32_t(int64_t((2 * n + d) / (2 * d)));
}

}  // namespace

void filterRowScalar(const FilterRow& f, uint32_t* samples) {
  for (int k = 0; k < f.n; ++k) {
    double A = 0, C[3] = {0, 0, 0};
    const double* w = f.wx + f.offset[k];
    for (int t = 0; t < f.count[k]; ++t) {
      const double* v = f.v4 + 4 * size_t(f.base[k] + t);
      A += w[t] * v[0];
      for (int c = 0; c < 3; ++c) C[c] += w[t] * v[1 + c];
    }
    if (A == 0) {
      samples[k] = 0;  // transparent: leaves the target as it is
      continue;
    }
    samples[k] = roundDivD(A, f.totalX[k] * f.totalY) << 24 | roundDivD(C[0], A) << 16 |
                 roundDivD(C[1], A) << 8 | roundDivD(C[2], A);
  }
}

}  // namespace Slate::Pixel::Detail

// The AVX2 path: the SSE2 path's arithmetic on eight pixels per step. The unpacks and the
// pack work within each 128-bit half, so they undo each other and pixels stay in order.
#include "sprite_internal.h"

#if SLATE_SPRITE_HAVE_X86
#include <immintrin.h>

namespace Slate::Pixel::Detail {

namespace {

inline __m256i div255(__m256i x) {
  return _mm256_mulhi_epu16(_mm256_add_epi16(x, _mm256_set1_epi16(128)), _mm256_set1_epi16(257));
}

// Alpha of the pixels in the low (high) half of each 128-bit lane, spread as the SSE2 path
// spreads it, in one byte shuffle of the packed source.
inline __m256i alphaOf(__m256i s, __m256i pick) {
  return _mm256_shuffle_epi8(s, pick);
}

inline __m256i blendHalf(__m256i s, __m256i d, __m256i a, const BlendParams& p, __m256i opacity,
                         __m256i tint) {
  if (!p.plain) {
    a = div255(_mm256_mullo_epi16(a, opacity));
    s = div255(_mm256_mullo_epi16(s, tint));
  }
  if (p.add) return _mm256_adds_epu16(d, div255(_mm256_mullo_epi16(s, a)));
  const __m256i inv = _mm256_sub_epi16(_mm256_set1_epi16(255), a);
  return div255(_mm256_add_epi16(_mm256_mullo_epi16(s, a), _mm256_mullo_epi16(d, inv)));
}

}  // namespace

void blendRowAvx2(uint32_t* dstRows, ptrdiff_t dstStride, const uint32_t* srcRows,
                  ptrdiff_t srcStride, int n, int rows, const BlendParams& p) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i alphaMask = _mm256_set1_epi32(int(0xFF000000u));
  const __m256i colourMask = _mm256_set1_epi32(0x00FFFFFF);
  const __m256i opacity = _mm256_set1_epi16(short(p.opacity));
  const __m256i tint = _mm256_unpacklo_epi8(_mm256_set1_epi32(int(p.tint | 0xFF000000u)), zero);
  // Byte shuffles: alpha (byte 3 of a pixel) into the low byte of its colour lanes, zero
  // (index 0x80) elsewhere; for pixels 0-1 and 2-3 of each 128-bit lane.
  const __m256i pickLo = _mm256_broadcastsi128_si256(
      _mm_setr_epi8(3, -128, 3, -128, 3, -128, -128, -128, 7, -128, 7, -128, 7, -128, -128, -128));
  const __m256i pickHi = _mm256_broadcastsi128_si256(_mm_setr_epi8(
      11, -128, 11, -128, 11, -128, -128, -128, 15, -128, 15, -128, 15, -128, -128, -128));
  for (int r = 0; r < rows; ++r) {
    // Rows by index: a flipped block's source pointer never steps before its first row.
    uint32_t* dst = dstRows + r * dstStride;
    const uint32_t* src = srcRows + r * srcStride;
    int k = 0;
    for (; k + 8 <= n; k += 8) {
      __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + k));
      if (!p.srcAlpha) s = _mm256_or_si256(s, alphaMask);
      const __m256i sa = _mm256_and_si256(s, alphaMask);
      if (_mm256_testz_si256(sa, sa)) continue;  // all transparent
      const __m256i d = _mm256_loadu_si256(reinterpret_cast<__m256i*>(dst + k));
      __m256i out;
      if (p.plain && !p.add && _mm256_movemask_epi8(_mm256_cmpeq_epi32(sa, alphaMask)) == -1) {
        out = _mm256_or_si256(_mm256_and_si256(s, colourMask), _mm256_and_si256(d, alphaMask));
      } else {
        const __m256i lo = blendHalf(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(d, zero),
                                     alphaOf(s, pickLo), p, opacity, tint);
        const __m256i hi = blendHalf(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(d, zero),
                                     alphaOf(s, pickHi), p, opacity, tint);
        out = _mm256_packus_epi16(lo, hi);
      }
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + k), out);
    }
    // The last few pixels go through the SSE2 path (part of every x86-64), then scalar.
    if (k < n) blendRowSse2(dst + k, 0, src + k, 0, n - k, 1, p);
  }
}

// Filtered samples with one pixel's four sums (alpha and three colours) in the four lanes:
// one multiply-add a tap and one division for all four results.
void filterRowAvx2(const FilterRow& f, uint32_t* samples) {
  // Output bytes: blue (lane 3), green, red, alpha (lane 0) from the four 32-bit quotients.
  const __m128i order = _mm_setr_epi8(12, 8, 4, 0, -128, -128, -128, -128, -128, -128, -128, -128,
                                      -128, -128, -128, -128);
  for (int k = 0; k < f.n; ++k) {
    __m256d h = _mm256_setzero_pd();
    const double* w = f.wx + f.offset[k];
    const double* v = f.v4 + 4 * size_t(f.base[k]);
    for (int t = 0; t < f.count[k]; ++t)
      h = _mm256_add_pd(h, _mm256_mul_pd(_mm256_set1_pd(w[t]), _mm256_loadu_pd(v + 4 * t)));
    if (_mm256_cvtsd_f64(h) == 0) {
      samples[k] = 0;
      continue;
    }
    // Divisors: the total for alpha, the alpha sum for the colours.
    const __m256d d =
        _mm256_blend_pd(_mm256_permute4x64_pd(h, 0), _mm256_set1_pd(f.totalX[k] * f.totalY), 1);
    const __m256d q = _mm256_div_pd(_mm256_add_pd(_mm256_add_pd(h, h), d), _mm256_add_pd(d, d));
    samples[k] = uint32_t(_mm_cvtsi128_si32(_mm_shuffle_epi8(_mm256_cvttpd_epi32(q), order)));
  }
}

}  // namespace Slate::Pixel::Detail

#else
namespace Slate::Pixel::Detail {
void filterRowAvx2(const FilterRow& f, uint32_t* samples) {
  filterRowScalar(f, samples);
}
void blendRowAvx2(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride,
                  int n, int rows, const BlendParams& p) {
  blendRowScalar(dst, dstStride, src, srcStride, n, rows, p);
}
}  // namespace Slate::Pixel::Detail
#endif

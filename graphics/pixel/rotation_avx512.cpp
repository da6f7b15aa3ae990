// AVX-512 path: eight pixels per step in double lanes, with mask registers for the
// per-lane tests. Built with AVX-512 F/VL/DQ/BW enabled and only called after the run-time
// CPU check.
#include "rotation_internal.h"

#include <cstring>

#if SLATE_PIXEL_HAVE_X86
// GCC 12 warns about the deliberately undefined registers inside its own AVX-512 header.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#else
#include <immintrin.h>
#endif

namespace Slate::Pixel::Detail {

namespace {

#ifdef SLATE_PIXEL_CHECK_GATHERS
inline void checkLanes(__m256i index, __mmask8 mask, int64_t extra, const RotationSetup& s) {
  alignas(32) int32_t idx[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(idx), index);
  bool active[8];
  for (int k = 0; k < 8; ++k) active[k] = (mask >> k) & 1;
  checkGather(idx, active, 8, extra, int64_t(s.W) * s.H);
}
#define SLATE_CHECK_LANES(index, mask, extra) checkLanes(index, mask, extra, s)
#else
#define SLATE_CHECK_LANES(index, mask, extra) ((void)0)
#endif

// The two words at each of eight source indices, as eight 64-bit lanes. Plain loads: on
// the processors measured they beat a gather instruction by a wide margin.
inline __m512i loadPairs(const uint32_t* src, __m256i index) {
  alignas(32) int32_t k[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(k), index);
  long long v[8];
  for (int n = 0; n < 8; ++n) std::memcpy(&v[n], src + k[n], sizeof v[n]);
  const __m256i lo = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_set_epi64x(v[1], v[0])),
                                             _mm_set_epi64x(v[3], v[2]), 1);
  const __m256i hi = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_set_epi64x(v[5], v[4])),
                                             _mm_set_epi64x(v[7], v[6]), 1);
  return _mm512_inserti64x4(_mm512_castsi256_si512(lo), hi, 1);
}

// Channel `shift` of sixteen words as two sets of eight doubles (lanes 0-7, 8-15).
inline void channelPd(__m512i words, int shift, __m512d* low, __m512d* high) {
  const __m512i c =
      _mm512_and_si512(_mm512_srl_epi32(words, _mm_cvtsi32_si128(shift)), _mm512_set1_epi32(0xFF));
  *low = _mm512_cvtepi32_pd(_mm512_castsi512_si256(c));
  *high = _mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(c, 1));
}

void bilinearRow(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0, int j1) {
  const void* src = s.src;
  const __m512d cosV = _mm512_set1_pd(s.cosA), sinV = _mm512_set1_pd(s.sinA);
  const __m512d iSinV = _mm512_set1_pd(iSin), iCosV = _mm512_set1_pd(iCos);
  const __m512d x0V = _mm512_set1_pd(s.X0), y0V = _mm512_set1_pd(s.Y0);
  const __m512d minV = _mm512_set1_pd(-1.0), zero = _mm512_setzero_pd();
  const __m512d wV = _mm512_set1_pd(s.W), hV = _mm512_set1_pd(s.H);
  const __m512d wLast = _mm512_set1_pd(s.W - 2.0), hLast = _mm512_set1_pd(s.H - 2.0);
  const __m512d one = _mm512_set1_pd(1.0), eight = _mm512_set1_pd(8.0);
  const __m256i widthV = _mm256_set1_epi32(s.W), oneI = _mm256_set1_epi32(1);
  const __m256i fill = _mm256_set1_epi32(int(s.fill)), bg = _mm256_set1_epi32(int(s.bg));
  // Gathered pairs come as p00,p10 per pixel; this puts the eight p00 first.
  const __m512i deinterleave =
      _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 1, 3, 5, 7, 9, 11, 13, 15);

  __m512d jd = _mm512_setr_pd(j0, j0 + 1, j0 + 2, j0 + 3, j0 + 4, j0 + 5, j0 + 6, j0 + 7);
  int j = j0;
  for (; j + 8 <= j1; j += 8, jd = _mm512_add_pd(jd, eight)) {
    const __m512d sx = _mm512_add_pd(_mm512_add_pd(iSinV, _mm512_mul_pd(jd, cosV)), x0V);
    const __m512d sy = _mm512_add_pd(_mm512_sub_pd(iCosV, _mm512_mul_pd(jd, sinV)), y0V);
    __mmask8 inside = _mm512_cmp_pd_mask(sx, minV, _CMP_GE_OQ);
    inside = _mm512_mask_cmp_pd_mask(inside, sx, wV, _CMP_LT_OQ);
    inside = _mm512_mask_cmp_pd_mask(inside, sy, minV, _CMP_GE_OQ);
    inside = _mm512_mask_cmp_pd_mask(inside, sy, hV, _CMP_LT_OQ);
    if (inside == 0) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + j), fill);
      continue;
    }
    const __m512d flx = _mm512_roundscale_pd(sx, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
    const __m512d fly = _mm512_roundscale_pd(sy, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
    const __m512d fx = _mm512_sub_pd(sx, flx), fy = _mm512_sub_pd(sy, fly);
    const __m512d gx = _mm512_sub_pd(one, fx), gy = _mm512_sub_pd(one, fy);
    const __m512d w00 = _mm512_mul_pd(gy, gx), w10 = _mm512_mul_pd(gy, fx);
    const __m512d w01 = _mm512_mul_pd(fy, gx), w11 = _mm512_mul_pd(fy, fx);

    // Lanes outside the source convert to junk; they are masked off from here on.
    const __m256i ix = _mm512_cvttpd_epi32(flx), iy = _mm512_cvttpd_epi32(fly);
    const __m256i idx = _mm256_add_epi32(_mm256_mullo_epi32(iy, widthV), ix);
    const __mmask8 c0 = _mm512_mask_cmp_pd_mask(inside, flx, zero, _CMP_GE_OQ);
    const __mmask8 c1 = _mm512_mask_cmp_pd_mask(inside, flx, wLast, _CMP_LE_OQ);
    const __mmask8 r0 = _mm512_mask_cmp_pd_mask(inside, fly, zero, _CMP_GE_OQ);
    const __mmask8 r1 = _mm512_mask_cmp_pd_mask(inside, fly, hLast, _CMP_LE_OQ);
    __m512i top, bot;  // p00 x8 | p10 x8, and p01 x8 | p11 x8
    const __m256i below = _mm256_add_epi32(idx, widthV);
    if ((c0 & c1 & r0 & r1) == 0xFF) {
      // All four neighbours of every pixel are on the source: two words per load.
      SLATE_CHECK_LANES(idx, 0xFF, 1);
      SLATE_CHECK_LANES(below, 0xFF, 1);
      top = _mm512_permutexvar_epi32(deinterleave, loadPairs(s.src, idx));
      bot = _mm512_permutexvar_epi32(deinterleave, loadPairs(s.src, below));
    } else {
      const __m256i i10 = _mm256_add_epi32(idx, oneI), i11 = _mm256_add_epi32(below, oneI);
      const __mmask8 m00 = r0 & c0, m10 = r0 & c1, m01 = r1 & c0, m11 = r1 & c1;
      SLATE_CHECK_LANES(idx, m00, 0);
      SLATE_CHECK_LANES(i10, m10, 0);
      SLATE_CHECK_LANES(below, m01, 0);
      SLATE_CHECK_LANES(i11, m11, 0);
      const __m256i p00 = _mm256_mmask_i32gather_epi32(bg, m00, idx, src, 4);
      const __m256i p10 = _mm256_mmask_i32gather_epi32(bg, m10, i10, src, 4);
      const __m256i p01 = _mm256_mmask_i32gather_epi32(bg, m01, below, src, 4);
      const __m256i p11 = _mm256_mmask_i32gather_epi32(bg, m11, i11, src, 4);
      top = _mm512_inserti64x4(_mm512_castsi256_si512(p00), p10, 1);
      bot = _mm512_inserti64x4(_mm512_castsi256_si512(p01), p11, 1);
    }

    __m256i word = _mm256_setzero_si256();
    for (int shift = 16; shift >= 0; shift -= 8) {
      __m512d a00, a10, a01, a11;
      channelPd(top, shift, &a00, &a10);
      channelPd(bot, shift, &a01, &a11);
      const __m512d v = _mm512_add_pd(
          _mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(a00, w00), _mm512_mul_pd(a10, w10)),
                        _mm512_mul_pd(a01, w01)),
          _mm512_mul_pd(a11, w11));
      const __m256i c = _mm256_and_si256(_mm512_cvttpd_epi32(v), _mm256_set1_epi32(0xFF));
      word = _mm256_or_si256(word, _mm256_sll_epi32(c, _mm_cvtsi32_si128(shift)));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + j),
                        _mm256_mask_blend_epi32(inside, fill, word));
  }
  rotateSpanScalar(s, iSin, iCos, row, j, j1);
}

void nearestRow(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0, int j1) {
  const void* src = s.src;
  const __m512d cosV = _mm512_set1_pd(s.cosA), sinV = _mm512_set1_pd(s.sinA);
  const __m512d iSinV = _mm512_set1_pd(iSin), iCosV = _mm512_set1_pd(iCos);
  const __m512d x0V = _mm512_set1_pd(s.X0), y0V = _mm512_set1_pd(s.Y0);
  const __m512d half = _mm512_set1_pd(0.5), minV = _mm512_set1_pd(-1.0);
  const __m512d wV = _mm512_set1_pd(s.W), hV = _mm512_set1_pd(s.H);
  const __m512d eight = _mm512_set1_pd(8.0);
  const __m256i widthV = _mm256_set1_epi32(s.W), fill = _mm256_set1_epi32(int(s.fill));

  __m512d jd = _mm512_setr_pd(j0, j0 + 1, j0 + 2, j0 + 3, j0 + 4, j0 + 5, j0 + 6, j0 + 7);
  int j = j0;
  for (; j + 8 <= j1; j += 8, jd = _mm512_add_pd(jd, eight)) {
    const __m512d sx = _mm512_add_pd(_mm512_add_pd(iSinV, _mm512_mul_pd(jd, cosV)), x0V);
    const __m512d sy = _mm512_add_pd(_mm512_sub_pd(iCosV, _mm512_mul_pd(jd, sinV)), y0V);
    const __m512d tx = _mm512_add_pd(sx, half), ty = _mm512_add_pd(sy, half);
    __mmask8 inside = _mm512_cmp_pd_mask(tx, minV, _CMP_GT_OQ);
    inside = _mm512_mask_cmp_pd_mask(inside, tx, wV, _CMP_LT_OQ);
    inside = _mm512_mask_cmp_pd_mask(inside, ty, minV, _CMP_GT_OQ);
    inside = _mm512_mask_cmp_pd_mask(inside, ty, hV, _CMP_LT_OQ);
    const __m256i idx = _mm256_add_epi32(_mm256_mullo_epi32(_mm512_cvttpd_epi32(ty), widthV),
                                         _mm512_cvttpd_epi32(tx));
    SLATE_CHECK_LANES(idx, inside, 0);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + j),
                        _mm256_mmask_i32gather_epi32(fill, inside, idx, src, 4));
  }
  rotateSpanScalar(s, iSin, iCos, row, j, j1);
}

}  // namespace

void rotateSpanAvx512(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0,
                      int j1) {
  if (s.highQuality)
    bilinearRow(s, iSin, iCos, row, j0, j1);
  else
    nearestRow(s, iSin, iCos, row, j0, j1);
}

}  // namespace Slate::Pixel::Detail

#else
namespace Slate::Pixel::Detail {
void rotateSpanAvx512(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0,
                      int j1) {
  rotateSpanScalar(s, iSin, iCos, row, j0, j1);
}
}  // namespace Slate::Pixel::Detail
#endif

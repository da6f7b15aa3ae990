// AVX2 path: four pixels per step in double lanes, source words fetched with gathers.
// Built with -mavx2 (or /arch:AVX2) and only called after the run-time CPU check.
#include "rotation_internal.h"

#include <cstring>

#if SLATE_PIXEL_HAVE_X86
#include <immintrin.h>

namespace Slate::Pixel::Detail {

namespace {

// 64-bit lane masks of four pixels to four 32-bit lanes.
inline __m128i narrowMask(__m256d m) {
  const __m128 lo = _mm_castpd_ps(_mm256_castpd256_pd128(m));
  const __m128 hi = _mm_castpd_ps(_mm256_extractf128_pd(m, 1));
  return _mm_castps_si128(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0)));
}

#ifdef SLATE_PIXEL_CHECK_GATHERS
inline void checkLanes(__m128i index, __m128i mask, int64_t extra, const RotationSetup& s) {
  alignas(16) int32_t idx[4], m[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(idx), index);
  _mm_store_si128(reinterpret_cast<__m128i*>(m), mask);
  const bool active[4] = {m[0] < 0, m[1] < 0, m[2] < 0, m[3] < 0};
  checkGather(idx, active, 4, extra, int64_t(s.W) * s.H);
}
#define SLATE_CHECK_LANES(index, mask, extra) checkLanes(index, mask, extra, s)
#else
#define SLATE_CHECK_LANES(index, mask, extra) ((void)0)
#endif

// The two words at each of four source indices, as four 64-bit lanes. Plain loads: on
// the processors measured they beat a gather instruction by a wide margin.
inline __m256i loadPairs(const uint32_t* src, __m128i index) {
  alignas(16) int32_t k[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(k), index);
  long long v[4];
  for (int n = 0; n < 4; ++n) std::memcpy(&v[n], src + k[n], sizeof v[n]);
  return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_set_epi64x(v[1], v[0])),
                                 _mm_set_epi64x(v[3], v[2]), 1);
}

// Channel `shift` of the eight words as two sets of four doubles (lanes 0-3, 4-7).
inline void channelPd(__m256i words, int shift, __m256d* low, __m256d* high) {
  const __m256i c =
      _mm256_and_si256(_mm256_srl_epi32(words, _mm_cvtsi32_si128(shift)), _mm256_set1_epi32(0xFF));
  *low = _mm256_cvtepi32_pd(_mm256_castsi256_si128(c));
  *high = _mm256_cvtepi32_pd(_mm256_extracti128_si256(c, 1));
}

void bilinearRow(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0, int j1) {
  const int* src = reinterpret_cast<const int*>(s.src);
  const __m256d cosV = _mm256_set1_pd(s.cosA), sinV = _mm256_set1_pd(s.sinA);
  const __m256d iSinV = _mm256_set1_pd(iSin), iCosV = _mm256_set1_pd(iCos);
  const __m256d x0V = _mm256_set1_pd(s.X0), y0V = _mm256_set1_pd(s.Y0);
  const __m256d minV = _mm256_set1_pd(-1.0), zero = _mm256_setzero_pd();
  const __m256d wV = _mm256_set1_pd(s.W), hV = _mm256_set1_pd(s.H);
  const __m256d wLast = _mm256_set1_pd(s.W - 2.0), hLast = _mm256_set1_pd(s.H - 2.0);
  const __m256d one = _mm256_set1_pd(1.0), four = _mm256_set1_pd(4.0);
  const __m128i widthV = _mm_set1_epi32(s.W), minus1 = _mm_set1_epi32(-1);
  const __m128i wMinus1 = _mm_set1_epi32(s.W - 1), hMinus1 = _mm_set1_epi32(s.H - 1);
  const __m128i fill = _mm_set1_epi32(int(s.fill)), bg = _mm_set1_epi32(int(s.bg));
  // Gathered pairs come as p00,p10 per pixel; this puts the four p00 first.
  const __m256i deinterleave = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);

  __m256d jd = _mm256_setr_pd(j0, j0 + 1, j0 + 2, j0 + 3);
  int j = j0;
  for (; j + 4 <= j1; j += 4, jd = _mm256_add_pd(jd, four)) {
    const __m256d sx = _mm256_add_pd(_mm256_add_pd(iSinV, _mm256_mul_pd(jd, cosV)), x0V);
    const __m256d sy = _mm256_add_pd(_mm256_sub_pd(iCosV, _mm256_mul_pd(jd, sinV)), y0V);
    const __m256d inside = _mm256_and_pd(
        _mm256_and_pd(_mm256_cmp_pd(sx, minV, _CMP_GE_OQ), _mm256_cmp_pd(sx, wV, _CMP_LT_OQ)),
        _mm256_and_pd(_mm256_cmp_pd(sy, minV, _CMP_GE_OQ), _mm256_cmp_pd(sy, hV, _CMP_LT_OQ)));
    const int lanes = _mm256_movemask_pd(inside);
    if (lanes == 0) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row + j), fill);
      continue;
    }
    const __m256d flx = _mm256_floor_pd(sx), fly = _mm256_floor_pd(sy);
    const __m256d fx = _mm256_sub_pd(sx, flx), fy = _mm256_sub_pd(sy, fly);
    const __m256d gx = _mm256_sub_pd(one, fx), gy = _mm256_sub_pd(one, fy);
    const __m256d w00 = _mm256_mul_pd(gy, gx), w10 = _mm256_mul_pd(gy, fx);
    const __m256d w01 = _mm256_mul_pd(fy, gx), w11 = _mm256_mul_pd(fy, fx);

    // Lanes outside the source convert to junk; they are masked off from here on.
    const __m128i ix = _mm256_cvttpd_epi32(flx), iy = _mm256_cvttpd_epi32(fly);
    const __m128i idx = _mm_add_epi32(_mm_mullo_epi32(iy, widthV), ix);
    const __m256d interior = _mm256_and_pd(
        _mm256_and_pd(inside, _mm256_and_pd(_mm256_cmp_pd(flx, zero, _CMP_GE_OQ),
                                            _mm256_cmp_pd(flx, wLast, _CMP_LE_OQ))),
        _mm256_and_pd(_mm256_cmp_pd(fly, zero, _CMP_GE_OQ), _mm256_cmp_pd(fly, hLast, _CMP_LE_OQ)));
    __m256i top, bot;  // p00 x4 | p10 x4, and p01 x4 | p11 x4
    if (_mm256_movemask_pd(interior) == 0xF) {
      // All four neighbours of every pixel are on the source: two words per load.
      const __m128i below = _mm_add_epi32(idx, widthV);
      SLATE_CHECK_LANES(idx, minus1, 1);
      SLATE_CHECK_LANES(below, minus1, 1);
      top = _mm256_permutevar8x32_epi32(loadPairs(s.src, idx), deinterleave);
      bot = _mm256_permutevar8x32_epi32(loadPairs(s.src, below), deinterleave);
    } else {
      const __m128i in = narrowMask(inside);
      const __m128i c0 = _mm_cmpgt_epi32(ix, minus1), c1 = _mm_cmpgt_epi32(wMinus1, ix);
      const __m128i r0 = _mm_and_si128(in, _mm_cmpgt_epi32(iy, minus1));
      const __m128i r1 = _mm_and_si128(in, _mm_cmpgt_epi32(hMinus1, iy));
      const __m128i m00 = _mm_and_si128(r0, c0), m10 = _mm_and_si128(r0, c1);
      const __m128i m01 = _mm_and_si128(r1, c0), m11 = _mm_and_si128(r1, c1);
      const __m128i i10 = _mm_add_epi32(idx, _mm_set1_epi32(1));
      const __m128i i01 = _mm_add_epi32(idx, widthV), i11 = _mm_add_epi32(i10, widthV);
      SLATE_CHECK_LANES(idx, m00, 0);
      SLATE_CHECK_LANES(i10, m10, 0);
      SLATE_CHECK_LANES(i01, m01, 0);
      SLATE_CHECK_LANES(i11, m11, 0);
      const __m128i p00 = _mm_mask_i32gather_epi32(bg, src, idx, m00, 4);
      const __m128i p10 = _mm_mask_i32gather_epi32(bg, src, i10, m10, 4);
      const __m128i p01 = _mm_mask_i32gather_epi32(bg, src, i01, m01, 4);
      const __m128i p11 = _mm_mask_i32gather_epi32(bg, src, i11, m11, 4);
      top = _mm256_set_m128i(p10, p00);
      bot = _mm256_set_m128i(p11, p01);
    }

    __m128i word = _mm_setzero_si128();
    for (int shift = 16; shift >= 0; shift -= 8) {
      __m256d a00, a10, a01, a11;
      channelPd(top, shift, &a00, &a10);
      channelPd(bot, shift, &a01, &a11);
      const __m256d v = _mm256_add_pd(
          _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(a00, w00), _mm256_mul_pd(a10, w10)),
                        _mm256_mul_pd(a01, w01)),
          _mm256_mul_pd(a11, w11));
      const __m128i c = _mm_and_si128(_mm256_cvttpd_epi32(v), _mm_set1_epi32(0xFF));
      word = _mm_or_si128(word, _mm_sll_epi32(c, _mm_cvtsi32_si128(shift)));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + j),
                     _mm_blendv_epi8(fill, word, narrowMask(inside)));
  }
  rotateSpanScalar(s, iSin, iCos, row, j, j1);
}

void nearestRow(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0, int j1) {
  const int* src = reinterpret_cast<const int*>(s.src);
  const __m256d cosV = _mm256_set1_pd(s.cosA), sinV = _mm256_set1_pd(s.sinA);
  const __m256d iSinV = _mm256_set1_pd(iSin), iCosV = _mm256_set1_pd(iCos);
  const __m256d x0V = _mm256_set1_pd(s.X0), y0V = _mm256_set1_pd(s.Y0);
  const __m256d half = _mm256_set1_pd(0.5), minV = _mm256_set1_pd(-1.0);
  const __m256d wV = _mm256_set1_pd(s.W), hV = _mm256_set1_pd(s.H);
  const __m256d four = _mm256_set1_pd(4.0);
  const __m128i widthV = _mm_set1_epi32(s.W), fill = _mm_set1_epi32(int(s.fill));

  __m256d jd = _mm256_setr_pd(j0, j0 + 1, j0 + 2, j0 + 3);
  int j = j0;
  for (; j + 4 <= j1; j += 4, jd = _mm256_add_pd(jd, four)) {
    const __m256d sx = _mm256_add_pd(_mm256_add_pd(iSinV, _mm256_mul_pd(jd, cosV)), x0V);
    const __m256d sy = _mm256_add_pd(_mm256_sub_pd(iCosV, _mm256_mul_pd(jd, sinV)), y0V);
    const __m256d tx = _mm256_add_pd(sx, half), ty = _mm256_add_pd(sy, half);
    const __m256d inside = _mm256_and_pd(
        _mm256_and_pd(_mm256_cmp_pd(tx, minV, _CMP_GT_OQ), _mm256_cmp_pd(tx, wV, _CMP_LT_OQ)),
        _mm256_and_pd(_mm256_cmp_pd(ty, minV, _CMP_GT_OQ), _mm256_cmp_pd(ty, hV, _CMP_LT_OQ)));
    const __m128i in = narrowMask(inside);
    const __m128i idx =
        _mm_add_epi32(_mm_mullo_epi32(_mm256_cvttpd_epi32(ty), widthV), _mm256_cvttpd_epi32(tx));
    SLATE_CHECK_LANES(idx, in, 0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + j),
                     _mm_mask_i32gather_epi32(fill, src, idx, in, 4));
  }
  rotateSpanScalar(s, iSin, iCos, row, j, j1);
}

}  // namespace

void rotateSpanAvx2(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0,
                    int j1) {
  if (s.highQuality)
    bilinearRow(s, iSin, iCos, row, j0, j1);
  else
    nearestRow(s, iSin, iCos, row, j0, j1);
}

}  // namespace Slate::Pixel::Detail

#else
namespace Slate::Pixel::Detail {
void rotateSpanAvx2(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0,
                    int j1) {
  rotateSpanScalar(s, iSin, iCos, row, j0, j1);
}
}  // namespace Slate::Pixel::Detail
#endif

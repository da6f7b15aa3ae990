// AVX-512 path: eight pixels per step in double lanes, with mask registers for the
// per-lane tests. Built with AVX-512 F/VL/DQ/BW enabled and only called after the run-time
// CPU check.
#include "rotation_internal.h"

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
#define SLATE_CHECK_LANES(setup, index, mask, extra) checkLanes(index, mask, extra, setup)
#else
#define SLATE_CHECK_LANES(setup, index, mask, extra) ((void)0)
#endif

// The word pairs (x, x+1) of rows y and y+1 for eight pixels whose neighbours are all on
// the source, index = y*W + x. Each 64-bit lane holds p00 (low half) and p10, or p01 and p11.
// Plain loads: on the processors measured they beat the gather instruction clearly.
inline void loadQuads(const uint32_t* src, size_t W, __m256i index, __m512i* top, __m512i* bot) {
  const __m128i lo = _mm256_castsi256_si128(index), hi = _mm256_extracti128_si256(index, 1);
  const uint64_t q[4] = {uint64_t(_mm_cvtsi128_si64(lo)), uint64_t(_mm_extract_epi64(lo, 1)),
                         uint64_t(_mm_cvtsi128_si64(hi)), uint64_t(_mm_extract_epi64(hi, 1))};
  const uint32_t* p[8];
  for (int k = 0; k < 4; ++k) {
    p[2 * k] = src + uint32_t(q[k]);
    p[2 * k + 1] = src + (q[k] >> 32);
  }
  auto pairs = [](const uint32_t* a, const uint32_t* b) {
    return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a)),
                              _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b)));
  };
  auto eight = [&](size_t offset) {
    const __m256i a =
        _mm256_inserti128_si256(_mm256_castsi128_si256(pairs(p[0] + offset, p[1] + offset)),
                                pairs(p[2] + offset, p[3] + offset), 1);
    const __m256i b =
        _mm256_inserti128_si256(_mm256_castsi128_si256(pairs(p[4] + offset, p[5] + offset)),
                                pairs(p[6] + offset, p[7] + offset), 1);
    return _mm512_inserti64x4(_mm512_castsi256_si512(a), b, 1);
  };
  *top = eight(0);
  *bot = eight(W);
}

// Byte shuffles that move one channel of the low (kPickLow) or the high (kPickHigh) word of
// each 64-bit lane to the bottom of the lane, zeroing the rest, ready for a 64-bit integer to
// double conversion. One row per channel: blue, green, red; -1 zeroes a byte.
#define SLATE_PICK(b) b, -1, -1, -1, -1, -1, -1, -1, 8 + (b), -1, -1, -1, -1, -1, -1, -1
#define SLATE_PICK4(b) SLATE_PICK(b), SLATE_PICK(b), SLATE_PICK(b), SLATE_PICK(b)
alignas(64) const int8_t kPickLow[3][64] = {{SLATE_PICK4(0)}, {SLATE_PICK4(1)}, {SLATE_PICK4(2)}};
alignas(64) const int8_t kPickHigh[3][64] = {{SLATE_PICK4(4)}, {SLATE_PICK4(5)}, {SLATE_PICK4(6)}};
#undef SLATE_PICK4
#undef SLATE_PICK

struct Weights {
  __m512d w00, w10, w01, w11;
};

// One output channel of eight pixels from their neighbour pairs, summed in the reference's
// order; the result sits in bits `shift` of each 32-bit lane.
inline __m256i blendChannel(__m512i top, __m512i bot, __m512i pickLow, __m512i pickHigh,
                            const Weights& w, int shift) {
  const __m512d a00 = _mm512_cvtepi64_pd(_mm512_shuffle_epi8(top, pickLow));
  const __m512d a10 = _mm512_cvtepi64_pd(_mm512_shuffle_epi8(top, pickHigh));
  const __m512d a01 = _mm512_cvtepi64_pd(_mm512_shuffle_epi8(bot, pickLow));
  const __m512d a11 = _mm512_cvtepi64_pd(_mm512_shuffle_epi8(bot, pickHigh));
  const __m512d v = _mm512_add_pd(
      _mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(a00, w.w00), _mm512_mul_pd(a10, w.w10)),
                    _mm512_mul_pd(a01, w.w01)),
      _mm512_mul_pd(a11, w.w11));
  // The weights sum to 1 within a few ulps, so v lies in [0, 256) and its low eight bits are
  // the whole value: no mask needed.
  return _mm256_slli_epi32(_mm512_cvttpd_epi32(v), shift);
}

// Bilinear sampling of one row span, eight pixels per step.
class BilinearRow {
 public:
  BilinearRow(const RotationSetup& s, double iSin, double iCos)
      : s_(s),
        cosV_(_mm512_set1_pd(s.cosA)),
        sinV_(_mm512_set1_pd(s.sinA)),
        iSinV_(_mm512_set1_pd(iSin)),
        iCosV_(_mm512_set1_pd(iCos)),
        x0V_(_mm512_set1_pd(s.X0)),
        y0V_(_mm512_set1_pd(s.Y0)),
        widthV_(_mm256_set1_epi32(s.W)) {
    for (int c = 0; c < 3; ++c) {
      pickLow_[c] = _mm512_load_si512(kPickLow[c]);
      pickHigh_[c] = _mm512_load_si512(kPickHigh[c]);
    }
  }

  // Pixels j..j+7, all known to have their four neighbours on the source.
  __m256i interior(__m512d jd) const {
    __m512d flx, fly;
    Weights w;
    __m256i index;
    locate(jd, &flx, &fly, &w, &index);
    SLATE_CHECK_LANES(s_, index, 0xFF, 1);
    SLATE_CHECK_LANES(s_, _mm256_add_epi32(index, widthV_), 0xFF, 1);
    __m512i top, bot;
    loadQuads(s_.src, size_t(s_.W), index, &top, &bot);
    return blend(top, bot, w);
  }

  // Pixels j..j+7 anywhere: off-source pixels keep the fill and off-source neighbours
  // take the background.
  __m256i general(__m512d jd) const {
    const __m512d minV = _mm512_set1_pd(-1.0), zero = _mm512_setzero_pd();
    const __m256i fill = _mm256_set1_epi32(int(s_.fill));
    __m512d sx, sy;
    coordinates(jd, &sx, &sy);
    __mmask8 inside = _mm512_cmp_pd_mask(sx, minV, _CMP_GE_OQ);
    inside = _mm512_mask_cmp_pd_mask(inside, sx, _mm512_set1_pd(s_.W), _CMP_LT_OQ);
    inside = _mm512_mask_cmp_pd_mask(inside, sy, minV, _CMP_GE_OQ);
    inside = _mm512_mask_cmp_pd_mask(inside, sy, _mm512_set1_pd(s_.H), _CMP_LT_OQ);
    if (inside == 0) return fill;

    __m512d flx, fly;
    Weights w;
    __m256i index;
    locate(jd, &flx, &fly, &w, &index);
    const __mmask8 c0 = _mm512_mask_cmp_pd_mask(inside, flx, zero, _CMP_GE_OQ);
    const __mmask8 c1 =
        _mm512_mask_cmp_pd_mask(inside, flx, _mm512_set1_pd(s_.W - 2.0), _CMP_LE_OQ);
    const __mmask8 r0 = _mm512_mask_cmp_pd_mask(inside, fly, zero, _CMP_GE_OQ);
    const __mmask8 r1 =
        _mm512_mask_cmp_pd_mask(inside, fly, _mm512_set1_pd(s_.H - 2.0), _CMP_LE_OQ);
    __m512i top, bot;
    const __m256i below = _mm256_add_epi32(index, widthV_);
    if ((c0 & c1 & r0 & r1) == 0xFF) {
      SLATE_CHECK_LANES(s_, index, 0xFF, 1);
      SLATE_CHECK_LANES(s_, below, 0xFF, 1);
      loadQuads(s_.src, size_t(s_.W), index, &top, &bot);
    } else {
      // Near the edges: masked gathers, the background standing in for missing neighbours.
      const void* src = s_.src;
      const __m256i bg = _mm256_set1_epi32(int(s_.bg)), oneI = _mm256_set1_epi32(1);
      const __m256i i10 = _mm256_add_epi32(index, oneI), i11 = _mm256_add_epi32(below, oneI);
      const __mmask8 m00 = r0 & c0, m10 = r0 & c1, m01 = r1 & c0, m11 = r1 & c1;
      SLATE_CHECK_LANES(s_, index, m00, 0);
      SLATE_CHECK_LANES(s_, i10, m10, 0);
      SLATE_CHECK_LANES(s_, below, m01, 0);
      SLATE_CHECK_LANES(s_, i11, m11, 0);
      const __m256i p00 = _mm256_mmask_i32gather_epi32(bg, m00, index, src, 4);
      const __m256i p10 = _mm256_mmask_i32gather_epi32(bg, m10, i10, src, 4);
      const __m256i p01 = _mm256_mmask_i32gather_epi32(bg, m01, below, src, 4);
      const __m256i p11 = _mm256_mmask_i32gather_epi32(bg, m11, i11, src, 4);
      // Interleave into the pair layout loadQuads gives.
      const __m512i zip = _mm512_setr_epi32(0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
      top =
          _mm512_permutex2var_epi32(_mm512_castsi256_si512(p00), zip, _mm512_castsi256_si512(p10));
      bot =
          _mm512_permutex2var_epi32(_mm512_castsi256_si512(p01), zip, _mm512_castsi256_si512(p11));
    }
    return _mm256_mask_blend_epi32(inside, fill, blend(top, bot, w));
  }

 private:
  void coordinates(__m512d jd, __m512d* sx, __m512d* sy) const {
    *sx = _mm512_add_pd(_mm512_add_pd(iSinV_, _mm512_mul_pd(jd, cosV_)), x0V_);
    *sy = _mm512_add_pd(_mm512_sub_pd(iCosV_, _mm512_mul_pd(jd, sinV_)), y0V_);
  }

  // Floors, weights and source index of pixels j..j+7. Lanes off the source get junk
  // indices, which the callers mask off.
  void locate(__m512d jd, __m512d* flx, __m512d* fly, Weights* w, __m256i* index) const {
    const __m512d one = _mm512_set1_pd(1.0);
    __m512d sx, sy;
    coordinates(jd, &sx, &sy);
    *flx = _mm512_roundscale_pd(sx, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
    *fly = _mm512_roundscale_pd(sy, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
    const __m512d fx = _mm512_sub_pd(sx, *flx), fy = _mm512_sub_pd(sy, *fly);
    const __m512d gx = _mm512_sub_pd(one, fx), gy = _mm512_sub_pd(one, fy);
    w->w00 = _mm512_mul_pd(gy, gx);
    w->w10 = _mm512_mul_pd(gy, fx);
    w->w01 = _mm512_mul_pd(fy, gx);
    w->w11 = _mm512_mul_pd(fy, fx);
    *index = _mm256_add_epi32(_mm256_mullo_epi32(_mm512_cvttpd_epi32(*fly), widthV_),
                              _mm512_cvttpd_epi32(*flx));
  }

  __m256i blend(__m512i top, __m512i bot, const Weights& w) const {
    return _mm256_or_si256(_mm256_or_si256(blendChannel(top, bot, pickLow_[2], pickHigh_[2], w, 16),
                                           blendChannel(top, bot, pickLow_[1], pickHigh_[1], w, 8)),
                           blendChannel(top, bot, pickLow_[0], pickHigh_[0], w, 0));
  }

  const RotationSetup& s_;
  __m512d cosV_, sinV_, iSinV_, iCosV_, x0V_, y0V_;
  __m256i widthV_;
  __m512i pickLow_[3], pickHigh_[3];
};

void bilinearRow(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0, int j1) {
  const BilinearRow b(s, iSin, iCos);
  int k0, k1;
  interiorSpan(s, iSin, iCos, j0, j1, &k0, &k1);
  const __m512d eight = _mm512_set1_pd(8.0);
  __m512d jd = _mm512_setr_pd(j0, j0 + 1, j0 + 2, j0 + 3, j0 + 4, j0 + 5, j0 + 6, j0 + 7);
  int j = j0;
  auto store = [&](__m256i words) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + j), words);
    j += 8;
    jd = _mm512_add_pd(jd, eight);
  };
  // Edge zone, the certain interior with no per-pixel tests, the far edge zone.
  while (j < k0 && j + 8 <= j1) store(b.general(jd));
  while (j + 8 <= k1) store(b.interior(jd));
  while (j + 8 <= j1) store(b.general(jd));
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
    SLATE_CHECK_LANES(s, idx, inside, 0);
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

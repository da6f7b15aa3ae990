// AVX2 path: four pixels per step in double lanes, source words fetched with gathers.
// Built with -mavx2 (or /arch:AVX2) and only called after the run-time CPU check.
#include "rotation_internal.h"

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
#define SLATE_CHECK_LANES(setup, index, mask, extra) checkLanes(index, mask, extra, setup)
#else
#define SLATE_CHECK_LANES(setup, index, mask, extra) ((void)0)
#endif

// The word pairs (x, x+1) of rows y and y+1 for four pixels whose neighbours are all on the
// source, index = y*W + x, rearranged so that *top holds the four p00 then the four p10, and
// *bot the four p01 then the four p11. Plain loads: on the processors measured they beat the
// gather instruction clearly.
inline void loadQuads(const uint32_t* src, size_t W, __m128i index, __m256i* top, __m256i* bot) {
  const uint64_t q0 = uint64_t(_mm_cvtsi128_si64(index)),
                 q1 = uint64_t(_mm_extract_epi64(index, 1));
  const uint32_t* p[4] = {src + uint32_t(q0), src + (q0 >> 32), src + uint32_t(q1),
                          src + (q1 >> 32)};
  auto pairs = [](const uint32_t* a, const uint32_t* b) {
    return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a)),
                              _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b)));
  };
  const __m256i deinterleave = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
  auto four = [&](size_t offset) {
    const __m256i v =
        _mm256_inserti128_si256(_mm256_castsi128_si256(pairs(p[0] + offset, p[1] + offset)),
                                pairs(p[2] + offset, p[3] + offset), 1);
    return _mm256_permutevar8x32_epi32(v, deinterleave);
  };
  *top = four(0);
  *bot = four(W);
}

// Channel `shift` of eight words as two sets of four doubles (lanes 0-3, 4-7).
inline void channelPd(__m256i words, int shift, __m256d* low, __m256d* high) {
  const __m256i c = _mm256_and_si256(_mm256_srli_epi32(words, shift), _mm256_set1_epi32(0xFF));
  *low = _mm256_cvtepi32_pd(_mm256_castsi256_si128(c));
  *high = _mm256_cvtepi32_pd(_mm256_extracti128_si256(c, 1));
}

struct Weights {
  __m256d w00, w10, w01, w11;
};

// One output channel of four pixels, summed in the reference's order, in bits `shift`.
inline __m128i blendChannel(__m256i top, __m256i bot, const Weights& w, int shift) {
  __m256d a00, a10, a01, a11;
  channelPd(top, shift, &a00, &a10);
  channelPd(bot, shift, &a01, &a11);
  const __m256d v = _mm256_add_pd(
      _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(a00, w.w00), _mm256_mul_pd(a10, w.w10)),
                    _mm256_mul_pd(a01, w.w01)),
      _mm256_mul_pd(a11, w.w11));
  // The weights sum to 1 within a few ulps, so v lies in [0, 256) and its low eight bits are
  // the whole value: no mask needed.
  return _mm_slli_epi32(_mm256_cvttpd_epi32(v), shift);
}

inline __m128i blend(__m256i top, __m256i bot, const Weights& w) {
  return _mm_or_si128(_mm_or_si128(blendChannel(top, bot, w, 16), blendChannel(top, bot, w, 8)),
                      blendChannel(top, bot, w, 0));
}

// Bilinear sampling of one row span, four pixels per step.
class BilinearRow {
 public:
  BilinearRow(const RotationSetup& s, double iSin, double iCos)
      : s_(s),
        cosV_(_mm256_set1_pd(s.cosA)),
        sinV_(_mm256_set1_pd(s.sinA)),
        iSinV_(_mm256_set1_pd(iSin)),
        iCosV_(_mm256_set1_pd(iCos)),
        x0V_(_mm256_set1_pd(s.X0)),
        y0V_(_mm256_set1_pd(s.Y0)),
        widthV_(_mm_set1_epi32(s.W)) {}

  // Pixels j..j+3, all known to have their four neighbours on the source.
  __m128i interior(__m256d jd) const {
    __m256d flx, fly;
    Weights w;
    __m128i index;
    locate(jd, &flx, &fly, &w, &index);
    SLATE_CHECK_LANES(s_, index, _mm_set1_epi32(-1), 1);
    SLATE_CHECK_LANES(s_, _mm_add_epi32(index, widthV_), _mm_set1_epi32(-1), 1);
    __m256i top, bot;
    loadQuads(s_.src, size_t(s_.W), index, &top, &bot);
    return blend(top, bot, w);
  }

  // Pixels j..j+3 anywhere: off-source pixels keep the fill and off-source neighbours take
  // the background.
  __m128i general(__m256d jd) const {
    const __m256d minV = _mm256_set1_pd(-1.0), zero = _mm256_setzero_pd();
    const __m128i fill = _mm_set1_epi32(int(s_.fill)), minus1 = _mm_set1_epi32(-1);
    __m256d sx, sy;
    coordinates(jd, &sx, &sy);
    const __m256d inside =
        _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(sx, minV, _CMP_GE_OQ),
                                    _mm256_cmp_pd(sx, _mm256_set1_pd(s_.W), _CMP_LT_OQ)),
                      _mm256_and_pd(_mm256_cmp_pd(sy, minV, _CMP_GE_OQ),
                                    _mm256_cmp_pd(sy, _mm256_set1_pd(s_.H), _CMP_LT_OQ)));
    if (_mm256_movemask_pd(inside) == 0) return fill;

    __m256d flx, fly;
    Weights w;
    __m128i index;
    locate(jd, &flx, &fly, &w, &index);
    const __m256d interior = _mm256_and_pd(
        _mm256_and_pd(inside,
                      _mm256_and_pd(_mm256_cmp_pd(flx, zero, _CMP_GE_OQ),
                                    _mm256_cmp_pd(flx, _mm256_set1_pd(s_.W - 2.0), _CMP_LE_OQ))),
        _mm256_and_pd(_mm256_cmp_pd(fly, zero, _CMP_GE_OQ),
                      _mm256_cmp_pd(fly, _mm256_set1_pd(s_.H - 2.0), _CMP_LE_OQ)));
    __m256i top, bot;
    if (_mm256_movemask_pd(interior) == 0xF) {
      SLATE_CHECK_LANES(s_, index, minus1, 1);
      SLATE_CHECK_LANES(s_, _mm_add_epi32(index, widthV_), minus1, 1);
      loadQuads(s_.src, size_t(s_.W), index, &top, &bot);
    } else {
      // Near the edges: masked gathers, the background standing in for missing neighbours.
      // Lanes off the source hold junk columns and rows, masked off by `in`.
      const int* src = reinterpret_cast<const int*>(s_.src);
      const __m128i bg = _mm_set1_epi32(int(s_.bg)), in = narrowMask(inside);
      const __m128i ix = _mm256_cvttpd_epi32(flx), iy = _mm256_cvttpd_epi32(fly);
      const __m128i c0 = _mm_cmpgt_epi32(ix, minus1);
      const __m128i c1 = _mm_cmpgt_epi32(_mm_set1_epi32(s_.W - 1), ix);
      const __m128i r0 = _mm_and_si128(in, _mm_cmpgt_epi32(iy, minus1));
      const __m128i r1 = _mm_and_si128(in, _mm_cmpgt_epi32(_mm_set1_epi32(s_.H - 1), iy));
      const __m128i m00 = _mm_and_si128(r0, c0), m10 = _mm_and_si128(r0, c1);
      const __m128i m01 = _mm_and_si128(r1, c0), m11 = _mm_and_si128(r1, c1);
      const __m128i i10 = _mm_add_epi32(index, _mm_set1_epi32(1));
      const __m128i i01 = _mm_add_epi32(index, widthV_), i11 = _mm_add_epi32(i10, widthV_);
      SLATE_CHECK_LANES(s_, index, m00, 0);
      SLATE_CHECK_LANES(s_, i10, m10, 0);
      SLATE_CHECK_LANES(s_, i01, m01, 0);
      SLATE_CHECK_LANES(s_, i11, m11, 0);
      const __m128i p00 = _mm_mask_i32gather_epi32(bg, src, index, m00, 4);
      const __m128i p10 = _mm_mask_i32gather_epi32(bg, src, i10, m10, 4);
      const __m128i p01 = _mm_mask_i32gather_epi32(bg, src, i01, m01, 4);
      const __m128i p11 = _mm_mask_i32gather_epi32(bg, src, i11, m11, 4);
      top = _mm256_set_m128i(p10, p00);
      bot = _mm256_set_m128i(p11, p01);
    }
    return _mm_blendv_epi8(fill, blend(top, bot, w), narrowMask(inside));
  }

 private:
  void coordinates(__m256d jd, __m256d* sx, __m256d* sy) const {
    *sx = _mm256_add_pd(_mm256_add_pd(iSinV_, _mm256_mul_pd(jd, cosV_)), x0V_);
    *sy = _mm256_add_pd(_mm256_sub_pd(iCosV_, _mm256_mul_pd(jd, sinV_)), y0V_);
  }

  // Floors, weights and source index of pixels j..j+3. Lanes off the source get junk
  // indices, which the callers mask off.
  void locate(__m256d jd, __m256d* flx, __m256d* fly, Weights* w, __m128i* index) const {
    const __m256d one = _mm256_set1_pd(1.0);
    __m256d sx, sy;
    coordinates(jd, &sx, &sy);
    *flx = _mm256_floor_pd(sx);
    *fly = _mm256_floor_pd(sy);
    const __m256d fx = _mm256_sub_pd(sx, *flx), fy = _mm256_sub_pd(sy, *fly);
    const __m256d gx = _mm256_sub_pd(one, fx), gy = _mm256_sub_pd(one, fy);
    w->w00 = _mm256_mul_pd(gy, gx);
    w->w10 = _mm256_mul_pd(gy, fx);
    w->w01 = _mm256_mul_pd(fy, gx);
    w->w11 = _mm256_mul_pd(fy, fx);
    *index = _mm_add_epi32(_mm_mullo_epi32(_mm256_cvttpd_epi32(*fly), widthV_),
                           _mm256_cvttpd_epi32(*flx));
  }

  const RotationSetup& s_;
  __m256d cosV_, sinV_, iSinV_, iCosV_, x0V_, y0V_;
  __m128i widthV_;
};

void bilinearRow(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0, int j1) {
  const BilinearRow b(s, iSin, iCos);
  int k0, k1;
  interiorSpan(s, iSin, iCos, j0, j1, &k0, &k1);
  const __m256d four = _mm256_set1_pd(4.0);
  __m256d jd = _mm256_setr_pd(j0, j0 + 1, j0 + 2, j0 + 3);
  int j = j0;
  auto store = [&](__m128i words) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + j), words);
    j += 4;
    jd = _mm256_add_pd(jd, four);
  };
  // Edge zone, the certain interior with no per-pixel tests, the far edge zone.
  while (j < k0 && j + 4 <= j1) store(b.general(jd));
  while (j + 4 <= k1) store(b.interior(jd));
  while (j + 4 <= j1) store(b.general(jd));
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
    SLATE_CHECK_LANES(s, idx, in, 0);
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

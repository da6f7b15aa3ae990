// The baseline vector path: two pixels per step in double lanes. SSE2 has no gather, so
// the source words are fetched one by one; the arithmetic is where the lanes help.
#include "rotation_internal.h"

#if SLATE_PIXEL_HAVE_X86
#include <emmintrin.h>

namespace Slate::Pixel::Detail {

namespace {

// floor() for lanes that fit an int (the only ones that are used): SSE2 has only a
// truncating conversion, so step down where truncation went up.
inline __m128d floorPd(__m128d x) {
  const __m128d t = _mm_cvtepi32_pd(_mm_cvttpd_epi32(x));
  return _mm_sub_pd(t, _mm_and_pd(_mm_cmpgt_pd(t, x), _mm_set1_pd(1.0)));
}

// 64-bit lane masks of two pixels to the low two 32-bit lanes.
inline __m128i narrowMask(__m128d m) {
  return _mm_shuffle_epi32(_mm_castpd_si128(m), _MM_SHUFFLE(3, 1, 2, 0));
}

inline __m128i select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

// The four neighbours of one pixel, background where they fall off the source.
inline void neighbours(const RotationSetup& s, int ix, int iy, uint32_t p[4]) {
  const bool c0 = ix >= 0, c1 = ix + 1 < s.W, r0 = iy >= 0, r1 = iy + 1 < s.H;
  p[0] = (c0 && r0) ? sourceAt(s, ix, iy) : s.bg;
  p[1] = (c1 && r0) ? sourceAt(s, ix + 1, iy) : s.bg;
  p[2] = (c0 && r1) ? sourceAt(s, ix, iy + 1) : s.bg;
  p[3] = (c1 && r1) ? sourceAt(s, ix + 1, iy + 1) : s.bg;
}

// Channel `shift` of lanes 0 and 1 of `words`, as doubles.
inline __m128d channelPd(__m128i words, int shift) {
  return _mm_cvtepi32_pd(
      _mm_and_si128(_mm_srl_epi32(words, _mm_cvtsi32_si128(shift)), _mm_set1_epi32(0xFF)));
}

void bilinearRow(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0, int j1) {
  const __m128d cosV = _mm_set1_pd(s.cosA), sinV = _mm_set1_pd(s.sinA);
  const __m128d iSinV = _mm_set1_pd(iSin), iCosV = _mm_set1_pd(iCos);
  const __m128d x0V = _mm_set1_pd(s.X0), y0V = _mm_set1_pd(s.Y0);
  const __m128d minV = _mm_set1_pd(-1.0), wV = _mm_set1_pd(s.W), hV = _mm_set1_pd(s.H);
  const __m128d one = _mm_set1_pd(1.0);
  const __m128i fill = _mm_set1_epi32(int(s.fill));
  int j = j0;
  for (; j + 2 <= j1; j += 2) {
    const __m128d jd = _mm_set_pd(j + 1, j);
    const __m128d sx = _mm_add_pd(_mm_add_pd(iSinV, _mm_mul_pd(jd, cosV)), x0V);
    const __m128d sy = _mm_add_pd(_mm_sub_pd(iCosV, _mm_mul_pd(jd, sinV)), y0V);
    const __m128d inside = _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(sx, minV), _mm_cmplt_pd(sx, wV)),
                                      _mm_and_pd(_mm_cmpge_pd(sy, minV), _mm_cmplt_pd(sy, hV)));
    const int lanes = _mm_movemask_pd(inside);
    if (lanes == 0) {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(row + j), fill);
      continue;
    }
    const __m128d flx = floorPd(sx), fly = floorPd(sy);
    const __m128d fx = _mm_sub_pd(sx, flx), fy = _mm_sub_pd(sy, fly);
    const __m128d gx = _mm_sub_pd(one, fx), gy = _mm_sub_pd(one, fy);
    const __m128d w00 = _mm_mul_pd(gy, gx), w10 = _mm_mul_pd(gy, fx);
    const __m128d w01 = _mm_mul_pd(fy, gx), w11 = _mm_mul_pd(fy, fx);

    const __m128i ix = _mm_cvttpd_epi32(flx), iy = _mm_cvttpd_epi32(fly);
    uint32_t p[2][4] = {{0, 0, 0, 0}, {0, 0, 0, 0}};
    if (lanes & 1) neighbours(s, _mm_cvtsi128_si32(ix), _mm_cvtsi128_si32(iy), p[0]);
    if (lanes & 2)
      neighbours(s, _mm_cvtsi128_si32(_mm_shuffle_epi32(ix, 1)),
                 _mm_cvtsi128_si32(_mm_shuffle_epi32(iy, 1)), p[1]);
    // Lanes 0-1 hold p00 and p10 of both pixels, lanes 2-3 (moved down when used) p01, p11.
    const __m128i top = _mm_set_epi32(int(p[1][1]), int(p[0][1]), int(p[1][0]), int(p[0][0]));
    const __m128i bot = _mm_set_epi32(int(p[1][3]), int(p[0][3]), int(p[1][2]), int(p[0][2]));

    __m128i word = _mm_setzero_si128();
    for (int shift = 16; shift >= 0; shift -= 8) {
      const __m128d a00 = channelPd(top, shift), a10 = channelPd(_mm_srli_si128(top, 8), shift);
      const __m128d a01 = channelPd(bot, shift), a11 = channelPd(_mm_srli_si128(bot, 8), shift);
      const __m128d v = _mm_add_pd(
          _mm_add_pd(_mm_add_pd(_mm_mul_pd(a00, w00), _mm_mul_pd(a10, w10)), _mm_mul_pd(a01, w01)),
          _mm_mul_pd(a11, w11));
      const __m128i c = _mm_and_si128(_mm_cvttpd_epi32(v), _mm_set1_epi32(0xFF));
      word = _mm_or_si128(word, _mm_sll_epi32(c, _mm_cvtsi32_si128(shift)));
    }
    _mm_storel_epi64(reinterpret_cast<__m128i*>(row + j), select(narrowMask(inside), word, fill));
  }
  rotateSpanScalar(s, iSin, iCos, row, j, j1);
}

void nearestRow(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0, int j1) {
  const __m128d cosV = _mm_set1_pd(s.cosA), sinV = _mm_set1_pd(s.sinA);
  const __m128d iSinV = _mm_set1_pd(iSin), iCosV = _mm_set1_pd(iCos);
  const __m128d x0V = _mm_set1_pd(s.X0), y0V = _mm_set1_pd(s.Y0);
  const __m128d half = _mm_set1_pd(0.5), minV = _mm_set1_pd(-1.0);
  const __m128d wV = _mm_set1_pd(s.W), hV = _mm_set1_pd(s.H);
  int j = j0;
  for (; j + 2 <= j1; j += 2) {
    const __m128d jd = _mm_set_pd(j + 1, j);
    const __m128d sx = _mm_add_pd(_mm_add_pd(iSinV, _mm_mul_pd(jd, cosV)), x0V);
    const __m128d sy = _mm_add_pd(_mm_sub_pd(iCosV, _mm_mul_pd(jd, sinV)), y0V);
    const __m128d tx = _mm_add_pd(sx, half), ty = _mm_add_pd(sy, half);
    const __m128d inside = _mm_and_pd(_mm_and_pd(_mm_cmpgt_pd(tx, minV), _mm_cmplt_pd(tx, wV)),
                                      _mm_and_pd(_mm_cmpgt_pd(ty, minV), _mm_cmplt_pd(ty, hV)));
    const int lanes = _mm_movemask_pd(inside);
    const __m128i nx = _mm_cvttpd_epi32(tx), ny = _mm_cvttpd_epi32(ty);
    row[j] = (lanes & 1) ? sourceAt(s, _mm_cvtsi128_si32(nx), _mm_cvtsi128_si32(ny)) : s.fill;
    row[j + 1] = (lanes & 2) ? sourceAt(s, _mm_cvtsi128_si32(_mm_shuffle_epi32(nx, 1)),
                                        _mm_cvtsi128_si32(_mm_shuffle_epi32(ny, 1)))
                             : s.fill;
  }
  rotateSpanScalar(s, iSin, iCos, row, j, j1);
}

}  // namespace

void rotateSpanSse2(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0,
                    int j1) {
  if (s.highQuality)
    bilinearRow(s, iSin, iCos, row, j0, j1);
  else
    nearestRow(s, iSin, iCos, row, j0, j1);
}

}  // namespace Slate::Pixel::Detail

#else
namespace Slate::Pixel::Detail {
void rotateSpanSse2(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0,
                    int j1) {
  rotateSpanScalar(s, iSin, iCos, row, j0, j1);
}
}  // namespace Slate::Pixel::Detail
#endif

// The AVX-512 path: the SSE2 path's arithmetic on sixteen pixels per step (AVX-512 BW for
// the 16-bit lanes). Unpacks and pack work within 128-bit quarters and undo each other.
#include "sprite_internal.h"

#if SLATE_SPRITE_HAVE_X86
#include <immintrin.h>

namespace Slate::Pixel::Detail {

namespace {

inline __m512i div255(__m512i x) {
  return _mm512_mulhi_epu16(_mm512_add_epi16(x, _mm512_set1_epi16(128)), _mm512_set1_epi16(257));
}

// Alpha of the pixels in the low (high) half of each 128-bit lane, spread as the SSE2 path
// spreads it, in one byte shuffle of the packed source.
inline __m512i alphaOf(__m512i s, __m512i pick) {
  return _mm512_shuffle_epi8(s, pick);
}

inline __m512i blendHalf(__m512i s, __m512i d, __m512i a, const BlendParams& p, __m512i opacity,
                         __m512i tint) {
  if (!p.plain) {
    a = div255(_mm512_mullo_epi16(a, opacity));
    s = div255(_mm512_mullo_epi16(s, tint));
  }
  if (p.add) return _mm512_adds_epu16(d, div255(_mm512_mullo_epi16(s, a)));
  const __m512i inv = _mm512_sub_epi16(_mm512_set1_epi16(255), a);
  return div255(_mm512_add_epi16(_mm512_mullo_epi16(s, a), _mm512_mullo_epi16(d, inv)));
}

}  // namespace

void blendRowAvx512(uint32_t* dstRows, ptrdiff_t dstStride, const uint32_t* srcRows,
                    ptrdiff_t srcStride, int n, int rows, const BlendParams& p) {
  const __m512i zero = _mm512_setzero_si512();
  const __m512i alphaMask = _mm512_set1_epi32(int(0xFF000000u));
  const __m512i colourMask = _mm512_set1_epi32(0x00FFFFFF);
  const __m512i opacity = _mm512_set1_epi16(short(p.opacity));
  const __m512i tint = _mm512_unpacklo_epi8(_mm512_set1_epi32(int(p.tint | 0xFF000000u)), zero);
  // Byte shuffles: alpha (byte 3 of a pixel) into the low byte of its colour lanes, zero
  // (index 0x80) elsewhere; for pixels 0-1 and 2-3 of each 128-bit lane.
  // (set4 repeats its four 64-bit words, last argument first, in every 256 bits.)
  const __m512i pickLo =
      _mm512_set4_epi64(int64_t(0x8080800780078007u), int64_t(0x8080800380038003u),
                        int64_t(0x8080800780078007u), int64_t(0x8080800380038003u));
  const __m512i pickHi =
      _mm512_set4_epi64(int64_t(0x8080800F800F800Fu), int64_t(0x8080800B800B800Bu),
                        int64_t(0x8080800F800F800Fu), int64_t(0x8080800B800B800Bu));
  for (int r = 0; r < rows; ++r) {
    // Rows by index: a flipped block's source pointer never steps before its first row.
    uint32_t* dst = dstRows + r * dstStride;
    const uint32_t* src = srcRows + r * srcStride;
    int k = 0;
    for (; k + 16 <= n; k += 16) {
      __m512i s = _mm512_loadu_si512(reinterpret_cast<const __m512i*>(src + k));
      if (!p.srcAlpha) s = _mm512_or_si512(s, alphaMask);
      const __m512i sa = _mm512_and_si512(s, alphaMask);
      if (_mm512_test_epi32_mask(sa, sa) == 0) continue;  // all transparent
      const __m512i d = _mm512_loadu_si512(reinterpret_cast<__m512i*>(dst + k));
      __m512i out;
      if (p.plain && !p.add && _mm512_cmpeq_epi32_mask(sa, alphaMask) == 0xFFFF) {
        out = _mm512_or_si512(_mm512_and_si512(s, colourMask), _mm512_and_si512(d, alphaMask));
      } else {
        const __m512i lo = blendHalf(_mm512_unpacklo_epi8(s, zero), _mm512_unpacklo_epi8(d, zero),
                                     alphaOf(s, pickLo), p, opacity, tint);
        const __m512i hi = blendHalf(_mm512_unpackhi_epi8(s, zero), _mm512_unpackhi_epi8(d, zero),
                                     alphaOf(s, pickHi), p, opacity, tint);
        out = _mm512_packus_epi16(lo, hi);
      }
      _mm512_storeu_si512(reinterpret_cast<__m512i*>(dst + k), out);
    }
    // The last few pixels go through the AVX2 path, which the AVX-512 features include.
    if (k < n) blendRowAvx2(dst + k, 0, src + k, 0, n - k, 1, p);
  }
}

}  // namespace Slate::Pixel::Detail

#else
namespace Slate::Pixel::Detail {
void blendRowAvx512(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride,
                    int n, int rows, const BlendParams& p) {
  blendRowScalar(dst, dstStride, src, srcStride, n, rows, p);
}
}  // namespace Slate::Pixel::Detail
#endif

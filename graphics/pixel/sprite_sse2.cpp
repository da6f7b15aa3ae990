// The baseline vector path: four pixels per step, each channel in a 16-bit lane, so every
// product of two bytes and every blend sum (at most 255 * 255) fits. Handles targets
// without alpha and additive blends; the driver gives targets with alpha to the scalar path.
#include "sprite_internal.h"

#if SLATE_SPRITE_HAVE_X86
#include <emmintrin.h>

namespace Slate::Pixel::Detail {

namespace {

// round(x / 255) in each 16-bit lane, x <= 255 * 255: with t = x + 128 it is
// (t + (t >> 8)) >> 8, which equals the high half of t * 257.
inline __m128i div255(__m128i x) {
  return _mm_mulhi_epu16(_mm_add_epi16(x, _mm_set1_epi16(128)), _mm_set1_epi16(257));
}

// Each pixel's alpha in its three colour lanes and 0 in its alpha lane: blended with that
// weight, the alpha lane comes out as the target's own top byte.
inline __m128i spreadAlpha(__m128i x) {
  return _mm_and_si128(_mm_shufflehi_epi16(_mm_shufflelo_epi16(x, 0xFF), 0xFF),
                       _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1));
}

// Two pixels, 16 bits a channel, against their destination: the blended channels.
inline __m128i blendHalf(__m128i s, __m128i d, const BlendParams& p, __m128i opacity,
                         __m128i tint) {
  __m128i a = spreadAlpha(s);
  if (!p.plain) {
    a = div255(_mm_mullo_epi16(a, opacity));
    s = div255(_mm_mullo_epi16(s, tint));
  }
  // Additive: the alpha lane adds 0, so the target's top byte stays.
  if (p.add) return _mm_adds_epu16(d, div255(_mm_mullo_epi16(s, a)));
  const __m128i inv = _mm_sub_epi16(_mm_set1_epi16(255), a);
  return div255(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, inv)));
}

}  // namespace

void blendRowSse2(uint32_t* dstRows, ptrdiff_t dstStride, const uint32_t* srcRows,
                  ptrdiff_t srcStride, int n, int rows, const BlendParams& p) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i alphaMask = _mm_set1_epi32(int(0xFF000000u));
  const __m128i colourMask = _mm_set1_epi32(0x00FFFFFF);
  const __m128i opacity = _mm_set1_epi16(short(p.opacity));
  // Tint bytes in the lanes of blue, green, red; alpha's lane is left as it is.
  const __m128i tint = _mm_unpacklo_epi8(_mm_set1_epi32(int(p.tint | 0xFF000000u)), zero);
  for (int r = 0; r < rows; ++r) {
    // Rows by index: a flipped block's source pointer never steps before its first row.
    uint32_t* dst = dstRows + r * dstStride;
    const uint32_t* src = srcRows + r * srcStride;
    int k = 0;
    for (; k + 4 <= n; k += 4) {
      __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + k));
      if (!p.srcAlpha) s = _mm_or_si128(s, alphaMask);
      const __m128i sa = _mm_and_si128(s, alphaMask);
      if (_mm_movemask_epi8(_mm_cmpeq_epi32(sa, zero)) == 0xFFFF) continue;  // all transparent
      const __m128i d = _mm_loadu_si128(reinterpret_cast<__m128i*>(dst + k));
      __m128i out;
      if (p.plain && !p.add && _mm_movemask_epi8(_mm_cmpeq_epi32(sa, alphaMask)) == 0xFFFF) {
        // All opaque: the colours as they are, the target's top byte kept.
        out = _mm_or_si128(_mm_and_si128(s, colourMask), _mm_and_si128(d, alphaMask));
      } else {
        const __m128i lo =
            blendHalf(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), p, opacity, tint);
        const __m128i hi =
            blendHalf(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), p, opacity, tint);
        out = _mm_packus_epi16(lo, hi);  // additive sums above 255 saturate here
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + k), out);
    }
    if (k < n) blendRowScalar(dst + k, 0, src + k, 0, n - k, 1, p);
  }
}

}  // namespace Slate::Pixel::Detail

#else
namespace Slate::Pixel::Detail {
void blendRowSse2(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride,
                  int n, int rows, const BlendParams& p) {
  blendRowScalar(dst, dstStride, src, srcStride, n, rows, p);
}
}  // namespace Slate::Pixel::Detail
#endif

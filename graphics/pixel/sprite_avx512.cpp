// The AVX-512 path: the SSE2 path's arithmetic on sixteen pixels per step (AVX-512 BW for
// the 16-bit lanes). Unpacks and pack work within 128-bit quarters and undo each other.
#include "sprite_internal.h"

#if SLATE_SPRITE_HAVE_X86
#include <immintrin.h>

namespace Slate::Pixel::Detail {

namespace {

inline __m512i div255(__m512i x) {
  const __m512i t = _mm512_add_epi16(x, _mm512_set1_epi16(128));
  return _mm512_srli_epi16(_mm512_add_epi16(t, _mm512_srli_epi16(t, 8)), 8);
}

inline __m512i spreadAlpha(__m512i x) {
  return _mm512_shufflehi_epi16(_mm512_shufflelo_epi16(x, 0xFF), 0xFF);
}

inline __m512i blendHalf(__m512i s, __m512i d, const BlendParams& p, __m512i opacity,
                         __m512i tint) {
  __m512i a = spreadAlpha(s);
  if (!p.plain) {
    a = div255(_mm512_mullo_epi16(a, opacity));
    s = div255(_mm512_mullo_epi16(s, tint));
  }
  if (p.add) return div255(_mm512_mullo_epi16(s, a));
  const __m512i inv = _mm512_sub_epi16(_mm512_set1_epi16(255), a);
  return div255(_mm512_add_epi16(_mm512_mullo_epi16(s, a), _mm512_mullo_epi16(d, inv)));
}

}  // namespace

void blendRowAvx512(uint32_t* dst, const uint32_t* src, int n, const BlendParams& p) {
  const __m512i zero = _mm512_setzero_si512();
  const __m512i alphaMask = _mm512_set1_epi32(int(0xFF000000u));
  const __m512i colourMask = _mm512_set1_epi32(0x00FFFFFF);
  const __m512i opacity = _mm512_set1_epi16(short(p.opacity));
  const __m512i tint = _mm512_unpacklo_epi8(_mm512_set1_epi32(int(p.tint | 0xFF000000u)), zero);
  int k = 0;
  for (; k + 16 <= n; k += 16) {
    __m512i s = _mm512_loadu_si512(reinterpret_cast<const __m512i*>(src + k));
    if (!p.srcAlpha) s = _mm512_or_si512(s, alphaMask);
    const __m512i sa = _mm512_and_si512(s, alphaMask);
    if (_mm512_test_epi32_mask(sa, sa) == 0) continue;  // all transparent
    const __m512i d = _mm512_loadu_si512(reinterpret_cast<__m512i*>(dst + k));
    __m512i out;
    if (p.plain && !p.add && _mm512_cmpeq_epi32_mask(sa, alphaMask) == 0xFFFF) {
      out = s;
    } else {
      const __m512i lo =
          blendHalf(_mm512_unpacklo_epi8(s, zero), _mm512_unpacklo_epi8(d, zero), p, opacity, tint);
      const __m512i hi =
          blendHalf(_mm512_unpackhi_epi8(s, zero), _mm512_unpackhi_epi8(d, zero), p, opacity, tint);
      out = _mm512_packus_epi16(lo, hi);
      if (p.add) out = _mm512_adds_epu8(d, _mm512_and_si512(out, colourMask));
    }
    out = _mm512_or_si512(_mm512_and_si512(out, colourMask), _mm512_and_si512(d, alphaMask));
    _mm512_storeu_si512(reinterpret_cast<__m512i*>(dst + k), out);
  }
  // The last few pixels go through the AVX2 path, which the AVX-512 features include.
  blendRowAvx2(dst + k, src + k, n - k, p);
}

}  // namespace Slate::Pixel::Detail

#else
namespace Slate::Pixel::Detail {
void blendRowAvx512(uint32_t* dst, const uint32_t* src, int n, const BlendParams& p) {
  blendRowScalar(dst, src, n, p);
}
}  // namespace Slate::Pixel::Detail
#endif

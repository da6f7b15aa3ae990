// The portable path: the blend one pixel at a time. Also what every path uses for targets
// with alpha, whose source-over needs a division per channel.
#include "sprite_internal.h"

namespace Slate::Pixel::Detail {

void blendRowScalar(uint32_t* dst, const uint32_t* src, int n, const BlendParams& p) {
  const BlendParams q = p;  // a local copy stays in registers across the stores
  for (int k = 0; k < n; ++k) dst[k] = blendPixel(dst[k], src[k], q);
}

}  // namespace Slate::Pixel::Detail

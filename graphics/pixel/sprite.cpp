// Entry points of the sprite kernel: the choice of code path. For now every path runs the
// reference.
#include <initializer_list>

#include "cpu_features.h"
#include "slate/pixel/sprite.h"
#include "sprite_internal.h"

namespace Slate::Pixel {

using namespace Detail;

bool spritePathSupported(SpritePath path) {
  const CpuFeatures& cpu = cpuFeatures();
  switch (path) {
    case SpritePath::Scalar:
      return true;
    case SpritePath::Sse2:
      return SLATE_SPRITE_HAVE_X86 && cpu.sse2;
    case SpritePath::Avx2:
      return SLATE_SPRITE_HAVE_X86 && cpu.avx2;
    case SpritePath::Avx512:
      return SLATE_SPRITE_HAVE_X86 && cpu.avx512;
  }
  return false;
}

SpritePath bestSpritePath() {
  static const SpritePath best = [] {
    for (SpritePath p : {SpritePath::Avx512, SpritePath::Avx2, SpritePath::Sse2})
      if (spritePathSupported(p)) return p;
    return SpritePath::Scalar;
  }();
  return best;
}

const char* spritePathName(SpritePath path) {
  switch (path) {
    case SpritePath::Scalar:
      return "scalar";
    case SpritePath::Sse2:
      return "sse2";
    case SpritePath::Avx2:
      return "avx2";
    case SpritePath::Avx512:
      return "avx512";
  }
  return "?";
}

bool drawSpritePixelsWith(SpritePath path, const Surface& dst, const PixelRect& clip, int dstX,
                          int dstY, int dstW, int dstH, const ConstSurface& src, int srcX, int srcY,
                          int srcW, int srcH, const SpriteBlend& blend) {
  if (!spritePathSupported(path)) return false;
  return drawSpritePixelsReference(dst, clip, dstX, dstY, dstW, dstH, src, srcX, srcY, srcW, srcH,
                                   blend);
}

bool drawSpriteRotatedPixelsWith(SpritePath path, const Surface& dst, const PixelRect& clip,
                                 double centerX, double centerY, const ConstSurface& src,
                                 double radians, double scale, const SpriteBlend& blend) {
  if (!spritePathSupported(path)) return false;
  return drawSpriteRotatedPixelsReference(dst, clip, centerX, centerY, src, radians, scale, blend);
}

bool drawSpritePixels(const Surface& dst, const PixelRect& clip, int dstX, int dstY, int dstW,
                      int dstH, const ConstSurface& src, int srcX, int srcY, int srcW, int srcH,
                      const SpriteBlend& blend) {
  return drawSpritePixelsWith(bestSpritePath(), dst, clip, dstX, dstY, dstW, dstH, src, srcX, srcY,
                              srcW, srcH, blend);
}

bool drawSpriteRotatedPixels(const Surface& dst, const PixelRect& clip, double centerX,
                             double centerY, const ConstSurface& src, double radians, double scale,
                             const SpriteBlend& blend) {
  return drawSpriteRotatedPixelsWith(bestSpritePath(), dst, clip, centerX, centerY, src, radians,
                                     scale, blend);
}

}  // namespace Slate::Pixel

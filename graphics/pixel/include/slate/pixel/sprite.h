// Sprite drawing on 32-bit pixel buffers: source-over and additive blending with straight
// alpha, opacity and tint, nearest, bilinear and area (box) sampling, flips and rotation.
// The portable kernels behind Slate::drawSprite*; no <windows.h> here.
//
// Pixels are 32-bit words 0xAARRGGBB (blue in bits 0-7), rows top-down, pixel (x, y) of a
// surface at pixels[y * stride + x]. Alpha is straight (not premultiplied). A surface
// without alpha has a top byte that means nothing: it is read as 255.
#pragma once

#include <cstdint>

namespace Slate::Pixel {

// A block of pixels: `stride` words from one row to the next (stride >= width).
struct Surface {
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
  bool hasAlpha = false;
};

struct ConstSurface {
  const uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
  bool hasAlpha = false;
};

// A rectangle of the destination, right and bottom exclusive.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Flags, with the values of the runtime's SPRITE_* constants.
enum : int {
  kSpriteFlipX = 1,
  kSpriteFlipY = 2,
  kSpriteSmooth = 4,  // bilinear when enlarging; shrinking always averages (area filter)
  kSpriteAdd = 8,     // additive instead of source-over
  kSpriteKnownFlags = 15
};

// How the source is blended. opacity is clamped to 0-255; tint is 0x00RRGGBB, each source
// channel multiplied by its byte / 255 (0x00FFFFFF leaves colours as they are).
struct SpriteBlend {
  int flags = 0;
  int opacity = 255;
  uint32_t tint = 0x00FFFFFF;
};

// Draws the block (srcX, srcY, srcW, srcH) of `src`, scaled to the destination rectangle
// (dstX, dstY, dstW, dstH), into `dst`, writing only pixels inside `clip` (itself cut to
// dst). A block partly outside src is cut to src, with the destination cut in proportion.
// Returns false, touching nothing, for null or empty surfaces, sizes <= 0, or a block that
// lies wholly outside src; true otherwise (also when the clip leaves nothing to draw).
bool drawSpritePixels(const Surface& dst, const PixelRect& clip, int dstX, int dstY, int dstW,
                      int dstH, const ConstSurface& src, int srcX, int srcY, int srcW, int srcH,
                      const SpriteBlend& blend);

// Draws the whole of `src` scaled by `scale` and turned by `radians` (counter-clockwise on
// screen, as rotateImage turns) about its centre, the centre landing on (centerX, centerY)
// of dst. Non-finite or non-positive scales and non-finite angles are refused (false).
bool drawSpriteRotatedPixels(const Surface& dst, const PixelRect& clip, double centerX,
                             double centerY, const ConstSurface& src, double radians, double scale,
                             const SpriteBlend& blend);

// Resizes src into dst (both whole surfaces): each destination pixel is the area-weighted
// mean of the source pixels it covers when shrinking, bilinear when enlarging. Every output
// channel lies within the range of the source pixels under it. Alpha is averaged when
// src.hasAlpha, with colours weighted by alpha so transparent pixels do not bleed.
bool resizePixels(const ConstSurface& src, const Surface& dst);

// The plain one-pixel-at-a-time versions: the definition of the results, kept as the
// oracle for tests and benchmarks. Same contracts as above.
bool drawSpritePixelsReference(const Surface& dst, const PixelRect& clip, int dstX, int dstY,
                               int dstW, int dstH, const ConstSurface& src, int srcX, int srcY,
                               int srcW, int srcH, const SpriteBlend& blend);
bool drawSpriteRotatedPixelsReference(const Surface& dst, const PixelRect& clip, double centerX,
                                      double centerY, const ConstSurface& src, double radians,
                                      double scale, const SpriteBlend& blend);

// The kernels' code paths, chosen at run time as the rotation kernel's are.
enum class SpritePath { Scalar, Sse2, Avx2, Avx512 };
bool spritePathSupported(SpritePath path);
SpritePath bestSpritePath();
const char* spritePathName(SpritePath path);
bool drawSpritePixelsWith(SpritePath path, const Surface& dst, const PixelRect& clip, int dstX,
                          int dstY, int dstW, int dstH, const ConstSurface& src, int srcX, int srcY,
                          int srcW, int srcH, const SpriteBlend& blend);
bool drawSpriteRotatedPixelsWith(SpritePath path, const Surface& dst, const PixelRect& clip,
                                 double centerX, double centerY, const ConstSurface& src,
                                 double radians, double scale, const SpriteBlend& blend);

}  // namespace Slate::Pixel

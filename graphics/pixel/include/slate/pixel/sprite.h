// Sprite drawing on 32-bit pixel buffers: source-over and additive blending with straight
// alpha, opacity and tint, nearest, bilinear and area (box) sampling, flips and rotation.
// The portable kernels behind Slate::drawSprite*; no <windows.h> here.
//
// Pixels are 32-bit words 0xAARRGGBB (blue in bits 0-7), rows top-down, pixel (x, y) of a
// surface at pixels[y * stride + x]. Alpha is straight (not premultiplied). A surface
// without alpha has a top byte that means nothing: it is read as 255.
//
// The arithmetic, exact in integers; div255(x) is x / 255 rounded to nearest, (x + 127) / 255.
// Per sprite pixel with alpha sa (255 for a source without alpha) and colour c:
//   a  = div255(sa * opacity)               the sprite pixel's coverage
//   c' = div255(c * tint channel)           for each of red, green and blue
// a == 0 leaves the target word exactly as it was. Otherwise, for each colour channel d:
//   source-over, target without alpha:  d = div255(c' * a + d * (255 - a)); top byte kept
//   source-over, target with alpha da:  wS = 255 * a, wD = da * (255 - a),
//                                       d  = (c' * wS + d * wD) / (wS + wD) rounded to nearest,
//                                       da = div255(wS + wD)
//   additive (kSpriteAdd), any target:  d = min(255, d + div255(c' * a)); top byte kept
// So with opacity 255 and a white tint, alpha 255 copies the source colours exactly (and
// gives alpha 255 on a target with alpha), and a target without alpha keeps its top byte:
// images whose top byte is 0 still read 0 there.
//
// Sampling, per axis of drawSpritePixels: destination column k of the rectangle has its
// centre at source position srcX + (2k + 1) * srcW / (2 * dstW), and is drawn when that lies
// on the block cut to the source.
//   nearest (same size, or enlarging without kSpriteSmooth): the pixel under the centre;
//   bilinear (enlarging with kSpriteSmooth): the two pixels about centre - 1/2, weighted in
//     1/256ths (the fraction truncated), clamped at the block's edges;
//   area (shrinking, always): each source pixel weighted by how much of it the destination
//     pixel covers, exactly, in units of 1/dstW source pixels.
// The two axes' weights multiply. Alpha is the weighted mean of the alphas and each colour
// the mean weighted by weight * alpha (both rounded to nearest), so transparent pixels do not
// bleed and every channel lies within the range of the pixels under it.
// Flips mirror the destination rectangle (its last column samples what the first would).
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
// dst). A block partly outside src is cut to src, with the destination cut in proportion
// (the mapping stays that of the whole block). Unknown flag bits are ignored. Sizes, offsets
// and positions may be anything an int holds: all mapping arithmetic is done in 64 bits.
// Surfaces must have stride >= width and at most 2^28 pixels.
// Returns false, touching nothing, for null or empty surfaces, sizes <= 0, or a block that
// lies wholly outside src; true otherwise (also when the clip leaves nothing to draw).
bool drawSpritePixels(const Surface& dst, const PixelRect& clip, int dstX, int dstY, int dstW,
                      int dstH, const ConstSurface& src, int srcX, int srcY, int srcW, int srcH,
                      const SpriteBlend& blend);

// Draws the whole of `src` scaled by `scale` and turned by `radians` (counter-clockwise on
// screen, as rotateImage turns) about its centre, the centre landing on (centerX, centerY)
// of dst. Non-finite or non-positive scales, non-finite angles and centres are refused
// (false), as are null or empty surfaces.
// As in rotateImage, destination pixel (j, i) samples source position, with a = -radians,
//   cosS = cos(a) / scale, sinS = sin(a) / scale,
//   X0 = W/2 - (cosS * centerX + sinS * centerY), Y0 = H/2 + (sinS * centerX - cosS * centerY),
//   sx = (i * sinS + j * cosS) + X0,  sy = (i * cosS - j * sinS) + Y0   (in this order),
// then sx = (W - 1) - sx for kSpriteFlipX and sy = (H - 1) - sy for kSpriteFlipY.
// Nearest takes pixel floor(s + 0.5) when it is on the sprite (so at angle 0 and scale 1 it
// draws exactly what drawSpritePixels does at centre - size/2); kSpriteSmooth is bilinear at
// floor(s) with weights trunc(frac * 256), neighbours off the sprite transparent, so the
// edges fade over one pixel. No area averaging here, whatever the scale.
bool drawSpriteRotatedPixels(const Surface& dst, const PixelRect& clip, double centerX,
                             double centerY, const ConstSurface& src, double radians, double scale,
                             const SpriteBlend& blend);

// Resizes src into dst (both whole surfaces): each destination pixel is the area-weighted
// mean of the source pixels it covers when shrinking, bilinear when enlarging (edges clamped),
// each axis on its own, with the weights above. Every output channel lies within the range
// of the source pixels under it. Alpha is averaged when src.hasAlpha, with colours weighted
// by alpha so transparent pixels do not bleed (where all of them are transparent, the plain
// mean); without alpha all four bytes get the plain mean. False, touching nothing, for null
// or empty surfaces.
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

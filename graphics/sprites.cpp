// The sprite calls: images drawn with their alpha, scaled, flipped, turned and tinted. The
// portable kernels blend straight into the target's pixels; this file places the sprite in
// device pixels through the target's origin and scale and cuts it to the clip region.
#include <slate/pixel/sprite.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "context.h"
#include "drawable_range.h"
#include "surface.h"
#include "window_target.h"

namespace Slate {

namespace {

using Pixel::PixelRect;

// The clip region of dc in device pixels, cut to the surface; the whole surface when it has
// none. An empty region clips everything away.
std::vector<PixelRect> readClipRects(HDC dc, int width, int height) {
  std::vector<PixelRect> rects;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (region == nullptr || GetClipRgn(dc, region) != 1) {
    if (region) DeleteObject(region);
    rects.push_back({0, 0, width, height});
    return rects;
  }
  const DWORD bytes = GetRegionData(region, 0, nullptr);
  std::vector<DWORD> data((bytes + sizeof(DWORD) - 1) / sizeof(DWORD) + 1);
  auto* described = reinterpret_cast<RGNDATA*>(data.data());
  if (bytes > 0 && GetRegionData(region, bytes, described) == bytes) {
    const RECT* parts = reinterpret_cast<const RECT*>(described->Buffer);
    for (DWORD i = 0; i < described->rdh.nCount; ++i) {
      const PixelRect cut = {std::max<LONG>(parts[i].left, 0), std::max<LONG>(parts[i].top, 0),
                             std::min<LONG>(parts[i].right, width),
                             std::min<LONG>(parts[i].bottom, height)};
      if (cut.left < cut.right && cut.top < cut.bottom) rects.push_back(cut);
    }
  }
  DeleteObject(region);
  return rects;
}

// The same, read again only when a clip region was set anywhere since, or for another
// context or size: a bunnymark frame draws thousands of sprites under one clip.
const std::vector<PixelRect>& clipRects(HDC dc, int width, int height) {
  struct Kept {
    HDC dc = nullptr;
    int width = 0, height = 0;
    unsigned changes = 0;
    std::vector<PixelRect> rects;
  };
  static thread_local Kept kept;
  const unsigned changes = clipRegionChanges.load(std::memory_order_relaxed);
  if (kept.dc != dc || kept.width != width || kept.height != height || kept.changes != changes) {
    kept.rects = readClipRects(dc, width, height);
    kept.dc = dc;
    kept.width = width;
    kept.height = height;
    kept.changes = changes;
  }
  return kept.rects;
}

// A rectangle in device pixels, as long long so that no corner overflows on the way.
struct DeviceBox {
  long long left, top, right, bottom;
};

bool drawable(const DeviceBox& box) {
  return box.left >= -kDrawableLimit && box.top >= -kDrawableLimit && box.right <= kDrawableLimit &&
         box.bottom <= kDrawableLimit;
}

// What a sprite call draws from: the sprite's pixels, or a copy of them when the sprite is
// the target itself, so that no pixel is read after the same call has written it.
struct SpriteSource {
  SpriteSource(const IMAGE& sprite, bool isTarget) {
    surface = {reinterpret_cast<const std::uint32_t*>(sprite.pixels), sprite.width, sprite.height,
               sprite.width, sprite.hasAlpha};
    if (!isTarget) return;
    copy.assign(surface.pixels, surface.pixels + static_cast<size_t>(sprite.width) * sprite.height);
    surface.pixels = copy.data();
  }
  Pixel::ConstSurface surface;
  std::vector<std::uint32_t> copy;
};

Pixel::SpriteBlend blendOf(const IMAGE& target, int flags, int opacity) {
  Pixel::SpriteBlend blend;
  blend.flags = flags & Pixel::kSpriteKnownFlags;  // unknown bits are ignored
  blend.opacity = std::min(opacity, 255);
  blend.tint = toPixelOrder(target.spriteTint) & 0x00FFFFFFu;
  return blend;
}

// Runs draw(dst, clip) once for each rectangle of the target's clip region, on the current
// target's pixels, and brings the window up to date. `box` is where the call may write, in
// device pixels. Holds the lock while the back buffer is written or read.
template <class Draw>
void drawOnTarget(const IMAGE* sprite, const DeviceBox& box, Draw draw) {
  GraphContext& g = graphContext;
  IMAGE& target = *g.currentImage;
  // GDI drawing of this thread still batched would land after the blend, or be read stale.
  GdiFlush();
  const Pixel::Surface dst = {reinterpret_cast<std::uint32_t*>(target.pixels), target.width,
                              target.height, target.width, target.hasAlpha};
  const SpriteSource source(*sprite, sprite == &target);
  const auto drawAll = [&] {
    RECT touched = {0, 0, 0, 0};
    for (const PixelRect& clip : clipRects(g.targetDc, target.width, target.height)) {
      const PixelRect cut = {static_cast<int>(std::max<long long>(clip.left, box.left)),
                             static_cast<int>(std::max<long long>(clip.top, box.top)),
                             static_cast<int>(std::min<long long>(clip.right, box.right)),
                             static_cast<int>(std::min<long long>(clip.bottom, box.bottom))};
      if (cut.left >= cut.right || cut.top >= cut.bottom) continue;
      draw(dst, cut, source.surface);
      const RECT part = {cut.left, cut.top, cut.right, cut.bottom};
      if (touched.right <= touched.left) {
        touched = part;
      } else {
        UnionRect(&touched, &touched, &part);
      }
    }
    return touched;
  };
  if (&target == &g.window) {
    drawBackBufferPixels(drawAll);
  } else {
    lockedIfWindow(sprite == &g.window, drawAll);
  }
}

// True when there is a target with pixels and a sprite with pixels to draw at this opacity.
bool canDraw(const IMAGE* sprite, int opacity) {
  const GraphContext& g = graphContext;
  return g.currentTarget != nullptr && g.currentImage != nullptr &&
         g.currentImage->pixels != nullptr && g.targetDc != nullptr && sprite != nullptr &&
         sprite->pixels != nullptr && opacity > 0;
}

}  // namespace

bool imageHasAlpha(const IMAGE* image) {
  return image != nullptr && image != &graphContext.window && image->hasAlpha;
}

void useImageAlpha(IMAGE* image, bool on) {
  // The window is shown as it is: its top byte never means anything.
  if (image != nullptr && image != &graphContext.window) image->hasAlpha = on;
}

void setSpriteTint(COLORREF color) {
  if (graphContext.currentTarget && graphContext.currentImage) {
    graphContext.currentImage->spriteTint = color & 0x00FFFFFFu;
  }
}

COLORREF getSpriteTint() {
  if (graphContext.currentTarget && graphContext.currentImage) {
    return graphContext.currentImage->spriteTint;
  }
  return CLR_INVALID;
}

void drawSprite(int x, int y, const IMAGE* sprite, int opacity) {
  if (sprite == nullptr) return;
  drawSpriteRegion(x, y, sprite->width, sprite->height, sprite, 0, 0, sprite->width, sprite->height,
                   0, opacity);
}

void drawSpriteRegion(int x, int y, int width, int height, const IMAGE* sprite, int srcX, int srcY,
                      int srcWidth, int srcHeight, int flags, int opacity) {
  if (!canDraw(sprite, opacity) || width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0) {
    return;
  }
  const XFORM& t = graphContext.currentImage->transform;
  // The corners go through the origin and scale as GDI maps a block transfer's; a negative
  // scale mirrors the sprite.
  double left = static_cast<double>(x) * t.eM11 + t.eDx;
  double right = (static_cast<double>(x) + width) * t.eM11 + t.eDx;
  double top = static_cast<double>(y) * t.eM22 + t.eDy;
  double bottom = (static_cast<double>(y) + height) * t.eM22 + t.eDy;
  if (right < left) {
    std::swap(left, right);
    flags ^= SPRITE_FLIP_X;
  }
  if (bottom < top) {
    std::swap(top, bottom);
    flags ^= SPRITE_FLIP_Y;
  }
  const DeviceBox box = {std::llround(left), std::llround(top), std::llround(right),
                         std::llround(bottom)};
  if (!drawable(box) || box.right <= box.left || box.bottom <= box.top) return;
  const Pixel::SpriteBlend blend = blendOf(*graphContext.currentImage, flags, opacity);
  drawOnTarget(
      sprite, box,
      [&](const Pixel::Surface& dst, const PixelRect& clip, const Pixel::ConstSurface& src) {
        Pixel::drawSpritePixels(dst, clip, static_cast<int>(box.left), static_cast<int>(box.top),
                                static_cast<int>(box.right - box.left),
                                static_cast<int>(box.bottom - box.top), src, srcX, srcY, srcWidth,
                                srcHeight, blend);
      });
}

void drawSpriteRotated(int centerX, int centerY, const IMAGE* sprite, double radians, double scale,
                       int flags, int opacity) {
  if (!canDraw(sprite, opacity) || !std::isfinite(radians) || !std::isfinite(scale) ||
      !(scale > 0)) {
    return;
  }
  const XFORM& t = graphContext.currentImage->transform;
  const double cx = static_cast<double>(centerX) * t.eM11 + t.eDx;
  const double cy = static_cast<double>(centerY) * t.eM22 + t.eDy;
  const double size = scale * (std::fabs(t.eM11) + std::fabs(t.eM22)) / 2;
  // A mirrored axis mirrors the sprite and turns it the other way.
  if (t.eM11 < 0) flags ^= SPRITE_FLIP_X;
  if (t.eM22 < 0) flags ^= SPRITE_FLIP_Y;
  if ((t.eM11 < 0) != (t.eM22 < 0)) radians = -radians;
  // The turned sprite's bounding box, a pixel wider on each side for the filter's reach.
  const double halfW = sprite->width * size / 2, halfH = sprite->height * size / 2;
  const double c = std::fabs(std::cos(radians)), s = std::fabs(std::sin(radians));
  const double reachX = halfW * c + halfH * s + 2, reachY = halfW * s + halfH * c + 2;
  if (!(reachX < kDrawableLimit && reachY < kDrawableLimit)) return;
  const DeviceBox box = {static_cast<long long>(std::floor(cx - reachX)),
                         static_cast<long long>(std::floor(cy - reachY)),
                         static_cast<long long>(std::ceil(cx + reachX)),
                         static_cast<long long>(std::ceil(cy + reachY))};
  if (!drawable(box)) return;
  const Pixel::SpriteBlend blend = blendOf(*graphContext.currentImage, flags, opacity);
  drawOnTarget(
      sprite, box,
      [&](const Pixel::Surface& dst, const PixelRect& clip, const Pixel::ConstSurface& src) {
        Pixel::drawSpriteRotatedPixels(dst, clip, cx, cy, src, radians, size, blend);
      });
}

}  // namespace Slate

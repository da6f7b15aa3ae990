// Block transfers between an IMAGE and the current target: captureImage copies a rectangle
// of the target into an image, drawImage and drawImageRegion draw an image onto the target.
#include "context.h"
#include "surface.h"
#include "window_target.h"

namespace Slate {

namespace {

// Copies the target's rectangle into a new surface through a scratch context that carries
// dst's world transform, so dst's coordinates apply as if it had been drawn into directly,
// and so an image can capture from itself while it is the target (its old surface is still
// selected while the copy is made).
void copyTargetInto(HBITMAP surface, const IMAGE& dst, int srcX, int srcY, int width, int height) {
  HDC scratch = CreateCompatibleDC(dst.dc);
  HGDIOBJ placeholder = SelectObject(scratch, surface);
  XFORM transform;
  GetWorldTransform(dst.dc, &transform);
  SetGraphicsMode(scratch, GM_ADVANCED);
  SetWorldTransform(scratch, &transform);
  GraphContext& g = graphContext;
  // While the window is the target its back buffer is the source.
  lockedIfWindow(g.windowDc != nullptr,
                 [&] { BitBlt(scratch, 0, 0, width, height, g.targetDc, srcX, srcY, SRCCOPY); });
  SelectObject(scratch, placeholder);
  DeleteDC(scratch);
}

}  // namespace

void captureImage(IMAGE* dst, int srcX, int srcY, int width, int height) {
  // A rectangle without area cannot become a surface; dst then keeps what it has.
  if (dst == nullptr || graphContext.targetDc == nullptr || width <= 0 || height <= 0) return;
  DWORD* pixels = nullptr;
  HBITMAP surface = createPixelSurface(width, height, &pixels);
  if (surface == nullptr) return;
  copyTargetInto(surface, *dst, srcX, srcY, width, height);
  // Replaces the old surface, or the context's initial placeholder of an empty image.
  replaceObject(dst->dc, surface);
  dst->bitmap = surface;
  dst->pixels = pixels;
  dst->width = width;
  dst->height = height;
  // The copy carries the top byte; it is alpha when the target's is.
  dst->hasAlpha = imageHasAlpha(graphContext.currentImage);
}

void drawImage(int x, int y, const IMAGE* src, DWORD rop) {
  if (src) drawImageRegion(x, y, src->width, src->height, src, 0, 0, rop);
}

void drawImageRegion(int x, int y, int width, int height, const IMAGE* src, int srcX, int srcY,
                     DWORD rop) {
  GraphContext& g = graphContext;
  // An empty image has no surface to draw from.
  if (src == nullptr || src->bitmap == nullptr || g.targetDc == nullptr) return;
  if (width <= 0 || height <= 0) return;
  auto transfer = [&](HDC dst) { BitBlt(dst, x, y, width, height, src->dc, srcX, srcY, rop); };
  if (g.windowDc) {
    drawMirrored(transfer);
  } else {
    transfer(g.targetDc);  // an image target: no window, no lock
  }
}

}  // namespace Slate

// Target state: clearing, the four colours, the mix modes, origin and aspect ratio, the clip
// region, single pixels, size and current position. The image target keeps the state in the
// current IMAGE and its own DC; the window target makes every change on the back buffer and
// the window alike.
#include <cmath>
#include <cstring>

#include "styles.h"
#include "surface.h"
#include "window_target.h"

namespace Slate {

namespace {

long long pixelCount(const IMAGE& image) {
  return static_cast<long long>(image.width) * image.height;
}

// A grey background is one byte repeated, so the whole buffer, high bytes included, is set
// by one memset; any other colour is stored pixel by pixel.
void fillWithBackground(IMAGE& image) {
  const COLORREF c = image.bkColor;
  const DWORD value = toPixelOrder(c);
  const long long count = pixelCount(image);
  if (GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c)) {
    std::memset(image.pixels, GetRValue(c), static_cast<size_t>(count) * sizeof(DWORD));
    return;
  }
  for (long long i = 0; i < count; ++i) image.pixels[i] = value;
}

// The platform keeps the clip region in device pixels, so the fill is made with no transform
// in force and the image's own transform is put back afterwards.
void fillInDevicePixels(HDC dc, HRGN region, HBRUSH brush, const XFORM& transform) {
  SetWorldTransform(dc, &graphContext.identityTransform);
  FillRgn(dc, region, brush);
  SetWorldTransform(dc, &transform);
}

// The platform refuses a singular transform; the stored one must not drift from the DC's.
bool isInvertible(const XFORM& t) {
  const double det = static_cast<double>(t.eM11) * t.eM22 - static_cast<double>(t.eM12) * t.eM21;
  return std::isfinite(det) && det != 0.0;
}

XFORM withOrigin(XFORM t, int x, int y) {
  t.eDx = static_cast<float>(x);
  t.eDy = static_cast<float>(y);
  return t;
}

XFORM withScale(XFORM t, float xScale, float yScale) {
  t.eM11 = xScale;
  t.eM22 = yScale;
  return t;
}

// The platform also refuses transforms whose determinant vanishes in its own precision (a
// scale of 1e-30): the stored transform changes only once the context has taken it.
void setImageTransform(const XFORM& t) {
  if (SetWorldTransform(graphContext.targetDc, &t)) graphContext.currentImage->transform = t;
}

// The window's transform is written under the lock: the GUI thread reads it while painting.
void setWindowTransform(const XFORM& t) {
  GraphContext& g = graphContext;
  LockGuard guard(g.lock);
  if (!SetWorldTransform(g.targetDc, &t)) return;
  if (g.windowDc && !SetWorldTransform(g.windowDc, &t)) {
    SetWorldTransform(g.targetDc, &g.window.transform);
    return;
  }
  g.window.transform = t;
}

// A handle that is not a region would leave the platform's clipping in an undefined state
// (Wine clips everything away); only null, which removes clipping, or a region is taken.
bool isRegionOrNull(HRGN region) {
  return region == nullptr || GetObjectType(region) == OBJ_REGION;
}

}  // namespace

// 1
void DrawOnImg::clearDevice() {
  IMAGE* image = graphContext.currentImage;
  if (image->pixels == nullptr || pixelCount(*image) <= 0) return;  // no surface to clear
  fillWithBackground(*image);
  this->moveTo(0, 0);
}

// 2
COLORREF DrawOnImg::getLineColor() {
  return graphContext.currentImage->lineColor;
}

// 3
void DrawOnImg::setLineColor(COLORREF color) {
  IMAGE* image = graphContext.currentImage;
  image->lineColor = color;
  this->setLineStyle(&image->lineStyle);  // rebuilds the pen in the new colour
}

// 4
COLORREF DrawOnImg::getTextColor() {
  return graphContext.currentImage->textColor;
}

// 5
void DrawOnImg::setTextColor(COLORREF color) {
  graphContext.currentImage->textColor = color;
  SetTextColor(graphContext.targetDc, color);
}

// 6
COLORREF DrawOnImg::getBkColor() {
  return graphContext.currentImage->bkColor;
}

// 7
void DrawOnImg::setBkColor(COLORREF color) {
  graphContext.currentImage->bkColor = color;
  SetBkColor(graphContext.targetDc, color);
}

// 8
int DrawOnImg::getBkMode() {
  return GetBkMode(graphContext.targetDc);
}

// 9
void DrawOnImg::setBkMode(int mode) {
  SetBkMode(graphContext.targetDc, mode);
}

// 10
void DrawOnImg::setOrigin(int x, int y) {
  setImageTransform(withOrigin(graphContext.currentImage->transform, x, y));
}

// 11
void DrawOnImg::setClipRegion(HRGN region) {
  if (isRegionOrNull(region)) SelectClipRgn(graphContext.targetDc, region);
  noteClipRegionChanged();
}

// 12
void DrawOnImg::clearClipRegion() {
  IMAGE* image = graphContext.currentImage;
  HDC dc = graphContext.targetDc;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  const int clipped = GetClipRgn(dc, region);  // 1: a region, 0: none, -1: failed
  if (clipped == 1) {
    HBRUSH brush = CreateSolidBrush(image->bkColor);
    fillInDevicePixels(dc, region, brush, image->transform);
    DeleteObject(brush);
  }
  DeleteObject(region);
  if (clipped == 0) this->clearDevice();
}

// 20
COLORREF DrawOnImg::getFillColor() {
  return graphContext.currentImage->fillColor;
}

// 21
void DrawOnImg::setFillColor(COLORREF color) {
  IMAGE* image = graphContext.currentImage;
  image->fillColor = color;
  if (image->fillStyle.style == BS_SOLID) {
    const StyleObject brush = solidBrush(color);
    if (brush.handle) selectStyleObject(graphContext.targetDc, brush);
  } else if (image->fillStyle.style == BS_HATCHED) {
    this->setFillStyle(&image->fillStyle);  // rebuilds the hatch in the new colour
  }
}

// 22
void DrawOnImg::getAspectRatio(float* xScale, float* yScale) {
  const XFORM& t = graphContext.currentImage->transform;
  if (xScale) *xScale = t.eM11;
  if (yScale) *yScale = t.eM22;
}

// 23
void DrawOnImg::setAspectRatio(float xScale, float yScale) {
  const XFORM next = withScale(graphContext.currentImage->transform, xScale, yScale);
  if (isInvertible(next)) setImageTransform(next);
}

// 24
int DrawOnImg::getRop2() {
  return GetROP2(graphContext.targetDc);
}

// 25
void DrawOnImg::setRop2(int mode) {
  SetROP2(graphContext.targetDc, mode);
}

// 26
int DrawOnImg::getPolyFillMode() {
  return GetPolyFillMode(graphContext.targetDc);
}

// 27
void DrawOnImg::setPolyFillMode(int mode) {
  SetPolyFillMode(graphContext.targetDc, mode);
}

// 28
void DrawOnImg::resetDefaults() {
  graphContext.currentImage->resetDefaults();
}

// 29
COLORREF DrawOnImg::getPixel(int x, int y) {
  return GetPixel(graphContext.targetDc, x, y);
}

// 30
void DrawOnImg::putPixel(int x, int y, COLORREF color) {
  SetPixelV(graphContext.targetDc, x, y, color);
}

// 74
int DrawOnImg::getWidth() {
  return graphContext.currentImage->width;
}

// 75
int DrawOnImg::getHeight() {
  return graphContext.currentImage->height;
}

// 76
int DrawOnImg::getCurrentX() {
  return graphContext.currentImage->currentX;
}

// 77
int DrawOnImg::getCurrentY() {
  return graphContext.currentImage->currentY;
}

// 1: the back buffer always takes the full 32-bit value, so its high bytes stay 0.
void DrawOnWnd::clearDevice() {
  GraphContext& g = graphContext;
  GraphWnd& window = g.window;
  const DWORD value = toPixelOrder(window.bkColor);
  {
    LockGuard guard(g.lock);
    for (long long i = pixelCount(window); i-- > 0;) window.pixels[i] = value;
  }
  if (!g.buffered) flushBufferedDrawing();
  moveTo(0, 0);
}

// 5
void DrawOnWnd::setTextColor(COLORREF color) {
  graphContext.currentImage->textColor = color;
  applyToBoth([&](HDC dc) { SetTextColor(dc, color); });
}

// 7
void DrawOnWnd::setBkColor(COLORREF color) {
  graphContext.window.bkColor = color;
  applyToBoth([&](HDC dc) { SetBkColor(dc, color); });
}

// 9
void DrawOnWnd::setBkMode(int mode) {
  applyToBoth([&](HDC dc) { SetBkMode(dc, mode); });
}

// 10
void DrawOnWnd::setOrigin(int x, int y) {
  setWindowTransform(withOrigin(graphContext.window.transform, x, y));
}

// 11: each context keeps its own copy of the region; the caller keeps its own.
void DrawOnWnd::setClipRegion(HRGN region) {
  if (!isRegionOrNull(region)) return;
  applyToBoth([&](HDC dc) { SelectClipRgn(dc, region); });
  noteClipRegionChanged();
}

// 12: the fill reaches the window even while buffered, like the other state changes.
void DrawOnWnd::clearClipRegion() {
  GraphContext& g = graphContext;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  int clipped;
  {
    LockGuard guard(g.lock);
    clipped = GetClipRgn(g.targetDc, region);
  }
  if (clipped == 1) {
    HBRUSH brush = CreateSolidBrush(g.window.bkColor);
    applyToBoth([&](HDC dc) { fillInDevicePixels(dc, region, brush, g.window.transform); });
    DeleteObject(brush);
    if (g.windowDc) presentWindowDrawing();
  }
  DeleteObject(region);
  if (clipped == 0) clearDevice();
}

// 21: one solid brush serves both contexts.
void DrawOnWnd::setFillColor(COLORREF color) {
  IMAGE* image = graphContext.currentImage;
  image->fillColor = color;
  if (image->fillStyle.style == BS_SOLID) {
    const StyleObject brush = solidBrush(color);
    if (brush.handle == nullptr) return;
    LockGuard guard(graphContext.lock);
    selectIntoBoth(brush);
  } else if (image->fillStyle.style == BS_HATCHED) {
    setFillStyle(&image->fillStyle);
  }
}

// 23
void DrawOnWnd::setAspectRatio(float xScale, float yScale) {
  const XFORM next = withScale(graphContext.window.transform, xScale, yScale);
  if (isInvertible(next)) setWindowTransform(next);
}

// 25
void DrawOnWnd::setRop2(int mode) {
  applyToBoth([&](HDC dc) { SetROP2(dc, mode); });
}

// 27
void DrawOnWnd::setPolyFillMode(int mode) {
  applyToBoth([&](HDC dc) { SetPolyFillMode(dc, mode); });
}

// 30
void DrawOnWnd::putPixel(int x, int y, COLORREF color) {
  drawMirrored([&](HDC dc) { SetPixelV(dc, x, y, color); });
}

}  // namespace Slate

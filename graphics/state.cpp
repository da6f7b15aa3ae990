// STUB
#include "context.h"

namespace Slate {

// 1
void DrawOnImg::clearDevice() {}

// 2
COLORREF DrawOnImg::getLineColor() {
  return 0;
}

// 3
void DrawOnImg::setLineColor(COLORREF) {}

// 4
COLORREF DrawOnImg::getTextColor() {
  return 0;
}

// 5
void DrawOnImg::setTextColor(COLORREF) {}

// 6
COLORREF DrawOnImg::getBkColor() {
  return 0;
}

// 7
void DrawOnImg::setBkColor(COLORREF) {}

// 8
int DrawOnImg::getBkMode() {
  return 0;
}

// 9
void DrawOnImg::setBkMode(int) {}

// 10
void DrawOnImg::setOrigin(int, int) {}

// 11
void DrawOnImg::setClipRegion(HRGN) {}

// 12
void DrawOnImg::clearClipRegion() {}

// 20
COLORREF DrawOnImg::getFillColor() {
  return 0;
}

// 21
void DrawOnImg::setFillColor(COLORREF) {}

// 22
void DrawOnImg::getAspectRatio(float*, float*) {}

// 23
void DrawOnImg::setAspectRatio(float, float) {}

// 24
int DrawOnImg::getRop2() {
  return 0;
}

// 25
void DrawOnImg::setRop2(int) {}

// 26
int DrawOnImg::getPolyFillMode() {
  return 0;
}

// 27
void DrawOnImg::setPolyFillMode(int) {}

// 28
void DrawOnImg::resetDefaults() {}

// 29
COLORREF DrawOnImg::getPixel(int, int) {
  return 0;
}

// 30
void DrawOnImg::putPixel(int, int, COLORREF) {}

// 74
int DrawOnImg::getWidth() {
  return 0;
}

// 75
int DrawOnImg::getHeight() {
  return 0;
}

// 76
int DrawOnImg::getCurrentX() {
  return 0;
}

// 77
int DrawOnImg::getCurrentY() {
  return 0;
}

// 1
void DrawOnWnd::clearDevice() {}

// 5
void DrawOnWnd::setTextColor(COLORREF) {}

// 7
void DrawOnWnd::setBkColor(COLORREF) {}

// 9
void DrawOnWnd::setBkMode(int) {}

// 10
void DrawOnWnd::setOrigin(int, int) {}

// 11
void DrawOnWnd::setClipRegion(HRGN) {}

// 12
void DrawOnWnd::clearClipRegion() {}

// 21
void DrawOnWnd::setFillColor(COLORREF) {}

// 23
void DrawOnWnd::setAspectRatio(float, float) {}

// 25
void DrawOnWnd::setRop2(int) {}

// 27
void DrawOnWnd::setPolyFillMode(int) {}

// 30
void DrawOnWnd::putPixel(int, int, COLORREF) {}

}  // namespace Slate

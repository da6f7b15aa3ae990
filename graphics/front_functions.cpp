// The front functions that pass each call on to the current drawing target, and the
// buffered-drawing ones, which only the window target has. Calls made before any target was
// chosen do nothing; getters then return 0, or CLR_INVALID where the result is a colour.
#include "context.h"

namespace Slate {

// Buffered drawing exists only on the window; with an image as the target these do nothing.
void beginBufferedDrawing() {
  if (windowIsTarget()) graphContext.windowTarget.beginBufferedDrawing();
}

void endBufferedDrawing() {
  if (windowIsTarget()) graphContext.windowTarget.endBufferedDrawing();
}

void endBufferedDrawing(int left, int top, int right, int bottom) {
  if (windowIsTarget()) graphContext.windowTarget.endBufferedDrawing(left, top, right, bottom);
}

void flushBufferedDrawing() {
  if (windowIsTarget()) graphContext.windowTarget.flushBufferedDrawing();
}

void flushBufferedDrawing(int left, int top, int right, int bottom) {
  if (windowIsTarget()) graphContext.windowTarget.flushBufferedDrawing(left, top, right, bottom);
}

int getWidth() {
  if (DrawOnImg* target = graphContext.currentTarget) return target->getWidth();
  return 0;
}

int getHeight() {
  if (DrawOnImg* target = graphContext.currentTarget) return target->getHeight();
  return 0;
}

void clearDevice() {
  if (DrawOnImg* target = graphContext.currentTarget) target->clearDevice();
}

COLORREF getLineColor() {
  if (DrawOnImg* target = graphContext.currentTarget) return target->getLineColor();
  return CLR_INVALID;
}

void setLineColor(COLORREF color) {
  if (DrawOnImg* target = graphContext.currentTarget) target->setLineColor(color);
}

COLORREF getTextColor() {
  if (DrawOnImg* target = graphContext.currentTarget) return target->getTextColor();
  return CLR_INVALID;
}

void setTextColor(COLORREF color) {
  if (DrawOnImg* target = graphContext.currentTarget) target->setTextColor(color);
}

COLORREF getBkColor() {
  if (DrawOnImg* target = graphContext.currentTarget) return target->getBkColor();
  return CLR_INVALID;
}

void setBkColor(COLORREF color) {
  if (DrawOnImg* target = graphContext.currentTarget) target->setBkColor(color);
}

int getBkMode() {
  if (DrawOnImg* target = graphContext.currentTarget) return target->getBkMode();
  return 0;
}

void setBkMode(int mode) {
  if (DrawOnImg* target = graphContext.currentTarget) target->setBkMode(mode);
}

COLORREF getFillColor() {
  if (DrawOnImg* target = graphContext.currentTarget) return target->getFillColor();
  return CLR_INVALID;
}

void setFillColor(COLORREF color) {
  if (DrawOnImg* target = graphContext.currentTarget) target->setFillColor(color);
}

int getRop2() {
  if (DrawOnImg* target = graphContext.currentTarget) return target->getRop2();
  return 0;
}

void setRop2(int mode) {
  if (DrawOnImg* target = graphContext.currentTarget) target->setRop2(mode);
}

int getPolyFillMode() {
  if (DrawOnImg* target = graphContext.currentTarget) return target->getPolyFillMode();
  return 0;
}

void setPolyFillMode(int mode) {
  if (DrawOnImg* target = graphContext.currentTarget) target->setPolyFillMode(mode);
}

void setOrigin(int x, int y) {
  if (DrawOnImg* target = graphContext.currentTarget) target->setOrigin(x, y);
}

void getAspectRatio(float* xScale, float* yScale) {
  if (DrawOnImg* target = graphContext.currentTarget) target->getAspectRatio(xScale, yScale);
}

void setAspectRatio(float xScale, float yScale) {
  if (DrawOnImg* target = graphContext.currentTarget) target->setAspectRatio(xScale, yScale);
}

void setClipRegion(HRGN region) {
  if (DrawOnImg* target = graphContext.currentTarget) target->setClipRegion(region);
}

void clearClipRegion() {
  if (DrawOnImg* target = graphContext.currentTarget) target->clearClipRegion();
}

void resetDefaults() {
  if (DrawOnImg* target = graphContext.currentTarget) target->resetDefaults();
}

COLORREF getPixel(int x, int y) {
  if (DrawOnImg* target = graphContext.currentTarget) return target->getPixel(x, y);
  return CLR_INVALID;
}

void putPixel(int x, int y, COLORREF color) {
  if (DrawOnImg* target = graphContext.currentTarget) target->putPixel(x, y, color);
}

void getLineStyle(LINESTYLE* out) {
  if (DrawOnImg* target = graphContext.currentTarget) target->getLineStyle(out);
}

void setLineStyle(int style, int thickness, const DWORD* pattern, DWORD count) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->setLineStyle(style, thickness, pattern, count);
}

void setLineStyle(const LINESTYLE* style) {
  if (DrawOnImg* target = graphContext.currentTarget) target->setLineStyle(style);
}

void getFillStyle(FILLSTYLE* out) {
  if (DrawOnImg* target = graphContext.currentTarget) target->getFillStyle(out);
}

void setFillStyle(int style, long hatch, IMAGE* patternImage) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->setFillStyle(style, hatch, patternImage);
}

void setFillStyle(const BYTE* pattern) {
  if (DrawOnImg* target = graphContext.currentTarget) target->setFillStyle(pattern);
}

void setFillStyle(const FILLSTYLE* style) {
  if (DrawOnImg* target = graphContext.currentTarget) target->setFillStyle(style);
}

int getCurrentX() {
  if (DrawOnImg* target = graphContext.currentTarget) return target->getCurrentX();
  return 0;
}

int getCurrentY() {
  if (DrawOnImg* target = graphContext.currentTarget) return target->getCurrentY();
  return 0;
}

void moveTo(int x, int y) {
  if (DrawOnImg* target = graphContext.currentTarget) target->moveTo(x, y);
}

void moveRel(int dx, int dy) {
  if (DrawOnImg* target = graphContext.currentTarget) target->moveRel(dx, dy);
}

void line(int x1, int y1, int x2, int y2) {
  if (DrawOnImg* target = graphContext.currentTarget) target->line(x1, y1, x2, y2);
}

void lineTo(int x, int y) {
  if (DrawOnImg* target = graphContext.currentTarget) target->lineTo(x, y);
}

void lineRel(int dx, int dy) {
  if (DrawOnImg* target = graphContext.currentTarget) target->lineRel(dx, dy);
}

void rectangle(int left, int top, int right, int bottom) {
  if (DrawOnImg* target = graphContext.currentTarget) target->rectangle(left, top, right, bottom);
}

void fillRectangle(int left, int top, int right, int bottom) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->fillRectangle(left, top, right, bottom);
}

void solidRectangle(int left, int top, int right, int bottom) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->solidRectangle(left, top, right, bottom);
}

void clearRectangle(int left, int top, int right, int bottom) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->clearRectangle(left, top, right, bottom);
}

void circle(int x, int y, int radius) {
  if (DrawOnImg* target = graphContext.currentTarget) target->circle(x, y, radius);
}

void fillCircle(int x, int y, int radius) {
  if (DrawOnImg* target = graphContext.currentTarget) target->fillCircle(x, y, radius);
}

void solidCircle(int x, int y, int radius) {
  if (DrawOnImg* target = graphContext.currentTarget) target->solidCircle(x, y, radius);
}

void clearCircle(int x, int y, int radius) {
  if (DrawOnImg* target = graphContext.currentTarget) target->clearCircle(x, y, radius);
}

void ellipse(int left, int top, int right, int bottom) {
  if (DrawOnImg* target = graphContext.currentTarget) target->ellipse(left, top, right, bottom);
}

void fillEllipse(int left, int top, int right, int bottom) {
  if (DrawOnImg* target = graphContext.currentTarget) target->fillEllipse(left, top, right, bottom);
}

void solidEllipse(int left, int top, int right, int bottom) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->solidEllipse(left, top, right, bottom);
}

void clearEllipse(int left, int top, int right, int bottom) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->clearEllipse(left, top, right, bottom);
}

void roundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->roundRect(left, top, right, bottom, ellipseWidth, ellipseHeight);
}

void fillRoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->fillRoundRect(left, top, right, bottom, ellipseWidth, ellipseHeight);
}

void solidRoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->solidRoundRect(left, top, right, bottom, ellipseWidth, ellipseHeight);
}

void clearRoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->clearRoundRect(left, top, right, bottom, ellipseWidth, ellipseHeight);
}

void arc(int left, int top, int right, int bottom, double startAngle, double endAngle) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->arc(left, top, right, bottom, startAngle, endAngle);
}

void pie(int left, int top, int right, int bottom, double startAngle, double endAngle) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->pie(left, top, right, bottom, startAngle, endAngle);
}

void fillPie(int left, int top, int right, int bottom, double startAngle, double endAngle) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->fillPie(left, top, right, bottom, startAngle, endAngle);
}

void solidPie(int left, int top, int right, int bottom, double startAngle, double endAngle) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->solidPie(left, top, right, bottom, startAngle, endAngle);
}

void clearPie(int left, int top, int right, int bottom, double startAngle, double endAngle) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->clearPie(left, top, right, bottom, startAngle, endAngle);
}

void arcEndpoints(int left, int top, int right, int bottom, double startAngle, double endAngle,
                  int* x1, int* y1, int* x2, int* y2) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->arcEndpoints(left, top, right, bottom, startAngle, endAngle, x1, y1, x2, y2);
}

void polyline(const POINT* points, int count) {
  if (DrawOnImg* target = graphContext.currentTarget) target->polyline(points, count);
}

void polygon(const POINT* points, int count) {
  if (DrawOnImg* target = graphContext.currentTarget) target->polygon(points, count);
}

void fillPolygon(const POINT* points, int count) {
  if (DrawOnImg* target = graphContext.currentTarget) target->fillPolygon(points, count);
}

void solidPolygon(const POINT* points, int count) {
  if (DrawOnImg* target = graphContext.currentTarget) target->solidPolygon(points, count);
}

void clearPolygon(const POINT* points, int count) {
  if (DrawOnImg* target = graphContext.currentTarget) target->clearPolygon(points, count);
}

void floodFill(int x, int y, COLORREF border) {
  if (DrawOnImg* target = graphContext.currentTarget) target->floodFill(x, y, border);
}

void writeText(const wchar_t* text) {
  if (DrawOnImg* target = graphContext.currentTarget) target->writeText(text);
}

void writeTextAt(int x, int y, const wchar_t* text) {
  if (DrawOnImg* target = graphContext.currentTarget) target->writeTextAt(x, y, text);
}

int writeTextInRect(const wchar_t* text, RECT* rect, UINT format) {
  if (DrawOnImg* target = graphContext.currentTarget)
    return target->writeTextInRect(text, rect, format);
  return 0;
}

int textWidth(const wchar_t* text) {
  if (DrawOnImg* target = graphContext.currentTarget) return target->textWidth(text);
  return 0;
}

int textHeight(const wchar_t* text) {
  if (DrawOnImg* target = graphContext.currentTarget) return target->textHeight(text);
  return 0;
}

void setTextStyle(const LOGFONTW* font) {
  if (DrawOnImg* target = graphContext.currentTarget) target->setTextStyle(font);
}

void setTextStyle(int height, int width, const wchar_t* face) {
  if (DrawOnImg* target = graphContext.currentTarget) target->setTextStyle(height, width, face);
}

void setTextStyle(int height, int width, const wchar_t* face, int escapement, int orientation,
                  int weight, int italic, int underline, int strikeOut) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->setTextStyle(height, width, face, escapement, orientation, weight, italic, underline,
                         strikeOut);
}

void setTextStyle(int height, int width, const wchar_t* face, int escapement, int orientation,
                  int weight, int italic, int underline, int strikeOut, int charSet,
                  int outPrecision, int clipPrecision, int quality, int pitchAndFamily) {
  if (DrawOnImg* target = graphContext.currentTarget)
    target->setTextStyle(height, width, face, escapement, orientation, weight, italic, underline,
                         strikeOut, charSet, outPrecision, clipPrecision, quality, pitchAndFamily);
}

void getTextStyle(LOGFONTW* out) {
  if (DrawOnImg* target = graphContext.currentTarget) target->getTextStyle(out);
}

}  // namespace Slate

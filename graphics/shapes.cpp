// Lines and shapes: the current position, lines, arcs, polylines, flood fill and the closed
// shapes. Each closed shape has one platform call, its fill variant; the outline, solid and
// clear variants switch the fill or the outline off around that call through the interface,
// so on the window target they reach the window's own primitives and style setters.
#include "shapes.h"

#include <climits>
#include <cmath>
#include <utility>

#include "context.h"
#include "drawable_range.h"
#include "style_objects.h"
#include "window_target.h"

namespace Slate {

namespace {

HDC targetDc() {
  return graphContext.targetDc;
}

IMAGE& currentImage() {
  return *graphContext.currentImage;
}

// Wine's flood fill goes one call deeper for each row it spreads into, and overflows an
// ordinary thread's stack on surfaces some 13,000 rows tall. Taller surfaces are filled on a
// thread of their own whose stack has room for every row (reserved address space, committed
// only as deep as the fill goes); when no such thread can be had the fill is refused.
constexpr int kRowsForAnOrdinaryStack = 4096;
constexpr SIZE_T kStackBytesPerRow = 256;

struct FloodFillCall {
  HDC dc;
  int x;
  int y;
  COLORREF border;
};

DWORD WINAPI floodFillOnItsOwnStack(void* param) {
  const FloodFillCall* call = static_cast<const FloodFillCall*>(param);
  ExtFloodFill(call->dc, call->x, call->y, call->border, FLOODFILLBORDER);
  GdiFlush();
  return 0;
}

void floodFillOn(HDC dc, int x, int y, COLORREF border, int rows) {
  if (rows <= kRowsForAnOrdinaryStack) {
    ExtFloodFill(dc, x, y, border, FLOODFILLBORDER);
    return;
  }
  FloodFillCall call{dc, x, y, border};
  const SIZE_T stack = (static_cast<SIZE_T>(rows) + kRowsForAnOrdinaryStack) * kStackBytesPerRow;
  HANDLE thread = CreateThread(nullptr, stack, floodFillOnItsOwnStack, &call,
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) return;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

bool drawablePoints(const POINT* points, int count) {
  return points != nullptr && count > 0;
}

void circleOn(HDC dc, int x, int y, int radius) {
  Ellipse(dc, x - radius, y - radius, x + radius, y + radius);
}

// Every line and shape reaches the platform through one of these two, and so through the
// one range check: the image target draws on its context, the window target mirrors.
bool drawable(const ShapeBounds& bounds) {
  return bounds.drawableThrough(currentImage().transform);
}

template <class Draw>
void drawOnImage(const ShapeBounds& bounds, Draw draw) {
  if (drawable(bounds)) draw(targetDc());
}

template <class Draw>
void drawOnWindow(const ShapeBounds& bounds, Draw draw) {
  if (drawable(bounds)) drawMirrored(draw);
}

// A rectangle clipped to the drawable range, and its bounds once clipped.
struct ClippedRectangle {
  ClippedRectangle(long long left, long long top, long long right, long long bottom)
      : r(clippedToDrawable(ShapeBounds::box(left, top, right, bottom), currentImage().transform)),
        bounds(ShapeBounds::box(r.left, r.top, r.right, r.bottom)) {}
  void drawOn(HDC dc) const { Rectangle(dc, r.left, r.top, r.right, r.bottom); }
  RECT r;
  ShapeBounds bounds;
};

struct ArcPoints {
  int x1 = 0;
  int y1 = 0;
  int x2 = 0;
  int y2 = 0;
};

ArcPoints arcPointsOf(DrawOnImg& target, int left, int top, int right, int bottom, double start,
                      double end) {
  ArcPoints p;
  target.arcEndpoints(left, top, right, bottom, start, end, &p.x1, &p.y1, &p.x2, &p.y2);
  return p;
}

// The outline variant: the shape with the fill switched off for one call.
template <class Fill>
void outlineOnly(DrawOnImg& target, Fill fill) {
  const ParkingStyles parking;  // the styles switched off come back for the restore
  FILLSTYLE saved;
  target.getFillStyle(&saved);
  const bool change = saved.style != BS_NULL;
  if (change) target.setFillStyle(BS_NULL, 0, nullptr);
  fill();
  if (change) target.setFillStyle(&saved);
}

// The solid variant: the shape with the outline switched off for one call.
template <class Fill>
void insideOnly(DrawOnImg& target, Fill fill) {
  const ParkingStyles parking;  // the styles switched off come back for the restore
  LINESTYLE saved;
  target.getLineStyle(&saved);
  const bool change = saved.style != PS_NULL;
  if (change) target.setLineStyle(PS_NULL, 1, nullptr, 0);
  fill();
  if (change) target.setLineStyle(&saved);
}

// The clear variant: the solid shape copied in the background colour with a plain brush,
// whatever the raster operation; everything changed is put back.
template <class Solid>
void inBackgroundColour(DrawOnImg& target, Solid solid) {
  const ParkingStyles parking;  // the styles switched off come back for the restore
  const int rop = target.getRop2();
  const COLORREF fillColor = target.getFillColor();
  FILLSTYLE saved;
  target.getFillStyle(&saved);
  if (rop != R2_COPYPEN) target.setRop2(R2_COPYPEN);
  const COLORREF background = target.getBkColor();
  const bool recolour = background != fillColor;
  if (recolour) target.setFillColor(background);
  const bool restyle = saved.style != BS_SOLID;
  if (restyle) target.setFillStyle(BS_SOLID, 0, nullptr);
  solid();
  if (recolour) target.setFillColor(fillColor);
  if (restyle) target.setFillStyle(&saved);
  if (rop != R2_COPYPEN) target.setRop2(rop);
}

}  // namespace

int roundHalfAwayFromZero(double value) {
  return static_cast<int>(value < 0 ? value - 0.5 : value + 0.5);
}

int offsetPosition(int position, int delta) {
  const long long moved = static_cast<long long>(position) + delta;
  return moved > INT_MAX ? INT_MAX : moved < INT_MIN ? INT_MIN : static_cast<int>(moved);
}

// 31
void DrawOnImg::moveTo(int x, int y) {
  MoveToEx(targetDc(), x, y, nullptr);
  currentImage().currentX = x;
  currentImage().currentY = y;
}

// 32
void DrawOnImg::moveRel(int dx, int dy) {
  moveTo(offsetPosition(currentImage().currentX, dx), offsetPosition(currentImage().currentY, dy));
}

// 33
void DrawOnImg::line(int x1, int y1, int x2, int y2) {
  drawOnImage(ShapeBounds::box(x1, y1, x2, y2), [&](HDC dc) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
  });
}

// 34
void DrawOnImg::lineRel(int dx, int dy) {
  lineTo(offsetPosition(currentImage().currentX, dx), offsetPosition(currentImage().currentY, dy));
}

// 35: a line the platform cannot draw leaves the position where it was, too.
void DrawOnImg::lineTo(int x, int y) {
  if (!drawable(ShapeBounds::box(currentImage().currentX, currentImage().currentY, x, y))) return;
  line(currentImage().currentX, currentImage().currentY, x, y);
  currentImage().currentX = x;
  currentImage().currentY = y;
}

// 36
void DrawOnImg::rectangle(int left, int top, int right, int bottom) {
  outlineOnly(*this, [&] { fillRectangle(left, top, right, bottom); });
}

// 37
void DrawOnImg::fillRectangle(int left, int top, int right, int bottom) {
  const ClippedRectangle clipped(left, top, right, bottom);
  drawOnImage(clipped.bounds, [&](HDC dc) { clipped.drawOn(dc); });
}

// 38: with the null pen the platform leaves out the right column and bottom row, so they
// are added back and both given corners are painted. The corners are clipped first, so the
// one added never overflows.
void DrawOnImg::solidRectangle(int left, int top, int right, int bottom) {
  const RECT r =
      clippedToDrawable(ShapeBounds::box(left, top, right, bottom), currentImage().transform);
  insideOnly(*this, [&] { fillRectangle(r.left, r.top, r.right + 1, r.bottom + 1); });
}

// 39
void DrawOnImg::clearRectangle(int left, int top, int right, int bottom) {
  inBackgroundColour(*this, [&] { solidRectangle(left, top, right, bottom); });
}

// 40
void DrawOnImg::arcEndpoints(int left, int top, int right, int bottom, double startAngle,
                             double endAngle, int* x1, int* y1, int* x2, int* y2) {
  if (!x1 || !y1 || !x2 || !y2) return;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  // Halves in integers, widened so that no box overflows.
  const double rx = static_cast<double>((static_cast<long long>(right) - left) / 2);
  const double ry = static_cast<double>((static_cast<long long>(bottom) - top) / 2);
  const double cx = left + rx;
  const double cy = top + ry;
  const auto pointAt = [&](double angle, int* x, int* y) {
    if (!std::isfinite(angle)) angle = 0.0;  // keeps the point on the box, never undefined
    const double px = angle == 0.0 ? cx + rx : cx + rx * std::cos(angle);
    const double py = angle == 0.0 ? cy : cy - ry * std::sin(angle);
    *x = roundHalfAwayFromZero(px);
    *y = roundHalfAwayFromZero(py);
  };
  pointAt(startAngle, x1, y1);
  pointAt(endAngle, x2, y2);
}

// 41
void DrawOnImg::circle(int x, int y, int radius) {
  outlineOnly(*this, [&] { fillCircle(x, y, radius); });
}

// 42
void DrawOnImg::fillCircle(int x, int y, int radius) {
  drawOnImage(ShapeBounds::circle(x, y, radius), [&](HDC dc) { circleOn(dc, x, y, radius); });
}

// 43
void DrawOnImg::solidCircle(int x, int y, int radius) {
  insideOnly(*this, [&] { fillCircle(x, y, radius); });
}

// 44
void DrawOnImg::clearCircle(int x, int y, int radius) {
  inBackgroundColour(*this, [&] { solidCircle(x, y, radius); });
}

// 45
void DrawOnImg::ellipse(int left, int top, int right, int bottom) {
  outlineOnly(*this, [&] { fillEllipse(left, top, right, bottom); });
}

// 46
void DrawOnImg::fillEllipse(int left, int top, int right, int bottom) {
  drawOnImage(ShapeBounds::box(left, top, right, bottom),
              [&](HDC dc) { Ellipse(dc, left, top, right, bottom); });
}

// 47
void DrawOnImg::solidEllipse(int left, int top, int right, int bottom) {
  insideOnly(*this, [&] { fillEllipse(left, top, right, bottom); });
}

// 48
void DrawOnImg::clearEllipse(int left, int top, int right, int bottom) {
  inBackgroundColour(*this, [&] { solidEllipse(left, top, right, bottom); });
}

// 49
void DrawOnImg::roundRect(int left, int top, int right, int bottom, int ellipseWidth,
                          int ellipseHeight) {
  outlineOnly(*this, [&] { fillRoundRect(left, top, right, bottom, ellipseWidth, ellipseHeight); });
}

// 50
void DrawOnImg::fillRoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                              int ellipseHeight) {
  drawOnImage(ShapeBounds::box(left, top, right, bottom), [&](HDC dc) {
    RoundRect(dc, left, top, right, bottom, ellipseWidth, ellipseHeight);
  });
}

// 51
void DrawOnImg::solidRoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                               int ellipseHeight) {
  insideOnly(*this, [&] { fillRoundRect(left, top, right, bottom, ellipseWidth, ellipseHeight); });
}

// 52
void DrawOnImg::clearRoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                               int ellipseHeight) {
  inBackgroundColour(
      *this, [&] { solidRoundRect(left, top, right, bottom, ellipseWidth, ellipseHeight); });
}

// 53
void DrawOnImg::arc(int left, int top, int right, int bottom, double startAngle, double endAngle) {
  const ArcPoints p = arcPointsOf(*this, left, top, right, bottom, startAngle, endAngle);
  drawOnImage(ShapeBounds::box(left, top, right, bottom),
              [&](HDC dc) { Arc(dc, left, top, right, bottom, p.x1, p.y1, p.x2, p.y2); });
}

// 54
void DrawOnImg::pie(int left, int top, int right, int bottom, double startAngle, double endAngle) {
  outlineOnly(*this, [&] { fillPie(left, top, right, bottom, startAngle, endAngle); });
}

// 55
void DrawOnImg::fillPie(int left, int top, int right, int bottom, double startAngle,
                        double endAngle) {
  const ArcPoints p = arcPointsOf(*this, left, top, right, bottom, startAngle, endAngle);
  drawOnImage(ShapeBounds::box(left, top, right, bottom),
              [&](HDC dc) { Pie(dc, left, top, right, bottom, p.x1, p.y1, p.x2, p.y2); });
}

// 56
void DrawOnImg::solidPie(int left, int top, int right, int bottom, double startAngle,
                         double endAngle) {
  insideOnly(*this, [&] { fillPie(left, top, right, bottom, startAngle, endAngle); });
}

// 57
void DrawOnImg::clearPie(int left, int top, int right, int bottom, double startAngle,
                         double endAngle) {
  inBackgroundColour(*this, [&] { solidPie(left, top, right, bottom, startAngle, endAngle); });
}

// 58
void DrawOnImg::polyline(const POINT* points, int count) {
  if (!drawablePoints(points, count)) return;
  drawOnImage(ShapeBounds::points(points, count), [&](HDC dc) { Polyline(dc, points, count); });
}

// 59
void DrawOnImg::polygon(const POINT* points, int count) {
  if (!drawablePoints(points, count)) return;  // before the wrapper swaps pen or brush
  outlineOnly(*this, [&] { fillPolygon(points, count); });
}

// 60
void DrawOnImg::fillPolygon(const POINT* points, int count) {
  if (!drawablePoints(points, count)) return;
  drawOnImage(ShapeBounds::points(points, count), [&](HDC dc) { Polygon(dc, points, count); });
}

// 61
void DrawOnImg::solidPolygon(const POINT* points, int count) {
  if (!drawablePoints(points, count)) return;  // before the wrapper swaps pen or brush
  insideOnly(*this, [&] { fillPolygon(points, count); });
}

// 62
void DrawOnImg::clearPolygon(const POINT* points, int count) {
  if (!drawablePoints(points, count)) return;  // before the wrapper swaps pen or brush
  inBackgroundColour(*this, [&] { solidPolygon(points, count); });
}

// 63
void DrawOnImg::floodFill(int x, int y, COLORREF border) {
  floodFillOn(targetDc(), x, y, border, currentImage().height);
}

// 31: both contexts and the stored position move together.
void DrawOnWnd::moveTo(int x, int y) {
  GraphContext& g = graphContext;
  LockGuard guard(g.lock);
  MoveToEx(g.targetDc, x, y, nullptr);
  if (g.windowDc) MoveToEx(g.windowDc, x, y, nullptr);
  g.currentImage->currentX = x;
  g.currentImage->currentY = y;
}

// 33: while buffered the window's current point still follows, so that a later unbuffered
// line from the current point starts at the same place on both.
void DrawOnWnd::line(int x1, int y1, int x2, int y2) {
  GraphContext& g = graphContext;
  drawOnWindow(ShapeBounds::box(x1, y1, x2, y2), [&](HDC dc) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    if (dc == g.targetDc && g.buffered && g.windowDc) MoveToEx(g.windowDc, x2, y2, nullptr);
  });
}

// 35
void DrawOnWnd::lineTo(int x, int y) {
  DrawOnImg::lineTo(x, y);  // reaches this target's line through the interface
}

// 37
void DrawOnWnd::fillRectangle(int left, int top, int right, int bottom) {
  const ClippedRectangle clipped(left, top, right, bottom);
  drawOnWindow(clipped.bounds, [&](HDC dc) { clipped.drawOn(dc); });
}

// 42
void DrawOnWnd::fillCircle(int x, int y, int radius) {
  drawOnWindow(ShapeBounds::circle(x, y, radius), [&](HDC dc) { circleOn(dc, x, y, radius); });
}

// 46
void DrawOnWnd::fillEllipse(int left, int top, int right, int bottom) {
  drawOnWindow(ShapeBounds::box(left, top, right, bottom),
               [&](HDC dc) { Ellipse(dc, left, top, right, bottom); });
}

// 50
void DrawOnWnd::fillRoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                              int ellipseHeight) {
  drawOnWindow(ShapeBounds::box(left, top, right, bottom), [&](HDC dc) {
    RoundRect(dc, left, top, right, bottom, ellipseWidth, ellipseHeight);
  });
}

// 53: the end points come from this target's own slot, before the lock is taken.
void DrawOnWnd::arc(int left, int top, int right, int bottom, double startAngle, double endAngle) {
  const ArcPoints p = arcPointsOf(*this, left, top, right, bottom, startAngle, endAngle);
  drawOnWindow(ShapeBounds::box(left, top, right, bottom),
               [&](HDC dc) { Arc(dc, left, top, right, bottom, p.x1, p.y1, p.x2, p.y2); });
}

// 55
void DrawOnWnd::fillPie(int left, int top, int right, int bottom, double startAngle,
                        double endAngle) {
  const ArcPoints p = arcPointsOf(*this, left, top, right, bottom, startAngle, endAngle);
  drawOnWindow(ShapeBounds::box(left, top, right, bottom),
               [&](HDC dc) { Pie(dc, left, top, right, bottom, p.x1, p.y1, p.x2, p.y2); });
}

// 58
void DrawOnWnd::polyline(const POINT* points, int count) {
  if (!drawablePoints(points, count)) return;
  drawOnWindow(ShapeBounds::points(points, count), [&](HDC dc) { Polyline(dc, points, count); });
}

// 60
void DrawOnWnd::fillPolygon(const POINT* points, int count) {
  if (!drawablePoints(points, count)) return;
  drawOnWindow(ShapeBounds::points(points, count), [&](HDC dc) { Polygon(dc, points, count); });
}

// 63
void DrawOnWnd::floodFill(int x, int y, COLORREF border) {
  const int rows = graphContext.currentImage->height;
  drawMirrored([&](HDC dc) { floodFillOn(dc, x, y, border, rows); });
}

}  // namespace Slate

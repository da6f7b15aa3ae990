// The coordinates the platform can draw. GDI in advanced graphics mode takes 27-bit signed
// coordinates, before and after the world transform, and Wine crashes inside the platform on
// some shapes beyond them. Shapes that reach outside are not drawn; rectangles are clipped to
// the range instead, since how far a corner lies off the surface does not change what shows.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cmath>

namespace Slate {

constexpr long long kDrawableLimit = (1LL << 27) - 1;

// The box a shape's coordinates span, in logical units, widened so that no sum overflows.
struct ShapeBounds {
  long long left;
  long long top;
  long long right;
  long long bottom;

  // Any two corners, in any order.
  static ShapeBounds box(long long x1, long long y1, long long x2, long long y2) {
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
  }
  static ShapeBounds circle(int x, int y, int radius) {
    return box(static_cast<long long>(x) - radius, static_cast<long long>(y) - radius,
               static_cast<long long>(x) + radius, static_cast<long long>(y) + radius);
  }
  // The caller has made sure the list holds at least one point.
  static ShapeBounds points(const POINT* list, int count) {
    ShapeBounds b = box(list[0].x, list[0].y, list[0].x, list[0].y);
    for (int i = 1; i < count; ++i) {
      b.left = std::min<long long>(b.left, list[i].x);
      b.right = std::max<long long>(b.right, list[i].x);
      b.top = std::min<long long>(b.top, list[i].y);
      b.bottom = std::max<long long>(b.bottom, list[i].y);
    }
    return b;
  }

  // Every corner lies in the range, as given and once transformed. An affine transform
  // takes a box's extremes to the images of its corners, so the corners suffice.
  bool drawableThrough(const XFORM& t) const {
    const auto inRange = [](double v) { return std::fabs(v) <= kDrawableLimit; };  // NaN: no
    for (const long long x : {left, right}) {
      for (const long long y : {top, bottom}) {
        const double fx = static_cast<double>(x);
        const double fy = static_cast<double>(y);
        if (!inRange(fx) || !inRange(fy) || !inRange(fx * t.eM11 + fy * t.eM21 + t.eDx) ||
            !inRange(fx * t.eM12 + fy * t.eM22 + t.eDy)) {
          return false;
        }
      }
    }
    return true;
  }
};

// A rectangle's corners moved into the range along each axis, so that they stay there once
// scaled and moved by the transform. The result is checked like any shape afterwards: a
// transform that leaves no room, or one that shears, still refuses it.
inline RECT clippedToDrawable(const ShapeBounds& b, const XFORM& t) {
  const auto clamp = [](long long v, double scale, double offset) {
    double low = -kDrawableLimit;
    double high = kDrawableLimit;
    if (scale != 0.0 && std::isfinite(scale) && std::isfinite(offset)) {
      double a = (-kDrawableLimit - offset) / scale;
      double c = (kDrawableLimit - offset) / scale;
      if (a > c) std::swap(a, c);
      low = std::max(low, std::ceil(a));
      high = std::min(high, std::floor(c));
    }
    if (low > high) return 0L;  // nothing of this axis can be drawn: left to the check
    return static_cast<LONG>(std::clamp(static_cast<double>(v), low, high));
  };
  return {clamp(b.left, t.eM11, t.eDx), clamp(b.top, t.eM22, t.eDy), clamp(b.right, t.eM11, t.eDx),
          clamp(b.bottom, t.eM22, t.eDy)};
}

}  // namespace Slate

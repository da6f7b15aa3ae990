// Clamping a window's first position into its monitor's work area.
#include "work_area.h"

namespace Slate {

namespace {

// The start of a span of `length` moved into [low, high), its start kept on the range when
// it is too long to fit.
LONG insideRange(LONG start, LONG length, LONG low, LONG high) {
  if (start + length > high) start = high - length;
  return start < low ? low : start;
}

}  // namespace

POINT insideWorkArea(POINT topLeft, SIZE outer, HMONITOR monitor) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return topLeft;
  const RECT& work = info.rcWork;
  return {insideRange(topLeft.x, outer.cx, work.left, work.right),
          insideRange(topLeft.y, outer.cy, work.top, work.bottom)};
}

}  // namespace Slate

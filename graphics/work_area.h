// Where a window may stand: inside the work area of the monitor it is placed on. The process
// stays DPI-unaware on purpose (the manifest declares no awareness): its coordinates are
// exact pixels of its own, and Windows scales the whole window on a high-DPI monitor, so
// the work area is read in those same unaware coordinates.
#pragma once

#include <windows.h>

namespace Slate {

// The top-left that keeps a window of this outer size inside the work area (the monitor less
// its taskbar and docked bars) of `monitor`. A window larger than the work area keeps its
// top-left corner on it. `topLeft` itself when the monitor is unknown.
POINT insideWorkArea(POINT topLeft, SIZE outer, HMONITOR monitor);

}  // namespace Slate

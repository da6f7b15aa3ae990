// Where a window may stand: inside the work area of the monitor it is placed on.
#pragma once

#include <windows.h>

namespace Slate {

// The top-left that keeps a window of this outer size inside the work area (the monitor less
// its taskbar and docked bars) of the monitor nearest to `topLeft`. A window larger than the
// work area keeps its top-left corner on it. `topLeft` itself when the monitor is unknown.
POINT insideWorkArea(POINT topLeft, SIZE outer);

}  // namespace Slate

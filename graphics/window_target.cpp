// STUB
#include "context.h"

namespace Slate {

DrawOnImg::~DrawOnImg() {}

DrawOnWnd::~DrawOnWnd() {}

// 78
HWND DrawOnWnd::openWindow(int, int, int) {
  return 0;
}

// 79
void DrawOnWnd::closeWindow() {}

// 80
void DrawOnWnd::beginBufferedDrawing() {}

// 81
void DrawOnWnd::flushBufferedDrawing(int, int, int, int) {}

// 82
void DrawOnWnd::flushBufferedDrawing() {}

// 83
void DrawOnWnd::endBufferedDrawing(int, int, int, int) {}

// 84
void DrawOnWnd::endBufferedDrawing() {}

}  // namespace Slate

// STUB
#include "context.h"
#include "surface.h"
#include "window_target.h"

namespace Slate {

// Placeholders so the library links until the window target lands.
void presentWindowDrawing() {}

void selectIntoBoth(HGDIOBJ object) {
  replaceObject(graphContext.targetDc, object);
}

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

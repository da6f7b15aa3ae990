// STUB: GraphWnd, the GUI thread and the window procedure.
#include "context.h"

namespace Slate {

GraphWnd* GraphWnd::instance = nullptr;
HWND GraphWnd::consoleWindow = nullptr;
bool GraphWnd::readerWaiting = false;

GraphWnd::GraphWnd() : IMAGE(0, 0) {
  wakeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  instance = this;
}

GraphWnd::~GraphWnd() {
  close();
  if (wakeEvent) CloseHandle(wakeEvent);
}

void GraphWnd::resetDefaults() {
  IMAGE::resetDefaults();
}

void GraphWnd::resize(int width, int height) {
  IMAGE::resize(width, height);
}

HWND GraphWnd::open(int, int, int) {
  return nullptr;
}

void GraphWnd::close() {}

MOUSEMSG GraphWnd::nextMouseMessage() {
  return MOUSEMSG{};
}

}  // namespace Slate

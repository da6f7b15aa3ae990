// The window target's own slots (opening, closing, buffered drawing and its flushes) and
// the helpers every window override shares.
#include "window_target.h"

#include <climits>
#include <cstring>

namespace Slate {

namespace {

// right - left + 1 without overflow; the caller has made sure right >= left.
int inclusiveSpan(int first, int last) {
  const long long span = static_cast<long long>(last) - first + 1;
  return span > INT_MAX ? INT_MAX : static_cast<int>(span);
}

// Under the lock, copy(windowDc, backBufferDc) brings the window up to date; then the
// window is told to show it. Nothing happens while no window is open.
template <class Copy>
void copyToWindow(Copy copy) {
  GraphContext& g = graphContext;
  {
    LockGuard guard(g.lock);
    if (!g.windowDc) return;
    copy(g.windowDc, g.targetDc);
  }
  presentWindowDrawing();
}

}  // namespace

void presentWindowDrawing() {
  HWND window = graphContext.window.hwnd;
  if (!window || GraphWnd::presentPending.exchange(true)) return;  // one on its way suffices
  if (!PostMessageW(window, WM_NULL, 0, 0)) GraphWnd::presentPending = false;
}

void selectIntoBoth(const StyleObject& made) {
  GraphContext& g = graphContext;
  HGDIOBJ fromBack = SelectObject(g.targetDc, made.handle);
  HGDIOBJ fromWindow = g.windowDc ? SelectObject(g.windowDc, made.handle) : nullptr;
  if (fromBack && fromBack != made.handle) releaseObject(g.targetDc, fromBack);
  if (fromWindow && fromWindow != made.handle && fromWindow != fromBack) DeleteObject(fromWindow);
  noteSelected(g.targetDc, made);
}

void selectIntoBoth(HGDIOBJ object) {
  if (!object) return;
  StyleObject made;  // a font: no key describes it, so the one it replaces is deleted
  made.handle = object;
  selectIntoBoth(made);
}

void copyDevicePixelsToWindow(const RECT& pixels) {
  GraphContext& g = graphContext;
  const bool identity = std::memcmp(&g.window.transform, &g.identityTransform, sizeof(XFORM)) == 0;
  if (!identity) {
    SetWorldTransform(g.targetDc, &g.identityTransform);
    SetWorldTransform(g.windowDc, &g.identityTransform);
  }
  BitBlt(g.windowDc, pixels.left, pixels.top, pixels.right - pixels.left,
         pixels.bottom - pixels.top, g.targetDc, pixels.left, pixels.top, SRCCOPY);
  if (!identity) {
    SetWorldTransform(g.targetDc, &g.window.transform);
    SetWorldTransform(g.windowDc, &g.window.transform);
  }
}

DrawOnImg::~DrawOnImg() {}

DrawOnWnd::~DrawOnWnd() {}

// 78
HWND DrawOnWnd::openWindow(int width, int height, int flags) {
  GraphContext& g = graphContext;
  HWND handle = g.window.open(width, height, flags);
  if (!handle) return nullptr;
  g.currentImage = &g.window;
  g.currentTarget = this;
  resetDefaults();
  {
    LockGuard guard(g.lock);
    std::memset(g.window.pixels, 0, static_cast<size_t>(g.window.width) * g.window.height * 4);
  }
  flushBufferedDrawing();
  return handle;
}

// 79
void DrawOnWnd::closeWindow() {
  graphContext.window.close();
}

// 80
void DrawOnWnd::beginBufferedDrawing() {
  graphContext.buffered = true;
}

// 81: the rectangle includes its right column and bottom row, in logical coordinates.
void DrawOnWnd::flushBufferedDrawing(int left, int top, int right, int bottom) {
  if (right < left || bottom < top) return;  // an empty rectangle copies nothing
  const int width = inclusiveSpan(left, right);
  const int height = inclusiveSpan(top, bottom);
  copyToWindow([&](HDC windowDc, HDC backDc) {
    BitBlt(windowDc, left, top, width, height, backDc, left, top, SRCCOPY);
  });
}

// 82: the whole back buffer, pixel for pixel, whatever origin or scale is in force.
void DrawOnWnd::flushBufferedDrawing() {
  GraphContext& g = graphContext;
  copyToWindow([&](HDC windowDc, HDC backDc) {
    // With no origin or scale in force the transforms need not be touched at all.
    const bool identity =
        std::memcmp(&g.window.transform, &g.identityTransform, sizeof(XFORM)) == 0;
    if (!identity) {
      SetWorldTransform(backDc, &g.identityTransform);
      SetWorldTransform(windowDc, &g.identityTransform);
    }
    BitBlt(windowDc, 0, 0, g.window.width, g.window.height, backDc, 0, 0, SRCCOPY);
    if (!identity) {
      SetWorldTransform(backDc, &g.window.transform);
      SetWorldTransform(windowDc, &g.window.transform);
    }
  });
}

// 83
void DrawOnWnd::endBufferedDrawing(int left, int top, int right, int bottom) {
  flushBufferedDrawing(left, top, right, bottom);
  graphContext.buffered = false;
}

// 84
void DrawOnWnd::endBufferedDrawing() {
  flushBufferedDrawing();
  graphContext.buffered = false;
}

}  // namespace Slate

// The two shapes of code every window-target override is built from.
//
// Pattern A, mirrored drawing: under the lock, make the drawing call on the window (unless
// buffered drawing is on) and the same call on the back buffer.
// Pattern B, state on both contexts: under the lock, apply the same state change to the back
// buffer and to the window whether or not drawing is buffered, so the two always draw alike.
#pragma once

#include "context.h"
#include "style_objects.h"

namespace Slate {

// Wine copies a window's pixels to the screen only when the window's own thread handles a
// message, so drawing made from the game thread would stay invisible until the next mouse
// move. A no-op message makes it appear at once; on Windows it costs nothing.
void presentWindowDrawing();

// Tells the window of drawing when it goes out of scope, if `on` is then true: declared
// before a lock guard, it runs after the lock is released.
struct PresentAfterUnlock {
  bool& on;
  ~PresentAfterUnlock() {
    if (on) presentWindowDrawing();
  }
};

// Pattern A. `draw(HDC)` is called for the window, then for the back buffer; the result is
// the back buffer's. The window comes first because a transfer may read from the back
// buffer itself (the window's image drawn onto the window): the window must receive what
// the back buffer held before that same call changes it. Other drawing calls touch each
// context alone, and for them the order makes no difference.
template <class Draw>
auto drawMirrored(Draw draw) {
  GraphContext& g = graphContext;
  bool onWindow = false;
  // Declared before the lock guard, so the window is told after the lock is released.
  PresentAfterUnlock present{onWindow};
  LockGuard guard(g.lock);
  onWindow = !g.buffered && g.windowDc != nullptr;
  if (onWindow) draw(g.windowDc);
  return draw(g.targetDc);
}

// Runs work() holding the lock when the window's back buffer is involved, because the GUI
// thread paints from it; an image's pixels belong to the game thread alone and need none.
template <class Work>
void lockedIfWindow(bool windowInvolved, Work work) {
  if (!windowInvolved) {
    work();
    return;
  }
  LockGuard guard(graphContext.lock);
  work();
}

// Copies a rectangle of device pixels of the back buffer to the window, whatever origin or
// scale is in force (call it under the lock, with the window open).
void copyDevicePixelsToWindow(const RECT& pixels);

// Pixels written straight into the back buffer, as the sprite calls write them: under the
// lock, work() changes the back buffer's pixels and returns the device rectangle it touched;
// unless drawing is buffered, that rectangle is copied to the window, which is then told.
template <class Work>
void drawBackBufferPixels(Work work) {
  GraphContext& g = graphContext;
  bool onWindow = false;
  PresentAfterUnlock present{onWindow};
  LockGuard guard(g.lock);
  const RECT touched = work();
  if (g.buffered || !g.windowDc) return;
  if (touched.right <= touched.left || touched.bottom <= touched.top) return;
  copyDevicePixelsToWindow(touched);
  onWindow = true;
}

// Pattern B. `apply(HDC)` is called for the back buffer, then for the window.
template <class Apply>
void applyToBoth(Apply apply) {
  GraphContext& g = graphContext;
  LockGuard guard(g.lock);
  apply(g.targetDc);
  if (g.windowDc) apply(g.windowDc);
}

// Selects one new pen, brush or font into both contexts (call it under the lock). Each
// object it replaces is deleted once it has left both contexts.
void selectIntoBoth(HGDIOBJ object);

// The same for a pen or brush of the styles: each object it replaces is parked or deleted
// once it has left both contexts.
void selectIntoBoth(const StyleObject& made);

}  // namespace Slate

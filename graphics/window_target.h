// The two shapes of code every window-target override is built from.
//
// Pattern A, mirrored drawing: under the lock, draw on the back buffer and, unless buffered
// drawing is on, make the same call on the window.
// Pattern B, state on both contexts: under the lock, apply the same state change to the back
// buffer and to the window whether or not drawing is buffered, so the two always draw alike.
#pragma once

#include <type_traits>

#include "context.h"

namespace Slate {

// Wine copies a window's pixels to the screen only when the window's own thread handles a
// message, so drawing made from the game thread would stay invisible until the next mouse
// move. A no-op message makes it appear at once; on Windows it costs nothing.
void presentWindowDrawing();

// Pattern A. `draw(HDC)` is called for the back buffer, then for the window; the result is
// the back buffer's.
template <class Draw>
auto drawMirrored(Draw draw) {
  using Result = decltype(draw(HDC()));
  GraphContext& g = graphContext;
  bool onWindow = false;
  // Declared before the lock guard, so the window is told after the lock is released.
  struct Present {
    bool& on;
    ~Present() {
      if (on) presentWindowDrawing();
    }
  } present{onWindow};
  LockGuard guard(g.lock);
  onWindow = !g.buffered && g.windowDc != nullptr;
  if constexpr (std::is_void_v<Result>) {
    draw(g.targetDc);
    if (onWindow) draw(g.windowDc);
  } else {
    Result result = draw(g.targetDc);
    if (onWindow) draw(g.windowDc);
    return result;
  }
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

}  // namespace Slate

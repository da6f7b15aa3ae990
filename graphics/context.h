// GraphContext: the runtime's one static object. It owns the lock shared with the GUI
// thread, the two device-context handles every drawing call goes through, the window object
// and the two drawing targets.
#pragma once

#include <slate/draw_target.h>
#include <slate/graphics.h>

#include "window.h"

namespace Slate {

// The context's critical section. It is initialised by the context's constructor after the
// window object exists, and deleted last, after the window is closed.
class CriticalSection {
 public:
  void init() { InitializeCriticalSection(&section); }
  void enter() { EnterCriticalSection(&section); }
  void leave() { LeaveCriticalSection(&section); }
  ~CriticalSection() { DeleteCriticalSection(&section); }

 private:
  CRITICAL_SECTION section;
};

// GDI batches calls per thread, and GdiSetBatchLimit holds only for the thread that calls
// it: each thread that takes the lock turns batching off for itself the first time, so its
// drawing is done before the lock is let go and another thread uses the same DCs.
inline void drawWithoutBatching() {
  static thread_local bool unbatched = false;
  if (unbatched) return;
  GdiSetBatchLimit(1);
  unbatched = true;
}

class LockGuard {
 public:
  explicit LockGuard(CriticalSection& lock) : held(lock) {
    drawWithoutBatching();
    held.enter();
  }
  ~LockGuard() { held.leave(); }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;

 private:
  CriticalSection& held;
};

struct GraphContext {
  GraphContext();
  ~GraphContext();
  GraphContext(const GraphContext&) = delete;
  GraphContext& operator=(const GraphContext&) = delete;

  CriticalSection lock;
  HDC windowDc = nullptr;  // null while an IMAGE is the target or no window is open
  HDC targetDc = nullptr;  // the current target image's memory DC
  GraphWnd window;
  bool buffered = false;
  IMAGE* currentImage = nullptr;
  DrawOnImg imageTarget;
  DrawOnWnd windowTarget;
  DrawOnImg* currentTarget = nullptr;
  XFORM identityTransform;
};

extern GraphContext graphContext;

// True while the window is the current target.
inline bool windowIsTarget() {
  return graphContext.currentTarget == &graphContext.windowTarget;
}

}  // namespace Slate

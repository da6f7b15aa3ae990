// The graphics context, its construction and destruction order, target switching, and the
// front functions about the window and images as a whole.
#include "context.h"

namespace Slate {

// The context must exist before any other static object of the program: the game's static
// images read windowDc while they are built, and it must be destroyed after all of them.
#if defined(_MSC_VER)
#pragma warning(disable : 4073)  // initializers put in library initialization area
#pragma init_seg(lib)
GraphContext graphContext;
#else
GraphContext graphContext __attribute__((init_priority(101)));
#endif

GraphContext::GraphContext() : identityTransform{1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f} {
  // window, imageTarget and windowTarget are built by now, in that order.
  windowDc = nullptr;
  targetDc = nullptr;
  lock.init();
  // COM is set up by each thread that loads or saves, for that thread's life
  // (comOnThisThread): CoUninitialize must run on the thread that initialised, and a user's
  // close ends the process on the GUI thread.
  // Without batching every GDI call takes effect at once, so GDI drawing into an image and
  // direct writes to its pixels happen in program order.
  GdiSetBatchLimit(1);
}

GraphContext::~GraphContext() {
  // The members go in reverse order: the targets, then the window (which closes itself),
  // and the lock last, because the GUI thread takes it until the window is gone.
}

void setDrawTarget(IMAGE* image) {
  GraphContext& g = graphContext;
  LockGuard guard(g.lock);
  if (image == nullptr) {
    g.windowDc = g.window.clientDc;
    g.targetDc = g.window.dc;
    g.currentImage = &g.window;
    g.currentTarget = &g.windowTarget;
  } else {
    g.currentImage = image;
    g.currentTarget = &g.imageTarget;
    g.windowDc = nullptr;
    g.targetDc = image->dc;
  }
}

HWND openGraphWindow(int width, int height, int flags) {
  return graphContext.windowTarget.openWindow(width, height, flags);
}

void closeGraphWindow() {
  graphContext.windowTarget.closeWindow();
}

DWORD* getImageBuffer(IMAGE* image) {
  // A DIB section's bits may be read only once GDI's batch of this thread is flushed.
  GdiFlush();
  return image ? image->pixels : graphContext.window.pixels;
}

void resizeImage(IMAGE* image, int width, int height) {
  if (image) {
    image->resize(width, height);
  } else {
    graphContext.window.resize(width, height);
  }
}

MOUSEMSG getMouseMessage() {
  return graphContext.window.nextMouseMessage();
}

}  // namespace Slate

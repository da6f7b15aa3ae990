// STUB: captureImage, drawImage and drawImageRegion.
#include "context.h"

namespace Slate {

void captureImage(IMAGE*, int, int, int, int) {}

void drawImage(int x, int y, const IMAGE* src, DWORD rop) {
  if (src) drawImageRegion(x, y, src->width, src->height, src, 0, 0, rop);
}

void drawImageRegion(int, int, int, int, const IMAGE*, int, int, DWORD) {}

}  // namespace Slate

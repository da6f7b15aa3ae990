// rotateImage: rotates an IMAGE (or the window) about its centre into another, through the
// portable pixel kernel. The kernel refuses bad angles and sizes before anything changes;
// this side adds the IMAGE rules: the window for a null destination, a private copy when
// the source is also the destination, and nothing changed when the resize is refused.
#include <cstdint>
#include <memory>

#include "context.h"
#include "window_target.h"

#include <slate/pixel/rotation.h>

namespace Slate {

static_assert(sizeof(DWORD) == sizeof(std::uint32_t), "pixels are 32-bit words");

void rotateImage(IMAGE* dst, IMAGE* src, double radians, COLORREF bkColor, bool autoSize,
                 bool highQuality) {
  if (src == nullptr) return;
  IMAGE* target = dst ? dst : &graphContext.window;

  // Rotating an image into itself would overwrite pixels still to be read: work from a copy.
  std::unique_ptr<IMAGE> copy;
  if (target == src) {
    copy = std::make_unique<IMAGE>();
    *copy = *src;
    if (copy->width != src->width || copy->height != src->height) return;  // no memory
    src = copy.get();
  }

  const int width = src->width, height = src->height;
  int newWidth = 0, newHeight = 0;
  if (!Pixel::rotatedSize(width, height, radians, autoSize, &newWidth, &newHeight)) return;

  resizeImage(dst, newWidth, newHeight);
  if (target->width != newWidth || target->height != newHeight) return;  // resize refused

  // DIB pixels may still have GDI drawing queued against them.
  GdiFlush();
  auto rotate = [&] {
    const DWORD* from = getImageBuffer(src);
    DWORD* to = getImageBuffer(dst);
    // A source without pixels is treated as empty: only the background is drawn.
    Pixel::rotatePixels(reinterpret_cast<const std::uint32_t*>(from), from ? width : 0,
                        from ? height : 0, reinterpret_cast<std::uint32_t*>(to), newWidth,
                        newHeight, radians, bkColor, highQuality);
  };
  lockedIfWindow(target == &graphContext.window || src == &graphContext.window, rotate);
}

}  // namespace Slate

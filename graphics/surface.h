// Pixel surfaces and colour order shared by the files that write pixels directly.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace Slate {

// A top-down 32-bit DIB section of width x height. Returns null (and leaves *pixels alone)
// when the size is not positive or too large to allocate.
HBITMAP createPixelSurface(int width, int height, DWORD** pixels);

// COLORREF 0x00BBGGRR <-> pixel 0x00RRGGBB: the low and third bytes exchange places, the
// high byte stays where it is.
inline DWORD toPixelOrder(COLORREF color) {
  return (color & 0xFF00FF00u) | ((color & 0xFFu) << 16) | ((color >> 16) & 0xFFu);
}

// The default drawing state of a device context, as a reset leaves it: advanced graphics
// mode, opaque background in bkColor, current point (0, 0), the given transform, no clip
// region, and a new white pen, white brush and the default font, each replacing (and
// deleting) the one selected before.
void applyDefaultDcState(HDC dc, COLORREF bkColor, const XFORM& transform);

// The font every image starts with: "System", 16 pixels high, not antialiased.
LOGFONTW defaultFont();

// Counts the changes of any device context's clip region, so that the sprite calls can keep
// the region they read last until it changes (a GDI call saved on every sprite).
inline std::atomic<unsigned> clipRegionChanges{0};
inline void noteClipRegionChanged() {
  clipRegionChanges.fetch_add(1, std::memory_order_relaxed);
}

// Selects a new GDI object into dc and deletes the one it replaces.
void replaceObject(HDC dc, HGDIOBJ object);

}  // namespace Slate

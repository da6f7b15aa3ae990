// Loading pictures from the program's own resources: the block of global memory a resource
// is copied into, and the two steps under loadImageResource.
#pragma once

#include <slate/graphics.h>

namespace Slate {

// Owns one movable global memory block holding a copy of one resource. Used as a local
// object for one load; frees its block exactly once.
class GlobalMemory {
 public:
  GlobalMemory() = default;
  GlobalMemory(const GlobalMemory&) = delete;
  GlobalMemory& operator=(const GlobalMemory&) = delete;
  virtual ~GlobalMemory();

  // Copies the resource (type, name) of the running program into a new block of exactly
  // its size, freeing any block held before. False when it is missing, empty or the block
  // cannot be made; nothing is held then.
  bool copyResource(const wchar_t* type, const wchar_t* name);

  HGLOBAL handle = nullptr;
  DWORD size = 0;  // bytes of the resource; meaningful only while handle is set

 private:
  void release();
};

// Copies the resource and decodes it into dst (never null).
void loadResourceInto(IMAGE* dst, const wchar_t* type, const wchar_t* name, int width, int height,
                      bool resize);

// Decodes the picture in memory with the platform decoder and renders it into dst at
// width x height (the natural size when either is 0 or less). dst is resized to that size
// when it has no bitmap or resize is true; otherwise the picture is clipped to dst. When
// the data cannot be decoded or a needed resize is refused, dst is left as it was.
void decodePicture(const GlobalMemory& memory, IMAGE* dst, int width, int height, bool resize);

}  // namespace Slate

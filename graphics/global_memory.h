// Loading pictures from the program's resources and from files: the block of global memory
// the picture's bytes are put into, and the steps under loadImageResource and loadImageFile.
#pragma once

#include <slate/graphics.h>

#include "context.h"

namespace Slate {

// Owns one movable global memory block holding a copy of one resource or file. Used as a
// local object for one load; frees its block exactly once.
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

  // Reads the whole file at path into a new block of exactly its size, freeing any block
  // held before. False for a null or empty path, a file that cannot be opened for reading,
  // a directory or device, an empty file, one over kMaxFileBytes, or a read that comes up
  // short; nothing is held then, and the reason is reported for loadImageFile.
  bool readFile(const wchar_t* path);

  // Larger files are refused before anything is allocated: no picture a program draws
  // needs more, and the block must fit the decoder's 32-bit length.
  static constexpr DWORD kMaxFileBytes = 256u << 20;

  HGLOBAL handle = nullptr;
  DWORD size = 0;  // bytes held; meaningful only while handle is set

 private:
  void release();
};

// Copies the resource and decodes it into dst (never null).
void loadResourceInto(IMAGE* dst, const wchar_t* type, const wchar_t* name, int width, int height,
                      bool resize);

// Reads the file and decodes it into dst (never null). False, with the reason reported,
// when dst did not receive the picture.
bool loadFileInto(IMAGE* dst, const wchar_t* path, int width, int height, bool resize);

// The rule both front functions share: load(image) loads into dst, or into the window's
// image when dst is null, which is then shown at once if the window is the target (with an
// image as the target there is nothing to show yet). Returns what load returned.
template <class Load>
bool loadIntoImageOrWindow(IMAGE* dst, Load load) {
  if (dst) return load(dst);
  const bool loaded = load(&graphContext.window);
  if (windowIsTarget()) graphContext.windowTarget.flushBufferedDrawing();
  return loaded;
}

// How a decode ended: drawn into dst, data that does not decode completely, or a needed
// resize refused. Only Drawn touches dst.
enum class Decoded { Drawn, Undecodable, NoSurface };

// Decodes the picture in memory with the platform's decoders (OLE picture loading, then the
// imaging component for the formats OLE lacks) and renders it into dst at width x height
// (the natural size when either is 0 or less). dst is resized to that size when it has no
// bitmap or resize is true; otherwise the picture is clipped to dst. When the data cannot
// be decoded completely or a needed resize is refused, dst is left as it was.
Decoded decodePicture(const GlobalMemory& memory, IMAGE* dst, int width, int height, bool resize);

}  // namespace Slate

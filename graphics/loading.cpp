// Pictures from the program's own resources: the resource is copied into a block of global
// memory, decoded there by the platform picture decoder and rendered into an IMAGE.
#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstring>

#include "context.h"
#include "global_memory.h"
#include "window_target.h"

namespace Slate {

namespace {

// Releases a COM object on every way out of a scope.
template <class Interface>
struct Released {
  Released() = default;
  Released(const Released&) = delete;
  Released& operator=(const Released&) = delete;
  ~Released() {
    if (object) object->Release();
  }
  Interface* object = nullptr;
};

constexpr int kHimetricPerInch = 2540;

// The size the picture is rendered at: the one asked for, or the natural size (converted
// from HIMETRIC with the destination's resolution) when either dimension is not positive.
SIZE outputSize(IPicture* picture, HDC dc, int width, int height) {
  if (width > 0 && height > 0) return {width, height};
  OLE_XSIZE_HIMETRIC hmWidth = 0;
  OLE_YSIZE_HIMETRIC hmHeight = 0;
  picture->get_Width(&hmWidth);
  picture->get_Height(&hmHeight);
  return {MulDiv(hmWidth, GetDeviceCaps(dc, LOGPIXELSX), kHimetricPerInch),
          MulDiv(hmHeight, GetDeviceCaps(dc, LOGPIXELSY), kHimetricPerInch)};
}

// Resizes dst when it has no surface yet or the caller asks for it. False when a resize
// was needed and refused, so that nothing is rendered into a surface of the wrong size.
bool prepareDestination(IMAGE* dst, SIZE size, bool resize) {
  if (dst->bitmap != nullptr && !resize) return true;
  dst->resize(size.cx, size.cy);
  return dst->bitmap != nullptr && dst->width == size.cx && dst->height == size.cy;
}

// The whole picture, read from its bottom edge upwards so that it comes out upright,
// stretched to (0, 0)-(size) of dst.
void render(IPicture* picture, IMAGE* dst, SIZE size) {
  OLE_XSIZE_HIMETRIC hmWidth = 0;
  OLE_YSIZE_HIMETRIC hmHeight = 0;
  picture->get_Width(&hmWidth);
  picture->get_Height(&hmHeight);
  lockedIfWindow(dst == &graphContext.window, [&] {
    picture->Render(dst->dc, 0, 0, size.cx, size.cy, 0, hmHeight, hmWidth, -hmHeight, nullptr);
  });
}

// The stream reads the block in place and leaves its ownership with the GlobalMemory.
IStream* streamOver(const GlobalMemory& memory) {
  IStream* stream = nullptr;
  GlobalLock(memory.handle);
  if (FAILED(CreateStreamOnHGlobal(memory.handle, FALSE, &stream))) stream = nullptr;
  GlobalUnlock(memory.handle);
  return stream;
}

}  // namespace

GlobalMemory::~GlobalMemory() {
  release();
}

void GlobalMemory::release() {
  if (handle) GlobalFree(handle);
  handle = nullptr;
  size = 0;
}

bool GlobalMemory::copyResource(const wchar_t* type, const wchar_t* name) {
  release();
  if (type == nullptr || name == nullptr) return false;
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(module, name, type);
  if (resource == nullptr) return false;
  HGLOBAL loaded = LoadResource(module, resource);
  const DWORD bytes = SizeofResource(module, resource);
  const void* source = loaded ? LockResource(loaded) : nullptr;
  if (source == nullptr || bytes == 0) return false;
  handle = GlobalAlloc(GMEM_MOVEABLE, bytes);
  void* target = handle ? GlobalLock(handle) : nullptr;
  if (target == nullptr) {
    release();
    return false;
  }
  std::memcpy(target, source, bytes);
  GlobalUnlock(handle);
  size = bytes;
  return true;
}

void decodePicture(const GlobalMemory& memory, IMAGE* dst, int width, int height, bool resize) {
  if (memory.handle == nullptr || dst == nullptr) return;
  Released<IStream> stream;
  stream.object = streamOver(memory);
  if (stream.object == nullptr) return;
  Released<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.object, static_cast<LONG>(memory.size), TRUE, IID_IPicture,
                            reinterpret_cast<void**>(&picture.object)))) {
    picture.object = nullptr;
    return;
  }
  const SIZE size = outputSize(picture.object, dst->dc, width, height);
  if (size.cx <= 0 || size.cy <= 0) return;
  if (!prepareDestination(dst, size, resize)) return;
  render(picture.object, dst, size);
  // The picture is released before the stream, as the members' order of destruction gives.
}

void loadResourceInto(IMAGE* dst, const wchar_t* type, const wchar_t* name, int width, int height,
                      bool resize) {
  GlobalMemory memory;
  if (memory.copyResource(type, name)) decodePicture(memory, dst, width, height, resize);
}

void loadImageResource(IMAGE* dst, const wchar_t* type, const wchar_t* name, int width, int height,
                       bool resize) {
  if (dst) {
    loadResourceInto(dst, type, name, width, height, resize);
    return;
  }
  loadResourceInto(&graphContext.window, type, name, width, height, resize);
  // Show the new picture at once; with an image as the target there is nothing to show.
  if (windowIsTarget()) graphContext.windowTarget.flushBufferedDrawing();
}

}  // namespace Slate

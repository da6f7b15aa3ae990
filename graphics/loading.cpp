// Pictures from the program's own resources: the resource is copied into a block of global
// memory, decoded there by the platform's picture decoders and rendered into an IMAGE. The
// steps from the block onwards are shared with loading from files.
#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <cstring>

#include "com_apartment.h"
#include "com_released.h"
#include "context.h"
#include "global_memory.h"
#include "imaging_component.h"
#include "window_target.h"

#include <slate/pixel/bitmap_file.h>

namespace Slate {

namespace {

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

// Wine's decoders for formats other than BMP give pixels with an opaque alpha byte, which
// Render copies; an IMAGE's pixels keep bits 24-31 clear, so they are cleared where the
// picture was drawn: (0, 0)-(size) in dst's logical coordinates, cut at its edges.
void clearAlphaBytes(IMAGE* dst, SIZE size) {
  POINT corners[2] = {{0, 0}, {size.cx, size.cy}};
  LPtoDP(dst->dc, corners, 2);
  const int left = std::max(0L, std::min(corners[0].x, corners[1].x));
  const int right = std::min<long>(dst->width, std::max(corners[0].x, corners[1].x));
  const int top = std::max(0L, std::min(corners[0].y, corners[1].y));
  const int bottom = std::min<long>(dst->height, std::max(corners[0].y, corners[1].y));
  GdiFlush();
  for (int y = top; y < bottom; ++y) {
    DWORD* row = dst->pixels + static_cast<size_t>(y) * dst->width;
    for (int x = left; x < right; ++x) row[x] &= 0x00FFFFFFu;
  }
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
    clearAlphaBytes(dst, size);
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

// OLE's decoder accepts a BMP file that ends before its pixels and reads past the data;
// such a file is refused here, before either decoder sees it.
bool isShortBitmapFile(const GlobalMemory& memory) {
  const void* bytes = GlobalLock(memory.handle);
  const bool isShort =
      bytes == nullptr ||
      Pixel::bitmapFileIsShort(static_cast<const std::uint8_t*>(bytes), memory.size);
  GlobalUnlock(memory.handle);
  return isShort;
}

// The decoded picture: OLE picture loading first, the imaging component for what OLE has
// no decoder for. Null when neither accepts the data.
IPicture* openPicture(IStream* stream, const GlobalMemory& memory) {
  if (isShortBitmapFile(memory)) return nullptr;
  IPicture* picture = nullptr;
  if (SUCCEEDED(OleLoadPicture(stream, static_cast<LONG>(memory.size), TRUE, IID_IPicture,
                               reinterpret_cast<void**>(&picture))) &&
      picture != nullptr) {
    return picture;
  }
  return decodeWithImagingComponent(stream);
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

Decoded decodePicture(const GlobalMemory& memory, IMAGE* dst, int width, int height, bool resize) {
  if (memory.handle == nullptr || dst == nullptr) return Decoded::Undecodable;
  // Decoding runs on the caller's thread, in COM from its first load to its end.
  comOnThisThread();
  Released<IStream> stream;
  stream.object = streamOver(memory);
  if (stream.object == nullptr) return Decoded::Undecodable;
  Released<IPicture> picture;
  picture.object = openPicture(stream.object, memory);
  if (picture.object == nullptr) return Decoded::Undecodable;
  const SIZE size = outputSize(picture.object, dst->dc, width, height);
  if (size.cx <= 0 || size.cy <= 0) return Decoded::Undecodable;
  if (!prepareDestination(dst, size, resize)) return Decoded::NoSurface;
  render(picture.object, dst, size);
  // The picture is released before the stream, as the members' order of destruction gives.
  return Decoded::Drawn;
}

void loadResourceInto(IMAGE* dst, const wchar_t* type, const wchar_t* name, int width, int height,
                      bool resize) {
  GlobalMemory memory;
  if (memory.copyResource(type, name)) decodePicture(memory, dst, width, height, resize);
}

void loadImageResource(IMAGE* dst, const wchar_t* type, const wchar_t* name, int width, int height,
                       bool resize) {
  loadIntoImageOrWindow(dst, [&](IMAGE* into) {
    loadResourceInto(into, type, name, width, height, resize);
    return true;
  });
}

}  // namespace Slate

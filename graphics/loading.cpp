// Pictures from the program's own resources: the resource is copied into a block of global
// memory, decoded there by the platform's picture decoders and rendered into an IMAGE. The
// steps from the block onwards are shared with loading from files.
#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "com_apartment.h"
#include "com_released.h"
#include "context.h"
#include "global_memory.h"
#include "imaging_component.h"
#include "window_target.h"

#include <slate/pixel/bitmap_file.h>
#include <slate/pixel/sprite.h>

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

// Where a picture of `size` lands in dst: (0, 0)-(size) in dst's logical coordinates, in
// device pixels, before it is cut at dst's edges.
RECT landing(const IMAGE* dst, SIZE size) {
  POINT corners[2] = {{0, 0}, {size.cx, size.cy}};
  LPtoDP(dst->dc, corners, 2);
  return {std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
          std::max(corners[0].x, corners[1].x), std::max(corners[0].y, corners[1].y)};
}

// Wine's decoders for formats other than BMP give pixels with an opaque alpha byte, which
// Render copies; an IMAGE's pixels keep bits 24-31 clear, so they are cleared where the
// picture was drawn, cut at its edges. An image with alpha gets them opaque instead.
void clearAlphaBytes(IMAGE* dst, SIZE size) {
  const RECT at = landing(dst, size);
  const int left = std::max(0L, at.left), right = std::min<long>(dst->width, at.right);
  const int top = std::max(0L, at.top), bottom = std::min<long>(dst->height, at.bottom);
  const DWORD alpha = dst->hasAlpha ? 0xFF000000u : 0;
  GdiFlush();
  for (int y = top; y < bottom; ++y) {
    DWORD* row = dst->pixels + static_cast<size_t>(y) * dst->width;
    for (int x = left; x < right; ++x) row[x] = (row[x] & 0x00FFFFFFu) | alpha;
  }
}

// The largest picture scaled through a whole copy of its own; larger sizes go the platform's
// way, losing their transparency rather than the memory.
constexpr long long kMaxScaledPixels = 1LL << 24;

// Formats that can carry transparency, by their first bytes: PNG, GIF, TIFF and 32-bit BMP.
bool mayBeTransparent(const GlobalMemory& memory) {
  const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(memory.handle));
  bool may = false;
  if (bytes != nullptr && memory.size >= 30) {
    may = std::memcmp(bytes, "\x89PNG", 4) == 0 || std::memcmp(bytes, "GIF8", 4) == 0 ||
          std::memcmp(bytes, "II*", 4) == 0 || std::memcmp(bytes, "MM\0*", 4) == 0 ||
          (bytes[0] == 'B' && bytes[1] == 'M' && bytes[28] == 32 && bytes[29] == 0);
  }
  GlobalUnlock(memory.handle);
  return may;
}

// Straight alpha over black, for the window, which shows no alpha.
std::uint32_t overBlack(std::uint32_t pixel) {
  const std::uint32_t a = pixel >> 24;
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    out |= (((pixel >> shift & 0xFFu) * a + 127) / 255) << shift;
  }
  return out;
}

// A picture scaled to `size` by the area filter (shrinking) or bilinearly (enlarging),
// written into dst where Render would have drawn it. With transparency dst gets alpha, the
// pixels it had before made opaque, and the window the picture over black; an opaque
// picture is written as Render writes it.
void renderPixels(const TransparentPicture& picture, IMAGE* dst, SIZE size) {
  const RECT at = landing(dst, size);
  const int width = at.right - at.left, height = at.bottom - at.top;
  Pixel::ConstSurface from = {picture.pixels.data(), picture.width, picture.height, picture.width,
                              true};
  std::vector<std::uint32_t> scaled;
  if (width != picture.width || height != picture.height) {
    scaled.resize(static_cast<size_t>(width) * height);
    Pixel::resizePixels(from, {scaled.data(), width, height, width, picture.alpha});
    from = {scaled.data(), width, height, width, picture.alpha};
  }
  const bool window = dst == &graphContext.window;
  const std::uint32_t opaque = dst->hasAlpha ? 0xFF000000u : 0;
  lockedIfWindow(window, [&] {
    GdiFlush();
    const size_t count = static_cast<size_t>(dst->width) * dst->height;
    if (picture.alpha && !window && !dst->hasAlpha) {
      for (size_t i = 0; i < count; ++i) dst->pixels[i] |= 0xFF000000u;
    }
    for (int y = std::max(0L, at.top); y < std::min<long>(dst->height, at.bottom); ++y) {
      const std::uint32_t* in = from.pixels + static_cast<size_t>(y - at.top) * width - at.left;
      DWORD* row = dst->pixels + static_cast<size_t>(y) * dst->width;
      for (int x = std::max(0L, at.left); x < std::min<long>(dst->width, at.right); ++x) {
        if (!picture.alpha) {
          row[x] = (in[x] & 0x00FFFFFFu) | opaque;
        } else {
          row[x] = window ? overBlack(in[x]) : in[x];
        }
      }
    }
  });
  if (picture.alpha && !window) dst->hasAlpha = true;
}

// Decodes a picture with transparency and draws it; false, with nothing drawn and the
// stream back at its start, for every other picture and for sizes too large to scale.
bool drawnWithAlpha(const GlobalMemory& memory, IStream* stream, IMAGE* dst, int width, int height,
                    bool resize, Decoded* result) {
  TransparentPicture picture;
  const bool found = mayBeTransparent(memory) && decodePixels(stream, true, &picture);
  LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  if (!found) return false;
  const SIZE size =
      width > 0 && height > 0 ? SIZE{width, height} : SIZE{picture.width, picture.height};
  const RECT at = landing(dst, size);
  if ((static_cast<long long>(at.right) - at.left) * (static_cast<long long>(at.bottom) - at.top) >
      kMaxScaledPixels) {
    return false;
  }
  if (!prepareDestination(dst, size, resize)) {
    *result = Decoded::NoSurface;
    return true;
  }
  renderPixels(picture, dst, size);
  *result = Decoded::Drawn;
  return true;
}

// A picture drawn smaller than its natural size is averaged by our own filter, so that
// every pixel keeps the colours under it; false, drawing nothing, when the imaging
// component cannot decode it or the size is too large to scale.
bool shrunkOurselves(IStream* stream, IMAGE* dst, SIZE size) {
  const RECT at = landing(dst, size);
  if ((static_cast<long long>(at.right) - at.left) * (static_cast<long long>(at.bottom) - at.top) >
      kMaxScaledPixels) {
    return false;
  }
  TransparentPicture picture;
  if (!decodePixels(stream, false, &picture)) return false;
  picture.alpha = false;  // an opaque picture (transparent ones took the way above)
  renderPixels(picture, dst, size);
  return true;
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
  if (isShortBitmapFile(memory)) return Decoded::Undecodable;
  Decoded drawn = Decoded::Undecodable;
  if (drawnWithAlpha(memory, stream.object, dst, width, height, resize, &drawn)) return drawn;
  Released<IPicture> picture;
  picture.object = openPicture(stream.object, memory);
  if (picture.object == nullptr) return Decoded::Undecodable;
  const SIZE size = outputSize(picture.object, dst->dc, width, height);
  if (size.cx <= 0 || size.cy <= 0) return Decoded::Undecodable;
  if (!prepareDestination(dst, size, resize)) return Decoded::NoSurface;
  const SIZE natural = outputSize(picture.object, dst->dc, 0, 0);
  if ((size.cx < natural.cx || size.cy < natural.cy) && shrunkOurselves(stream.object, dst, size)) {
    return Decoded::Drawn;
  }
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

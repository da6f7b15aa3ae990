// The imaging component's decoder behind the OLE one: decode, convert to 32-bit pixels,
// and wrap them in a bitmap picture object so that both decoders render the same way.
#include "imaging_component.h"

#include <olectl.h>
#include <wincodec.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "com_released.h"
#include "surface.h"

namespace Slate {

namespace {

// The frame's pixels in a new top-down 32-bit bitmap, or null.
HBITMAP convertedBitmap(IWICImagingFactory* factory, IWICBitmapSource* frame) {
  Released<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(&converter.object))) return nullptr;
  if (FAILED(converter.object->Initialize(frame, GUID_WICPixelFormat32bppPBGRA,
                                          WICBitmapDitherTypeNone, nullptr, 0.0,
                                          WICBitmapPaletteTypeCustom))) {
    return nullptr;
  }
  UINT width = 0, height = 0;
  if (FAILED(converter.object->GetSize(&width, &height))) return nullptr;
  if (width > INT_MAX || height > INT_MAX) return nullptr;
  DWORD* pixels = nullptr;
  // The surface's size limit keeps width * height * 4 well inside a UINT.
  HBITMAP surface = createPixelSurface(static_cast<int>(width), static_cast<int>(height), &pixels);
  if (surface == nullptr) return nullptr;
  // Fails on data that ends early; nothing of a half-decoded picture is kept.
  if (FAILED(converter.object->CopyPixels(nullptr, width * 4, width * height * 4,
                                          reinterpret_cast<BYTE*>(pixels)))) {
    DeleteObject(surface);
    return nullptr;
  }
  return surface;
}

// Formats whose pixels carry alpha; indexed ones may have a transparent palette entry.
bool carriesAlpha(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame) {
  WICPixelFormatGUID format = {};
  if (FAILED(frame->GetPixelFormat(&format))) return false;
  for (const GUID& alpha :
       {GUID_WICPixelFormat32bppBGRA, GUID_WICPixelFormat32bppRGBA, GUID_WICPixelFormat32bppPBGRA,
        GUID_WICPixelFormat32bppPRGBA, GUID_WICPixelFormat64bppRGBA, GUID_WICPixelFormat64bppBGRA,
        GUID_WICPixelFormat64bppPRGBA, GUID_WICPixelFormat16bppBGRA5551}) {
    if (IsEqualGUID(format, alpha)) return true;
  }
  for (const GUID& indexed : {GUID_WICPixelFormat1bppIndexed, GUID_WICPixelFormat2bppIndexed,
                              GUID_WICPixelFormat4bppIndexed, GUID_WICPixelFormat8bppIndexed}) {
    if (!IsEqualGUID(format, indexed)) continue;
    // The entries themselves are read: not every version of Wine answers HasAlpha.
    Released<IWICPalette> palette;
    WICColor colours[256];
    UINT count = 0;
    if (FAILED(factory->CreatePalette(&palette.object)) ||
        FAILED(frame->CopyPalette(palette.object)) ||
        FAILED(palette.object->GetColors(256, colours, &count))) {
      return false;
    }
    for (UINT i = 0; i < count; ++i) {
      if (colours[i] < 0xFF000000u) return true;
    }
    return false;
  }
  return false;
}

// The first frame of the picture in stream, read from its start; the frame keeps its decoder.
void openFirstFrame(IWICImagingFactory* factory, IStream* stream,
                    Released<IWICBitmapFrameDecode>& frame) {
  LARGE_INTEGER start = {};
  if (stream == nullptr || FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return;
  Released<IWICBitmapDecoder> decoder;
  if (SUCCEEDED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand,
                                                 &decoder.object))) {
    decoder.object->GetFrame(0, &frame.object);
  }
}

}  // namespace

bool decodePixels(IStream* stream, bool onlyTransparent, TransparentPicture* out) {
  Released<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(&factory.object)))) {
    return false;
  }
  Released<IWICBitmapFrameDecode> frame;
  openFirstFrame(factory.object, stream, frame);
  if (frame.object == nullptr) return false;
  if (onlyTransparent && !carriesAlpha(factory.object, frame.object)) return false;
  Released<IWICFormatConverter> converter;
  UINT width = 0, height = 0;
  // Straight alpha: a transparent pixel keeps its colour.
  if (FAILED(factory.object->CreateFormatConverter(&converter.object)) ||
      FAILED(converter.object->Initialize(frame.object, GUID_WICPixelFormat32bppBGRA,
                                          WICBitmapDitherTypeNone, nullptr, 0.0,
                                          WICBitmapPaletteTypeCustom)) ||
      FAILED(converter.object->GetSize(&width, &height)) || width == 0 || height == 0 ||
      static_cast<unsigned long long>(width) * height > (1ULL << 28)) {
    return false;
  }
  std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
  if (FAILED(converter.object->CopyPixels(nullptr, width * 4, width * height * 4,
                                          reinterpret_cast<BYTE*>(pixels.data())))) {
    return false;
  }
  bool transparent = false;
  for (std::uint32_t pixel : pixels) transparent |= pixel < 0xFF000000u;
  if (onlyTransparent && !transparent) return false;  // all opaque: loaded as every other one
  out->alpha = transparent;
  out->pixels.swap(pixels);
  out->width = static_cast<int>(width);
  out->height = static_cast<int>(height);
  return true;
}

IPicture* decodeWithImagingComponent(IStream* stream) {
  LARGE_INTEGER start = {};
  if (stream == nullptr || FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return nullptr;
  Released<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(&factory.object)))) {
    return nullptr;
  }
  Released<IWICBitmapDecoder> decoder;
  if (FAILED(factory.object->CreateDecoderFromStream(
          stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder.object))) {
    return nullptr;
  }
  Released<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder.object->GetFrame(0, &frame.object))) return nullptr;
  HBITMAP bitmap = convertedBitmap(factory.object, frame.object);
  if (bitmap == nullptr) return nullptr;
  PICTDESC description = {};
  description.cbSizeofstruct = sizeof description;
  description.picType = PICTYPE_BITMAP;
  description.bmp.hbitmap = bitmap;
  IPicture* picture = nullptr;
  // The picture owns the bitmap from here on and deletes it when released.
  if (FAILED(OleCreatePictureIndirect(&description, IID_IPicture, TRUE,
                                      reinterpret_cast<void**>(&picture)))) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return picture;
}

}  // namespace Slate

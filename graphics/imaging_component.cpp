// The imaging component's decoder behind the OLE one: decode, convert to 32-bit pixels,
// and wrap them in a bitmap picture object so that both decoders render the same way.
#include "imaging_component.h"

#include <olectl.h>
#include <wincodec.h>

#include <climits>

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

}  // namespace

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

// saveImageFile: an image, or what the window shows, written as a BMP, PNG or JPEG file.
// The picture is encoded in memory first and reaches its path only whole: it is written to
// a new file beside the target, which then takes the target's place (file_replacing.cpp), so
// a failure leaves every file as it was.
#include <objbase.h>
#include <wincodec.h>

#include <cstdint>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "com_apartment.h"
#include "com_released.h"
#include "context.h"
#include "errors.h"
#include "file_replacing.h"

#include <slate/pixel/bitmap_file.h>

namespace Slate {

namespace {

const wchar_t* const kCall = L"saveImageFile";

enum class Format { Unknown, Bmp, Png, Jpeg };

// The last dot of the file name (not of a folder), compared without regard to case.
Format formatOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  const size_t dot = path.find_last_of(L'.');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) {
    return Format::Unknown;
  }
  std::wstring extension = path.substr(dot + 1);
  for (wchar_t& c : extension) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  if (extension == L"bmp") return Format::Bmp;
  if (extension == L"png") return Format::Png;
  if (extension == L"jpg" || extension == L"jpeg") return Format::Jpeg;
  return Format::Unknown;
}

// The pixels to save. The window's back buffer is copied under the lock, because the GUI
// thread paints from it; an image belongs to the caller's thread and is read in place.
struct Snapshot {
  int width = 0;
  int height = 0;
  const std::uint32_t* pixels = nullptr;
  std::vector<std::uint32_t> copy;
  bool alpha = false;  // the top byte is alpha: a PNG keeps it
};

bool takeSnapshot(const IMAGE* image, Snapshot& out) {
  GraphContext& g = graphContext;
  const bool isWindow = image == nullptr || image == &g.window;
  if (isWindow) {
    LockGuard guard(g.lock);
    GdiFlush();
    if (g.window.pixels == nullptr || g.window.width <= 0 || g.window.height <= 0) {
      return reportError(kCall, L"the window has no picture (no window has been opened)");
    }
    out.copy.assign(g.window.pixels, g.window.pixels + static_cast<size_t>(g.window.width) *
                                                           static_cast<size_t>(g.window.height));
    out.width = g.window.width;
    out.height = g.window.height;
    out.pixels = out.copy.data();
    return true;
  }
  if (image->pixels == nullptr || image->width <= 0 || image->height <= 0) {
    return reportError(kCall, L"the image is empty");
  }
  GdiFlush();
  out.width = image->width;
  out.height = image->height;
  out.pixels = reinterpret_cast<const std::uint32_t*>(image->pixels);
  out.alpha = imageHasAlpha(image);
  return true;
}

// The rows in strips of this many, as 24-bit blue-green-red: both encoders take that
// format, and the strip bounds the extra memory.
constexpr int kStripRows = 64;

// An image with alpha goes to a PNG as 32-bit blue-green-red-alpha, its words as they are.
HRESULT writeFrame(IWICBitmapFrameEncode* frame, const Snapshot& picture, bool alpha) {
  const UINT bytesPerPixel = alpha ? 4 : 3;
  const UINT stride = (static_cast<UINT>(picture.width) * bytesPerPixel + 3) & ~3u;
  std::vector<BYTE> strip(static_cast<size_t>(stride) * kStripRows);
  for (int top = 0; top < picture.height; top += kStripRows) {
    const int rows = picture.height - top < kStripRows ? picture.height - top : kStripRows;
    for (int y = 0; y < rows; ++y) {
      const std::uint32_t* source =
          picture.pixels + static_cast<size_t>(top + y) * static_cast<size_t>(picture.width);
      BYTE* target = strip.data() + static_cast<size_t>(y) * stride;
      for (int x = 0; x < picture.width; ++x) {
        for (UINT byte = 0; byte < bytesPerPixel; ++byte) {
          target[bytesPerPixel * x + byte] = static_cast<BYTE>(source[x] >> (8 * byte));
        }
      }
    }
    const HRESULT written = frame->WritePixels(static_cast<UINT>(rows), stride,
                                               stride * static_cast<UINT>(rows), strip.data());
    if (FAILED(written)) return written;
  }
  return S_OK;
}

// Drawings have sharp coloured edges, which the encoders' defaults blur: high quality and
// full-resolution colour where the encoder takes them (options it does not know are skipped).
void setJpegOptions(IPropertyBag2* options) {
  PROPBAG2 quality = {};
  quality.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
  VARIANT qualityValue;
  VariantInit(&qualityValue);
  qualityValue.vt = VT_R4;
  qualityValue.fltVal = 0.95f;
  options->Write(1, &quality, &qualityValue);
  PROPBAG2 subsampling = {};
  subsampling.pstrName = const_cast<LPOLESTR>(L"JpegYCrCbSubsampling");
  VARIANT subsamplingValue;
  VariantInit(&subsamplingValue);
  subsamplingValue.vt = VT_UI1;
  subsamplingValue.bVal = WICJpegYCrCbSubsampling444;
  options->Write(1, &subsampling, &subsamplingValue);
}

// Encodes into a stream over global memory and copies the result out; an HRESULT failure
// names the step that failed.
HRESULT encodeWithImagingComponent(const GUID& container, const Snapshot& picture,
                                   std::vector<std::uint8_t>& bytes, const wchar_t** step) {
  *step = L"to start COM";
  const HRESULT com = comOnThisThread();
  if (FAILED(com)) return com;
  Released<IWICImagingFactory> factory;
  Released<IStream> stream;
  Released<IWICBitmapEncoder> encoder;
  Released<IWICBitmapFrameEncode> frame;
  Released<IPropertyBag2> options;
  *step = L"to make its encoder";
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory.object));
  if (SUCCEEDED(hr)) hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream.object);
  if (SUCCEEDED(hr)) hr = factory.object->CreateEncoder(container, nullptr, &encoder.object);
  if (SUCCEEDED(hr)) hr = encoder.object->Initialize(stream.object, WICBitmapEncoderNoCache);
  if (SUCCEEDED(hr)) hr = encoder.object->CreateNewFrame(&frame.object, &options.object);
  if (SUCCEEDED(hr) && options.object && container == GUID_ContainerFormatJpeg) {
    setJpegOptions(options.object);
  }
  if (SUCCEEDED(hr)) hr = frame.object->Initialize(options.object);
  if (SUCCEEDED(hr)) {
    hr = frame.object->SetSize(static_cast<UINT>(picture.width), static_cast<UINT>(picture.height));
  }
  if (FAILED(hr)) return hr;
  const bool alpha = picture.alpha && container == GUID_ContainerFormatPng;
  *step = alpha ? L"to take 32-bit pixels with alpha" : L"to take 24-bit pixels";
  const WICPixelFormatGUID wanted =
      alpha ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR;
  WICPixelFormatGUID format = wanted;
  hr = frame.object->SetPixelFormat(&format);
  // The encoder may answer with a format of its own choosing; the rows are not converted.
  if (SUCCEEDED(hr) && format != wanted) hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
  if (FAILED(hr)) return hr;
  *step = L"to encode";
  hr = writeFrame(frame.object, picture, alpha);
  if (SUCCEEDED(hr)) hr = frame.object->Commit();
  if (SUCCEEDED(hr)) hr = encoder.object->Commit();
  if (FAILED(hr)) return hr;
  *step = L"to hand back the bytes";
  HGLOBAL memory = nullptr;
  STATSTG stat = {};
  hr = GetHGlobalFromStream(stream.object, &memory);
  if (SUCCEEDED(hr)) hr = stream.object->Stat(&stat, STATFLAG_NONAME);
  if (FAILED(hr)) return hr;
  // The stream's length, not the block's: the block may be larger than what was written.
  const void* data = GlobalLock(memory);
  if (data == nullptr || stat.cbSize.QuadPart > GlobalSize(memory)) {
    if (data) GlobalUnlock(memory);
    return E_UNEXPECTED;
  }
  const auto* first = static_cast<const std::uint8_t*>(data);
  bytes.assign(first, first + static_cast<size_t>(stat.cbSize.QuadPart));
  GlobalUnlock(memory);
  return S_OK;
}

bool encode(Format format, const Snapshot& picture, std::vector<std::uint8_t>& bytes) {
  if (format == Format::Bmp) {
    bytes = Pixel::encodeBitmapFile(picture.pixels, picture.width, picture.height);
    return !bytes.empty() || reportError(kCall, L"the image is too large for a BMP file");
  }
  const bool png = format == Format::Png;
  const wchar_t* step = L"";
  const HRESULT hr = encodeWithImagingComponent(
      png ? GUID_ContainerFormatPng : GUID_ContainerFormatJpeg, picture, bytes, &step);
  if (SUCCEEDED(hr)) return true;
  return reportErrorf(kCall, L"the imaging component failed %ls for a %ls file (0x%08lX)", step,
                      png ? L"PNG" : L"JPEG", static_cast<unsigned long>(hr));
}

// The target's full path and its folder, checked before anything is encoded or written.
bool resolveTarget(const wchar_t* path, std::wstring& full, std::wstring& folder) {
  // The platform's limit for any path, prefixed or not.
  constexpr size_t kLongestPath = 32767;
  if (wcsnlen(path, kLongestPath + 1) > kLongestPath) return reportError(kCall, L"path too long");
  const DWORD needed = GetFullPathNameW(path, 0, nullptr, nullptr);
  if (needed == 0) {
    return reportErrorf(kCall, L"%ls: %ls", ShownPath(path).text,
                        SystemMessage(GetLastError()).text);
  }
  full.assign(needed, L'\0');
  wchar_t* name = nullptr;
  const DWORD length = GetFullPathNameW(path, needed, &full[0], &name);
  if (length == 0 || length >= needed || name == nullptr) {
    return reportErrorf(kCall, L"%ls: not a file name", ShownPath(path).text);
  }
  folder.assign(full.c_str(), static_cast<size_t>(name - full.c_str()));
  full.resize(length);
  if (tooLong(full)) {
    return reportErrorf(kCall, L"path too long (%u characters; Windows takes %d)", unsigned(length),
                        MAX_PATH - 1);
  }
  const DWORD folderAttributes = GetFileAttributesW(folder.c_str());
  if (folderAttributes == INVALID_FILE_ATTRIBUTES ||
      !(folderAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return reportErrorf(kCall, L"%ls: no such folder", ShownPath(folder.c_str()).text);
  }
  const DWORD attributes = GetFileAttributesW(full.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return reportErrorf(kCall, L"%ls is a folder", ShownPath(full.c_str()).text);
  }
  // Windows refuses to replace a read-only file (ERROR_ACCESS_DENIED); Wine replaces it, so
  // the rule is applied here.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return reportErrorf(kCall, L"%ls is read-only", ShownPath(full.c_str()).text);
  }
  return true;
}

}  // namespace

bool saveImageFile(const IMAGE* image, const wchar_t* path) {
  if (path == nullptr || path[0] == L'\0') return reportError(kCall, L"no path given");
  try {
    const Format format = formatOf(path);
    if (format == Format::Unknown) {
      return reportErrorf(kCall, L"%ls: unknown file type (use .bmp, .png, .jpg or .jpeg)",
                          ShownPath(path).text);
    }
    std::wstring full, folder;
    if (!resolveTarget(path, full, folder)) return false;
    Snapshot picture;
    if (!takeSnapshot(image, picture)) return false;
    std::vector<std::uint8_t> bytes;
    if (!encode(format, picture, bytes)) return false;
    return writeReplacing(kCall, full, folder, bytes);
  } catch (const std::bad_alloc&) {
    return reportError(kCall, L"out of memory");
  }
}

}  // namespace Slate

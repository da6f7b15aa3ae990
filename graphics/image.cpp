// IMAGE: the pixel surface, its memory device context and its drawing state; construction,
// reset, resize, assignment and destruction.
#include <cstring>

#include "context.h"
#include "surface.h"

namespace Slate {

namespace {

// The one header every surface is created from; only width and height change. Surfaces are
// created on the game thread only, so it needs no lock.
BITMAPINFO sharedBitmapInfo = {{sizeof(BITMAPINFOHEADER), 0, 0, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};

// Larger surfaces than this are refused rather than risking a size that overflows.
constexpr long long kMaxPixels = 1LL << 28;

const XFORM kIdentity = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};

void fillPixels(DWORD* pixels, long long count, DWORD value) {
  for (long long i = 0; i < count; ++i) pixels[i] = value;
}

}  // namespace

HBITMAP createPixelSurface(int width, int height, DWORD** pixels) {
  if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxPixels) {
    return nullptr;
  }
  sharedBitmapInfo.bmiHeader.biWidth = width;
  sharedBitmapInfo.bmiHeader.biHeight = -height;  // negative: row 0 is the top row
  void* bits = nullptr;
  HBITMAP surface = CreateDIBSection(nullptr, &sharedBitmapInfo, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (surface == nullptr || bits == nullptr) {
    if (surface) DeleteObject(surface);
    return nullptr;
  }
  *pixels = static_cast<DWORD*>(bits);
  return surface;
}

void replaceObject(HDC dc, HGDIOBJ object) {
  HGDIOBJ old = SelectObject(dc, object);
  if (old && old != object) DeleteObject(old);
}

LOGFONTW defaultFont() {
  LOGFONTW font = {};
  font.lfHeight = 16;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = NONANTIALIASED_QUALITY;
  wcscpy(font.lfFaceName, L"System");
  return font;
}

void applyDefaultDcState(HDC dc, COLORREF bkColor, const XFORM& transform) {
  SetGraphicsMode(dc, GM_ADVANCED);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, bkColor);
  MoveToEx(dc, 0, 0, nullptr);
  replaceObject(dc, CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
  replaceObject(dc, CreateSolidBrush(RGB(255, 255, 255)));
  SetTextColor(dc, RGB(255, 255, 255));
  SetWorldTransform(dc, &transform);
  // The default, BLACKONWHITE, ANDs together the pixels a shrinking transfer drops, which
  // gives colours found nowhere in the picture; this keeps one of them.
  SetStretchBltMode(dc, COLORONCOLOR);
  SelectClipRgn(dc, nullptr);
  noteClipRegionChanged();
  const LOGFONTW font = defaultFont();
  replaceObject(dc, CreateFontIndirectW(&font));
}

IMAGE::IMAGE(int width, int height)
    : width(0),
      height(0),
      bitmap(nullptr),
      dc(CreateCompatibleDC(graphContext.windowDc)),
      currentX(0),
      currentY(0),
      transform(kIdentity),
      lineColor(0),
      fillColor(0),
      textColor(0),
      bkColor(0),
      pixels(nullptr) {
  IMAGE::resetDefaults();
  if (width != 0 && height != 0) {
    IMAGE::resize(width, height);
  } else {
    this->width = width;
    this->height = height;
  }
}

IMAGE::~IMAGE() {
  // Hand the stock objects back so the image's own pen, brush and font can be deleted.
  replaceObject(dc, GetStockObject(WHITE_PEN));
  replaceObject(dc, GetStockObject(BLACK_BRUSH));
  replaceObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteDC(dc);
  if (bitmap) DeleteObject(bitmap);
  // fillStyle (with its pattern image) and then lineStyle are destroyed as members.
}

void IMAGE::resetDefaults() {
  currentX = 0;
  currentY = 0;
  lineColor = RGB(255, 255, 255);
  textColor = RGB(255, 255, 255);
  bkColor = 0;
  transform = kIdentity;
  lineStyle.style = PS_SOLID;
  lineStyle.thickness = 1;
  lineStyle.clearPattern();
  fillColor = RGB(255, 255, 255);
  fillStyle.style = BS_SOLID;  // the hatch is kept
  fillStyle.clearPattern();
  spriteTint = RGB(255, 255, 255);
  applyDefaultDcState(dc, bkColor, transform);
}

void IMAGE::resize(int newWidth, int newHeight) {
  // A zero size changes nothing; negative sizes are refused the same way.
  if (newWidth <= 0 || newHeight <= 0) return;
  // The size it already has: a new surface would hold the same pixels and the drawing state
  // survives either way, so the surface is kept. The title spin asks for this every frame,
  // and the first writes to a fresh surface cost page faults.
  if (bitmap && newWidth == width && newHeight == height) return;
  DWORD* newPixels = nullptr;
  HBITMAP surface = createPixelSurface(newWidth, newHeight, &newPixels);
  if (surface == nullptr) return;  // keep the old surface
  fillPixels(newPixels, static_cast<long long>(newWidth) * newHeight, toPixelOrder(bkColor));

  if (bitmap) {
    // Keep the old content at the top-left corner. The copy is made in device pixels,
    // whatever origin or scale the image has, and only where old and new overlap.
    HDC scratch = CreateCompatibleDC(dc);
    HGDIOBJ placeholder = SelectObject(scratch, surface);
    XFORM saved;
    GetWorldTransform(dc, &saved);
    SetWorldTransform(dc, &kIdentity);
    BitBlt(scratch, 0, 0, newWidth < width ? newWidth : width,
           newHeight < height ? newHeight : height, dc, 0, 0, SRCCOPY);
    SetWorldTransform(dc, &saved);
    SelectObject(scratch, placeholder);
    DeleteDC(scratch);
    SelectObject(dc, surface);
    DeleteObject(bitmap);
  } else {
    SelectObject(dc, surface);  // releases the context's initial placeholder bitmap
  }
  bitmap = surface;
  pixels = newPixels;
  width = newWidth;
  height = newHeight;
}

IMAGE& IMAGE::operator=(const IMAGE& src) {
  if (&src == this) return *this;
  resize(src.width, src.height);
  // An empty source has no pixels to give; the destination keeps its own.
  if (src.bitmap && bitmap) {
    BitBlt(dc, 0, 0, width, height, src.dc, 0, 0, SRCCOPY);
    hasAlpha = src.hasAlpha;  // the copy carries the top byte; it means what it meant
  }
  return *this;
}

}  // namespace Slate

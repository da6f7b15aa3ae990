// Line and fill styles: the stored LINESTYLE and FILLSTYLE of the current image, and the pen
// and brush built from them. Every setter stores first, then builds one new platform object
// and selects it in place of the old one, so a context always holds exactly one of each.
#include "styles.h"

#include <algorithm>
#include <new>

#include "context.h"
#include "surface.h"
#include "window_target.h"

namespace Slate {

namespace {

constexpr int kLineKindMask = 0x0F;

int lineKind(int style) {
  return style & kLineKindMask;
}

bool usesPatternImage(int style) {
  return style == BS_PATTERN || style == BS_DIBPATTERN;
}

// A pattern brush needs pixels to be made from; an empty picture gives it none.
bool usablePattern(const IMAGE* pattern) {
  return pattern && pattern->pixels && pattern->width > 0 && pattern->height > 0;
}

// Stores s as the current image's line style and makes its pen. Every pen is geometric so
// that thickness, end caps and joins all apply.
HPEN storeAndBuildPen(const LINESTYLE& s) {
  IMAGE& image = *graphContext.currentImage;
  if (&s != &image.lineStyle) image.lineStyle = s;
  LINESTYLE& stored = image.lineStyle;
  int penStyle = stored.style | PS_GEOMETRIC;
  const DWORD* dashes = nullptr;
  DWORD dashCount = 0;
  if (lineKind(stored.style) != PS_USERSTYLE) {
    stored.clearPattern();
  } else if (stored.pattern && stored.count > 0) {
    dashes = stored.pattern;
    dashCount = stored.count;
  } else {
    // A user style with no dashes draws nothing; the stored style still says 7.
    penStyle = (penStyle & ~kLineKindMask) | PS_NULL;
  }
  const LOGBRUSH colour = {BS_SOLID, image.lineColor, 0};
  return ExtCreatePen(static_cast<DWORD>(penStyle), static_cast<DWORD>(stored.thickness), &colour,
                      dashCount, dashes);
}

// Screen DC with the default palette realised, as the full-colour packing reads it through.
class ScreenDc {
 public:
  ScreenDc() : dc(GetDC(nullptr)) {
    if (!dc) return;
    previous = SelectPalette(dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    RealizePalette(dc);
  }
  ~ScreenDc() {
    if (!dc) return;
    if (previous) SelectPalette(dc, previous, FALSE);
    ReleaseDC(nullptr, dc);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;

  HDC dc;

 private:
  HPALETTE previous = nullptr;
};

// Runs GetDIBits into the block: with bits == false only the header is completed.
bool readDib(HDC dc, HBITMAP bitmap, HGLOBAL block, SIZE_T bitsOffset, bool bits) {
  auto* info = static_cast<BITMAPINFO*>(GlobalLock(block));
  if (!info) return false;
  const UINT rows = static_cast<UINT>(info->bmiHeader.biHeight);
  void* target = bits ? reinterpret_cast<BYTE*>(info) + bitsOffset : nullptr;
  const int result = GetDIBits(dc, bitmap, 0, rows, target, info, DIB_RGB_COLORS);
  GlobalUnlock(block);
  return result != 0;
}

BITMAPINFOHEADER headerOf(HGLOBAL block) {
  BITMAPINFOHEADER header = {};
  if (const void* data = GlobalLock(block)) {
    header = *static_cast<const BITMAPINFOHEADER*>(data);
    GlobalUnlock(block);
  }
  return header;
}

HBRUSH brushFrom(UINT style, COLORREF colour, ULONG_PTR hatch) {
  const LOGBRUSH record = {style, colour, hatch};
  return CreateBrushIndirect(&record);
}

HBRUSH monochromePatternBrush(const IMAGE& pattern) {
  const std::vector<BYTE> bits = packMonochrome(pattern);
  HBITMAP bitmap = CreateBitmap(pattern.width, pattern.height, 1, 1, bits.data());
  if (!bitmap) return nullptr;
  HBRUSH brush = brushFrom(BS_PATTERN, 0, reinterpret_cast<ULONG_PTR>(bitmap));
  DeleteObject(bitmap);  // the brush keeps its own copy
  return brush;
}

HBRUSH colourPatternBrush(const IMAGE& pattern) {
  HGLOBAL block = packPatternDib(pattern);
  if (!block) return nullptr;
  HBRUSH brush = brushFrom(BS_DIBPATTERN, DIB_RGB_COLORS, reinterpret_cast<ULONG_PTR>(block));
  GlobalFree(block);
  return brush;
}

// Stores f as the current image's fill style and makes its brush. Null when f names no
// brush kind the runtime knows or the platform refuses; a pattern style without a usable
// picture is refused before anything is stored.
HBRUSH storeAndBuildBrush(const FILLSTYLE* f) {
  if (!f || (usesPatternImage(f->style) && !usablePattern(f->pattern))) return nullptr;
  IMAGE& image = *graphContext.currentImage;
  if (f != &image.fillStyle) image.fillStyle = *f;
  const FILLSTYLE& stored = image.fillStyle;
  switch (stored.style) {
    case BS_SOLID:
      return brushFrom(BS_SOLID, image.fillColor, 0);
    case BS_NULL:
      return brushFrom(BS_NULL, 0, 0);
    case BS_HATCHED:
      return brushFrom(BS_HATCHED, image.fillColor, static_cast<ULONG_PTR>(stored.hatch));
    case BS_PATTERN:
      return monochromePatternBrush(*stored.pattern);
    case BS_DIBPATTERN:
      return colourPatternBrush(*stored.pattern);
    default:
      return nullptr;
  }
}

}  // namespace

std::vector<BYTE> packMonochrome(const IMAGE& pattern) {
  if (!usablePattern(&pattern)) return {};
  const size_t width = static_cast<size_t>(pattern.width);
  const size_t stride = (width + 15) / 16 * 2;
  std::vector<BYTE> bits(stride * static_cast<size_t>(pattern.height), 0);
  for (size_t y = 0; y < static_cast<size_t>(pattern.height); ++y) {
    const DWORD* row = pattern.pixels + y * width;
    BYTE* out = bits.data() + y * stride;
    for (size_t x = 0; x < width; ++x) {
      if (row[x] == 0) out[x / 8] |= static_cast<BYTE>(0x80u >> (x % 8));
    }
  }
  return bits;
}

HGLOBAL packPatternDib(const IMAGE& pattern) {
  BITMAP bm;
  if (!pattern.bitmap || GetObjectW(pattern.bitmap, sizeof bm, &bm) != sizeof bm) return nullptr;
  const WORD bitCount = static_cast<WORD>(bm.bmPlanes * bm.bmBitsPixel);
  const BITMAPINFOHEADER header = {
      sizeof(BITMAPINFOHEADER), bm.bmWidth, bm.bmHeight, 1, bitCount, BI_RGB, 0, 0, 0, 0, 0};
  const SIZE_T table = bitCount <= 8 ? (SIZE_T{1} << bitCount) * sizeof(RGBQUAD) : 0;
  const SIZE_T bitsOffset = sizeof header + table;

  ScreenDc screen;
  HGLOBAL block = screen.dc ? GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bitsOffset) : nullptr;
  if (!block) return nullptr;
  *static_cast<BITMAPINFOHEADER*>(GlobalLock(block)) = header;
  GlobalUnlock(block);
  BITMAPINFOHEADER completed = {};
  bool ok = readDib(screen.dc, pattern.bitmap, block, bitsOffset, false);
  if (ok) {
    completed = headerOf(block);
    // The bits must follow the header exactly as laid out above.
    ok = completed.biCompression == BI_RGB && completed.biBitCount == bitCount;
  }
  if (ok && completed.biSizeImage == 0) {
    completed.biSizeImage = ((static_cast<DWORD>(completed.biWidth) * bitCount + 31) & ~31u) / 8 *
                            static_cast<DWORD>(completed.biHeight);
  }
  if (ok) {
    // The block may move; from here on only the returned handle is valid.
    HGLOBAL grown = GlobalReAlloc(block, bitsOffset + completed.biSizeImage, GMEM_MOVEABLE);
    ok = grown != nullptr;
    if (grown) block = grown;
  }
  if (ok) ok = readDib(screen.dc, pattern.bitmap, block, bitsOffset, true);
  if (!ok) {
    GlobalFree(block);
    return nullptr;
  }
  return block;
}

// 13
void DrawOnImg::getLineStyle(LINESTYLE* out) {
  if (out) *out = graphContext.currentImage->lineStyle;
}

// 14
void DrawOnImg::setLineStyle(int style, int thickness, const DWORD* pattern, DWORD count) {
  LINESTYLE& stored = graphContext.currentImage->lineStyle;
  // Copied before the old array goes, in case the caller passed the stored one.
  DWORD* dashes = nullptr;
  if (lineKind(style) == PS_USERSTYLE && pattern && count > 0) {
    dashes = new (std::nothrow) DWORD[count];
    if (dashes) std::copy(pattern, pattern + count, dashes);
  }
  stored.clearPattern();
  stored.style = style;
  stored.thickness = thickness;
  if (dashes) {
    stored.pattern = dashes;
    stored.count = count;
  }
  setLineStyle(&stored);
}

// 15
void DrawOnImg::setLineStyle(const LINESTYLE* style) {
  if (!style) return;
  if (HPEN pen = storeAndBuildPen(*style)) replaceObject(graphContext.targetDc, pen);
}

// 16
void DrawOnImg::getFillStyle(FILLSTYLE* out) {
  if (out) *out = graphContext.currentImage->fillStyle;
}

// 17
void DrawOnImg::setFillStyle(int style, long hatch, IMAGE* patternImage) {
  FILLSTYLE& stored = graphContext.currentImage->fillStyle;
  if (usesPatternImage(style)) {
    // Nothing to paint with: the style and the brush stay as they are.
    if (!usablePattern(patternImage)) return;
    if (!stored.pattern) stored.pattern = new IMAGE();
    *stored.pattern = *patternImage;
    if (stored.pattern->width != patternImage->width) return;  // no room for the copy
  } else if (style == BS_HATCHED) {
    stored.hatch = static_cast<int>(hatch);
  }
  stored.style = style;
  setFillStyle(&stored);
}

// 18
void DrawOnImg::setFillStyle(const BYTE* pattern) {
  if (!pattern) return;
  IMAGE bits(8, 8);
  if (!bits.pixels) return;
  for (int row = 0; row < 8; ++row) {
    for (int column = 0; column < 8; ++column) {
      const bool set = (pattern[row] & (0x80 >> column)) != 0;
      bits.pixels[row * 8 + column] = set ? 0xFFFFFFu : 0u;
    }
  }
  setFillStyle(BS_PATTERN, 0, &bits);
}

// 19
void DrawOnImg::setFillStyle(const FILLSTYLE* style) {
  if (HBRUSH brush = storeAndBuildBrush(style)) replaceObject(graphContext.targetDc, brush);
}

// 15: one pen for the back buffer and the window.
void DrawOnWnd::setLineStyle(const LINESTYLE* style) {
  if (!style) return;
  HPEN pen = storeAndBuildPen(*style);
  if (!pen) return;
  LockGuard guard(graphContext.lock);
  selectIntoBoth(pen);
}

// 19: one brush for the back buffer and the window.
void DrawOnWnd::setFillStyle(const FILLSTYLE* style) {
  HBRUSH brush = storeAndBuildBrush(style);
  if (!brush) return;
  LockGuard guard(graphContext.lock);
  selectIntoBoth(brush);
}

}  // namespace Slate

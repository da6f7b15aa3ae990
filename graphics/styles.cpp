// Line and fill styles: the stored LINESTYLE and FILLSTYLE of the current image, and the pen
// and brush built from them. Every setter stores first, then selects the object for the new
// style in place of the old one (built anew, or parked by a shape variant that switched it
// off), so a context always holds exactly one of each.
#include "styles.h"

#include <algorithm>
#include <new>

#include "context.h"
#include "style_objects.h"
#include "surface.h"
#include "window_target.h"

namespace Slate {

namespace {

constexpr int kLineKindMask = 0x0F;
// The platform takes at most this many dash entries in a pen.
constexpr DWORD kMaxDashes = 16;

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

// The style bits a pen may carry: line kind, end cap, join and pen type.
constexpr int kKnownPenBits = PS_STYLE_MASK | PS_ENDCAP_MASK | PS_JOIN_MASK | PS_TYPE_MASK;

// The widest pen taken. Wider pens are wider than any window, and Wine spends minutes
// widening even a short line drawn with a pen a million pixels wide.
constexpr int kMaxThickness = 32767;

// The pen for s, or none when the platform refuses it. Every pen is geometric so that
// thickness, end caps and joins all apply. Unknown style bits and negative thicknesses are
// refused here: Windows refuses them, Wine builds a pen from them. A pen that draws nothing
// is the stock null pen, and a pen parked under the same key is taken before a new one is
// built.
StyleObject makePen(const LINESTYLE& s, COLORREF colour) {
  StyleObject made;
  if ((s.style & ~kKnownPenBits) != 0 || s.thickness < 0 || s.thickness > kMaxThickness) {
    return made;
  }
  int penStyle = s.style | PS_GEOMETRIC;
  const bool user = lineKind(s.style) == PS_USERSTYLE;
  const bool dashed = user && s.pattern && s.count > 0;
  if (dashed && s.count > kMaxDashes) return made;
  // A user style with no dashes draws nothing; the stored style still says 7.
  if (user && !dashed) penStyle = (penStyle & ~kLineKindMask) | PS_NULL;
  if (lineKind(penStyle) == PS_NULL) {
    made.handle = GetStockObject(NULL_PEN);
    return made;
  }
  ObjectKey& key = made.key;
  key.kind = OBJ_PEN;
  key.style = static_cast<DWORD>(penStyle);
  key.width = static_cast<DWORD>(s.thickness);
  key.colour = colour;
  if (dashed) {
    key.count = s.count;
    std::copy(s.pattern, s.pattern + s.count, key.dashes);
  }
  made.reusable = true;
  made.handle = takeParked(key);
  if (made.handle) return made;
  const LOGBRUSH brush = {BS_SOLID, colour, 0};
  made.handle =
      ExtCreatePen(key.style, key.width, &brush, key.count, dashed ? key.dashes : nullptr);
  return made;
}

// Makes the pen for s and, once it exists, stores s as the current image's line style. A
// style the platform refuses changes nothing.
StyleObject storeAndBuildPen(const LINESTYLE& s) {
  IMAGE& image = *graphContext.currentImage;
  const StyleObject pen = makePen(s, image.lineColor);
  if (!pen.handle) return pen;
  if (&s != &image.lineStyle) image.lineStyle = s;
  if (lineKind(image.lineStyle.style) != PS_USERSTYLE) image.lineStyle.clearPattern();
  return pen;
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

// A solid or hatched brush, parked or new; the stock null brush for none.
StyleObject plainBrush(UINT style, COLORREF colour, ULONG_PTR hatch) {
  StyleObject made;
  if (style == BS_NULL) {
    made.handle = GetStockObject(NULL_BRUSH);
    return made;
  }
  made.key.kind = OBJ_BRUSH;
  made.key.style = style;
  made.key.colour = colour;
  made.key.hatch = hatch;
  made.reusable = true;
  made.handle = takeParked(made.key);
  if (!made.handle) made.handle = brushFrom(style, colour, hatch);
  return made;
}

// The brush for f, or none for a kind the runtime does not know or one the platform refuses.
StyleObject buildBrush(const FILLSTYLE& f, COLORREF colour) {
  StyleObject made;
  switch (f.style) {
    case BS_SOLID:
      return plainBrush(BS_SOLID, colour, 0);
    case BS_NULL:
      return plainBrush(BS_NULL, 0, 0);
    case BS_HATCHED:
      return plainBrush(BS_HATCHED, colour, static_cast<ULONG_PTR>(f.hatch));
    case BS_PATTERN:
      made.handle = monochromePatternBrush(*f.pattern);
      return made;
    case BS_DIBPATTERN:
      made.handle = colourPatternBrush(*f.pattern);
      return made;
    default:
      return made;
  }
}

// Makes the brush for f and, once it exists, stores f as the current image's fill style. A
// pattern style without a usable picture, an unknown kind or a refused brush changes nothing.
StyleObject storeAndBuildBrush(const FILLSTYLE* f) {
  if (!f || (usesPatternImage(f->style) && !usablePattern(f->pattern))) return {};
  IMAGE& image = *graphContext.currentImage;
  const StyleObject brush = buildBrush(*f, image.fillColor);
  if (brush.handle && f != &image.fillStyle) image.fillStyle = *f;
  return brush;
}

// A fill style that borrows the caller's picture for one call and never deletes it.
struct BorrowedFillStyle {
  FILLSTYLE value;
  BorrowedFillStyle() = default;
  BorrowedFillStyle(const BorrowedFillStyle&) = delete;
  BorrowedFillStyle& operator=(const BorrowedFillStyle&) = delete;
  ~BorrowedFillStyle() { value.pattern = nullptr; }
};

}  // namespace

StyleObject solidBrush(COLORREF colour) {
  return plainBrush(BS_SOLID, colour, 0);
}

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

// 14: built as a separate value, so that a refused style leaves the stored one alone. More
// dashes than a pen takes are refused before anything is copied from the caller's array.
void DrawOnImg::setLineStyle(int style, int thickness, const DWORD* pattern, DWORD count) {
  const bool dashed = lineKind(style) == PS_USERSTYLE && pattern && count > 0;
  if (dashed && count > kMaxDashes) return;
  LINESTYLE next;
  next.style = style;
  next.thickness = thickness;
  if (dashed) {
    next.pattern = new (std::nothrow) DWORD[count];
    if (next.pattern) {
      std::copy(pattern, pattern + count, next.pattern);
      next.count = count;
    }
  }
  setLineStyle(&next);
}

// 15
void DrawOnImg::setLineStyle(const LINESTYLE* style) {
  if (!style) return;
  const StyleObject pen = storeAndBuildPen(*style);
  if (pen.handle) selectStyleObject(graphContext.targetDc, pen);
}

// 16
void DrawOnImg::getFillStyle(FILLSTYLE* out) {
  if (out) *out = graphContext.currentImage->fillStyle;
}

// 17: slot 19 copies the caller's picture once the brush exists; the caller keeps it.
void DrawOnImg::setFillStyle(int style, long hatch, IMAGE* patternImage) {
  BorrowedFillStyle next;
  next.value.style = style;
  next.value.hatch =
      style == BS_HATCHED ? static_cast<int>(hatch) : graphContext.currentImage->fillStyle.hatch;
  if (usesPatternImage(style)) next.value.pattern = patternImage;
  setFillStyle(&next.value);
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
  const StyleObject brush = storeAndBuildBrush(style);
  if (brush.handle) selectStyleObject(graphContext.targetDc, brush);
}

// 15: one pen for the back buffer and the window.
void DrawOnWnd::setLineStyle(const LINESTYLE* style) {
  if (!style) return;
  const StyleObject pen = storeAndBuildPen(*style);
  if (!pen.handle) return;
  LockGuard guard(graphContext.lock);
  selectIntoBoth(pen);
}

// 19: one brush for the back buffer and the window.
void DrawOnWnd::setFillStyle(const FILLSTYLE* style) {
  const StyleObject brush = storeAndBuildBrush(style);
  if (!brush.handle) return;
  LockGuard guard(graphContext.lock);
  selectIntoBoth(brush);
}

}  // namespace Slate

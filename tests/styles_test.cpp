// Line and fill styles on the image target: the stored values, the pen and brush built from
// them, the pattern packings, the refusals, and that no setter leaks a GDI object.
#include <gtest/gtest.h>

#include <vector>

#include "context.h"
#include "style_setter_loops.h"
#include "styles.h"
#include "surface.h"

using namespace Slate;

namespace {

constexpr COLORREF kText = RGB(200, 10, 20);
constexpr COLORREF kBack = RGB(5, 60, 250);

struct Pen {
  DWORD style = 0;
  DWORD width = 0;
  COLORREF colour = 0;
  std::vector<DWORD> entries;
};

// The selected pen as either kind of record: the platform may hand out its stock null pen.
Pen selectedPen(HDC dc) {
  HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
  Pen result;
  if (GetObjectType(pen) == OBJ_PEN) {
    LOGPEN plain = {};
    GetObjectW(pen, sizeof plain, &plain);
    result.style = plain.lopnStyle;
    result.width = static_cast<DWORD>(plain.lopnWidth.x);
    result.colour = plain.lopnColor;
    return result;
  }
  std::vector<BYTE> buffer(static_cast<size_t>(GetObjectW(pen, 0, nullptr)));
  if (buffer.size() < sizeof(EXTLOGPEN) - sizeof(DWORD)) return result;
  GetObjectW(pen, static_cast<int>(buffer.size()), buffer.data());
  const auto* info = reinterpret_cast<const EXTLOGPEN*>(buffer.data());
  result.style = info->elpPenStyle;
  result.width = info->elpWidth;
  result.colour = info->elpColor;
  result.entries.assign(info->elpStyleEntry, info->elpStyleEntry + info->elpNumEntries);
  return result;
}

LOGBRUSH selectedBrush(HDC dc) {
  LOGBRUSH brush = {};
  GetObjectW(GetCurrentObject(dc, OBJ_BRUSH), sizeof brush, &brush);
  return brush;
}

class StylesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setDrawTarget(&image);
    // Set directly: these tests must not depend on the colour setters.
    SetTextColor(image.dc, kText);
    SetBkColor(image.dc, kBack);
  }
  void TearDown() override { setDrawTarget(nullptr); }

  DWORD pixel(int x, int y) const { return image.pixels[y * image.width + x]; }

  // Paints the whole image with the current brush and no outline.
  void paintAll() { target.solidRectangle(0, 0, image.width - 1, image.height - 1); }

  IMAGE image{40, 40};
  DrawOnImg& target = graphContext.imageTarget;
};

TEST_F(StylesTest, UserDashesAreCopiedIntoAGeometricPen) {
  DWORD* dashes = new DWORD[4]{4, 2, 1, 2};
  target.setLineStyle(PS_USERSTYLE, 2, dashes, 4);
  delete[] dashes;  // the caller may free its array at once

  LINESTYLE out;
  target.getLineStyle(&out);
  EXPECT_EQ(out.style, PS_USERSTYLE);
  EXPECT_EQ(out.thickness, 2);
  ASSERT_EQ(out.count, 4u);
  EXPECT_NE(out.pattern, image.lineStyle.pattern);
  EXPECT_EQ(std::vector<DWORD>(out.pattern, out.pattern + 4), (std::vector<DWORD>{4, 2, 1, 2}));

  const Pen pen = selectedPen(image.dc);
  EXPECT_EQ(pen.style, static_cast<DWORD>(PS_GEOMETRIC | PS_USERSTYLE));
  EXPECT_EQ(pen.width, 2u);
  EXPECT_EQ(pen.entries, (std::vector<DWORD>{4, 2, 1, 2}));

  // Handing the stored array back in must not read it after it was freed.
  target.setLineStyle(PS_USERSTYLE, 1, image.lineStyle.pattern, image.lineStyle.count);
  ASSERT_EQ(image.lineStyle.count, 4u);
  EXPECT_EQ(std::vector<DWORD>(image.lineStyle.pattern, image.lineStyle.pattern + 4),
            (std::vector<DWORD>{4, 2, 1, 2}));
}

TEST_F(StylesTest, UserStyleWithoutDashesDrawsNothing) {
  target.setLineStyle(PS_USERSTYLE | PS_ENDCAP_FLAT, 3, nullptr, 0);
  LINESTYLE out;
  target.getLineStyle(&out);
  EXPECT_EQ(out.style, PS_USERSTYLE | PS_ENDCAP_FLAT);
  EXPECT_EQ(out.pattern, nullptr);
  EXPECT_EQ(out.count, 0u);
  EXPECT_EQ(selectedPen(image.dc).style & PS_STYLE_MASK, static_cast<DWORD>(PS_NULL));

  target.line(0, 20, 39, 20);
  for (int x = 0; x < 40; ++x) ASSERT_EQ(pixel(x, 20), 0u) << x;
}

TEST_F(StylesTest, DashEntriesAreDroppedOutsideTheUserStyle) {
  const DWORD dashes[] = {5, 5, 5, 5};
  target.setLineStyle(PS_DASH | PS_ENDCAP_FLAT, 3, dashes, 4);
  EXPECT_EQ(image.lineStyle.style, PS_DASH | PS_ENDCAP_FLAT);
  EXPECT_EQ(image.lineStyle.pattern, nullptr);
  EXPECT_EQ(image.lineStyle.count, 0u);
  const Pen pen = selectedPen(image.dc);
  EXPECT_EQ(pen.style, static_cast<DWORD>(PS_GEOMETRIC | PS_DASH | PS_ENDCAP_FLAT));
  EXPECT_EQ(pen.width, 3u);
  EXPECT_TRUE(pen.entries.empty());
}

TEST_F(StylesTest, LineColourKeepsStyleThicknessAndDashes) {
  const DWORD dashes[] = {6, 3};
  target.setLineStyle(PS_USERSTYLE | PS_JOIN_MITER, 4, dashes, 2);
  target.setLineColor(RGB(1, 2, 3));
  EXPECT_EQ(image.lineStyle.style, PS_USERSTYLE | PS_JOIN_MITER);
  EXPECT_EQ(image.lineStyle.thickness, 4);
  ASSERT_EQ(image.lineStyle.count, 2u);
  EXPECT_EQ(image.lineStyle.pattern[1], 3u);
  const Pen pen = selectedPen(image.dc);
  EXPECT_EQ(pen.colour, RGB(1, 2, 3));
  EXPECT_EQ(pen.width, 4u);
  EXPECT_EQ(pen.entries, (std::vector<DWORD>{6, 3}));
}

TEST_F(StylesTest, EachBuildDeletesThePenOrBrushItReplaces) {
  target.setLineStyle(PS_SOLID, 2, nullptr, 0);
  HGDIOBJ firstPen = GetCurrentObject(image.dc, OBJ_PEN);
  target.setLineStyle(PS_DOT, 1, nullptr, 0);
  EXPECT_EQ(GetObjectType(firstPen), 0u);

  target.setFillStyle(BS_HATCHED, HS_CROSS, nullptr);
  HGDIOBJ firstBrush = GetCurrentObject(image.dc, OBJ_BRUSH);
  target.setFillStyle(BS_NULL, 0, nullptr);
  EXPECT_EQ(GetObjectType(firstBrush), 0u);
}

TEST_F(StylesTest, BrushKindsTakeTheFillColourAndHatch) {
  image.fillColor = RGB(9, 8, 7);
  target.setFillStyle(BS_HATCHED, HS_BDIAGONAL, nullptr);
  LOGBRUSH brush = selectedBrush(image.dc);
  EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_HATCHED));
  EXPECT_EQ(brush.lbColor, RGB(9, 8, 7));
  EXPECT_EQ(brush.lbHatch, static_cast<ULONG_PTR>(HS_BDIAGONAL));
  EXPECT_EQ(image.fillStyle.hatch, HS_BDIAGONAL);

  target.setFillStyle(BS_NULL, HS_CROSS, nullptr);
  EXPECT_EQ(selectedBrush(image.dc).lbStyle, static_cast<UINT>(BS_NULL));
  EXPECT_EQ(image.fillStyle.hatch, HS_BDIAGONAL);  // only the hatched style takes a hatch

  target.setFillStyle(BS_SOLID, 0, nullptr);
  paintAll();
  EXPECT_EQ(pixel(0, 0), toPixelOrder(RGB(9, 8, 7)));
  EXPECT_EQ(pixel(39, 39), toPixelOrder(RGB(9, 8, 7)));
}

TEST_F(StylesTest, EightBytePatternPaintsSetBitsInTheTextColour) {
  const BYTE stripes[8] = {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00};
  target.setFillStyle(stripes);
  EXPECT_EQ(image.fillStyle.style, BS_PATTERN);
  paintAll();
  for (int y = 0; y < 16; ++y) {
    const DWORD expected = toPixelOrder(y % 2 == 0 ? kText : kBack);
    for (int x = 0; x < 16; ++x) ASSERT_EQ(pixel(x, y), expected) << x << "," << y;
  }

  // Bit 7 is the left column.
  const BYTE leftColumn[8] = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
  target.setFillStyle(leftColumn);
  paintAll();
  EXPECT_EQ(pixel(0, 3), toPixelOrder(kText));
  EXPECT_EQ(pixel(8, 3), toPixelOrder(kText));
  EXPECT_EQ(pixel(1, 3), toPixelOrder(kBack));
  EXPECT_EQ(pixel(7, 3), toPixelOrder(kBack));
}

TEST(MonochromePacking, RowsArePaddedTo16Bits) {
  IMAGE narrow(10, 3);
  for (int i = 0; i < 30; ++i) narrow.pixels[i] = 0x00FFFFFF;
  narrow.pixels[1 * 10 + 0] = 0;  // row 1, first pixel: bit 7 of the row's first byte
  narrow.pixels[2 * 10 + 9] = 0;  // row 2, last pixel: bit 6 of the second byte
  const std::vector<BYTE> narrowBits = packMonochrome(narrow);
  EXPECT_EQ(narrowBits, (std::vector<BYTE>{0, 0, 0x80, 0, 0, 0x40}));

  IMAGE wide(17, 2);
  for (int i = 0; i < 34; ++i) wide.pixels[i] = 0x00010203;  // anything but 0 is a 0 bit
  wide.pixels[16] = 0;                                       // the third byte of row 0
  wide.pixels[17 + 7] = 0;
  wide.pixels[17 + 8] = 0;
  const std::vector<BYTE> wideBits = packMonochrome(wide);
  EXPECT_EQ(wideBits, (std::vector<BYTE>{0, 0, 0x80, 0, 0x01, 0x80, 0, 0}));
}

TEST_F(StylesTest, WidePatternImageRepeatsWithItsOwnRows) {
  IMAGE pattern(17, 2);
  for (int i = 0; i < 34; ++i) pattern.pixels[i] = 0x00FFFFFF;
  pattern.pixels[16] = 0;  // black: painted in the background colour
  target.setFillStyle(BS_PATTERN, 0, &pattern);
  paintAll();
  EXPECT_EQ(pixel(16, 0), toPixelOrder(kBack));
  EXPECT_EQ(pixel(33, 0), toPixelOrder(kBack));
  EXPECT_EQ(pixel(16, 2), toPixelOrder(kBack));
  EXPECT_EQ(pixel(15, 0), toPixelOrder(kText));
  EXPECT_EQ(pixel(16, 1), toPixelOrder(kText));
  EXPECT_EQ(pixel(0, 0), toPixelOrder(kText));
}

TEST_F(StylesTest, ColourPatternKeepsItsPixelsAndOrientation) {
  IMAGE pattern(3, 2);
  for (int i = 0; i < 6; ++i) pattern.pixels[i] = 0x00102030u * static_cast<DWORD>(i + 1);
  HGLOBAL block = packPatternDib(pattern);
  ASSERT_NE(block, nullptr);
  const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(block));
  EXPECT_EQ(header->biSize, 40u);
  EXPECT_EQ(header->biWidth, 3);
  EXPECT_EQ(header->biHeight, 2);  // bottom-up rows
  EXPECT_EQ(header->biBitCount, 32);
  EXPECT_EQ(header->biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_GE(GlobalSize(block), 40u + 3 * 4 * 2);
  const auto* bits = reinterpret_cast<const DWORD*>(header + 1);
  EXPECT_EQ(bits[0], pattern.pixels[3]);  // the first stored row is the bottom one
  GlobalUnlock(block);
  GlobalFree(block);

  target.setFillStyle(BS_DIBPATTERN, 0, &pattern);
  EXPECT_NE(image.fillStyle.pattern, &pattern);
  pattern.pixels[0] = 0;  // the caller's image is not kept
  paintAll();
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 9; ++x) {
      ASSERT_EQ(pixel(x, y), 0x00102030u * static_cast<DWORD>((y % 2) * 3 + x % 3 + 1))
          << x << "," << y;
    }
  }
}

TEST_F(StylesTest, PatternStylesWithoutAPictureChangeNothing) {
  target.setFillStyle(BS_HATCHED, HS_CROSS, nullptr);
  HGDIOBJ brush = GetCurrentObject(image.dc, OBJ_BRUSH);
  IMAGE empty;
  target.setFillStyle(BS_PATTERN, 0, nullptr);
  target.setFillStyle(BS_DIBPATTERN, 0, &empty);
  FILLSTYLE noPicture;
  noPicture.style = BS_PATTERN;
  target.setFillStyle(&noPicture);
  noPicture.style = BS_DIBPATTERN;
  noPicture.pattern = new IMAGE();
  target.setFillStyle(&noPicture);
  target.setFillStyle(static_cast<const FILLSTYLE*>(nullptr));
  target.setFillStyle(static_cast<const BYTE*>(nullptr));
  EXPECT_EQ(image.fillStyle.style, BS_HATCHED);
  EXPECT_EQ(image.fillStyle.pattern, nullptr);
  EXPECT_EQ(GetCurrentObject(image.dc, OBJ_BRUSH), brush);
  EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
}

TEST_F(StylesTest, RefusedStylesChangeNothing) {
  // An unknown brush kind and a pen the platform refuses: neither the stored value nor the
  // selected object changes, so what getLineStyle reports is what draws.
  target.setFillStyle(BS_HATCHED, HS_CROSS, nullptr);
  HGDIOBJ brush = GetCurrentObject(image.dc, OBJ_BRUSH);
  target.setFillStyle(4, HS_VERTICAL, nullptr);
  EXPECT_EQ(image.fillStyle.style, BS_HATCHED);
  EXPECT_EQ(image.fillStyle.hatch, HS_CROSS);
  EXPECT_EQ(GetCurrentObject(image.dc, OBJ_BRUSH), brush);

  const DWORD dashes[] = {2, 2};
  target.setLineStyle(PS_USERSTYLE, 2, dashes, 2);
  HGDIOBJ pen = GetCurrentObject(image.dc, OBJ_PEN);
  target.setLineStyle(PS_ALTERNATE, 1, nullptr, 0);  // cosmetic pens only
  LINESTYLE cosmetic;
  cosmetic.style = PS_ALTERNATE;
  target.setLineStyle(&cosmetic);
  EXPECT_EQ(image.lineStyle.style, PS_USERSTYLE);
  EXPECT_EQ(image.lineStyle.thickness, 2);
  EXPECT_EQ(image.lineStyle.count, 2u);
  EXPECT_EQ(GetCurrentObject(image.dc, OBJ_PEN), pen);
  EXPECT_EQ(GetObjectType(pen), static_cast<DWORD>(OBJ_EXTPEN));

  // More dash entries than a pen takes, however many the array really holds: nothing is
  // copied or allocated, in either form of the setter.
  const std::vector<DWORD> many(17, 3);
  LINESTYLE tooMany;
  tooMany.style = PS_USERSTYLE;
  tooMany.pattern = new DWORD[17]{};
  tooMany.count = 17;
  for (DWORD count : {17u, 1u << 20, 0xFFFFFFFFu}) {
    target.setLineStyle(PS_USERSTYLE, 1, many.data(), count);
    target.setLineStyle(&tooMany);
    EXPECT_EQ(image.lineStyle.thickness, 2) << count;
    EXPECT_EQ(image.lineStyle.count, 2u) << count;
    EXPECT_EQ(GetCurrentObject(image.dc, OBJ_PEN), pen) << count;
  }

  target.getLineStyle(nullptr);
  target.getFillStyle(nullptr);
  target.setLineStyle(static_cast<const LINESTYLE*>(nullptr));
  EXPECT_EQ(GetCurrentObject(image.dc, OBJ_PEN), pen);

  target.setLineStyle(PS_USERSTYLE, 3, many.data(), 16);  // the most a pen takes
  EXPECT_EQ(selectedPen(image.dc).entries, std::vector<DWORD>(16, 3));
}

TEST_F(StylesTest, ReadBackValuesAreIndependentCopies) {
  IMAGE picture(4, 4);
  target.setFillStyle(BS_PATTERN, 0, &picture);
  FILLSTYLE out;
  target.getFillStyle(&out);
  ASSERT_NE(out.pattern, nullptr);
  EXPECT_NE(out.pattern, image.fillStyle.pattern);
  EXPECT_NE(out.pattern, &picture);
  EXPECT_EQ(out.pattern->width, 4);

  // A style without a picture drops the one held.
  target.setFillStyle(BS_SOLID, 0, nullptr);
  EXPECT_EQ(image.fillStyle.pattern, nullptr);
}

TEST_F(StylesTest, SettersLeakNothing) {
  StyleSetterLoops::lineSetters(target);
  EXPECT_EQ(selectedPen(image.dc).width, 5u);
  StyleSetterLoops::fillSetters(target);
  const LOGBRUSH brush = selectedBrush(image.dc);
  EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_HATCHED));
  EXPECT_EQ(brush.lbHatch, static_cast<ULONG_PTR>((StyleSetterLoops::kRepeats - 1) % 6));
}

}  // namespace

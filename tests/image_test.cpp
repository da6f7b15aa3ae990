// IMAGE: sizes and pixels, resize, assignment, the drawing defaults, and the GDI objects it
// owns.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "context.h"
#include "surface.h"

using namespace Slate;

namespace {

DWORD pixelAt(const IMAGE& image, int x, int y) {
  return image.pixels[y * image.width + x];
}

void fill(IMAGE& image, DWORD first) {
  for (int i = 0; i < image.width * image.height; ++i) image.pixels[i] = first + i;
}

TEST(ImageConstruction, EmptyAndSized) {
  IMAGE empty;
  EXPECT_EQ(empty.width, 0);
  EXPECT_EQ(empty.height, 0);
  EXPECT_EQ(empty.pixels, nullptr);
  EXPECT_EQ(empty.bitmap, nullptr);
  EXPECT_NE(empty.dc, nullptr);
  EXPECT_EQ(getImageBuffer(&empty), nullptr);

  IMAGE small(3, 2);
  ASSERT_NE(small.pixels, nullptr);
  EXPECT_EQ(getImageBuffer(&small), small.pixels);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(small.pixels[i], 0u);
  // The surface is top-down 32-bit: pixel (x, y) is element y * width + x.
  small.pixels[1 * 3 + 2] = 0x00123456;
  EXPECT_EQ(GetPixel(small.dc, 2, 1), RGB(0x12, 0x34, 0x56));
  SetPixelV(small.dc, 0, 1, RGB(0xAA, 0xBB, 0xCC));
  EXPECT_EQ(pixelAt(small, 0, 1), 0x00AABBCCu);
}

TEST(ImageConstruction, RefusedSizesLeaveAnEmptyImage) {
  IMAGE negative(-5, 4);
  EXPECT_EQ(negative.pixels, nullptr);
  IMAGE huge(1 << 20, 1 << 20);
  EXPECT_EQ(huge.pixels, nullptr);
  EXPECT_EQ(huge.bitmap, nullptr);
}

TEST(ImageResize, GrowingFillsWithBackgroundAndKeepsTopLeft) {
  IMAGE image(2, 2);
  fill(image, 0x10);
  image.bkColor = 0x0000FF;  // red as a COLORREF
  image.resize(4, 4);
  ASSERT_EQ(image.width, 4);
  ASSERT_EQ(image.height, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const DWORD expected = (x < 2 && y < 2) ? 0x10 + y * 2 + x : 0x00FF0000;
      EXPECT_EQ(pixelAt(image, x, y), expected) << x << "," << y;
    }
  }
}

TEST(ImageResize, ShrinkingKeepsTopLeft) {
  IMAGE image(4, 4);
  fill(image, 0x100);
  image.resize(2, 2);
  ASSERT_EQ(image.width, 2);
  EXPECT_EQ(pixelAt(image, 0, 0), 0x100u);
  EXPECT_EQ(pixelAt(image, 1, 0), 0x101u);
  EXPECT_EQ(pixelAt(image, 0, 1), 0x104u);
  EXPECT_EQ(pixelAt(image, 1, 1), 0x105u);
}

TEST(ImageResize, KeepsTopLeftWhateverTheOrigin) {
  IMAGE image(4, 4);
  fill(image, 0x200);
  image.transform.eDx = 2;
  image.transform.eDy = 1;
  SetWorldTransform(image.dc, &image.transform);
  image.resize(3, 3);
  EXPECT_EQ(pixelAt(image, 0, 0), 0x200u);
  EXPECT_EQ(pixelAt(image, 2, 2), 0x20Au);
  XFORM now;
  GetWorldTransform(image.dc, &now);
  EXPECT_EQ(now.eDx, 2.0f);  // the drawing state survives
}

TEST(ImageResize, ZeroOrNegativeChangesNothing) {
  IMAGE image(3, 3);
  fill(image, 7);
  DWORD* before = image.pixels;
  HBITMAP bitmap = image.bitmap;
  image.resize(0, 10);
  image.resize(10, 0);
  image.resize(-1, 5);
  resizeImage(&image, 0, 4);
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 3);
  EXPECT_EQ(image.pixels, before);
  EXPECT_EQ(image.bitmap, bitmap);
  EXPECT_EQ(pixelAt(image, 2, 2), 15u);
}

// What a caller can see of an image: size, surface, pixels and drawing state.
struct Seen {
  int width, height;
  HBITMAP bitmap;
  DWORD* pixels;
  std::vector<DWORD> content;
  int currentX, currentY;
  COLORREF textColor, bkColor, dcTextColor, dcBkColor;
  XFORM transform;
  POINT position;
  HGDIOBJ pen, brush, font;
  RECT clip;
};

Seen look(const IMAGE& image) {
  Seen s = {image.width,
            image.height,
            image.bitmap,
            image.pixels,
            {},
            image.currentX,
            image.currentY,
            image.textColor,
            image.bkColor,
            GetTextColor(image.dc),
            GetBkColor(image.dc),
            {},
            {},
            GetCurrentObject(image.dc, OBJ_PEN),
            GetCurrentObject(image.dc, OBJ_BRUSH),
            GetCurrentObject(image.dc, OBJ_FONT),
            {}};
  s.content.assign(image.pixels, image.pixels + image.width * image.height);
  GetWorldTransform(image.dc, &s.transform);
  GetCurrentPositionEx(image.dc, &s.position);
  GetClipBox(image.dc, &s.clip);
  return s;
}

void expectSame(const Seen& a, const Seen& b) {
  EXPECT_EQ(a.width, b.width);
  EXPECT_EQ(a.height, b.height);
  EXPECT_EQ(a.bitmap, b.bitmap);
  EXPECT_EQ(a.pixels, b.pixels);
  EXPECT_EQ(a.content, b.content);
  EXPECT_EQ(a.currentX, b.currentX);
  EXPECT_EQ(a.currentY, b.currentY);
  EXPECT_EQ(a.textColor, b.textColor);
  EXPECT_EQ(a.bkColor, b.bkColor);
  EXPECT_EQ(a.dcTextColor, b.dcTextColor);
  EXPECT_EQ(a.dcBkColor, b.dcBkColor);
  EXPECT_EQ(std::memcmp(&a.transform, &b.transform, sizeof a.transform), 0);
  EXPECT_EQ(a.position.x, b.position.x);
  EXPECT_EQ(a.position.y, b.position.y);
  EXPECT_EQ(a.pen, b.pen);
  EXPECT_EQ(a.brush, b.brush);
  EXPECT_EQ(a.font, b.font);
  EXPECT_TRUE(EqualRect(&a.clip, &b.clip));
}

// A resize to the size the image has changes nothing a caller can see, whatever state the
// image is in, and the image draws and resizes as before afterwards.
TEST(ImageResize, ToTheSameSizeChangesNothing) {
  const struct {
    const char* name;
    int width, height;
    void (*prepare)(IMAGE&);
  } cases[] = {
      {"plain", 3, 2, [](IMAGE&) {}},
      {"one pixel", 1, 1, [](IMAGE&) {}},
      {"unused bytes set", 4, 3,
       [](IMAGE& image) {
         for (int i = 0; i < 12; ++i) image.pixels[i] |= 0xFF000000u;
       }},
      {"origin, clip, colours and position", 6, 5,
       [](IMAGE& image) {
         image.transform.eDx = 2;
         image.transform.eDy = 1;
         SetWorldTransform(image.dc, &image.transform);
         HRGN clip = CreateRectRgn(0, 0, 2, 2);
         SelectClipRgn(image.dc, clip);
         DeleteObject(clip);
         image.bkColor = RGB(255, 0, 0);  // a new surface would start in this colour
         SetBkColor(image.dc, image.bkColor);
         image.textColor = RGB(1, 2, 3);
         SetTextColor(image.dc, image.textColor);
         image.currentX = 4;
         MoveToEx(image.dc, 3, 1, nullptr);
       }},
      {"game frame", 900, 600, [](IMAGE&) {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    IMAGE image(c.width, c.height);
    fill(image, 0x30);
    c.prepare(image);
    const Seen before = look(image);
    image.resize(c.width, c.height);
    resizeImage(&image, c.width, c.height);
    expectSame(look(image), before);

    // Still a working image: GDI drawing reaches the pixels, and growing keeps them.
    XFORM identity = {1, 0, 0, 1, 0, 0};
    SetWorldTransform(image.dc, &identity);
    SelectClipRgn(image.dc, nullptr);
    SetPixelV(image.dc, c.width - 1, c.height - 1, RGB(0x12, 0x34, 0x56));
    GdiFlush();
    EXPECT_EQ(pixelAt(image, c.width - 1, c.height - 1), 0x00123456u);
    const DWORD corner = pixelAt(image, 0, 0);
    image.resize(c.width + 1, c.height);
    ASSERT_EQ(image.width, c.width + 1);
    EXPECT_EQ(pixelAt(image, 0, 0), corner);
    EXPECT_EQ(pixelAt(image, c.width - 1, c.height - 1), 0x00123456u);
    EXPECT_EQ(pixelAt(image, c.width, 0), toPixelOrder(image.bkColor));
  }
}

TEST(ImageResize, EmptyImageGetsASurface) {
  IMAGE image;
  image.bkColor = RGB(1, 2, 3);
  resizeImage(&image, 5, 2);
  ASSERT_NE(image.pixels, nullptr);
  EXPECT_EQ(image.width, 5);
  EXPECT_EQ(pixelAt(image, 4, 1), 0x00010203u);
}

TEST(ImageAssignment, SelfLargerSmallerAndEmpty) {
  IMAGE a(5, 5);
  fill(a, 0x1000);
  DWORD* pixels = a.pixels;
  const IMAGE& same = a;  // through a reference, as a caller reaches it
  a = same;
  EXPECT_EQ(a.pixels, pixels);
  EXPECT_EQ(pixelAt(a, 4, 4), 0x1018u);

  IMAGE small(2, 2);
  small.textColor = RGB(9, 9, 9);
  SetTextColor(small.dc, RGB(9, 9, 9));
  small = a;
  ASSERT_EQ(small.width, 5);
  ASSERT_EQ(small.height, 5);
  for (int i = 0; i < 25; ++i) EXPECT_EQ(small.pixels[i], 0x1000u + i);
  EXPECT_EQ(small.textColor, RGB(9, 9, 9));  // the destination's own state stays
  EXPECT_EQ(GetTextColor(small.dc), RGB(9, 9, 9));

  IMAGE big(8, 6);
  big = a;
  EXPECT_EQ(big.width, 5);
  EXPECT_EQ(big.height, 5);
  EXPECT_EQ(pixelAt(big, 3, 2), 0x100Du);

  IMAGE empty;
  big = empty;
  EXPECT_EQ(big.width, 5);  // an empty source has no size to give
  EXPECT_NE(big.pixels, nullptr);
  empty = a;
  EXPECT_EQ(empty.width, 5);
  EXPECT_EQ(pixelAt(empty, 1, 0), 0x1001u);
}

TEST(ImageDefaults, ResetRestoresStateAndFont) {
  IMAGE image(4, 4);
  image.currentX = 9;
  image.textColor = 1;
  image.bkColor = 2;
  image.lineStyle.style = PS_DASH;
  image.lineStyle.thickness = 5;
  image.fillStyle.style = BS_HATCHED;
  image.fillStyle.hatch = HS_CROSS;
  SetBkMode(image.dc, TRANSPARENT);
  SetROP2(image.dc, R2_XORPEN);
  image.resetDefaults();

  EXPECT_EQ(image.currentX, 0);
  EXPECT_EQ(image.currentY, 0);
  EXPECT_EQ(image.textColor, 0xFFFFFFu);
  EXPECT_EQ(image.lineColor, 0xFFFFFFu);
  EXPECT_EQ(image.fillColor, 0xFFFFFFu);
  EXPECT_EQ(image.bkColor, 0u);
  EXPECT_EQ(image.lineStyle.style, PS_SOLID);
  EXPECT_EQ(image.lineStyle.thickness, 1);
  EXPECT_EQ(image.fillStyle.style, BS_SOLID);
  EXPECT_EQ(image.fillStyle.hatch, HS_CROSS);  // the hatch is kept

  EXPECT_EQ(GetGraphicsMode(image.dc), GM_ADVANCED);
  EXPECT_EQ(GetBkMode(image.dc), OPAQUE);
  EXPECT_EQ(GetTextColor(image.dc), 0xFFFFFFu);
  EXPECT_EQ(GetBkColor(image.dc), 0u);
  EXPECT_EQ(GetROP2(image.dc), R2_XORPEN);  // not part of the defaults

  LOGFONTW font = {};
  GetObjectW(GetCurrentObject(image.dc, OBJ_FONT), sizeof font, &font);
  EXPECT_EQ(font.lfHeight, 16);
  EXPECT_EQ(font.lfWidth, 0);
  EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(font.lfQuality, NONANTIALIASED_QUALITY);
  EXPECT_STREQ(font.lfFaceName, L"System");

  LOGPEN pen = {};
  EXTLOGPEN extPen = {};
  HGDIOBJ penObject = GetCurrentObject(image.dc, OBJ_PEN);
  if (GetObjectType(penObject) == OBJ_PEN) {
    GetObjectW(penObject, sizeof pen, &pen);
    EXPECT_EQ(pen.lopnColor, 0xFFFFFFu);
  } else {
    GetObjectW(penObject, sizeof extPen, &extPen);
    EXPECT_EQ(extPen.elpColor, 0xFFFFFFu);
  }
  LOGBRUSH brush = {};
  GetObjectW(GetCurrentObject(image.dc, OBJ_BRUSH), sizeof brush, &brush);
  EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(brush.lbColor, 0xFFFFFFu);
}

TEST(ImageObjects, ResetAndDestructionDeleteTheReplacedObjects) {
  HGDIOBJ pen, brush, font;
  {
    IMAGE image(2, 2);
    pen = GetCurrentObject(image.dc, OBJ_PEN);
    brush = GetCurrentObject(image.dc, OBJ_BRUSH);
    font = GetCurrentObject(image.dc, OBJ_FONT);
    image.resetDefaults();
    EXPECT_EQ(GetObjectType(pen), 0u);
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(GetObjectType(font), 0u);
    pen = GetCurrentObject(image.dc, OBJ_PEN);
    brush = GetCurrentObject(image.dc, OBJ_BRUSH);
    font = GetCurrentObject(image.dc, OBJ_FONT);
    EXPECT_NE(GetObjectType(pen), 0u);
  }
  EXPECT_EQ(GetObjectType(pen), 0u);
  EXPECT_EQ(GetObjectType(brush), 0u);
  EXPECT_EQ(GetObjectType(font), 0u);
}

TEST(ImageObjects, ResizeDeletesTheOldSurface) {
  IMAGE image(4, 4);
  HBITMAP old = image.bitmap;
  image.resize(8, 8);
  EXPECT_EQ(GetObjectType(old), 0u);
  EXPECT_EQ(GetCurrentObject(image.dc, OBJ_BITMAP), image.bitmap);
}

}  // namespace

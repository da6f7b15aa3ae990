// A large scene, every shape in its four variants under a table of pen and brush styles,
// raster operations, background modes, origins and scales, compared byte for byte with the
// pixels the straightforward drawing code gave (their checksum is kept here), on an image,
// on the window's back buffer and on the window itself, buffered and not.
#include <cstdint>

#include "support/window_fixture.h"

using namespace Slate;

namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 600;
// FNV-1a of the image's pixels, from the drawing code before pens and brushes were reused.
constexpr std::uint64_t kSceneChecksum = 13750260298587542103ull;

struct SceneState {
  int lineStyle;
  int thickness;
  int fillStyle;  // BS_*, or -1 for the 8-byte pattern
  int hatch;
  int rop;
  int bkMode;
  int originX, originY;
  float xScale, yScale;
};

const DWORD kDashes[] = {6, 2, 1, 2};
const BYTE kBytes[8] = {0xAA, 0x55, 0xFF, 0x00, 0x81, 0x42, 0x24, 0x18};

// One cell of the scene each, 225 x 150, in rows of four.
const SceneState kStates[] = {
    {PS_SOLID, 1, BS_SOLID, 0, R2_COPYPEN, OPAQUE, 0, 0, 1, 1},
    {PS_DASH, 1, BS_HATCHED, HS_DIAGCROSS, R2_COPYPEN, OPAQUE, 0, 0, 1, 1},
    {PS_USERSTYLE | PS_ENDCAP_FLAT, 2, BS_HATCHED, HS_CROSS, R2_COPYPEN, TRANSPARENT, 0, 0, 1, 1},
    {PS_SOLID | PS_ENDCAP_SQUARE | PS_JOIN_MITER, 5, BS_NULL, 0, R2_COPYPEN, OPAQUE, 0, 0, 1, 1},
    {PS_DOT, 1, -1, 0, R2_COPYPEN, OPAQUE, 0, 0, 1, 1},
    {PS_SOLID, 3, BS_DIBPATTERN, 0, R2_COPYPEN, OPAQUE, 0, 0, 1, 1},
    {PS_SOLID, 1, BS_SOLID, 0, R2_XORPEN, OPAQUE, 0, 0, 1, 1},
    {PS_DASHDOT, 1, BS_HATCHED, HS_BDIAGONAL, R2_MERGEPEN, TRANSPARENT, 0, 0, 1, 1},
    {PS_NULL, 1, BS_SOLID, 0, R2_NOTCOPYPEN, OPAQUE, 0, 0, 1, 1},
    {PS_USERSTYLE, 1, BS_SOLID, 0, R2_COPYPEN, OPAQUE, 0, 0, 1, 1},  // no dashes: draws nothing
    {PS_SOLID | PS_JOIN_BEVEL, 4, BS_PATTERN, 0, R2_MASKPEN, OPAQUE, 0, 0, 1, 1},
    {PS_INSIDEFRAME, 3, BS_SOLID, 0, R2_COPYPEN, OPAQUE, 0, 0, 1, 1},
    {PS_SOLID, 1, BS_SOLID, 0, R2_COPYPEN, OPAQUE, 7, 5, 1, 1},
    {PS_DASH, 2, BS_HATCHED, HS_VERTICAL, R2_COPYPEN, OPAQUE, 3, 2, 1.25f, 0.75f},
    {PS_SOLID, 2, BS_SOLID, 0, R2_XORPEN, OPAQUE, -4, 9, 0.5f, 1.5f},
    {PS_DOT, 1, BS_NULL, 0, R2_COPYPEN, TRANSPARENT, 0, 0, 2, 2},
};

void applyState(const SceneState& s, IMAGE& pattern, int cell) {
  setLineColor(RGB(40 + cell * 13, 250 - cell * 9, 90));
  setFillColor(RGB(200 - cell * 7, 60 + cell * 11, 220));
  setBkColor(RGB(cell * 5, 30, 60));
  setBkMode(s.bkMode);
  setRop2(s.rop);
  const bool dashed = (s.lineStyle & PS_STYLE_MASK) == PS_USERSTYLE && s.thickness > 1;
  setLineStyle(s.lineStyle, s.thickness, dashed ? kDashes : nullptr, dashed ? 4 : 0);
  if (s.fillStyle == -1) {
    setFillStyle(kBytes);
  } else {
    setFillStyle(s.fillStyle, s.hatch, &pattern);
  }
  setOrigin(s.originX + (cell % 4) * 225, s.originY + (cell / 4) * 150);
  setAspectRatio(s.xScale, s.yScale);
}

// Every drawing call of the scene, in the current state, inside a 225 x 150 cell.
void drawCell(int cell) {
  for (int v = 0; v < 4; ++v) {
    const int y = 4 + v * 30;
    using Box = void (*)(int, int, int, int);
    const Box rects[4] = {rectangle, fillRectangle, solidRectangle, clearRectangle};
    const Box ellipses[4] = {ellipse, fillEllipse, solidEllipse, clearEllipse};
    using Circle = void (*)(int, int, int);
    const Circle circles[4] = {circle, fillCircle, solidCircle, clearCircle};
    using Round = void (*)(int, int, int, int, int, int);
    const Round rounds[4] = {roundRect, fillRoundRect, solidRoundRect, clearRoundRect};
    using Wedge = void (*)(int, int, int, int, double, double);
    const Wedge pies[4] = {pie, fillPie, solidPie, clearPie};
    using Poly = void (*)(const POINT*, int);
    const Poly polygons[4] = {polygon, fillPolygon, solidPolygon, clearPolygon};
    const POINT star[5] = {{190, y}, {200, y + 22}, {180, y + 8}, {204, y + 8}, {184, y + 22}};
    rects[v](4, y, 28, y + 22);
    circles[v](46, y + 11, 11);
    ellipses[v](62, y, 94, y + 22);
    rounds[v](100, y, 134, y + 22, 10, 8);
    pies[v](140, y, 172, y + 24, 0.3 + v, 2.9 + v);
    polygons[v](star, 5);
  }
  arc(4, 124, 40, 146, 0.5, 4.0);
  const POINT zigzag[4] = {{44, 146}, {54, 126}, {64, 146}, {74, 126}};
  polyline(zigzag, 4);
  line(80, 126, 110, 146);
  moveTo(114, 146);
  lineTo(124, 126);
  lineRel(10, 20);
  putPixel(140, 130, RGB(255, cell * 15, 0));
  writeTextAt(146, 124, L"Ab");
  moveTo(170, 124);
  writeText(L"%");
  RECT box = {190, 124, 222, 146};
  writeTextInRect(L"xy", &box, DT_CENTER);
}

void drawScene() {
  IMAGE pattern(8, 8);
  for (int i = 0; i < 64; ++i) pattern.pixels[i] = (i * 37) % 5 == 0 ? 0 : 0x00FF8040u + i;
  setBkColor(RGB(16, 24, 40));
  clearDevice();
  setTextStyle(14, 0, L"Arial");
  int cell = 0;
  for (const SceneState& s : kStates) {
    applyState(s, pattern, cell);
    drawCell(cell++);
  }
  setOrigin(0, 0);
  setAspectRatio(1, 1);
  setRop2(R2_COPYPEN);
  setLineColor(RGB(1, 2, 3));
  setLineStyle(PS_SOLID, 1);
  rectangle(880, 580, 898, 598);
  setFillStyle(BS_HATCHED, HS_FDIAGONAL);
  floodFill(889, 589, RGB(1, 2, 3));
}

std::uint64_t checksum(const DWORD* pixels, size_t count) {
  std::uint64_t h = 14695981039346656037ull;
  for (size_t i = 0; i < count; ++i) {
    for (int b = 0; b < 3; ++b) {  // the high byte is no part of a pixel's colour
      h ^= (pixels[i] >> (8 * b)) & 0xFF;
      h *= 1099511628211ull;
    }
  }
  return h;
}

TEST(DrawScene, ImageHoldsTheSamePixels) {
  IMAGE image(kWidth, kHeight);
  setDrawTarget(&image);
  drawScene();
  setDrawTarget(nullptr);
  EXPECT_EQ(checksum(image.pixels, kWidth * kHeight), kSceneChecksum);
}

class DrawSceneOnWindow : public SlateTest::WindowTargetTest {};

// The back buffer holds the image's pixels, and the window shows them, both ways.
TEST_F(DrawSceneOnWindow, BackBufferAndWindowHoldTheSamePixels) {
  ASSERT_EQ(window.width, kWidth);
  for (const bool buffered : {false, true}) {
    resetDefaults();
    if (buffered) beginBufferedDrawing();
    drawScene();
    if (buffered) endBufferedDrawing();
    EXPECT_EQ(checksum(window.pixels, kWidth * kHeight), kSceneChecksum) << buffered;
    const SlateTest::Pixels shown = SlateTest::shownOnWindow();
    EXPECT_EQ(checksum(shown.data.data(), shown.data.size()), kSceneChecksum) << buffered;
  }
}

}  // namespace

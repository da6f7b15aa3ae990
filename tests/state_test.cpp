// Target state on the image target: clearing, colours, the mix modes, origin and aspect
// ratio, the clip region and single pixels.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "context.h"
#include "support/host.h"
#include "support/window_fixture.h"
#include "surface.h"

using namespace Slate;

namespace {

DrawOnImg& target() {
  return *graphContext.currentTarget;
}

DWORD pixelAt(const IMAGE& image, int x, int y) {
  return image.pixels[y * image.width + x];
}

// Scales the platform refuses, the singular ones and those whose determinant vanishes in its
// single precision: the stored transform stays as it was, and so the one every context holds.
void expectRefusedScalesChangeNothing(IMAGE& image, std::initializer_list<HDC> contexts) {
  target().setOrigin(100, 50);
  target().setAspectRatio(2.0f, 3.0f);
  const struct {
    float x, y;
  } refused[] = {{0.0f, 3.0f}, {2.0f, 0.0f}, {1e-30f, 1e-30f}, {FLT_MIN, FLT_MIN}, {NAN, 1.0f}};
  for (const auto& scale : refused) {
    target().setAspectRatio(scale.x, scale.y);
    float x = 0, y = 0;
    target().getAspectRatio(&x, &y);
    EXPECT_EQ(x, 2.0f) << scale.x << " x " << scale.y;
    EXPECT_EQ(y, 3.0f) << scale.x << " x " << scale.y;
    for (HDC dc : contexts) {
      XFORM applied;
      GetWorldTransform(dc, &applied);
      EXPECT_EQ(std::memcmp(&applied, &image.transform, sizeof applied), 0);
    }
  }
}

// Counts the pixels of the image equal to value.
int countPixels(const IMAGE& image, DWORD value) {
  int n = 0;
  for (int i = 0; i < image.width * image.height; ++i) n += image.pixels[i] == value;
  return n;
}

COLORREF brushColor(HDC dc) {
  LOGBRUSH brush = {};
  GetObjectW(GetCurrentObject(dc, OBJ_BRUSH), sizeof(brush), &brush);
  return brush.lbColor;
}

// Records the slots the state slots must reach through the object's own table.
class SpyTarget : public DrawOnImg {
 public:
  void setLineStyle(const LINESTYLE* style) override { lineStyleArg = style; }
  void setFillStyle(const FILLSTYLE* style) override { fillStyleArg = style; }
  void moveTo(int x, int y) override { moves.push_back({x, y}); }
  using DrawOnImg::setFillStyle;
  using DrawOnImg::setLineStyle;

  const LINESTYLE* lineStyleArg = nullptr;
  const FILLSTYLE* fillStyleArg = nullptr;
  std::vector<POINT> moves;
};

class ImageState : public ::testing::Test {
 protected:
  void SetUp() override { setDrawTarget(&image); }
  void TearDown() override { setDrawTarget(nullptr); }
  IMAGE image{200, 100};
};

TEST_F(ImageState, ClearingAGreyFillsEveryByteIncludingTheHighOnes) {
  target().setBkColor(RGB(0x80, 0x80, 0x80));
  target().clearDevice();
  const auto* bytes = reinterpret_cast<const unsigned char*>(image.pixels);
  int wrong = 0;
  for (int i = 0; i < image.width * image.height * 4; ++i) wrong += bytes[i] != 0x80;
  EXPECT_EQ(wrong, 0);

  target().setBkColor(RGB(255, 255, 255));
  image.currentX = 9;
  image.currentY = 4;
  target().clearDevice();
  EXPECT_EQ(countPixels(image, 0xFFFFFFFFu), image.width * image.height);
  EXPECT_EQ(target().getCurrentX(), 0);
  EXPECT_EQ(target().getCurrentY(), 0);
}

TEST_F(ImageState, ClearingAColourStoresItInPixelOrderEverywhere) {
  // Neither the origin nor a clip region limits the clear.
  target().setOrigin(30, 20);
  HRGN clip = CreateRectRgn(0, 0, 5, 5);
  target().setClipRegion(clip);
  DeleteObject(clip);
  target().setBkColor(RGB(255, 0, 0));
  target().clearDevice();
  EXPECT_EQ(countPixels(image, 0x00FF0000u), image.width * image.height);
  target().setBkColor(RGB(0x12, 0x34, 0x56));
  target().clearDevice();
  EXPECT_EQ(countPixels(image, 0x00123456u), image.width * image.height);
}

TEST_F(ImageState, ClearingMovesToTheCornerThroughTheTable) {
  SpyTarget spy;
  spy.clearDevice();
  ASSERT_EQ(spy.moves.size(), 1u);
  EXPECT_EQ(spy.moves[0].x, 0);
  EXPECT_EQ(spy.moves[0].y, 0);

  IMAGE empty;  // nothing to clear: the call changes nothing
  setDrawTarget(&empty);
  spy.clearDevice();
  EXPECT_EQ(spy.moves.size(), 1u);
}

TEST_F(ImageState, ColourSettersStoreAndReachTheContext) {
  target().setTextColor(RGB(1, 2, 3));
  target().setBkColor(RGB(4, 5, 6));
  EXPECT_EQ(target().getTextColor(), RGB(1, 2, 3));
  EXPECT_EQ(GetTextColor(image.dc), RGB(1, 2, 3));
  EXPECT_EQ(target().getBkColor(), RGB(4, 5, 6));
  EXPECT_EQ(GetBkColor(image.dc), RGB(4, 5, 6));
}

TEST_F(ImageState, LineColourReappliesTheImagesOwnLineStyle) {
  SpyTarget spy;
  spy.setLineColor(RGB(9, 8, 7));
  EXPECT_EQ(image.lineColor, RGB(9, 8, 7));
  EXPECT_EQ(spy.getLineColor(), RGB(9, 8, 7));
  EXPECT_EQ(spy.lineStyleArg, &image.lineStyle);

  // Through the real slot the pen in the context takes the colour.
  target().setLineColor(RGB(1, 200, 3));
  EXTLOGPEN pen = {};
  GetObjectW(GetCurrentObject(image.dc, OBJ_PEN), sizeof(pen), &pen);
  EXPECT_EQ(pen.elpColor, RGB(1, 200, 3));
}

TEST_F(ImageState, FillColourRebuildsASolidBrushAndDeletesTheOldOne) {
  HGDIOBJ before = GetCurrentObject(image.dc, OBJ_BRUSH);
  target().setFillColor(RGB(10, 20, 30));
  EXPECT_EQ(target().getFillColor(), RGB(10, 20, 30));
  EXPECT_EQ(brushColor(image.dc), RGB(10, 20, 30));
  EXPECT_EQ(GetObjectType(before), 0u);
}

TEST_F(ImageState, FillColourOfAHatchGoesThroughTheFillStyleSlot) {
  SpyTarget spy;
  image.fillStyle.style = BS_HATCHED;
  spy.setFillColor(RGB(1, 1, 1));
  EXPECT_EQ(spy.fillStyleArg, &image.fillStyle);
  EXPECT_EQ(image.fillColor, RGB(1, 1, 1));

  target().setFillColor(RGB(0, 128, 0));  // the real slot rebuilds the hatch in the colour
  LOGBRUSH brush = {};
  GetObjectW(GetCurrentObject(image.dc, OBJ_BRUSH), sizeof(brush), &brush);
  EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_HATCHED));
  EXPECT_EQ(brush.lbColor, RGB(0, 128, 0));
}

TEST_F(ImageState, FillColourOfAPatternOnlyStoresTheColour) {
  SpyTarget spy;
  image.fillStyle.style = BS_PATTERN;
  HGDIOBJ brush = GetCurrentObject(image.dc, OBJ_BRUSH);
  spy.setFillColor(RGB(7, 7, 7));
  EXPECT_EQ(image.fillColor, RGB(7, 7, 7));
  EXPECT_EQ(spy.fillStyleArg, nullptr);
  EXPECT_EQ(GetCurrentObject(image.dc, OBJ_BRUSH), brush);
}

TEST_F(ImageState, OriginMovesPixelsOnTheSurface) {
  target().setOrigin(100, 50);
  target().putPixel(0, 0, RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(pixelAt(image, 100, 50), 0x00112233u);
  EXPECT_EQ(target().getPixel(0, 0), RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(image.transform.eDx, 100.0f);
  EXPECT_EQ(image.transform.eDy, 50.0f);
}

TEST_F(ImageState, AspectRatioKeepsTheOriginAndRefusesASingularScale) {
  target().setOrigin(100, 50);
  target().setAspectRatio(2.0f, 2.0f);
  float x = 0, y = 0;
  target().getAspectRatio(&x, &y);
  EXPECT_EQ(x, 2.0f);
  EXPECT_EQ(y, 2.0f);
  target().putPixel(3, 4, RGB(0, 0, 255));
  EXPECT_EQ(pixelAt(image, 106, 58), 0x000000FFu);

  // A zero scale cannot be set on the context; stored and applied state stay alike.
  target().setAspectRatio(0.0f, 3.0f);
  target().getAspectRatio(&x, &y);
  EXPECT_EQ(x, 2.0f);
  EXPECT_EQ(y, 2.0f);
  XFORM applied;
  GetWorldTransform(image.dc, &applied);
  EXPECT_EQ(applied.eM11, 2.0f);
  EXPECT_EQ(applied.eDx, 100.0f);
  target().getAspectRatio(nullptr, nullptr);  // null outputs are ignored
}

TEST_F(ImageState, RefusedScalesChangeNothing) {
  expectRefusedScalesChangeNothing(image, {image.dc});
}

TEST_F(ImageState, ClearClipRegionPaintsExactlyTheRegionWhateverTheTransform) {
  image.bkColor = RGB(0, 0, 255);
  target().setOrigin(40, 30);
  target().setAspectRatio(2.0f, 2.0f);
  HRGN clip = CreateRectRgn(10, 10, 20, 15);  // device pixels
  target().setClipRegion(clip);
  DeleteObject(clip);  // the context keeps its own copy
  image.currentX = 7;

  target().clearClipRegion();
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const bool inside = x >= 10 && x < 20 && y >= 10 && y < 15;
      ASSERT_EQ(pixelAt(image, x, y), inside ? 0x000000FFu : 0u) << x << "," << y;
    }
  }
  XFORM applied;
  GetWorldTransform(image.dc, &applied);
  EXPECT_EQ(applied.eDx, 40.0f);
  EXPECT_EQ(applied.eM22, 2.0f);
  EXPECT_EQ(image.currentX, 7);
}

TEST_F(ImageState, ClearClipRegionWithoutARegionClearsTheImage) {
  SpyTarget spy;
  image.bkColor = RGB(0, 255, 0);
  spy.clearClipRegion();
  EXPECT_EQ(countPixels(image, 0x0000FF00u), image.width * image.height);
  EXPECT_EQ(spy.moves.size(), 1u);

  target().setClipRegion(nullptr);  // removing clipping that is not there is harmless
  spy.clearClipRegion();
  EXPECT_EQ(spy.moves.size(), 2u);
}

TEST_F(ImageState, ModesLiveInTheImagesContextAcrossTargetSwitches) {
  IMAGE other(4, 4);
  target().setBkMode(TRANSPARENT);
  target().setRop2(R2_XORPEN);
  target().setPolyFillMode(WINDING);

  setDrawTarget(&other);
  EXPECT_EQ(target().getBkMode(), OPAQUE);
  EXPECT_EQ(target().getRop2(), R2_COPYPEN);
  EXPECT_EQ(target().getPolyFillMode(), ALTERNATE);
  target().setRop2(R2_NOT);

  setDrawTarget(nullptr);
  setDrawTarget(&image);
  EXPECT_EQ(target().getBkMode(), TRANSPARENT);
  EXPECT_EQ(target().getRop2(), R2_XORPEN);
  EXPECT_EQ(target().getPolyFillMode(), WINDING);

  // A refused mode leaves the context as it was.
  target().setRop2(999);
  EXPECT_EQ(target().getRop2(), R2_XORPEN);

  // A reset brings back the opaque background but keeps the other two modes.
  target().resetDefaults();
  EXPECT_EQ(target().getBkMode(), OPAQUE);
  EXPECT_EQ(target().getRop2(), R2_XORPEN);
  EXPECT_EQ(target().getPolyFillMode(), WINDING);
}

TEST_F(ImageState, ClipRegionLimitsPixelsButNotTheCaller) {
  HRGN clip = CreateRectRgn(0, 0, 10, 10);
  target().setClipRegion(clip);
  target().putPixel(5, 5, RGB(255, 255, 255));
  target().putPixel(50, 50, RGB(255, 255, 255));
  EXPECT_EQ(pixelAt(image, 5, 5), 0x00FFFFFFu);
  EXPECT_EQ(pixelAt(image, 50, 50), 0u);
  EXPECT_EQ(GetObjectType(clip), static_cast<DWORD>(OBJ_REGION));
  DeleteObject(clip);
  EXPECT_EQ(target().getWidth(), 200);
  EXPECT_EQ(target().getHeight(), 100);
}

// ---- The window target -------------------------------------------------------------------

using SlateTest::shownOnWindow;

class WindowState : public SlateTest::WindowTargetTest {
 protected:
  HDC back() const { return window.dc; }
  HDC front() const { return window.clientDc; }
};

TEST_F(WindowState, ClearingStoresTheFullValueAndShowsItUnlessBuffered) {
  target().setBkColor(RGB(0x80, 0x80, 0x80));
  target().clearDevice();
  EXPECT_EQ(countPixels(window, 0x00808080u), window.width * window.height);  // high byte 0
  EXPECT_EQ(shownOnWindow().at(450, 300), 0x00808080u);

  beginBufferedDrawing();
  target().setBkColor(RGB(255, 0, 0));
  window.currentX = 12;
  target().clearDevice();
  EXPECT_EQ(countPixels(window, 0x00FF0000u), window.width * window.height);
  EXPECT_EQ(shownOnWindow().at(450, 300), 0x00808080u);  // not yet on the window
  EXPECT_EQ(target().getCurrentX(), 0);
  EXPECT_EQ(target().getCurrentY(), 0);
  endBufferedDrawing();
  EXPECT_EQ(shownOnWindow().at(899, 599), 0x00FF0000u);
}

TEST_F(WindowState, StateSettersReachBothContextsWhileBuffered) {
  beginBufferedDrawing();
  target().setTextColor(RGB(1, 2, 3));
  target().setBkColor(RGB(4, 5, 6));
  target().setBkMode(TRANSPARENT);
  target().setRop2(R2_XORPEN);
  target().setPolyFillMode(WINDING);
  target().setOrigin(100, 50);
  target().setAspectRatio(2.0f, 3.0f);
  HRGN clip = CreateRectRgn(1, 2, 30, 40);
  target().setClipRegion(clip);
  DeleteObject(clip);
  for (HDC dc : {back(), front()}) {
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
    EXPECT_EQ(GetBkColor(dc), RGB(4, 5, 6));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(GetROP2(dc), R2_XORPEN);
    EXPECT_EQ(GetPolyFillMode(dc), WINDING);
    XFORM applied;
    GetWorldTransform(dc, &applied);
    EXPECT_EQ(applied.eDx, 100.0f);
    EXPECT_EQ(applied.eDy, 50.0f);
    EXPECT_EQ(applied.eM11, 2.0f);
    EXPECT_EQ(applied.eM22, 3.0f);
    HRGN read = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetClipRgn(dc, read), 1);
    RECT box;
    GetRgnBox(read, &box);
    EXPECT_EQ(box.right, 30);
    EXPECT_EQ(box.bottom, 40);
    DeleteObject(read);
  }
  EXPECT_EQ(window.textColor, RGB(1, 2, 3));
  EXPECT_EQ(window.bkColor, RGB(4, 5, 6));
  EXPECT_EQ(window.transform.eDx, 100.0f);
  EXPECT_EQ(window.transform.eM22, 3.0f);
  target().setAspectRatio(2.0f, 0.0f);  // refused on both contexts and in the record
  EXPECT_EQ(window.transform.eM22, 3.0f);
  target().setRop2(R2_COPYPEN);
  target().setPolyFillMode(ALTERNATE);
}

TEST_F(WindowState, RefusedScalesChangeNothing) {
  expectRefusedScalesChangeNothing(window, {back(), front()});
}

TEST_F(WindowState, OneSolidBrushServesBothContexts) {
  HGDIOBJ backBefore = GetCurrentObject(back(), OBJ_BRUSH);
  HGDIOBJ frontBefore = GetCurrentObject(front(), OBJ_BRUSH);
  target().setFillColor(RGB(10, 20, 30));
  HGDIOBJ brush = GetCurrentObject(back(), OBJ_BRUSH);
  EXPECT_EQ(GetCurrentObject(front(), OBJ_BRUSH), brush);
  EXPECT_EQ(brushColor(back()), RGB(10, 20, 30));
  EXPECT_EQ(GetObjectType(backBefore), 0u);
  EXPECT_EQ(GetObjectType(frontBefore), 0u);

  target().setFillColor(RGB(1, 1, 1));  // the shared brush is deleted once, when replaced
  EXPECT_EQ(GetObjectType(brush), 0u);
  EXPECT_EQ(GetCurrentObject(front(), OBJ_BRUSH), GetCurrentObject(back(), OBJ_BRUSH));
}

TEST_F(WindowState, OriginMovesPixelsOnBothContexts) {
  target().setOrigin(100, 50);
  target().putPixel(0, 0, RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(pixelAt(window, 100, 50), 0x00112233u);
  EXPECT_EQ(target().getPixel(0, 0), RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(shownOnWindow().at(100, 50), 0x00112233u);

  beginBufferedDrawing();
  target().putPixel(1, 0, RGB(0x44, 0x55, 0x66));
  EXPECT_EQ(pixelAt(window, 101, 50), 0x00445566u);
  EXPECT_EQ(shownOnWindow().at(101, 50), 0u);
}

TEST_F(WindowState, ClearClipRegionFillsTheWindowEvenWhileBuffered) {
  target().setBkColor(RGB(0, 0, 255));
  target().setOrigin(40, 30);
  target().setAspectRatio(2.0f, 2.0f);
  HRGN clip = CreateRectRgn(10, 10, 20, 15);
  target().setClipRegion(clip);
  DeleteObject(clip);
  beginBufferedDrawing();
  target().clearClipRegion();
  const SlateTest::Pixels shown = shownOnWindow();
  int wrong = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      const DWORD expected = (x >= 10 && x < 20 && y >= 10 && y < 15) ? 0x000000FFu : 0u;
      wrong += pixelAt(window, x, y) != expected;
      wrong += shown.at(x, y) != expected;
    }
  }
  EXPECT_EQ(wrong, 0);
  // The window is told to show the fill at once, not at its next message.
  EXPECT_TRUE(SlateTest::waitUntil(
      [&] { return SlateTest::captureScreen(window.hwnd, 10, 10, 10, 5).count(0xFF) == 50; }));
  for (HDC dc : {back(), front()}) {
    XFORM applied;
    GetWorldTransform(dc, &applied);
    EXPECT_EQ(applied.eDx, 40.0f);
    EXPECT_EQ(applied.eM11, 2.0f);
  }
}

TEST_F(WindowState, ClearClipRegionWithoutARegionClearsTheWindow) {
  target().setBkColor(RGB(0, 255, 0));
  target().setClipRegion(nullptr);
  window.currentX = 5;
  target().clearClipRegion();
  EXPECT_EQ(countPixels(window, 0x0000FF00u), window.width * window.height);
  EXPECT_EQ(shownOnWindow().at(899, 599), 0x0000FF00u);
  EXPECT_EQ(target().getCurrentX(), 0);
}

TEST_F(WindowState, ModesSurviveASwitchToAnImageAndBack) {
  target().setBkMode(TRANSPARENT);
  target().setRop2(R2_NOTXORPEN);
  target().setPolyFillMode(WINDING);
  IMAGE other(4, 4);
  setDrawTarget(&other);
  target().setRop2(R2_BLACK);
  setDrawTarget(nullptr);
  EXPECT_EQ(target().getBkMode(), TRANSPARENT);
  EXPECT_EQ(target().getRop2(), R2_NOTXORPEN);
  EXPECT_EQ(target().getPolyFillMode(), WINDING);
  EXPECT_EQ(GetROP2(front()), R2_NOTXORPEN);
  target().setRop2(R2_COPYPEN);
  target().setPolyFillMode(ALTERNATE);
}

}  // namespace

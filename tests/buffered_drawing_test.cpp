// Drawing on the window target: what reaches the back buffer, the window and the real
// screen with and without buffered drawing, the two flushes, and one object selected into
// both contexts.
#include <gtest/gtest.h>

#include "context.h"
#include "support/host.h"
#include "window_target.h"

using namespace Slate;
using SlateTest::Pixels;
using SlateTest::readWindow;
using SlateTest::waitUntil;

namespace {

constexpr DWORD kRed = 0x00FF0000;  // pixel order
constexpr DWORD kGreen = 0x0000FF00;
constexpr DWORD kBlue = 0x000000FF;

GraphWnd& window() {
  return graphContext.window;
}

// Pattern A drawing of a filled block (pixel order colour), as the window's slots draw.
void drawBlock(int left, int top, int size, DWORD pixel) {
  const COLORREF color = RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
  HBRUSH brush = CreateSolidBrush(color);
  const RECT block = {left, top, left + size, top + size};
  drawMirrored([&](HDC dc) { FillRect(dc, &block, brush); });
  DeleteObject(brush);
}

// Writes the back buffer directly, as rotation and clearing do.
void setBackPixels(int left, int top, int size, DWORD pixel) {
  LockGuard guard(graphContext.lock);
  for (int y = top; y < top + size; ++y) {
    for (int x = left; x < left + size; ++x) window().pixels[y * window().width + x] = pixel;
  }
}

void setOriginOnBoth(float x, float y) {
  LockGuard guard(graphContext.lock);
  window().transform.eDx = x;
  window().transform.eDy = y;
  SetWorldTransform(graphContext.targetDc, &window().transform);
  SetWorldTransform(graphContext.windowDc, &window().transform);
}

float originOf(HDC dc) {
  XFORM transform;
  GetWorldTransform(dc, &transform);
  return transform.eDx;
}

class WindowDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    SlateTest::runOnHost("xdotool mousemove 1279 1023");
    hwnd = openGraphWindow(400, 300, 0);
    ASSERT_NE(hwnd, nullptr);
    // The first paint copies the whole back buffer; have it done before the cases write
    // pixels that only a flush may show.
    UpdateWindow(hwnd);
    // The reset that puts the window's context in advanced graphics mode belongs to the
    // state slots; the transform cases should not depend on them.
    SetGraphicsMode(graphContext.windowDc, GM_ADVANCED);
  }
  void TearDown() override {
    graphContext.buffered = false;
    if (window().hwnd) setOriginOnBoth(0, 0);
    closeGraphWindow();
  }

  HWND hwnd = nullptr;
};

TEST_F(WindowDrawing, BufferedDrawingShowsNothingUntilTheEnd) {
  beginBufferedDrawing();
  drawBlock(100, 100, 50, kRed);
  EXPECT_EQ(window().pixels[120 * 400 + 120], kRed);
  EXPECT_EQ(readWindow(hwnd, 100, 100, 50, 50).count(0), 50 * 50);
  endBufferedDrawing();
  EXPECT_FALSE(graphContext.buffered);
  EXPECT_EQ(readWindow(hwnd, 100, 100, 50, 50).count(kRed), 50 * 50);
}

TEST_F(WindowDrawing, UnbufferedDrawingAndFlushesAppearOnTheScreen) {
  // The screen check is what proves the no-op message: a read-back through the window's DC
  // sees the pixels even when Wine has not put them on the screen.
  drawBlock(20, 20, 40, kRed);
  EXPECT_EQ(readWindow(hwnd, 20, 20, 40, 40).count(kRed), 40 * 40);
  EXPECT_TRUE(waitUntil(
      [&] { return SlateTest::captureScreen(hwnd, 20, 20, 40, 40).count(kRed) == 1600; }));

  beginBufferedDrawing();
  drawBlock(200, 150, 40, kGreen);
  flushBufferedDrawing();
  EXPECT_TRUE(waitUntil(
      [&] { return SlateTest::captureScreen(hwnd, 200, 150, 40, 40).count(kGreen) == 1600; }));

  drawBlock(300, 50, 20, kBlue);  // still buffered: neither the window nor the screen changes
  EXPECT_EQ(readWindow(hwnd, 300, 50, 20, 20).count(kBlue), 0);
  EXPECT_EQ(SlateTest::captureScreen(hwnd, 300, 50, 20, 20).count(kBlue), 0);
  graphContext.windowTarget.endBufferedDrawing(300, 50, 319, 69);
  EXPECT_TRUE(waitUntil(
      [&] { return SlateTest::captureScreen(hwnd, 300, 50, 20, 20).count(kBlue) == 400; }));
}

TEST_F(WindowDrawing, RectangleFlushCopiesItsInclusiveBlockOnly) {
  setBackPixels(0, 0, 40, kRed);
  graphContext.windowTarget.flushBufferedDrawing(10, 10, 19, 19);
  const Pixels shown = readWindow(hwnd, 0, 0, 40, 40);
  EXPECT_EQ(shown.count(kRed), 100);
  EXPECT_EQ(shown.at(10, 10), kRed);
  EXPECT_EQ(shown.at(19, 19), kRed);
  EXPECT_EQ(shown.at(20, 19), 0u);
  EXPECT_EQ(shown.at(9, 10), 0u);

  // An empty rectangle copies nothing, at either end of the int range too.
  graphContext.windowTarget.flushBufferedDrawing(30, 30, 29, 35);
  graphContext.windowTarget.flushBufferedDrawing(INT_MAX, 0, INT_MIN, 5);
  EXPECT_EQ(readWindow(hwnd, 0, 0, 40, 40).count(kRed), 100);
  graphContext.windowTarget.flushBufferedDrawing(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  graphContext.windowTarget.flushBufferedDrawing(0, 0, 39, 39);
  EXPECT_EQ(readWindow(hwnd, 0, 0, 40, 40).count(kRed), 1600);
}

TEST_F(WindowDrawing, WholeFlushIgnoresTheOriginAndRectangleFlushFollowsIt) {
  setOriginOnBoth(100, 50);
  setBackPixels(100, 50, 10, kBlue);
  graphContext.windowTarget.flushBufferedDrawing(0, 0, 9, 9);  // logical (0,0) is pixel (100,50)
  EXPECT_EQ(readWindow(hwnd, 100, 50, 10, 10).count(kBlue), 100);
  EXPECT_EQ(readWindow(hwnd, 90, 40, 10, 10).count(0), 100);
  setBackPixels(0, 0, 1, kRed);
  flushBufferedDrawing();
  EXPECT_EQ(readWindow(hwnd, 0, 0, 1, 1).at(0, 0), kRed);
  EXPECT_EQ(originOf(graphContext.targetDc), 100.0f);
  EXPECT_EQ(originOf(graphContext.windowDc), 100.0f);
}

TEST_F(WindowDrawing, BeginIsAFlagAndEndAlwaysCopies) {
  beginBufferedDrawing();
  beginBufferedDrawing();
  endBufferedDrawing();
  EXPECT_FALSE(graphContext.buffered);
  setBackPixels(5, 5, 2, kGreen);
  endBufferedDrawing();  // buffering is off, the copy is made anyway
  EXPECT_FALSE(graphContext.buffered);
  EXPECT_EQ(readWindow(hwnd, 5, 5, 2, 2).count(kGreen), 4);
  graphContext.windowTarget.beginBufferedDrawing();
  graphContext.windowTarget.endBufferedDrawing(0, 0, 1, 1);
  EXPECT_FALSE(graphContext.buffered);
}

TEST_F(WindowDrawing, OpeningAgainClearsTheBackBufferAndTheWindow) {
  drawBlock(0, 0, 30, kRed);
  ASSERT_NE(openGraphWindow(400, 300, 0), nullptr);
  hwnd = window().hwnd;
  EXPECT_EQ(window().pixels[10 * 400 + 10], 0u);
  EXPECT_EQ(readWindow(hwnd, 0, 0, 400, 300).count(0), 400 * 300);
}

TEST_F(WindowDrawing, FlushesWithoutAWindowDoNothing) {
  closeGraphWindow();
  drawBlock(0, 0, 5, kRed);
  flushBufferedDrawing();
  graphContext.windowTarget.endBufferedDrawing(0, 0, 4, 4);
  EXPECT_EQ(window().pixels[0], kRed);
}

TEST_F(WindowDrawing, OneObjectSelectedIntoBothDeletesEachReplacedOnce) {
  LockGuard guard(graphContext.lock);
  HGDIOBJ backOwn = GetCurrentObject(graphContext.targetDc, OBJ_PEN);
  HPEN first = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  selectIntoBoth(first);
  EXPECT_EQ(GetCurrentObject(graphContext.targetDc, OBJ_PEN), first);
  EXPECT_EQ(GetCurrentObject(graphContext.windowDc, OBJ_PEN), first);
  EXPECT_EQ(GetObjectType(backOwn), 0u);

  HPEN second = CreatePen(PS_SOLID, 1, RGB(4, 5, 6));
  selectIntoBoth(second);
  EXPECT_EQ(GetObjectType(first), 0u);  // left both, deleted once
  EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_PEN));
  EXPECT_EQ(GetCurrentObject(graphContext.windowDc, OBJ_PEN), second);
  selectIntoBoth(nullptr);  // refused: both keep their pen
  EXPECT_EQ(GetCurrentObject(graphContext.targetDc, OBJ_PEN), second);
}

}  // namespace

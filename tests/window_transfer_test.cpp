// Transfers and loads with the window as the target: what reaches the window itself and
// what only its back buffer, with and without buffered drawing. The program carries the
// grid picture of test_picture.h as "IMAGE" 201.
#include <gtest/gtest.h>

#include "context.h"
#include "support/host.h"
#include "test_picture.h"

using namespace Slate;
using SlateTest::readWindow;

namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 600;

DWORD marker(int x, int y) {
  return static_cast<DWORD>(y) << 12 | static_cast<DWORD>(x);
}

DWORD pixelAt(const IMAGE& image, int x, int y) {
  return image.pixels[y * image.width + x];
}

DWORD backBufferAt(int x, int y) {
  return pixelAt(graphContext.window, x, y);
}

// What the window itself shows at (x, y).
DWORD windowAt(int x, int y) {
  return readWindow(graphContext.window.hwnd, x, y, 1, 1).at(0, 0);
}

// Each test opens a black window, which is then the target, with buffered drawing off.
class WindowTransfer : public ::testing::Test {
 protected:
  void SetUp() override {
    SlateTest::runOnHost("xdotool mousemove 1279 1023");  // no pointer over the window
    ASSERT_NE(openGraphWindow(kWidth, kHeight, 0), nullptr);
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) picture.pixels[y * picture.width + x] = marker(x, y);
    }
  }
  void TearDown() override {
    graphContext.buffered = false;
    closeGraphWindow();
  }

  IMAGE picture{40, 30};
};

TEST_F(WindowTransfer, DrawReachesTheWindowAndTheBackBufferUnlessBuffered) {
  drawImage(100, 50, &picture, SRCCOPY);
  EXPECT_EQ(windowAt(100, 50), marker(0, 0));
  EXPECT_EQ(windowAt(139, 79), marker(39, 29));
  EXPECT_EQ(windowAt(140, 80), 0u);
  EXPECT_EQ(backBufferAt(139, 79), marker(39, 29));
  // And on the real screen at once, not at the next message the window happens to get.
  const HWND hwnd = graphContext.window.hwnd;
  EXPECT_TRUE(SlateTest::waitUntil(
      [&] { return SlateTest::captureScreen(hwnd, 139, 79, 1, 1).at(0, 0) == marker(39, 29); }));

  beginBufferedDrawing();
  drawImage(300, 200, &picture, SRCCOPY);
  EXPECT_EQ(backBufferAt(300, 200), marker(0, 0));
  EXPECT_EQ(backBufferAt(339, 229), marker(39, 29));
  EXPECT_EQ(windowAt(339, 229), 0u) << "buffered drawing reached the window";

  endBufferedDrawing();
  EXPECT_EQ(windowAt(339, 229), marker(39, 29));
}

TEST_F(WindowTransfer, CaptureReadsTheBackBufferIncludingUnflushedDrawing) {
  beginBufferedDrawing();
  drawImage(500, 400, &picture, SRCCOPY);
  IMAGE tile;
  captureImage(&tile, 490, 395, 60, 40);
  ASSERT_EQ(tile.width, 60);
  ASSERT_EQ(tile.height, 40);
  for (int y = 0; y < tile.height; ++y) {
    for (int x = 0; x < tile.width; ++x) {
      const bool onPicture = x >= 10 && x < 50 && y >= 5 && y < 35;
      ASSERT_EQ(pixelAt(tile, x, y), onPicture ? marker(x - 10, y - 5) : 0u) << x << "," << y;
    }
  }
  EXPECT_EQ(windowAt(500, 400), 0u) << "the capture flushed the window";
}

TEST_F(WindowTransfer, DrawRegionOntoTheWindowCombinesWithWhatIsThere) {
  drawImage(0, 0, &picture, SRCCOPY);
  drawImageRegion(0, 0, 20, 10, &picture, 0, 0, SRCINVERT);  // exclusive or: back to black
  const SlateTest::Pixels window = readWindow(graphContext.window.hwnd, 0, 0, 40, 30);
  for (int y = 0; y < 30; y += 3) {
    for (int x = 0; x < 40; x += 3) {
      const DWORD want = (x < 20 && y < 10) ? 0u : marker(x, y);
      EXPECT_EQ(window.at(x, y), want) << x << "," << y;
      EXPECT_EQ(backBufferAt(x, y), want) << x << "," << y;
    }
  }
}

// The window's own image as the source: the window must get the back buffer's pixels from
// before the same transfer moved them, or it would show them moved twice.
TEST_F(WindowTransfer, DrawingTheWindowOntoItselfLeavesWindowAndBackBufferAlike) {
  drawImage(0, 0, &picture, SRCCOPY);
  drawImageRegion(10, 0, 30, 30, &graphContext.window, 0, 0, SRCCOPY);
  const SlateTest::Pixels window = readWindow(graphContext.window.hwnd, 0, 0, 40, 30);
  for (int x = 0; x < 40; x += 3) {
    const DWORD want = x < 10 ? marker(x, 5) : marker(x - 10, 5);
    EXPECT_EQ(backBufferAt(x, 5), want) << x;
    EXPECT_EQ(window.at(x, 5), want) << x;
  }
}

TEST_F(WindowTransfer, LoadingIntoTheWindowShowsThePictureAtOnce) {
  beginBufferedDrawing();  // the load shows its picture even then
  loadImageResource(nullptr, L"IMAGE", MAKEINTRESOURCEW(201), 100, 60, false);
  EXPECT_EQ(graphContext.window.width, kWidth) << "the window keeps its size";
  const SlateTest::Pixels window = readWindow(graphContext.window.hwnd, 0, 0, 200, 120);
  for (int y = 10; y < 60; y += 20) {
    for (int x = 10; x < 100; x += 20) {
      EXPECT_EQ(backBufferAt(x, y), TestPicture::color(x / 2, y / 2)) << x << "," << y;
      EXPECT_EQ(window.at(x, y), TestPicture::color(x / 2, y / 2)) << x << "," << y;
    }
  }
  EXPECT_EQ(window.at(150, 100), 0u);
}

TEST_F(WindowTransfer, LoadingIntoTheWindowWhileAnImageIsTheTargetIsNotShownYet) {
  IMAGE other(4, 4);
  setDrawTarget(&other);
  loadImageResource(nullptr, L"IMAGE", MAKEINTRESOURCEW(201), 100, 60, false);
  EXPECT_EQ(backBufferAt(10, 10), TestPicture::color(5, 5));
  EXPECT_EQ(windowAt(10, 10), 0u);
  setDrawTarget(nullptr);
  flushBufferedDrawing();
  EXPECT_EQ(windowAt(10, 10), TestPicture::color(5, 5));
}

}  // namespace

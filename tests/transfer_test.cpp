// Block transfers with an IMAGE as the target: captureImage and drawImage/drawImageRegion.
#include <gtest/gtest.h>

#include "context.h"
#include "support/image_shape.h"

using namespace Slate;

namespace {

// Every pixel of a picture up to 4096 x 4096 is told apart by its value.
DWORD marker(int x, int y) {
  return static_cast<DWORD>(y) << 12 | static_cast<DWORD>(x);
}

DWORD pixelAt(const IMAGE& image, int x, int y) {
  return image.pixels[y * image.width + x];
}

void paintMarkers(IMAGE& image) {
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) image.pixels[y * image.width + x] = marker(x, y);
  }
}

void paintFlat(IMAGE& image, DWORD value) {
  for (int i = 0; i < image.width * image.height; ++i) image.pixels[i] = value;
}

// Compares every pixel of `image` with expected(x, y) and reports the first difference.
template <class Expected>
void expectPixels(const IMAGE& image, Expected expected) {
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const DWORD want = expected(x, y);
      if (pixelAt(image, x, y) != want) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << pixelAt(image, x, y)
                      << ", expected " << want;
        return;
      }
    }
  }
}

using SlateTest::Shape;

class ImageTargetTransfer : public ::testing::Test {
 protected:
  void SetUp() override {
    paintMarkers(board);
    setDrawTarget(&board);
  }
  IMAGE board{900, 600};
};

TEST_F(ImageTargetTransfer, CaptureTakesExactlyTheRectangle) {
  IMAGE tile;
  captureImage(&tile, 180, 150, 180, 150);
  ASSERT_EQ(tile.width, 180);
  ASSERT_EQ(tile.height, 150);
  ASSERT_NE(tile.bitmap, nullptr);
  EXPECT_EQ(getImageBuffer(&tile), tile.pixels);
  expectPixels(tile, [](int x, int y) { return marker(x + 180, y + 150); });
  // The image's own context draws on the captured pixels.
  EXPECT_EQ(GetPixel(tile.dc, 0, 0), RGB(0x09, 0x60, 0xB4));  // marker(180, 150) = 0x0960B4
}

TEST_F(ImageTargetTransfer, CaptureReplacesASurfaceOfAnotherSizeAndKeepsTheDrawingState) {
  IMAGE tile(40, 70);
  tile.textColor = RGB(1, 2, 3);
  tile.bkColor = RGB(4, 5, 6);
  tile.currentX = 17;
  SetTextColor(tile.dc, RGB(1, 2, 3));
  HGDIOBJ pen = GetCurrentObject(tile.dc, OBJ_PEN);
  HGDIOBJ font = GetCurrentObject(tile.dc, OBJ_FONT);
  HBITMAP oldSurface = tile.bitmap;

  captureImage(&tile, 10, 20, 30, 25);
  ASSERT_EQ(tile.width, 30);
  ASSERT_EQ(tile.height, 25);
  expectPixels(tile, [](int x, int y) { return marker(x + 10, y + 20); });
  EXPECT_EQ(GetObjectType(oldSurface), 0u) << "the replaced surface is deleted";
  EXPECT_EQ(GetCurrentObject(tile.dc, OBJ_BITMAP), tile.bitmap);
  EXPECT_EQ(tile.textColor, RGB(1, 2, 3));
  EXPECT_EQ(tile.bkColor, RGB(4, 5, 6));
  EXPECT_EQ(tile.currentX, 17);
  EXPECT_EQ(GetTextColor(tile.dc), RGB(1, 2, 3));
  EXPECT_EQ(GetCurrentObject(tile.dc, OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(tile.dc, OBJ_FONT), font);
}

TEST_F(ImageTargetTransfer, CaptureBeyondTheTargetGivesZeroOutside) {
  IMAGE corner;
  captureImage(&corner, 890, 595, 20, 10);
  ASSERT_EQ(corner.width, 20);
  expectPixels(
      corner, [](int x, int y) { return (x < 10 && y < 5) ? marker(x + 890, y + 595) : DWORD{0}; });
}

TEST_F(ImageTargetTransfer, CaptureUsesTheTargetsOrigin) {
  const XFORM shifted = {1.0f, 0.0f, 0.0f, 1.0f, 100.0f, 50.0f};
  SetWorldTransform(board.dc, &shifted);
  IMAGE tile;
  captureImage(&tile, 0, 0, 8, 8);
  expectPixels(tile, [](int x, int y) { return marker(x + 100, y + 50); });
}

TEST_F(ImageTargetTransfer, TheTargetCanCaptureFromItself) {
  captureImage(&board, 180, 150, 180, 150);
  ASSERT_EQ(board.width, 180);
  expectPixels(board, [](int x, int y) { return marker(x + 180, y + 150); });
  EXPECT_EQ(graphContext.targetDc, board.dc);
}

TEST_F(ImageTargetTransfer, RefusedCapturesLeaveTheImageAsItWas) {
  IMAGE tile(6, 4);
  paintFlat(tile, 0x123456);
  const Shape before(tile);
  captureImage(&tile, 0, 0, 0, 10);
  captureImage(&tile, 0, 0, 10, -1);
  captureImage(&tile, 0, 0, 1 << 20, 1 << 20);  // no such surface can be made
  EXPECT_TRUE(Shape(tile) == before);
  expectPixels(tile, [](int, int) { return DWORD{0x123456}; });
  captureImage(nullptr, 0, 0, 10, 10);  // nothing to capture into
}

TEST_F(ImageTargetTransfer, DrawCopiesOnlyThePartInsideTheTarget) {
  IMAGE small(100, 80);
  paintFlat(small, 0x111111);
  IMAGE picture(40, 30);
  paintMarkers(picture);
  setDrawTarget(&small);

  drawImage(80, 60, &picture, SRCCOPY);   // reaches past the right and bottom edges
  drawImage(-10, -5, &picture, SRCCOPY);  // starts above and left of the target
  expectPixels(small, [](int x, int y) {
    if (x >= 80 && y >= 60) return marker(x - 80, y - 60);
    if (x < 30 && y < 25) return marker(x + 10, y + 5);
    return DWORD{0x111111};
  });
}

TEST_F(ImageTargetTransfer, DrawRegionCopiesTheBlockAndPassesTheRasterOperation) {
  IMAGE small(50, 40);
  paintFlat(small, 0x00FF00FF);
  setDrawTarget(&small);
  drawImageRegion(5, 6, 10, 8, &board, 300, 200, SRCCOPY);
  drawImageRegion(30, 20, 10, 10, &board, 0, 0, SRCINVERT);  // exclusive or with the target
  expectPixels(small, [](int x, int y) {
    if (x >= 5 && x < 15 && y >= 6 && y < 14) return marker(x - 5 + 300, y - 6 + 200);
    if (x >= 30 && x < 40 && y >= 20 && y < 30) return marker(x - 30, y - 20) ^ 0x00FF00FF;
    return DWORD{0x00FF00FF};
  });
}

TEST_F(ImageTargetTransfer, DrawingNothingChangesNothing) {
  IMAGE empty;
  IMAGE refused(-3, 4);
  IMAGE picture(10, 10);
  paintFlat(picture, 0);
  drawImage(0, 0, &empty, SRCCOPY);
  drawImage(0, 0, &refused, SRCCOPY);
  drawImage(0, 0, nullptr, SRCCOPY);
  drawImageRegion(0, 0, 0, 5, &picture, 0, 0, SRCCOPY);
  drawImageRegion(0, 0, 5, -5, &picture, 0, 0, SRCCOPY);
  expectPixels(board, marker);
}

}  // namespace

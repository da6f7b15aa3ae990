// Loading pictures from the program's resources: the size rules, what a failed load leaves,
// and the copy of the resource into global memory. The test program carries the grid
// picture of test_picture.h as "IMAGE" 201 (96 dpi), 203 (120 dpi) and "GRID", and a few
// bytes of text as "IMAGE" 202.
#include <gtest/gtest.h>

#include <cstring>

#include "context.h"
#include "global_memory.h"
#include "test_picture.h"
#include "support/image_shape.h"

using namespace Slate;

namespace {

const wchar_t* const kImage = L"IMAGE";
const wchar_t* const kGrid = MAKEINTRESOURCEW(201);
const wchar_t* const kNotAPicture = MAKEINTRESOURCEW(202);
const wchar_t* const kGrid120 = MAKEINTRESOURCEW(203);
const wchar_t* const kMissing = MAKEINTRESOURCEW(999);

constexpr DWORD kFill = 0x00ABCDEF;

DWORD pixelAt(const IMAGE& image, int x, int y) {
  return image.pixels[y * image.width + x];
}

void paintFlat(IMAGE& image, DWORD value) {
  for (int i = 0; i < image.width * image.height; ++i) image.pixels[i] = value;
}

// Checks the centre of every grid cell that lies inside `image`, for the grid drawn at
// `scale` times its size from the top-left corner, and `outside` everywhere else.
void expectGrid(const IMAGE& image, int scale, DWORD outside = kFill) {
  const int drawnWidth = TestPicture::kWidth * scale;
  const int drawnHeight = TestPicture::kHeight * scale;
  const int half = TestPicture::kCell * scale / 2;
  for (int y = half; y < image.height; y += 2 * half) {
    for (int x = half; x < image.width; x += 2 * half) {
      const bool inside = x < drawnWidth && y < drawnHeight;
      const DWORD want = inside ? TestPicture::color(x / scale, y / scale) : outside;
      EXPECT_EQ(pixelAt(image, x, y), want) << "at (" << x << ", " << y << ")";
    }
  }
}

using SlateTest::Shape;

void expectUntouched(const IMAGE& image, const Shape& before) {
  EXPECT_TRUE(Shape(image) == before);
  for (int i = 0; i < image.width * image.height; ++i) {
    if (image.pixels[i] != kFill) {
      ADD_FAILURE() << "pixel " << i << " changed";
      return;
    }
  }
}

TEST(LoadImageResource, NaturalSizeIsTheBitmapsOwnPixelsUpright) {
  IMAGE picture;
  loadImageResource(&picture, kImage, kGrid, 0, 0, false);
  ASSERT_EQ(picture.width, TestPicture::kWidth);
  ASSERT_EQ(picture.height, TestPicture::kHeight);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      ASSERT_EQ(pixelAt(picture, x, y), TestPicture::color(x, y)) << x << "," << y;
    }
  }
}

TEST(LoadImageResource, ANonPositiveWidthOrHeightAsksForTheNaturalSize) {
  const int dpiX = GetDeviceCaps(IMAGE().dc, LOGPIXELSX);
  const int sizes[][2] = {{0, 60}, {100, 0}, {-1, 60}, {100, -7}, {-5, -5}};
  for (const auto& size : sizes) {
    for (const wchar_t* id : {kGrid, kGrid120}) {
      IMAGE picture;
      loadImageResource(&picture, kImage, id, size[0], size[1], false);
      // The decoder reports the size in HIMETRIC at the screen's resolution; the file's
      // own resolution plays no part.
      EXPECT_EQ(picture.width, TestPicture::kWidth) << size[0] << "x" << size[1] << " dpi " << dpiX;
      EXPECT_EQ(picture.height, TestPicture::kHeight) << size[0] << "x" << size[1];
    }
  }
}

TEST(LoadImageResource, AFreshImageIsSizedToTheOutputSize) {
  IMAGE picture;
  loadImageResource(&picture, kImage, L"GRID", 100, 60, false);
  ASSERT_EQ(picture.width, 100);
  ASSERT_EQ(picture.height, 60);
  expectGrid(picture, 2);
}

TEST(LoadImageResource, AnImageWithASurfaceKeepsItsSizeUnlessAskedToResize) {
  IMAGE clipped(80, 50);
  paintFlat(clipped, kFill);
  loadImageResource(&clipped, kImage, kGrid, 100, 60, false);
  ASSERT_EQ(clipped.width, 80);
  ASSERT_EQ(clipped.height, 50);
  expectGrid(clipped, 2);  // larger than the image: cut at its edges

  IMAGE partly(80, 50);
  paintFlat(partly, kFill);
  loadImageResource(&partly, kImage, kGrid, 50, 30, false);
  ASSERT_EQ(partly.width, 80);
  expectGrid(partly, 1);  // smaller: the rest keeps its pixels

  IMAGE resized(80, 50);
  paintFlat(resized, kFill);
  loadImageResource(&resized, kImage, kGrid, 100, 60, true);
  ASSERT_EQ(resized.width, 100);
  ASSERT_EQ(resized.height, 60);
  expectGrid(resized, 2);
}

TEST(LoadImageResource, LoadingKeepsTheDrawingState) {
  IMAGE picture(80, 50);
  picture.textColor = RGB(9, 8, 7);
  picture.currentX = 33;
  SetBkMode(picture.dc, TRANSPARENT);
  HGDIOBJ font = GetCurrentObject(picture.dc, OBJ_FONT);
  loadImageResource(&picture, kImage, kGrid, 100, 60, true);
  EXPECT_EQ(picture.textColor, RGB(9, 8, 7));
  EXPECT_EQ(picture.currentX, 33);
  EXPECT_EQ(GetBkMode(picture.dc), TRANSPARENT);
  EXPECT_EQ(GetCurrentObject(picture.dc, OBJ_FONT), font);
}

TEST(LoadImageResource, FailedLoadsLeaveTheDestinationAsItWas) {
  IMAGE fresh;
  loadImageResource(&fresh, kImage, kMissing, 100, 60, false);
  loadImageResource(&fresh, kImage, kNotAPicture, 100, 60, false);
  loadImageResource(&fresh, L"NOSUCHTYPE", kGrid, 100, 60, false);
  loadImageResource(&fresh, nullptr, kGrid, 100, 60, false);
  loadImageResource(&fresh, kImage, nullptr, 100, 60, false);
  EXPECT_EQ(fresh.width, 0);
  EXPECT_EQ(fresh.bitmap, nullptr);

  IMAGE used(30, 20);
  paintFlat(used, kFill);
  const Shape before(used);
  loadImageResource(&used, kImage, kMissing, 100, 60, true);
  loadImageResource(&used, kImage, kNotAPicture, 0, 0, true);
  // A size no surface can have: the picture is not squeezed into the old one instead.
  loadImageResource(&used, kImage, kGrid, 20000, 20000, true);
  expectUntouched(used, before);
}

TEST(GlobalMemory, HoldsACopyOfExactlyTheResource) {
  const std::vector<std::uint8_t> file = TestPicture::bmpFile(3780);
  GlobalMemory memory;
  EXPECT_EQ(memory.handle, nullptr);
  ASSERT_TRUE(memory.copyResource(kImage, kGrid));
  ASSERT_NE(memory.handle, nullptr);
  ASSERT_EQ(memory.size, file.size());
  const void* bytes = GlobalLock(memory.handle);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(std::memcmp(bytes, file.data(), file.size()), 0);
  GlobalUnlock(memory.handle);

  // A second copy replaces the first block; a missing resource leaves none.
  ASSERT_TRUE(memory.copyResource(kImage, kNotAPicture));
  EXPECT_LT(memory.size, 100u);
  EXPECT_FALSE(memory.copyResource(kImage, kMissing));
  EXPECT_EQ(memory.handle, nullptr);
}

TEST(LoadImageResource, TheWindowsImageReceivesAPictureWhileAnImageIsTheTarget) {
  IMAGE target(4, 4);
  setDrawTarget(&target);
  loadImageResource(nullptr, kImage, kGrid, 0, 0, false);
  ASSERT_EQ(graphContext.window.width, TestPicture::kWidth);
  EXPECT_EQ(pixelAt(graphContext.window, 15, 25), TestPicture::color(15, 25));
  EXPECT_EQ(target.pixels[0], 0u);
}

}  // namespace

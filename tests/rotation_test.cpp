// rotateImage through IMAGE: orientation, output sizes, an image rotated into itself, empty
// sources and refused calls, and agreement with the portable kernel. Also prints how long
// the game's spin frames take here (a figure for the record, not a pass mark).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "context.h"

#include <slate/pixel/rotation.h>

using namespace Slate;

namespace {

constexpr double kPi = 3.14159265358979323846;

void fillPattern(IMAGE& image, DWORD seed) {
  DWORD v = seed;
  for (int i = 0; i < image.width * image.height; ++i) {
    v = v * 1664525u + 1013904223u;
    image.pixels[i] = v & 0x00FFFFFF;
  }
}

std::vector<DWORD> pixelsOf(const IMAGE& image) {
  return std::vector<DWORD>(image.pixels, image.pixels + image.width * image.height);
}

}  // namespace

TEST(RotateImage, QuarterTurnOrientation) {
  // Destination row i reads source column 100 - i; row 0 is just off the source.
  IMAGE src(100, 100), dst;
  fillPattern(src, 1);
  rotateImage(&dst, &src, kPi / 2, RGB(0x11, 0x22, 0x33), false, false);
  ASSERT_EQ(dst.width, 100);
  ASSERT_EQ(dst.height, 100);
  for (int j = 0; j < 100; ++j) EXPECT_EQ(dst.pixels[j], 0x00112233u) << j;
  for (int i = 1; i < 100; ++i)
    for (int j = 0; j < 100; ++j)
      ASSERT_EQ(dst.pixels[i * 100 + j], src.pixels[j * 100 + (100 - i)]) << i << "," << j;
}

TEST(RotateImage, AutoSizeGrowsToTheBoundingBox) {
  IMAGE wide(200, 100), square(100, 100), out;
  rotateImage(&out, &wide, kPi / 2, 0, true, true);
  EXPECT_EQ(out.width, 100);
  EXPECT_EQ(out.height, 200);
  rotateImage(&out, &square, kPi / 4, 0, true, false);
  EXPECT_EQ(out.width, 141);
  EXPECT_EQ(out.height, 141);
  rotateImage(&out, &wide, kPi / 4, 0, false, false);
  EXPECT_EQ(out.width, 200);
  EXPECT_EQ(out.height, 100);
}

TEST(RotateImage, MatchesTheKernelReference) {
  // The IMAGE layer passes the COLORREF through unchanged and rotates the pixels in place.
  IMAGE src(37, 23), dst;
  fillPattern(src, 7);
  for (bool hq : {false, true}) {
    rotateImage(&dst, &src, 0.7, RGB(10, 20, 30), true, hq);
    int w = 0, h = 0;
    ASSERT_TRUE(Pixel::rotatedSize(37, 23, 0.7, true, &w, &h));
    ASSERT_EQ(dst.width, w);
    ASSERT_EQ(dst.height, h);
    std::vector<std::uint32_t> want(size_t(w) * h);
    ASSERT_TRUE(Pixel::rotatePixelsReference(reinterpret_cast<const std::uint32_t*>(src.pixels), 37,
                                             23, want.data(), w, h, 0.7, RGB(10, 20, 30), hq));
    EXPECT_TRUE(std::equal(want.begin(), want.end(), dst.pixels)) << "hq " << hq;
  }
}

TEST(RotateImage, IntoItselfWorksFromACopy) {
  IMAGE image(60, 40), original(60, 40), expected;
  fillPattern(image, 3);
  original = image;
  rotateImage(&expected, &original, 1.1, RGB(1, 2, 3), true, true);
  rotateImage(&image, &image, 1.1, RGB(1, 2, 3), true, true);
  ASSERT_EQ(image.width, expected.width);
  ASSERT_EQ(image.height, expected.height);
  EXPECT_EQ(pixelsOf(image), pixelsOf(expected));
}

TEST(RotateImage, EmptySourceGivesOnlyTheBackground) {
  IMAGE line(0, 5), out(3, 3);
  rotateImage(&out, &line, kPi / 4, RGB(0x40, 0x40, 0x40), true, true);
  ASSERT_EQ(out.width, 4);
  ASSERT_EQ(out.height, 4);
  for (DWORD p : pixelsOf(out)) EXPECT_EQ(p, 0x40404040u);  // grey fills every byte
}

TEST(RotateImage, RefusedCallsLeaveTheDestinationAlone) {
  IMAGE src(20, 10), dst(7, 5);
  fillPattern(src, 5);
  fillPattern(dst, 9);
  const std::vector<DWORD> before = pixelsOf(dst);
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity()};
  for (double a : bad)
    for (bool autoSize : {false, true}) {
      rotateImage(&dst, &src, a, RGB(255, 0, 0), autoSize, true);
      EXPECT_EQ(dst.width, 7);
      EXPECT_EQ(dst.height, 5);
      EXPECT_EQ(pixelsOf(dst), before);
    }
  rotateImage(&dst, nullptr, 0.5, 0, true, true);  // no source: nothing to do
  EXPECT_EQ(pixelsOf(dst), before);
  // A zero-width source keeps its size without autoSize, which no image can take.
  IMAGE empty(0, 5);
  rotateImage(&dst, &empty, 0.5, 0, false, true);
  EXPECT_EQ(dst.width, 7);
  EXPECT_EQ(pixelsOf(dst), before);
}

TEST(RotateImage, SpinFrameTimings) {
  // The game's spin: 900x600 frames at n * 3.14 / 6, output the source size.
  IMAGE src(900, 600), dst(900, 600);
  fillPattern(src, 11);
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  for (bool hq : {true, false}) {
    rotateImage(&dst, &src, -0.5, 0, false, hq);  // warm up the worker pool and caches
    double best = 1e30;
    for (int rep = 0; rep < 5; ++rep) {
      QueryPerformanceCounter(&t0);
      for (int n = -1; n >= -12; --n) rotateImage(&dst, &src, n * 3.14 / 6, 0, false, hq);
      QueryPerformanceCounter(&t1);
      const double seconds = double(t1.QuadPart - t0.QuadPart) / double(freq.QuadPart);
      best = std::min(best, seconds);
    }
    std::printf("rotateImage 900x600 %s (%s path): %.2f ns/pixel, %.2f ms per frame\n",
                hq ? "bilinear" : "nearest", Pixel::rotationPathName(Pixel::bestRotationPath()),
                best * 1e9 / (12.0 * 900 * 600), best * 1e3 / 12);
  }
  // Every call resizes its destination (a new surface, filled and copied); this is that share.
  double best = 1e30;
  for (int rep = 0; rep < 5; ++rep) {
    QueryPerformanceCounter(&t0);
    for (int n = 0; n < 12; ++n) resizeImage(&dst, 900, 600);
    QueryPerformanceCounter(&t1);
    best = std::min(best, double(t1.QuadPart - t0.QuadPart) / double(freq.QuadPart));
  }
  std::printf("  of which resizeImage 900x600: %.2f ns/pixel\n", best * 1e9 / (12.0 * 900 * 600));
}

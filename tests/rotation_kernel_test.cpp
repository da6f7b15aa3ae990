// The rotation kernel: every code path and thread count against the reference, bit for
// bit, plus the geometry, the fill rules and the refusals. Runs natively under the
// sanitizers (which also check each vector gather's lanes) and under Wine.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "slate/pixel/rotation.h"

using namespace Slate::Pixel;

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Variant {
  RotationPath path;
  int threads;
};

// Every path this machine can run, alone and split between threads.
std::vector<Variant> variants() {
  std::vector<Variant> v;
  for (RotationPath p :
       {RotationPath::Scalar, RotationPath::Sse2, RotationPath::Avx2, RotationPath::Avx512}) {
    if (!rotationPathSupported(p)) continue;
    v.push_back({p, 1});
    v.push_back({p, 3});
  }
  return v;
}

std::vector<uint32_t> randomImage(int w, int h, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint32_t> img(size_t(w) * h);
  for (auto& p : img) p = rng();  // top bytes too: nearest must copy whole words
  return img;
}

struct Case {
  int W, H;
  double radians;
  uint32_t bk;
  bool autoSize, highQuality;
};

std::string describe(const Case& c) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%dx%d angle %.17g bk %08x autoSize %d hq %d", c.W, c.H, c.radians,
                unsigned(c.bk), c.autoSize, c.highQuality);
  return buf;
}

// Runs one case on the reference and on every variant and compares the words.
void expectAllPathsMatch(const Case& c, const std::vector<uint32_t>& src) {
  int nW = -1, nH = -1;
  ASSERT_TRUE(rotatedSize(c.W, c.H, c.radians, c.autoSize, &nW, &nH)) << describe(c);
  std::vector<uint32_t> want(size_t(nW) * nH, 0xDEADBEEF);
  ASSERT_TRUE(rotatePixelsReference(src.data(), c.W, c.H, want.data(), nW, nH, c.radians, c.bk,
                                    c.highQuality));
  for (const Variant& v : variants()) {
    std::vector<uint32_t> got(want.size(), 0x5A5A5A5A);
    ASSERT_TRUE(rotatePixelsWith(v.path, v.threads, src.data(), c.W, c.H, got.data(), nW, nH,
                                 c.radians, c.bk, c.highQuality));
    for (size_t k = 0; k < want.size(); ++k) {
      if (got[k] != want[k]) {
        ADD_FAILURE() << rotationPathName(v.path) << " x" << v.threads << " " << describe(c)
                      << ": pixel (" << k % nW << "," << k / nW << ") is " << std::hex << got[k]
                      << ", reference " << want[k];
        break;
      }
    }
  }
}

std::vector<double> spinAngles() {
  std::vector<double> a;
  for (int n = -1; n >= -12; --n) a.push_back(n * 3.14 / 6);
  return a;
}

}  // namespace

TEST(RotationKernel, ReportsPaths) {
  std::string names;
  for (const Variant& v : variants())
    if (v.threads == 1) names += std::string(" ") + rotationPathName(v.path);
  std::printf("paths on this machine:%s (default %s)\n", names.c_str(),
              rotationPathName(bestRotationPath()));
  EXPECT_TRUE(rotationPathSupported(RotationPath::Scalar));
  EXPECT_TRUE(rotationPathSupported(bestRotationPath()));
}

// The frames the game spins, at the angles it uses, in both sampling modes.
TEST(RotationKernel, SpinFramesMatchReference) {
  const auto src = randomImage(900, 600, 1);
  bool hq = true;
  for (double a : spinAngles()) {
    expectAllPathsMatch({900, 600, a, 0x00336699, false, hq}, src);
    hq = !hq;
  }
  expectAllPathsMatch({900, 600, -3.14 / 6 * 5, 0x00808080, true, true}, src);
}

// Odd and tiny sizes (vector remainders, single rows and columns) at awkward angles:
// exact multiples of quarter turns, near-zero angles and random ones.
TEST(RotationKernel, SmallAndOddSizesMatchReference) {
  std::vector<double> angles = spinAngles();
  for (double a : {0.0, 1e-12, -1e-12, kPi / 2, -kPi / 2, kPi}) angles.push_back(a);
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> any(-10, 10);
  for (int k = 0; k < 4; ++k) angles.push_back(any(rng));
  const int sizes[][2] = {{37, 23}, {2, 2}, {1, 1}, {5, 601}, {603, 3}};
  for (const auto& sz : sizes) {
    const auto src = randomImage(sz[0], sz[1], sz[0] * 1000 + sz[1]);
    for (double a : angles)
      for (int mode = 0; mode < 4; ++mode) {
        const uint32_t bk = (mode & 2) ? 0x00C0C0C0 : 0x00102030;
        expectAllPathsMatch({sz[0], sz[1], a, bk, (mode & 1) != 0, (mode & 2) != 0}, src);
        expectAllPathsMatch({sz[0], sz[1], a, bk, (mode & 1) != 0, (mode & 2) == 0}, src);
      }
  }
}

TEST(RotationKernel, QuarterTurnSignAndBorder) {
  // A quarter turn of a 100x100 source: destination row i reads source column 100 - i, so
  // row 0 lies just off the source and keeps the background in both modes.
  const int n = 100;
  const auto src = randomImage(n, n, 3);
  const uint32_t bk = 0x00112233, fill = 0x00332211;
  std::vector<uint32_t> nearest(n * n), smooth(n * n);
  ASSERT_TRUE(rotatePixels(src.data(), n, n, nearest.data(), n, n, kPi / 2, bk, false));
  ASSERT_TRUE(rotatePixels(src.data(), n, n, smooth.data(), n, n, kPi / 2, bk, true));
  for (int j = 0; j < n; ++j) {
    EXPECT_EQ(nearest[j], fill) << j;
    EXPECT_EQ(smooth[j], fill) << j;
  }
  for (int i = 1; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const uint32_t want = src[j * n + (n - i)];
      ASSERT_EQ(nearest[i * n + j], want) << i << "," << j;
      // Bilinear sits a hair beside the same pixel; each channel may truncate one lower.
      for (int shift = 0; shift <= 16; shift += 8) {
        const int a = (smooth[i * n + j] >> shift) & 0xFF, b = (want >> shift) & 0xFF;
        ASSERT_LE(std::abs(a - b), 1) << i << "," << j;
      }
    }
}

TEST(RotationKernel, ZeroAngleIsACopy) {
  // Nearest copies whole words; bilinear has weight 1 on the pixel itself and writes a
  // zero top byte.
  const auto src = randomImage(37, 23, 5);
  std::vector<uint32_t> out(src.size());
  for (const Variant& v : variants()) {
    ASSERT_TRUE(rotatePixelsWith(v.path, v.threads, src.data(), 37, 23, out.data(), 37, 23, 0.0,
                                 0x00FF0000, false));
    EXPECT_EQ(out, src) << rotationPathName(v.path);
    ASSERT_TRUE(rotatePixelsWith(v.path, v.threads, src.data(), 37, 23, out.data(), 37, 23, 0.0,
                                 0x00FF0000, true));
    for (size_t k = 0; k < src.size(); ++k)
      ASSERT_EQ(out[k], src[k] & 0x00FFFFFF) << rotationPathName(v.path) << " " << k;
  }
}

TEST(RotationKernel, BackgroundFillWords) {
  // A 1x1 source rotated by 45 degrees into a 9x9 frame leaves the corners untouched.
  const uint32_t one = 0x00ABCDEF;
  struct {
    uint32_t bk, corner;
  } cases[] = {
      {0x00404040, 0x40404040},                            // grey: every byte, top one included
      {0x00000000, 0x00000000}, {0x00123456, 0x00563412},  // colour: red and blue exchanged
      {0xAB010203, 0xAB030201},                            // colour keeps the COLORREF's top byte
      {0x7F101010, 0x10101010},  // grey fills bytes, whatever the top byte said
  };
  for (const auto& c : cases)
    for (bool hq : {false, true})
      for (const Variant& v : variants()) {
        std::vector<uint32_t> out(81, 0x12345678);
        ASSERT_TRUE(
            rotatePixelsWith(v.path, v.threads, &one, 1, 1, out.data(), 9, 9, kPi / 4, c.bk, hq));
        for (int k : {0, 8, 72, 80})
          EXPECT_EQ(out[k], c.corner)
              << std::hex << c.bk << " hq " << hq << " " << rotationPathName(v.path);
      }
}

TEST(RotationKernel, EdgeNeighboursBlendWithBackground) {
  // Half a pixel off the left edge, bilinear mixes the background in; nearest does not.
  const uint32_t src[2] = {0x00FF0000, 0x00FF0000};
  uint32_t out[3];
  // 2x1 source into a 3x1 frame: X0 = -0.5, so pixel 0 samples x = -0.5.
  ASSERT_TRUE(rotatePixelsReference(src, 2, 1, out, 3, 1, 0.0, 0x000000FF, true));
  EXPECT_EQ(out[0], 0x00FF0000u);  // red background and red source agree
  ASSERT_TRUE(rotatePixelsReference(src, 2, 1, out, 3, 1, 0.0, 0x00FF0000, true));
  EXPECT_EQ(out[0], 0x007F007Fu);  // blue background: half of each, truncated
  EXPECT_EQ(out[1], 0x00FF0000u);
  ASSERT_TRUE(rotatePixelsReference(src, 2, 1, out, 3, 1, 0.0, 0x00FF0000, false));
  EXPECT_EQ(out[0], 0x00FF0000u);  // trunc(-0.5 + 0.5) = 0: on the source
}

TEST(RotationKernel, OutputSizes) {
  int w = 0, h = 0;
  ASSERT_TRUE(rotatedSize(200, 100, kPi / 2, true, &w, &h));
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 200);
  ASSERT_TRUE(rotatedSize(100, 100, kPi / 4, true, &w, &h));
  EXPECT_EQ(w, 141);
  EXPECT_EQ(h, 141);
  ASSERT_TRUE(rotatedSize(200, 100, 1.0, false, &w, &h));
  EXPECT_EQ(w, 200);
  EXPECT_EQ(h, 100);
  ASSERT_TRUE(rotatedSize(900, 600, 0.0, true, &w, &h));
  EXPECT_EQ(w, 900);
  EXPECT_EQ(h, 600);
  ASSERT_TRUE(rotatedSize(0, 5, kPi / 4, true, &w, &h));  // a line still has a bounding box
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 4);
}

TEST(RotationKernel, RefusedSizesLeaveOutputsAlone) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    int W, H;
    double a;
    bool autoSize;
  } refused[] = {
      {10, 10, nan, false},
      {10, 10, inf, true},
      {10, 10, -inf, false},
      {-1, 10, 0.0, false},
      {10, -5, 0.0, true},
      {100000, 100000, 0.3, true},
      {2147483647, 2147483647, 1.0, true},
      {16385, 16384, 0.0, false},
      {1 << 28, 2, 0.0, false},
      {2147483647, 1, kPi / 4, true},
  };
  for (const auto& r : refused) {
    int w = -7, h = -9;
    EXPECT_FALSE(rotatedSize(r.W, r.H, r.a, r.autoSize, &w, &h)) << r.W << "x" << r.H;
    EXPECT_EQ(w, -7);
    EXPECT_EQ(h, -9);
  }
  int w = 0, h = 0;
  EXPECT_TRUE(rotatedSize(1 << 28, 1, 0.0, false, &w, &h));  // exactly the limit
  EXPECT_FALSE(rotatedSize(10, 10, 0.0, false, nullptr, &h));
}

TEST(RotationKernel, RefusedCallsLeaveDestinationAlone) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const auto src = randomImage(8, 8, 9);
  const std::vector<uint32_t> before(64, 0xC0FFEE00);
  auto refuse = [&](RotationPath p, int threads, const uint32_t* s, int W, int H, int nW, int nH,
                    double a, uint32_t* target) {
    std::vector<uint32_t> dst = before;
    uint32_t* d = target ? target : dst.data();
    for (bool hq : {false, true}) {
      EXPECT_FALSE(rotatePixelsWith(p, threads, s, W, H, d, nW, nH, a, 0x00808080, hq))
          << rotationPathName(p) << " " << W << "x" << H << " -> " << nW << "x" << nH << " " << a;
      EXPECT_FALSE(rotatePixelsReference(s, W, H, d, nW, nH, a, 0x00808080, hq));
    }
    EXPECT_EQ(dst, before);
  };
  for (const Variant& v : variants()) {
    for (double a : {nan, inf, -inf}) refuse(v.path, v.threads, src.data(), 8, 8, 8, 8, a, nullptr);
    refuse(v.path, v.threads, src.data(), -8, 8, 8, 8, 0.5, nullptr);
    refuse(v.path, v.threads, src.data(), 8, 8, 8, -1, 0.5, nullptr);
    refuse(v.path, v.threads, nullptr, 8, 8, 8, 8, 0.5, nullptr);
    // A destination claimed beyond the limit is refused before anything is written.
    refuse(v.path, v.threads, src.data(), 8, 8, 1 << 15, (1 << 13) + 1, 0.5, nullptr);
  }
  std::vector<uint32_t> out(64);
  EXPECT_FALSE(rotatePixels(src.data(), 8, 8, nullptr, 8, 8, 0.5, 0, true));
  EXPECT_TRUE(rotatePixels(src.data(), 8, 8, nullptr, 0, 0, 0.5, 0, true));  // nothing to write
}

TEST(RotationKernel, EmptySourceGivesOnlyTheFill) {
  // No source pointer at all: reading a single source pixel would crash.
  for (const Variant& v : variants())
    for (bool hq : {false, true})
      for (uint32_t bk : {0x00202020u, 0x00FF8000u}) {
        const uint32_t fill = (bk == 0x00202020u) ? 0x20202020u : 0x000080FFu;
        std::vector<uint32_t> out(16, 1);
        ASSERT_TRUE(
            rotatePixelsWith(v.path, v.threads, nullptr, 0, 5, out.data(), 4, 4, kPi / 4, bk, hq));
        EXPECT_EQ(out, std::vector<uint32_t>(16, fill)) << rotationPathName(v.path) << " " << hq;
        std::fill(out.begin(), out.end(), 1u);
        ASSERT_TRUE(
            rotatePixelsWith(v.path, v.threads, nullptr, 7, 0, out.data(), 4, 4, 1.0, bk, hq));
        EXPECT_EQ(out, std::vector<uint32_t>(16, fill));
      }
}

TEST(RotationKernel, ConcurrentCallersGetCorrectFrames) {
  // Two callers at once: one gets the worker pool, the other runs alone; both must finish
  // with the right frame.
  const auto src = randomImage(640, 480, 11);
  std::vector<uint32_t> want(src.size());
  ASSERT_TRUE(
      rotatePixelsReference(src.data(), 640, 480, want.data(), 640, 480, 0.7, 0x00010203, true));
  std::vector<uint32_t> a(src.size()), b(src.size());
  bool okA = true, okB = true;
  std::thread other([&] {
    for (int k = 0; k < 4; ++k)
      okB &= rotatePixels(src.data(), 640, 480, b.data(), 640, 480, 0.7, 0x00010203, true);
  });
  for (int k = 0; k < 4; ++k)
    okA &= rotatePixels(src.data(), 640, 480, a.data(), 640, 480, 0.7, 0x00010203, true);
  other.join();
  EXPECT_TRUE(okA && okB);
  EXPECT_EQ(a, want);
  EXPECT_EQ(b, want);
}

// Random sizes and angles, including absurd ones, on every path. Under the sanitizers
// this shows that no input makes the kernel step outside either buffer; it also has to
// match the reference everywhere.
TEST(RotationKernel, RandomSweepStaysInBoundsAndExact) {
  std::mt19937 rng(2024);
  const double wild[] = {1e300, -1e300, 1e17, -3e9, 1e-300, -1e-300, 4.9e-324, 1e8 + 0.5};
  auto side = [&] {
    // Mostly small, sometimes up to 700, sometimes empty.
    const int r = int(rng() % 16);
    if (r == 0) return 0;
    if (r < 3) return int(rng() % 701);
    return int(rng() % 48) + 1;
  };
  const auto start = std::chrono::steady_clock::now();
  int runs = 0;
  for (; runs < 400; ++runs) {
    // Keeps the sweep to a few seconds on a slow (sanitized or emulated) build.
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(4)) break;
    const int W = side(), H = side();
    double a;
    switch (rng() % 4) {
      case 0:
        a = wild[rng() % 8];
        break;
      case 1:
        a = std::uniform_real_distribution<double>(-1e6, 1e6)(rng);
        break;
      default:
        a = std::uniform_real_distribution<double>(-7, 7)(rng);
    }
    const bool autoSize = rng() & 1, hq = rng() & 1;
    const uint32_t bk = (rng() & 1) ? 0x00909090 : rng();
    const auto src = randomImage(W, H, rng());
    expectAllPathsMatch({W, H, a, bk, autoSize, hq}, src);
    if (HasFailure()) break;
  }
  std::printf("random sweep: %d cases\n", runs);
  EXPECT_GE(runs, 20);
}

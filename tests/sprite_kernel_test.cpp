// The sprite kernel: every code path against the reference, bit for bit, over a table of
// placements, clips, flips, blends and scales; the reference's own arithmetic; and the
// refusals. Destinations sit inside guard pixels that no call may touch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "slate/pixel/sprite.h"

using namespace Slate::Pixel;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kGuard = 3;
constexpr uint32_t kGuardWord = 0xA5C3E1F7u;

// The alphas where rounding and the early-outs change, and random colours.
std::vector<uint32_t> randomSprite(int w, int h, uint32_t seed) {
  static const uint32_t alphas[] = {0, 1, 127, 128, 254, 255};
  std::mt19937 rng(seed);
  std::vector<uint32_t> px(size_t(w) * h);
  for (auto& p : px) {
    const uint32_t a = (rng() & 1) ? alphas[rng() % 6] : rng() >> 24;
    p = (a << 24) | (rng() & 0xFFFFFFu);
  }
  return px;
}

// A destination of w x h pixels inside a border of guard words, rows padded by the stride.
struct Target {
  int w, h, stride;
  std::vector<uint32_t> words;
  Target(int width, int height, bool alpha, uint32_t seed)
      : w(width), h(height), stride(width + 2 * kGuard + 1), hasAlpha(alpha) {
    words.assign(size_t(stride) * (h + 2 * kGuard), kGuardWord);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) at(x, y) = alpha ? rng() : rng() & 0x00FFFFFFu;
  }
  uint32_t& at(int x, int y) { return words[size_t(y + kGuard) * stride + x + kGuard]; }
  Surface surface() { return {&at(0, 0), w, h, stride, hasAlpha}; }
  bool guardsIntact() {
    for (size_t k = 0; k < words.size(); ++k) {
      const int y = int(k / stride) - kGuard, x = int(k % stride) - kGuard;
      if ((x < 0 || x >= w || y < 0 || y >= h) && words[k] != kGuardWord) return false;
    }
    return true;
  }
  bool hasAlpha;
};

std::vector<SpritePath> paths() {
  std::vector<SpritePath> v;
  for (SpritePath p : {SpritePath::Scalar, SpritePath::Sse2, SpritePath::Avx2, SpritePath::Avx512})
    if (spritePathSupported(p)) v.push_back(p);
  return v;
}

struct Case {
  int dstX, dstY, dstW, dstH, srcX, srcY, srcW, srcH;
  PixelRect clip;
  int flags, opacity;
  uint32_t tint;
};

const PixelRect kAll{-100000, -100000, 100000, 100000};

// One placement on the reference and every path, onto targets with and without alpha,
// from sprites with and without alpha: the same words everywhere, guards untouched.
void expectPathsMatch(const Case& c, int spriteW = 37, int spriteH = 29) {
  const auto sprite = randomSprite(spriteW, spriteH, uint32_t(c.dstX * 31 + c.flags));
  for (int mode = 0; mode < 4; ++mode) {
    const ConstSurface src{sprite.data(), spriteW, spriteH, spriteW, (mode & 1) != 0};
    Target want(61, 43, (mode & 2) != 0, 5);
    const SpriteBlend blend{c.flags, c.opacity, c.tint};
    ASSERT_TRUE(drawSpritePixelsReference(want.surface(), c.clip, c.dstX, c.dstY, c.dstW, c.dstH,
                                          src, c.srcX, c.srcY, c.srcW, c.srcH, blend));
    ASSERT_TRUE(want.guardsIntact());
    for (SpritePath p : paths()) {
      Target got(61, 43, (mode & 2) != 0, 5);
      ASSERT_TRUE(drawSpritePixelsWith(p, got.surface(), c.clip, c.dstX, c.dstY, c.dstW, c.dstH,
                                       src, c.srcX, c.srcY, c.srcW, c.srcH, blend));
      for (size_t k = 0; k < want.words.size(); ++k) {
        ASSERT_EQ(got.words[k], want.words[k])
            << spritePathName(p) << " mode " << mode << " word " << k << " at (" << c.dstX << ","
            << c.dstY << ") " << c.dstW << "x" << c.dstH << " from " << c.srcW << "x" << c.srcH
            << " flags " << c.flags << " opacity " << c.opacity;
      }
    }
  }
}

}  // namespace

TEST(SpriteKernel, ReportsPaths) {
  std::string names;
  for (SpritePath p : paths()) names += std::string(" ") + spritePathName(p);
  std::printf("sprite paths on this machine:%s (default %s)\n", names.c_str(),
              spritePathName(bestSpritePath()));
  EXPECT_TRUE(spritePathSupported(bestSpritePath()));
}

// Placements, clips cutting every edge, flips, blends and scales, each on every path.
TEST(SpriteKernel, EveryPathMatchesReference) {
  const PixelRect inner{5, 4, 50, 39}, none{30, 30, 30, 40};
  const uint32_t white = 0xFFFFFF, tint = 0x80FF20;
  std::vector<Case> cases = {
      {0, 0, 37, 29, 0, 0, 37, 29, kAll, 0, 255, white},     // unscaled, whole
      {3, 2, 37, 29, 0, 0, 37, 29, kAll, 0, 128, white},     // opacity
      {-7, -5, 37, 29, 0, 0, 37, 29, kAll, 0, 255, tint},    // off the top-left, tinted
      {40, 30, 37, 29, 0, 0, 37, 29, kAll, 8, 255, white},   // off the bottom-right, additive
      {1, 1, 37, 29, 0, 0, 37, 29, inner, 0, 200, tint},     // clip cuts every edge
      {1, 1, 37, 29, 0, 0, 37, 29, none, 0, 255, white},     // empty clip
      {2, 3, 37, 29, 0, 0, 37, 29, kAll, 1, 255, white},     // flips
      {2, 3, 37, 29, 0, 0, 37, 29, inner, 2, 77, white},     //
      {2, 3, 37, 29, 0, 0, 37, 29, kAll, 3 | 8, 255, tint},  //
      {4, 4, 13, 9, 5, 7, 13, 9, kAll, 0, 255, white},       // a sheet's frame
      {4, 4, 13, 9, -5, -3, 13, 9, kAll, 0, 255, white},     // block partly off the sprite
      {4, 4, 20, 20, 30, 20, 20, 20, kAll, 1, 255, white},   //
      {-3, 2, 74, 58, 0, 0, 37, 29, kAll, 0, 255, white},    // enlarged, nearest
      {-3, 2, 74, 58, 0, 0, 37, 29, inner, 1, 255, tint},    //
      {1, 2, 50, 41, 0, 0, 37, 29, kAll, 4, 255, white},     // enlarged, bilinear
      {1, 2, 50, 41, 3, 2, 30, 20, inner, 4 | 2 | 8, 90, tint},
      {1, 2, 20, 15, 0, 0, 37, 29, kAll, 0, 255, white},         // shrunk: area
      {1, 2, 20, 15, -4, 0, 37, 29, kAll, 4 | 1, 150, tint},     //
      {5, 1, 60, 11, 0, 0, 37, 29, kAll, 4, 255, white},         // one axis each way
      {5, 1, 3, 40, 0, 0, 37, 29, inner, 0, 255, white},         //
      {0, 0, 1, 1, 0, 0, 37, 29, kAll, 0, 255, white},           // everything into one pixel
      {7, 7, 30, 30, 36, 28, 1, 1, kAll, 4, 255, white},         // one pixel over many
      {0, 0, 61, 43, 0, 0, 37, 29, kAll, 0xF0 | 4, 255, white},  // unknown flags ignored
      {0, 0, 37, 29, 0, 0, 37, 29, kAll, 0, 300, white},         // opacity clamped to 255
      {0, 0, 37, 29, 0, 0, 37, 29, kAll, 0, -5, white},          // and to 0
  };
  // Every width from 1 to 17 at odd offsets reaches every vector remainder.
  for (int w = 1; w <= 17; ++w)
    cases.push_back({w, w % 5, w, 3, w % 3, 1, w, 3, kAll, 0, 255, white});
  for (const Case& c : cases) expectPathsMatch(c);
  // A large picture shrunk to a few pixels: sums near 2^37, far beyond 32 bits.
  expectPathsMatch({1, 1, 3, 2, 0, 0, 1500, 1100, kAll, 4, 255, white}, 1500, 1100);
}

TEST(SpriteKernel, RotatedEveryPathMatchesReference) {
  const auto sprite = randomSprite(23, 17, 9);
  struct Rot {
    double cx, cy, radians, scale;
    int flags;
    PixelRect clip;
  };
  const Rot rows[] = {
      {30, 20, 0, 1, 0, kAll},
      {30.5, 20.25, kPi / 2, 1, 0, kAll},
      {30, 20, -0.7, 1.7, 4, kAll},
      {-2, -3, 2.1, 0.6, 1, kAll},
      {60, 43, 1e-9, 1, 4 | 2, kAll},
      {30, 20, kPi, 2.5, 8, {6, 7, 40, 33}},
      {30, 20, 100.0, 0.01, 4, kAll},
      {30, 20, -3.0, 40, 4, {20, 10, 21, 30}},
      {2, 1, -2.69, 1.25e-131, 4 | 2, kAll},  // sums of 1e131 that cancel at the centre
  };
  for (int mode = 0; mode < 4; ++mode) {
    const ConstSurface src{sprite.data(), 23, 17, 23, (mode & 1) != 0};
    for (const Rot& r : rows) {
      const SpriteBlend blend{r.flags, 200, 0xFFE0C0};
      Target want(61, 43, (mode & 2) != 0, 3);
      ASSERT_TRUE(drawSpriteRotatedPixelsReference(want.surface(), r.clip, r.cx, r.cy, src,
                                                   r.radians, r.scale, blend));
      ASSERT_TRUE(want.guardsIntact());
      for (SpritePath p : paths()) {
        Target got(61, 43, (mode & 2) != 0, 3);
        ASSERT_TRUE(drawSpriteRotatedPixelsWith(p, got.surface(), r.clip, r.cx, r.cy, src,
                                                r.radians, r.scale, blend));
        ASSERT_EQ(got.words, want.words) << spritePathName(p) << " angle " << r.radians;
      }
    }
  }
}

// The reference's arithmetic on single pixels: 255 copies, 0 leaves, a half blend's value,
// composed alpha, additive saturation, tint; and the turn's sense and centre.
TEST(SpriteKernel, ReferenceArithmetic) {
  struct Row {
    uint32_t sprite;
    bool dstAlpha;
    uint32_t before, after;
    int flags, opacity;
    uint32_t tint;
  };
  const Row rows[] = {
      {0xFF123456, false, 0x00ABCDEF, 0x00123456, 0, 255, 0xFFFFFF},  // 255 copies
      {0xFF123456, false, 0x7FABCDEF, 0x7F123456, 0, 255, 0xFFFFFF},  // top byte kept
      {0xFF123456, true, 0x40ABCDEF, 0xFF123456, 0, 255, 0xFFFFFF},   //
      {0x00123456, false, 0x00ABCDEF, 0x00ABCDEF, 0, 255, 0xFFFFFF},  // 0 leaves
      {0x00123456, true, 0x40ABCDEF, 0x40ABCDEF, 8, 255, 0xFFFFFF},   //
      {0xFF123456, false, 0x00ABCDEF, 0x00ABCDEF, 0, 0, 0xFFFFFF},    //
      {0x01FFFFFF, false, 0x00000000, 0x00010101, 0, 255, 0xFFFFFF},  // alpha 1 shows
      {0x80FF00FF, false, 0x0000FF00, 0x00807F80, 0, 255, 0xFFFFFF},  // half: 128 and 127
      {0xFFFFFFFF, false, 0x00000000, 0x00808080, 0, 128, 0xFFFFFF},  // opacity halves
      {0x80FF00FF, true, 0x0000FF00, 0x80FF00FF, 0, 255, 0xFFFFFF},   // onto transparent
      {0x80FF0000, true, 0x800000FF, 0xC0AA0055, 0, 255, 0xFFFFFF},   // composed alpha
      {0xFF808080, false, 0x00C0C0C0, 0x00FFFFFF, 8, 255, 0xFFFFFF},  // add saturates
      {0x80808080, false, 0x00101010, 0x00505050, 8, 255, 0xFFFFFF},  // add times alpha
      {0xFFFFFFFF, false, 0x00000000, 0x0080FF00, 0, 255, 0x80FF00},  // tint
  };
  for (const Row& r : rows) {
    Target t(1, 1, r.dstAlpha, 0);
    t.at(0, 0) = r.before;
    const ConstSurface src{&r.sprite, 1, 1, 1, true};
    ASSERT_TRUE(drawSpritePixelsReference(t.surface(), kAll, 0, 0, 1, 1, src, 0, 0, 1, 1,
                                          {r.flags, r.opacity, r.tint}));
    EXPECT_EQ(t.at(0, 0), r.after) << std::hex << r.sprite << " over " << r.before;
  }

  // Counter-clockwise: a 4x2 sprite turned a quarter about (10, 10) puts its top-right pixel
  // at the top-left of the turned block, (9, 9); at angle 0 the turn draws what the plain
  // call does.
  const uint32_t px[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  const ConstSurface src{px, 4, 2, 4, false};
  Target turned(20, 20, true, 0), plain(20, 20, true, 0), straight(20, 20, true, 0);
  ASSERT_TRUE(
      drawSpriteRotatedPixelsReference(turned.surface(), kAll, 10, 10, src, kPi / 2, 1, {}));
  EXPECT_EQ(turned.at(9, 9), 0xFF000004u);
  EXPECT_EQ(turned.at(10, 9), 0xFF000008u);
  EXPECT_EQ(turned.at(9, 12), 0xFF000001u);
  ASSERT_TRUE(drawSpritePixelsReference(plain.surface(), kAll, 8, 9, 4, 2, src, 0, 0, 4, 2, {}));
  ASSERT_TRUE(drawSpriteRotatedPixelsReference(straight.surface(), kAll, 10, 10, src, 0, 1, {}));
  EXPECT_EQ(straight.words, plain.words);
  Target smooth(20, 20, true, 0);
  ASSERT_TRUE(drawSpriteRotatedPixelsReference(smooth.surface(), kAll, 10, 10, src, 0, 1,
                                               {kSpriteSmooth, 255, 0xFFFFFF}));
  EXPECT_EQ(smooth.words, plain.words);
}

// Scaling's weights on small pictures: bilinear in 1/256ths with its edges clamped, the
// mirror of a flip, and an area mean in which a transparent pixel gives no colour.
TEST(SpriteKernel, ReferenceScaling) {
  const uint32_t ramp[2] = {0xFF000000, 0xFFFFFFFF}, clear[2] = {0x00FF0000, 0xFF0000FF};
  struct Row {
    const uint32_t* sprite;
    bool spriteAlpha;
    int dstW, flags;
    std::vector<uint32_t> want;  // onto a transparent target with alpha
  };
  const Row rows[] = {
      {ramp, true, 4, kSpriteSmooth, {0xFF000000, 0xFF404040, 0xFFBFBFBF, 0xFFFFFFFF}},
      {ramp,
       true,
       4,
       kSpriteSmooth | kSpriteFlipX,
       {0xFFFFFFFF, 0xFFBFBFBF, 0xFF404040, 0xFF000000}},
      {ramp, true, 3, 0, {0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF}},  // centre 1.0: pixel 1
      {clear, true, 1, 0, {0x800000FF}},
      {clear, false, 1, 0, {0xFF800080}},  // halves round up
  };
  for (const Row& r : rows) {
    Target t(r.dstW, 1, true, 0);
    for (int x = 0; x < r.dstW; ++x) t.at(x, 0) = 0;
    const ConstSurface src{r.sprite, 2, 1, 2, r.spriteAlpha};
    ASSERT_TRUE(drawSpritePixelsReference(t.surface(), kAll, 0, 0, r.dstW, 1, src, 0, 0, 2, 1,
                                          {r.flags, 255, 0xFFFFFF}));
    for (int x = 0; x < r.dstW; ++x) EXPECT_EQ(t.at(x, 0), r.want[size_t(x)]) << x;
  }
  // resizePixels enlarges with the same weights; without alpha all four bytes are averaged.
  std::vector<uint32_t> out(4);
  const uint32_t grey[2] = {0x00000000, 0x00FFFFFF};
  ASSERT_TRUE(resizePixels({grey, 2, 1, 2, false}, {out.data(), 4, 1, 4, false}));
  EXPECT_EQ(out, (std::vector<uint32_t>{0x00000000, 0x00404040, 0x00BFBFBF, 0x00FFFFFF}));
}

// Area averaging keeps every output channel within the range of the source pixels under
// it, with and without alpha, and resizePixels gives the same samples.
TEST(SpriteKernel, ShrinkingStaysWithinTheSourceRange) {
  std::mt19937 rng(4);
  for (int n = 0; n < 40; ++n) {
    const int sw = 2 + int(rng() % 40), sh = 2 + int(rng() % 40);
    const int dw = 1 + int(rng() % sw), dh = 1 + int(rng() % sh);
    const auto sprite = randomSprite(sw, sh, rng());
    const bool alpha = n & 1;
    const ConstSurface src{sprite.data(), sw, sh, sw, alpha};
    std::vector<uint32_t> resized(size_t(dw) * dh);
    ASSERT_TRUE(resizePixels(src, {resized.data(), dw, dh, dw, true}));
    for (int y = 0; y < dh; ++y) {
      for (int x = 0; x < dw; ++x) {
        const uint32_t out = resized[size_t(y) * dw + x];
        for (int shift = 0; shift < 32; shift += 8) {
          int lo = 255, hi = 0;
          // Source pixels under output (x, y), transparent ones only for alpha itself.
          for (int j = y * sh / dh; j <= ((y + 1) * sh - 1) / dh; ++j) {
            for (int i = x * sw / dw; i <= ((x + 1) * sw - 1) / dw; ++i) {
              const uint32_t p = sprite[size_t(j) * sw + i];
              if (alpha && shift < 24 && (p >> 24) == 0 && (out >> 24) != 0) continue;
              lo = std::min(lo, int((p >> shift) & 0xFF));
              hi = std::max(hi, int((p >> shift) & 0xFF));
            }
          }
          const int v = int((out >> shift) & 0xFF);
          ASSERT_TRUE(v >= lo && v <= hi) << sw << "x" << sh << " to " << dw << "x" << dh << " at "
                                          << x << "," << y << " shift " << shift;
        }
      }
    }
    // Drawn onto a transparent target, the sprite leaves exactly its samples.
    if (!alpha) continue;
    Target t(dw, dh, true, 0);
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x) t.at(x, y) = 0;
    ASSERT_TRUE(drawSpritePixelsReference(t.surface(), kAll, 0, 0, dw, dh, src, 0, 0, sw, sh, {}));
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x)
        if (resized[size_t(y) * dw + x] >> 24) {
          ASSERT_EQ(t.at(x, y), resized[size_t(y) * dw + x]);
        }
  }
}

// Hostile arguments: each is refused or draws what it can, and nothing outside the target
// (nor inside, when refused) changes.
TEST(SpriteKernel, BadInputTouchesNothingOutside) {
  auto sprite = randomSprite(8, 8, 2);
  for (auto& p : sprite) p |= 0xFF000000u;  // opaque, so a call that draws changes the target
  const ConstSurface good{sprite.data(), 8, 8, 8, true};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const int big = std::numeric_limits<int>::max(), small = std::numeric_limits<int>::min();
  using Call = std::function<bool(SpritePath, const Surface&)>;
  auto plain = [&](int x, int y, int w, int h, ConstSurface s, int sx, int sy, int sw, int sh,
                   int flags = 0, int opacity = 255) -> Call {
    return [=](SpritePath p, const Surface& d) {
      return drawSpritePixelsWith(p, d, kAll, x, y, w, h, s, sx, sy, sw, sh, {flags, opacity});
    };
  };
  auto turned = [&](double cx, double cy, double a, double scale, ConstSurface s) -> Call {
    return [=](SpritePath p, const Surface& d) {
      return drawSpriteRotatedPixelsWith(p, d, kAll, cx, cy, s, a, scale, {4, 255});
    };
  };
  struct Row {
    const char* what;
    Call call;
    bool accepted;
    int changes;  // 0: the target stays as it was; 1: it changes; 2: either
  };
  const Row rows[] = {
      {"null sprite", plain(0, 0, 8, 8, {nullptr, 8, 8, 8, true}, 0, 0, 8, 8), false, 0},
      {"empty sprite", plain(0, 0, 8, 8, {sprite.data(), 0, 8, 8, true}, 0, 0, 8, 8), false, 0},
      {"stride below width", plain(0, 0, 8, 8, {sprite.data(), 8, 8, 4, true}, 0, 0, 8, 8), false,
       0},
      {"huge sprite", plain(0, 0, 8, 8, {sprite.data(), big, big, big, true}, 0, 0, 8, 8), false,
       0},
      {"zero width", plain(0, 0, 0, 8, good, 0, 0, 8, 8), false, 0},
      {"negative height", plain(0, 0, 8, -8, good, 0, 0, 8, 8), false, 0},
      {"negative block", plain(0, 0, 8, 8, good, 0, 0, -8, 8), false, 0},
      {"block off the sprite", plain(0, 0, 8, 8, good, 8, 0, 8, 8), false, 0},
      {"block far off", plain(0, 0, 8, 8, good, small, small, 8, 8), false, 0},
      {"huge destination", plain(-big / 2, -big / 2, big, big, good, 0, 0, 8, 8), true, 1},
      {"huge block", plain(-big / 2, -big / 2, big, big, good, -big / 2, -big / 2, big, big), true,
       1},
      {"position far off", plain(big, big, big, big, good, 0, 0, 8, 8), true, 0},
      {"opacity 0", plain(0, 0, 8, 8, good, 0, 0, 8, 8, 0, 0), true, 0},
      {"opacity below 0", plain(0, 0, 8, 8, good, 0, 0, 8, 8, 0, small), true, 0},
      {"unknown flags", plain(0, 0, 8, 8, good, 0, 0, 8, 8, ~0, big), true, 1},
      {"NaN angle", turned(4, 4, nan, 1, good), false, 0},
      {"infinite angle", turned(4, 4, inf, 1, good), false, 0},
      {"NaN scale", turned(4, 4, 1, nan, good), false, 0},
      {"infinite scale", turned(4, 4, 1, inf, good), false, 0},
      {"zero scale", turned(4, 4, 1, 0, good), false, 0},
      {"negative scale", turned(4, 4, 1, -2, good), false, 0},
      {"NaN centre", turned(nan, 4, 1, 1, good), false, 0},
      {"null sprite turned", turned(4, 4, 1, 1, {nullptr, 8, 8, 8, true}), false, 0},
      {"tiny scale", turned(4, 4, 1, 1e-300, good), true, 2},
      {"huge scale", turned(4, 4, 1, 1e300, good), true, 1},
      {"centre far off", turned(1e300, -1e300, 1, 1, good), true, 0},
  };
  for (const Row& r : rows) {
    for (SpritePath p : paths()) {
      Target t(13, 11, true, 8);
      const auto before = t.words;
      EXPECT_EQ(r.call(p, t.surface()), r.accepted) << r.what << " on " << spritePathName(p);
      EXPECT_TRUE(t.guardsIntact()) << r.what << " on " << spritePathName(p);
      if (r.changes != 2) {
        EXPECT_EQ(t.words != before, r.changes == 1) << r.what << " on " << spritePathName(p);
      }
    }
    // A null or empty target is refused too.
    EXPECT_FALSE(r.call(SpritePath::Scalar, Surface{nullptr, 13, 11, 13, false})) << r.what;
  }
  EXPECT_FALSE(resizePixels(good, Surface{nullptr, 4, 4, 4, true}));
  EXPECT_FALSE(resizePixels({nullptr, 8, 8, 8, true}, Surface{nullptr, 0, 0, 0, true}));
}

// Times the sprite kernel: unscaled source-over of 32x32 and 256x256 sprites into an
// 800x450 target, enlarged nearest and bilinear, shrunk (area) and turned, on the reference
// and every path this machine has; on Windows also GDI's AlphaBlend doing the unscaled case
// from a premultiplied copy into an 800x450 DIB section. Each iteration draws a batch of
// sprites at scattered positions, wholly inside the target; figures are ns per destination
// pixel. Natively it runs under Google Benchmark (its usual options apply); the Windows
// build, which has no Google Benchmark, has a timing loop of its own below.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <vector>

#ifdef SLATE_GOOGLE_BENCHMARK
#include <benchmark/benchmark.h>
#endif
#ifdef _WIN32
// Before <windows.h>, so that std::min and std::max stay functions.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include "slate/pixel/sprite.h"

using namespace Slate::Pixel;

namespace {

constexpr int kTargetW = 800, kTargetH = 450;

// A ball with a soft edge: opaque inside, transparent in the corners, a ramp between, as
// a typical game sprite is.
std::vector<uint32_t> ballSprite(int size) {
  std::vector<uint32_t> px(size_t(size) * size);
  std::mt19937 rng(11);
  const double r = size * 0.5;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double d = std::hypot(x + 0.5 - r, y + 0.5 - r);
      const double edge = std::clamp((r - d) / 2.0, 0.0, 1.0);
      const uint32_t a = uint32_t(edge * 255 + 0.5);
      px[size_t(y) * size + x] =
          (a << 24) | ((x * 255 / size) << 16) | ((y * 255 / size) << 8) | (rng() & 0xFF);
    }
  return px;
}

struct Target {
  std::vector<uint32_t> words = std::vector<uint32_t>(size_t(kTargetW) * kTargetH, 0x00405060u);
  Surface surface() { return {words.data(), kTargetW, kTargetH, kTargetW, false}; }
};

// Positions of a batch, scattered over the target and fully inside it.
std::vector<std::pair<int, int>> positions(int w, int h, int count) {
  std::mt19937 rng(5);
  std::vector<std::pair<int, int>> p;
  for (int k = 0; k < count; ++k)
    p.push_back({int(rng() % uint32_t(kTargetW - w + 1)), int(rng() % uint32_t(kTargetH - h + 1))});
  return p;
}

// One case: a name, the destination pixels of one batch, and the batch itself.
struct Case {
  std::string name;
  double pixels;
  std::function<void()> batch;
};

using DrawFn = std::function<bool(const Surface&, int, int)>;

Case drawCase(const std::string& name, int dstW, int dstH, DrawFn draw) {
  const int count = std::max(1, 400000 / (dstW * dstH));
  auto target = std::make_shared<Target>();
  const auto at = positions(dstW, dstH, count);
  return {name, double(dstW) * dstH * count, [=] {
            const Surface s = target->surface();
            for (const auto& p : at) draw(s, p.first, p.second);
          }};
}

std::vector<Case> cases() {
  std::vector<Case> all;
  static const std::vector<uint32_t> ball32 = ballSprite(32), ball256 = ballSprite(256);
  static const std::vector<uint32_t> ball128 = ballSprite(128);
  const ConstSurface s32{ball32.data(), 32, 32, 32, true},
      s256{ball256.data(), 256, 256, 256, true};
  const ConstSurface s128{ball128.data(), 128, 128, 128, true};
  const PixelRect clip{0, 0, kTargetW, kTargetH};
  struct Variant {
    std::string name;
    bool reference;
    SpritePath path;
  };
  std::vector<Variant> variants = {{"reference", true, SpritePath::Scalar}};
  for (SpritePath p : {SpritePath::Scalar, SpritePath::Sse2, SpritePath::Avx2, SpritePath::Avx512})
    if (spritePathSupported(p)) variants.push_back({spritePathName(p), false, p});
  for (const Variant& v : variants) {
    auto block = [v, clip](ConstSurface src, int w, int h, int flags) -> DrawFn {
      return [=](const Surface& d, int x, int y) {
        const SpriteBlend blend{flags, 255, 0xFFFFFF};
        return v.reference ? drawSpritePixelsReference(d, clip, x, y, w, h, src, 0, 0, src.width,
                                                       src.height, blend)
                           : drawSpritePixelsWith(v.path, d, clip, x, y, w, h, src, 0, 0, src.width,
                                                  src.height, blend);
      };
    };
    auto turned = [v, clip](ConstSurface src, int size, int flags) -> DrawFn {
      return [=](const Surface& d, int x, int y) {
        const SpriteBlend blend{flags, 255, 0xFFFFFF};
        const double c = size * 0.5;
        return v.reference
                   ? drawSpriteRotatedPixelsReference(d, clip, x + c, y + c, src, 0.5, 1.0, blend)
                   : drawSpriteRotatedPixelsWith(v.path, d, clip, x + c, y + c, src, 0.5, 1.0,
                                                 blend);
      };
    };
    const std::string n = "/" + v.name;
    all.push_back(drawCase("over 32x32" + n, 32, 32, block(s32, 32, 32, 0)));
    all.push_back(drawCase("over 256x256" + n, 256, 256, block(s256, 256, 256, 0)));
    all.push_back(drawCase("nearest 128->256" + n, 256, 256, block(s128, 256, 256, 0)));
    all.push_back(
        drawCase("bilinear 128->256" + n, 256, 256, block(s128, 256, 256, kSpriteSmooth)));
    all.push_back(drawCase("area 256->160" + n, 160, 160, block(s256, 160, 160, 0)));
    // A turned sprite's square holds its whole extent; pixels counted are the square's.
    all.push_back(drawCase("turned nearest 128" + n, 182, 182, turned(s128, 182, 0)));
    all.push_back(drawCase("turned bilinear 128" + n, 182, 182, turned(s128, 182, kSpriteSmooth)));
  }
#ifdef _WIN32
  // GDI's AlphaBlend of the same sprites, premultiplied as it requires, into a DIB section.
  for (int size : {32, 256}) {
    const std::vector<uint32_t>& ball = size == 32 ? ball32 : ball256;
    auto dib = [](int w, int h, HDC* dc, uint32_t** bits) {
      BITMAPINFO bi = {};
      bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
      bi.bmiHeader.biWidth = w;
      bi.bmiHeader.biHeight = -h;
      bi.bmiHeader.biPlanes = 1;
      bi.bmiHeader.biBitCount = 32;
      void* p = nullptr;
      HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
      *dc = CreateCompatibleDC(nullptr);
      SelectObject(*dc, bmp);
      *bits = static_cast<uint32_t*>(p);
    };
    HDC target, sprite;
    uint32_t *targetBits, *spriteBits;
    dib(kTargetW, kTargetH, &target, &targetBits);
    dib(size, size, &sprite, &spriteBits);
    for (size_t k = 0; k < ball.size(); ++k) {
      const uint32_t p = ball[k], a = p >> 24;
      auto pm = [a](uint32_t c) { return (c * a + 127) / 255; };
      spriteBits[k] =
          (a << 24) | (pm((p >> 16) & 0xFF) << 16) | (pm((p >> 8) & 0xFF) << 8) | pm(p & 0xFF);
    }
    for (size_t k = 0; k < size_t(kTargetW) * kTargetH; ++k) targetBits[k] = 0x00405060u;
    const int count = std::max(1, 400000 / (size * size));
    const auto at = positions(size, size, count);
    all.push_back({"over " + std::to_string(size) + "x" + std::to_string(size) + "/AlphaBlend",
                   double(size) * size * count, [=] {
                     const BLENDFUNCTION f = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
                     for (const auto& p : at)
                       AlphaBlend(target, p.first, p.second, size, size, sprite, 0, 0, size, size,
                                  f);
                     GdiFlush();
                   }});
  }
#endif
  return all;
}

}  // namespace

#ifdef SLATE_GOOGLE_BENCHMARK
int main(int argc, char** argv) {
  for (const Case& c : cases()) {
    benchmark::RegisterBenchmark(c.name.c_str(), [c](benchmark::State& state) {
      for (auto _ : state) c.batch();
      state.counters["ns/px"] =
          benchmark::Counter(c.pixels * double(state.iterations()) * 1e-9,
                             benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    });
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
#else
// Processor time of this thread: on a machine shared with other work the wall clock would
// count the time others ran, as Google Benchmark's CPU time does not. Windows counts it in
// scheduler ticks, so each timing runs for a fifth of a second.
double threadSeconds() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto ticks = [](FILETIME t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return double(ticks(kernel) + ticks(user)) * 1e-7;
}

// sprite_bench [TEXT]: only the cases whose names contain TEXT. Prints ns per pixel of
// processor time and of wall time, each the median of five timings.
int main(int argc, char** argv) {
  using Clock = std::chrono::steady_clock;
  const std::string only = argc > 1 ? argv[1] : "";
  std::printf("%-34s %10s %10s\n", "case", "cpu ns/px", "wall ns/px");
  for (const Case& c : cases()) {
    if (c.name.find(only) == std::string::npos) continue;
    c.batch();
    const auto t0 = Clock::now();
    c.batch();
    const double once = std::chrono::duration<double>(Clock::now() - t0).count();
    const int reps = std::max(1, int(0.2 / std::max(once, 1e-6)));
    std::vector<double> cpu, wall;
    for (int k = 0; k < 5; ++k) {
      const double c0 = threadSeconds();
      const auto start = Clock::now();
      for (int r = 0; r < reps; ++r) c.batch();
      wall.push_back(std::chrono::duration<double>(Clock::now() - start).count());
      cpu.push_back(threadSeconds() - c0);
    }
    std::sort(cpu.begin(), cpu.end());
    std::sort(wall.begin(), wall.end());
    const double px = c.pixels * reps;
    std::printf("%-34s %10.3f %10.3f\n", c.name.c_str(), cpu[2] * 1e9 / px, wall[2] * 1e9 / px);
    std::fflush(stdout);
  }
  return 0;
}
#endif

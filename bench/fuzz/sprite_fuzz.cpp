// Fuzz target for the sprite kernel. Each input picks the sprite's and the target's sizes
// and alpha, the destination rectangle, the source block, the clip, flags, opacity and tint
// (every int reachable, from small to the extremes), or a raw 64-bit angle, scale and centre
// for a turned sprite; then runs the reference and every path the machine has. Targets sit
// in exactly sized heap blocks with guard words around them, so a stray read is a sanitizer
// report and a stray write a changed guard; differing words, disagreeing refusals or a
// refused call that touched its target abort the run.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <vector>

#include "slate/pixel/sprite.h"

using namespace Slate::Pixel;

namespace {

constexpr int kGuard = 2;  // guard rows above and below, and columns in the stride
constexpr uint32_t kGuardWord = 0xC0FFEE11u;

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  uint64_t take(int bytes) {
    uint64_t v = 0;
    for (int k = 0; k < bytes; ++k) v |= uint64_t(pos < size ? data[pos++] : 0) << (8 * k);
    return v;
  }
  // Mostly small values near the surfaces, sometimes anything an int holds.
  int coordinate(int span) {
    const uint32_t raw = uint32_t(take(4));
    if ((raw & 7) == 0) return int(raw);
    return int((raw >> 3) % uint32_t(3 * span + 1)) - span;
  }
  double real() {
    const uint64_t bits = take(8);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
};

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "sprite fuzz: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  const int sw = 1 + int(in.take(1) % 40), sh = 1 + int(in.take(1) % 40);
  const int tw = 1 + int(in.take(1) % 48), th = 1 + int(in.take(1) % 48);
  const unsigned mode = unsigned(in.take(1));
  const bool srcAlpha = mode & 1, dstAlpha = mode & 2, turned = mode & 4;
  // A stride at width exactly makes the last row end at the block's end.
  const int stride = tw + ((mode & 8) ? kGuard : 0);

  std::vector<uint32_t> sprite(size_t(sw) * sh);
  for (size_t k = 0; k < sprite.size(); ++k) sprite[k] = uint32_t(in.take(1) * 0x01030507u) ^ k;
  const ConstSurface src{sprite.data(), sw, sh, sw, srcAlpha};
  const size_t words = size_t(stride) * (th + 2 * kGuard);
  std::vector<uint32_t> initial(words, kGuardWord);
  for (int y = 0; y < th; ++y)
    for (int x = 0; x < tw; ++x)
      initial[size_t(y + kGuard) * stride + x] = uint32_t(in.take(1) * 0x3B1D0F07u) + x;

  const PixelRect clip{in.coordinate(tw), in.coordinate(th), in.coordinate(tw), in.coordinate(th)};
  SpriteBlend blend;
  blend.flags = int(in.take(1));
  blend.opacity = (mode & 16) ? int(in.take(4)) : int(in.take(1));
  blend.tint = uint32_t(in.take(4));
  const int dx = in.coordinate(tw), dy = in.coordinate(th);
  const int dw = in.coordinate(2 * tw), dh = in.coordinate(2 * th);
  const int sx = in.coordinate(sw), sy = in.coordinate(sh);
  const int bw = in.coordinate(sw), bh = in.coordinate(sh);
  const double cx = (mode & 32) ? in.real() : in.coordinate(tw) * 0.25;
  const double cy = (mode & 32) ? in.real() : in.coordinate(th) * 0.25;
  const double angle = (mode & 64) ? in.real() : in.coordinate(1000) * 0.01;
  const double scale = (mode & 128) ? in.real() : (1 + in.take(1)) / 64.0;

  auto run = [&](bool reference, SpritePath path, std::vector<uint32_t>& block) {
    block = initial;
    const Surface dst{block.data() + size_t(kGuard) * stride, tw, th, stride, dstAlpha};
    if (turned)
      return reference
                 ? drawSpriteRotatedPixelsReference(dst, clip, cx, cy, src, angle, scale, blend)
                 : drawSpriteRotatedPixelsWith(path, dst, clip, cx, cy, src, angle, scale, blend);
    return reference
               ? drawSpritePixelsReference(dst, clip, dx, dy, dw, dh, src, sx, sy, bw, bh, blend)
               : drawSpritePixelsWith(path, dst, clip, dx, dy, dw, dh, src, sx, sy, bw, bh, blend);
  };
  std::vector<uint32_t> want, got;
  const bool refOk = run(true, SpritePath::Scalar, want);
  for (size_t k = 0; k < words; ++k) {
    const int64_t row = int64_t(k / size_t(stride)) - kGuard, col = int64_t(k % size_t(stride));
    if ((row < 0 || row >= th || col >= tw) && want[k] != kGuardWord)
      fail("the reference wrote outside its target");
  }
  if (!refOk && want != initial) fail("a refused call touched its target");
  for (SpritePath p :
       {SpritePath::Scalar, SpritePath::Sse2, SpritePath::Avx2, SpritePath::Avx512}) {
    if (!spritePathSupported(p)) continue;
    const bool ok = run(false, p, got);
    if (ok != refOk) fail("path and reference disagree on refusing");
    if (got != want) {
      size_t k = 0;
      while (got[k] == want[k]) ++k;
      std::fprintf(stderr, "sprite fuzz: word %zu is %08x, reference %08x (%s)\n", k,
                   unsigned(got[k]), unsigned(want[k]), turned ? "turned" : "block");
      fail(spritePathName(p));
    }
  }
  return 0;
}

// Fuzz target for the rotation kernel. Each input picks sizes, a raw 64-bit angle (NaN,
// infinities, huge and subnormal values all reachable), a background and the mode, then
// runs the reference and every path the machine has. Built with AddressSanitizer and
// UndefinedBehaviorSanitizer over exactly sized buffers, so any stray read or write stops
// the run; differing words or a refused call that touched its destination abort it too.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "slate/pixel/rotation.h"

using namespace Slate::Pixel;

namespace {

// Keeps each input quick; larger frames add nothing the sizes up to this do not reach.
constexpr int64_t kMaxFuzzPixels = 1 << 16;

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  uint64_t take(int bytes) {
    uint64_t v = 0;
    for (int k = 0; k < bytes; ++k) v |= uint64_t(pos < size ? data[pos++] : 0) << (8 * k);
    return v;
  }
};

[[noreturn]] void fail(const char* what, int W, int H, int nW, int nH, double a) {
  std::fprintf(stderr, "rotation fuzz: %s (%dx%d -> %dx%d, angle %.17g)\n", what, W, H, nW, nH, a);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  const int W = int(in.take(2) % 700), H = int(in.take(2) % 700);
  double a;
  const uint64_t bits = in.take(8);
  std::memcpy(&a, &bits, sizeof a);
  const uint32_t bk = uint32_t(in.take(4));
  const unsigned flags = unsigned(in.take(1));
  const bool hq = flags & 1, autoSize = flags & 2, ownSize = flags & 4;
  int nW = int(in.take(2) % 700), nH = int(in.take(2) % 700);

  if (!ownSize) {
    int w = -1, h = -1;
    const bool ok = rotatedSize(W, H, a, autoSize, &w, &h);
    if (!ok && (w != -1 || h != -1)) fail("refused size changed its outputs", W, H, w, h, a);
    if (ok) {
      nW = w;
      nH = h;
    }
  }
  if (int64_t(W) * H > kMaxFuzzPixels || int64_t(nW) * nH > kMaxFuzzPixels) return 0;

  // Exactly sized heap blocks: one word past either end is a sanitizer report.
  std::unique_ptr<uint32_t[]> src(new uint32_t[size_t(W) * H + 1]);
  for (size_t k = 0; k < size_t(W) * H; ++k) src[k] = uint32_t(in.take(1) * 0x01030507u + k);
  const size_t count = size_t(nW) * nH;
  std::unique_ptr<uint32_t[]> want(new uint32_t[count + 1]), got(new uint32_t[count + 1]);
  const uint32_t* s = (W > 0 && H > 0) ? src.get() : nullptr;  // an empty source must never be read

  for (size_t k = 0; k < count; ++k) want[k] = 0xA5A5A5A5u;
  const bool refOk = rotatePixelsReference(s, W, H, want.get(), nW, nH, a, bk, hq);
  for (RotationPath p :
       {RotationPath::Scalar, RotationPath::Sse2, RotationPath::Avx2, RotationPath::Avx512}) {
    if (!rotationPathSupported(p)) continue;
    for (int threads : {1, 2}) {
      for (size_t k = 0; k < count; ++k) got[k] = 0xA5A5A5A5u;
      const bool ok = rotatePixelsWith(p, threads, s, W, H, got.get(), nW, nH, a, bk, hq);
      if (ok != refOk) fail("path and reference disagree on refusing", W, H, nW, nH, a);
      if (std::memcmp(got.get(), want.get(), count * sizeof(uint32_t)) != 0)
        fail(ok ? "path differs from the reference" : "refused call touched its destination", W, H,
             nW, nH, a);
    }
  }
  return 0;
}

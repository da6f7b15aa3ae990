// Entry points of the rotation kernel: argument checks, the per-call set-up, the choice of
// code path and the split of rows between threads.
#include "slate/pixel/rotation.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <initializer_list>

#include "cpu_features.h"
#include "rotation_internal.h"
#include "worker_pool.h"

namespace Slate::Pixel {

using namespace Detail;

namespace {

// Below this many destination pixels a wake-up of the workers costs more than it saves.
constexpr int64_t kThreadedPixels = 1 << 16;

bool argumentsValid(const uint32_t* src, int W, int H, const uint32_t* dst, int nW, int nH,
                    double radians) {
  if (!std::isfinite(radians) || W < 0 || H < 0 || nW < 0 || nH < 0) return false;
  if (int64_t(nW) * nH > kMaxRotatedPixels) return false;
  if (!src && int64_t(W) * H > 0) return false;
  if (!dst && int64_t(nW) * nH > 0) return false;
  return true;
}

RotationSetup makeSetup(const uint32_t* src, int W, int H, uint32_t* dst, int nW, int nH,
                        double radians, uint32_t bk, bool highQuality) {
  RotationSetup s;
  s.src = src;
  s.W = W;
  s.H = H;
  s.dst = dst;
  s.nW = nW;
  s.nH = nH;
  const double a = -radians;
  s.cosA = std::cos(a);
  s.sinA = std::sin(a);
  s.X0 = W * 0.5 - ((s.cosA * nW) * 0.5 + (s.sinA * nH) * 0.5);
  s.Y0 = H * 0.5 + ((s.sinA * nW) * 0.5 - (s.cosA * nH) * 0.5);
  s.bg = (bk & 0xFF00FF00u) | ((bk & 0xFFu) << 16) | ((bk >> 16) & 0xFFu);
  // A grey background is filled byte by byte, which puts its value in the top byte too.
  const uint32_t r = bk & 0xFF, g = (bk >> 8) & 0xFF, b = (bk >> 16) & 0xFF;
  s.fill = (r == g && g == b) ? r * 0x01010101u : s.bg;
  s.highQuality = highQuality;
  return s;
}

SpanFn spanFor(RotationPath path) {
  switch (path) {
    case RotationPath::Sse2:
      return rotateSpanSse2;
    case RotationPath::Avx2:
      return rotateSpanAvx2;
    case RotationPath::Avx512:
      return rotateSpanAvx512;
    case RotationPath::Scalar:
      break;
  }
  return rotateSpanPortable;
}

// Destination rows are worked in bands of kBandRows, and each band in columns of
// kTileColumns: a tile's pixels read a small patch of the source, where a whole rotated row
// sweeps through hundreds of source rows. For the game's 900x600 frames, whose source fits
// the second-level cache, the gain measured was within noise; it is there for larger images.
// Every destination pixel is still written exactly once.
constexpr int kBandRows = 16;
constexpr int kTileColumns = 128;

void rotateRows(const RotationSetup& s, SpanFn span, int row0, int row1) {
  double iSin[kBandRows], iCos[kBandRows];
  int j0[kBandRows], j1[kBandRows];
  for (int band = row0; band < row1; band += kBandRows) {
    const int rows = std::min(kBandRows, row1 - band);
    int lo = s.nW, hi = 0;
    for (int r = 0; r < rows; ++r) {
      const int i = band + r;
      iSin[r] = i * s.sinA;
      iCos[r] = i * s.cosA;
      rowSpan(s, iSin[r], iCos[r], &j0[r], &j1[r]);
      uint32_t* row = s.dst + size_t(i) * size_t(s.nW);
      fillWords(row, j0[r], s.fill);
      fillWords(row + j1[r], s.nW - j1[r], s.fill);
      if (j0[r] < j1[r]) {
        lo = std::min(lo, j0[r]);
        hi = std::max(hi, j1[r]);
      }
    }
    // Tile edges sit on multiples of kTileColumns, so only row ends leave vector remainders.
    for (int c = lo - lo % kTileColumns; c < hi; c += kTileColumns) {
      for (int r = 0; r < rows; ++r) {
        const int a = std::max(j0[r], c), b = std::min(j1[r], c + kTileColumns);
        if (a < b) span(s, iSin[r], iCos[r], s.dst + size_t(band + r) * size_t(s.nW), a, b);
      }
    }
  }
}

}  // namespace

bool rotationPathSupported(RotationPath path) {
  const CpuFeatures& cpu = cpuFeatures();
  switch (path) {
    case RotationPath::Scalar:
      return true;
    case RotationPath::Sse2:
      return SLATE_PIXEL_HAVE_X86 && cpu.sse2;
    case RotationPath::Avx2:
      return SLATE_PIXEL_HAVE_X86 && cpu.avx2;
    case RotationPath::Avx512:
      return SLATE_PIXEL_HAVE_X86 && cpu.avx512;
  }
  return false;
}

RotationPath bestRotationPath() {
  static const RotationPath best = [] {
    for (RotationPath p : {RotationPath::Avx512, RotationPath::Avx2, RotationPath::Sse2})
      if (rotationPathSupported(p)) return p;
    return RotationPath::Scalar;
  }();
  return best;
}

const char* rotationPathName(RotationPath path) {
  switch (path) {
    case RotationPath::Scalar:
      return "scalar";
    case RotationPath::Sse2:
      return "sse2";
    case RotationPath::Avx2:
      return "avx2";
    case RotationPath::Avx512:
      return "avx512";
  }
  return "?";
}

bool rotatePixelsWith(RotationPath path, int threads, const uint32_t* src, int W, int H,
                      uint32_t* dst, int nW, int nH, double radians, uint32_t bkColorref,
                      bool highQuality) {
  if (!argumentsValid(src, W, H, dst, nW, nH, radians) || !rotationPathSupported(path))
    return false;
  if (int64_t(nW) * nH == 0) return true;
  const RotationSetup s = makeSetup(src, W, H, dst, nW, nH, radians, bkColorref, highQuality);

  // The vector paths index the source with 32-bit lanes.
  if (int64_t(W) * H > INT32_MAX) path = RotationPath::Scalar;
  const SpanFn span = spanFor(path);

  if (threads <= 0) threads = int64_t(nW) * nH >= kThreadedPixels ? poolThreads() : 1;
  threads = std::min({threads, poolThreads(), nH});
  if (threads <= 1) {
    rotateRows(s, span, 0, nH);
    return true;
  }
  // Rows are handed out a band at a time from a shared counter, so a thread that gets the
  // cheap rows (mostly background), or starts late, just takes fewer of them.
  const int chunk = kBandRows;
  std::atomic<int> next{0};
  runOnPool(threads, [&] {
    for (;;) {
      const int row0 = next.fetch_add(chunk);
      if (row0 >= nH) break;
      rotateRows(s, span, row0, std::min(nH, row0 + chunk));
    }
  });
  return true;
}

bool rotatePixels(const uint32_t* src, int W, int H, uint32_t* dst, int nW, int nH, double radians,
                  uint32_t bkColorref, bool highQuality) {
  return rotatePixelsWith(bestRotationPath(), 0, src, W, H, dst, nW, nH, radians, bkColorref,
                          highQuality);
}

}  // namespace Slate::Pixel

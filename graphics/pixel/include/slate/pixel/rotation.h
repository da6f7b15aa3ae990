// Rotation of 32-bit pixel buffers about their centre: the portable kernel behind
// Slate::rotateImage. No <windows.h> here; the Windows side passes plain buffers.
//
// Buffers are width*height 32-bit words, top-down rows, pixel (x, y) at y*width + x,
// each word 0x00RRGGBB. The background colour is given as a COLORREF (red in bits 0-7,
// blue in bits 16-23), exactly as the caller received it.
#pragma once

#include <cstdint>

namespace Slate::Pixel {

// Largest destination the kernel agrees to produce (1 GiB of pixels). Anything bigger is
// treated as a size that cannot be allocated, and the call is refused.
constexpr int64_t kMaxRotatedPixels = int64_t(1) << 28;

// Size of the destination for a rotation of a width x height source by `radians`
// (counter-clockwise on screen for positive angles). Without autoSize it is the source
// size. Returns false, leaving *nW and *nH alone, for a non-finite angle, a negative
// size, or a result beyond kMaxRotatedPixels.
bool rotatedSize(int width, int height, double radians, bool autoSize, int* nW, int* nH);

// Fills the nW x nH `dst` with the background and draws `src` rotated about the centres
// of both buffers. highQuality selects bilinear sampling instead of nearest.
// Returns false, leaving dst untouched, for a non-finite angle, negative sizes, a
// destination beyond kMaxRotatedPixels, or a null buffer that would have to be used.
// An empty source (width or height 0) gives the background only and is never read.
bool rotatePixels(const uint32_t* src, int width, int height, uint32_t* dst, int nW, int nH,
                  double radians, uint32_t bkColorref, bool highQuality);

// The plain one-pixel-at-a-time version: the definition of the results, kept for tests
// and benchmarks. Same contract as rotatePixels, always single-threaded.
bool rotatePixelsReference(const uint32_t* src, int width, int height, uint32_t* dst, int nW,
                           int nH, double radians, uint32_t bkColorref, bool highQuality);

// The kernel's code paths. rotatePixels picks the widest one the processor supports.
enum class RotationPath { Scalar, Sse2, Avx2, Avx512 };

// True when `path` was built in and the processor (and OS) can run it.
bool rotationPathSupported(RotationPath path);

// The path rotatePixels uses on this machine.
RotationPath bestRotationPath();

// Printable name of a path ("scalar", "sse2", "avx2", "avx512").
const char* rotationPathName(RotationPath path);

// rotatePixels on a chosen path with a chosen number of threads (0: as rotatePixels
// would; 1: the calling thread only; n: up to n threads, however small the frame).
// Returns false as rotatePixels does, and also for a path this machine cannot run.
bool rotatePixelsWith(RotationPath path, int threads, const uint32_t* src, int width, int height,
                      uint32_t* dst, int nW, int nH, double radians, uint32_t bkColorref,
                      bool highQuality);

}  // namespace Slate::Pixel

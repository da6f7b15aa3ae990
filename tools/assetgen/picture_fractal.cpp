// Picture 5: a deep view into the Mandelbrot set near its seahorse valley, where spirals
// fill the whole frame, smoothly coloured.
#include <cmath>

#include "det_math.h"
#include "pictures.h"

namespace assetgen {
namespace {

const int kMaxIter = 700;

// Cyclic palette from phase t (turns): deep blue, cyan, white-gold, orange, crimson.
Color palette(double t) {
  return rgb(0.5 + 0.5 * det_cos(kTwoPi * (t + 0.00)), 0.45 + 0.45 * det_cos(kTwoPi * (t + 0.12)),
             0.5 + 0.5 * det_cos(kTwoPi * (t + 0.30)));
}

// Colour of one point of the complex plane.
Color sample(double cr, double ci) {
  double zr = 0.0, zi = 0.0;
  double trap = 1e9;  // closest approach to the axes, for texture inside the set
  int n = 0;
  for (; n < kMaxIter; ++n) {
    double zr2 = zr * zr, zi2 = zi * zi;
    if (zr2 + zi2 > 256.0) break;
    double nzi = 2.0 * zr * zi + ci;
    zr = zr2 - zi2 + cr;
    zi = nzi;
    double d = std::fabs(zr) < std::fabs(zi) ? std::fabs(zr) : std::fabs(zi);
    if (d < trap) trap = d;
  }
  if (n == kMaxIter) {
    // Inside: dark violet shaded by the orbit trap so it is not a flat hole.
    double k = clampd(1.0 - det_sqrt(trap) * 2.5, 0.0, 1.0);
    return mix(hex(0x10061e), hex(0x6a2a8a), k);
  }
  // Smooth iteration count removes the banding of plain escape counts.
  double mod2 = zr * zr + zi * zi;
  double mu = n + 1.0 - det_log(0.5 * det_log(mod2) / 0.693147180559945) / 0.693147180559945;
  double t = det_log(mu) * 1.3;
  double glow = clampd(mu / 120.0, 0.0, 1.0);
  return palette(t) * (0.35 + 0.75 * glow);
}

}  // namespace

Image8 render_fractal() {
  Canvas canvas(kPictureWidth, kPictureHeight);
  const double cx = -0.743643887, cy = 0.131825904, width = 0.0003;
  const double scale = width / kPictureWidth;
  // 2 x 2 samples per pixel smooth the filaments.
  static const double kSub[4][2] = {{0.25, 0.25}, {0.75, 0.25}, {0.25, 0.75}, {0.75, 0.75}};
  for (int py = 0; py < kPictureHeight; ++py) {
    for (int px = 0; px < kPictureWidth; ++px) {
      Color acc;
      for (const auto& s : kSub) {
        double re = cx + (px + s[0] - kPictureWidth * 0.5) * scale;
        double im = cy - (py + s[1] - kPictureHeight * 0.5) * scale;
        acc = acc + sample(re, im);
      }
      canvas.set(px, py, acc * 0.25);
    }
  }
  return canvas.to_8bit();
}

}  // namespace assetgen

// Picture 3: a coral reef: sunbeams through the surface, kelp, corals, fish and bubbles.
#include <cmath>

#include "det_math.h"
#include "noise.h"
#include "pictures.h"

namespace assetgen {
namespace {

// Caustic network: bright where two cellular distances are nearly equal.
double caustic(double x, double y, uint32_t seed) {
  Cells c = cellular(x, y, seed);
  double e = c.f2 - c.f1;
  return clampd(1.0 - e * 4.0, 0.0, 1.0);
}

Color open_water(double x, double y) {
  double t = y / kPictureHeight;
  Color top = mix(hex(0x38c8c0), hex(0x40a8e8), x / kPictureWidth);
  Color deep = mix(hex(0x06406a), hex(0x0a2050), x / kPictureWidth);
  Color c = mix(top, deep, clampd(t * 1.15, 0.0, 1.0));
  // Ripples of the surface seen from below.
  if (y < 70.0) {
    double k = caustic(x / 38.0 + 0.2 * fbm(x / 60.0, y / 20.0, 3, 301u), y / 12.0, 302u);
    c = c + hex(0xc8fff0) * (k * k * (1.0 - y / 70.0) * 0.9);
  }
  // Sunbeams slanting down to the right.
  double beam_x = x - y * 0.35;
  double beams = fbm(beam_x / 45.0, 0.5, 4, 303u);
  double beam = smoothstep(0.05, 0.5, beams) * clampd(1.0 - y / 420.0, 0.0, 1.0);
  c = c + hex(0x70e8d8) * (0.45 * beam);
  // Murk and drifting particles.
  c = c * (0.88 + 0.24 * fbm(x / 90.0, y / 70.0, 5, 304u));
  uint32_t h = hash2(static_cast<int32_t>(x / 2.0), static_cast<int32_t>(y / 2.0), 305u);
  if ((h & 255u) < 3u) c = c + hex(0x90c0c0) * 0.35;
  return c;
}

Color sand(double x, double y, double top) {
  double depth = (y - top) / 90.0;
  double ripple = det_sin(x / 7.0 + 3.0 * fbm(x / 80.0, y / 30.0, 3, 310u) + y / 30.0);
  Color c = mix(hex(0xc8b07a), hex(0x8a7a5c),
                clampd(0.5 + 0.3 * fbm(x / 50.0, y / 20.0, 4, 311u), 0.0, 1.0));
  c = c * (0.85 + 0.12 * ripple +
           0.15 * hash2_unit(static_cast<int32_t>(x), static_cast<int32_t>(y), 312u));
  c = c + hex(0x90fff0) *
              (0.35 * caustic(x / 30.0 + 0.5 * fbm(x / 70.0, y / 30.0, 3, 314u), y / 14.0, 313u));
  return mix(c, hex(0x205070), 0.35 - 0.2 * depth);
}

// A filled fish at (cx, cy), length len, facing right when dir > 0.
void fish(Canvas& canvas, double cx, double cy, double len, double dir, Color body, Color stripe,
          uint32_t seed) {
  double hl = len * 0.5, hh = len * 0.22;
  int x0 = static_cast<int>(cx - len), x1 = static_cast<int>(cx + len) + 1;
  int y0 = static_cast<int>(cy - len * 0.5), y1 = static_cast<int>(cy + len * 0.5) + 1;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      double u = (x + 0.5 - cx) * dir / hl, v = (y + 0.5 - cy) / hh;  // body frame
      double body_d = u * u + v * v;
      double alpha = clampd((1.0 - body_d) * hl * 0.5, 0.0, 1.0);
      Color c = body;
      if (alpha > 0.0) {
        // Stripes, a lighter belly and an eye.
        double s = det_sin(u * 7.0 + (seed & 7u));
        if (s > 0.55) c = stripe;
        c = c * (1.1 - 0.35 * v);
        double ex = u - 0.55, ey = v + 0.2;
        if (ex * ex + ey * ey < 0.018) c = hex(0x101010);
      } else {
        // Tail: a triangle behind the body.
        double tu = -u - 0.9;
        if (tu > 0.0 && tu < 0.55 && std::fabs(v) < tu * 2.2) {
          alpha = 1.0;
          c = stripe * 0.9;
        }
      }
      canvas.blend(x, y, c, alpha);
    }
  }
}

// A branching coral drawn as tapering segments.
void branch(Canvas& canvas, Rng& rng, double x, double y, double angle, double len, double width,
            Color c, int depth) {
  double ex = x + det_cos(angle) * len, ey = y - det_sin(angle) * len;
  canvas.line(x, y, ex, ey, width, c * (0.75 + 0.1 * depth), 1.0);
  canvas.disc(ex, ey, width * 1.1, c * 1.2, 1.0);
  if (depth <= 0) return;
  int kids = 2 + rng.below(2);
  for (int i = 0; i < kids; ++i) {
    double a = angle + rng.range(-0.7, 0.7);
    branch(canvas, rng, ex, ey, a, len * rng.range(0.6, 0.85), width * 0.72, c, depth - 1);
  }
}

}  // namespace

Image8 render_reef() {
  Canvas canvas(kPictureWidth, kPictureHeight);
  for (int py = 0; py < kPictureHeight; ++py) {
    for (int px = 0; px < kPictureWidth; ++px) {
      double x = px + 0.5, y = py + 0.5;
      double floor_top = 410.0 + 25.0 * fbm(x / 150.0, 0.0, 4, 320u);
      canvas.set(px, py, y < floor_top ? open_water(x, y) : sand(x, y, floor_top));
    }
  }
  Rng rng(3033u);

  // Distant rocks: blue-grey mounds with cellular texture.
  for (int py = 300; py < kPictureHeight; ++py) {
    for (int px = 0; px < kPictureWidth; ++px) {
      double x = px + 0.5, y = py + 0.5;
      double top = 360.0 + 50.0 * fbm(x / 110.0, 5.0, 4, 330u);
      if (y < top || y > 445.0 + 10.0 * det_sin(x / 40.0)) continue;
      Cells cell = cellular(x / 14.0, y / 10.0, 331u);
      Color c = mix(hex(0x2a5a70), hex(0x4a7a80), (cell.id & 255u) / 255.0);
      c = c * (0.7 + 0.6 * clampd(cell.f2 - cell.f1, 0.0, 0.5));
      canvas.blend(px, py, c, clampd((y - top) / 3.0, 0.0, 0.85));
    }
  }

  // Kelp swaying up from the floor.
  for (int k = 0; k < 14; ++k) {
    double bx = rng.range(0.0, kPictureWidth), height = rng.range(180.0, 330.0);
    double phase = rng.range(0.0, kTwoPi), w = rng.range(3.0, 6.0);
    Color c = mix(hex(0x2a7a30), hex(0x7aa030), rng.uniform());
    double px = bx, py = 470.0;
    for (int s = 1; s <= 30; ++s) {
      double t = s / 30.0;
      double nx = bx + 22.0 * det_sin(phase + t * 5.0) * t, ny = 470.0 - height * t;
      canvas.line(px, py, nx, ny, w * (1.0 - 0.6 * t), c * (0.8 + 0.3 * t), 0.95);
      if (s % 4 == 0) {
        double side = (s / 4) % 2 ? 1.0 : -1.0;
        canvas.line(nx, ny, nx + side * 14.0, ny - 10.0, 2.2, c * 1.1, 0.9);
      }
      px = nx;
      py = ny;
    }
  }

  // Corals along the floor: branching ones and round brain corals.
  static const uint32_t kCoral[6] = {0xff6a5a, 0xff9a3a, 0xe04a9a, 0xb060e0, 0xffd04a, 0x40d0c0};
  for (int i = 0; i < 16; ++i) {
    double x = 25.0 + i * 50.0 + rng.range(-15.0, 15.0), y = rng.range(430.0, 470.0);
    Color c = hex(kCoral[rng.below(6)]);
    if (i % 3 == 1) {
      double r = rng.range(22.0, 34.0);
      for (int py = static_cast<int>(y - r); py < static_cast<int>(y + r); ++py) {
        for (int px = static_cast<int>(x - r); px < static_cast<int>(x + r); ++px) {
          double dx = (px + 0.5 - x) / r, dy = (py + 0.5 - y) / (r * 0.75);
          double d = dx * dx + dy * dy;
          if (d >= 1.0 || dy > 0.6) continue;
          double grooves = det_sin(px * 0.5 + 4.0 * fbm(px / 12.0, py / 12.0, 3, 340u + i));
          Color cc = c * (0.75 + 0.25 * grooves - 0.3 * dy);
          canvas.blend(px, py, cc, clampd((1.0 - d) * r * 0.5, 0.0, 1.0));
        }
      }
    } else {
      for (int b = 0; b < 3; ++b)
        branch(canvas, rng, x + rng.range(-10.0, 10.0), y, kPi / 2 + rng.range(-0.5, 0.5),
               rng.range(22.0, 36.0), rng.range(3.5, 5.0), c, 3);
    }
  }

  // Fish of several kinds at every depth.
  static const uint32_t kFishBody[6] = {0xffa020, 0xffe040, 0x40a0ff, 0xff5050, 0xa0ff60, 0xf0f0f0};
  static const uint32_t kFishStripe[6] = {0xffffff, 0x2040a0, 0xffe040,
                                          0xffffff, 0x206040, 0xff7020};
  for (int i = 0; i < 26; ++i) {
    int kind = rng.below(6);
    double x = (i % 13) * 62.0 + rng.range(10.0, 50.0);
    double y = (i / 13) * 180.0 + rng.range(60.0, 230.0);
    fish(canvas, x, y, rng.range(22.0, 48.0), rng.uniform() < 0.5 ? -1.0 : 1.0,
         hex(kFishBody[kind]), hex(kFishStripe[kind]), rng.next_u32());
  }
  // A school of small silver fish.
  for (int i = 0; i < 45; ++i) {
    double a = rng.range(0.0, kTwoPi), r = rng.range(0.0, 1.0);
    double x = 430.0 + 150.0 * r * det_cos(a), y = 170.0 + 55.0 * r * det_sin(a);
    fish(canvas, x, y, rng.range(9.0, 13.0), 1.0, hex(0xc8d8e8), hex(0x8aa0c0), rng.next_u32());
  }
  // Bubbles rising in columns.
  for (int i = 0; i < 70; ++i) {
    double x = rng.range(20.0, 780.0), y = rng.range(20.0, 440.0), r = rng.range(2.0, 7.0);
    canvas.disc(x, y, r, hex(0xc0f0ff), 0.25);
    canvas.disc(x, y, r, hex(0xe0ffff), 0.5, 0.6);
    canvas.disc(x, y, r - 1.2, hex(0x3080a0), 0.35);
    canvas.disc(x - r * 0.35, y - r * 0.35, r * 0.3, hex(0xffffff), 0.9);
  }
  return canvas.to_8bit();
}

}  // namespace assetgen

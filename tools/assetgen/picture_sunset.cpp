// Picture 1: mountains and a lake at sunset, with clouds, a glittering sun path and a
// flowery shore in front.
#include <cmath>

#include "det_math.h"
#include "noise.h"
#include "pictures.h"

namespace assetgen {
namespace {

const double kHorizon = 300.0;  // the lake's far shore
const double kSunX = 560.0, kSunY = 238.0, kSunR = 26.0;

// Sky colour without clouds: violet at the top, pink in the middle, gold at the horizon,
// warmer towards the sun.
Color sky_base(double x, double y) {
  double t = clampd(y / kHorizon, 0.0, 1.0);
  Color top = hex(0x1d1548), mid = hex(0x8a3c78), low = hex(0xf39a4a), rim = hex(0xffd27a);
  Color c = t < 0.55
                ? mix(top, mid, t / 0.55)
                : (t < 0.85 ? mix(mid, low, (t - 0.55) / 0.3) : mix(low, rim, (t - 0.85) / 0.15));
  double dx = (x - kSunX) / 420.0, dy = (y - kSunY) / 260.0;
  double near_sun = clampd(1.0 - std::sqrt(dx * dx + dy * dy), 0.0, 1.0);
  c = c + hex(0xff8a3a) * (0.45 * near_sun * near_sun);
  // Cooler far from the sun so the two halves of the sky differ in hue.
  c = mix(c, c * hex(0x8090ff), 0.35 * clampd((kSunX - x) / 560.0, 0.0, 1.0) * (1.0 - t));
  return c;
}

Color sky(double x, double y) {
  Color c = sky_base(x, y);
  // Stars in the dark upper sky, fading out where it brightens.
  double star_zone = clampd(1.0 - y / 150.0, 0.0, 1.0);
  if (star_zone > 0.0) {
    uint32_t h = hash2(static_cast<int32_t>(x / 3.0), static_cast<int32_t>(y / 3.0), 71u);
    if ((h & 1023u) < 9u) c = c + hex(0xfff4e0) * (star_zone * (0.4 + (h >> 24) / 400.0));
  }
  // Layered clouds: horizontally stretched noise, lit from below near the sun.
  double cx = x / 190.0, cy = y / 38.0;
  double warp = fbm(cx * 0.7, cy * 0.5, 3, 7u);
  double density = fbm(cx + warp * 0.8, cy + warp * 0.4, 6, 11u);
  double band = 0.12 + 0.22 * det_sin(y / 47.0 + 1.3);  // cloud bands at several heights
  double cover = smoothstep(band - 0.05, band + 0.28, density + 0.25);
  if (cover > 0.0) {
    double under = fbm(cx + 0.03, cy + 0.35, 5, 11u);  // denser above means shaded
    double lit = clampd(0.6 + 2.2 * (density - under), 0.0, 1.0);
    double dx = (x - kSunX) / 500.0, dy = (y - kSunY) / 300.0;
    double warm = clampd(1.0 - std::sqrt(dx * dx + dy * dy), 0.0, 1.0);
    Color shade = mix(hex(0x3a2352), hex(0x6a3468), clampd(y / kHorizon, 0.0, 1.0));
    Color light = mix(hex(0xe0709a), hex(0xffc860), warm);
    Color cloud = mix(shade, light, lit * (0.45 + 0.55 * warm));
    c = mix(c, cloud, cover * 0.92);
  }
  // The sun, behind thin cloud streaks.
  double dx = x - kSunX, dy = y - kSunY;
  double d = std::sqrt(dx * dx + dy * dy);
  double disc = clampd(kSunR + 0.5 - d, 0.0, 1.0);
  double streak = 0.75 + 0.25 * gradient_noise(x / 60.0, y / 4.0, 5u);
  c = mix(c, hex(0xfff2c0) * streak + hex(0x302000), disc);
  c = c + hex(0xffb060) * (0.55 * det_exp(-d / 30.0));
  return c;
}

// Mountain ridges: the height above which the layer begins, for each of three layers.
double ridge(int layer, double x) {
  switch (layer) {
    case 0:
      return 205.0 + 55.0 * (1.0 - ridged_fbm(x / 260.0, 0.5, 5, 21u));
    case 1:
      return 228.0 + 60.0 * (1.0 - ridged_fbm(x / 180.0 + 9.0, 2.5, 5, 23u)) -
             25.0 * det_sin(x / 150.0);
    default:
      return 262.0 + 34.0 * (1.0 - ridged_fbm(x / 120.0 + 3.0, 7.5, 5, 29u));
  }
}

// The scene above the water line: sky and mountains.
Color above(double x, double y) {
  for (int layer = 2; layer >= 0; --layer) {
    double top = ridge(layer, x);
    if (y < top) continue;
    // Relief from the gradient of a rock-height field: faces towards the sun catch light.
    double fx = x / 38.0, fy = y / 26.0;
    uint32_t seed = 40u + static_cast<uint32_t>(layer);
    double hgt = fbm(fx, fy, 6, seed);
    double slope = (fbm(fx + 0.05, fy, 6, seed) - hgt) * (x < kSunX ? -1.0 : 1.0) +
                   (fbm(fx, fy - 0.05, 6, seed) - hgt);
    double facing = clampd(0.5 + slope * 9.0, 0.0, 1.0);
    double depth = clampd((y - top) / 70.0, 0.0, 1.0);
    Color far = mix(hex(0x8a4a84), hex(0xf0a890), facing);
    Color mid = mix(hex(0x4a2656), hex(0xb86a70), facing);
    Color near = mix(hex(0x24183c), hex(0x80465a), facing);
    Color c = layer == 0 ? far : (layer == 1 ? mid : near);
    c = c * (1.0 + 0.3 * hgt - 0.25 * depth);
    // Snow caps on the far peaks.
    if (layer == 0) {
      double snow = smoothstep(0.55, 0.2, (y - top) / (22.0 + 30.0 * hgt));
      c = mix(c, mix(hex(0xb8a0d0), hex(0xffe0d0), facing), snow * 0.85);
    }
    // Haze from the low sun over the far layers.
    double haze = layer == 0 ? 0.35 : (layer == 1 ? 0.18 : 0.06);
    c = mix(c, sky_base(x, kHorizon - 20.0), haze);
    // Dark pines along the lowest ridge.
    if (layer == 2) {
      double tree = gradient_noise(x / 5.0, 0.0, 41u);
      double line = kHorizon - 6.0 - 10.0 * std::fabs(tree);
      if (y > line) c = mix(c, hex(0x1c1a30) + hex(0x301810) * facing, 0.8);
    }
    return c;
  }
  return sky(x, y);
}

Color water(double x, double y) {
  double depth = (y - kHorizon) / 120.0;  // 0 at the far shore
  double ripple = fbm(x / 50.0, y / 3.0, 4, 60u);
  double rx = x + 10.0 * ripple * (0.3 + depth);
  double ry = 2.0 * kHorizon - y + 4.0 * gradient_noise(x / 9.0, y / 1.5, 61u);
  Color c = above(rx, ry) * (0.72 - 0.15 * depth) + hex(0x0a1430) * (0.5 + depth);
  // Small wave crests catch the light.
  double crest = gradient_noise(x / 7.0, y / 1.2, 62u);
  c = c + hex(0x705068) * (0.5 * clampd(crest, 0.0, 1.0)) -
      hex(0x180c20) * clampd(-crest, 0.0, 1.0);
  // Glitter along the sun's path.
  double path = std::fabs(x - kSunX) / (18.0 + 120.0 * depth);
  double sparkle = gradient_noise(x / 2.5, y / 1.0, 63u);
  if (path < 1.0 && sparkle > 0.25) c = c + hex(0xffd890) * ((1.0 - path) * (sparkle - 0.25) * 2.5);
  return c;
}

Color shore(double x, double y, double edge) {
  // Grass blades: vertical streaks that lean with the wind, lit from the sun's side.
  double lean = x + (y - edge) * 0.35 * gradient_noise(x / 80.0, 3.0, 70u);
  double blades = gradient_noise(lean / 2.2, y / 24.0, 71u);
  double patches = fbm(x / 60.0, y / 25.0, 4, 72u);
  double light = clampd(1.0 - std::fabs(x - kSunX) / 700.0, 0.2, 1.0);
  Color g = mix(hex(0x1f3a1c), hex(0x6a7a2a), clampd(0.5 + patches, 0.0, 1.0));
  g = g * (0.7 + 0.6 * blades) + hex(0x402010) * light;
  g = mix(g, g * hex(0xffb080), 0.4 * light);
  // Scattered flowers: coloured specks in cells.
  Cells cell = cellular(x / 9.0, y / 7.0, 73u);
  if (cell.f1 < 0.16) {
    static const uint32_t kFlower[5] = {0xff5a7a, 0xffd040, 0xf8f0ff, 0xc070ff, 0xff8030};
    Color f = hex(kFlower[cell.id % 5u]) * (0.6 + 0.5 * light);
    g = mix(g, f, clampd((0.16 - cell.f1) * 14.0, 0.0, 1.0));
  }
  return g;
}

}  // namespace

Image8 render_sunset() {
  Canvas canvas(kPictureWidth, kPictureHeight);
  for (int py = 0; py < kPictureHeight; ++py) {
    for (int px = 0; px < kPictureWidth; ++px) {
      double x = px + 0.5, y = py + 0.5;
      double edge = 405.0 + 18.0 * fbm(x / 120.0, 1.0, 4, 80u) + 0.06 * (x - 400.0);
      Color c;
      if (y < kHorizon)
        c = above(x, y);
      else if (y < edge)
        c = water(x, y);
      else
        c = shore(x, y, edge);
      canvas.set(px, py, c);
    }
  }
  // A few birds heading home.
  Rng rng(1234u);
  for (int i = 0; i < 9; ++i) {
    double bx = rng.range(140.0, 480.0), by = rng.range(60.0, 190.0), s = rng.range(4.0, 8.0);
    canvas.line(bx - s, by - s * 0.5, bx, by, 0.7, hex(0x1a1020), 0.9);
    canvas.line(bx, by, bx + s, by - s * 0.6, 0.7, hex(0x1a1020), 0.9);
  }
  return canvas.to_8bit();
}

}  // namespace assetgen

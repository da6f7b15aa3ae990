// Picture 4: a mandala flower of petal rings whose colours turn through the rainbow around
// the circle, on a tiled ground of small rosettes.
#include <cmath>

#include "det_math.h"
#include "noise.h"
#include "pictures.h"

namespace assetgen {
namespace {

const double kCx = 400.0, kCy = 250.0;

struct Ring {
  double r_in, r_out;
  int petals;
  int style;  // 0 pointed petals, 1 round scallops, 2 beads, 3 zigzag band
  double hue_shift;
};

const Ring kRings[] = {
    {0.0, 26.0, 8, 1, 0.00},     {26.0, 52.0, 12, 0, 0.10},   {52.0, 62.0, 36, 2, 0.45},
    {62.0, 100.0, 16, 0, 0.20},  {100.0, 112.0, 48, 3, 0.60}, {112.0, 160.0, 20, 1, 0.30},
    {160.0, 172.0, 60, 2, 0.75}, {172.0, 230.0, 24, 0, 0.40}, {230.0, 246.0, 72, 3, 0.90},
};

// Background between and behind the petals: dark, with fine radial rays.
Color ground(double r, double a) {
  double rays = 0.5 + 0.5 * det_cos(a * 48.0);
  Color c = hsv(a / kTwoPi + 0.55, 0.7, 0.14 + 0.08 * rays);
  return c * (0.9 + 0.2 * det_sin(r * 0.35));
}

// Signed distance, in petal-width units, of (p, u) from the edge of one ring's shape:
// positive inside.
double shape_distance(const Ring& ring, double p, double u, double r) {
  switch (ring.style) {
    case 0: {  // pointed petal widest at a third of its length
      double width = 0.48 * det_sin(kPi * det_pow(u, 0.6));
      return width - std::fabs(p);
    }
    case 1: {  // round scallop
      double dx = p * 2.0, dy = u * 1.4 - 0.55;
      return 0.5 - det_sqrt(dx * dx + dy * dy) * 0.7;
    }
    case 2: {  // bead on a string
      double dx = p, dy = (u - 0.5) * (ring.r_out - ring.r_in) / (kTwoPi * r / ring.petals + 1e-9);
      return 0.38 - det_sqrt(dx * dx + dy * dy);
    }
    default: {  // zigzag band
      double zig = std::fabs(p) * 2.0;
      return 0.22 - std::fabs(u - zig * 0.6 - 0.2);
    }
  }
}

// Colour of the mandala at polar position (r, a); sets *inside to false past the rim.
Color mandala(double r, double a, bool* inside) {
  *inside = true;
  double turn = a / kTwoPi;  // -0.5 .. 0.5
  for (const Ring& ring : kRings) {
    if (r >= ring.r_out) continue;
    double u = (r - ring.r_in) / (ring.r_out - ring.r_in);  // 0 inner edge, 1 outer edge
    double cell = turn * ring.petals + 0.5 * (ring.petals % 4 == 0 ? 1.0 : 0.0);
    double p = fract(cell) - 0.5;  // -0.5 .. 0.5 across one petal
    double hue = turn + ring.hue_shift + 0.25 * u;
    Color fill = hsv(hue, 0.75 - 0.25 * u, 0.95);
    Color dark = hsv(hue + 0.5, 0.6, 0.25);
    double d = shape_distance(ring, p, u, r);
    // Pixel-wide soft edge: d is in petal units, converted by the petal's width here.
    double px_per_unit = kTwoPi * (r + 1.0) / ring.petals;
    double cover = clampd(d * px_per_unit + 0.5, 0.0, 1.0);
    // Veins and a darker rim inside each shape.
    double rim = clampd(1.0 - d * px_per_unit / 3.0, 0.0, 1.0);
    double vein = ring.style == 0 ? clampd(1.0 - std::fabs(p) * px_per_unit / 1.2, 0.0, 1.0) *
                                        smoothstep(0.15, 0.4, u) * 0.6
                                  : 0.0;
    double shade = 0.65 + 0.35 * det_sin(kPi * u) + 0.15 * fbm(r / 9.0, a * 30.0, 3, 401u);
    Color petal = mix(fill * shade, dark, clampd(rim * 0.7 + vein, 0.0, 1.0));
    // Smaller, darker petals peek out between the front ones.
    Color back = ground(r, a);
    if (ring.style <= 1) {
      double p2 = fract(cell + 0.5) - 0.5;
      double d2 = shape_distance(ring, p2 * 1.5, u * 1.1, r);
      double cover2 = clampd(d2 * px_per_unit / 1.5 + 0.5, 0.0, 1.0);
      Color second = hsv(hue + 0.33, 0.7, 0.55) * (0.6 + 0.4 * u);
      back = mix(back, second, cover2);
    }
    return mix(back, petal, cover);
  }
  *inside = false;
  return Color{};
}

// The tiled ground: a lattice of small eight-petal rosettes with gold lines between,
// hue drifting across the picture.
Color lattice(double x, double y) {
  const double cell = 50.0;
  double gx = x / cell, gy = y / cell;
  double fx = fract(gx) - 0.5, fy = fract(gy) - 0.5;
  int ix = static_cast<int>(std::floor(gx)), iy = static_cast<int>(std::floor(gy));
  double r = det_sqrt(fx * fx + fy * fy) * cell;
  double a = det_atan2(fy, fx);
  double hue = x / 1400.0 + y / 2200.0 + 0.08 * hash2_unit(ix, iy, 410u);
  Color c = hsv(hue + 0.6, 0.6, 0.22 + 0.1 * fbm(x / 30.0, y / 30.0, 4, 411u));
  double petal = 11.0 + 7.0 * std::fabs(det_cos(a * 4.0 + hash2_unit(ix, iy, 412u) * 3.0));
  double cover = clampd(petal - r + 0.5, 0.0, 1.0);
  Color flower =
      hsv(hue + 0.1 * std::floor(r / 6.0), 0.7, 0.55 + 0.4 * clampd(1.0 - r / petal, 0.0, 1.0));
  c = mix(c, flower, cover);
  double heart = clampd(4.0 - r, 0.0, 1.0);
  c = mix(c, hex(0xffe080), heart);
  // Diagonal gold trellis.
  double diag = std::fabs(fract((x + y) / (cell * 1.41421356) * 1.41421356) - 0.5) * cell;
  double diag2 = std::fabs(fract((x - y) / (cell * 1.41421356) * 1.41421356) - 0.5) * cell;
  double line = clampd(1.6 - (diag < diag2 ? diag : diag2), 0.0, 1.0);
  return mix(c, hex(0xc89a40), line * 0.8);
}

}  // namespace

Image8 render_mandala() {
  Canvas canvas(kPictureWidth, kPictureHeight);
  for (int py = 0; py < kPictureHeight; ++py) {
    for (int px = 0; px < kPictureWidth; ++px) {
      double x = px + 0.5, y = py + 0.5;
      double dx = x - kCx, dy = y - kCy;
      double r = det_sqrt(dx * dx + dy * dy), a = det_atan2(dy, dx);
      bool inside = false;
      Color c = mandala(r, a, &inside);
      Color back = lattice(x, y);
      // A soft dark halo separates the flower from the lattice.
      double halo = clampd((r - 246.0) / 14.0, 0.0, 1.0);
      if (!inside) c = back * (0.35 + 0.65 * halo);
      canvas.set(px, py, c);
    }
  }
  return canvas.to_8bit();
}

}  // namespace assetgen

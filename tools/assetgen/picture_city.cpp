// Picture 2: a city skyline at night under the moon, mirrored in a harbour.
#include <cmath>
#include <vector>

#include "det_math.h"
#include "noise.h"
#include "pictures.h"

namespace assetgen {
namespace {

const int kWaterLine = 392;  // quay edge; everything below is harbour water
const double kMoonX = 655.0, kMoonY = 82.0, kMoonR = 34.0;

Color night_sky(double x, double y) {
  double t = clampd(y / kWaterLine, 0.0, 1.0);
  Color c = t < 0.6 ? mix(hex(0x070a24), hex(0x2a1f5a), t / 0.6)
                    : mix(hex(0x2a1f5a), hex(0xb0506a), (t - 0.6) / 0.4);
  // Light pollution glows warmer over the busy middle of town.
  double glow = det_exp(-((x - 330.0) * (x - 330.0)) / (2.0 * 220.0 * 220.0));
  c = c + hex(0x602a10) * (glow * t * t);
  // A faint aurora-like veil gives the upper sky hue changes from left to right.
  double veil = fbm(x / 260.0, y / 90.0, 4, 201u);
  double veil_band = smoothstep(0.0, 0.5, veil) * clampd(1.0 - y / 220.0, 0.0, 1.0);
  c = c + mix(hex(0x0a5040), hex(0x401060), clampd(x / 800.0, 0.0, 1.0)) * (0.8 * veil_band);
  // Stars, brighter and denser high up.
  uint32_t h = hash2(static_cast<int32_t>(x / 2.0), static_cast<int32_t>(y / 2.0), 202u);
  double star_zone = clampd(1.0 - y / 300.0, 0.0, 1.0);
  if ((h & 511u) < 7u) c = c + hex(0xdde6ff) * (star_zone * (0.3 + (h >> 24) / 300.0));
  // Thin clouds lit from below by the city and from above by the moon.
  double dens = fbm(x / 170.0 + 3.0, y / 30.0, 6, 203u);
  double cover =
      smoothstep(0.05, 0.45, dens) * clampd(1.2 - std::fabs(y - 170.0) / 140.0, 0.0, 1.0);
  Color cloud = mix(hex(0x3a3470), hex(0xd08070), t * 0.9);
  c = mix(c, cloud * (0.7 + 0.6 * dens), cover * 0.75);
  // The moon, with darker seas, and its halo.
  double dx = x - kMoonX, dy = y - kMoonY;
  double d = std::sqrt(dx * dx + dy * dy);
  double disc = clampd(kMoonR + 0.5 - d, 0.0, 1.0);
  if (disc > 0.0) {
    double seas = fbm(dx / 14.0, dy / 14.0, 5, 204u);
    Color moon = mix(hex(0xfff8e0), hex(0xb8b4a8), smoothstep(0.0, 0.4, seas));
    c = mix(c, moon, disc);
  }
  c = c +
      hex(0x8090b0) * (0.5 * det_exp(-(d - kMoonR > 0.0 ? d - kMoonR : 0.0) / 40.0) * (1.0 - disc));
  return c;
}

struct Building {
  int left, right;
  int top;    // roof height of the main block
  int shape;  // 0 flat, 1 stepped, 2 spire, 3 antenna
  Color facade;
  int cell_w, cell_h;
  uint32_t seed;
};

// Roof line of one column of a building.
int roof_at(const Building& b, int x) {
  int w = b.right - b.left;
  int mid = (b.left + b.right) / 2;
  switch (b.shape) {
    case 1:
      return std::abs(x - mid) < w / 4 ? b.top - w / 3 : b.top;
    case 2:
      return b.top - (w / 2 - std::abs(x - mid)) * 2;
    default:
      return b.top;
  }
}

// One row of buildings across the picture, further layers shorter and hazier.
std::vector<Building> make_layer(int layer, Rng& rng) {
  std::vector<Building> out;
  int x = -static_cast<int>(rng.range(0.0, 30.0));
  while (x < kPictureWidth) {
    Building b;
    int w = static_cast<int>(rng.range(layer == 0 ? 24.0 : 30.0, layer == 0 ? 50.0 : 80.0));
    b.left = x;
    b.right = x + w;
    double centre = det_exp(-((x - 330.0) * (x - 330.0)) / (2.0 * 200.0 * 200.0));
    double height = (layer == 0 ? 90.0 : (layer == 1 ? 120.0 : 60.0)) + rng.range(0.0, 90.0) +
                    centre * (layer == 2 ? 40.0 : 130.0);
    b.top = kWaterLine - static_cast<int>(height);
    b.shape = rng.below(6);
    if (b.shape > 3) b.shape = 0;
    static const uint32_t kFacade[3][3] = {{0x2a3060, 0x303868, 0x28285a},
                                           {0x1c2040, 0x24283c, 0x1a2236},
                                           {0x141624, 0x1a1620, 0x121a20}};
    b.facade = hex(kFacade[layer][rng.below(3)]);
    b.cell_w = 5 + rng.below(4) + (layer == 2 ? 2 : 0);
    b.cell_h = 7 + rng.below(4) + (layer == 2 ? 2 : 0);
    b.seed = rng.next_u32();
    out.push_back(b);
    x += w + (layer == 2 ? rng.below(3) : 0);
  }
  return out;
}

// Facade pixel: lit and dark windows on a grid, with a little texture.
Color facade(const Building& b, int layer, int x, int y) {
  int lx = x - b.left, ly = y - b.top + 400;  // keep ly positive on spires
  int col = lx / b.cell_w, row = ly / b.cell_h;
  int cx = lx % b.cell_w, cy = ly % b.cell_h;
  double edge_light = (x - b.left < 2) ? 1.25 : 1.0;
  Color wall = b.facade * (edge_light * (0.85 + 0.3 * hash2_unit(col, row, b.seed + 1u)));
  bool pane = cx >= 1 && cx < b.cell_w - 2 && cy >= 2 && cy < b.cell_h - 1;
  if (!pane || y < b.top + 3) return wall;
  uint32_t h = hash2(col, row, b.seed);
  // Whole floors tend to be lit or dark together, like offices.
  double floor_bias = hash2_unit(0, row, b.seed + 7u);
  bool lit = ((h & 255u) / 255.0) < 0.25 + 0.5 * floor_bias;
  if (!lit) return wall * 0.55 + hex(0x101830);
  static const uint32_t kLights[5] = {0xffd070, 0xffe8a8, 0xfff4e0, 0xa8d0ff, 0xff9c50};
  Color light = hex(kLights[(h >> 8) % 5u]);
  double dim = layer == 0 ? 0.55 : (layer == 1 ? 0.8 : 1.0);
  return light * (dim * (0.75 + 0.25 * ((h >> 16) & 255u) / 255.0));
}

}  // namespace

Image8 render_city() {
  Canvas canvas(kPictureWidth, kPictureHeight);
  for (int y = 0; y < kWaterLine; ++y)
    for (int x = 0; x < kPictureWidth; ++x) canvas.set(x, y, night_sky(x + 0.5, y + 0.5));

  Rng rng(2024u);
  for (int layer = 0; layer < 3; ++layer) {
    std::vector<Building> row = make_layer(layer, rng);
    double haze = layer == 0 ? 0.45 : (layer == 1 ? 0.2 : 0.0);
    for (const Building& b : row) {
      for (int x = b.left < 0 ? 0 : b.left; x < b.right && x < kPictureWidth; ++x) {
        int roof = roof_at(b, x);
        for (int y = roof < 0 ? 0 : roof; y < kWaterLine; ++y) {
          Color c = facade(b, layer, x, y);
          c = mix(c, hex(0x503060), haze);
          canvas.set(x, y, c);
        }
      }
      // Antennas with a red warning light.
      if (b.shape == 3 && layer > 0) {
        double ax = (b.left + b.right) * 0.5;
        canvas.line(ax, b.top, ax, b.top - 28.0, 0.6, hex(0x505468), 1.0);
        canvas.glow(ax, b.top - 29.0, 7.0, hex(0xff3020));
        canvas.disc(ax, b.top - 29.0, 1.4, hex(0xff6050), 1.0);
      }
    }
  }
  // The quay with a row of street lamps.
  for (int y = kWaterLine - 6; y < kWaterLine; ++y)
    for (int x = 0; x < kPictureWidth; ++x)
      canvas.set(x, y, hex(0x1a1a22) * (0.8 + 0.4 * hash2_unit(x / 3, y, 230u)));
  for (int i = 0; i < 20; ++i) {
    double lx = 20.0 + i * 40.0;
    canvas.glow(lx, kWaterLine - 10.0, 14.0, hex(0xffb050) * 0.8);
    canvas.disc(lx, kWaterLine - 10.0, 1.6, hex(0xfff0c0), 1.0);
  }

  // The harbour mirrors everything, broken into streaks by the waves.
  for (int y = kWaterLine; y < kPictureHeight; ++y) {
    double depth = (y - kWaterLine) / 108.0;
    for (int x = 0; x < kPictureWidth; ++x) {
      double wave = fbm(x / 40.0, y / 2.5, 4, 240u);
      double sx = x + wave * (6.0 + 14.0 * depth);
      double sy =
          2.0 * kWaterLine - y - 1 + 6.0 * gradient_noise(x / 22.0, y / 1.8, 241u) * (0.4 + depth);
      int ix = static_cast<int>(clampd(sx, 0.0, kPictureWidth - 1.0));
      int iy = static_cast<int>(clampd(sy, 0.0, kWaterLine - 1.0));
      Color c = canvas.get(ix, iy) * (0.75 - 0.2 * depth) + hex(0x060a1a);
      double crest = gradient_noise(x / 11.0, y / 1.6, 242u);
      c = c + hex(0x303a60) * (0.3 * clampd(crest, 0.0, 1.0));
      canvas.set(x, y, c);
    }
  }
  return canvas.to_8bit();
}

}  // namespace assetgen

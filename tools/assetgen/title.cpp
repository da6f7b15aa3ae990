// The title screen and the empty-slot tile.
#include <cmath>

#include "det_math.h"
#include "noise.h"
#include "pictures.h"
#include "title_font.h"

namespace assetgen {
namespace {

const char kGameName[] = "SlidePuzzle";
// The menu is drawn over the band below this line, so it stays dark and plain.
const double kMenuTop = 380.0;

// Backdrop: a deep gradient under a grid of faint bevelled tiles, like the puzzle board,
// with soft coloured lights. It dims towards the menu band and the lower corners.
Color backdrop(double x, double y) {
  double t = y / kPictureHeight;
  Color c = mix(hex(0x1a1040), hex(0x06081a), clampd(t * 1.3, 0.0, 1.0));
  c = c + hex(0x301850) * (0.6 * fbm(x / 220.0, y / 160.0, 4, 501u) + 0.3);

  // Tiles of 64 pixels with rounded corners and a bevel.
  const double cell = 64.0;
  double fx = fract(x / cell) * cell, fy = fract(y / cell) * cell;
  int ix = static_cast<int>(std::floor(x / cell)), iy = static_cast<int>(std::floor(y / cell));
  double ex = fx < cell - fx ? fx : cell - fx, ey = fy < cell - fy ? fy : cell - fy;
  double edge = ex < ey ? ex : ey;  // distance to the tile's border
  double face = clampd(edge - 3.0, 0.0, 1.0);
  double hue = 0.62 + 0.25 * hash2_unit(ix, iy, 502u) + x / 4000.0;
  Color tile = hsv(hue, 0.55, 0.16 + 0.08 * hash2_unit(ix, iy, 503u));
  double bevel = (fx < 7.0 || fy < 7.0) && edge < 7.0
                     ? 0.06
                     : ((fx > cell - 7.0 || fy > cell - 7.0) && edge < 7.0 ? -0.05 : 0.0);
  c = mix(c, tile + rgb(bevel, bevel, bevel * 1.5), face * 0.6);

  // Soft lights drifting over the upper part.
  double lights = smoothstep(0.15, 0.6, fbm(x / 90.0, y / 90.0, 3, 504u));
  c = c + hsv(0.55 + x / 1600.0, 0.6, 0.25) * lights;

  // Calm towards the menu: full strength above 300, a quarter below the menu line.
  double calm = 1.0 - 0.75 * smoothstep(300.0, kMenuTop, y);
  // Lower corners even darker, where the game writes ESC and ABOUT.
  double corner = smoothstep(250.0, 400.0, std::fabs(x - 400.0));
  calm *= 1.0 - 0.5 * corner * smoothstep(330.0, 440.0, y);
  return c * calm;
}

}  // namespace

Image8 render_title() {
  Canvas canvas(kPictureWidth, kPictureHeight);
  GlyphLayout text = layout_text(kGameName);
  const double scale = 10.6;  // pixels per font unit
  const double pen = 0.95;    // pen radius, font units
  const double left = (kPictureWidth - text.width * scale) * 0.5, top = 110.0;
  const double outline = 4.0, shadow_dx = 7.0, shadow_dy = 9.0;

  for (int py = 0; py < kPictureHeight; ++py) {
    for (int px = 0; px < kPictureWidth; ++px) {
      double x = px + 0.5, y = py + 0.5;
      Color c = backdrop(x, y);
      if (y > top - 60.0 && y < top + 10.0 * scale + 60.0) {
        double fx = (x - left) / scale, fy = (y - top) / scale;
        double nx, ny;
        double d = distance_to_strokes(text.segments, fx, fy, &nx, &ny) * scale;
        double ds = distance_to_strokes(text.segments, fx - shadow_dx / scale,
                                        fy - shadow_dy / scale, nullptr, nullptr) *
                    scale;
        double r = pen * scale;
        // Soft drop shadow, then a warm glow, then the dark outline, then the letter.
        c = c * (1.0 - 0.75 * smoothstep(r + outline + 8.0, r, ds));
        c = c + hex(0xff7020) * (0.25 * det_exp(-(d > r ? d - r : 0.0) / 14.0));
        c = mix(c, hex(0x140818), clampd(r + outline + 0.5 - d, 0.0, 1.0));
        double cover = clampd(r + 0.5 - d, 0.0, 1.0);
        if (cover > 0.0) {
          // Tube shading: the normal tilts with the distance from the pen's centre line.
          double k = clampd(d / r, 0.0, 1.0);
          double nz = det_sqrt(1.0 - k * k);
          double ux = d > 1e-6 ? (x - (nx * scale + left)) / d : 0.0;
          double uy = d > 1e-6 ? (y - (ny * scale + top)) / d : 0.0;
          double lx = -0.45, ly = -0.6, lz = 0.66;  // light from the upper left
          double diffuse = clampd(ux * k * lx + uy * k * ly + nz * lz, 0.0, 1.0);
          double shine = det_pow(diffuse, 24.0);
          double g = clampd(fy / 10.0, 0.0, 1.0);  // gold at the top to red at the baseline
          Color fill = g < 0.5 ? mix(hex(0xfff090), hex(0xffa020), g * 2.0)
                               : mix(hex(0xffa020), hex(0xd83010), (g - 0.5) * 2.0);
          Color letter = fill * (0.45 + 0.7 * diffuse) + rgb(1.0, 1.0, 0.95) * (0.6 * shine);
          c = mix(c, letter, cover);
        }
      }
      canvas.set(px, py, c);
    }
  }
  // A thin gold rule under the name.
  double rule_y = top + 10.0 * scale + 40.0;
  for (int px = 120; px < kPictureWidth - 120; ++px) {
    double fade =
        smoothstep(120.0, 260.0, px) * smoothstep(kPictureWidth - 120.0, kPictureWidth - 260.0, px);
    canvas.blend(px, static_cast<int>(rule_y), hex(0xd8a040), 0.8 * fade);
    canvas.blend(px, static_cast<int>(rule_y) + 1, hex(0x704010), 0.6 * fade);
  }
  // Sparkles scattered above the menu, but not over the letters.
  Rng rng(5005u);
  for (int i = 0; i < 60; ++i) {
    double x = rng.range(10.0, 790.0), y = rng.range(10.0, 320.0), s = rng.range(2.0, 6.0);
    double gap = distance_to_strokes(text.segments, (x - left) / scale, (y - top) / scale, nullptr,
                                     nullptr) *
                 scale;
    if (gap < pen * scale + outline + 12.0) continue;
    Color c = hsv(rng.range(0.08, 0.18), 0.4, 1.0) * 0.5;
    canvas.glow(x, y, s * 2.0, c);
    canvas.line(x - s, y, x + s, y, 0.5, hex(0xfff0d0), 0.7);
    canvas.line(x, y - s, x, y + s, 0.5, hex(0xfff0d0), 0.7);
  }
  return canvas.to_8bit();
}

Image8 render_blank() {
  Canvas canvas(kBlankWidth, kBlankHeight);
  for (int y = 0; y < kBlankHeight; ++y) {
    for (int x = 0; x < kBlankWidth; ++x) {
      // Near-black face, a faint light edge top-left, a darker one bottom-right and a
      // thin inset line: an empty slot, quiet next to the picture tiles.
      int right = kBlankWidth - 1 - x, bottom = kBlankHeight - 1 - y;
      Color c = hex(0x121218);
      if (x < 3 || y < 3) c = hex(0x2a2a34);
      if (right < 3 || bottom < 3) c = hex(0x060608);
      if ((x < 3 || y < 3) && (right < 3 || bottom < 3)) c = hex(0x18181e);
      int inset = x < y ? x : y;
      int inset2 = right < bottom ? right : bottom;
      int e = inset < inset2 ? inset : inset2;
      if (e == 8) c = hex(0x1c1c24);
      canvas.set(x, y, c);
    }
  }
  return canvas.to_8bit();
}

}  // namespace assetgen

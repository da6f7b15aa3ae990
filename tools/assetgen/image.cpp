#include "image.h"

#include <cmath>
#include <cstddef>

#include "det_math.h"

namespace assetgen {

Color hsv(double hue, double sat, double val) {
  double h = fract(hue) * 6.0;
  int sector = static_cast<int>(h);
  if (sector > 5) sector = 5;
  double f = h - sector;
  double p = val * (1.0 - sat);
  double q = val * (1.0 - sat * f);
  double t = val * (1.0 - sat * (1.0 - f));
  switch (sector) {
    case 0:
      return {val, t, p};
    case 1:
      return {q, val, p};
    case 2:
      return {p, val, t};
    case 3:
      return {p, q, val};
    case 4:
      return {t, p, val};
    default:
      return {val, p, q};
  }
}

Color hex(uint32_t v) {
  return {((v >> 16) & 255u) / 255.0, ((v >> 8) & 255u) / 255.0, (v & 255u) / 255.0};
}

Canvas::Canvas(int width, int height)
    : width_(width > 0 ? width : 0),
      height_(height > 0 ? height : 0),
      px_(static_cast<size_t>(width_) * static_cast<size_t>(height_)) {}

Color Canvas::get(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return Color{};
  return px_[static_cast<size_t>(y) * width_ + x];
}

void Canvas::set(int x, int y, Color c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  px_[static_cast<size_t>(y) * width_ + x] = c;
}

void Canvas::blend(int x, int y, Color c, double alpha) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || !(alpha > 0.0)) return;
  Color& p = px_[static_cast<size_t>(y) * width_ + x];
  p = mix(p, c, alpha > 1.0 ? 1.0 : alpha);
}

void Canvas::add(int x, int y, Color c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Color& p = px_[static_cast<size_t>(y) * width_ + x];
  p = p + c;
}

// Pixel range [lo, hi) covering [a - pad, b + pad], clipped to [0, limit). NaN or
// infinite input gives an empty range.
static void span(double a, double b, double pad, int limit, int* lo, int* hi) {
  double l = std::floor(a - pad), h = std::floor(b + pad) + 1;
  *lo = *hi = 0;
  if (!(l <= h) || !(h > 0.0) || !(l < limit)) return;
  *lo = l < 0.0 ? 0 : static_cast<int>(l);
  *hi = h > limit ? limit : static_cast<int>(h);
}

void Canvas::disc(double cx, double cy, double r, Color c, double alpha, double soft) {
  if (!(r > 0.0) || !(soft > 0.0)) return;
  int x0, x1, y0, y1;
  span(cx, cx, r + soft, width_, &x0, &x1);
  span(cy, cy, r + soft, height_, &y0, &y1);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      double d = std::sqrt(dx * dx + dy * dy);
      double cover = clampd((r + soft * 0.5 - d) / soft, 0.0, 1.0);
      if (cover > 0.0) blend(x, y, c, cover * alpha);
    }
  }
}

void Canvas::glow(double cx, double cy, double radius, Color c) {
  if (!(radius > 0.0)) return;
  int x0, x1, y0, y1;
  span(cx, cx, radius, width_, &x0, &x1);
  span(cy, cy, radius, height_, &y0, &y1);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      double dx = (x + 0.5 - cx) / radius, dy = (y + 0.5 - cy) / radius;
      double t = 1.0 - (dx * dx + dy * dy);
      if (t > 0.0) add(x, y, c * (t * t));
    }
  }
}

void Canvas::line(double x0, double y0, double x1, double y1, double hw, Color c, double alpha) {
  if (!(hw > 0.0)) return;
  int px0, px1, py0, py1;
  span(x0 < x1 ? x0 : x1, x0 < x1 ? x1 : x0, hw + 1.0, width_, &px0, &px1);
  span(y0 < y1 ? y0 : y1, y0 < y1 ? y1 : y0, hw + 1.0, height_, &py0, &py1);
  double vx = x1 - x0, vy = y1 - y0;
  double len2 = vx * vx + vy * vy;
  for (int y = py0; y < py1; ++y) {
    for (int x = px0; x < px1; ++x) {
      double wx = x + 0.5 - x0, wy = y + 0.5 - y0;
      double t = len2 > 0.0 ? clampd((wx * vx + wy * vy) / len2, 0.0, 1.0) : 0.0;
      double dx = wx - t * vx, dy = wy - t * vy;
      double d = std::sqrt(dx * dx + dy * dy);
      double cover = clampd(hw + 0.5 - d, 0.0, 1.0);
      if (cover > 0.0) blend(x, y, c, cover * alpha);
    }
  }
}

static uint8_t to_byte(double v, double dither) {
  double s = v * 255.0 + dither;
  if (!(s > 0.0)) return 0;  // also NaN
  if (s >= 255.0) return 255;
  return static_cast<uint8_t>(std::floor(s + 0.5));
}

Image8 Canvas::to_8bit() const {
  static const double kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  Image8 out;
  out.width = width_;
  out.height = height_;
  out.rgb.resize(px_.size() * 3);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      double d = (kBayer[y & 3][x & 3] + 0.5) / 16.0 - 0.5;
      const Color& c = px_[static_cast<size_t>(y) * width_ + x];
      size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
      out.rgb[i] = to_byte(c.r, d);
      out.rgb[i + 1] = to_byte(c.g, d);
      out.rgb[i + 2] = to_byte(c.b, d);
    }
  }
  return out;
}

}  // namespace assetgen

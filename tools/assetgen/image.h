// An RGB picture in floating point while it is being painted, and the few painting
// helpers the pictures share.
#ifndef ASSETGEN_IMAGE_H
#define ASSETGEN_IMAGE_H

#include <cstdint>
#include <vector>

namespace assetgen {

struct Color {
  double r = 0.0, g = 0.0, b = 0.0;
};

inline Color rgb(double r, double g, double b) {
  return Color{r, g, b};
}
inline Color operator+(Color a, Color b) {
  return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Color operator-(Color a, Color b) {
  return {a.r - b.r, a.g - b.g, a.b - b.b};
}
inline Color operator*(Color a, double k) {
  return {a.r * k, a.g * k, a.b * k};
}
inline Color operator*(Color a, Color b) {
  return {a.r * b.r, a.g * b.g, a.b * b.b};
}
inline Color mix(Color a, Color b, double t) {
  return a + (b - a) * t;
}
// Hue in turns (any real number), saturation and value in [0, 1].
Color hsv(double hue, double sat, double val);
// 0xRRGGBB to a colour.
Color hex(uint32_t rgb24);

// Top-down rows of 8-bit R, G, B.
struct Image8 {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

class Canvas {
 public:
  Canvas(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  Color get(int x, int y) const;    // outside: black
  void set(int x, int y, Color c);  // outside: ignored
  // Mixes c over the pixel with coverage alpha in [0, 1].
  void blend(int x, int y, Color c, double alpha);
  // Adds light to the pixel.
  void add(int x, int y, Color c);
  // Anti-aliased soft disc: full alpha inside radius r, fading to 0 over `soft` pixels.
  void disc(double cx, double cy, double r, Color c, double alpha, double soft = 1.0);
  // Additive glow with a smooth falloff to zero at `radius`.
  void glow(double cx, double cy, double radius, Color c);
  // Anti-aliased thick line segment with round caps.
  void line(double x0, double y0, double x1, double y1, double half_width, Color c, double alpha);
  // Rounds and clamps to 8 bits, with a tiny ordered dither so gradients do not band.
  Image8 to_8bit() const;

 private:
  int width_;
  int height_;
  std::vector<Color> px_;
};

}  // namespace assetgen

#endif

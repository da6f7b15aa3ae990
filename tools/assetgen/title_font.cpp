#include "title_font.h"

#include <cstddef>
#include <initializer_list>

#include "det_math.h"

namespace assetgen {
namespace {

const double kLetterGap = 2.3;
const double kSpaceAdvance = 4.0;

struct Builder {
  std::vector<Segment>* out;
  double dx;  // pen offset of the current glyph

  void line(double x0, double y0, double x1, double y1) {
    out->push_back({x0 + dx, y0, x1 + dx, y1});
  }
  void polyline(std::initializer_list<double> pts) {
    const double* p = pts.begin();
    size_t n = pts.size() / 2;
    for (size_t i = 1; i < n; ++i) line(p[2 * i - 2], p[2 * i - 1], p[2 * i], p[2 * i + 1]);
  }
  void dot(double x, double y) { line(x, y, x, y); }
  // Elliptic arc from angle a0 to a1 (degrees, y down: -90 is the top), in short chords.
  void arc(double cx, double cy, double rx, double ry, double a0, double a1) {
    const int steps = 24;
    double px = 0.0, py = 0.0;
    for (int i = 0; i <= steps; ++i) {
      double a = (a0 + (a1 - a0) * i / steps) * (kPi / 180.0);
      double x = cx + rx * det_cos(a), y = cy + ry * det_sin(a);
      if (i > 0) line(px, py, x, y);
      px = x;
      py = y;
    }
  }
};

// Adds one glyph at offset dx; returns its width, or a negative value when the font has no
// such character.
double add_glyph(char ch, std::vector<Segment>* out, double dx) {
  Builder b{out, dx};
  switch (ch) {
    case 'S':
      b.arc(3.0, 2.6, 3.0, 2.6, -25.0, -270.0);
      b.arc(3.0, 7.6, 3.0, 2.4, -90.0, 155.0);
      return 6.0;
    case 'P':
      b.line(0.0, 0.0, 0.0, 10.0);
      b.line(0.0, 0.0, 3.0, 0.0);
      b.arc(3.0, 2.8, 2.8, 2.8, -90.0, 90.0);
      b.line(3.0, 5.6, 0.0, 5.6);
      return 5.8;
    case 'l':
      b.line(0.0, 0.0, 0.0, 9.0);
      b.arc(1.0, 9.0, 1.0, 1.0, 180.0, 90.0);
      return 1.2;
    case 'i':
      b.line(0.0, 4.5, 0.0, 10.0);
      b.dot(0.0, 1.6);
      return 0.0;
    case 'd':
      b.arc(2.3, 7.25, 2.3, 2.75, 0.0, 360.0);
      b.line(4.6, 0.0, 4.6, 10.0);
      return 4.6;
    case 'e':
      b.line(0.0, 7.2, 4.6, 7.2);
      b.arc(2.3, 7.25, 2.3, 2.75, 0.0, -310.0);
      return 4.6;
    case 'u':
      b.line(0.0, 4.5, 0.0, 7.6);
      b.arc(2.3, 7.6, 2.3, 2.4, 180.0, 0.0);
      b.line(4.6, 4.5, 4.6, 10.0);
      return 4.6;
    case 'z':
      b.polyline({0.0, 4.5, 4.4, 4.5, 0.0, 10.0, 4.6, 10.0});
      return 4.6;
    default:
      return -1.0;
  }
}

}  // namespace

GlyphLayout layout_text(const std::string& text) {
  GlyphLayout layout;
  double x = 0.0;
  for (size_t i = 0; i < text.size(); ++i) {
    double w = add_glyph(text[i], &layout.segments, x);
    x += w >= 0.0 ? w : kSpaceAdvance;
    if (i + 1 < text.size()) x += kLetterGap;
  }
  layout.width = x;
  return layout;
}

double distance_to_strokes(const std::vector<Segment>& segs, double x, double y, double* near_x,
                           double* near_y) {
  double best = 1e30, bx = x, by = y;
  for (const Segment& s : segs) {
    double vx = s.x1 - s.x0, vy = s.y1 - s.y0;
    double wx = x - s.x0, wy = y - s.y0;
    double len2 = vx * vx + vy * vy;
    double t = len2 > 0.0 ? clampd((wx * vx + wy * vy) / len2, 0.0, 1.0) : 0.0;
    double px = s.x0 + t * vx, py = s.y0 + t * vy;
    double d2 = (x - px) * (x - px) + (y - py) * (y - py);
    if (d2 < best) {
      best = d2;
      bx = px;
      by = py;
    }
  }
  if (near_x) *near_x = bx;
  if (near_y) *near_y = by;
  return det_sqrt(best);
}

}  // namespace assetgen

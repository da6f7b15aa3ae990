// A small stroke font for the title: each glyph is a few polylines drawn with a round pen,
// so the letters can be rendered from a distance field at any size, with outlines and
// shading for free.
#ifndef ASSETGEN_TITLE_FONT_H
#define ASSETGEN_TITLE_FONT_H

#include <string>
#include <vector>

namespace assetgen {

// A straight piece of pen path in font units: x to the right, y down, the capital height
// spanning y = 0..10 with the baseline at y = 10 and the lowercase x-height at y = 4.5.
struct Segment {
  double x0, y0, x1, y1;
};

struct GlyphLayout {
  std::vector<Segment> segments;  // already placed along the line
  double width = 0.0;             // advance of the whole text, font units
};

// Lays out text in the stroke font. Characters the font lacks are skipped with a space's
// advance, so any string is safe.
GlyphLayout layout_text(const std::string& text);

// Distance from (x, y) to the nearest segment; also returns the nearest point.
double distance_to_strokes(const std::vector<Segment>& segs, double x, double y, double* near_x,
                           double* near_y);

}  // namespace assetgen

#endif

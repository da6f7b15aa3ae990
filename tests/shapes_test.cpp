// Lines and shapes on the image target: the current position, arc end points, the four
// variants of the closed shapes and what they put back, point lists and flood fill.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <ostream>

#include "context.h"
#include "shapes.h"
#include "surface.h"

using namespace Slate;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr COLORREF kPen = RGB(250, 0, 0);
constexpr COLORREF kFill = RGB(0, 0, 240);

// Counts the style calls the composite shapes make through the interface.
class CountingTarget : public DrawOnImg {
 public:
  using DrawOnImg::setFillStyle;
  using DrawOnImg::setLineStyle;

  void setLineStyle(int style, int thickness, const DWORD* pattern, DWORD count) override {
    ++lineStyleCalls;
    DrawOnImg::setLineStyle(style, thickness, pattern, count);
  }
  void setLineStyle(const LINESTYLE* style) override {
    ++lineStyleCalls;
    DrawOnImg::setLineStyle(style);
  }
  void setFillStyle(int style, long hatch, IMAGE* patternImage) override {
    ++fillStyleCalls;
    DrawOnImg::setFillStyle(style, hatch, patternImage);
  }
  void setFillStyle(const FILLSTYLE* style) override {
    ++fillStyleCalls;
    DrawOnImg::setFillStyle(style);
  }

  int lineStyleCalls = 0;
  int fillStyleCalls = 0;
};

class ShapesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setDrawTarget(&image);
    // Colours are set on the image and the pen and brush rebuilt, without the colour setters.
    image.lineColor = kPen;
    target.setLineStyle(&image.lineStyle);
    image.fillColor = kFill;
    target.setFillStyle(&image.fillStyle);
  }
  void TearDown() override { setDrawTarget(nullptr); }

  DWORD pixel(int x, int y) const { return image.pixels[y * image.width + x]; }
  bool is(int x, int y, COLORREF colour) const { return pixel(x, y) == toPixelOrder(colour); }
  int countOf(COLORREF colour) const {
    int n = 0;
    for (int i = 0; i < image.width * image.height; ++i)
      n += image.pixels[i] == toPixelOrder(colour);
    return n;
  }

  IMAGE image{120, 80};
  DrawOnImg& target = graphContext.imageTarget;
};

struct Endpoints {
  int x1, y1, x2, y2;
  bool operator==(const Endpoints& o) const {
    return x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2;
  }
};

std::ostream& operator<<(std::ostream& out, const Endpoints& p) {
  return out << "(" << p.x1 << "," << p.y1 << ")-(" << p.x2 << "," << p.y2 << ")";
}

Endpoints endpoints(int left, int top, int right, int bottom, double start, double end) {
  Endpoints p{-1, -1, -1, -1};
  graphContext.imageTarget.arcEndpoints(left, top, right, bottom, start, end, &p.x1, &p.y1, &p.x2,
                                        &p.y2);
  return p;
}

TEST(ArcEndpoints, RadialPointsOfTheBox) {
  EXPECT_EQ(endpoints(0, 0, 100, 50, 0, kPi / 2), (Endpoints{100, 25, 50, 0}));
  EXPECT_EQ(endpoints(100, 50, 0, 0, 0, kPi / 2), (Endpoints{100, 25, 50, 0}));
  EXPECT_EQ(endpoints(10, 20, 30, 60, kPi / 4, kPi), (Endpoints{27, 26, 10, 40}));
  // Odd sizes halve downwards: rx 50, ry 25, centre (50, 25).
  EXPECT_EQ(endpoints(0, 0, 101, 51, kPi, 3 * kPi / 2), (Endpoints{0, 25, 50, 50}));
  EXPECT_EQ(endpoints(-40, -20, -20, 0, 0, kPi), (Endpoints{-20, -10, -40, -10}));
  // Boxes as wide as the coordinate range do not overflow.
  const Endpoints huge = endpoints(INT_MIN, 0, INT_MAX, 10, kPi, 0);
  EXPECT_EQ(huge.x1, INT_MIN);
  EXPECT_EQ(huge.x2, INT_MAX - 1);
  // An angle that is no number is taken as 0 rather than giving an undefined point.
  EXPECT_EQ(endpoints(0, 0, 100, 50, NAN, INFINITY), (Endpoints{100, 25, 100, 25}));
  EXPECT_EQ(roundHalfAwayFromZero(2.5), 3);
  EXPECT_EQ(roundHalfAwayFromZero(-2.5), -3);
  EXPECT_EQ(roundHalfAwayFromZero(-2.49), -2);
  EXPECT_EQ(roundHalfAwayFromZero(0.49), 0);
}

TEST_F(ShapesTest, CurrentPosition) {
  target.moveTo(3, 4);
  target.line(0, 0, 10, 10);
  EXPECT_EQ(image.currentX, 3);
  EXPECT_EQ(image.currentY, 4);
  target.lineTo(10, 10);
  EXPECT_EQ(image.currentX, 10);
  EXPECT_EQ(image.currentY, 10);
  target.moveRel(5, -5);
  EXPECT_EQ(image.currentX, 15);
  EXPECT_EQ(image.currentY, 5);
  target.lineRel(-15, 0);
  EXPECT_EQ(image.currentX, 0);
  EXPECT_EQ(image.currentY, 5);
  const POINT path[] = {{1, 1}, {50, 1}, {50, 30}};
  target.polyline(path, 3);
  EXPECT_EQ(image.currentX, 0);
  EXPECT_EQ(image.currentY, 5);

  // lineTo draws from the stored position, not from the platform's current point.
  target.moveTo(20, 60);
  target.line(0, 0, 5, 0);
  target.lineTo(40, 60);
  EXPECT_TRUE(is(30, 60, kPen));
  EXPECT_FALSE(is(5, 30, kPen));
}

TEST_F(ShapesTest, SolidRectangleIncludesBothCornersInEitherOrder) {
  target.solidRectangle(10, 10, 5, 5);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      const bool inside = x >= 5 && x <= 10 && y >= 5 && y <= 10;
      ASSERT_EQ(is(x, y, kFill), inside) << x << "," << y;
    }
  }
  EXPECT_EQ(countOf(kPen), 0);
}

TEST_F(ShapesTest, VariantsOutlineFillAndSolid) {
  target.rectangle(10, 10, 30, 30);
  EXPECT_TRUE(is(10, 20, kPen));
  EXPECT_TRUE(is(20, 10, kPen));
  EXPECT_EQ(pixel(20, 20), 0u);
  target.fillRectangle(40, 10, 60, 30);
  EXPECT_TRUE(is(40, 20, kPen));
  EXPECT_TRUE(is(50, 20, kFill));
  target.solidCircle(90, 20, 10);
  EXPECT_TRUE(is(90, 20, kFill));
  EXPECT_TRUE(is(81, 20, kFill));
  for (int y = 5; y < 36; ++y) {
    for (int x = 75; x < 106; ++x) ASSERT_FALSE(is(x, y, kPen)) << x << "," << y;
  }

  // Each wrapper put the styles back: solid brush in the fill colour, solid pen.
  EXPECT_EQ(image.fillStyle.style, BS_SOLID);
  EXPECT_EQ(image.lineStyle.style, PS_SOLID);
  target.fillEllipse(10, 40, 50, 70);
  EXPECT_TRUE(is(30, 55, kFill));
  EXPECT_TRUE(is(10, 55, kPen));
}

TEST_F(ShapesTest, WrappersSkipStylesAlreadyInForce) {
  CountingTarget counting;
  target.setFillStyle(BS_NULL, 0, nullptr);
  counting.rectangle(1, 1, 9, 9);
  counting.ellipse(1, 1, 9, 9);
  counting.pie(1, 1, 9, 9, 0, 1);
  EXPECT_EQ(counting.fillStyleCalls, 0);

  target.setFillStyle(BS_HATCHED, HS_CROSS, nullptr);
  counting.rectangle(1, 1, 9, 9);
  EXPECT_GT(counting.fillStyleCalls, 0);
  EXPECT_EQ(image.fillStyle.style, BS_HATCHED);
  EXPECT_EQ(image.fillStyle.hatch, HS_CROSS);

  target.setLineStyle(PS_NULL, 1, nullptr, 0);
  counting.solidEllipse(1, 1, 9, 9);
  counting.solidRectangle(1, 1, 9, 9);
  EXPECT_EQ(counting.lineStyleCalls, 0);

  // The comparison takes the whole value: a null pen with a flat cap is not the plain one.
  target.setLineStyle(PS_NULL | PS_ENDCAP_FLAT, 2, nullptr, 0);
  counting.solidEllipse(1, 1, 9, 9);
  EXPECT_GT(counting.lineStyleCalls, 0);
  EXPECT_EQ(image.lineStyle.style, PS_NULL | PS_ENDCAP_FLAT);
  EXPECT_EQ(image.lineStyle.thickness, 2);
}

TEST_F(ShapesTest, ClearVariantsCopyTheBackgroundWhateverTheRasterOperation) {
  constexpr COLORREF kBack = RGB(30, 200, 60);
  target.setBkColor(kBack);
  target.setFillStyle(BS_HATCHED, HS_DIAGCROSS, nullptr);
  for (int i = 0; i < image.width * image.height; ++i) image.pixels[i] = 0x00808080;
  target.setRop2(R2_XORPEN);

  target.clearPie(0, 0, 100, 60, 0, kPi / 2);
  EXPECT_TRUE(is(70, 15, kBack));  // inside the upper right quarter
  EXPECT_TRUE(is(52, 29, kBack));
  EXPECT_EQ(pixel(30, 45), 0x00808080u);  // outside it

  EXPECT_EQ(target.getRop2(), R2_XORPEN);
  EXPECT_EQ(target.getFillColor(), kFill);
  EXPECT_EQ(image.fillStyle.style, BS_HATCHED);
  EXPECT_EQ(image.fillStyle.hatch, HS_DIAGCROSS);
  LOGBRUSH brush = {};
  GetObjectW(GetCurrentObject(image.dc, OBJ_BRUSH), sizeof brush, &brush);
  EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_HATCHED));
  EXPECT_EQ(brush.lbColor, kFill);

  // clearRectangle takes solidRectangle's corner rule.
  target.clearRectangle(110, 70, 105, 65);
  EXPECT_TRUE(is(105, 65, kBack));
  EXPECT_TRUE(is(110, 70, kBack));
  EXPECT_EQ(pixel(111, 70), 0x00808080u);
  target.setRop2(R2_COPYPEN);
}

TEST_F(ShapesTest, ArcAndPieTurnCounterclockwiseFromTheStart) {
  target.arc(0, 0, 100, 60, 0, kPi / 2);
  int upperRight = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 50; x <= 100; ++x) upperRight += is(x, y, kPen);
  }
  EXPECT_GT(upperRight, 40);
  EXPECT_EQ(countOf(kPen), upperRight);  // nothing outside that quarter, nothing filled

  target.fillPie(0, 0, 100, 60, kPi, 3 * kPi / 2);
  EXPECT_TRUE(is(25, 45, kFill));  // lower left quarter
  EXPECT_FALSE(is(75, 45, kFill));
}

TEST_F(ShapesTest, PolygonsAndEmptyPointLists) {
  const POINT triangle[] = {{10, 10}, {70, 10}, {10, 70}};
  target.solidPolygon(triangle, 3);
  EXPECT_TRUE(is(20, 20, kFill));
  EXPECT_FALSE(is(60, 60, kFill));
  EXPECT_EQ(countOf(kPen), 0);

  const int filled = countOf(kFill);
  for (int count : {0, -1, -100}) {
    target.polyline(triangle, count);
    target.fillPolygon(triangle, count);
    target.clearPolygon(triangle, count);
  }
  target.polygon(nullptr, 3);
  target.polyline(nullptr, 3);
  EXPECT_EQ(countOf(kFill), filled);
  EXPECT_EQ(countOf(kPen), 0);

  target.polygon(triangle, 3);
  EXPECT_TRUE(is(10, 40, kPen));
  EXPECT_TRUE(is(20, 20, kFill));  // the outline did not fill over the inside
}

TEST_F(ShapesTest, FloodFillStopsAtTheBorderColour) {
  target.rectangle(10, 10, 50, 50);
  target.floodFill(30, 30, kPen);
  EXPECT_TRUE(is(11, 11, kFill));
  EXPECT_TRUE(is(48, 48, kFill));
  EXPECT_TRUE(is(10, 30, kPen));
  EXPECT_EQ(pixel(60, 30), 0u);
  EXPECT_EQ(pixel(5, 5), 0u);
}

// Wine's own fill overflows an ordinary stack on surfaces this tall; the fill still reaches
// the last row.
TEST_F(ShapesTest, FloodFillReachesTheBottomOfATallImage) {
  for (const SIZE size : {SIZE{100, 30000}, SIZE{1000, 15000}}) {
    IMAGE tall(size.cx, size.cy);
    setDrawTarget(&tall);
    target.setFillColor(kFill);
    target.floodFill(5, 5, kPen);
    const DWORD* last = tall.pixels + static_cast<size_t>(size.cy - 1) * size.cx;
    EXPECT_EQ(last[size.cx - 1], toPixelOrder(kFill)) << size.cx << " x " << size.cy;
    setDrawTarget(&image);
  }
}

TEST_F(ShapesTest, RoundedRectangleVariants) {
  target.roundRect(10, 10, 60, 50, 20, 20);
  EXPECT_TRUE(is(35, 10, kPen));
  EXPECT_FALSE(is(10, 10, kPen));  // the corner is rounded off
  EXPECT_EQ(pixel(35, 30), 0u);
  target.solidRoundRect(70, 10, 110, 50, 10, 10);
  EXPECT_TRUE(is(90, 30, kFill));
  EXPECT_FALSE(is(70, 10, kFill));
}

}  // namespace

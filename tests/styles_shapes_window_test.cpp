// Styles and shapes on the window target: the same drawing on the window matches the image
// target pixel for pixel, on the back buffer and on the window itself, buffered or not; pens
// and brushes are shared by both contexts; composites never hold the lock across slots.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "context.h"
#include "style_setter_loops.h"
#include "support/host.h"

using namespace Slate;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr double kPi = 3.14159265358979323846;

// What the window itself shows, read back through its own device context.
std::vector<DWORD> windowPixels() {
  return SlateTest::readWindow(graphContext.window.hwnd, 0, 0, kWidth, kHeight).data;
}

std::vector<DWORD> pixelsOf(const IMAGE& image) {
  return std::vector<DWORD>(image.pixels, image.pixels + image.width * image.height);
}

// Index of the first pixel that differs, or -1.
int firstDifference(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
  if (a.size() != b.size()) return 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return static_cast<int>(i);
  }
  return -1;
}

// Every kind of line, shape, variant, pen and brush, through the interface only.
void drawScene(DrawOnImg& t) {
  t.setBkColor(RGB(250, 210, 60));
  t.setBkMode(OPAQUE);
  t.setTextColor(RGB(20, 160, 30));
  t.setRop2(R2_COPYPEN);
  t.setLineColor(RGB(200, 30, 40));
  t.setFillColor(RGB(60, 120, 220));
  t.setFillStyle(BS_SOLID, 0, nullptr);
  t.setLineStyle(PS_SOLID, 3, nullptr, 0);
  t.rectangle(5, 5, 60, 50);
  t.fillRectangle(65, 5, 120, 50);
  t.solidRectangle(180, 50, 125, 5);
  t.clearRectangle(185, 5, 240, 50);
  t.roundRect(245, 5, 315, 50, 20, 20);
  t.circle(30, 80, 22);
  t.fillCircle(80, 80, 22);
  t.solidEllipse(110, 60, 170, 100);
  t.clearEllipse(175, 60, 235, 100);
  t.fillPie(240, 55, 315, 110, kPi / 6, 3 * kPi / 2);
  t.setLineStyle(PS_DASHDOT | PS_ENDCAP_FLAT, 2, nullptr, 0);
  t.moveTo(5, 120);
  t.lineTo(150, 120);
  t.lineRel(0, 20);
  t.line(5, 130, 140, 160);
  const DWORD dashes[] = {7, 3, 1, 3};
  t.setLineStyle(PS_USERSTYLE | PS_JOIN_MITER, 4, dashes, 4);
  const POINT zigzag[] = {{160, 170}, {190, 120}, {220, 170}, {250, 120}};
  t.polyline(zigzag, 4);
  t.arc(255, 115, 315, 175, 0, 3 * kPi / 2);
  t.setLineStyle(PS_SOLID, 1, nullptr, 0);
  const POINT star[] = {{40, 180}, {60, 235}, {10, 200}, {70, 200}, {20, 235}};
  t.setPolyFillMode(WINDING);
  t.fillPolygon(star, 5);
  t.setPolyFillMode(ALTERNATE);
  t.setFillStyle(BS_HATCHED, HS_DIAGCROSS, nullptr);
  t.polygon(star, 5);
  t.fillRectangle(80, 180, 130, 235);
  const BYTE bricks[8] = {0xFF, 0x80, 0x80, 0x80, 0xFF, 0x08, 0x08, 0x08};
  t.setFillStyle(bricks);
  t.solidPie(135, 180, 195, 235, 0, 4);
  IMAGE colours(5, 3);
  for (int i = 0; i < 15; ++i) colours.pixels[i] = 0x00103050u * static_cast<DWORD>(i + 1);
  t.setFillStyle(BS_DIBPATTERN, 0, &colours);
  t.solidRoundRect(200, 180, 255, 235, 15, 15);
  t.setRop2(R2_XORPEN);
  t.clearCircle(228, 207, 12);
  t.fillCircle(100, 207, 15);
  t.setRop2(R2_COPYPEN);
  t.setFillStyle(BS_SOLID, 0, nullptr);
  t.rectangle(260, 180, 315, 235);
  t.floodFill(287, 207, RGB(200, 30, 40));
}

class WindowShapes : public ::testing::Test {
 protected:
  void SetUp() override {
    // Opened once per process; a window that does not open fails every test here.
    if (!graphContext.window.hwnd) openGraphWindow(kWidth, kHeight, 0);
    ASSERT_NE(graphContext.window.hwnd, nullptr);
    setDrawTarget(nullptr);
    window().resetDefaults();
    for (int i = 0; i < kWidth * kHeight; ++i) graphContext.window.pixels[i] = 0;
    window().flushBufferedDrawing();
  }
  void TearDown() override { setDrawTarget(nullptr); }

  static DrawOnWnd& window() { return graphContext.windowTarget; }

  // The scene drawn on a fresh image of the window's size, by the image target.
  static std::vector<DWORD> sceneOnImage() {
    IMAGE image(kWidth, kHeight);
    setDrawTarget(&image);
    drawScene(graphContext.imageTarget);
    setDrawTarget(nullptr);
    return pixelsOf(image);
  }
};

TEST_F(WindowShapes, SameSceneAsTheImageTargetOnBothContexts) {
  const std::vector<DWORD> expected = sceneOnImage();
  int painted = 0;
  for (DWORD p : expected) painted += p != 0;
  ASSERT_GT(painted, kWidth * kHeight / 3);  // the scene really draws
  drawScene(window());
  EXPECT_EQ(firstDifference(pixelsOf(graphContext.window), expected), -1);
  EXPECT_EQ(firstDifference(windowPixels(), expected), -1);
  // And the screen shows it without waiting for any other message to the window.
  EXPECT_TRUE(SlateTest::waitUntil([&] {
    const auto shown = SlateTest::captureScreen(graphContext.window.hwnd, 0, 0, kWidth, kHeight);
    return firstDifference(shown.data, expected) == -1;
  }));
}

TEST_F(WindowShapes, BufferedSceneReachesTheWindowOnlyWhenFlushed) {
  const std::vector<DWORD> expected = sceneOnImage();
  const std::vector<DWORD> before = windowPixels();
  window().beginBufferedDrawing();
  drawScene(window());
  EXPECT_EQ(firstDifference(windowPixels(), before), -1);
  EXPECT_EQ(firstDifference(pixelsOf(graphContext.window), expected), -1);
  window().endBufferedDrawing();
  EXPECT_EQ(firstDifference(windowPixels(), expected), -1);
}

TEST_F(WindowShapes, CurrentPointsFollowOnBothContexts) {
  POINT back = {}, front = {};
  window().moveTo(12, 34);
  GetCurrentPositionEx(graphContext.targetDc, &back);
  GetCurrentPositionEx(graphContext.windowDc, &front);
  EXPECT_EQ(back.x, 12);
  EXPECT_EQ(front.y, 34);
  EXPECT_EQ(graphContext.window.currentX, 12);

  window().beginBufferedDrawing();
  window().line(0, 0, 50, 60);
  window().endBufferedDrawing();
  GetCurrentPositionEx(graphContext.targetDc, &back);
  GetCurrentPositionEx(graphContext.windowDc, &front);
  EXPECT_EQ(back.x, 50);
  EXPECT_EQ(front.x, 50);
  EXPECT_EQ(front.y, 60);
  EXPECT_EQ(graphContext.window.currentX, 12);  // line keeps the stored position

  window().lineTo(100, 10);
  EXPECT_EQ(graphContext.window.currentX, 100);
  GetCurrentPositionEx(graphContext.windowDc, &front);
  EXPECT_EQ(front.x, 100);
}

TEST_F(WindowShapes, OnePenAndOneBrushForBothContexts) {
  window().setLineStyle(PS_DOT, 1, nullptr, 0);
  HGDIOBJ pen = GetCurrentObject(graphContext.targetDc, OBJ_PEN);
  EXPECT_EQ(GetCurrentObject(graphContext.windowDc, OBJ_PEN), pen);
  window().setLineStyle(PS_SOLID, 2, nullptr, 0);
  EXPECT_EQ(GetObjectType(pen), 0u);
  EXPECT_EQ(GetCurrentObject(graphContext.windowDc, OBJ_PEN),
            GetCurrentObject(graphContext.targetDc, OBJ_PEN));

  window().setFillStyle(BS_HATCHED, HS_CROSS, nullptr);
  HGDIOBJ brush = GetCurrentObject(graphContext.targetDc, OBJ_BRUSH);
  EXPECT_EQ(GetCurrentObject(graphContext.windowDc, OBJ_BRUSH), brush);
  const BYTE stripes[8] = {0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0};
  window().setFillStyle(stripes);
  EXPECT_EQ(GetObjectType(brush), 0u);
  EXPECT_EQ(GetCurrentObject(graphContext.windowDc, OBJ_BRUSH),
            GetCurrentObject(graphContext.targetDc, OBJ_BRUSH));
}

DWORD WINAPI takeAndReleaseLock(LPVOID) {
  LockGuard guard(graphContext.lock);
  return 0;
}

// True when another thread can take the context's lock at once: the calling thread does
// not hold it.
bool lockIsFree() {
  HANDLE thread = CreateThread(nullptr, 0, takeAndReleaseLock, nullptr, 0, nullptr);
  // A thread left waiting finishes by itself once the lock is released.
  const bool entered = WaitForSingleObject(thread, 2000) == WAIT_OBJECT_0;
  CloseHandle(thread);
  return entered;
}

// Checks, whenever a composite calls another slot, that no lock is held across the call.
class LockCheckingTarget : public DrawOnWnd {
 public:
  using DrawOnWnd::setFillStyle;
  using DrawOnWnd::setLineStyle;

  void arcEndpoints(int left, int top, int right, int bottom, double start, double end, int* x1,
                    int* y1, int* x2, int* y2) override {
    check();
    DrawOnWnd::arcEndpoints(left, top, right, bottom, start, end, x1, y1, x2, y2);
  }
  void setFillStyle(const FILLSTYLE* style) override {
    check();
    DrawOnWnd::setFillStyle(style);
  }
  void setLineStyle(const LINESTYLE* style) override {
    check();
    DrawOnWnd::setLineStyle(style);
  }
  void fillPie(int left, int top, int right, int bottom, double start, double end) override {
    check();
    DrawOnWnd::fillPie(left, top, right, bottom, start, end);
  }
  void line(int x1, int y1, int x2, int y2) override {
    check();
    DrawOnWnd::line(x1, y1, x2, y2);
  }

  int checks = 0;
  int held = 0;

 private:
  void check() {
    ++checks;
    held += !lockIsFree();
  }
};

TEST_F(WindowShapes, CompositesAreSeparatelyLockedSteps) {
  LockCheckingTarget target;
  target.setFillStyle(BS_HATCHED, HS_CROSS, nullptr);
  target.clearPie(10, 10, 100, 80, 0, 2);
  target.pie(10, 10, 100, 80, 1, 3);
  target.arc(10, 10, 100, 80, 1, 3);
  target.lineTo(40, 40);
  target.solidCircle(50, 50, 10);
  EXPECT_GT(target.checks, 10);
  EXPECT_EQ(target.held, 0);
}

// ---- Coordinates the platform cannot draw --------------------------------------------------

// A case runs on each target with this origin (x only) and scale in force; the rectangle
// cases paint from (left, top) to the edge.
struct RangeCase {
  const char* name;
  int originX;
  float scale;
  void (*draw)(DrawOnImg&);
  int left = 0;
  int top = 0;
};

// 1 where a pixel is painted (not black), else 0.
std::vector<DWORD> paintedPixels(const std::vector<DWORD>& pixels) {
  std::vector<DWORD> painted;
  for (DWORD p : pixels) painted.push_back(p != 0);
  return painted;
}

// Runs each case on a reset, black target; check(case, target, back buffer) judges it. On
// the window the window itself must show what the back buffer holds.
template <class Check>
void onBothTargets(const std::vector<RangeCase>& cases, Check check) {
  IMAGE image(kWidth, kHeight);
  for (IMAGE* surface : {&image, static_cast<IMAGE*>(&graphContext.window)}) {
    const bool onWindow = surface != &image;
    setDrawTarget(onWindow ? nullptr : &image);
    DrawOnImg& t = *graphContext.currentTarget;
    for (const RangeCase& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (onWindow ? " on the window" : " on the image"));
      t.resetDefaults();
      t.clearDevice();
      t.setOrigin(c.originX, 0);
      t.setAspectRatio(c.scale, c.scale);
      t.moveTo(3, 4);
      c.draw(t);
      const std::vector<DWORD> back = pixelsOf(*surface);
      check(c, t, back);
      if (onWindow) {
        EXPECT_EQ(firstDifference(windowPixels(), back), -1);
      }
    }
  }
  setDrawTarget(nullptr);
}

const POINT kReachingFar[] = {{10, 10}, {INT_MAX, 20}, {30, 200}};
// In the range as given, past it once scaled by 2.
const POINT kFarOnceScaled[] = {{0, 0}, {(1 << 26) + 10, 0}, {0, 100}};

TEST_F(WindowShapes, ShapesPastTheRangeDrawNothingAndChangeNothing) {
  const std::vector<RangeCase> cases = {
      {"solid ellipse to INT_MAX", 0, 1, [](DrawOnImg& t) { t.solidEllipse(0, 0, INT_MAX, 5); }},
      {"ellipse from INT_MIN", 0, 1, [](DrawOnImg& t) { t.ellipse(INT_MIN, 0, 10, 10); }},
      {"ellipse one past", 0, 1, [](DrawOnImg& t) { t.fillEllipse(0, 0, 1 << 27, 5); }},
      {"circle of radius INT_MAX", 0, 1, [](DrawOnImg& t) { t.fillCircle(10, 10, INT_MAX); }},
      {"clear circle at INT_MIN", 0, 1, [](DrawOnImg& t) { t.clearCircle(INT_MIN, 10, 5); }},
      {"rounded rectangle", 0, 1, [](DrawOnImg& t) { t.solidRoundRect(0, 0, INT_MAX, 9, 4, 4); }},
      {"arc", 0, 1, [](DrawOnImg& t) { t.arc(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 1); }},
      {"pie", 0, 1, [](DrawOnImg& t) { t.pie(0, 0, 10, INT_MIN, 0, 2); }},
      {"polygon", 0, 1, [](DrawOnImg& t) { t.solidPolygon(kReachingFar, 3); }},
      {"polyline", 0, 1, [](DrawOnImg& t) { t.polyline(kReachingFar, 3); }},
      {"line", 0, 1, [](DrawOnImg& t) { t.line(0, 5, INT_MAX, 5); }},
      {"line to", 0, 1, [](DrawOnImg& t) { t.lineTo(INT_MIN, 5); }},
      {"line to past the origin", (1 << 27) - 10, 1, [](DrawOnImg& t) { t.lineTo(20, 5); }},
      {"polygon scaled past", 0, 2, [](DrawOnImg& t) { t.fillPolygon(kFarOnceScaled, 3); }},
  };
  onBothTargets(cases, [](const RangeCase& c, DrawOnImg& t, const std::vector<DWORD>& back) {
    EXPECT_EQ(std::count(back.begin(), back.end(), 0u), kWidth * kHeight);
    EXPECT_EQ(t.getCurrentX(), 3);
    EXPECT_EQ(t.getCurrentY(), 4);
    LINESTYLE line;
    FILLSTYLE fill;
    t.getLineStyle(&line);
    t.getFillStyle(&fill);
    EXPECT_EQ(line.style, PS_SOLID);
    EXPECT_EQ(fill.style, BS_SOLID);
    float scale = 0;
    t.getAspectRatio(&scale, nullptr);
    EXPECT_EQ(scale, c.scale);
  });
}

// Rectangles are clipped to the range instead: what shows does not depend on how far a
// corner lies off the surface.
TEST_F(WindowShapes, RectanglesPastTheRangeAreClipped) {
  const std::vector<RangeCase> cases = {
      {"solid to INT_MAX", 0, 1, [](DrawOnImg& t) { t.solidRectangle(10, 10, INT_MAX, INT_MAX); },
       10, 10},
      {"solid from INT_MAX", 0, 1, [](DrawOnImg& t) { t.solidRectangle(INT_MAX, INT_MAX, 10, 10); },
       10, 10},
      {"clear", 0, 1,
       [](DrawOnImg& t) {
         t.setBkColor(RGB(0, 200, 0));
         t.clearRectangle(INT_MAX, 20, 30, INT_MAX);
       },
       30, 20},
      {"fill over everything", 0, 1,
       [](DrawOnImg& t) { t.fillRectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX); }, 0, 0},
      {"solid past the origin", 5, 1,
       [](DrawOnImg& t) { t.solidRectangle(10, 10, INT_MAX, INT_MAX); }, 15, 10},
      {"solid scaled", 0, 2, [](DrawOnImg& t) { t.solidRectangle(10, 10, INT_MAX, INT_MAX); }, 20,
       20},
  };
  onBothTargets(cases, [](const RangeCase& c, DrawOnImg&, const std::vector<DWORD>& back) {
    std::vector<DWORD> expected(back.size(), 0);
    for (int y = c.top; y < kHeight; ++y) {
      for (int x = c.left; x < kWidth; ++x) expected[y * kWidth + x] = 1;
    }
    EXPECT_EQ(firstDifference(paintedPixels(back), expected), -1);
  });
}

// As on the image target; both contexts hold the one last pen and brush. The pattern forms
// cost ~250 us a call on the window under Wine, so they run 20,000 times; they end in the
// window's own brush slot, which the record form calls 100,000 times.
TEST_F(WindowShapes, SettersLeakNothing) {
  StyleSetterLoops::lineSetters(window());
  EXPECT_EQ(GetCurrentObject(graphContext.windowDc, OBJ_PEN),
            GetCurrentObject(graphContext.targetDc, OBJ_PEN));
  EXPECT_EQ(graphContext.window.lineStyle.thickness, 5);
  StyleSetterLoops::fillSetters(window(), 20000);
  EXPECT_EQ(GetCurrentObject(graphContext.windowDc, OBJ_BRUSH),
            GetCurrentObject(graphContext.targetDc, OBJ_BRUSH));
  LOGBRUSH brush = {};
  GetObjectW(GetCurrentObject(graphContext.windowDc, OBJ_BRUSH), sizeof brush, &brush);
  EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_HATCHED));
  EXPECT_EQ(brush.lbHatch, static_cast<ULONG_PTR>((StyleSetterLoops::kRepeats - 1) % 6));
}

}  // namespace

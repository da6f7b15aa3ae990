// The forwarding front functions: each one, on the image target and on the window target,
// has exactly the effect and result of calling its slot on that target directly, and with no
// target it changes nothing and returns the neutral value. Bad input through them leaves the
// target as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "support/window_fixture.h"

using namespace Slate;

namespace {

// What a call gave back, and what it gives back with no target.
struct Outcome {
  long long value;
  long long neutral;
};

template <class Call>
Outcome outcomeOf(Call call) {
  using R = decltype(call());
  if constexpr (std::is_void_v<R>) {
    call();
    return {0, 0};
  } else {
    const long long neutral = std::is_same_v<R, COLORREF> ? CLR_INVALID : 0;
    return {static_cast<long long>(call()), neutral};
  }
}

// A case calls the front function when given null, else the same slot on the given target.
struct Case {
  const char* call;
  Outcome (*run)(DrawOnImg* direct);
};

#define FORWARDS(call)                                                                        \
  Case {                                                                                      \
#call, [](DrawOnImg * t) { return outcomeOf([&] { return t ? t->call : Slate::call; }); } \
  }

// The getters with out-arguments report a field of `out`, which starts from a value that
// reports 0 (the neutral result) when nothing writes to it.
#define READS(call, declareOut, result)                \
  Case {                                               \
#call, [](DrawOnImg* t) {                            \
      declareOut;                                        \
      t ? t->call : Slate::call;                         \
      return Outcome{static_cast<long long>(result), 0}; \
    } \
  }

const POINT kTriangle[] = {{3, 3}, {25, 6}, {10, 22}};
const DWORD kDashes[] = {4, 2};
const BYTE kChecks[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};

HRGN clipRegion() {
  static HRGN region = CreateRectRgn(0, 0, 12, 12);
  return region;
}

const LINESTYLE* dashedStyle() {
  static LINESTYLE style;
  style.style = PS_DASH;
  style.thickness = 1;
  return &style;
}

const FILLSTYLE* hatchedStyle() {
  static FILLSTYLE style;
  style.style = BS_HATCHED;
  style.hatch = HS_CROSS;
  return &style;
}

RECT* textBox() {
  static RECT box;
  box = {0, 0, 30, 20};
  return &box;
}

const LOGFONTW* bigFont() {
  static LOGFONTW font = {30, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial"};
  return &font;
}

// Every forwarding front function, with arguments that change a prepared target.
const Case kCases[] = {
    FORWARDS(clearDevice()),
    FORWARDS(getLineColor()),
    FORWARDS(setLineColor(RGB(1, 2, 3))),
    FORWARDS(getTextColor()),
    FORWARDS(setTextColor(RGB(4, 5, 6))),
    FORWARDS(getBkColor()),
    FORWARDS(setBkColor(RGB(7, 8, 9))),
    FORWARDS(getBkMode()),
    FORWARDS(setBkMode(TRANSPARENT)),
    FORWARDS(setOrigin(3, 4)),
    FORWARDS(setClipRegion(clipRegion())),
    FORWARDS(clearClipRegion()),
    READS(getLineStyle(&out), LINESTYLE out; out.thickness = 0, out.thickness),
    FORWARDS(setLineStyle(PS_USERSTYLE, 1, kDashes, 2)),
    FORWARDS(setLineStyle(dashedStyle())),
    READS(getFillStyle(&out), FILLSTYLE out; out.style = -1, out.style + 1),
    FORWARDS(setFillStyle(BS_HATCHED, HS_DIAGCROSS, nullptr)),
    FORWARDS(setFillStyle(kChecks)),
    FORWARDS(setFillStyle(hatchedStyle())),
    FORWARDS(getFillColor()),
    FORWARDS(setFillColor(RGB(10, 11, 12))),
    READS(getAspectRatio(&out[0], &out[1]), float out[2] = {}, out[0] * 10 + out[1]),
    FORWARDS(setAspectRatio(2.0f, 3.0f)),
    FORWARDS(getRop2()),
    FORWARDS(setRop2(R2_XORPEN)),
    FORWARDS(getPolyFillMode()),
    FORWARDS(setPolyFillMode(WINDING)),
    FORWARDS(resetDefaults()),
    FORWARDS(getPixel(3, 3)),
    FORWARDS(putPixel(20, 20, RGB(13, 14, 15))),
    FORWARDS(moveTo(1, 2)),
    FORWARDS(moveRel(1, 2)),
    FORWARDS(line(0, 0, 30, 20)),
    FORWARDS(lineRel(10, 10)),
    FORWARDS(lineTo(0, 25)),
    FORWARDS(rectangle(8, 8, 30, 25)),
    FORWARDS(fillRectangle(8, 8, 30, 25)),
    FORWARDS(solidRectangle(8, 8, 30, 25)),
    FORWARDS(clearRectangle(0, 0, 30, 25)),
    READS(arcEndpoints(0, 0, 20, 10, 0.0, 1.5707963, &out[0], &out[1], &out[2], &out[3]),
          int out[4] = {}, out[0] * 1000000 + out[1] * 10000 + out[2] * 100 + out[3]),
    FORWARDS(circle(18, 15, 9)),
    FORWARDS(fillCircle(18, 15, 9)),
    FORWARDS(solidCircle(18, 15, 9)),
    FORWARDS(clearCircle(4, 4, 4)),
    FORWARDS(ellipse(8, 8, 34, 25)),
    FORWARDS(fillEllipse(8, 8, 34, 25)),
    FORWARDS(solidEllipse(8, 8, 34, 25)),
    FORWARDS(clearEllipse(0, 0, 10, 10)),
    FORWARDS(roundRect(8, 8, 34, 25, 6, 6)),
    FORWARDS(fillRoundRect(8, 8, 34, 25, 6, 6)),
    FORWARDS(solidRoundRect(8, 8, 34, 25, 6, 6)),
    FORWARDS(clearRoundRect(0, 0, 10, 10, 3, 3)),
    FORWARDS(arc(8, 8, 34, 25, 0.0, 3.0)),
    FORWARDS(pie(8, 8, 34, 25, 0.0, 3.0)),
    FORWARDS(fillPie(8, 8, 34, 25, 0.0, 3.0)),
    FORWARDS(solidPie(8, 8, 34, 25, 0.0, 3.0)),
    FORWARDS(clearPie(0, 0, 12, 12, 0.0, 6.0)),
    FORWARDS(polyline(kTriangle, 3)),
    FORWARDS(polygon(kTriangle, 3)),
    FORWARDS(fillPolygon(kTriangle, 3)),
    FORWARDS(solidPolygon(kTriangle, 3)),
    FORWARDS(clearPolygon(kTriangle, 3)),
    FORWARDS(floodFill(20, 20, RGB(200, 10, 10))),
    FORWARDS(writeText(L"Hi")),
    FORWARDS(writeTextAt(5, 5, L"Hi")),
    FORWARDS(writeTextInRect(L"Hi", textBox(), DT_CENTER)),
    FORWARDS(textWidth(L"Hi")),
    FORWARDS(textHeight(L"Hi")),
    FORWARDS(setTextStyle(bigFont())),
    FORWARDS(setTextStyle(20, 0, L"Courier New", 0, 0, FW_BOLD, 1, 0, 0, 0, 0, 0, 0, 0)),
    FORWARDS(setTextStyle(20, 0, L"Courier New", 900, 0, FW_BOLD, 1, 1, 0)),
    FORWARDS(setTextStyle(20, 0, L"Courier New")),
    READS(getTextStyle(&out), LOGFONTW out = {}, out.lfHeight),
    FORWARDS(getWidth()),
    FORWARDS(getHeight()),
    FORWARDS(getCurrentX()),
    FORWARDS(getCurrentY()),
};

// Everything a front function may change on a target: the stored state, the state of its
// device context and its pixels.
struct Fingerprint {
  std::vector<long long> state;
  std::vector<DWORD> pixels;
  bool operator==(const Fingerprint& o) const { return state == o.state && pixels == o.pixels; }
};

long long faceHash(const LOGFONTW& font) {
  return static_cast<long long>(std::hash<std::wstring>()(font.lfFaceName));
}

Fingerprint fingerprintOf(const IMAGE& image) {
  HDC dc = image.dc;
  LOGFONTW font = {};
  GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font);
  RECT clip = {};
  const int clipKind = GetClipBox(dc, &clip);
  const XFORM& t = image.transform;
  GdiFlush();
  Fingerprint f;
  f.state = {image.currentX, image.currentY, image.lineColor, image.fillColor, image.textColor};
  f.state.insert(f.state.end(), {image.bkColor, image.lineStyle.style, image.lineStyle.thickness});
  f.state.insert(f.state.end(), {image.lineStyle.count, image.fillStyle.style});
  f.state.insert(f.state.end(), {image.fillStyle.hatch, image.fillStyle.pattern != nullptr});
  f.state.insert(f.state.end(), {std::lround(t.eM11 * 100), std::lround(t.eM22 * 100)});
  f.state.insert(f.state.end(), {std::lround(t.eDx), std::lround(t.eDy), GetBkMode(dc)});
  f.state.insert(f.state.end(), {GetROP2(dc), GetPolyFillMode(dc), GetTextColor(dc)});
  f.state.insert(f.state.end(), {GetBkColor(dc), clipKind, clip.left, clip.top, clip.right});
  f.state.insert(f.state.end(), {clip.bottom, font.lfHeight, font.lfWeight, font.lfEscapement});
  f.state.insert(f.state.end(), {font.lfItalic, faceHash(font)});
  f.pixels.assign(image.pixels, image.pixels + image.width * image.height);
  return f;
}

class FrontFunctions : public SlateTest::WindowTargetTest {
 protected:
  // Makes target current (null: the window) and gives it state unlike the defaults.
  void prepare(IMAGE* target) {
    setDrawTarget(target);
    DrawOnImg& t = *graphContext.currentTarget;
    t.resetDefaults();  // leaves the mix and polygon fill modes
    t.setRop2(R2_COPYPEN);
    t.setPolyFillMode(ALTERNATE);
    t.setBkColor(RGB(0, 0, 64));
    t.clearDevice();
    t.setLineColor(RGB(200, 10, 10));
    t.setFillColor(RGB(10, 200, 10));
    t.setTextColor(RGB(10, 10, 200));
    t.setLineStyle(PS_SOLID, 3, nullptr, 0);
    t.solidRectangle(2, 2, 5, 5);
    t.moveTo(7, 9);
  }
  IMAGE* current() { return graphContext.currentImage; }

  IMAGE image{40, 30};
};

TEST_F(FrontFunctions, EachForwardsToTheCurrentTargetAndDoesNothingWithoutOne) {
  for (const Case& c : kCases) {
    for (IMAGE* target : {&image, static_cast<IMAGE*>(nullptr)}) {
      SCOPED_TRACE(std::string(c.call) + (target ? " on the image" : " on the window"));
      prepare(target);
      const Fingerprint before = fingerprintOf(*current());
      const Outcome front = c.run(nullptr);
      const Fingerprint afterFront = fingerprintOf(*current());
      prepare(target);
      const Outcome direct = c.run(graphContext.currentTarget);
      EXPECT_EQ(front.value, direct.value);
      EXPECT_TRUE(afterFront == fingerprintOf(*current()));
      // Each case is chosen to have an effect: a result other than "no target", or a change.
      EXPECT_TRUE(front.value != front.neutral || !(afterFront == before));
    }
    SCOPED_TRACE(std::string(c.call) + " with no target");
    prepare(&image);
    const Fingerprint imageBefore = fingerprintOf(image);
    prepare(nullptr);
    const Fingerprint windowBefore = fingerprintOf(*current());
    graphContext.currentTarget = nullptr;
    const Outcome none = c.run(nullptr);
    graphContext.currentTarget = &graphContext.windowTarget;
    EXPECT_EQ(none.value, none.neutral);
    EXPECT_TRUE(fingerprintOf(image) == imageBefore);
    EXPECT_TRUE(fingerprintOf(graphContext.window) == windowBefore);
  }
}

// Bad input as the header describes it: each call leaves either target as it was.
TEST_F(FrontFunctions, BadInputLeavesTheTargetAsItWas) {
  const std::pair<const char*, std::function<void()>> refused[] = {
      {"setBkMode 99", [] { setBkMode(99); }},
      {"setRop2 99", [] { setRop2(99); }},
      {"setPolyFillMode 99", [] { setPolyFillMode(99); }},
      {"setAspectRatio 0", [] { setAspectRatio(0.0f, 1.0f); }},
      {"setAspectRatio NaN", [] { setAspectRatio(1.0f, NAN); }},
      {"setLineStyle null", [] { setLineStyle(static_cast<const LINESTYLE*>(nullptr)); }},
      {"setFillStyle null", [] { setFillStyle(static_cast<const FILLSTYLE*>(nullptr)); }},
      {"setFillStyle null bits", [] { setFillStyle(static_cast<const BYTE*>(nullptr)); }},
      {"setFillStyle no picture", [] { setFillStyle(BS_PATTERN, 0, nullptr); }},
      {"setFillStyle unknown", [] { setFillStyle(99); }},
      {"setTextStyle null", [] { setTextStyle(static_cast<const LOGFONTW*>(nullptr)); }},
      {"writeText null", [] { writeText(nullptr); }},
      {"writeTextAt null", [] { writeTextAt(0, 0, nullptr); }},
      {"writeTextInRect null", [] { EXPECT_EQ(writeTextInRect(L"x", nullptr, 0), 0); }},
      {"polyline null", [] { polyline(nullptr, 3); }},
      {"solidPolygon none", [] { solidPolygon(kTriangle, 0); }},
      {"putPixel outside", [] { putPixel(-1, 5000, RGB(1, 1, 1)); }},
      {"getPixel outside", [] { EXPECT_EQ(getPixel(5000, -1), CLR_INVALID); }},
      {"getters null",
       [] {
         getLineStyle(nullptr);
         getFillStyle(nullptr);
         getTextStyle(nullptr);
         getAspectRatio(nullptr, nullptr);
         arcEndpoints(0, 0, 9, 9, 0.0, 1.0, nullptr, nullptr, nullptr, nullptr);
       }},
      {"flush empty", [] { flushBufferedDrawing(5, 5, 4, 4); }},
  };
  for (const auto& [name, call] : refused) {
    for (IMAGE* target : {&image, static_cast<IMAGE*>(nullptr)}) {
      SCOPED_TRACE(std::string(name) + (target ? " on the image" : " on the window"));
      prepare(target);
      const Fingerprint before = fingerprintOf(*current());
      call();
      EXPECT_TRUE(fingerprintOf(*current()) == before);
    }
  }
}

TEST_F(FrontFunctions, RectangleFormsOfBufferedDrawingReachOnlyTheWindow) {
  prepare(&image);
  beginBufferedDrawing();
  endBufferedDrawing(0, 0, 9, 9);
  EXPECT_FALSE(graphContext.buffered);
  prepare(nullptr);
  beginBufferedDrawing();
  flushBufferedDrawing(0, 0, 9, 9);
  EXPECT_TRUE(graphContext.buffered);
  endBufferedDrawing(0, 0, 9, 9);
  EXPECT_FALSE(graphContext.buffered);
}

}  // namespace

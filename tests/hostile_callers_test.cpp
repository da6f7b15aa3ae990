// Hostile callers: every slot of the drawing-target interface and every front function gets
// the worst its argument types allow, on an image, an empty image, the open window, the
// window after it closed, the window target before any window and with no target at all.
// One checker judges every row: no crash, no hang, a refused call leaves its target as it
// was (pixels, size, stored state, the DC's state and selected objects), a call that may draw
// changes only pixels, and whatever happens the stored state agrees with the DC and the
// pixels with the size.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/image_shape.h"
#include "slate/audio/mixer.h"
#include "support/wav_file.h"
#include "support/window_fixture.h"

using namespace Slate;

namespace {

// Refused: nothing changes. Draws: only pixels may change; pen, brush and font may be
// rebuilt, but alike. Accepts: the call may change state; it must stay consistent.
enum Expect { Refused, Draws, Accepts };

struct Row {
  const char* call;
  Expect expect;
  void (*slot)(DrawOnImg&);  // through the current target's slot
  void (*front)();           // through the front function
};

// clang-format off
#define SLOT(expect, ...) Row{#__VA_ARGS__, expect, [](DrawOnImg& t) { t.__VA_ARGS__; }, nullptr}
#define ROW(expect, ...) Row{#__VA_ARGS__, expect, [](DrawOnImg& t) { t.__VA_ARGS__; }, [] { Slate::__VA_ARGS__; }}
#define FRONT(expect, ...) Row{#__VA_ARGS__, expect, nullptr, [] { __VA_ARGS__; }}
#define WND(expect, ...) Row{#__VA_ARGS__, expect, [](DrawOnImg&) { graphContext.windowTarget.__VA_ARGS__; }, [] { Slate::__VA_ARGS__; }}
// clang-format on

// ---- Hostile arguments --------------------------------------------------------------------

const double kNaN = std::nan("");
const double kInf = HUGE_VAL;
const POINT kPoints[3] = {{1, 1}, {30, 4}, {6, 25}};
const POINT kFarPoints[4] = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}, {0, 9}};
const DWORD kDashes[2] = {3, 1};
const std::wstring kLongText(100000, L'W');
const std::wstring kLongFace(1000, L'F');
IMAGE kPicture(8, 8);
IMAGE kEmpty;
IMAGE kAlphaFlag(2, 2);  // useImageAlpha's subject, apart from the targets

// A sprite with alpha: a ramp of alphas over colours.
const IMAGE* alphaSprite() {
  static IMAGE& sprite = *new IMAGE(8, 8);
  for (int i = 0; i < 64; ++i) sprite.pixels[i] = DWORD(i * 4) << 24 | 0x00804020u * (i % 3);
  useImageAlpha(&sprite, true);
  return &sprite;
}

// The current target's own image, as a sprite drawn onto itself.
const IMAGE* targetItself() {
  return graphContext.currentImage;
}

// The image argument of the front functions that take one: the image target's image, or
// null, which stands for the window where an image may be the window.
IMAGE* subject() {
  GraphContext& g = graphContext;
  return g.currentTarget == &g.imageTarget ? g.currentImage : nullptr;
}

RECT* box(int left, int top, int right, int bottom) {
  static RECT rect;
  rect = {left, top, right, bottom};
  return &rect;
}

LOGFONTW* garbageFont() {
  static LOGFONTW font;
  std::memset(&font, 0xFF, sizeof font);  // no terminator, every field at its worst
  return &font;
}

// A line style whose count lies about its two-entry pattern.
const LINESTYLE* lyingLineStyle(int style, DWORD count) {
  static LINESTYLE& line = *new LINESTYLE;
  line.clearPattern();
  line.style = style;
  line.pattern = new DWORD[2]{3, 1};
  line.count = count;
  return &line;
}

const FILLSTYLE* fillStyleOf(int style, IMAGE* pattern) {
  static FILLSTYLE& fill = *new FILLSTYLE;  // never destroyed: its pattern is borrowed
  fill.style = style;
  fill.hatch = INT_MIN;
  fill.pattern = pattern;
  return &fill;
}

int kOut[4];

HRGN deletedRegion() {
  HRGN region = CreateRectRgn(0, 0, 5, 5);
  DeleteObject(region);
  return region;
}

// ---- The tables ---------------------------------------------------------------------------

// Slots 1-77, and the front functions that forward to them.
const std::vector<Row>& slotRows() {
  static const std::vector<Row> rows = {
      ROW(Accepts, clearDevice()),
      ROW(Refused, getLineColor()),
      ROW(Accepts, setLineColor(0xFFFFFFFF)),
      ROW(Refused, getTextColor()),
      ROW(Accepts, setTextColor(0xFFFFFFFF)),
      ROW(Accepts, setTextColor(0x01000000 | 0xFFFF)),
      ROW(Refused, getBkColor()),
      ROW(Accepts, setBkColor(0xFFFFFFFF)),
      ROW(Refused, getBkMode()),
      ROW(Refused, setBkMode(INT_MIN)),
      ROW(Refused, setBkMode(0)),
      ROW(Refused, setBkMode(INT_MAX)),
      ROW(Accepts, setOrigin(INT_MIN, INT_MAX)),
      ROW(Accepts, setOrigin(INT_MAX, INT_MIN)),
      ROW(Refused, setClipRegion(reinterpret_cast<HRGN>(static_cast<INT_PTR>(0x7FFF1234)))),
      ROW(Refused, setClipRegion(deletedRegion())),
      ROW(Refused, setClipRegion(static_cast<HRGN>(GetStockObject(WHITE_BRUSH)))),
      ROW(Accepts, clearClipRegion()),
      ROW(Refused, getLineStyle(nullptr)),
      ROW(Refused, setLineStyle(INT_MIN, 1, kDashes, 2)),
      ROW(Refused, setLineStyle(INT_MAX, 1, kDashes, 2)),
      ROW(Refused, setLineStyle(PS_SOLID, -1, nullptr, 0)),
      ROW(Refused, setLineStyle(PS_SOLID, INT_MIN, nullptr, 0)),
      ROW(Refused, setLineStyle(PS_SOLID, INT_MAX, nullptr, 0)),
      SLOT(Accepts, setLineStyle(PS_SOLID, 1 << 20, nullptr, 0), t.line(0, 0, 30, 20)),
      SLOT(Accepts, setLineStyle(PS_SOLID, 32767, nullptr, 0), t.polyline(kPoints, 3)),
      SLOT(Accepts, setTextStyle(1 << 20, 1 << 20, L"Arial"), t.writeTextAt(-5, -5, L"Wg")),
      ROW(Accepts, setLineStyle(PS_USERSTYLE, 1, nullptr, 5)),
      ROW(Accepts, setLineStyle(PS_USERSTYLE, 1, kDashes, 0)),
      ROW(Refused, setLineStyle(PS_USERSTYLE, 1, kDashes, 1u << 20)),
      ROW(Refused, setLineStyle(PS_USERSTYLE, 1, kDashes, 0xFFFFFFFF)),
      ROW(Refused, setLineStyle(static_cast<const LINESTYLE*>(nullptr))),
      ROW(Refused, setLineStyle(lyingLineStyle(PS_USERSTYLE, 1u << 20))),
      ROW(Accepts, setLineStyle(lyingLineStyle(PS_DASH, 0xFFFFFFFF))),
      ROW(Refused, getFillStyle(nullptr)),
      ROW(Refused, setFillStyle(BS_PATTERN, 0, nullptr)),
      ROW(Refused, setFillStyle(BS_DIBPATTERN, 0, &kEmpty)),
      ROW(Refused, setFillStyle(INT_MIN, 0, &kPicture)),
      ROW(Refused, setFillStyle(BS_HATCHED, LONG_MIN, nullptr)),
      ROW(Refused, setFillStyle(BS_HATCHED, -1, nullptr)),
      ROW(Refused, setFillStyle(static_cast<const BYTE*>(nullptr))),
      ROW(Refused, setFillStyle(static_cast<const FILLSTYLE*>(nullptr))),
      ROW(Refused, setFillStyle(fillStyleOf(BS_PATTERN, nullptr))),
      ROW(Refused, setFillStyle(fillStyleOf(BS_DIBPATTERN, &kEmpty))),
      ROW(Refused, setFillStyle(fillStyleOf(99, &kPicture))),
      ROW(Refused, setFillStyle(fillStyleOf(BS_HATCHED, nullptr))),
      ROW(Refused, getFillColor()),
      ROW(Accepts, setFillColor(0xFFFFFFFF)),
      ROW(Refused, getAspectRatio(nullptr, nullptr)),
      ROW(Refused, setAspectRatio(static_cast<float>(kNaN), 1.0f)),
      ROW(Refused, setAspectRatio(1.0f, static_cast<float>(kInf))),
      ROW(Refused, setAspectRatio(-static_cast<float>(kInf), -static_cast<float>(kInf))),
      ROW(Refused, setAspectRatio(0.0f, 0.0f)),
      ROW(Accepts, setAspectRatio(FLT_MAX, FLT_MAX)),
      SLOT(Accepts, setAspectRatio(FLT_MAX, -FLT_MAX), t.fillEllipse(2, 2, 30, 20)),
      ROW(Refused, setAspectRatio(1e-30f, 1e-30f)),
      ROW(Refused, setAspectRatio(FLT_MIN, FLT_MIN)),
      ROW(Accepts, setAspectRatio(-1.0f, -1.0f)),
      // Logical coordinates in range that the origin or the scale carry far outside it.
      SLOT(Accepts, setOrigin(INT_MAX, INT_MAX), t.solidEllipse(0, 0, 100, 5)),
      SLOT(Accepts, setOrigin(INT_MIN, 1 << 30), t.line(0, 0, 100, 5)),
      SLOT(Accepts, setOrigin(1 << 30, 0), t.fillPolygon(kPoints, 3)),
      SLOT(Accepts, setOrigin(INT_MAX, INT_MAX), t.writeTextAt(0, 0, L"x")),
      SLOT(Accepts, setAspectRatio(1e6f, 1e6f), t.floodFill(0, 0, 0)),
      SLOT(Accepts, setAspectRatio(1e6f, 1e6f), t.fillEllipse(0, 0, 1000, 5)),
      SLOT(Accepts, setAspectRatio(1e6f, 1e6f), t.line(0, 0, 1000, 5)),
      ROW(Refused, getRop2()),
      ROW(Refused, setRop2(0)),
      ROW(Refused, setRop2(INT_MIN)),
      ROW(Refused, setRop2(R2_LAST + 1)),
      ROW(Refused, getPolyFillMode()),
      ROW(Refused, setPolyFillMode(0)),
      ROW(Refused, setPolyFillMode(INT_MAX)),
      ROW(Accepts, resetDefaults()),
      ROW(Refused, getPixel(INT_MIN, INT_MIN)),
      ROW(Refused, getPixel(INT_MAX, INT_MAX)),
      ROW(Refused, putPixel(INT_MIN, INT_MAX, 0xFFFFFFFF)),
      ROW(Refused, putPixel(-1, -1, RGB(255, 0, 0))),
      ROW(Accepts, moveTo(INT_MIN, INT_MAX)),
      ROW(Accepts, moveRel(INT_MAX, INT_MIN)),
      ROW(Accepts, moveRel(INT_MIN, INT_MAX)),
      ROW(Draws, line(INT_MIN, INT_MIN, INT_MAX, INT_MAX)),
      ROW(Draws, line(0, 0, INT_MAX, 5)),
      ROW(Draws, line(-(1 << 26), 3, 1 << 26, 3)),
      ROW(Accepts, lineRel(INT_MAX, INT_MIN)),
      ROW(Accepts, lineTo(INT_MAX, INT_MAX)),
      // Outlines clipped to the drawable range take Wine seconds: one path each.
      SLOT(Draws, rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX)),
      SLOT(Draws, fillRectangle(INT_MAX, INT_MAX, INT_MIN, INT_MIN)),
      ROW(Draws, solidRectangle(10, 10, INT_MAX, INT_MAX)),
      ROW(Draws, solidRectangle(INT_MAX, INT_MAX, INT_MIN, INT_MIN)),
      ROW(Draws, clearRectangle(INT_MIN, 0, INT_MAX, INT_MAX)),
      ROW(Draws, solidRectangle(5, 5, 5, 5)),
      ROW(Refused, arcEndpoints(0, 0, 10, 10, 0.0, 1.0, nullptr, nullptr, nullptr, nullptr)),
      ROW(Refused, arcEndpoints(INT_MIN, INT_MIN, INT_MAX, INT_MAX, kNaN, kInf, &kOut[0], &kOut[1],
                                &kOut[2], &kOut[3])),
      ROW(Draws, circle(INT_MAX, INT_MAX, INT_MAX)),
      ROW(Draws, fillCircle(INT_MIN, 0, INT_MAX)),
      ROW(Draws, solidCircle(0, 0, INT_MIN)),
      ROW(Draws, clearCircle(10, 10, -20)),
      ROW(Draws, ellipse(INT_MIN, INT_MIN, INT_MAX, INT_MAX)),
      ROW(Draws, fillEllipse(0, 0, INT_MAX, 5)),
      ROW(Draws, solidEllipse(0, 0, INT_MAX, 5)),
      ROW(Draws, clearEllipse(30, 20, 2, 2)),
      ROW(Draws, roundRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX)),
      ROW(Draws, fillRoundRect(2, 2, 30, 20, INT_MIN, INT_MIN)),
      ROW(Draws, solidRoundRect(2, 2, 30, 20, INT_MAX, -1)),
      ROW(Draws, clearRoundRect(INT_MAX, 0, INT_MIN, 9, 4, 4)),
      ROW(Draws, arc(INT_MIN, INT_MIN, INT_MAX, INT_MAX, kNaN, kInf)),
      ROW(Draws, arc(2, 2, 30, 20, -kInf, kNaN)),
      ROW(Draws, pie(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0.0, 1e300)),
      ROW(Draws, fillPie(2, 2, 30, 20, kNaN, kNaN)),
      ROW(Draws, solidPie(30, 20, 2, 2, -1e300, 1e300)),
      ROW(Draws, clearPie(0, 0, INT_MAX, 5, 0.0, 3.0)),
      ROW(Refused, polyline(nullptr, 3)),
      ROW(Refused, polyline(kPoints, 0)),
      ROW(Refused, polyline(kPoints, -1)),
      ROW(Refused, polyline(kPoints, INT_MIN)),
      ROW(Draws, polyline(kFarPoints, 4)),
      ROW(Draws, polyline(kPoints, 1)),
      // A refused point list is refused before the wrappers swap pen or brush.
      ROW(Refused, polygon(nullptr, 5)),
      ROW(Refused, fillPolygon(kPoints, -1)),
      ROW(Refused, solidPolygon(kPoints, 0)),
      ROW(Refused, clearPolygon(nullptr, 3)),
      ROW(Draws, clearPolygon(kFarPoints, 4)),
      ROW(Draws, fillPolygon(kPoints, 2)),
      ROW(Refused, floodFill(INT_MIN, INT_MIN, 0)),
      ROW(Refused, floodFill(INT_MAX, 0, 0xFFFFFFFF)),
      ROW(Draws, floodFill(0, 0, 0xFFFFFFFF)),
      ROW(Refused, writeText(nullptr)),
      ROW(Accepts, writeText(kLongText.c_str())),
      ROW(Refused, writeTextAt(0, 0, nullptr)),
      ROW(Draws, writeTextAt(INT_MIN, INT_MAX, L"far away")),
      ROW(Draws, writeTextAt(-50000, 0, kLongText.c_str())),
      ROW(Refused, writeTextInRect(nullptr, box(0, 0, 30, 20), 0)),
      ROW(Refused, writeTextInRect(L"x", nullptr, 0)),
      ROW(Draws, writeTextInRect(L"x\ty", box(INT_MIN, INT_MIN, INT_MAX, INT_MAX), 0xFFFFFFFF)),
      ROW(Draws, writeTextInRect(kLongText.c_str(), box(INT_MAX, 0, INT_MIN, 9), DT_WORDBREAK)),
      ROW(Draws, writeTextInRect(L"&a&&", box(0, 0, 30, 20), DT_EXPANDTABS | 0xFF00)),
      ROW(Refused, textWidth(nullptr)),
      ROW(Refused, textHeight(nullptr)),
      ROW(Refused, textWidth(kLongText.c_str())),
      ROW(Refused, setTextStyle(static_cast<const LOGFONTW*>(nullptr))),
      ROW(Accepts, setTextStyle(garbageFont())),
      ROW(Accepts, setTextStyle(INT_MIN, INT_MIN, kLongFace.c_str(), INT_MIN, INT_MIN, INT_MIN, -1,
                                -1, -1, -1, -1, -1, -1, -1)),
      ROW(Accepts, setTextStyle(INT_MAX, INT_MAX, nullptr, INT_MAX, INT_MAX, INT_MAX, INT_MAX,
                                INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX)),
      ROW(Accepts, setTextStyle(-1, -1, L"", -1, -1, -1, INT_MIN, INT_MIN, INT_MIN)),
      ROW(Accepts, setTextStyle(INT_MIN, INT_MAX, kLongFace.c_str())),
      ROW(Accepts, setTextStyle(0, 0, nullptr)),
      ROW(Refused, getTextStyle(nullptr)),
      ROW(Refused, getWidth()),
      ROW(Refused, getHeight()),
      ROW(Refused, getCurrentX()),
      ROW(Refused, getCurrentY()),
  };
  return rows;
}

// Every kinds value and some timeouts: kinds outside WAIT_FOR_ANY and negative timeouts are
// refused at once (false); the rest answer within their timeout (true only for news, such as
// the pointer's moves over an open window).
void expectEveryWaitKindRefusedOrAnswered() {
  for (int kinds : {INT_MIN, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 16, 0x107, INT_MAX}) {
    for (int timeout : {INT_MIN, -1, 0, 1}) {
      const bool usable = timeout >= 0 && kinds > 0 && kinds <= WAIT_FOR_ANY;
      const double start = getTime();
      const bool woke = waitForInput(timeout, kinds);
      EXPECT_LT(getTime() - start, 1.0) << kinds << " " << timeout;
      if (!usable) {
        EXPECT_FALSE(woke) << kinds << " " << timeout;
        EXPECT_NE(std::wcsstr(lastError(), L"waitForInput"), nullptr) << kinds;
      }
    }
  }
}

// setTextInput and cancelCloseRequest a million times, here and on another thread at once:
// nothing piles up (one message at most is on its way to the window), and the last setting
// holds.
void callManyTimesFromTwoThreads() {
  const auto calls = [] {
    for (int i = 0; i < 1000000; ++i) {
      setTextInput((i & 1) != 0);
      cancelCloseRequest();
    }
  };
  std::thread other(calls);
  calls();
  other.join();
  setTextInput(false);
  EXPECT_FALSE(isCloseRequested());
}

// A folder of the temporary folder's for saved files, removed with them when the test ends.
const std::wstring& scratchFolder() {
  static const struct Scratch {
    Scratch() {
      const auto pid = std::to_wstring(GetCurrentProcessId());
      path = (std::filesystem::temp_directory_path() / (L"slate-hostile-" + pid)).wstring();
      std::filesystem::create_directory(path);
    }
    ~Scratch() { std::filesystem::remove_all(path); }
    std::wstring path;
  } scratch;
  return scratch.path;
}

// Paths of every length the platform takes save: the longest (MAX_PATH - 1 characters) in
// the deepest folder CreateDirectory makes (MAX_PATH - 12), where a long temporary name
// beside the target would not fit.
void expectEveryAcceptedPathSaves() {
  const std::wstring deep =
      scratchFolder() + L"\\" + std::wstring(247 - scratchFolder().size() - 1, L'd');
  CreateDirectoryW(deep.c_str(), nullptr);
  for (size_t name = 5; deep.size() + 1 + name < MAX_PATH; name += 3) {
    const std::wstring file = deep + L"\\" + std::wstring(name - 4, L'p') + L".bmp";
    EXPECT_TRUE(saveImageFile(&kPicture, file.c_str())) << file.size() << " " << lastError();
  }
}

// A null image saves the back buffer whenever it holds a picture, also after the window
// closed (its last picture); while it is empty the refusal says why.
void expectWindowPictureSavedWhenThereIsOne() {
  const bool held = graphContext.window.bitmap != nullptr;
  EXPECT_EQ(saveImageFile(nullptr, (scratchFolder() + L"\\window.png").c_str()), held);
  if (!held) {
    EXPECT_NE(std::wcsstr(lastError(), L"the window has no picture"), nullptr);
  }
}

// Two faces standing in for one carried face, one of them named with all 31 characters: each
// reads back as asked, and the carried face's own name reads back as itself.
void expectFacesReadBackAsAsked() {
  if (graphContext.currentTarget == nullptr) return;  // no target: the setters do nothing
  static const std::vector<char> carried = [] {
    IMAGE scratch(4, 4);
    LOGFONTW font = {};
    wcscpy(font.lfFaceName, L"Tahoma");
    HGDIOBJ old = SelectObject(scratch.dc, CreateFontIndirectW(&font));
    std::vector<char> bytes(GetFontData(scratch.dc, 0, 0, nullptr, 0));
    GetFontData(scratch.dc, 0, 0, bytes.data(), static_cast<DWORD>(bytes.size()));
    DeleteObject(SelectObject(scratch.dc, old));
    return bytes;
  }();
  const wchar_t* const faces[] = {L"Probe Missing A", L"Probe Missing Face With 31 Char",
                                  L"Tahoma"};
  for (const wchar_t* face : faces) {
    EXPECT_TRUE(useStandInFace(face, L"Tahoma", carried.data(), DWORD(carried.size())));
  }
  for (const wchar_t* face : {faces[1], faces[0], faces[2], faces[1]}) {
    setTextStyle(14, 0, face);
    LOGFONTW font = {};
    getTextStyle(&font);
    EXPECT_STREQ(font.lfFaceName, face);
  }
}

// The running program's folder: ending in a backslash, holding the program.
void expectProgramFolder() {
  wchar_t program[MAX_PATH];
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  const std::wstring folder = getProgramFolder(), path = program;
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), L'\\');
  EXPECT_EQ(path.rfind(folder, 0), 0u);
  EXPECT_EQ(path.find(L'\\', folder.size()), std::wstring::npos);
}

// The front functions of their own, given the current image (or the window) as their image.
const std::vector<Row>& frontRows() {
  static const std::vector<Row> rows = {
      FRONT(Refused, getImageBuffer(subject())),
      FRONT(Refused, resizeImage(subject(), -1, 10)),
      FRONT(Refused, resizeImage(subject(), 10, 0)),
      FRONT(Refused, resizeImage(subject(), INT_MIN, INT_MIN)),
      FRONT(Refused, resizeImage(subject(), INT_MAX, INT_MAX)),
      FRONT(Refused, resizeImage(subject(), 1 << 16, 1 << 16)),
      FRONT(Refused, captureImage(nullptr, 0, 0, 5, 5)),
      FRONT(Refused, captureImage(subject(), 0, 0, -5, 5)),
      FRONT(Refused, captureImage(subject(), INT_MIN, INT_MIN, INT_MAX, INT_MAX)),
      FRONT(Refused, drawImage(0, 0, nullptr, SRCCOPY)),
      FRONT(Refused, drawImage(0, 0, &kEmpty, SRCCOPY)),
      FRONT(Draws, drawImage(INT_MIN, INT_MIN, &kPicture, SRCCOPY)),
      FRONT(Draws, drawImage(INT_MAX, INT_MAX, &kPicture, 0xFFFFFFFF)),
      FRONT(Refused, drawImageRegion(0, 0, -1, -1, &kPicture, 0, 0, SRCCOPY)),
      FRONT(Draws, drawImageRegion(0, 0, INT_MAX, INT_MAX, &kPicture, INT_MIN, INT_MIN, SRCCOPY)),
      FRONT(Draws, drawImageRegion(INT_MAX, INT_MAX, INT_MAX, INT_MAX, &kPicture, INT_MAX, INT_MAX,
                                   SRCINVERT)),
      FRONT(Refused, rotateImage(subject(), nullptr, 1.0, 0, true, true)),
      FRONT(Refused, rotateImage(subject(), &kPicture, kNaN, 0, true, true)),
      FRONT(Refused, rotateImage(subject(), &kPicture, kInf, 0, false, false)),
      FRONT(Refused, rotateImage(subject(), &kPicture, -kInf, 0xFFFFFFFF, true, false)),
      FRONT(Refused, drawSprite(0, 0, nullptr)),
      FRONT(Refused, drawSprite(0, 0, &kEmpty, 255)),
      FRONT(Refused, drawSprite(0, 0, alphaSprite(), 0)),
      FRONT(Refused, drawSprite(0, 0, alphaSprite(), INT_MIN)),
      FRONT(Draws, drawSprite(INT_MIN, INT_MIN, alphaSprite(), INT_MAX)),
      FRONT(Draws, drawSprite(INT_MAX, INT_MAX, &kPicture)),
      FRONT(Draws, drawSprite(-3, 2, targetItself(), 128)),
      FRONT(Refused, drawSpriteRegion(0, 0, 0, 5, alphaSprite(), 0, 0, 8, 8)),
      FRONT(Refused, drawSpriteRegion(0, 0, -5, -5, alphaSprite(), 0, 0, 8, 8)),
      FRONT(Refused, drawSpriteRegion(0, 0, 5, 5, alphaSprite(), 0, 0, 0, -1)),
      FRONT(Refused, drawSpriteRegion(0, 0, 5, 5, alphaSprite(), 8, 0, 8, 8)),
      FRONT(Refused, drawSpriteRegion(0, 0, 5, 5, alphaSprite(), INT_MIN, INT_MIN, 8, 8)),
      FRONT(Refused, drawSpriteRegion(0, 0, 5, 5, nullptr, 0, 0, 8, 8, SPRITE_ADD)),
      FRONT(Draws, drawSpriteRegion(0, 0, INT_MAX, INT_MAX, alphaSprite(), INT_MIN, INT_MIN,
                                    INT_MAX, INT_MAX, -1, 1000)),
      FRONT(Draws, drawSpriteRegion(INT_MIN, INT_MIN, INT_MAX, INT_MAX, alphaSprite(), 0, 0, 1, 1,
                                    INT_MAX, 255)),
      FRONT(Draws, drawSpriteRegion(-3, -3, 1 << 20, 3, alphaSprite(), 4, 4, 8, 8,
                                    SPRITE_SMOOTH | SPRITE_FLIP_Y, 128)),
      FRONT(Draws, drawSpriteRegion(1, 1, 50, 40, targetItself(), 2, 2, 30, 20, SPRITE_FLIP_X)),
      FRONT(Refused, drawSpriteRotated(5, 5, alphaSprite(), kNaN)),
      FRONT(Refused, drawSpriteRotated(5, 5, alphaSprite(), kInf, 1.0)),
      FRONT(Refused, drawSpriteRotated(5, 5, alphaSprite(), 1.0, kNaN)),
      FRONT(Refused, drawSpriteRotated(5, 5, alphaSprite(), 1.0, kInf)),
      FRONT(Refused, drawSpriteRotated(5, 5, alphaSprite(), 1.0, 0.0)),
      FRONT(Refused, drawSpriteRotated(5, 5, alphaSprite(), 1.0, -2.0)),
      FRONT(Refused, drawSpriteRotated(5, 5, alphaSprite(), 1.0, 1e300)),
      FRONT(Refused, drawSpriteRotated(5, 5, &kEmpty, 1.0, 1.0, SPRITE_SMOOTH, 255)),
      FRONT(Draws, drawSpriteRotated(INT_MIN, INT_MAX, alphaSprite(), 1e300, 1e-300, -1, INT_MAX)),
      FRONT(Draws,
            drawSpriteRotated(20, 15, targetItself(), 0.5, 3.0, SPRITE_SMOOTH | SPRITE_ADD, 200)),
      FRONT(Draws, drawSpriteRotated(INT_MAX, INT_MIN, &kPicture, -1e9, 5000.0, 0x7FFFFFF0, 1)),
      FRONT(Refused, EXPECT_FALSE(imageHasAlpha(nullptr) || imageHasAlpha(&kEmpty))),
      FRONT(Refused, useImageAlpha(nullptr, true)),
      FRONT(Refused, useImageAlpha(&kAlphaFlag, true)),
      FRONT(Refused, EXPECT_TRUE(imageHasAlpha(&kAlphaFlag))),
      FRONT(Refused, getSpriteTint()),
      FRONT(Accepts, setSpriteTint(0xFFFFFFFF)),
      FRONT(Accepts, setSpriteTint(CLR_INVALID)),
      FRONT(Refused, loadImageResource(subject(), nullptr, nullptr, 0, 0, true)),
      FRONT(Refused, loadImageResource(subject(), L"IMAGE", nullptr, 0, 0, true)),
      FRONT(Refused, loadImageResource(subject(), L"IMAGE", L"MISSING", 0, 0, true)),
      FRONT(Refused, loadImageResource(subject(), RT_BITMAP, MAKEINTRESOURCEW(1), -1, -1, true)),
      FRONT(Refused, loadImageResource(subject(), L"IMAGE", MAKEINTRESOURCEW(202), 0, 0, true)),
      FRONT(Refused,
            loadImageResource(subject(), L"IMAGE", MAKEINTRESOURCEW(201), INT_MAX, INT_MAX, true)),
      FRONT(Accepts,
            loadImageResource(subject(), L"IMAGE", MAKEINTRESOURCEW(201), INT_MIN, 5, false)),
      FRONT(Draws, loadImageResource(subject(), L"IMAGE", L"GRID", 1 << 20, 1 << 20, false)),
      FRONT(Refused, loadImageFile(subject(), nullptr, 0, 0, true)),
      FRONT(Refused, loadImageFile(subject(), L"", INT_MAX, INT_MAX, true)),
      FRONT(Refused, loadImageFile(subject(), L"no such picture.png", 0, 0, true)),
      FRONT(Refused, loadImageFile(subject(), L".", INT_MIN, INT_MIN, false)),
      FRONT(Refused, loadImageFile(subject(), kLongText.c_str(), 0, 0, true)),
      FRONT(Refused, saveImageFile(subject(), nullptr)),
      FRONT(Refused, saveImageFile(subject(), L"")),
      FRONT(Refused, saveImageFile(subject(), L"picture.gif")),
      FRONT(Refused, saveImageFile(subject(), L"no such folder\\picture.png")),
      FRONT(Refused, saveImageFile(subject(), L".")),
      FRONT(Refused, saveImageFile(&kEmpty, L"picture.bmp")),
      FRONT(Refused, saveImageFile(subject(), kLongText.c_str())),
      FRONT(Refused, saveImageFile(subject(), (kLongText + L".png").c_str())),
      FRONT(Refused, expectEveryAcceptedPathSaves()),
      FRONT(Refused, expectWindowPictureSavedWhenThereIsOne()),
      FRONT(Accepts, expectFacesReadBackAsAsked()),
      FRONT(Refused, expectProgramFolder()),
      FRONT(Refused, openGraphWindow(-1, 10, 0)),
      FRONT(Refused, openGraphWindow(10, 0, 0)),
      FRONT(Refused, openGraphWindow(INT_MIN, INT_MIN, -1)),
      FRONT(Refused, openGraphWindow(INT_MAX, INT_MAX, 0)),
      FRONT(Refused, openGraphWindow(100000, 100000, 0)),
      FRONT(Refused, openGraphWindow(16384, 16385, 0)),
      FRONT(Refused, peekMouseMessage(nullptr)),
      FRONT(Refused, peekKeyMessage(nullptr, false)),
      FRONT(Refused, getMouseState(nullptr)),
      FRONT(Refused, isKeyDown(0)),
      FRONT(Refused, isKeyDown(256)),
      FRONT(Refused, isKeyDown(INT_MIN)),
      FRONT(Refused, waitForInput(-1)),
      FRONT(Refused, waitForInput(INT_MIN)),
      FRONT(Refused, expectEveryWaitKindRefusedOrAnswered()),
      FRONT(Refused, setTextInput(true)),
      FRONT(Refused, setTextInput(false)),
      FRONT(Refused, cancelCloseRequest()),
      FRONT(Refused, callManyTimesFromTwoThreads()),
      FRONT(Refused, waitForNextFrame(0)),
      FRONT(Refused, waitForNextFrame(INT_MIN)),
      FRONT(Refused, waitForNextFrame(INT_MAX)),
      FRONT(Refused, setWindowTitle(nullptr)),
      FRONT(Refused, flushInputMessages()),
  };
  return rows;
}

// Slots 80-84 of the window target; on an image target they must do nothing either.
const std::vector<Row>& bufferRows() {
  static const std::vector<Row> rows = {
      WND(Refused, flushBufferedDrawing(INT_MIN, INT_MIN, INT_MAX, INT_MAX)),
      WND(Refused, flushBufferedDrawing(INT_MAX, INT_MAX, INT_MIN, INT_MIN)),
      WND(Refused, flushBufferedDrawing(INT_MAX, INT_MAX, INT_MAX, INT_MAX)),
      WND(Refused, endBufferedDrawing(INT_MIN, 0, INT_MAX, 0)),
      WND(Refused, endBufferedDrawing()),
      WND(Refused, flushBufferedDrawing()),
  };
  return rows;
}

void expectNoMouseMessage() {
  EXPECT_EQ(getMouseMessage().message, 0u);
}

// With no window every input call answers at once, and nothing is waiting or held.
void expectNoInput() {
  MOUSEMSG mouse = {};
  KEYMSG key = {};
  EXPECT_EQ(getKeyMessage().message, 0u);
  EXPECT_FALSE(peekMouseMessage(&mouse, false) || peekKeyMessage(&key) || getMouseState(&mouse));
  EXPECT_FALSE(waitForInput(INT_MAX) || isKeyDown(VK_SPACE) || isCloseRequested());
  EXPECT_FALSE(waitForInput(INT_MAX, WAIT_FOR_KEYS) || waitForInput(INT_MAX, WAIT_FOR_ANY));
  EXPECT_FALSE(isWindowOpen());
  EXPECT_FALSE(setWindowTitle(L"no window"));
  EXPECT_NE(std::wcsstr(lastError(), L"no window is open"), nullptr);
}

// Rows for a target with no window to wait on: a closed window gives no mouse messages.
const std::vector<Row>& windowlessRows() {
  static const std::vector<Row> rows = {
      FRONT(Refused, closeGraphWindow()),
      FRONT(Refused, expectNoMouseMessage()),
      FRONT(Refused, expectNoInput()),
  };
  return rows;
}

// Rows that need the window open: a title of any length is taken.
const std::vector<Row>& openWindowRows() {
  static const std::vector<Row> rows = {
      FRONT(Refused, EXPECT_TRUE(setWindowTitle(kLongText.c_str()))),
      FRONT(Refused, EXPECT_TRUE(setWindowTitle(L""))),
      FRONT(Refused, EXPECT_FALSE(waitForInput(1))),
  };
  return rows;
}

// ---- The checker --------------------------------------------------------------------------

std::vector<BYTE> objectBytes(HGDIOBJ object) {
  const int size = GetObjectW(object, 0, nullptr);
  std::vector<BYTE> bytes(size > 0 ? size : 0);
  if (size > 0) GetObjectW(object, size, bytes.data());
  return bytes;
}

std::vector<BYTE> clipBytes(HDC dc) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  std::vector<BYTE> bytes;
  if (GetClipRgn(dc, region) == 1) {
    bytes.resize(GetRegionData(region, 0, nullptr));
    GetRegionData(region, static_cast<DWORD>(bytes.size()),
                  reinterpret_cast<RGNDATA*>(bytes.data()));
  }
  DeleteObject(region);
  return bytes;
}

// What a DC holds: its modes, colours, transform, clip region and selected objects.
struct DcState {
  explicit DcState(HDC dc)
      : bkMode(GetBkMode(dc)),
        rop2(GetROP2(dc)),
        polyFill(GetPolyFillMode(dc)),
        text(GetTextColor(dc)),
        bk(GetBkColor(dc)),
        clip(clipBytes(dc)) {
    GetWorldTransform(dc, &transform);
    const UINT kinds[4] = {OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP};
    for (int i = 0; i < 4; ++i) {
      objects[i] = GetCurrentObject(dc, kinds[i]);
      described[i] = objectBytes(objects[i]);
    }
  }
  int bkMode, rop2, polyFill;
  COLORREF text, bk;
  std::vector<BYTE> clip;
  XFORM transform;
  HGDIOBJ objects[4];
  std::vector<BYTE> described[4];
};

// Everything a call could change on the current target.
struct Snapshot {
  explicit Snapshot(const IMAGE& im)
      : shape(im),
        content(im.pixels, im.pixels ? im.pixels + im.width * im.height : im.pixels),
        stored{im.currentX,
               im.currentY,
               static_cast<int>(im.lineColor),
               static_cast<int>(im.fillColor),
               static_cast<int>(im.textColor),
               static_cast<int>(im.bkColor),
               im.lineStyle.style,
               im.lineStyle.thickness,
               static_cast<int>(im.lineStyle.count),
               im.fillStyle.style,
               im.fillStyle.hatch,
               im.fillStyle.pattern ? im.fillStyle.pattern->width : -1},
        transform(im.transform),
        dc(im.dc),
        windowDc(graphContext.windowDc ? graphContext.windowDc : im.dc) {}
  SlateTest::Shape shape;
  std::vector<DWORD> content;
  std::vector<int> stored;
  XFORM transform;
  DcState dc, windowDc;
};

std::string changes(const Snapshot& a, const Snapshot& b, Expect expect) {
  std::string found;
  const auto check = [&](bool same, const char* what) {
    if (!same) found += std::string(" ") + what;
  };
  const bool handles = expect == Refused;
  check(a.shape == b.shape, "size/surface");
  check(!handles || a.content == b.content, "pixels");
  check(a.stored == b.stored, "stored-state");
  check(std::memcmp(&a.transform, &b.transform, sizeof a.transform) == 0, "transform");
  for (const auto* dcs : {&a.dc, &a.windowDc}) {
    const DcState& x = *dcs;
    const DcState& y = dcs == &a.dc ? b.dc : b.windowDc;
    check(x.bkMode == y.bkMode && x.rop2 == y.rop2 && x.polyFill == y.polyFill, "dc-modes");
    check(x.text == y.text && x.bk == y.bk, "dc-colours");
    check(std::memcmp(&x.transform, &y.transform, sizeof x.transform) == 0, "dc-transform");
    check(x.clip == y.clip, "dc-clip");
    for (int i = 0; i < 4; ++i) {
      check(x.described[i] == y.described[i], "dc-object");
      check(!handles || x.objects[i] == y.objects[i], "dc-object-handle");
    }
  }
  return found;
}

// The stored state agrees with the DC, the pixels with the size, the window with the back
// buffer.
std::string inconsistencies(const IMAGE& im) {
  std::string found;
  const auto check = [&](bool ok, const char* what) {
    if (!ok) found += std::string(" ") + what;
  };
  check((im.bitmap == nullptr) == (im.pixels == nullptr), "pixels-without-surface");
  if (im.bitmap) {
    DIBSECTION ds = {};
    check(GetObjectW(im.bitmap, sizeof ds, &ds) == sizeof ds && ds.dsBm.bmWidth == im.width &&
              ds.dsBm.bmHeight == im.height && ds.dsBm.bmBits == im.pixels,
          "surface-size");
    check(GetCurrentObject(im.dc, OBJ_BITMAP) == im.bitmap, "surface-selected");
  }
  const DcState dc(im.dc);
  check(std::memcmp(&dc.transform, &im.transform, sizeof dc.transform) == 0, "transform");
  check(dc.text == im.textColor && dc.bk == im.bkColor, "colours");
  const LINESTYLE& line = im.lineStyle;
  check((line.pattern != nullptr) == (line.count > 0) && line.count <= 16, "dashes");
  const FILLSTYLE& fill = im.fillStyle;
  const bool patterned = fill.style == BS_PATTERN || fill.style == BS_DIBPATTERN;
  check(!patterned || (fill.pattern && fill.pattern->pixels), "fill-pattern");
  LOGBRUSH brush = {};
  GetObjectW(dc.objects[1], sizeof brush, &brush);
  if (fill.style == BS_SOLID || fill.style == BS_HATCHED) {
    check(brush.lbStyle == static_cast<UINT>(fill.style) && brush.lbColor == im.fillColor &&
              (fill.style != BS_HATCHED || brush.lbHatch == static_cast<ULONG_PTR>(fill.hatch)),
          "brush");
  }
  EXTLOGPEN pen = {};  // the dash entries that follow it are left out
  std::memcpy(&pen, dc.described[0].data(), std::min(sizeof pen, dc.described[0].size()));
  check((pen.elpPenStyle & PS_STYLE_MASK) == PS_NULL ||
            (pen.elpWidth == static_cast<DWORD>(line.thickness) && pen.elpColor == im.lineColor),
        "pen");
  if (HDC windowDc = graphContext.windowDc) {
    const DcState w(windowDc);
    check(std::memcmp(&w.transform, &dc.transform, sizeof w.transform) == 0 && w.text == dc.text &&
              w.bk == dc.bk && w.bkMode == dc.bkMode && w.rop2 == dc.rop2 &&
              w.polyFill == dc.polyFill,
          "window-dc-state");
    for (int i = 0; i < 3; ++i) check(w.described[i] == dc.described[i], "window-dc-object");
  }
  return found;
}

// A non-default state, so that a call falling back to defaults shows.
void prepare(DrawOnImg& t) {
  t.resetDefaults();
  t.setBkColor(RGB(0, 0, 80));
  t.clearDevice();
  t.setLineColor(RGB(250, 200, 0));
  t.setLineStyle(PS_USERSTYLE | PS_ENDCAP_FLAT, 2, kDashes, 2);
  t.setFillColor(RGB(0, 160, 0));
  t.setFillStyle(BS_HATCHED, HS_DIAGCROSS, nullptr);
  t.setTextColor(RGB(200, 0, 200));
  t.setTextStyle(12, 0, L"Arial");
  t.fillRectangle(2, 2, 20, 15);
  t.moveTo(5, 6);
}

// Runs every row through each of its paths on the current target and judges it.
void runRows(const std::vector<std::vector<Row>>& tables) {
  int calls = 0;
  double slowest = 0;
  std::string slowestCall;
  for (const auto& table : tables) {
    for (const Row& row : table) {
      for (int via = 0; via < 2; ++via) {
        if (via == 0 ? !row.slot : !row.front) continue;
        DrawOnImg& target = *graphContext.currentTarget;
        const IMAGE& image = *graphContext.currentImage;
        const std::string name = std::string(row.call) + (via == 0 ? " [slot]" : " [front]");
        prepare(target);
        const Snapshot before(image);
        const auto start = std::chrono::steady_clock::now();
        via == 0 ? row.slot(target) : row.front();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (took.count() > slowest) {
          slowest = took.count();
          slowestCall = name;
        }
        const Snapshot after(image);
        EXPECT_EQ(row.expect == Accepts ? "" : changes(before, after, row.expect), "") << name;
        EXPECT_EQ(inconsistencies(image), "") << name;
        ++calls;
      }
    }
  }
  std::printf("%d calls checked; slowest %.3f s: %s\n", calls, slowest, slowestCall.c_str());
}

// ---- Sound --------------------------------------------------------------------------------
// Every sound call with the worst it can be given, through one checker: a refused call
// returns false or 0 with its reason, leaves the SOUND it was given as it was, and no call
// takes long. Run without a device here, and with one through audio_capture.sh.

enum SoundExpect { SoundRefused, SoundEither };

struct SoundRow {
  const char* call;
  SoundExpect expect;
  int (*run)(SOUND* target);  // 1 done, 0 refused, -1 a call that returns nothing
};

// clang-format off
#define SOUNDROW(expect, ...) SoundRow{#__VA_ARGS__, expect, [](SOUND* s) -> int { (void)s; return int(__VA_ARGS__); }}
#define SOUNDVOID(...) SoundRow{#__VA_ARGS__, SoundEither, [](SOUND* s) -> int { (void)s; __VA_ARGS__; return -1; }}
// clang-format on

const float kNaNf = std::nanf("");
const float kInff = HUGE_VALF;
SOUND kNoSound;

std::vector<uint8_t> toneFile() {
  return SlateTest::toneWav(440, 0.05, 0.5, 22050);
}

const wchar_t* soundFile(const wchar_t* name, std::vector<uint8_t> bytes) {
  static std::vector<std::wstring> paths;  // kept: the rows hold their c_str()
  paths.push_back(SlateTest::temporaryFile(name, bytes));
  return paths.back().c_str();
}

// Thousands of voices asked for at once: the ones above the limit are refused with a reason,
// and once stopped every slot is free again (none leaked).
int playThousands(SOUND*) {
  static SOUND long_;  // outlasts the loop, so no voice ends by itself on the way
  if (long_.empty()) {
    loadSoundFile(&long_, soundFile(L"slate-h-long.wav", SlateTest::toneWav(440, 3, 0.1, 22050)));
  }
  SOUND* sound = &long_;
  stopAllSounds();  // the earlier rows' voices
  Sleep(50);
  int started = 0;
  for (int i = 0; i < 5000; ++i) started += playSound(sound, 0.01f) > 0;
  stopAllSounds();
  Sleep(50);
  const int again = playSound(sound, 0.01f);
  stopAllSounds();
  if (started == 0) return 0;  // no device
  EXPECT_EQ(started, Audio::kMaxVoices);
  EXPECT_NE(std::wcsstr(lastError(), L"too many voices"), nullptr);
  EXPECT_GT(again, 0) << "a voice slot leaked";
  return 1;
}

// stopVoice, isVoicePlaying and stopAllSounds from a second thread while this one plays.
int stopFromAnotherThread(SOUND* sound) {
  std::atomic<bool> done{false};
  std::thread other([&] {
    for (int v = 0; !done; v = (v + 1) % 600) {
      stopVoice(v);
      isVoicePlaying(v);
      setVoiceLooping(v, v % 2 == 0);
      if (v % 97 == 0) stopAllSounds();
    }
  });
  for (int i = 0; i < 2000; ++i) stopVoice(playSound(sound, 0.01f));
  done = true;
  other.join();
  return -1;
}

// A SOUND loaded again, and another destroyed, while voices play them: the voices keep the
// samples they play, or stop; nothing reads freed memory (the sanitizer-free build shows it
// as a crash or noise, the rows after it as a broken engine).
int reloadWhilePlaying(SOUND* sound) {
  auto doomed = std::make_unique<SOUND>(*sound);
  const int kept = playSound(doomed.get(), 0.01f, 0.0f, 1.0f / 16);
  setVoiceLooping(kept, true);
  const int reloaded = playSound(sound, 0.01f, 0.0f, 1.0f / 16);
  doomed.reset();
  const bool loaded = loadSoundFile(sound, soundFile(L"slate-h-again.wav", toneFile()));
  Sleep(30);
  stopVoice(kept);
  stopVoice(reloaded);
  return loaded;
}

std::vector<uint8_t> headerOnly() {
  std::vector<uint8_t> bytes = toneFile();
  bytes.resize(30);
  return bytes;
}

// Samples with values no mixer should sum: beyond full scale, NaN and infinite.
const float kSamples[8] = {0.5f, -0.5f, 2.0f, -3.0f, NAN, INFINITY, -INFINITY, 0.0f};

// clang-format off
const std::vector<SoundRow>& soundRows() {
  static const std::wstring longPath = kLongText + L".wav";
  static const std::vector<SoundRow> rows = {
      SOUNDROW(SoundRefused, loadSoundFile(nullptr, soundFile(L"slate-h1.wav", toneFile()))),
      SOUNDROW(SoundRefused, loadSoundFile(s, nullptr)),
      SOUNDROW(SoundRefused, loadSoundFile(s, L"")),
      SOUNDROW(SoundRefused, loadSoundFile(s, L"no such sound.wav")),
      SOUNDROW(SoundRefused, loadSoundFile(s, L".")),
      SOUNDROW(SoundRefused, loadSoundFile(s, longPath.c_str())),
      SOUNDROW(SoundRefused, loadSoundFile(s, soundFile(L"slate-h-empty.wav", {}))),
      SOUNDROW(SoundRefused, loadSoundFile(s, soundFile(L"slate-h-hdr.wav", headerOnly()))),
      SOUNDROW(SoundEither, loadSoundFile(s, soundFile(L"slate-h-lying.wav", SlateTest::toneWav(440, 0.01, 0.5, 22050, 1 << 20)))),
      SOUNDROW(SoundRefused, loadSoundFile(s, soundFile(L"slate-h-noise.wav", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}))),
      SOUNDROW(SoundRefused, loadSoundFile(s, soundFile(L"slate-h-cut.ogg", {'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2}))),
      SOUNDROW(SoundRefused, loadSoundResource(nullptr, L"WAVE", L"MISSING")),
      SOUNDROW(SoundRefused, loadSoundResource(s, nullptr, nullptr)),
      SOUNDROW(SoundRefused, loadSoundResource(s, L"WAVE", nullptr)),
      SOUNDROW(SoundRefused, loadSoundResource(s, L"WAVE", L"MISSING")),
      SOUNDROW(SoundRefused, loadSoundResource(s, L"IMAGE", MAKEINTRESOURCEW(201))),
      SOUNDROW(SoundRefused, loadSoundResource(s, L"IMAGE", kLongText.c_str())),
      SOUNDROW(SoundRefused, loadSoundSamples(nullptr, kSamples, 4, 1, 8000)),
      SOUNDROW(SoundRefused, loadSoundSamples(s, nullptr, 4, 1, 8000)),
      SOUNDROW(SoundRefused, loadSoundSamples(s, kSamples, 0, 1, 8000)),
      SOUNDROW(SoundRefused, loadSoundSamples(s, kSamples, -4, 2, 8000)),
      SOUNDROW(SoundRefused, loadSoundSamples(s, kSamples, INT_MAX, 2, 8000)),
      SOUNDROW(SoundRefused, loadSoundSamples(s, kSamples, 4, 3, 8000)),
      SOUNDROW(SoundRefused, loadSoundSamples(s, kSamples, 4, 0, 8000)),
      SOUNDROW(SoundRefused, loadSoundSamples(s, kSamples, 4, 1, 0)),
      SOUNDROW(SoundRefused, loadSoundSamples(s, kSamples, 4, 1, INT_MAX)),
      SOUNDROW(SoundEither, loadSoundSamples(s, kSamples, 4, 2, 8000)),
      SOUNDROW(SoundRefused, playSound(nullptr)),
      SOUNDROW(SoundRefused, playSound(&kNoSound)),
      SOUNDROW(SoundEither, playSound(s, kNaNf, kNaNf, kNaNf)),
      SOUNDROW(SoundEither, playSound(s, kInff, kInff, kInff)),
      SOUNDROW(SoundEither, playSound(s, -kInff, -kInff, -kInff)),
      SOUNDROW(SoundEither, playSound(s, -1.0f, -2.0f, -1.0f)),
      SOUNDROW(SoundEither, playSound(s, 1e30f, 1e30f, 0.0f)),
      SOUNDROW(SoundEither, playSound(s, FLT_MIN, -FLT_MIN, FLT_MAX)),
      SOUNDROW(SoundRefused, isVoicePlaying(0)),
      SOUNDROW(SoundRefused, isVoicePlaying(-1)),
      SOUNDROW(SoundRefused, isVoicePlaying(INT_MAX)),
      SOUNDVOID(stopVoice(0)),
      SOUNDVOID(stopVoice(INT_MIN)),
      SOUNDVOID(stopVoice(INT_MAX)),
      SOUNDVOID(setVoiceLooping(INT_MIN, true)),
      SOUNDVOID(setVoiceLooping(12345, true)),
      SOUNDVOID(stopAllSounds()),
      SOUNDVOID(setMasterVolume(kNaNf)),
      SOUNDVOID(setMasterVolume(-kInff)),
      SOUNDVOID(setMasterVolume(1e30f)),
      SOUNDVOID(setMasterVolume(1.0f)),
      SOUNDVOID(setMusicVolume(kNaNf)),
      SOUNDVOID(setMusicVolume(-1.0f)),
      SOUNDVOID(setMusicVolume(1.0f)),
      SOUNDROW(SoundRefused, playMusicFile(nullptr)),
      SOUNDROW(SoundRefused, playMusicFile(L"")),
      SOUNDROW(SoundRefused, playMusicFile(L"no such music.ogg", false)),
      SOUNDROW(SoundRefused, playMusicFile(L".")),
      SOUNDROW(SoundRefused, playMusicFile(longPath.c_str())),
      SOUNDROW(SoundRefused, playMusicFile(soundFile(L"slate-h-m-empty.wav", {}))),
      SOUNDROW(SoundRefused, playMusicFile(soundFile(L"slate-h-m-cut.ogg", {'O', 'g', 'g', 'S', 0, 2}))),
      SOUNDROW(SoundEither, playMusicFile(soundFile(L"slate-h-m-lying.wav", SlateTest::toneWav(440, 0.01, 0.5, 22050, 1 << 20)))),
      SOUNDVOID(pauseMusic(true)),
      SOUNDVOID(pauseMusic(false)),
      SOUNDVOID(stopMusic()),
      SOUNDROW(SoundEither, reloadWhilePlaying(s)),
      SOUNDROW(SoundEither, playThousands(s)),
      SOUNDROW(SoundEither, stopFromAnotherThread(s)),
  };
  return rows;
}
// clang-format on

TEST(HostileCallers, Sound) {
  setErrorOutput(false);
  SOUND loaded;
  ASSERT_TRUE(loadSoundFile(&loaded, soundFile(L"slate-h-tone.wav", toneFile()))) << lastError();
  // Without a device (the usual run of this test) playing says so, at once.
  const auto first = std::chrono::steady_clock::now();
  if (playSound(&loaded, 0.0f) == 0) {
    EXPECT_STREQ(lastError(), L"playSound: no audio device");
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - first).count(), 2.0);
  }
  for (const SoundRow& row : soundRows()) {
    SOUND target = loaded;
    const auto start = std::chrono::steady_clock::now();
    const int result = row.run(&target);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took.count(), 5.0) << row.call;
    if (row.expect == SoundRefused) {
      EXPECT_EQ(result, 0) << row.call;
      EXPECT_EQ(target.data, loaded.data) << row.call << ": a refused call changed the sound";
      const std::string name(row.call, std::strcspn(row.call, "("));
      const std::wstring said = lastError();
      // isVoicePlaying answers no, which is not a failure to report.
      if (name != "isVoicePlaying") {
        EXPECT_EQ(std::string(said.begin(), said.begin() + std::min(said.size(), name.size())),
                  name)
            << row.call << " said " << std::string(said.begin(), said.end());
      }
    }
    EXPECT_TRUE(target.empty() || (target.rate() > 0 && target.channels() >= 1 &&
                                   target.channels() <= 2 && target.seconds() > 0))
        << row.call;
  }
  stopAllSounds();
  stopMusic();
  setErrorOutput(true);
}

// ---- The targets --------------------------------------------------------------------------
// Each test runs in its own process under ctest; this order also works in one process.

TEST(HostileCallers, NoTargetAtAll) {
  ASSERT_EQ(graphContext.currentTarget, nullptr);
  for (const auto* table : {&frontRows(), &slotRows(), &windowlessRows()}) {
    for (const Row& row : *table) {
      if (row.front) row.front();
    }
  }
  EXPECT_EQ(graphContext.currentTarget, nullptr);
  EXPECT_EQ(graphContext.window.hwnd, nullptr);
  EXPECT_EQ(inconsistencies(graphContext.window), "");
}

TEST(HostileCallers, ImageTarget) {
  IMAGE canvas(40, 30);
  setDrawTarget(&canvas);
  runRows({slotRows(), frontRows(), bufferRows(), windowlessRows()});
  // Relative moves and text stop at the ends of the coordinate range instead of wrapping.
  moveTo(INT_MAX - 1, INT_MIN + 1);
  moveRel(5, -5);
  EXPECT_EQ(getCurrentX(), INT_MAX);
  EXPECT_EQ(getCurrentY(), INT_MIN);
  writeText(L"W");
  EXPECT_EQ(getCurrentX(), INT_MAX);
}

TEST(HostileCallers, EmptyImageTarget) {
  IMAGE empty;
  setDrawTarget(&empty);
  runRows({slotRows(), frontRows(), bufferRows(), windowlessRows()});
}

TEST(HostileCallers, WindowTargetBeforeAnyWindow) {
  ASSERT_EQ(graphContext.window.hwnd, nullptr);
  setDrawTarget(nullptr);  // the back buffer is still 0 x 0
  runRows({slotRows(), frontRows(), bufferRows(), windowlessRows()});
}

using HostileCallersOnWindow = SlateTest::WindowTargetTest;

TEST_F(HostileCallersOnWindow, OpenWindow) {
  runRows({slotRows(), frontRows(), bufferRows(), openWindowRows()});
  EXPECT_NE(window.hwnd, nullptr);
}

class HostileCallersOnClosedWindow : public SlateTest::WindowTargetTest {};

TEST_F(HostileCallersOnClosedWindow, ClosedWindow) {
  closeGraphWindow();
  ASSERT_EQ(graphContext.windowDc, nullptr);
  runRows({slotRows(), frontRows(), bufferRows(), windowlessRows()});
}

}  // namespace

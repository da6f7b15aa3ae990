// Drawing speed: every front function that draws, timed on the buffered window, the
// unbuffered window and an image, each beside its floor, the least GDI work its behaviour
// needs, made in the same process on the same device context. A shape variant's floor
// switches the pen or brush off around its shape and back, as each DC must hold the stored
// pen and brush again afterwards; the shape alone, with them already switched, is timed too.
// Each figure is the median of REPS timings of CALLS calls; the rows print as
// "target<TAB>call<TAB>Slate ns<TAB>floor ns<TAB>floor calls<TAB>shape alone ns", which
// bench/draw/run turns into the table.
//   draw_bench [CALLS [REPS]]      defaults 20000 and 5 (pixels take ten times the calls)
#include <slate/graphics.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "context.h"

using namespace Slate;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr COLORREF kBackground = RGB(10, 20, 30);
constexpr COLORREF kBorder = RGB(1, 2, 3);

enum class Pen { Current, Null };
enum class Brush { Current, Null, Background };

// One row: Slate's call and the platform call of its floor, each given the call's number.
struct Row {
  const char* name;
  std::function<void(int)> slate;
  std::function<void(HDC, int)> floor;
  const char* floorName;
  Pen pen = Pen::Current;
  Brush brush = Brush::Current;
  int scale = 1;                 // calls per timing, as a multiple of CALLS
  bool windowOnly = false;       // timed on the buffered window only
  bool alsoWindowPoint = false;  // the floor moves the window's point too, when buffered
  bool movesFirst = false;       // Slate's side moves to the start, on both contexts
};

int gCalls = 20000;
int gReps = 5;

double nowNs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1e9 / static_cast<double>(frequency.QuadPart);
}

template <class Call>
double timePerCall(int calls, Call call) {
  const double start = nowNs();
  for (int i = 0; i < calls; ++i) call(i);
  return (nowNs() - start) / calls;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Positions that walk over the surface, the same for Slate and its floor.
int xOf(int i) {
  return 40 + (i * 37) % 640;
}
int yOf(int i) {
  return 40 + (i * 23) % 480;
}

const POINT kStar[5] = {{0, -8}, {5, 7}, {-8, -3}, {8, -3}, {-5, 7}};
POINT moved(int i, const POINT& p) {
  return {p.x + xOf(i), p.y + yOf(i)};
}

std::vector<Row> rows(IMAGE& sprite) {
  static POINT points[5];
  const auto star = [](int i) {
    for (int k = 0; k < 5; ++k) points[k] = moved(i, kStar[k]);
    return points;
  };
  int ends[4];
  arcEndpoints(0, 0, 16, 16, 0.5, 2.5, &ends[0], &ends[1], &ends[2], &ends[3]);
  const auto pieFloor = [ends](HDC dc, int i) {
    const int x = xOf(i), y = yOf(i);
    Pie(dc, x, y, x + 16, y + 16, x + ends[0], y + ends[1], x + ends[2], y + ends[3]);
  };
  const auto arcFloor = [ends](HDC dc, int i) {
    const int x = xOf(i), y = yOf(i);
    Arc(dc, x, y, x + 16, y + 16, x + ends[0], y + ends[1], x + ends[2], y + ends[3]);
  };
  const auto rect = [](HDC dc, int i) { Rectangle(dc, xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 16); };
  const auto solidRect = [](HDC dc, int i) {
    Rectangle(dc, xOf(i), yOf(i), xOf(i) + 17, yOf(i) + 17);
  };
  const auto circ = [](HDC dc, int i) {
    Ellipse(dc, xOf(i) - 8, yOf(i) - 8, xOf(i) + 8, yOf(i) + 8);
  };
  const auto ell = [](HDC dc, int i) { Ellipse(dc, xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 12); };
  const auto rr = [](HDC dc, int i) {
    RoundRect(dc, xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 16, 6, 6);
  };
  const auto poly = [star](HDC dc, int i) { Polygon(dc, star(i), 5); };
  const auto moveLine = [](HDC dc, int i) {
    MoveToEx(dc, xOf(i), yOf(i), nullptr);
    LineTo(dc, xOf(i) + 12, yOf(i) + 7);
  };
  const Pen N = Pen::Null;
  const Brush BN = Brush::Null, BB = Brush::Background;
  std::vector<Row> r = {
      {"rectangle 16x16", [](int i) { rectangle(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 16); }, rect,
       "Rectangle", Pen::Current, BN},
      {"fillRectangle", [](int i) { fillRectangle(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 16); },
       rect, "Rectangle"},
      {"solidRectangle", [](int i) { solidRectangle(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 16); },
       solidRect, "Rectangle", N},
      {"clearRectangle", [](int i) { clearRectangle(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 16); },
       solidRect, "Rectangle", N, BB},
      {"circle r8", [](int i) { circle(xOf(i), yOf(i), 8); }, circ, "Ellipse", Pen::Current, BN},
      {"fillCircle", [](int i) { fillCircle(xOf(i), yOf(i), 8); }, circ, "Ellipse"},
      {"solidCircle", [](int i) { solidCircle(xOf(i), yOf(i), 8); }, circ, "Ellipse", N},
      {"clearCircle", [](int i) { clearCircle(xOf(i), yOf(i), 8); }, circ, "Ellipse", N, BB},
      {"ellipse 16x12", [](int i) { ellipse(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 12); }, ell,
       "Ellipse", Pen::Current, BN},
      {"fillEllipse", [](int i) { fillEllipse(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 12); }, ell,
       "Ellipse"},
      {"solidEllipse", [](int i) { solidEllipse(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 12); }, ell,
       "Ellipse", N},
      {"clearEllipse", [](int i) { clearEllipse(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 12); }, ell,
       "Ellipse", N, BB},
      {"roundRect 16x16", [](int i) { roundRect(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 16, 6, 6); },
       rr, "RoundRect", Pen::Current, BN},
      {"fillRoundRect",
       [](int i) { fillRoundRect(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 16, 6, 6); }, rr,
       "RoundRect"},
      {"solidRoundRect",
       [](int i) { solidRoundRect(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 16, 6, 6); }, rr,
       "RoundRect", N},
      {"clearRoundRect",
       [](int i) { clearRoundRect(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 16, 6, 6); }, rr,
       "RoundRect", N, BB},
      {"pie 16x16", [](int i) { pie(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 16, 0.5, 2.5); },
       pieFloor, "Pie", Pen::Current, BN},
      {"fillPie", [](int i) { fillPie(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 16, 0.5, 2.5); },
       pieFloor, "Pie"},
      {"solidPie", [](int i) { solidPie(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 16, 0.5, 2.5); },
       pieFloor, "Pie", N},
      {"clearPie", [](int i) { clearPie(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 16, 0.5, 2.5); },
       pieFloor, "Pie", N, BB},
      {"polygon 5 points", [star](int i) { polygon(star(i), 5); }, poly, "Polygon", Pen::Current,
       BN},
      {"fillPolygon", [star](int i) { fillPolygon(star(i), 5); }, poly, "Polygon"},
      {"solidPolygon", [star](int i) { solidPolygon(star(i), 5); }, poly, "Polygon", N},
      {"clearPolygon", [star](int i) { clearPolygon(star(i), 5); }, poly, "Polygon", N, BB},
      {"arc 16x16", [](int i) { arc(xOf(i), yOf(i), xOf(i) + 16, yOf(i) + 16, 0.5, 2.5); },
       arcFloor, "Arc"},
      {"polyline 5 points", [star](int i) { polyline(star(i), 5); },
       [star](HDC dc, int i) { Polyline(dc, star(i), 5); }, "Polyline"},
      {"line", [](int i) { line(xOf(i), yOf(i), xOf(i) + 12, yOf(i) + 7); }, moveLine,
       "MoveToEx, LineTo"},
      {"moveTo + lineTo",
       [](int i) {
         moveTo(xOf(i), yOf(i));
         lineTo(xOf(i) + 12, yOf(i) + 7);
       },
       moveLine, "MoveToEx, LineTo"},
      {"putPixel", [](int i) { putPixel(xOf(i), yOf(i), RGB(i & 255, 90, 200)); },
       [](HDC dc, int i) { SetPixelV(dc, xOf(i), yOf(i), RGB(i & 255, 90, 200)); }, "SetPixelV",
       Pen::Current, Brush::Current, 10},
      {"writeTextAt \"Score 42\"", [](int i) { writeTextAt(xOf(i), yOf(i), L"Score 42"); },
       [](HDC dc, int i) { TextOutW(dc, xOf(i), yOf(i), L"Score 42", 8); }, "TextOutW"},
      {"writeText \"Score 42\"",
       [](int i) {
         moveTo(xOf(i), yOf(i));
         writeText(L"Score 42");
       },
       [](HDC dc, int i) {
         MoveToEx(dc, xOf(i), yOf(i), nullptr);
         TextOutW(dc, xOf(i), yOf(i), L"Score 42", 8);
         SIZE size;
         GetTextExtentPoint32W(dc, L"Score 42", 8, &size);
       },
       "MoveToEx, TextOutW, GetTextExtentPoint32W"},
      {"writeTextInRect",
       [](int i) {
         RECT r = {xOf(i), yOf(i), xOf(i) + 80, yOf(i) + 20};
         writeTextInRect(L"Score 42", &r, DT_CENTER);
       },
       [](HDC dc, int i) {
         RECT r = {xOf(i), yOf(i), xOf(i) + 80, yOf(i) + 20};
         DrawTextW(dc, L"Score 42", -1, &r, DT_CENTER);
       },
       "DrawTextW"},
      {"drawImage 32x32", [&sprite](int i) { drawImage(xOf(i), yOf(i), &sprite, SRCCOPY); },
       [&sprite](HDC dc, int i) { BitBlt(dc, xOf(i), yOf(i), 32, 32, sprite.dc, 0, 0, SRCCOPY); },
       "BitBlt"},
      {"drawImageRegion 16x16",
       [&sprite](int i) { drawImageRegion(xOf(i), yOf(i), 16, 16, &sprite, 8, 8, SRCINVERT); },
       [&sprite](HDC dc, int i) { BitBlt(dc, xOf(i), yOf(i), 16, 16, sprite.dc, 8, 8, SRCINVERT); },
       "BitBlt"},
      {"floodFill 14x14", [](int) { floodFill(9, 9, kBorder); },
       [](HDC dc, int) { ExtFloodFill(dc, 9, 9, kBorder, FLOODFILLBORDER); }, "ExtFloodFill"},
  };
  Row flush{"flushBufferedDrawing() 800x600", [](int) { flushBufferedDrawing(); },
            [](HDC back, int) {
              BitBlt(graphContext.windowDc, 0, 0, kWidth, kHeight, back, 0, 0, SRCCOPY);
            },
            "BitBlt of the frame"};
  flush.scale = -20;  // a fiftieth of the calls
  flush.windowOnly = true;
  r.push_back(flush);
  // Under Wine a window's pixels reach the screen only once its thread handles a message,
  // so a frame that is to be seen also needs the no-op message the flush posts.
  Row shown = flush;
  shown.name = "flushBufferedDrawing() 800x600, shown";
  shown.floor = [](HDC back, int) {
    BitBlt(graphContext.windowDc, 0, 0, kWidth, kHeight, back, 0, 0, SRCCOPY);
    if (!GraphWnd::presentPending.exchange(true)) {
      PostMessageW(graphContext.window.hwnd, WM_NULL, 0, 0);
    }
  };
  shown.floorName = "BitBlt of the frame, WM_NULL posted";
  r.push_back(shown);
  Row part{
      "flushBufferedDrawing 100x100", [](int) { flushBufferedDrawing(0, 0, 99, 99); },
      [](HDC back, int) { BitBlt(graphContext.windowDc, 0, 0, 100, 100, back, 0, 0, SRCCOPY); },
      "BitBlt of the block"};
  part.windowOnly = true;
  r.push_back(part);
  for (Row& row : r) {
    const std::string name = row.name;
    row.alsoWindowPoint = name == "line" || name == "moveTo + lineTo";
    row.movesFirst = name == "moveTo + lineTo" || name.rfind("writeText \"", 0) == 0;
  }
  return r;
}

// The pen and brush a row's shape needs, selected into the DCs its behaviour reaches and
// put back: once around a whole timing for the shape alone, or around every call for the
// floor, since a variant must leave each DC holding the stored pen and brush again.
class Switches {
 public:
  Switches(const Row& row, HDC back, HDC window) : dcs{back, window} {
    if (row.pen == Pen::Null) pen = GetStockObject(NULL_PEN);
    if (row.brush == Brush::Null) brush = GetStockObject(NULL_BRUSH);
    if (row.brush == Brush::Background) brush = ownBrush = CreateSolidBrush(kBackground);
  }
  ~Switches() {
    if (ownBrush) DeleteObject(ownBrush);
  }
  Switches(const Switches&) = delete;
  Switches& operator=(const Switches&) = delete;

  bool any() const { return pen || brush; }
  void on() {
    for (int k = 0; k < 2 && dcs[k]; ++k) {
      if (brush) oldBrush[k] = SelectObject(dcs[k], brush);
      if (pen) oldPen[k] = SelectObject(dcs[k], pen);
    }
  }
  void off() {
    for (int k = 0; k < 2 && dcs[k]; ++k) {
      if (pen) SelectObject(dcs[k], oldPen[k]);
      if (brush) SelectObject(dcs[k], oldBrush[k]);
    }
  }

 private:
  HDC dcs[2];
  HGDIOBJ pen = nullptr;
  HGDIOBJ brush = nullptr;
  HBRUSH ownBrush = nullptr;
  HGDIOBJ oldPen[2] = {};
  HGDIOBJ oldBrush[2] = {};
};

const char* switchNames(const Row& row) {
  if (row.brush == Brush::Background) return "null pen and background brush in and out";
  if (row.pen == Pen::Null) return "null pen in and out";
  if (row.brush == Brush::Null) return "null brush in and out";
  return "";
}

// A 14 x 14 inside bounded by the border colour, for the flood fill.
void drawFloodBox() {
  setLineColor(kBorder);
  rectangle(1, 1, 17, 17);
  setLineColor(RGB(250, 250, 90));
}

void runTarget(const char* target, bool window, bool buffered, std::vector<Row>& all) {
  setLineColor(RGB(250, 250, 90));
  setFillColor(RGB(40, 140, 220));
  setTextColor(RGB(255, 255, 255));
  setBkColor(kBackground);
  clearDevice();
  drawFloodBox();
  if (buffered) beginBufferedDrawing();
  GraphContext& g = graphContext;
  for (const Row& row : all) {
    if (row.windowOnly && !buffered) continue;  // the flushes: the same call either way
    const int calls = row.scale > 0 ? gCalls * row.scale : gCalls / -row.scale;
    const bool windowPoint = row.alsoWindowPoint && buffered;
    Switches switches(row, g.targetDc, window ? g.windowDc : nullptr);
    // The shape's own call, on the back buffer only, under the lock on the window.
    const auto shape = [&](int i) {
      if (!window) {
        row.floor(g.targetDc, i);
        return;
      }
      LockGuard guard(g.lock);
      if (row.movesFirst) MoveToEx(g.windowDc, xOf(i), yOf(i), nullptr);
      row.floor(g.targetDc, i);
      if (windowPoint) MoveToEx(g.windowDc, xOf(i) + 12, yOf(i) + 7, nullptr);
    };
    // Unbuffered, the shape alone is the same call on the window too: where the time of a
    // call that draws twice goes.
    const bool twice = window && !buffered && !row.windowOnly;
    const auto shapeTwice = [&](int i) {
      LockGuard guard(g.lock);
      row.floor(g.windowDc, i);
      row.floor(g.targetDc, i);
    };
    std::vector<double> slate, floor, alone;
    for (int rep = 0; rep < gReps; ++rep) {
      slate.push_back(timePerCall(calls, row.slate));
      if (switches.any() || twice) {
        floor.push_back(timePerCall(calls, [&](int i) {
          {
            LockGuard guard(g.lock);
            switches.on();
          }
          shape(i);
          LockGuard guard(g.lock);
          switches.off();
        }));
      }
      switches.on();
      alone.push_back(twice ? timePerCall(calls, shapeTwice) : timePerCall(calls, shape));
      switches.off();
    }
    const double a = median(alone);
    const double f = floor.empty() ? a : median(floor);
    std::printf("%s\t%s\t%.0f\t%.0f\t%s%s%s\t%.0f\n", target, row.name, median(slate), f,
                row.floorName, switches.any() ? ", " : "", switchNames(row), a);
    std::fflush(stdout);
  }
  if (buffered) endBufferedDrawing();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) gCalls = std::max(100, std::atoi(argv[1]));
  if (argc > 2) gReps = std::max(1, std::atoi(argv[2]));
  if (!openGraphWindow(kWidth, kHeight, 0)) {
    std::fprintf(stderr, "draw_bench: no window: %ls\n", lastError());
    return 1;
  }
  IMAGE sprite(32, 32);
  setDrawTarget(&sprite);
  setFillColor(RGB(200, 60, 60));
  solidCircle(16, 16, 14);
  std::vector<Row> all = rows(sprite);

  setDrawTarget(nullptr);
  runTarget("buffered window", true, true, all);
  runTarget("window", true, false, all);
  IMAGE canvas(kWidth, kHeight);
  setDrawTarget(&canvas);
  runTarget("image", false, false, all);
  setDrawTarget(nullptr);
  closeGraphWindow();
  return 0;
}

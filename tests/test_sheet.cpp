// Draws a sheet of every shape in its four variants, the pen styles, caps and joins, the
// hatches and the pattern brushes into an IMAGE with the runtime, and writes it as a 24-bit
// BMP: test_sheet.exe out.bmp
#include <cmath>
#include <cstdio>
#include <vector>

#include "context.h"

using namespace Slate;

namespace {

constexpr int kCell = 110;  // each sample sits in a cell of kCell x kCell pixels
constexpr int kColumns = 8;
constexpr int kRows = 7;  // the last row is partly empty
constexpr double kPi = 3.14159265358979323846;
constexpr COLORREF kPaper = RGB(250, 250, 245);
constexpr COLORREF kCellBack = RGB(225, 228, 235);
constexpr COLORREF kInk = RGB(20, 30, 60);
constexpr COLORREF kPen = RGB(200, 30, 40);
constexpr COLORREF kFill = RGB(60, 120, 220);
constexpr COLORREF kBack = RGB(250, 210, 60);

DrawOnImg& target() {
  return *graphContext.currentTarget;
}

struct Cell {
  int left, top, right, bottom;
  int midX() const { return (left + right) / 2; }
  int midY() const { return (top + bottom) / 2; }
};

// The cell's drawing box below its label, with the cell shaded so that the clear variants
// show the background colour against it.
Cell cell(int column, int row, const wchar_t* label) {
  const int left = column * kCell + 4, top = row * kCell + 4;
  DrawOnImg& t = target();
  t.setFillStyle(BS_SOLID, 0, nullptr);
  t.setFillColor(kCellBack);
  t.solidRectangle(left, top, left + kCell - 8, top + kCell - 8);
  t.setTextColor(kInk);
  t.writeTextAt(left + 3, top + 2, label);
  t.setFillColor(kFill);
  return {left + 10, top + 22, left + kCell - 18, top + kCell - 14};
}

using Variant = void (DrawOnImg::*)(int, int, int, int);

void drawShapes() {
  const wchar_t* names[] = {L"outline", L"fill", L"solid", L"clear"};
  const Variant rects[] = {&DrawOnImg::rectangle, &DrawOnImg::fillRectangle,
                           &DrawOnImg::solidRectangle, &DrawOnImg::clearRectangle};
  const Variant ellipses[] = {&DrawOnImg::ellipse, &DrawOnImg::fillEllipse,
                              &DrawOnImg::solidEllipse, &DrawOnImg::clearEllipse};
  using Round = void (DrawOnImg::*)(int, int, int, int, int, int);
  const Round rounds[] = {&DrawOnImg::roundRect, &DrawOnImg::fillRoundRect,
                          &DrawOnImg::solidRoundRect, &DrawOnImg::clearRoundRect};
  using Circle = void (DrawOnImg::*)(int, int, int);
  const Circle circles[] = {&DrawOnImg::circle, &DrawOnImg::fillCircle, &DrawOnImg::solidCircle,
                            &DrawOnImg::clearCircle};
  using Pie = void (DrawOnImg::*)(int, int, int, int, double, double);
  const Pie pies[] = {&DrawOnImg::pie, &DrawOnImg::fillPie, &DrawOnImg::solidPie,
                      &DrawOnImg::clearPie};
  using Poly = void (DrawOnImg::*)(const POINT*, int);
  const Poly polys[] = {&DrawOnImg::polygon, &DrawOnImg::fillPolygon, &DrawOnImg::solidPolygon,
                        &DrawOnImg::clearPolygon};
  DrawOnImg& t = target();
  t.setLineStyle(PS_SOLID, 3, nullptr, 0);
  for (int v = 0; v < 4; ++v) {
    Cell c = cell(v, 0, names[v]);
    (t.*rects[v])(c.left, c.top, c.right, c.bottom);
    c = cell(v + 4, 0, names[v]);
    (t.*rounds[v])(c.left, c.top, c.right, c.bottom, 30, 30);
    c = cell(v, 1, names[v]);
    (t.*circles[v])(c.midX(), c.midY(), 34);
    c = cell(v + 4, 1, names[v]);
    (t.*ellipses[v])(c.left, c.top + 10, c.right, c.bottom - 10);
    c = cell(v, 2, names[v]);
    (t.*pies[v])(c.left, c.top, c.right, c.bottom, kPi / 6, 3 * kPi / 2);
    c = cell(v + 4, 2, names[v]);
    std::vector<POINT> star;
    for (int k = 0; k < 5; ++k) {
      const double a = kPi / 2 + k * 4 * kPi / 5;
      star.push_back({c.midX() + static_cast<int>(std::lround(36 * std::cos(a))),
                      c.midY() - static_cast<int>(std::lround(36 * std::sin(a)))});
    }
    (t.*polys[v])(star.data(), static_cast<int>(star.size()));
  }
}

void drawPenStyles() {
  struct Sample {
    const wchar_t* name;
    int style;
  };
  const Sample styles[] = {{L"solid", PS_SOLID},
                           {L"dash", PS_DASH},
                           {L"dot", PS_DOT},
                           {L"dash dot", PS_DASHDOT},
                           {L"dash dot dot", PS_DASHDOTDOT},
                           {L"null", PS_NULL},
                           {L"inside frame", PS_INSIDEFRAME}};
  DrawOnImg& t = target();
  for (int i = 0; i < 7; ++i) {
    const Cell c = cell(i, 3, styles[i].name);
    for (int k = 0; k < 4; ++k) {
      t.setLineStyle(styles[i].style | PS_ENDCAP_FLAT, 1 + 2 * k, nullptr, 0);
      t.line(c.left, c.top + 8 + k * 18, c.right, c.top + 8 + k * 18);
    }
  }
  const Cell c = cell(7, 3, L"user 9 3 2 3");
  const DWORD dashes[] = {9, 3, 2, 3};
  for (int k = 0; k < 4; ++k) {
    t.setLineStyle(PS_USERSTYLE | PS_ENDCAP_FLAT, 1 + k, dashes, 4);
    t.line(c.left, c.top + 8 + k * 18, c.right, c.top + 8 + k * 18);
  }
}

void drawCapsAndJoins() {
  struct Sample {
    const wchar_t* name;
    int style;
  };
  const Sample samples[] = {{L"round cap", PS_ENDCAP_ROUND | PS_JOIN_ROUND},
                            {L"square cap", PS_ENDCAP_SQUARE},
                            {L"flat cap", PS_ENDCAP_FLAT},
                            {L"round join", PS_JOIN_ROUND | PS_ENDCAP_FLAT},
                            {L"bevel join", PS_JOIN_BEVEL | PS_ENDCAP_FLAT},
                            {L"miter join", PS_JOIN_MITER | PS_ENDCAP_FLAT}};
  DrawOnImg& t = target();
  for (int i = 0; i < 6; ++i) {
    const Cell c = cell(i, 4, samples[i].name);
    t.setLineStyle(PS_SOLID | samples[i].style, 12, nullptr, 0);
    const POINT zigzag[] = {
        {c.left + 6, c.bottom - 6}, {c.midX(), c.top + 8}, {c.right - 6, c.bottom - 6}};
    if (i >= 3) {
      t.polyline(zigzag, 3);
      continue;
    }
    t.line(c.left + 10, c.midY(), c.right - 10, c.midY());
    // The thin line shows where the thick one was asked to end.
    t.setLineStyle(PS_SOLID, 1, nullptr, 0);
    t.setLineColor(kInk);
    t.line(c.left + 10, c.midY(), c.right - 10, c.midY());
    t.setLineColor(kPen);
  }
  t.setLineStyle(PS_SOLID, 2, nullptr, 0);
  Cell c = cell(6, 4, L"arc, lineTo");
  t.arc(c.left, c.top, c.right, c.bottom, 0, 3 * kPi / 2);
  t.moveTo(c.left, c.bottom);
  t.lineTo(c.midX(), c.midY());
  t.lineRel(c.right - c.midX(), c.bottom - c.midY());
  c = cell(7, 4, L"flood fill");
  t.rectangle(c.left, c.top, c.right, c.bottom);
  t.line(c.left, c.top, c.right, c.bottom);
  t.setFillStyle(BS_HATCHED, HS_DIAGCROSS, nullptr);
  t.floodFill(c.left + 30, c.top + 10, kPen);
  t.setFillStyle(BS_SOLID, 0, nullptr);
}

void drawBrushes() {
  const wchar_t* hatches[] = {L"horizontal", L"vertical", L"fdiagonal",
                              L"bdiagonal",  L"cross",    L"diagcross"};
  DrawOnImg& t = target();
  t.setLineStyle(PS_SOLID, 1, nullptr, 0);
  for (int h = 0; h < 6; ++h) {
    const Cell c = cell(h, 5, hatches[h]);
    t.setFillStyle(BS_HATCHED, h, nullptr);
    t.fillRectangle(c.left, c.top, c.right, c.bottom);
  }
  const BYTE bricks[8] = {0xFF, 0x80, 0x80, 0x80, 0xFF, 0x08, 0x08, 0x08};
  Cell c = cell(6, 5, L"8 bytes");
  t.setTextColor(kPen);
  t.setBkColor(kBack);
  t.setFillStyle(bricks);
  t.fillEllipse(c.left, c.top, c.right, c.bottom);

  IMAGE picture(12, 12);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) {
      picture.pixels[y * 12 + x] = (x + y) % 12 < 4 ? 0 : 0x00FFFFFF;
    }
  }
  c = cell(7, 5, L"2-colour 12x12");
  t.setTextColor(kPen);
  t.setFillStyle(BS_PATTERN, 0, &picture);
  t.solidRoundRect(c.left, c.top, c.right, c.bottom, 20, 20);

  IMAGE colours(16, 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      colours.pixels[y * 16 + x] = static_cast<DWORD>((x * 16) << 16 | (y * 16) << 8 | 0x80);
    }
  }
  for (int i = 0; i < 2; ++i) {
    c = cell(i, 6, i == 0 ? L"colour pattern" : L"pattern pie");
    t.setFillStyle(BS_DIBPATTERN, 0, &colours);
    if (i == 0) t.fillRectangle(c.left, c.top, c.right, c.bottom);
    if (i == 1) t.solidPie(c.left, c.top, c.right, c.bottom, 0, 5 * kPi / 3);
  }
  t.setFillStyle(BS_SOLID, 0, nullptr);
}

void drawLinesAndModes() {
  DrawOnImg& t = target();
  Cell c = cell(2, 6, L"polyline");
  std::vector<POINT> wave;
  for (int x = c.left; x <= c.right; x += 6) {
    wave.push_back(
        {x, c.midY() - static_cast<int>(std::lround(30 * std::sin((x - c.left) / 9.0)))});
  }
  t.setLineStyle(PS_SOLID, 2, nullptr, 0);
  t.polyline(wave.data(), static_cast<int>(wave.size()));
  c = cell(3, 6, L"xor, clear");
  t.setRop2(R2_XORPEN);
  t.solidRectangle(c.left, c.top, c.midX() + 10, c.midY() + 10);
  t.solidRectangle(c.midX() - 10, c.midY() - 10, c.right, c.bottom);
  t.clearCircle(c.midX(), c.midY(), 12);
  t.setRop2(R2_COPYPEN);
  c = cell(4, 6, L"thickness");
  for (int k = 0; k < 5; ++k) {
    t.setLineStyle(PS_SOLID, 1 + k * 3, nullptr, 0);
    t.line(c.left + 6 + k * 16, c.bottom - 4, c.left + 6 + k * 16, c.top + 4);
  }
  t.setLineStyle(PS_SOLID, 1, nullptr, 0);
}

bool writeBmp(const IMAGE& image, const char* path) {
  const int stride = (image.width * 3 + 3) & ~3;
  BITMAPINFOHEADER info = {
      sizeof(BITMAPINFOHEADER), image.width, image.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  info.biSizeImage = static_cast<DWORD>(stride * image.height);
  BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::vector<BYTE> rows(info.biSizeImage, 0);
  for (int y = 0; y < image.height; ++y) {
    BYTE* out = rows.data() + (image.height - 1 - y) * stride;  // bottom-up
    for (int x = 0; x < image.width; ++x) {
      const DWORD p = image.pixels[y * image.width + x];
      out[3 * x] = static_cast<BYTE>(p);
      out[3 * x + 1] = static_cast<BYTE>(p >> 8);
      out[3 * x + 2] = static_cast<BYTE>(p >> 16);
    }
  }
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  const bool ok = std::fwrite(&file, sizeof file, 1, f) == 1 &&
                  std::fwrite(&info, sizeof info, 1, f) == 1 &&
                  std::fwrite(rows.data(), 1, rows.size(), f) == rows.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: test_sheet out.bmp\n", stderr);
    return 2;
  }
  IMAGE sheet(kColumns * kCell, kRows * kCell);
  setDrawTarget(&sheet);
  DrawOnImg& t = target();
  t.setBkColor(kPaper);
  t.clearDevice();
  t.setBkColor(kBack);
  t.setBkMode(TRANSPARENT);
  t.setTextStyle(14, 0, L"Tahoma");
  t.setLineColor(kPen);
  t.setFillColor(kFill);
  drawShapes();
  drawPenStyles();
  drawCapsAndJoins();
  drawBrushes();
  drawLinesAndModes();
  return writeBmp(sheet, argv[1]) ? 0 : 1;
}

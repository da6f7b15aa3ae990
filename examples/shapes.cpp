// Every closed shape comes in four variants:
//   outline  rectangle(...)        only the edge, drawn with the line colour and style
//   fill     fillRectangle(...)    the edge and the inside (fill colour and style)
//   solid    solidRectangle(...)   only the inside
//   clear    clearRectangle(...)   the inside painted in the background colour
// The window is covered with a hatch first so that you can see what each variant paints.
#include <slate/graphics.h>

using namespace Slate;

// A triangle whose top corner is at (x, y).
void makeTriangle(POINT* corners, int x, int y) {
  corners[0] = {x, y};
  corners[1] = {x + 50, y + 80};
  corners[2] = {x - 50, y + 80};
}

int main() {
  openGraphWindow(800, 450, 0);
  setBkColor(WHITE);
  clearDevice();

  // The hatch: light blue crossing lines over the whole window. A hatched fill style
  // paints its lines in the fill colour.
  setFillColor(LIGHTBLUE);
  setFillStyle(BS_HATCHED, HS_DIAGCROSS);
  solidRectangle(0, 0, 799, 449);

  // From now on: plain (solid) fills in orange and thick dark red edges.
  setFillStyle(BS_SOLID);
  setFillColor(ORANGE);
  setLineColor(RED);
  setLineStyle(PS_SOLID, 4);
  setTextColor(BLACK);

  POINT triangle[3];
  const double pieFrom = 0.6, pieTo = 5.7;  // angles in radians, counterclockwise

  int y = 25;
  writeTextAt(10, y - 20, L"outline");
  rectangle(20, y, 130, y + 80);
  circle(200, y + 40, 40);
  ellipse(270, y, 400, y + 80);
  roundRect(430, y, 540, y + 80, 30, 30);
  pie(570, y, 660, y + 80, pieFrom, pieTo);
  makeTriangle(triangle, 730, y);
  polygon(triangle, 3);

  y = 135;
  writeTextAt(10, y - 20, L"fill");
  fillRectangle(20, y, 130, y + 80);
  fillCircle(200, y + 40, 40);
  fillEllipse(270, y, 400, y + 80);
  fillRoundRect(430, y, 540, y + 80, 30, 30);
  fillPie(570, y, 660, y + 80, pieFrom, pieTo);
  makeTriangle(triangle, 730, y);
  fillPolygon(triangle, 3);

  y = 245;
  writeTextAt(10, y - 20, L"solid");
  solidRectangle(20, y, 130, y + 80);
  solidCircle(200, y + 40, 40);
  solidEllipse(270, y, 400, y + 80);
  solidRoundRect(430, y, 540, y + 80, 30, 30);
  solidPie(570, y, 660, y + 80, pieFrom, pieTo);
  makeTriangle(triangle, 730, y);
  solidPolygon(triangle, 3);

  y = 355;
  writeTextAt(10, y - 20, L"clear");
  clearRectangle(20, y, 130, y + 80);
  clearCircle(200, y + 40, 40);
  clearEllipse(270, y, 400, y + 80);
  clearRoundRect(430, y, 540, y + 80, 30, 30);
  clearPie(570, y, 660, y + 80, pieFrom, pieTo);
  makeTriangle(triangle, 730, y);
  clearPolygon(triangle, 3);

  for (;;) getMouseMessage();  // until the window is closed
}

// An analog clock showing the local time, its second hand sweeping smoothly. Each frame is
// drawn whole and shown at once; waitForNextFrame keeps 30 frames a second.
#include <slate/graphics.h>

#include <cmath>
#include <cwchar>

using namespace Slate;

const int WIDTH = 800, HEIGHT = 450;
const int CX = 400, CY = 225, RADIUS = 200;
const double PI = 3.14159265358979;

// A point `length` pixels from the centre, `turn` of a full turn clockwise from 12 o'clock.
POINT fromCentre(double turn, double length) {
  const double angle = turn * 2 * PI;
  return {CX + static_cast<LONG>(std::lround(length * std::sin(angle))),
          CY - static_cast<LONG>(std::lround(length * std::cos(angle)))};
}

void hand(double turn, double length, int thickness, COLORREF color) {
  const POINT end = fromCentre(turn, length);
  setLineColor(color);
  setLineStyle(PS_SOLID | PS_ENDCAP_ROUND, thickness);
  line(CX, CY, end.x, end.y);
}

void drawClock(const SYSTEMTIME& now) {
  clearDevice();
  setFillColor(WHITE);
  solidCircle(CX, CY, RADIUS);
  setLineColor(DARKGRAY);
  setLineStyle(PS_SOLID, 6);
  circle(CX, CY, RADIUS);
  for (int mark = 0; mark < 60; ++mark) {
    const bool hour = mark % 5 == 0;
    const POINT outer = fromCentre(mark / 60.0, RADIUS - 12);
    const POINT inner = fromCentre(mark / 60.0, RADIUS - (hour ? 34 : 20));
    setLineStyle(PS_SOLID, hour ? 5 : 1);
    line(inner.x, inner.y, outer.x, outer.y);
  }
  const double seconds = now.wSecond + now.wMilliseconds / 1000.0;
  const double minutes = now.wMinute + seconds / 60;
  const double hours = now.wHour % 12 + minutes / 60;
  hand(hours / 12, RADIUS * 0.5, 10, BLACK);
  hand(minutes / 60, RADIUS * 0.75, 6, BLACK);
  hand(seconds / 60, RADIUS * 0.85, 2, RED);
  setFillColor(RED);
  solidCircle(CX, CY, 7);

  wchar_t text[20];
  std::swprintf(text, 20, L"%02d:%02d:%02d", now.wHour, now.wMinute, now.wSecond);
  setTextColor(WHITE);
  writeTextAt(620, 20, text);
  flushBufferedDrawing();
}

int main() {
  if (!openGraphWindow(WIDTH, HEIGHT, 0)) return 1;  // Slate said why on standard error
  setBkColor(RGB(30, 60, 90));
  setBkMode(TRANSPARENT);
  setTextStyle(36, 0, L"Arial");
  beginBufferedDrawing();
  while (isWindowOpen()) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    drawClock(now);
    waitForNextFrame(30);
  }
  return 0;
}

// Lines and pens: the five dash styles, a dash pattern of your own, thick lines with their
// three end caps, and a fan of coloured lines.
#include <slate/graphics.h>

using namespace Slate;

int main() {
  openGraphWindow(800, 450, 0);
  setBkColor(WHITE);
  clearDevice();
  setTextColor(BLACK);

  // The dash styles, one pixel wide. setLineStyle takes a style, a thickness in pixels,
  // and a dash pattern that only PS_USERSTYLE uses.
  setLineColor(BLUE);
  const int styles[5] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
  const wchar_t* names[5] = {L"PS_SOLID", L"PS_DASH", L"PS_DOT", L"PS_DASHDOT", L"PS_DASHDOTDOT"};
  for (int i = 0; i < 5; ++i) {
    const int y = 30 + i * 40;
    writeTextAt(20, y - 8, names[i]);
    setLineStyle(styles[i], 1);
    line(160, y, 420, y);
  }

  // Your own pattern: 16 pixels drawn, 4 left out, 4 drawn, 4 left out, over and over.
  const DWORD pattern[4] = {16, 4, 4, 4};
  writeTextAt(20, 222, L"PS_USERSTYLE");
  setLineStyle(PS_USERSTYLE, 3, pattern, 4);
  line(160, 230, 420, 230);

  // Thick lines end round, square (half the thickness past the end) or flat. The thin
  // red lines mark where each line starts and stops.
  const int caps[3] = {PS_ENDCAP_ROUND, PS_ENDCAP_SQUARE, PS_ENDCAP_FLAT};
  const wchar_t* capNames[3] = {L"round", L"square", L"flat"};
  for (int i = 0; i < 3; ++i) {
    const int y = 300 + i * 50;
    writeTextAt(20, y - 8, capNames[i]);
    setLineColor(CYAN);
    setLineStyle(PS_SOLID | caps[i], 24);
    line(180, y, 400, y);
  }
  setLineColor(RED);
  setLineStyle(PS_SOLID, 1);
  line(180, 270, 180, 430);
  line(400, 270, 400, 430);

  // A fan: lines from one corner, each in its own colour and a little thicker.
  for (int i = 0; i <= 12; ++i) {
    setLineColor(RGB(20 * i, 40, 255 - 20 * i));
    setLineStyle(PS_SOLID, 1 + i / 3);
    line(460, 430, 460 + i * 26, 30 + i * i * 2);
  }

  for (;;) getMouseMessage();  // until the window is closed
}

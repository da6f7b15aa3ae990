// A drawing pad: hold the left button and move the mouse to draw; the right button wipes
// the page. Every mouse event waits in a queue until getMouseMessage takes it.
#include <slate/graphics.h>

using namespace Slate;

void newPage() {
  clearDevice();
  setTextColor(DARKGRAY);
  writeTextAt(10, 10, L"Drag with the left button to draw. Right click for a new page.");
}

int main() {
  openGraphWindow(800, 450, 0);
  setBkColor(WHITE);
  setBkMode(TRANSPARENT);
  newPage();

  // A thick blue pen with round ends, so that the pieces of a stroke join smoothly.
  setLineColor(BLUE);
  setLineStyle(PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND, 6);

  for (;;) {
    const MOUSEMSG m = getMouseMessage();
    if (m.message == WM_LBUTTONDOWN) {
      // A stroke starts here: remember the point without drawing.
      moveTo(m.x, m.y);
    } else if (m.message == WM_MOUSEMOVE && m.leftDown) {
      // lineTo draws from the current position to the mouse, and moves the current
      // position there for the next piece.
      lineTo(m.x, m.y);
    } else if (m.message == WM_RBUTTONDOWN) {
      newPage();
    }
  }
}

// Your first Slate program: open a window and draw a circle in the middle of it.
#include <slate/graphics.h>

using namespace Slate;

int main() {
  // A window of 800 x 450 pixels; 0 asks for no special options.
  openGraphWindow(800, 450, 0);

  // clearDevice paints the whole window in the background colour.
  setBkColor(WHITE);
  clearDevice();

  // An orange disc with a thick dark outline, radius 120, at the centre (400, 225).
  setLineColor(BLACK);
  setLineStyle(PS_SOLID, 6);
  setFillColor(ORANGE);
  fillCircle(400, 225, 120);

  // Text is drawn with its top-left corner at the given point.
  setTextColor(BLACK);
  setBkMode(TRANSPARENT);
  writeTextAt(330, 380, L"Hello, Slate!");

  // Nothing else to do: wait for mouse messages until the window is closed, which ends
  // the program.
  for (;;) getMouseMessage();
}

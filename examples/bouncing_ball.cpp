// A ball bouncing around the window. Each frame is drawn out of sight (buffered drawing)
// and shown in one piece by flushBufferedDrawing, so the picture never flickers.
#include <slate/graphics.h>

using namespace Slate;

int main() {
  const int width = 800, height = 450, radius = 30;
  openGraphWindow(width, height, 0);
  setBkColor(BLUE);
  setBkMode(TRANSPARENT);
  setTextColor(WHITE);
  setFillColor(YELLOW);

  int x = 120, y = 90;  // the ball's centre
  int dx = 5, dy = 4;   // how far it moves each frame

  beginBufferedDrawing();
  for (;;) {
    // Move, and turn around at the edges.
    x += dx;
    y += dy;
    if (x - radius < 0 || x + radius >= width) dx = -dx;
    if (y - radius < 0 || y + radius >= height) dy = -dy;

    // Draw the whole frame: background, text, ball...
    clearDevice();
    writeTextAt(10, 10, L"Bouncing ball with buffered drawing");
    solidCircle(x, y, radius);

    // ...and show it at once.
    flushBufferedDrawing();
    Sleep(15);  // about 60 frames a second
  }
}

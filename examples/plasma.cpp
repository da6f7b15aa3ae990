// A plasma made pixel by pixel: getImageBuffer gives the memory of an IMAGE, and every
// pixel is one DWORD, 0x00RRGGBB, row after row from the top. When the picture is done it
// is copied to the window with drawImage.
#include <slate/graphics.h>

#include <cmath>

using namespace Slate;

int main() {
  const int width = 800, height = 450;
  openGraphWindow(width, height, 0);

  IMAGE picture(width, height);
  DWORD* pixels = getImageBuffer(&picture);

  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      // Four waves added together give a value between -4 and 4...
      const double cx = x - width / 2.0, cy = y - height / 2.0;
      const double v = std::sin(x / 37.0) + std::sin(y / 23.0) + std::sin((x + y) / 51.0) +
                       std::sin(std::sqrt(cx * cx + cy * cy) / 29.0);
      // ...which picks a colour: red, green and blue each follow their own wave.
      const int red = static_cast<int>(128 + 127 * std::sin(v * 3.14159 / 2));
      const int green = static_cast<int>(128 + 127 * std::sin(v * 3.14159 / 2 + 2.1));
      const int blue = static_cast<int>(128 + 127 * std::sin(v * 3.14159 / 2 + 4.2));
      // Note the order: the buffer holds red in the high byte, unlike RGB().
      pixels[y * width + x] = (red << 16) | (green << 8) | blue;
    }
  }

  drawImage(0, 0, &picture, SRCCOPY);
  for (;;) getMouseMessage();  // until the window is closed
}

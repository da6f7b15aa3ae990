// Loading a picture from a file and turning it. The build puts picture.bmp next to this
// program, and the program looks for it there, with getProgramFolder() in front of the name:
// a bare name would be looked for in the current folder, wherever the program was started
// from. Any BMP, JPEG, GIF or PNG of your own works too.
#include <slate/graphics.h>

#include <string>

using namespace Slate;

int main() {
  openGraphWindow(800, 450, 0);
  const COLORREF background = RGB(30, 30, 40);
  setBkColor(background);
  clearDevice();
  setTextColor(WHITE);

  // Load the picture, scaled to 240 x 160. If the file cannot be read the image stays
  // empty (0 x 0), so check its size before using it.
  IMAGE picture;
  const std::wstring file = std::wstring(getProgramFolder()) + L"picture.bmp";
  loadImageFile(&picture, file.c_str(), 240, 160, true);
  if (picture.width == 0) {
    writeTextAt(20, 20, L"picture.bmp is missing: put a picture of that name next to the program.");
    for (;;) getMouseMessage();
  }

  // rotateImage turns a picture about its centre by an angle in radians (counterclockwise).
  // With autoSize the result grows to hold the whole turned picture; the corners it gains
  // are painted in the colour given.
  const double pi = 3.14159265358979;
  IMAGE turned30, turned90;
  rotateImage(&turned30, &picture, pi / 6, background, true, true);
  rotateImage(&turned90, &picture, pi / 2, background, true, true);

  drawImage(20, 145, &picture, SRCCOPY);
  writeTextAt(20, 110, L"as loaded");
  drawImage(280, 95, &turned30, SRCCOPY);
  writeTextAt(280, 60, L"turned 30 degrees");
  drawImage(600, 105, &turned90, SRCCOPY);
  writeTextAt(600, 70, L"turned 90 degrees");

  for (;;) getMouseMessage();  // until the window is closed
}

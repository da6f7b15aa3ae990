// Text: fonts and sizes, bold, italic and underlined text, text at an angle, text measured
// to centre it, and text wrapped inside a rectangle.
#include <slate/graphics.h>

using namespace Slate;

int main() {
  openGraphWindow(800, 450, 0);
  setBkColor(RGB(250, 245, 230));
  clearDevice();

  // TRANSPARENT: letters are drawn without painting the box behind them.
  setBkMode(TRANSPARENT);

  // A title centred with textWidth: half the text's width left of the middle.
  setTextColor(RED);
  setTextStyle(48, 0, L"Times New Roman");
  const wchar_t* title = L"Text and fonts";
  writeTextAt(400 - textWidth(title) / 2, 10, title);

  // setTextStyle(height, width, face): a width of 0 keeps the face's own proportions.
  setTextColor(BLACK);
  setTextStyle(28, 0, L"Arial");
  writeTextAt(30, 80, L"Arial, 28 pixels high");
  setTextStyle(28, 0, L"Courier New");
  writeTextAt(30, 115, L"Courier New, 28 pixels high");
  setTextStyle(20, 0, L"Tahoma");
  writeTextAt(30, 150, L"Tahoma, 20 pixels high");

  // The longer form also takes the angle (in tenths of a degree), the weight and the
  // italic, underline and strike-out switches.
  setTextColor(BLUE);
  setTextStyle(28, 0, L"Arial", 0, 0, FW_BOLD, false, false, false);
  writeTextAt(30, 200, L"Bold");
  setTextStyle(28, 0, L"Arial", 0, 0, FW_NORMAL, true, false, false);
  writeTextAt(130, 200, L"Italic");
  setTextStyle(28, 0, L"Arial", 0, 0, FW_NORMAL, false, true, false);
  writeTextAt(230, 200, L"Underlined");
  setTextStyle(28, 0, L"Arial", 0, 0, FW_NORMAL, false, false, true);
  writeTextAt(390, 200, L"Struck out");

  // The short form changes only the height, width and face: back to plain text needs the
  // long form again.
  setTextStyle(24, 0, L"Arial", 0, 0, FW_NORMAL, false, false, false);

  // writeText continues from the current position, so pieces in different colours make one
  // line.
  moveTo(30, 260);
  setTextColor(RED);
  writeText(L"Red, ");
  setTextColor(GREEN);
  writeText(L"green ");
  setTextColor(BLUE);
  writeText(L"and blue on one line.");

  // Text at an angle: escapement 300 means 30 degrees, counterclockwise.
  setTextColor(PURPLE);
  setTextStyle(36, 0, L"Times New Roman", 300, 300, FW_BOLD, false, false, false);
  writeTextAt(560, 170, L"Up we go!");

  // A paragraph wrapped inside a rectangle, with a frame drawn around it.
  setTextColor(BLACK);
  setTextStyle(20, 0, L"Arial", 0, 0, FW_NORMAL, false, false, false);
  RECT box = {30, 320, 500, 390};
  setLineColor(GRAY);
  rectangle(box.left - 6, box.top - 6, box.right + 6, box.bottom + 6);
  writeTextInRect(
      L"writeTextInRect breaks long text into lines that fit inside the "
      L"rectangle it is given, and can centre each line, as this paragraph "
      L"shows.",
      &box, DT_CENTER | DT_WORDBREAK);

  for (;;) getMouseMessage();  // until the window is closed
}

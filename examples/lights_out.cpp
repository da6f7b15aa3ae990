// Lights Out, a small puzzle game. Clicking a light switches it and its four neighbours
// (on becomes off, off becomes on). Switch every light off to win; then click to play again.
#include <slate/graphics.h>

#include <cwchar>

using namespace Slate;

const int LIGHTS = 5;  // lights per row and per column
const int CELL = 80;   // pixels per light
const int LEFT = 40, TOP = 25;

bool lit[LIGHTS][LIGHTS];  // lit[column][row]
int moves = 0;

void flip(int column, int row) {
  if (column >= 0 && column < LIGHTS && row >= 0 && row < LIGHTS) {
    lit[column][row] = !lit[column][row];
  }
}

void press(int column, int row) {
  flip(column, row);
  flip(column - 1, row);
  flip(column + 1, row);
  flip(column, row - 1);
  flip(column, row + 1);
}

bool allOff() {
  for (int column = 0; column < LIGHTS; ++column) {
    for (int row = 0; row < LIGHTS; ++row) {
      if (lit[column][row]) return false;
    }
  }
  return true;
}

// A new game starts from all lights off and presses a few of them, so it can always be
// solved: pressing the same lights again switches everything off.
void newGame() {
  for (int column = 0; column < LIGHTS; ++column) {
    for (int row = 0; row < LIGHTS; ++row) lit[column][row] = false;
  }
  press(0, 0);
  press(2, 1);
  press(1, 3);
  press(3, 3);
  press(4, 1);
  moves = 0;
}

void draw() {
  clearDevice();
  for (int column = 0; column < LIGHTS; ++column) {
    for (int row = 0; row < LIGHTS; ++row) {
      const int x = LEFT + column * CELL, y = TOP + row * CELL;
      setFillColor(lit[column][row] ? YELLOW : DARKGRAY);
      solidRoundRect(x + 5, y + 5, x + CELL - 5, y + CELL - 5, 20, 20);
    }
  }

  setTextColor(WHITE);
  setTextStyle(40, 0, L"Arial");
  writeTextAt(500, 40, L"Lights Out");
  setTextStyle(20, 0, L"Arial");
  writeTextAt(500, 100, L"Switch every light off.");

  wchar_t text[40];
  std::swprintf(text, 40, L"Moves: %d", moves);
  writeTextAt(500, 140, text);

  if (allOff()) {
    setTextColor(LIGHTGREEN);
    setTextStyle(40, 0, L"Arial");
    writeTextAt(500, 220, L"You win!");
    setTextStyle(20, 0, L"Arial");
    writeTextAt(500, 270, L"Click to play again.");
  }
  flushBufferedDrawing();  // show the finished picture at once
}

int main() {
  openGraphWindow(800, 450, 0);
  setBkColor(BLACK);
  setBkMode(TRANSPARENT);
  beginBufferedDrawing();  // draw() shows each picture only when it is complete
  newGame();
  draw();

  for (;;) {
    const MOUSEMSG m = getMouseMessage();
    if (m.message != WM_LBUTTONDOWN) continue;
    if (allOff()) {
      newGame();
    } else {
      // Which light is under the mouse? Clicks beside the board do nothing.
      const int column = (m.x - LEFT) / CELL, row = (m.y - TOP) / CELL;
      if (m.x < LEFT || m.y < TOP || column >= LIGHTS || row >= LIGHTS) continue;
      press(column, row);
      ++moves;
    }
    draw();
  }
}

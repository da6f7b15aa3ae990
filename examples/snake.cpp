// Snake. The snake moves on its own; the arrow keys turn it, holding Space stops it, Esc
// ends the game. Each piece of food makes it longer and adds a point; running into itself
// starts a new game. The edges wrap around. Key presses are read without waiting
// (peekKeyMessage) and Space's state is asked for every frame (isKeyDown), while
// waitForNextFrame keeps the frames 1/60 s apart.
#include <slate/graphics.h>

#include <cwchar>

using namespace Slate;

const int CELL = 20;                // pixels per cell
const int COLUMNS = 40, ROWS = 21;  // the field, below a 30-pixel score bar
const int TOP = 30;
const int FRAMES_PER_STEP = 8;  // 60 / 8 = 7.5 steps a second
const int MOST = COLUMNS * ROWS;

int snakeX[MOST], snakeY[MOST];  // snakeX[0], snakeY[0]: the head
int length = 0;
int dx = 1, dy = 0;  // the way it moves
int turns[2][2];     // turns asked for and not made yet, oldest first
int pendingTurns = 0;
int foodX = 0, foodY = 0;
int score = 0;
unsigned seed = 1;

int nextRandom(int below) {
  seed = seed * 1103515245u + 12345u;
  return static_cast<int>((seed >> 16) % static_cast<unsigned>(below));
}

bool onSnake(int x, int y) {
  for (int i = 0; i < length; ++i) {
    if (snakeX[i] == x && snakeY[i] == y) return true;
  }
  return false;
}

void placeFood() {
  do {
    foodX = nextRandom(COLUMNS);
    foodY = nextRandom(ROWS);
  } while (onSnake(foodX, foodY));
}

// Every game starts alike, the first food a few cells ahead of the snake.
void newGame() {
  length = 5;
  for (int i = 0; i < length; ++i) {
    snakeX[i] = 8 - i;
    snakeY[i] = 10;
  }
  dx = 1;
  dy = 0;
  pendingTurns = 0;
  foodX = 15;
  foodY = 10;
  score = 0;
}

// A turn goes into the small queue unless it would reverse the snake or repeats the last.
void askTurn(int x, int y) {
  const int lastX = pendingTurns ? turns[pendingTurns - 1][0] : dx;
  const int lastY = pendingTurns ? turns[pendingTurns - 1][1] : dy;
  if (pendingTurns == 2 || (x == -lastX && y == -lastY) || (x == lastX && y == lastY)) return;
  turns[pendingTurns][0] = x;
  turns[pendingTurns][1] = y;
  ++pendingTurns;
}

void step() {
  if (pendingTurns > 0) {
    dx = turns[0][0];
    dy = turns[0][1];
    turns[0][0] = turns[1][0];
    turns[0][1] = turns[1][1];
    --pendingTurns;
  }
  const int x = (snakeX[0] + dx + COLUMNS) % COLUMNS;
  const int y = (snakeY[0] + dy + ROWS) % ROWS;
  const bool eats = x == foodX && y == foodY;
  if (!eats) --length;  // the tail moves on, unless the snake grows
  if (onSnake(x, y)) {
    newGame();
    return;
  }
  for (int i = length; i > 0; --i) {
    snakeX[i] = snakeX[i - 1];
    snakeY[i] = snakeY[i - 1];
  }
  snakeX[0] = x;
  snakeY[0] = y;
  ++length;
  if (eats) {
    ++score;
    if (length < MOST) placeFood();
  }
}

void cell(int x, int y, COLORREF color) {
  setFillColor(color);
  solidRectangle(x * CELL + 1, TOP + y * CELL + 1, x * CELL + CELL - 2, TOP + y * CELL + CELL - 2);
}

void draw() {
  clearDevice();
  setFillColor(DARKGRAY);
  solidRectangle(0, 0, COLUMNS * CELL - 1, TOP - 1);
  wchar_t text[40];
  std::swprintf(text, 40, L"Score %d", score);
  writeTextAt(8, 5, text);
  // A pip a point, so the score can be read off the screen at a glance.
  setFillColor(LIGHTCYAN);
  for (int i = 0; i < score && i < 50; ++i) solidRectangle(120 + i * 12, 10, 129 + i * 12, 19);
  cell(foodX, foodY, LIGHTRED);
  for (int i = length - 1; i > 0; --i) cell(snakeX[i], snakeY[i], GREEN);
  cell(snakeX[0], snakeY[0], YELLOW);
  flushBufferedDrawing();
}

int main() {
  if (!openGraphWindow(COLUMNS * CELL, TOP + ROWS * CELL, 0)) return 1;  // Slate said why
  seed = static_cast<unsigned>(getTime() * 1e6);
  setBkColor(BLACK);
  setTextColor(WHITE);
  setBkMode(TRANSPARENT);
  setTextStyle(20, 0, L"Arial");
  beginBufferedDrawing();
  newGame();
  draw();
  int frame = 0;
  while (isWindowOpen()) {
    KEYMSG key;
    while (peekKeyMessage(&key)) {
      if (key.message != WM_KEYDOWN) continue;
      if (key.key == VK_LEFT) askTurn(-1, 0);
      if (key.key == VK_RIGHT) askTurn(1, 0);
      if (key.key == VK_UP) askTurn(0, -1);
      if (key.key == VK_DOWN) askTurn(0, 1);
      if (key.key == VK_ESCAPE) closeGraphWindow();
    }
    if (++frame >= FRAMES_PER_STEP && !isKeyDown(VK_SPACE)) {
      frame = 0;
      step();
      draw();
    }
    waitForNextFrame(60);
  }
  return 0;
}

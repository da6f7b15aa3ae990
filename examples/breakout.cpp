// Breakout: a paddle on the mouse (or the arrow keys), a ball, a wall of bricks and a score.
// The ball, the paddle and the bricks are sprites with soft, transparent edges, made by the
// program at start-up through getImageBuffer; one white brick, tinted, gives every row its
// colour. Each brick blips as it breaks, higher row by row, over a tune that loops; the
// sounds are made of samples the program computes, so the example needs no files.
#include <slate/graphics.h>

#include <cmath>
#include <cstdio>
#include <vector>

using namespace Slate;

const int WIDTH = 800, HEIGHT = 450;
const int COLUMNS = 10, ROWS = 5;
const int BRICK_W = 72, BRICK_H = 22, WALL_X = 40, WALL_Y = 60;
const int PADDLE_W = 110, PADDLE_H = 16, PADDLE_Y = HEIGHT - 40;
const int BALL = 16;  // the ball sprite's size; it is drawn turned and scaled
const int RATE = 44100;
const double PI = 3.14159265358979;
const COLORREF ROW_TINTS[ROWS] = {RGB(255, 90, 90), RGB(255, 170, 60), RGB(250, 230, 70),
                                  RGB(90, 220, 110), RGB(80, 160, 255)};

bool bricks[ROWS][COLUMNS];
IMAGE brickSprite, ballSprite, paddleSprite;
SOUND blip[ROWS], bounce, tune;

// Coverage of a rounded rectangle of w x h with corner radius r at pixel (x, y): 1 inside,
// 0 outside, a one-pixel ramp between, which is what makes the edges soft.
double roundedCoverage(int x, int y, int w, int h, double r) {
  const double px = x + 0.5, py = y + 0.5;
  const double dx = std::fmax(std::fmax(r - px, px - (w - r)), 0.0);
  const double dy = std::fmax(std::fmax(r - py, py - (h - r)), 0.0);
  const double outside = std::sqrt(dx * dx + dy * dy) - r;  // < 0 inside the shape
  return std::fmin(1.0, std::fmax(0.0, 0.5 - outside));
}

// A white sprite of w x h with corner radius r, so that a tint gives it its colour, and its
// coverage as alpha.
void makeRoundedSprite(IMAGE* sprite, int w, int h, double r) {
  sprite->resize(w, h);
  useImageAlpha(sprite, true);
  DWORD* pixels = getImageBuffer(sprite);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int alpha = int(std::lround(255 * roundedCoverage(x, y, w, h, r)));
      pixels[y * w + x] = DWORD(alpha) << 24 | 0xFFFFFF;  // 0xAARRGGBB
    }
  }
}

// A note of hz for seconds, dying away, with a 5 ms start so that it does not click.
std::vector<float> note(double hz, double seconds, double level) {
  std::vector<float> samples(size_t(RATE * seconds));
  for (size_t i = 0; i < samples.size(); ++i) {
    const double t = double(i) / RATE;
    samples[i] = float(level * std::fmin(1.0, t * 200) * std::exp(-t * 4 / seconds) *
                       std::sin(2 * PI * hz * t));
  }
  return samples;
}

// A tune of eight bars on a minor arpeggio, mixed into one sound that the program loops.
std::vector<float> makeTune() {
  const double steps[8] = {220.00, 261.63, 329.63, 261.63, 196.00, 246.94, 293.66, 246.94};
  const double beat = 0.25;
  std::vector<float> samples(size_t(RATE * beat * 32));
  for (int n = 0; n < 32; ++n) {
    const std::vector<float> one = note(steps[n % 8] * (n % 4 == 3 ? 2 : 1), beat * 1.5, 0.18);
    const size_t at = size_t(RATE * beat * n);
    for (size_t i = 0; i < one.size(); ++i) samples[(at + i) % samples.size()] += one[i];
  }
  return samples;
}

void makeSounds() {
  for (int row = 0; row < ROWS; ++row) {
    // The bottom row at 1320 Hz, each row above a whole tone higher.
    const std::vector<float> s = note(1320.0 * std::pow(2.0, (ROWS - 1 - row) / 6.0), 0.15, 0.5);
    loadSoundSamples(&blip[row], s.data(), int(s.size()), 1, RATE);
  }
  const std::vector<float> b = note(330.0, 0.08, 0.4);
  loadSoundSamples(&bounce, b.data(), int(b.size()), 1, RATE);
  const std::vector<float> t = makeTune();
  loadSoundSamples(&tune, t.data(), int(t.size()), 1, RATE);
}

void buildWall() {
  for (auto& row : bricks)
    for (bool& brick : row) brick = true;
}

int main() {
  openGraphWindow(WIDTH, HEIGHT, 0);
  setWindowTitle(L"breakout");
  makeRoundedSprite(&brickSprite, BRICK_W - 4, BRICK_H - 4, 6);
  makeRoundedSprite(&paddleSprite, PADDLE_W, PADDLE_H, 8);
  makeRoundedSprite(&ballSprite, BALL, BALL, BALL / 2.0);
  makeSounds();
  // Without a sound device the game plays on in silence: playSound just returns 0.
  const int music = playSound(&tune, 0.6f);
  setVoiceLooping(music, true);

  buildWall();
  double paddleX = WIDTH / 2.0, ballX = WIDTH / 2.0, ballY = PADDLE_Y - 60.0;
  double speedX = 180.0, speedY = -260.0, spin = 0.0;  // pixels and radians a second
  int score = 0, lastMouseX = -1;
  setBkMode(TRANSPARENT);
  setTextColor(RGB(255, 255, 160));
  setTextStyle(22, 0, L"Consolas");
  beginBufferedDrawing();
  for (;;) {
    const double dt = std::fmin(waitForNextFrame(60), 0.05);

    // The paddle follows the mouse when it moves, and the arrow keys otherwise.
    MOUSEMSG mouse;
    if (getMouseState(&mouse) && mouse.x != lastMouseX) paddleX = lastMouseX = mouse.x;
    if (isKeyDown(VK_LEFT)) paddleX -= 500 * dt;
    if (isKeyDown(VK_RIGHT)) paddleX += 500 * dt;
    if (isKeyDown(VK_ESCAPE)) break;
    flushInputMessages();
    paddleX = std::fmin(std::fmax(paddleX, PADDLE_W / 2.0), WIDTH - PADDLE_W / 2.0);

    // The ball moves, turns, and bounces off the walls, the paddle and the bricks.
    ballX += speedX * dt;
    ballY += speedY * dt;
    spin += 6 * dt;
    if (ballX < BALL / 2.0 || ballX > WIDTH - BALL / 2.0) {
      speedX = -speedX;
      ballX = std::fmin(std::fmax(ballX, BALL / 2.0), WIDTH - BALL / 2.0);
      playSound(&bounce, 0.5f, ballX < WIDTH / 2 ? -0.7f : 0.7f);
    }
    if (ballY < BALL / 2.0) {
      speedY = std::fabs(speedY);
      playSound(&bounce, 0.5f);
    }
    if (speedY > 0 && ballY + BALL / 2.0 >= PADDLE_Y && ballY < PADDLE_Y + PADDLE_H &&
        std::fabs(ballX - paddleX) < PADDLE_W / 2.0 + BALL / 2.0) {
      // Where it meets the paddle sets the angle it leaves at.
      const double offset = (ballX - paddleX) / (PADDLE_W / 2.0);
      speedX = 320 * offset;
      speedY = -std::fabs(speedY);
      playSound(&bounce, 0.7f, float(offset), 1.5f);
    }
    if (ballY > HEIGHT + BALL) {  // missed: the ball comes back above the paddle
      ballX = paddleX, ballY = PADDLE_Y - 60.0, speedY = -260.0;
      score = score > 50 ? score - 50 : 0;
    }
    const int column = int(std::floor((ballX - WALL_X) / BRICK_W));
    const int row = int(std::floor((ballY - WALL_Y) / BRICK_H));
    if (row >= 0 && row < ROWS && column >= 0 && column < COLUMNS && bricks[row][column]) {
      bricks[row][column] = false;
      speedY = -speedY;
      score += 10 * (ROWS - row);
      // Higher rows blip higher; the pan follows the brick across the screen.
      playSound(&blip[row], 0.8f, float((ballX - WIDTH / 2.0) / (WIDTH / 2.0)));
      bool any = false;
      for (auto& r : bricks)
        for (bool b : r) any = any || b;
      if (!any) buildWall();
    }

    // Draw: a dark background, the bricks tinted row by row, the paddle, the ball, the score.
    setBkColor(RGB(16, 20, 40));
    clearDevice();
    for (int r = 0; r < ROWS; ++r) {
      setSpriteTint(ROW_TINTS[r]);
      for (int c = 0; c < COLUMNS; ++c)
        if (bricks[r][c])
          drawSprite(WALL_X + c * BRICK_W + 2, WALL_Y + r * BRICK_H + 2, &brickSprite);
    }
    setSpriteTint(RGB(200, 220, 255));
    drawSprite(int(paddleX) - PADDLE_W / 2, PADDLE_Y, &paddleSprite);
    setSpriteTint(WHITE);
    drawSpriteRotated(int(ballX), int(ballY), &ballSprite, spin, 1.0, SPRITE_SMOOTH);
    wchar_t text[32];
    std::swprintf(text, 32, L"SCORE %d", score);
    writeTextAt(16, 16, text);
    flushBufferedDrawing();
  }
  closeGraphWindow();
}

// Sprites with soft edges over a patterned background: drawn as they are, flipped, scaled,
// turned, added for light, tinted, half transparent, and a sheet's frames played in turn.
// The sprite sheet is painted pixel by pixel first and saved as sprites.png, as a drawing
// program would have made it; then it is loaded back like any PNG with alpha.
#include <slate/graphics.h>

#include <cmath>

using namespace Slate;

const int kFrame = 64;  // each frame of the sheet is 64 x 64
const int kFrames = 4;  // side by side

// A soft orb whose highlight turns a quarter round from one frame to the next.
void paintSheet(IMAGE* sheet) {
  resizeImage(sheet, kFrame * kFrames, kFrame);
  DWORD* pixels = getImageBuffer(sheet);
  for (int frame = 0; frame < kFrames; ++frame) {
    const double turn = frame * 3.14159265 / 2;
    const double hx = 32 + 14 * std::cos(turn), hy = 32 - 14 * std::sin(turn);
    for (int y = 0; y < kFrame; ++y) {
      for (int x = 0; x < kFrame; ++x) {
        const double d = std::hypot(x - 31.5, y - 31.5) / 30;  // 1 at the rim
        const double light = std::exp(-std::hypot(x - hx, y - hy) / 12);
        const int alpha = d >= 1 ? 0 : static_cast<int>(255 * std::sqrt(1 - d * d));
        const int red = static_cast<int>(60 + 195 * light);
        const int green = static_cast<int>(90 + 140 * light);
        const int blue = 230;
        pixels[y * kFrame * kFrames + frame * kFrame + x] =
            (alpha << 24) | (red << 16) | (green << 8) | blue;
      }
    }
  }
  useImageAlpha(sheet, true);  // the top byte of each pixel is its alpha
}

void drawBackground() {
  setBkColor(RGB(30, 34, 48));
  clearDevice();
  setFillColor(RGB(52, 58, 80));
  for (int y = 0; y < 450; y += 30) {
    for (int x = (y / 30) % 2 * 30; x < 800; x += 60) solidRectangle(x, y, x + 29, y + 29);
  }
  setBkMode(TRANSPARENT);
  setTextColor(WHITE);
  setTextStyle(18, 0, L"Arial");
  const wchar_t* labels[] = {L"as it is", L"flipped", L"scaled", L"turned",
                             L"added",    L"tinted",  L"half",   L"sheet"};
  for (int i = 0; i < 8; ++i) writeTextAt(20 + (i % 4) * 195, i < 4 ? 170 : 400, labels[i]);
}

int main() {
  openGraphWindow(800, 450, 0);
  IMAGE painted;
  paintSheet(&painted);
  saveImageFile(&painted, L"sprites.png");

  IMAGE sheet;
  if (!loadImageFile(&sheet, L"sprites.png", 0, 0, false)) return 1;  // lastError() says why
  IMAGE orb;  // the first frame on its own, for the calls that draw a whole sprite
  orb.resize(kFrame, kFrame);
  setDrawTarget(&orb);
  clearDevice();  // black with alpha 0: wholly transparent
  useImageAlpha(&orb, true);
  drawSpriteRegion(0, 0, kFrame, kFrame, &sheet, 0, 0, kFrame, kFrame);
  setDrawTarget(nullptr);

  beginBufferedDrawing();
  for (int tick = 0;; ++tick) {
    drawBackground();
    // Top row: the orb as it is, flipped both ways, twice its size, turned by 30 degrees.
    drawSprite(40, 60, &orb);
    drawSpriteRegion(215, 60, kFrame, kFrame, &orb, 0, 0, kFrame, kFrame,
                     SPRITE_FLIP_X | SPRITE_FLIP_Y);
    drawSpriteRegion(390, 10, 2 * kFrame, 2 * kFrame, &orb, 0, 0, kFrame, kFrame, SPRITE_SMOOTH);
    drawSpriteRotated(660, 90, &sheet, 0.5236, 0.5, SPRITE_SMOOTH);
    // Bottom row: three orbs added into light, a red tint, half opacity, the sheet playing.
    for (int i = 0; i < 3; ++i) {
      drawSpriteRegion(30 + i * 30, 290, kFrame, kFrame, &orb, 0, 0, kFrame, kFrame, SPRITE_ADD);
    }
    setSpriteTint(RGB(255, 90, 90));
    drawSprite(240, 290, &orb);
    setSpriteTint(WHITE);
    drawSprite(430, 290, &orb, 128);
    const int frame = tick / 30 % kFrames;  // a new frame every half second
    drawSpriteRegion(640, 300, 40, 40, &sheet, frame * kFrame, 0, kFrame, kFrame);
    flushBufferedDrawing();
    waitForNextFrame(60);
  }
}

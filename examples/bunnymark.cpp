// Bunnies with soft edges bouncing around the window, a thousand more with each click, the
// count and frames per second at the top. Every frame is drawn into an image and shown in
// one piece.
//   bunnymark                      the window; click to add bunnies
//   bunnymark --bench N SECONDS    N bunnies for SECONDS with drawSprite, then the same loop
//                                  with GDI's AlphaBlend, printing frames per second of each
#include <slate/graphics.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

using namespace Slate;

const int kWidth = 800, kHeight = 450, kSize = 32;

struct Bunny {
  float x, y, dx, dy;
  COLORREF tint;
};

// A white bunny: a round body, a head and two long ears, its edges fading over a pixel.
void paintBunny(IMAGE* bunny) {
  resizeImage(bunny, kSize, kSize);
  DWORD* pixels = getImageBuffer(bunny);
  struct Blob {
    double x, y, rx, ry;
  } blobs[] = {{16, 22, 10, 9}, {16, 12, 7, 6}, {12, 5, 2.5, 6}, {20, 5, 2.5, 6}};
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      double inside = 0;  // how far inside the nearest blob's edge, in pixels
      for (const Blob& b : blobs) {
        const double d = std::hypot((x + 0.5 - b.x) / b.rx, (y + 0.5 - b.y) / b.ry);
        inside = std::fmax(inside, (1 - d) * std::fmin(b.rx, b.ry) + 0.5);
      }
      const int alpha = static_cast<int>(255 * std::fmin(1.0, inside));
      const int shade = y > 26 ? 200 : 255;  // a shadow under the feet
      pixels[y * kSize + x] = (alpha << 24) | (shade << 16) | (shade << 8) | shade;
    }
  }
  pixels[12 * kSize + 13] = pixels[12 * kSize + 19] = 0xFF202020;  // eyes
  useImageAlpha(bunny, true);
}

void addBunnies(std::vector<Bunny>& bunnies, int count) {
  for (int i = 0; i < count; ++i) {
    const float dx = (std::rand() % 500 - 250) / 60.0f, dy = (std::rand() % 500 - 250) / 60.0f;
    bunnies.push_back(
        {float(kWidth / 2 - kSize / 2), float(kHeight / 3), dx, dy,
         RGB(std::rand() % 190 + 50, std::rand() % 160 + 80, std::rand() % 140 + 100)});
  }
}

void moveBunnies(std::vector<Bunny>& bunnies) {
  for (Bunny& b : bunnies) {
    b.x += b.dx;
    b.y += b.dy;
    if (b.x < 0 || b.x > kWidth - kSize) b.dx = -b.dx;
    if (b.y < 20 || b.y > kHeight - kSize) b.dy = -b.dy;
  }
}

// One frame into `frame`, with drawSprite, or with AlphaBlend from `premultiplied`.
void drawFrame(IMAGE* frame, const IMAGE* bunny, const IMAGE* premultiplied,
               const std::vector<Bunny>& bunnies, double fps) {
  setDrawTarget(frame);
  setBkColor(RGB(245, 245, 245));
  clearDevice();
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  for (const Bunny& b : bunnies) {
    if (premultiplied) {
      AlphaBlend(frame->dc, int(b.x), int(b.y), kSize, kSize, premultiplied->dc, 0, 0, kSize, kSize,
                 blend);
    } else {
      setSpriteTint(b.tint);
      drawSprite(int(b.x), int(b.y), bunny);
    }
  }
  setFillColor(BLACK);
  solidRectangle(0, 0, kWidth - 1, 19);
  wchar_t status[80];
  std::swprintf(status, 80, L"%d bunnies   %.0f fps   %ls   click for more",
                static_cast<int>(bunnies.size()), fps,
                premultiplied ? L"AlphaBlend" : L"drawSprite");
  setBkMode(TRANSPARENT);
  setTextColor(LIGHTGREEN);
  writeTextAt(6, 2, status);
  setDrawTarget(nullptr);
  drawImage(0, 0, frame, SRCCOPY);
  flushBufferedDrawing();
}

// This thread's processor time in seconds: on a busy machine the wall clock also counts
// the time other programs had the processor.
double processorSeconds() {
  FILETIME created, ended, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
  const auto seconds = [](FILETIME t) {
    return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) * 1e-7;
  };
  return seconds(kernel) + seconds(user);
}

struct Rate {
  double fps;           // frames per second of the wall clock
  double processorFps;  // frames per second of this thread's processor time
};

// N bunnies for `seconds`.
Rate bench(IMAGE* frame, const IMAGE* bunny, const IMAGE* premultiplied, int count,
           double seconds) {
  std::srand(1);
  std::vector<Bunny> bunnies;
  addBunnies(bunnies, count);
  const double start = getTime(), startProcessor = processorSeconds();
  int frames = 0;
  while (getTime() - start < seconds && isWindowOpen()) {
    moveBunnies(bunnies);
    drawFrame(frame, bunny, premultiplied, bunnies, 0);
    ++frames;
  }
  return {frames / (getTime() - start), frames / (processorSeconds() - startProcessor)};
}

int main(int argc, char** argv) {
  openGraphWindow(kWidth, kHeight, 0);
  beginBufferedDrawing();
  IMAGE frame(kWidth, kHeight), bunny;
  paintBunny(&bunny);

  if (argc == 4 && std::strcmp(argv[1], "--bench") == 0) {
    const int count = std::atoi(argv[2]);
    const double seconds = std::atof(argv[3]);
    // AlphaBlend takes premultiplied pixels: colour times alpha.
    IMAGE premultiplied(kSize, kSize);
    DWORD* from = getImageBuffer(&bunny);
    DWORD* to = getImageBuffer(&premultiplied);
    for (int i = 0; i < kSize * kSize; ++i) {
      const DWORD a = from[i] >> 24;
      DWORD p = a << 24;
      for (int shift = 0; shift < 24; shift += 8)
        p |= ((from[i] >> shift & 0xFF) * a / 255) << shift;
      to[i] = p;
    }
    const Rate sprites = bench(&frame, &bunny, nullptr, count, seconds);
    const Rate gdi = bench(&frame, &bunny, &premultiplied, count, seconds);
    std::printf(
        "%d bunnies %dx%d in %dx%d, fps (per processor second): drawSprite %.1f (%.1f), "
        "AlphaBlend %.1f (%.1f)\n",
        count, kSize, kSize, kWidth, kHeight, sprites.fps, sprites.processorFps, gdi.fps,
        gdi.processorFps);
    return 0;
  }

  std::vector<Bunny> bunnies;
  addBunnies(bunnies, 100);
  double fps = 0, last = getTime();
  int frames = 0;
  while (isWindowOpen()) {
    MOUSEMSG mouse;
    while (peekMouseMessage(&mouse)) {
      if (mouse.message == WM_LBUTTONDOWN) addBunnies(bunnies, 1000);
    }
    moveBunnies(bunnies);
    drawFrame(&frame, &bunny, nullptr, bunnies, fps);
    if (++frames == 30) {  // the rate over the last 30 frames
      const double now = getTime();
      fps = frames / (now - last);
      last = now;
      frames = 0;
    }
    waitForNextFrame(60);
  }
}

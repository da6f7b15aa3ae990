// Learns why a window of no size does not open, opens a window, draws a red disc and a word through
// Slate's public header, and checks the window's pixels, also after a round trip through a PNG
// file: exits with 0 when the disc is there and the file gave the picture back exactly, 1
// otherwise.
#include <slate/graphics.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr int kSize = 160;
constexpr int kRadius = 40;
constexpr DWORD kRed = 0x00FF0000;  // pixels are 0x00RRGGBB

// A disc of the given radius, centred in a square image of twice the radius.
void drawDisc(Slate::IMAGE& image, int radius) {
  Slate::resizeImage(&image, 2 * radius, 2 * radius);
  DWORD* pixels = Slate::getImageBuffer(&image);
  for (int y = 0; y < 2 * radius; ++y) {
    for (int x = 0; x < 2 * radius; ++x) {
      const int dx = x - radius;
      const int dy = y - radius;
      if (dx * dx + dy * dy < radius * radius) pixels[y * 2 * radius + x] = kRed;
    }
  }
}

}  // namespace

int main() {
  // A window that cannot open says why.
  if (Slate::openGraphWindow(0, kSize, 0) != nullptr ||
      std::wcsstr(Slate::lastError(), L"openGraphWindow: the size 0 x 160") == nullptr) {
    std::puts("no reason for a refused window");
    return 1;
  }
  if (Slate::openGraphWindow(kSize, kSize, 0) == nullptr) {
    std::puts("no window");
    return 1;
  }
  Slate::IMAGE disc;
  drawDisc(disc, kRadius);
  Slate::drawImage(kSize / 2 - kRadius, kSize / 2 - kRadius, &disc, SRCCOPY);
  Slate::setTextColor(RGB(255, 255, 255));
  Slate::writeTextAt(4, 4, L"Slate");

  const DWORD* window = Slate::getImageBuffer(nullptr);
  const DWORD centre = window[(kSize / 2) * kSize + kSize / 2];
  const DWORD corner = window[(kSize - 1) * kSize + kSize - 1];

  std::wstring file(MAX_PATH, L'\0');
  file.resize(GetTempPathW(MAX_PATH, &file[0]));
  file += L"slate-consumer.png";
  Slate::IMAGE reloaded;
  const bool sameAfterPng = Slate::saveImageFile(nullptr, file.c_str()) &&
                            Slate::loadImageFile(&reloaded, file.c_str(), 0, 0, false) &&
                            reloaded.width == kSize && reloaded.height == kSize &&
                            std::equal(window, window + kSize * kSize, reloaded.pixels);
  DeleteFileW(file.c_str());
  Slate::closeGraphWindow();
  std::printf("centre %06lx, corner %06lx, PNG round trip %s\n", static_cast<unsigned long>(centre),
              static_cast<unsigned long>(corner), sameAfterPng ? "exact" : "failed");
  return centre == kRed && corner == 0 && sameAfterPng ? 0 : 1;
}

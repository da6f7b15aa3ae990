#include "support/host.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace SlateTest {

namespace {

std::string hostTempName(const char* suffix) {
  static int counter = 0;
  return "/tmp/slate-test-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++counter) + suffix;
}

// Wine's Z: drive is the host's root.
std::string windowsPath(const std::string& hostPath) {
  return "Z:" + hostPath;
}

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

bool startHostShell(const std::string& script) {
  std::string commandLine = "Z:\\bin\\sh -c " + quoted(script);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA("Z:\\bin\\sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

// Reads a binary PPM (P6, 8 bits) into 0x00RRGGBB pixels.
bool readPpm(const std::string& path, Pixels* out) {
  std::ifstream file(path, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  file >> magic >> out->width >> out->height >> maxValue;
  if (!file || magic != "P6" || maxValue != 255) return false;
  file.get();  // the one whitespace byte before the samples
  std::vector<unsigned char> bytes(static_cast<size_t>(out->width) * out->height * 3);
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!file) return false;
  out->data.resize(bytes.size() / 3);
  for (size_t i = 0; i < out->data.size(); ++i) {
    out->data[i] = (bytes[3 * i] << 16) | (bytes[3 * i + 1] << 8) | bytes[3 * i + 2];
  }
  return true;
}

Pixels cut(const Pixels& from, int left, int top, int width, int height) {
  Pixels block;
  block.width = width;
  block.height = height;
  for (int y = top; y < top + height; ++y) {
    for (int x = left; x < left + width; ++x) {
      const bool inside = x >= 0 && y >= 0 && x < from.width && y < from.height;
      block.data.push_back(inside ? from.at(x, y) : 0xFFFFFFFFu);
    }
  }
  return block;
}

}  // namespace

int Pixels::count(DWORD value) const {
  int n = 0;
  for (DWORD pixel : data) n += pixel == value;
  return n;
}

bool runOnHost(const std::string& command, DWORD timeoutMs) {
  const std::string status = hostTempName(".status");
  if (!startHostShell("(" + command + "); echo $? > " + status + ".part && mv " + status +
                      ".part " + status)) {
    return false;
  }
  int code = -1;
  const std::string path = windowsPath(status);
  waitUntil(
      [&] {
        std::FILE* file = std::fopen(path.c_str(), "r");
        if (!file) return false;
        if (std::fscanf(file, "%d", &code) != 1) code = -1;
        std::fclose(file);
        return true;
      },
      timeoutMs);
  DeleteFileA(path.c_str());
  return code == 0;
}

Pixels readWindow(HWND hwnd, int x, int y, int width, int height) {
  Pixels block;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP surface = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!surface) return block;
  HDC windowDc = GetDC(hwnd);
  HDC memory = CreateCompatibleDC(windowDc);
  HGDIOBJ old = SelectObject(memory, surface);
  BitBlt(memory, 0, 0, width, height, windowDc, x, y, SRCCOPY);
  GdiFlush();
  const DWORD* pixels = static_cast<const DWORD*>(bits);
  block.width = width;
  block.height = height;
  block.data.assign(pixels, pixels + static_cast<size_t>(width) * height);
  for (DWORD& pixel : block.data) pixel &= 0x00FFFFFF;
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(hwnd, windowDc);
  DeleteObject(surface);
  return block;
}

Pixels captureScreen(HWND hwnd, int x, int y, int width, int height) {
  const std::string file = hostTempName(".ppm");
  Pixels screen;
  if (runOnHost("import -window root -depth 8 " + file)) {
    readPpm(windowsPath(file), &screen);
  }
  DeleteFileA(windowsPath(file).c_str());
  const POINT corner = toScreen(hwnd, x, y);
  return cut(screen, corner.x, corner.y, width, height);
}

POINT toScreen(HWND hwnd, int x, int y) {
  POINT point = {x, y};
  ClientToScreen(hwnd, &point);
  return point;
}

}  // namespace SlateTest

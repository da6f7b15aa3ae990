// Helpers for tests that run under Wine on an X display: start host programs (xdotool,
// ImageMagick's import), read a window's pixels back, capture the real screen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace SlateTest {

// Runs `command` with the host's /bin/sh and waits for it, at most timeoutMs. True when it
// exits with status 0. Wine starts host programs but cannot wait for them, so the shell
// leaves its exit status in a file that is polled. Avoid double quotes in `command`.
bool runOnHost(const std::string& command, DWORD timeoutMs = 10000);

// A block of pixels, 0x00RRGGBB, row after row.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<DWORD> data;
  DWORD at(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
  // How many pixels of the block equal `value`.
  int count(DWORD value) const;
};

// The client-area block as the window's own device context holds it (GetDC + BitBlt). It
// sees drawing that Wine has not yet put on the screen.
Pixels readWindow(HWND hwnd, int x, int y, int width, int height);

// The same block of the client area as the X screen shows it (import -window root).
Pixels captureScreen(HWND hwnd, int x, int y, int width, int height);

// The screen position of a client point, for xdotool.
POINT toScreen(HWND hwnd, int x, int y);

// Polls `done` every 10 ms until it is true; false once timeoutMs have passed.
template <class Done>
bool waitUntil(Done done, DWORD timeoutMs = 3000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

}  // namespace SlateTest

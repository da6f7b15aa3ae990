// GraphWnd: the one graph window. It is an IMAGE whose pixels are the window's back buffer,
// and it owns the platform window, the GUI thread that runs its message loop, the console
// handling around it, and the queue of mouse messages.
#pragma once

#include <slate/graphics.h>

#include <cstdio>

#include "mouse_queue.h"

namespace Slate {

// WM_USER + 1: a reader tells the window procedure it is about to wait for a mouse message.
constexpr UINT WM_MOUSE_WAIT = WM_USER + 1;

// Handed from open() to the GUI thread; lives in open()'s frame until the thread signals.
struct WindowStartInfo {
  int x;  // -1: the platform's default position
  int y;
  bool noClose;
  bool noMinimize;
};

class GraphWnd : public IMAGE {
 public:
  GraphWnd();
  ~GraphWnd() override;
  void resetDefaults() override;
  void resize(int width, int height) override;

  HWND open(int width, int height, int flags);
  void close();

  // Blocking read of the oldest mouse record.
  MOUSEMSG nextMouseMessage();

  bool consoleWasPresent = false;
  HANDLE wakeEvent = nullptr;
  Collections::FixedQueue<MOUSEMSG> mouseQueue;
  FILE* consoleOut = nullptr;
  FILE* consoleIn = nullptr;
  HWND hwnd = nullptr;
  HDC clientDc = nullptr;

  // Class-wide state, reached by the GUI thread and the window procedure.
  static GraphWnd* instance;
  static HWND consoleWindow;
  static bool readerWaiting;
};

DWORD WINAPI guiThreadMain(LPVOID info);
LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace Slate

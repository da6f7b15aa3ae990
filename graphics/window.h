// GraphWnd: the one graph window. It is an IMAGE whose pixels are the window's back buffer,
// and it owns the platform window, the GUI thread that runs its message loop, the console
// handling around it, and the queue of mouse messages.
#pragma once

#include <slate/graphics.h>

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "input.h"
#include "keyboard.h"
#include "mouse_queue.h"

namespace Slate {

// WM_USER + 1: a reader tells the window procedure it is about to wait for a mouse message.
constexpr UINT WM_MOUSE_WAIT = WM_USER + 1;
// WM_USER + 3: the GUI thread applies the text-input setting (input_method.cpp).
constexpr UINT WM_APPLY_TEXT_INPUT = WM_USER + 3;
// WM_USER + 4: the console is closing; the GUI thread ends the process as for the user's close.
constexpr UINT WM_END_FOR_CONSOLE = WM_USER + 4;

// Handed from open() to the GUI thread; lives in open()'s frame until the thread signals.
struct WindowStartInfo {
  int x;  // -1: the platform's default position
  int y;
  // Where the console's visible edge stands, when the window takes its place (else null).
  HMONITOR consoleMonitor;
  bool noClose;
  bool noMinimize;
  int clientWidth;  // the back buffer takes this size only once the window exists
  int clientHeight;
};

class GraphWnd : public IMAGE {
 public:
  GraphWnd();
  ~GraphWnd() override;
  void resetDefaults() override;
  void resize(int width, int height) override;

  // Returns null, leaving the object closed, when the window cannot be made; a size no back
  // buffer can take is refused before anything is closed and changes nothing.
  HWND open(int width, int height, int flags);
  // Destroys the window on its own thread, waits for that thread to end and empties the
  // mouse queue.
  void close();

  // Blocking read of the oldest mouse record. With no window open, or when the window
  // closes while the reader waits, a record with message 0 comes back at once.
  MOUSEMSG nextMouseMessage();
  // The same for key records (input.cpp, as the rest of the input below).
  KEYMSG nextKeyMessage();
  // The reader waits until hasInput(wanted), the window closes or timeout ms pass; true for
  // the first.
  bool waitForInput(unsigned wanted, DWORD timeout);
  bool hasInput(unsigned wanted);
  // The same, until hasNews(wanted); then the records queued so far are no news any more.
  bool waitForNews(unsigned wanted, DWORD timeout);
  // A record of a wanted kind is queued that arrived after the last waitForNews returned, or a
  // close request is new.
  bool hasNews(unsigned wanted);
  // Empties both queues and forgets key, mouse and close state; no producer may be running.
  void resetInput();

  bool consoleWasPresent = false;
  HANDLE wakeEvent = nullptr;
  Collections::FixedQueue<MOUSEMSG> mouseQueue;
  Keyboard keyboard;
  MouseState mouseState;
  bool askBeforeClose = false;  // opened with OPEN_CLOSE_REQUEST
  std::atomic<bool> closeRequested{false};
  std::atomic<bool> closeNews{false};  // a close request no wait has ended on yet
  // Records pushed since the window opened (GUI thread), and the counts waitForNews last saw.
  std::atomic<std::uint32_t> mouseArrivals{0};
  std::atomic<std::uint32_t> keyArrivals{0};
  std::uint32_t mouseSeen = 0;
  std::uint32_t keysSeen = 0;
  // The kinds the waiting reader wants: only they wake it.
  std::atomic<unsigned> readerWants{kWantAny};
  // setTextInput's wish, for every window (off by default).
  static std::atomic<bool> textInput;
  // A WM_APPLY_TEXT_INPUT is on its way: one at a time, however often the setting changes.
  static std::atomic<bool> textInputPending;
  FILE* consoleOut = nullptr;
  FILE* consoleIn = nullptr;
  HWND hwnd = nullptr;
  HDC clientDc = nullptr;
  HANDLE guiThread = nullptr;  // the current window's GUI thread, until it has ended
  DWORD guiThreadId = 0;

  // Class-wide state, reached by the GUI thread and the window procedure.
  static GraphWnd* instance;
  static HWND consoleWindow;
  // The console is the program's own: the window may hide it, take its place and close it.
  static bool consoleOwned;
  static bool readerWaiting;
  // A no-op message is on its way to make the latest window drawing show (Wine).
  static std::atomic<bool> presentPending;
  // The reader is blocked waiting for a mouse message.
  static std::atomic<bool> readerParked;

  // Window procedure helpers, on the GUI thread.
  void queueMouseMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void paint(HWND window);
  void destroyForProgram();
  // consoleClosing: the console is closing already and takes nothing more to end the process.
  void closeByUser(bool consoleClosing = false);
  void queueKeyMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void loseFocus();
  // The key state read again from the system: on activation and on getting the focus.
  void refreshKeys();
  void endForConsole();
  // With OPEN_CLOSE_REQUEST the user's close is only noted, and true comes back.
  bool requestClose();
  // Wakes a waiting reader that wants this kind of input.
  void wakeReader(unsigned kind);

 private:
  void prepareConsole(int flags);
  void allocateConsole();
  void freeOwnConsole();
  WindowStartInfo startInfo(int width, int height, int flags) const;
  bool startGuiThread(WindowStartInfo& info);
  bool sleepFor(unsigned wanted, DWORD timeout, bool (GraphWnd::*ready)(unsigned));
  void waitForGuiThread();
  void releaseClientDc();
  void destroyWindow();
};

DWORD WINAPI guiThreadMain(LPVOID info);
LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace Slate

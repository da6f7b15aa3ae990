// A program for window_process_test.sh: what only a whole process shows, with or without a
// console window. It runs one case, named by the first argument, and leaves files in the
// folder named by the second (a Windows path):
//   ready      "x y": the client area's centre on the screen, once input may come
//   result     "ok", or what went wrong
//   destroyed  written by a static destructor that takes the lock, once exit() has run it
//
//   keys                 keys typed into the window reach _getch; Ctrl+C and Ctrl+Break do
//                        not end the process
//   console              the console is hidden at open and shown again at the window's place
//   placement            the window takes the console's place, moved into the work area
//   key-records          keys sent to the window arrive in the console's input buffer
//   show-console         OPEN_SHOW_CONSOLE without a console allocates one and frees it
//   close-drawing        draws in a loop until the user closes the window
//   close-waiting        waits for mouse messages until the user closes the window
//   exit-with-window     returns from main with the window open: static destruction closes it
//   alt-menu             Alt pressed and released alone, then Left: a Left record (file
//                        "left"); then Alt+Space opens the window menu (file "menu")
#include <conio.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "context.h"
#include "window_target.h"

using namespace Slate;

namespace {

std::string folder;

void writeFile(const char* name, const std::string& text) {
  const std::string path = folder + "/" + name;
  const std::string part = path + ".part";
  if (std::FILE* file = std::fopen(part.c_str(), "w")) {
    std::fputs(text.c_str(), file);
    std::fclose(file);
    MoveFileExA(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
}

// Built after the graphics context, so destroyed before it, while the lock still exists.
struct DestructionWitness {
  ~DestructionWitness() {
    if (folder.empty()) return;
    LockGuard guard(graphContext.lock);
    writeFile("destroyed", "yes");
  }
} witness;

std::string failures;

void check(bool ok, const char* what) {
  if (!ok) failures += std::string(what) + "; ";
}

int finish() {
  writeFile("result", failures.empty() ? "ok" : failures);
  return failures.empty() ? 0 : 1;
}

void writeReady(POINT at) {
  writeFile("ready", std::to_string(at.x) + " " + std::to_string(at.y));
}

POINT clientCentre(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  POINT centre = {client.right / 2, client.bottom / 2};
  ClientToScreen(hwnd, &centre);
  return centre;
}

DWORD WINAPI watchdog(LPVOID) {
  Sleep(30000);
  writeFile("result", "watchdog: the case did not end");
  ExitProcess(3);
}

int keys() {
  HWND hwnd = openGraphWindow(400, 300, 0);
  check(hwnd != nullptr, "no window");
  check(GetConsoleWindow() != nullptr, "no console window: start me through wineconsole");
  writeReady(clientCentre(hwnd));
  std::string typed;
  for (int c = 0; c != 'k' && c != -1 && typed.size() < 20;)
    typed += static_cast<char>(c = _getch());
  check(typed.find('k') != std::string::npos, ("no k among the keys read: " + typed).c_str());
  closeGraphWindow();
  return finish();
}

POINT topLeft(HWND hwnd) {
  RECT outer;
  GetWindowRect(hwnd, &outer);
  return {outer.left, outer.top};
}

int console() {
  HWND consoleWindow = GetConsoleWindow();
  check(consoleWindow && IsWindowVisible(consoleWindow), "no visible console window");
  // A console partly off the screen: the window is raised to x = 0.
  SetWindowPos(consoleWindow, nullptr, -8, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  const POINT consoleAt = topLeft(consoleWindow);
  HWND hwnd = openGraphWindow(400, 300, 0);
  check(hwnd != nullptr, "no window");
  check(!IsWindowVisible(consoleWindow), "console still visible while the window is open");
  const POINT windowAt = topLeft(hwnd);
  check(windowAt.x == 0 && windowAt.y == consoleAt.y, "window not at the console's place");
  SetWindowPos(hwnd, nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  closeGraphWindow();
  check(IsWindowVisible(consoleWindow), "console not shown again at close");
  const POINT back = topLeft(consoleWindow);
  check(back.x == 123 && back.y == 77, "console not at the window's last place");

  // With OPEN_SHOW_CONSOLE the console stays where it is, visible.
  check(openGraphWindow(300, 200, OPEN_SHOW_CONSOLE) != nullptr, "no second window");
  check(IsWindowVisible(consoleWindow), "console hidden despite OPEN_SHOW_CONSOLE");
  closeGraphWindow();
  const POINT still = topLeft(consoleWindow);
  check(still.x == 123 && still.y == 77, "console moved despite OPEN_SHOW_CONSOLE");
  return finish();
}

// Wherever the console stands, the window opens inside the monitor's work area, and where the
// console was when that fits.
int placement() {
  HWND consoleWindow = GetConsoleWindow();
  check(consoleWindow != nullptr, "no console window: start me through wineconsole");
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(consoleWindow, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT work = monitor.rcWork;
  const struct {
    POINT console;
    bool fits;  // the window fits where the console is
  } cases[] = {{{40, 30}, true}, {{work.right - 100, work.bottom - 50}, false}};
  for (const auto& c : cases) {
    SetWindowPos(consoleWindow, nullptr, c.console.x, c.console.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const POINT consoleAt = topLeft(consoleWindow);
    HWND hwnd = openGraphWindow(400, 300, 0);
    RECT outer = {};
    GetWindowRect(hwnd, &outer);
    const std::string at = " at " + std::to_string(outer.left) + "," + std::to_string(outer.top);
    check(outer.left >= work.left && outer.top >= work.top && outer.right <= work.right &&
              outer.bottom <= work.bottom,
          ("window outside the work area" + at).c_str());
    check(!c.fits || (outer.left == consoleAt.x && outer.top == consoleAt.y),
          ("window not at the console's place" + at).c_str());
    closeGraphWindow();
  }
  return finish();
}

// Each key the window gets becomes a down and an up record in the console's input buffer,
// with its codes and character; Ctrl+Break is dropped.
int keyRecords() {
  HANDLE input =
      CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  HWND hwnd = openGraphWindow(300, 200, 0);
  check(input != INVALID_HANDLE_VALUE && hwnd != nullptr, "no console input or no window");
  FlushConsoleInputBuffer(input);
  struct Key {
    WORD key, scan;
    bool extended;
    wchar_t character;
  };
  const Key keys[] = {{'K', 0x25, false, L'k'},
                      {VK_CANCEL, 0x46, true, 0},
                      {VK_RETURN, 0x1C, false, L'\r'},
                      {VK_LEFT, 0x4B, true, 0},
                      {'7', 0x08, false, L'7'}};
  for (const Key& k : keys) {
    const LPARAM down = 1 | (k.scan << 16) | (k.extended ? 1 << 24 : 0);
    PostMessageW(hwnd, WM_KEYDOWN, k.key, down);
    PostMessageW(hwnd, WM_KEYUP, k.key, down | 0xC0000000);
  }
  const size_t expected = 8;  // a down and an up for each key but Ctrl+Break
  std::vector<KEY_EVENT_RECORD> got;
  for (int wait = 0; wait < 100 && got.size() < expected; ++wait, Sleep(20)) {
    INPUT_RECORD records[32];
    DWORD count = 0;
    PeekConsoleInputW(input, records, 32, &count);
    got.clear();
    for (DWORD i = 0; i < count; ++i) {
      if (records[i].EventType == KEY_EVENT) got.push_back(records[i].Event.KeyEvent);
    }
  }
  check(got.size() == expected, ("records: " + std::to_string(got.size())).c_str());
  size_t i = 0;
  for (const Key& k : keys) {
    for (BOOL down : {TRUE, FALSE}) {
      if (k.key == VK_CANCEL || i >= got.size()) break;
      const KEY_EVENT_RECORD& g = got[i++];
      check(g.bKeyDown == down && g.wVirtualKeyCode == k.key && g.wVirtualScanCode == k.scan &&
                g.uChar.UnicodeChar == k.character &&
                ((g.dwControlKeyState & ENHANCED_KEY) != 0) == k.extended,
            ("record " + std::to_string(i) + ": key " + std::to_string(g.wVirtualKeyCode)).c_str());
    }
  }
  closeGraphWindow();
  CloseHandle(input);
  return finish();
}

int showConsole() {
  check(GetConsoleWindow() == nullptr, "a console already: start me with plain wine");
  check(openGraphWindow(300, 200, OPEN_SHOW_CONSOLE) != nullptr, "no window");
  check(GetConsoleWindow() != nullptr, "no console allocated");
  check(GraphWnd::consoleWindow == GetConsoleWindow(), "console window not kept");
  check(graphContext.window.consoleOut != nullptr && graphContext.window.consoleIn != nullptr,
        "streams not reopened");
  check(std::printf("on the console\n") > 0, "stdout does not write to the console");
  closeGraphWindow();
  check(GetConsoleWindow() == nullptr, "console not freed at close");
  check(GraphWnd::consoleWindow == nullptr, "console window still kept");
  return finish();
}

[[noreturn]] void closeDrawing() {
  HWND hwnd = openGraphWindow(400, 300, 0);
  writeReady(clientCentre(hwnd));
  HBRUSH brushes[] = {CreateSolidBrush(RGB(255, 0, 0)), CreateSolidBrush(RGB(0, 0, 255))};
  for (unsigned frame = 0;; ++frame) {
    const RECT block = {0, 0, 400, 300};
    drawMirrored([&](HDC dc) { FillRect(dc, &block, brushes[frame % 2]); });
  }
}

[[noreturn]] void closeWaiting() {
  HWND hwnd = openGraphWindow(400, 300, 0);
  writeReady(clientCentre(hwnd));
  for (;;) {
    const MOUSEMSG m = getMouseMessage();
    drawMirrored([&](HDC dc) { SetPixelV(dc, m.x & 0xFF, m.y & 0xFF, RGB(255, 255, 255)); });
  }
}

// Reads key records for up to `seconds`; true once a down of `key` came.
bool keyCame(WPARAM key, double seconds) {
  const double until = getTime() + seconds;
  while (getTime() < until) {
    waitForInput(100, WAIT_FOR_KEYS);
    KEYMSG k;
    while (peekKeyMessage(&k)) {
      if (k.message == WM_KEYDOWN && k.key == key) return true;
    }
  }
  return false;
}

bool inWindowMenu(double seconds) {
  const double until = getTime() + seconds;
  for (; getTime() < until; Sleep(20)) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(graphContext.window.guiThreadId, &info) &&
        (info.flags & (GUI_INMENUMODE | GUI_SYSTEMMENUMODE | GUI_POPUPMENUMODE))) {
      return true;
    }
  }
  return false;
}

int altMenu() {
  HWND hwnd = openGraphWindow(300, 200, 0);
  check(hwnd != nullptr, "no window");
  writeReady(clientCentre(hwnd));
  check(keyCame(VK_LEFT, 10), "no Left record after Alt alone: the menu took it");
  writeFile("left", "yes");
  check(inWindowMenu(10), "Alt+Space opened no window menu");
  writeFile("menu", "yes");
  check(keyCame(VK_ESCAPE, 3) || !inWindowMenu(0.1), "the menu stayed open after Escape");
  closeGraphWindow();
  return finish();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  folder = argv[2];
  CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr);
  const std::string name = argv[1];
  if (name == "keys") return keys();
  if (name == "console") return console();
  if (name == "show-console") return showConsole();
  if (name == "placement") return placement();
  if (name == "key-records") return keyRecords();
  if (name == "close-drawing") closeDrawing();
  if (name == "close-waiting") closeWaiting();
  if (name == "alt-menu") return altMenu();
  if (name == "exit-with-window") return openGraphWindow(300, 200, 0) ? 0 : 1;
  return 2;
}

// GraphWnd: opening and closing the window, the GUI thread and its window procedure, the
// console around the window, and both ends of the mouse queue.
#include "console.h"
#include "context.h"
#include "errors.h"
#include "platform_keys.h"
#include "surface.h"
#include "work_area.h"

#include <dwmapi.h>

#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace Slate {

GraphWnd* GraphWnd::instance = nullptr;
HWND GraphWnd::consoleWindow = nullptr;
bool GraphWnd::consoleOwned = false;
bool GraphWnd::readerWaiting = false;
std::atomic<bool> GraphWnd::presentPending{false};
std::atomic<bool> GraphWnd::readerParked{false};
std::atomic<bool> GraphWnd::textInput{false};
std::atomic<bool> GraphWnd::textInputPending{false};

namespace {

const wchar_t kClassName[] = L"SlateWnd";
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // 0x00CA0000

// Sent by close() from any other thread: Win32 lets only the owning thread destroy a
// window, so the GUI thread does it and then leaves its loop.
constexpr UINT WM_CLOSE_FOR_PROGRAM = WM_USER + 2;

// After the user's close: how long the console's close may take to end the process, and
// how long the game thread gets to reach the lock or its mouse wait before exit(0).
constexpr DWORD kConsoleEndWait = 1000;
constexpr DWORD kGameThreadParkWait = 500;

// The program's own file, always terminated.
void programPath(wchar_t (&path)[260]) {
  const DWORD length = GetModuleFileNameW(nullptr, path, 260);
  path[length < 260 ? length : 259] = L'\0';
}

// The file name without directory and extension; cuts `path` in place.
const wchar_t* titleFrom(wchar_t* path) {
  wchar_t* name = path;
  for (wchar_t* p = path; *p; ++p) {
    if (*p == L'\\' || *p == L'/') name = p + 1;
  }
  if (wchar_t* dot = std::wcsrchr(name, L'.')) *dot = L'\0';
  return name;
}

HICON programIcon(HINSTANCE module, const wchar_t* path) {
  HICON icon = ExtractIconW(module, path, 0);
  // 1 means the file is not a program at all; either way there is no icon.
  return icon == reinterpret_cast<HICON>(1) ? nullptr : icon;
}

void registerWindowClass(HINSTANCE module, HICON icon, bool noClose) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_DBLCLKS | (noClose ? CS_NOCLOSE : 0);
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = module;
  windowClass.hIcon = icon;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kClassName;
  RegisterClassExW(&windowClass);  // a class left from an earlier opening serves as well
}

// The rectangle a window shows: without the invisible resizing borders that GetWindowRect
// counts since Windows 10 (DWMWA_EXTENDED_FRAME_BOUNDS); the outer one where DWM says nothing.
bool visibleRect(HWND window, RECT& rect) {
  if (SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &rect, sizeof rect))) {
    return true;
  }
  return GetWindowRect(window, &rect) != 0;
}

// Moves a new, still hidden window so that its visible edge stands at the console's, inside
// the work area of the console's monitor.
void placeAtConsole(HWND window, const WindowStartInfo& info) {
  RECT outer, shown;
  if (!GetWindowRect(window, &outer) || !visibleRect(window, shown)) return;
  const POINT border = {shown.left - outer.left, shown.top - outer.top};
  const SIZE size = {outer.right - outer.left, outer.bottom - outer.top};
  const POINT at =
      insideWorkArea({info.x - border.x, info.y - border.y}, size, info.consoleMonitor);
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND createWindow(HINSTANCE module, const WindowStartInfo& info, const wchar_t* title) {
  const DWORD style = info.noMinimize ? kStyle & ~WS_MINIMIZEBOX : kStyle;
  RECT outer = {0, 0, info.clientWidth, info.clientHeight};
  AdjustWindowRectEx(&outer, style, FALSE, 0);
  const SIZE size = {outer.right - outer.left, outer.bottom - outer.top};
  POINT at = {CW_USEDEFAULT, CW_USEDEFAULT};
  if (info.consoleMonitor) at = insideWorkArea({info.x, info.y}, size, info.consoleMonitor);
  HWND window = CreateWindowExW(0, kClassName, title, style, at.x, at.y, size.cx, size.cy, nullptr,
                                nullptr, module, nullptr);
  if (window && info.consoleMonitor) placeAtConsole(window, info);
  return window;
}

void runMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

MOUSEMSG mouseRecord(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const WORD keys = LOWORD(wParam);
  MOUSEMSG record = {};
  record.message = message;
  record.ctrlDown = (keys & MK_CONTROL) != 0;
  record.shiftDown = (keys & MK_SHIFT) != 0;
  record.leftDown = (keys & MK_LBUTTON) != 0;
  record.middleDown = (keys & MK_MBUTTON) != 0;
  record.rightDown = (keys & MK_RBUTTON) != 0;
  record.wheelDelta = static_cast<std::int16_t>(HIWORD(wParam));
  POINT at = {static_cast<std::int16_t>(LOWORD(lParam)), static_cast<std::int16_t>(HIWORD(lParam))};
  if (message == WM_MOUSEWHEEL) ScreenToClient(hwnd, &at);  // wheel positions are on the screen
  record.x = static_cast<std::int16_t>(at.x);
  record.y = static_cast<std::int16_t>(at.y);
  return record;
}

// Selects stock objects into windowDc and deletes the pen, brush and font it held, except
// those the back buffer still holds (its own reset or release deletes them).
void dropWindowDcObjects(HDC windowDc, HDC backDc) {
  const struct {
    UINT type;
    int stock;
  } kinds[] = {{OBJ_PEN, WHITE_PEN}, {OBJ_BRUSH, BLACK_BRUSH}, {OBJ_FONT, SYSTEM_FONT}};
  for (const auto& kind : kinds) {
    HGDIOBJ old = SelectObject(windowDc, GetStockObject(kind.stock));
    if (old && old != GetCurrentObject(backDc, kind.type)) DeleteObject(old);
  }
}

// Waits until the game thread blocks in its mouse wait, or gives it a short while to block
// on the lock, which the caller holds.
void letGameThreadPark() {
  for (DWORD waited = 0; waited < kGameThreadParkWait && !GraphWnd::readerParked; waited += 10) {
    Sleep(10);
  }
}

// The user closed the window: the process ends. The caller holds the lock and keeps it, so
// the game thread finishes its current window drawing and then stops at its next one; the
// static destructors that exit() runs on this thread re-enter the lock freely.
[[noreturn]] void endProcessAfterUserClose(bool consoleClosing) {
  // Only a console of our own: closing a shared one would end the shell that started us.
  HWND console = GraphWnd::consoleWindow;
  if (console && GraphWnd::consoleOwned && !consoleClosing) {
    SendMessageW(console, WM_CLOSE, 0, 0);  // the console takes the process with it
    Sleep(kConsoleEndWait);
  }
  letGameThreadPark();
  std::exit(0);
}

// Closing the program's own console window sends CTRL_CLOSE_EVENT to this handler, on a
// thread of its own. The default handler would end the process with ExitProcess and status
// STATUS_CONTROL_C_EXIT, running no clean-up; this one ends it as the user's close of the
// window does, with status 0. The system waits for it a few seconds (HandlerRoutine
// documentation), more than the close takes. Every other event keeps its default handling.
BOOL WINAPI consoleControl(DWORD event) {
  if (event != CTRL_CLOSE_EVENT) return FALSE;
  HWND window = GraphWnd::instance ? GraphWnd::instance->hwnd : nullptr;
  // The GUI thread ends the process and this call never returns; without a window, or when
  // it has just closed, the process ends here.
  if (window)
    SendMessageTimeoutW(window, WM_END_FOR_CONSOLE, 0, 0, SMTO_ABORTIFHUNG, 3000, nullptr);
  std::exit(0);
}

// True when a back buffer of this size can be made now. Checked before the open window is
// closed, so that a refused size leaves that window, its back buffer and its state alone.
bool backBufferFits(int width, int height) {
  DWORD* bits = nullptr;
  HBITMAP surface = createPixelSurface(width, height, &bits);
  if (!surface) return false;
  DeleteObject(surface);
  return true;
}

HWND reportOpenFailure(const wchar_t* reason) {
  reportError(L"openGraphWindow", reason);
  return nullptr;
}

// Checked before the open window is closed, so that a refused size leaves it alone.
bool windowSizeUsable(int width, int height) {
  if (width <= 0 || height <= 0) {
    return reportErrorf(L"openGraphWindow", L"the size %d x %d is not above 0", width, height);
  }
  if (!backBufferFits(width, height)) {
    return reportErrorf(L"openGraphWindow", L"no back buffer of %d x %d pixels can be made", width,
                        height);
  }
  return true;
}

}  // namespace

GraphWnd::GraphWnd() : IMAGE(0, 0) {
  wakeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  instance = this;
}

GraphWnd::~GraphWnd() {
  close();
  if (wakeEvent) CloseHandle(wakeEvent);
}

void GraphWnd::resetDefaults() {
  // The GUI thread reads the transform while it paints.
  LockGuard guard(graphContext.lock);
  if (clientDc) dropWindowDcObjects(clientDc, dc);
  IMAGE::resetDefaults();
  if (clientDc) applyDefaultDcState(clientDc, bkColor, transform);
}

void GraphWnd::resize(int newWidth, int newHeight) {
  {
    LockGuard guard(graphContext.lock);
    IMAGE::resize(newWidth, newHeight);
  }
  HWND window = hwnd;
  // No window, or a refused size: the window stays as it is.
  if (!window || width != newWidth || height != newHeight) return;
  RECT old;
  GetWindowRect(window, &old);
  SetWindowPos(window, nullptr, 0, 0, newWidth, newHeight, SWP_NOMOVE | SWP_NOZORDER);
  if (newWidth > old.right - old.left + 1 || newHeight > old.bottom - old.top + 1) {
    flushBufferedDrawing();
  }
}

HWND GraphWnd::open(int newWidth, int newHeight, int flags) {
  if (!windowSizeUsable(newWidth, newHeight)) return nullptr;
  close();
  askBeforeClose = (flags & OPEN_CLOSE_REQUEST) != 0;
  prepareConsole(flags);
  WindowStartInfo info = startInfo(newWidth, newHeight, flags);
  if (!startGuiThread(info) || !hwnd) {
    waitForGuiThread();
    if (!consoleWasPresent && consoleWindow) freeOwnConsole();
    return nullptr;
  }
  {
    LockGuard guard(graphContext.lock);
    IMAGE::resize(newWidth, newHeight);
  }
  if (!clientDc || width != newWidth || height != newHeight) {
    close();  // the memory went meanwhile: no back buffer of that size, no window either
    return reportOpenFailure(L"the window's back buffer could not be made");
  }
  setDrawTarget(nullptr);
  return hwnd;
}

void GraphWnd::prepareConsole(int flags) {
  consoleWindow = GetConsoleWindow();
  consoleWasPresent = consoleWindow != nullptr;
  consoleOwned = consoleIsOwn(consoleWindow);
  if (!consoleWasPresent && (flags & OPEN_SHOW_CONSOLE)) allocateConsole();
  if (consoleWindow) {
    SetConsoleCtrlHandler(nullptr, TRUE);  // Ctrl+C no longer ends us
    static bool handlerAdded = false;      // once: handlers pile up with every opening
    if (!handlerAdded) handlerAdded = SetConsoleCtrlHandler(consoleControl, TRUE) != 0;
  }
}

void GraphWnd::allocateConsole() {
  // A console without a window (a program started without one, or headless under Wine)
  // refuses a second console; it is let go for one that shows.
  if (!AllocConsole() && !(FreeConsole() && AllocConsole())) return;
  _wfreopen_s(&consoleOut, L"CONOUT$", L"w+t", stdout);
  _wfreopen_s(&consoleIn, L"CONIN$", L"r+t", stdin);
  consoleWindow = GetConsoleWindow();
  consoleOwned = consoleWindow != nullptr;
}

void GraphWnd::freeOwnConsole() {
  if (consoleOut) std::fclose(consoleOut);
  if (consoleIn) std::fclose(consoleIn);
  consoleOut = nullptr;
  consoleIn = nullptr;
  FreeConsole();
  consoleWindow = nullptr;
}

WindowStartInfo GraphWnd::startInfo(int newWidth, int newHeight, int flags) const {
  WindowStartInfo info = {
      -1,       -1,       nullptr, (flags & OPEN_NO_CLOSE) != 0, (flags & OPEN_NO_MINIMIZE) != 0,
      newWidth, newHeight};
  RECT place;
  // Coordinates left of or above the primary monitor are negative and stay so; a minimised
  // console stands at -32000 and gives no place at all.
  if (consoleWasPresent && consoleOwned && !(flags & OPEN_SHOW_CONSOLE) &&
      !IsIconic(consoleWindow) && visibleRect(consoleWindow, place)) {
    info.x = place.left;
    info.y = place.top;
    info.consoleMonitor = MonitorFromWindow(consoleWindow, MONITOR_DEFAULTTONEAREST);
  }
  return info;
}

// Starts the GUI thread and waits until it has made the window (or failed to).
bool GraphWnd::startGuiThread(WindowStartInfo& info) {
  waitForGuiThread();  // a thread whose window was closed on that thread itself
  // A mouse wake nobody consumed must not pass for the new window's signal, nor an old
  // window's records for the new window's.
  ResetEvent(wakeEvent);
  resetInput();
  readerWaiting = false;
  presentPending = false;
  guiThread = CreateThread(nullptr, 0, guiThreadMain, &info, 0, &guiThreadId);
  if (!guiThread) return reportOpenFailure(L"the window's thread could not start");
  HANDLE signals[] = {wakeEvent, guiThread};
  WaitForMultipleObjects(2, signals, FALSE, INFINITE);
  if (!hwnd) reportOpenFailure(L"the platform made no window (is there a display?)");
  return true;
}

// Until the thread has ended: it still unregisters the window class and touches this
// object's handles, so a new window must not start beside it. It always ends once its window
// is destroyed, except when it is ending the process after the user's close, and then the
// process goes with it.
void GraphWnd::waitForGuiThread() {
  if (!guiThread) return;
  WaitForSingleObject(guiThread, INFINITE);
  CloseHandle(guiThread);
  guiThread = nullptr;
  guiThreadId = 0;
}

void GraphWnd::close() {
  HWND window = hwnd;
  if (!window) return;
  if (GetCurrentThreadId() == guiThreadId) {
    destroyForProgram();
    return;
  }
  PostMessageW(window, WM_CLOSE_FOR_PROGRAM, 0, 0);
  waitForGuiThread();
  resetInput();  // no producer is left; records do not outlive their window
}

void GraphWnd::releaseClientDc() {
  dropWindowDcObjects(clientDc, dc);
  ReleaseDC(hwnd, clientDc);
  clientDc = nullptr;
  graphContext.windowDc = nullptr;
}

// The close steps proper, on the GUI thread; the caller has released the client DC.
void GraphWnd::destroyWindow() {
  HWND window = hwnd;
  RECT last;
  bool restoreConsole = false;
  if (!consoleWasPresent) {
    if (consoleWindow) freeOwnConsole();
  } else if (consoleOwned && consoleWindow && !IsWindowVisible(consoleWindow)) {
    restoreConsole = GetWindowRect(window, &last) != 0;
  }
  hwnd = nullptr;  // before the destruction, so nothing closes it twice
  ShowWindow(window, SW_HIDE);
  DestroyWindow(window);
  if (consoleWasPresent && !consoleOwned) takeBackUnreadKeys();  // no key comes any more
  if (restoreConsole) {
    SetWindowPos(consoleWindow, HWND_TOP, last.left, last.top, -1, -1, SWP_NOSIZE);
    ShowWindow(consoleWindow, SW_SHOW);
  }
}

void GraphWnd::destroyForProgram() {
  if (!hwnd) return;
  {
    LockGuard guard(graphContext.lock);
    releaseClientDc();
  }
  destroyWindow();
  SetEvent(wakeEvent);  // a reader waiting on another thread gets its empty record
}

void GraphWnd::closeByUser(bool consoleClosing) {
  if (!hwnd) return;
  graphContext.lock.enter();  // never left: see endProcessAfterUserClose
  releaseClientDc();
  if (consoleWasPresent && !consoleOwned) takeBackUnreadKeys();  // the shell's, after us
  if (!consoleWasPresent && consoleWindow) freeOwnConsole();
  // The window goes with the process. Hiding it first would only delay the end: without a
  // window manager, Wine waits 2 s for every window it unmaps.
  hwnd = nullptr;
  endProcessAfterUserClose(consoleClosing);
}

void GraphWnd::endForConsole() {
  closeByUser(true);
}

void GraphWnd::paint(HWND window) {
  LockGuard guard(graphContext.lock);
  PAINTSTRUCT ps;
  HDC paintDc = BeginPaint(window, &ps);
  const XFORM& identity = graphContext.identityTransform;
  SetWorldTransform(paintDc, &identity);
  SetWorldTransform(dc, &identity);
  BitBlt(paintDc, 0, 0, width, height, dc, 0, 0, SRCCOPY);
  SetWorldTransform(paintDc, &transform);
  SetWorldTransform(dc, &transform);
  EndPaint(window, &ps);
}

void GraphWnd::queueMouseMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const MOUSEMSG record = mouseRecord(window, message, wParam, lParam);
  mouseState.update(record);
  mouseQueue.push(record);  // dropped when the queue is full
  mouseArrivals.fetch_add(1, std::memory_order_release);
  wakeReader(kWantMouse);
}

MOUSEMSG GraphWnd::nextMouseMessage() {
  // A key record wakes the reader too; it waits again. A close request ends the read.
  while (hwnd && mouseQueue.isEmpty()) {
    if (waitForInput(kWantMouse | kWantClose, INFINITE) && mouseQueue.isEmpty()) break;
  }
  if (!hwnd || mouseQueue.isEmpty()) return MOUSEMSG{};  // no window, it closed, or a request
  const MOUSEMSG record = mouseQueue.front();
  mouseQueue.pop();
  return record;
}

DWORD WINAPI guiThreadMain(LPVOID param) {
  const WindowStartInfo info = *static_cast<WindowStartInfo*>(param);
  GraphWnd& window = *GraphWnd::instance;
  HINSTANCE module = GetModuleHandleW(nullptr);
  wchar_t path[260];
  programPath(path);
  HICON icon = programIcon(module, path);
  registerWindowClass(module, icon, info.noClose);
  HWND hwnd = createWindow(module, info, titleFrom(path));
  window.hwnd = hwnd;
  // ReleaseDC must run on the thread that called GetDC, and the release is on this thread.
  if (hwnd) window.clientDc = GetDC(hwnd);
  if (hwnd) {
    applyTextInput(hwnd, GraphWnd::textInput);
    if (info.consoleMonitor) ShowWindow(GraphWnd::consoleWindow, SW_HIDE);  // takes its place
    ShowWindow(hwnd, SW_SHOW);
  }
  SetEvent(window.wakeEvent);  // open() goes on; `param` is gone from here on
  if (hwnd) runMessageLoop();
  UnregisterClassW(kClassName, module);
  if (icon) DestroyIcon(icon);  // only once no class uses it
  return 0;
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  GraphWnd& window = *GraphWnd::instance;
  if (message >= WM_MOUSEMOVE && message <= WM_MOUSEWHEEL) {
    window.queueMouseMessage(hwnd, message, wParam, lParam);
    return 0;
  }
  LRESULT result = 0;
  if (keepKeysFromMenu(message, wParam, lParam, result)) return result;
  if (message >= WM_KEYDOWN && message <= WM_SYSKEYUP && message != WM_CHAR &&
      message != WM_DEADCHAR) {
    wParam = realVirtualKey(hwnd, wParam);
  }
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      window.paint(hwnd);
      return 0;
    case WM_CLOSE:  // caption button, window menu, Alt+F4: only the user closes this way
      if (window.requestClose()) return 0;
      window.closeByUser();
      return 0;
    case WM_CLOSE_FOR_PROGRAM:
      window.destroyForProgram();
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      window.queueKeyMessage(message, wParam, lParam);
      passKeyToConsole(message, wParam, lParam);
      return 0;
    case WM_SYSKEYDOWN:  // Alt combinations and F10: noted, and still the platform's
    case WM_SYSKEYUP:    // (Alt+F4, the window menu)
    case WM_CHAR:
      window.queueKeyMessage(message, wParam, lParam);
      return message == WM_CHAR ? 0 : DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_KILLFOCUS:
    case WM_ACTIVATEAPP:  // wParam FALSE: another program's window is activated
      if (message == WM_KILLFOCUS || !wParam) window.loseFocus();
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SETFOCUS:
    case WM_ACTIVATE:  // the releases that went to another desktop are seen only now
      if (message == WM_SETFOCUS || LOWORD(wParam) != WA_INACTIVE) window.refreshKeys();
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_APPLY_TEXT_INPUT:
      GraphWnd::textInputPending = false;  // a change after this posts again
      applyTextInput(hwnd, GraphWnd::textInput);
      return 0;
    case WM_END_FOR_CONSOLE:
      window.endForConsole();
      return 0;
    case WM_MOUSE_WAIT:
      GraphWnd::readerWaiting = true;
      return 0;
    case WM_NULL:
      GraphWnd::presentPending = false;  // Wine shows the drawing once this thread waits
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace Slate

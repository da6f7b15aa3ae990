// The start-up benchmark's floor: the least a program linked like the game can do before
// its window shows pixels. It loads the same system DLLs as the game, carries its manifest,
// and shows a 900 x 600 client area of the game's window style painted in one colour;
// bench/game/run times it beside the game. It closes itself a second after it first painted,
// or when its window is closed.
//
// With SLATE_FLOOR_CONSOLE=1 in its environment it is the floor of a console program whose
// window takes its console's place, as the game's does: the window is made at once, but shown
// only where the console stood, once the console has answered and been hidden. Under Wine the
// console host that the program's own start launches answers 100-200 ms after main() begins.
#include <windows.h>
#include <mmsystem.h>
#include <olectl.h>
#include <shellapi.h>

namespace {

constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kShowFor = 1000;  // ms

// One function of every DLL the game imports, so the loader maps the same set.
const void* const volatile kGameImports[] = {
    reinterpret_cast<const void*>(&OleLoadPicture),
    reinterpret_cast<const void*>(&CoInitializeEx),
    reinterpret_cast<const void*>(&ExtractIconW),
    reinterpret_cast<const void*>(&PlaySoundW),
};

LRESULT CALLBACK floorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      HBRUSH brush = CreateSolidBrush(RGB(0x33, 0x66, 0x99));
      FillRect(dc, &paint.rcPaint, brush);
      DeleteObject(brush);
      EndPaint(hwnd, &paint);
      SetTimer(hwnd, kCloseTimer, kShowFor, nullptr);
      return 0;
    }
    case WM_TIMER:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void takeConsolePlace(HWND hwnd) {
  HWND console = GetConsoleWindow();
  RECT place;
  if (!console || !GetWindowRect(console, &place)) return;
  SetWindowPos(hwnd, nullptr, place.left < 0 ? 0 : place.left, place.top < 0 ? 0 : place.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(console, SW_HIDE);
}

}  // namespace

int main() {
  (void)kGameImports[0];
  const HINSTANCE module = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = floorProc;
  windowClass.hInstance = module;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = L"SlidePuzzleFloor";
  RegisterClassExW(&windowClass);

  const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // the game's
  RECT outer = {0, 0, 900, 600};
  AdjustWindowRectEx(&outer, style, FALSE, 0);
  HWND hwnd = CreateWindowExW(0, L"SlidePuzzleFloor", L"SlidePuzzleFloor", style, CW_USEDEFAULT,
                              CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                              nullptr, nullptr, module, nullptr);
  if (!hwnd) return 1;
  if (GetEnvironmentVariableW(L"SLATE_FLOOR_CONSOLE", nullptr, 0) != 0) takeConsolePlace(hwnd);
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

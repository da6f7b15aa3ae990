// The console around the graph window: telling our own console from one we share or that a
// terminal hosts, and keys written into its input buffer.
#include "console.h"

namespace Slate {

namespace {

// The console's input buffer, even when standard input is redirected.
HANDLE openConsoleInput() {
  return CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, 0, nullptr);
}

bool isDown(int key) {
  return (GetKeyState(key) & 0x8000) != 0;
}

bool isToggled(int key) {
  return (GetKeyState(key) & 1) != 0;
}

// The modifier flags of a console key event, from the GUI thread's keyboard state.
DWORD controlKeyState(LPARAM lParam) {
  DWORD state = 0;
  if (isDown(VK_LSHIFT) || isDown(VK_RSHIFT) || isDown(VK_SHIFT)) state |= SHIFT_PRESSED;
  if (isDown(VK_LCONTROL)) state |= LEFT_CTRL_PRESSED;
  if (isDown(VK_RCONTROL)) state |= RIGHT_CTRL_PRESSED;
  if (!(state & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) && isDown(VK_CONTROL)) {
    state |= LEFT_CTRL_PRESSED;
  }
  if (isDown(VK_LMENU)) state |= LEFT_ALT_PRESSED;
  if (isDown(VK_RMENU)) state |= RIGHT_ALT_PRESSED;
  if (isToggled(VK_CAPITAL)) state |= CAPSLOCK_ON;
  if (isToggled(VK_NUMLOCK)) state |= NUMLOCK_ON;
  if (isToggled(VK_SCROLL)) state |= SCROLLLOCK_ON;
  if (lParam & (1 << 24)) state |= ENHANCED_KEY;
  return state;
}

// The one UTF-16 unit the key makes with the current modifiers, or 0 (arrows, function
// keys, dead keys and keys that make more than one unit).
wchar_t keyCharacter(UINT virtualKey, UINT scanCode) {
  BYTE keyboard[256];
  if (!GetKeyboardState(keyboard)) return 0;
  wchar_t made[4] = {};
  // Flag 4 leaves the keyboard's dead-key state alone (Windows 10 1607 on; ignored before).
  const int count = ToUnicode(virtualKey, scanCode, keyboard, made, 4, 4);
  return count == 1 ? made[0] : 0;
}

}  // namespace

bool consoleIsOwn(HWND consoleWindow) {
  if (consoleWindow == nullptr) return false;
  // The call returns the number attached, whether or not the list holds them all.
  DWORD processes[2];
  if (GetConsoleProcessList(processes, 2) > 1) return false;
  RECT area;
  return GetWindowRect(consoleWindow, &area) && area.right > area.left && area.bottom > area.top;
}

bool keyInputRecord(UINT message, WPARAM wParam, LPARAM lParam, INPUT_RECORD& record) {
  if (message != WM_KEYDOWN && message != WM_KEYUP) return false;
  if (wParam == VK_CANCEL) return false;  // Ctrl+Break would signal the whole console
  const UINT virtualKey = static_cast<UINT>(wParam & 0xFF);
  const UINT scanCode = static_cast<UINT>((lParam >> 16) & 0xFF);
  const WORD repeat = LOWORD(lParam);
  record = {};
  record.EventType = KEY_EVENT;
  KEY_EVENT_RECORD& key = record.Event.KeyEvent;
  key.bKeyDown = message == WM_KEYDOWN;
  key.wRepeatCount = repeat == 0 ? 1 : repeat;
  key.wVirtualKeyCode = static_cast<WORD>(virtualKey);
  key.wVirtualScanCode = static_cast<WORD>(scanCode);
  key.uChar.UnicodeChar = keyCharacter(virtualKey, scanCode);
  key.dwControlKeyState = controlKeyState(lParam);
  return true;
}

void passKeyToConsole(UINT message, WPARAM wParam, LPARAM lParam) {
  INPUT_RECORD record;
  if (!keyInputRecord(message, wParam, lParam, record)) return;
  HANDLE input = openConsoleInput();
  if (input == INVALID_HANDLE_VALUE) return;  // no console: the key is dropped
  DWORD written = 0;
  WriteConsoleInputW(input, &record, 1, &written);
  CloseHandle(input);
}

}  // namespace Slate

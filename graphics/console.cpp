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

// The distinct key records written so far, for takeBackUnreadKeys: a few hundred at most,
// as each key gives a down and an up in a handful of modifier states. Past the room, the
// oldest kinds are forgotten and may stay behind.
constexpr int kWrittenRoom = 512;
KEY_EVENT_RECORD written[kWrittenRoom];
int writtenCount = 0;
int writtenNext = 0;  // the slot the next new kind takes once the room is full

bool sameKey(const KEY_EVENT_RECORD& a, const KEY_EVENT_RECORD& b) {
  return a.bKeyDown == b.bKeyDown && a.wRepeatCount == b.wRepeatCount &&
         a.wVirtualKeyCode == b.wVirtualKeyCode && a.wVirtualScanCode == b.wVirtualScanCode &&
         a.uChar.UnicodeChar == b.uChar.UnicodeChar && a.dwControlKeyState == b.dwControlKeyState;
}

bool wasWritten(const INPUT_RECORD& record) {
  if (record.EventType != KEY_EVENT) return false;
  for (int i = 0; i < writtenCount; ++i) {
    if (sameKey(written[i], record.Event.KeyEvent)) return true;
  }
  return false;
}

void noteWritten(const INPUT_RECORD& record) {
  if (wasWritten(record)) return;
  if (writtenCount < kWrittenRoom) {
    written[writtenCount++] = record.Event.KeyEvent;
  } else {
    written[writtenNext] = record.Event.KeyEvent;
    writtenNext = (writtenNext + 1) % kWrittenRoom;
  }
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
  DWORD count = 0;
  if (WriteConsoleInputW(input, &record, 1, &count) && count == 1) noteWritten(record);
  CloseHandle(input);
}

void takeBackUnreadKeys() {
  if (writtenCount == 0) return;
  HANDLE input = openConsoleInput();
  if (input == INVALID_HANDLE_VALUE) return;
  // Read in batches until the buffer is empty (a read of an empty buffer would block), then
  // the records that are not ours go back in their order.
  constexpr DWORD kBatch = 256;
  static INPUT_RECORD kept[4096];
  DWORD keptCount = 0, pending = 0;
  INPUT_RECORD batch[kBatch];
  while (GetNumberOfConsoleInputEvents(input, &pending) && pending > 0) {
    DWORD got = 0;
    if (!ReadConsoleInputW(input, batch, pending < kBatch ? pending : kBatch, &got) || got == 0) {
      break;
    }
    for (DWORD i = 0; i < got; ++i) {
      if (!wasWritten(batch[i]) && keptCount < 4096) kept[keptCount++] = batch[i];
    }
  }
  DWORD count = 0;
  if (keptCount > 0) WriteConsoleInputW(input, kept, keptCount, &count);
  CloseHandle(input);
  writtenCount = 0;
  writtenNext = 0;
}

}  // namespace Slate

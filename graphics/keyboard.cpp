// Key messages into key records and key state.
#include "keyboard.h"

namespace Slate {

namespace {

// Bits of a key message's lParam.
constexpr LPARAM kContextCode = LPARAM{1} << 29;    // Alt was down
constexpr LPARAM kPreviousState = LPARAM{1} << 30;  // the key was already down: a repeat

}  // namespace

// Ctrl and Shift as this window saw them, or as the thread's input state has them: a key
// pressed before the window had the focus is known only to the latter.
bool Keyboard::held(int virtualKey) const {
  return isDown(virtualKey) || (GetKeyState(virtualKey) & 0x8000) != 0;
}

void Keyboard::record(UINT message, WPARAM wParam, LPARAM lParam) {
  const bool isChar = message == WM_CHAR;
  const bool pressed = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  KEYMSG key = {};
  key.message = isChar ? WM_CHAR : pressed ? WM_KEYDOWN : WM_KEYUP;
  // A virtual-key code fits a byte; WM_CHAR of a Unicode window carries one UTF-16 unit.
  key.key = static_cast<std::uint32_t>(wParam & (isChar ? 0xFFFF : 0xFF));
  if (!isChar) down[key.key].store(pressed, std::memory_order_relaxed);
  key.ctrlDown = held(VK_CONTROL);
  key.shiftDown = held(VK_SHIFT);
  key.altDown = (lParam & kContextCode) != 0;
  key.repeat = (pressed || isChar) && (lParam & kPreviousState) != 0;
  queue.push(key);  // drops the record when full
}

void Keyboard::readSystemState() {
  BYTE state[256];
  if (!GetKeyboardState(state)) return;
  for (int key = 1; key < 256; ++key) {
    // GetAsyncKeyState: the key as it is now, not as this thread's messages last said.
    const bool held = (GetAsyncKeyState(key) & 0x8000) != 0;
    state[key] = static_cast<BYTE>((state[key] & 0x01) | (held ? 0x80 : 0));
    down[key].store(held, std::memory_order_relaxed);
  }
  SetKeyboardState(state);  // the flags of later records and of console records follow
}

void Keyboard::releaseAll() {
  for (auto& key : down) key.store(false, std::memory_order_relaxed);
}

void Keyboard::clear() {
  queue.clear();
  releaseAll();
}

}  // namespace Slate

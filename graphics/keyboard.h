// Keyboard: what the window procedure makes of key messages. The bounded queue of key
// records (the GUI thread the one producer, the program's reader the one consumer, as with
// the mouse queue) and the state of every key as the window saw it, which any thread reads.
#pragma once

#include <slate/graphics.h>

#include <atomic>

#include "mouse_queue.h"

namespace Slate {

class Keyboard {
 public:
  // On the GUI thread, for WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP and WM_CHAR: the
  // key's state changes and its record is queued, or dropped when the queue is full.
  void record(UINT message, WPARAM wParam, LPARAM lParam);
  // Every key up. The window no longer hears the keys released elsewhere.
  void releaseAll();
  // On the GUI thread, on activation and focus: every key as the system has it now, into this
  // state and into the thread's own (GetKeyState), so that a key released on another desktop
  // (Ctrl+Alt+Del, Win+L, a UAC prompt), whose release no window of ours saw, is up again.
  void readSystemState();
  // Between windows, with no producer running: no records, every key up.
  void clear();
  // virtualKey must be 0-255.
  bool isDown(int virtualKey) const { return down[virtualKey].load(std::memory_order_relaxed); }

  Collections::FixedQueue<KEYMSG> queue;

 private:
  bool held(int virtualKey) const;

  std::atomic<bool> down[256] = {};
};

}  // namespace Slate

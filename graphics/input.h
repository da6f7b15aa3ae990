// The input a reader can wait for, and the mouse's state outside the queue.
#pragma once

#include <slate/graphics.h>

#include <atomic>
#include <cstdint>

namespace Slate {

// What a wait of the reader ends on (GraphWnd::waitForInput).
enum InputWanted : unsigned {
  kWantMouse = 0x1,  // a mouse record
  kWantKeys = 0x2,   // a key record
  kWantClose = 0x4,  // the user's close request
  kWantAny = 0x7,
};

// The last position, buttons and modifiers of the mouse over the window, kept in one word so
// that a reader on any thread never sees half of an update.
class MouseState {
 public:
  // On the GUI thread, from every mouse record.
  void update(const MOUSEMSG& record);
  // The buttons count as up: their release may happen where the window does not see it.
  void releaseButtons();
  void clear() { packed.store(0, std::memory_order_relaxed); }
  // message and wheelDelta are 0.
  MOUSEMSG read() const;

 private:
  std::atomic<std::uint64_t> packed{0};
};

}  // namespace Slate

// Input beside the mouse queue's blocking read: the key records, reading without waiting,
// the reader's wait for any input, the mouse and key state, and the user's close request.
#include "input.h"

#include "context.h"
#include "errors.h"

namespace Slate {

static_assert(unsigned{WAIT_FOR_MOUSE} == kWantMouse && unsigned{WAIT_FOR_KEYS} == kWantKeys &&
                  unsigned{WAIT_FOR_CLOSE} == kWantClose && unsigned{WAIT_FOR_ANY} == kWantAny,
              "the public wait kinds are the window's own");

namespace {

// MouseState's word: x in bits 0-15, y in 16-31, then one bit a flag.
enum : unsigned { kCtrl = 32, kShift, kLeft, kMiddle, kRight };
constexpr std::uint64_t kButtons =
    (std::uint64_t{1} << kLeft) | (std::uint64_t{1} << kMiddle) | (std::uint64_t{1} << kRight);

std::uint64_t bit(bool set, unsigned at) {
  return set ? std::uint64_t{1} << at : 0;
}

bool bitOf(std::uint64_t word, unsigned at) {
  return ((word >> at) & 1) != 0;
}

// The oldest record of a queue whose reader is this thread.
template <class Record>
bool takeOldest(Collections::FixedQueue<Record>& queue, Record* out, bool remove) {
  if (!graphContext.window.hwnd || queue.isEmpty()) return false;
  *out = remove ? queue.pop() : queue.front();
  return true;
}

// Taken out one by one, on the reader's side only: clear() resets both ends and would race
// with a record the GUI thread is pushing.
template <class Record>
void drain(Collections::FixedQueue<Record>& queue) {
  while (!queue.isEmpty()) queue.pop();
}

}  // namespace

void MouseState::update(const MOUSEMSG& record) {
  packed.store(static_cast<std::uint16_t>(record.x) |
                   (std::uint64_t{static_cast<std::uint16_t>(record.y)} << 16) |
                   bit(record.ctrlDown, kCtrl) | bit(record.shiftDown, kShift) |
                   bit(record.leftDown, kLeft) | bit(record.middleDown, kMiddle) |
                   bit(record.rightDown, kRight),
               std::memory_order_relaxed);
}

void MouseState::releaseButtons() {
  packed.fetch_and(~kButtons, std::memory_order_relaxed);
}

MOUSEMSG MouseState::read() const {
  const std::uint64_t word = packed.load(std::memory_order_relaxed);
  MOUSEMSG state = {};
  state.x = static_cast<std::int16_t>(word & 0xFFFF);
  state.y = static_cast<std::int16_t>((word >> 16) & 0xFFFF);
  state.ctrlDown = bitOf(word, kCtrl);
  state.shiftDown = bitOf(word, kShift);
  state.leftDown = bitOf(word, kLeft);
  state.middleDown = bitOf(word, kMiddle);
  state.rightDown = bitOf(word, kRight);
  return state;
}

// ---- The window's side, on the GUI thread ------------------------------------------------

// A reader waiting for other kinds stays asleep: a keyboard-only program is not woken by
// every mouse move.
void GraphWnd::wakeReader(unsigned kind) {
  if (readerWaiting && (readerWants & kind)) {
    readerWaiting = false;
    SetEvent(wakeEvent);
  }
}

void GraphWnd::queueKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  keyboard.record(message, wParam, lParam);
  keyArrivals.fetch_add(1, std::memory_order_release);
  wakeReader(kWantKeys);
}

void GraphWnd::loseFocus() {
  keyboard.releaseAll();
  mouseState.releaseButtons();
}

void GraphWnd::refreshKeys() {
  keyboard.readSystemState();
}

bool GraphWnd::requestClose() {
  if (!askBeforeClose) return false;
  closeRequested = true;
  closeNews = true;
  wakeReader(kWantClose);
  return true;
}

// ---- The reader's side -------------------------------------------------------------------

void GraphWnd::resetInput() {
  mouseQueue.clear();
  keyboard.clear();
  mouseState.clear();
  closeRequested = false;
  closeNews = false;
  mouseArrivals = 0;
  keyArrivals = 0;
  mouseSeen = 0;
  keysSeen = 0;
}

bool GraphWnd::hasInput(unsigned wanted) {
  return ((wanted & kWantMouse) && !mouseQueue.isEmpty()) ||
         ((wanted & kWantKeys) && !keyboard.queue.isEmpty()) ||
         ((wanted & kWantClose) && closeNews);
}

bool GraphWnd::hasNews(unsigned wanted) {
  return ((wanted & kWantMouse) && !mouseQueue.isEmpty() && mouseArrivals != mouseSeen) ||
         ((wanted & kWantKeys) && !keyboard.queue.isEmpty() && keyArrivals != keysSeen) ||
         ((wanted & kWantClose) && closeNews);
}

// Sleeps until (this->*ready)(wanted), the close, or the timeout. Wakes come only for the
// wanted kinds, but one may find nothing new (a record read meanwhile): it sleeps on for the
// rest of the timeout.
bool GraphWnd::sleepFor(unsigned wanted, DWORD timeout, bool (GraphWnd::*ready)(unsigned)) {
  HWND window = hwnd;
  if (!window) return false;
  const ULONGLONG start = GetTickCount64();
  readerWants = wanted;
  while (!(this->*ready)(wanted) && hwnd) {
    const ULONGLONG waited = GetTickCount64() - start;
    if (timeout != INFINITE && waited >= timeout) break;
    ResetEvent(wakeEvent);
    SendMessageW(window, WM_MOUSE_WAIT, 0, 0);  // readerWaiting is set when this returns
    // The close clears hwnd before it signals, so a close after this test still wakes us.
    if ((this->*ready)(wanted) || !hwnd) break;
    readerParked = true;
    WaitForSingleObject(wakeEvent,
                        timeout == INFINITE ? INFINITE : static_cast<DWORD>(timeout - waited));
    readerParked = false;
  }
  const bool got = hwnd && (this->*ready)(wanted);
  // A request ends one wait; isCloseRequested() keeps saying it was made.
  if (wanted & kWantClose) closeNews = false;
  return got;
}

bool GraphWnd::waitForInput(unsigned wanted, DWORD timeout) {
  return sleepFor(wanted, timeout, &GraphWnd::hasInput);
}

bool GraphWnd::waitForNews(unsigned wanted, DWORD timeout) {
  const bool got = sleepFor(wanted, timeout, &GraphWnd::hasNews);
  mouseSeen = mouseArrivals;
  keysSeen = keyArrivals;
  return got;
}

KEYMSG GraphWnd::nextKeyMessage() {
  // A mouse record wakes the reader too; it waits again.
  while (hwnd && keyboard.queue.isEmpty()) {
    if (waitForInput(kWantKeys | kWantClose, INFINITE) && keyboard.queue.isEmpty()) break;
  }
  if (!hwnd || keyboard.queue.isEmpty()) return KEYMSG{};  // no window, or a close request
  return keyboard.queue.pop();
}

// ---- Front functions ---------------------------------------------------------------------

KEYMSG getKeyMessage() {
  return graphContext.window.nextKeyMessage();
}

bool peekMouseMessage(MOUSEMSG* out, bool remove) {
  if (!out) return reportError(L"peekMouseMessage", L"the record pointer is null");
  return takeOldest(graphContext.window.mouseQueue, out, remove);
}

bool peekKeyMessage(KEYMSG* out, bool remove) {
  if (!out) return reportError(L"peekKeyMessage", L"the record pointer is null");
  return takeOldest(graphContext.window.keyboard.queue, out, remove);
}

void flushInputMessages() {
  GraphWnd& window = graphContext.window;
  if (!window.hwnd) return;
  drain(window.mouseQueue);
  drain(window.keyboard.queue);
}

bool isKeyDown(int virtualKey) {
  if (virtualKey < 1 || virtualKey > 255) {
    return reportErrorf(L"isKeyDown", L"the key code %d is not in 1-255", virtualKey);
  }
  const GraphWnd& window = graphContext.window;
  return window.hwnd && window.keyboard.isDown(virtualKey);
}

bool getMouseState(MOUSEMSG* out) {
  if (!out) return reportError(L"getMouseState", L"the record pointer is null");
  const GraphWnd& window = graphContext.window;
  if (!window.hwnd) return false;
  *out = window.mouseState.read();
  return true;
}

bool waitForInput(int timeoutMs) {
  return waitForInput(timeoutMs, WAIT_FOR_ANY);
}

bool waitForInput(int timeoutMs, int kinds) {
  if (timeoutMs < 0) {
    return reportErrorf(L"waitForInput", L"the timeout %d ms is negative", timeoutMs);
  }
  if (kinds <= 0 || (kinds & ~WAIT_FOR_ANY) != 0) {
    return reportErrorf(L"waitForInput", L"the kinds 0x%X are not WAIT_FOR_* flags",
                        static_cast<unsigned>(kinds));
  }
  // INT_MAX ms is below INFINITE: a timeout always ends.
  return graphContext.window.waitForNews(static_cast<unsigned>(kinds),
                                         static_cast<DWORD>(timeoutMs));
}

void cancelCloseRequest() {
  // Two atomic stores, safe from any thread. With no window both are already false.
  GraphWnd& window = graphContext.window;
  window.closeNews = false;
  window.closeRequested = false;
}

}  // namespace Slate

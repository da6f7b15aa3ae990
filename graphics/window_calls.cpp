// Front functions about the open window itself: whether it is open, its title, text input,
// and the user's close request.
#include "context.h"
#include "errors.h"

namespace Slate {

namespace {

// WM_SETTEXT is handled on the GUI thread; a thread that no longer answers must not hang
// the caller.
constexpr UINT kTitleWaitMs = 2000;

}  // namespace

bool isWindowOpen() {
  return graphContext.window.hwnd != nullptr;
}

bool setWindowTitle(const wchar_t* title) {
  if (!title) return reportError(L"setWindowTitle", L"the title is null");
  HWND window = graphContext.window.hwnd;
  if (!window) return reportError(L"setWindowTitle", L"no window is open");
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title), SMTO_ABORTIFHUNG,
                           kTitleWaitMs, &result) ||
      !result) {
    return reportErrorf(L"setWindowTitle", L"the window refused the title (error %lu)",
                        GetLastError());
  }
  return true;
}

void setTextInput(bool on) {
  GraphWnd::textInput = on;
  HWND window = graphContext.window.hwnd;
  // Posted, never sent: no caller waits for the GUI thread. One message is enough for any
  // number of calls, as it applies the setting as it is when it runs; a window that closes
  // meanwhile drops it, and the next one applies the setting as it opens.
  if (window && !GraphWnd::textInputPending.exchange(true)) {
    if (!PostMessageW(window, WM_APPLY_TEXT_INPUT, 0, 0)) GraphWnd::textInputPending = false;
  }
}

bool isCloseRequested() {
  const GraphWnd& window = graphContext.window;
  return window.hwnd != nullptr && window.closeRequested;
}

}  // namespace Slate

// The input method and the window menu against the program's keys.
#include "platform_keys.h"

#include <imm.h>

namespace Slate {

WPARAM realVirtualKey(HWND window, WPARAM wParam) {
  if (wParam != VK_PROCESSKEY) return wParam;
  const UINT key = ImmGetVirtualKey(window);
  // VK_PROCESSKEY again, or 0, when the input method did not say which key it was.
  return key != 0 && key != VK_PROCESSKEY ? key : wParam;
}

void applyTextInput(HWND window, bool on) {
  // A null context with no flag detaches; IACE_DEFAULT restores the thread's default one.
  ImmAssociateContextEx(window, nullptr, on ? IACE_DEFAULT : 0);
}

bool keepKeysFromMenu(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_SYSCOMMAND:
      // Releasing Alt or F10 alone, or an Alt+letter, makes the default procedure send
      // SC_KEYMENU (lParam 0, or the letter), which enters menu mode: the next arrow or
      // Space would go to the window menu. Only Alt+Space (lParam ' ') opens that menu.
      // The low four bits of wParam are the system's own (WM_SYSCOMMAND documentation).
      if ((wParam & 0xFFF0) == SC_KEYMENU && lParam != ' ') {
        result = 0;
        return true;
      }
      return false;
    case WM_MENUCHAR:
      // A letter that matches no menu item: MNC_CLOSE instead of the default beep.
      result = MAKELRESULT(0, MNC_CLOSE);
      return true;
    default:
      return false;
  }
}

}  // namespace Slate

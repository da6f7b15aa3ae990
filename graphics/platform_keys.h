// What the platform itself does with keys, kept from the program's way: the input method
// (IME) and the window menu that Alt and F10 open.
#pragma once

#include <windows.h>

namespace Slate {

// The key a key message is about. An input method that handled the key sends VK_PROCESSKEY
// (0xE5) in its place; ImmGetVirtualKey gives the real one back.
WPARAM realVirtualKey(HWND window, WPARAM wParam);

// On the window's own thread, as input-method contexts are the thread's: off detaches the
// window from every input method, so nothing composes; on gives it the default one back.
void applyTextInput(HWND window, bool on);

// Handles the window-menu messages that would take keys from the program: true with the
// result when handled, false to leave the message to the default procedure.
bool keepKeysFromMenu(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace Slate

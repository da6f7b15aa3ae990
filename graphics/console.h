// The process console around the graph window: whether the window may take its place, and
// keys passed on to it through its input buffer.
#pragma once

#include <windows.h>

namespace Slate {

// True when the console is the program's own, so the window may hide it, take its place and
// close it: no other process is attached to it (a shell that started us would be ended with
// it) and its window has an area (a pseudo console's window is a hidden 0 x 0 stand-in, and
// hiding that minimises the terminal that hosts it).
bool consoleIsOwn(HWND consoleWindow);

// The console input record a key message of the window makes: a down or an up with the
// virtual-key and scan codes, the character the key makes if any, and the modifier state.
// False for keys that are not passed on: Ctrl+Break.
bool keyInputRecord(UINT message, WPARAM wParam, LPARAM lParam, INPUT_RECORD& record);

// Writes a key message of the window into the console's input buffer, where console reads
// (_getch) find it under any console host. Nothing happens without a console.
void passKeyToConsole(UINT message, WPARAM wParam, LPARAM lParam);

// Takes out of the console's input buffer the key records passKeyToConsole wrote and nobody
// read, leaving every other record in its order: in a console the program shares, the shell
// would read them after the program as typed there, and a queued Enter would run a command
// (records go behind any pending ones and belong to the console: WriteConsoleInput
// documentation). On the thread that passes the keys, once no more come.
void takeBackUnreadKeys();

}  // namespace Slate

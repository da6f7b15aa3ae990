// Failures a program can see: the calls that report one record why in a per-thread message,
// read back with lastError(), and print it on standard error unless the program said not to.
#pragma once

namespace Slate {

// Records "call: reason" as the calling thread's last error and, unless switched off with
// setErrorOutput(false), writes "Slate: call: reason" on standard error. Returns false, so a
// refusing call can end with `return reportError(...)`. Over-long text is cut, never lost.
bool reportError(const wchar_t* call, const wchar_t* reason);

// The same, with the reason made from a printf-style format.
bool reportErrorf(const wchar_t* call, const wchar_t* format, ...);

// The platform's text for a system error code (GetLastError), without its closing full stop
// and line break, or "error N" when the platform has none.
struct SystemMessage {
  explicit SystemMessage(unsigned long code);
  wchar_t text[256];
};

// A path as a message shows it: whole when it is short, else its start and its end around
// "...", so that the reason written after it is never cut off.
struct ShownPath {
  explicit ShownPath(const wchar_t* path);
  wchar_t text[120];
};

}  // namespace Slate

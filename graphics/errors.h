// Failures a program can see: the calls that report one record why in a per-thread message,
// read back with lastError(), and print it on standard error unless the program said not to.
#pragma once

namespace Slate {

// Records "call: reason" as the calling thread's last error and, unless switched off with
// setErrorOutput(false), writes "Slate: call: reason" on standard error. Returns false, so a
// refusing call can end with `return reportError(...)`.
bool reportError(const wchar_t* call, const wchar_t* reason);

// The same, with the reason made from a printf-style format.
bool reportErrorf(const wchar_t* call, const wchar_t* format, ...);

}  // namespace Slate

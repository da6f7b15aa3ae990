// The last error of each thread and its line on standard error.
#include "errors.h"

#include <slate/graphics.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cwchar>

namespace Slate {

namespace {

constexpr int kMessageChars = 512;

// Per thread, as GetLastError is: a failure on one thread never overwrites another's reason.
thread_local wchar_t lastMessage[kMessageChars];

std::atomic<bool> printErrors{true};

// A console gets the text as it is; a file or pipe gets UTF-8, which every reader decodes.
void printLine(const wchar_t* message) {
  wchar_t line[kMessageChars + 16];
  std::swprintf(line, sizeof line / sizeof line[0], L"Slate: %ls\n", message);
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (err != nullptr && err != INVALID_HANDLE_VALUE && GetConsoleMode(err, &mode)) {
    DWORD written = 0;
    WriteConsoleW(err, line, static_cast<DWORD>(std::wcslen(line)), &written, nullptr);
    return;
  }
  char utf8[4 * (kMessageChars + 16)];
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8, sizeof utf8, nullptr, nullptr);
  if (bytes <= 0) return;
  std::fputs(utf8, stderr);
  std::fflush(stderr);
}

}  // namespace

bool reportError(const wchar_t* call, const wchar_t* reason) {
  std::swprintf(lastMessage, kMessageChars, L"%ls: %ls", call, reason);
  if (printErrors) printLine(lastMessage);
  return false;
}

bool reportErrorf(const wchar_t* call, const wchar_t* format, ...) {
  wchar_t reason[kMessageChars];
  va_list args;
  va_start(args, format);
  std::vswprintf(reason, kMessageChars, format, args);
  va_end(args);
  return reportError(call, reason);
}

const wchar_t* lastError() {
  return lastMessage;
}

void setErrorOutput(bool enabled) {
  printErrors = enabled;
}

}  // namespace Slate

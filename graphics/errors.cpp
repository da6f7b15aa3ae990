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

// Appends as much of text as fits, keeping the terminator: printf's family leaves the buffer
// unspecified when text is cut, and a long path must not cost the reason its end mark.
size_t append(wchar_t* buffer, size_t used, const wchar_t* text) {
  while (used + 1 < kMessageChars && text != nullptr && *text != L'\0') buffer[used++] = *text++;
  buffer[used] = L'\0';
  return used;
}

}  // namespace

bool reportError(const wchar_t* call, const wchar_t* reason) {
  size_t used = append(lastMessage, 0, call);
  used = append(lastMessage, used, L": ");
  append(lastMessage, used, reason);
  if (printErrors) printLine(lastMessage);
  return false;
}

bool reportErrorf(const wchar_t* call, const wchar_t* format, ...) {
  wchar_t reason[kMessageChars] = {};
  va_list args;
  va_start(args, format);
  const int written = std::vswprintf(reason, kMessageChars, format, args);
  va_end(args);
  reason[kMessageChars - 1] = L'\0';
  if (written < 0 && reason[0] == L'\0') append(reason, 0, format);
  return reportError(call, reason);
}

SystemMessage::SystemMessage(unsigned long code) {
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                     text, sizeof text / sizeof text[0], nullptr);
  if (length == 0) {
    std::swprintf(text, sizeof text / sizeof text[0], L"error %lu", code);
    return;
  }
  size_t end = length;
  while (end > 0 && (text[end - 1] == L'\r' || text[end - 1] == L'\n' || text[end - 1] == L' ' ||
                     text[end - 1] == L'.')) {
    --end;
  }
  text[end] = L'\0';
}

ShownPath::ShownPath(const wchar_t* path) {
  constexpr size_t kRoom = sizeof text / sizeof text[0] - 1;
  constexpr size_t kEnd = kRoom / 2;
  const size_t length = path ? std::wcslen(path) : 0;
  if (length <= kRoom) {
    append(text, 0, path ? path : L"");
    return;
  }
  std::wmemcpy(text, path, kRoom - kEnd - 3);
  std::wmemcpy(text + kRoom - kEnd - 3, L"...", 3);
  std::wmemcpy(text + kRoom - kEnd, path + length - kEnd, kEnd);
  text[kRoom] = L'\0';
}

const wchar_t* lastError() {
  return lastMessage;
}

void setErrorOutput(bool enabled) {
  printErrors = enabled;
}

}  // namespace Slate

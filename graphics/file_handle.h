// Files read by pictures and sounds alike: a handle closed on every way out of a scope, and
// the opening with its reasons.
#pragma once

#include <windows.h>

#include "errors.h"

namespace Slate {

struct FileHandle {
  explicit FileHandle(HANDLE opened) : handle(opened) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  HANDLE handle;
};

// Opens an existing file at path for reading, whole and in order. On failure it reports for
// `call` why, naming the file as `shown` (a folder is said to be one), and gives
// INVALID_HANDLE_VALUE.
inline HANDLE openForReading(const wchar_t* call, const wchar_t* path, const wchar_t* shown) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      reportErrorf(call, L"%ls is a folder, not a file", shown);
    } else {
      reportErrorf(call, L"%ls: %ls", shown, SystemMessage(error).text);
    }
  }
  return file;
}

}  // namespace Slate

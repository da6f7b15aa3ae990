// A file handle closed on every way out of a scope: pictures and sounds read files alike.
#pragma once

#include <windows.h>

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

}  // namespace Slate

// Pictures from files: the file is read whole into a block of global memory with the
// platform's file calls and then takes the same way to the IMAGE as a resource does.
#include "context.h"
#include "global_memory.h"

namespace Slate {

namespace {

// Closes a file handle on every way out of a scope.
struct FileHandle {
  explicit FileHandle(HANDLE opened) : handle(opened) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  HANDLE handle;
};

// The size of an ordinary file: 0 for an empty one, a device, a pipe, or an unknown size.
// Directories are not opened at all without FILE_FLAG_BACKUP_SEMANTICS.
ULONGLONG fileBytes(HANDLE file) {
  LARGE_INTEGER bytes = {};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &bytes)) return 0;
  return bytes.QuadPart > 0 ? static_cast<ULONGLONG>(bytes.QuadPart) : 0;
}

// Reads exactly `bytes` bytes; a file that turns out shorter fails.
bool readAll(HANDLE file, BYTE* target, DWORD bytes) {
  DWORD done = 0;
  while (done < bytes) {
    DWORD got = 0;
    if (!ReadFile(file, target + done, bytes - done, &got, nullptr) || got == 0) return false;
    done += got;
  }
  return true;
}

}  // namespace

bool GlobalMemory::readFile(const wchar_t* path) {
  release();
  if (path == nullptr || path[0] == L'\0') return false;
  FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (file.handle == INVALID_HANDLE_VALUE) return false;
  const ULONGLONG bytes = fileBytes(file.handle);
  if (bytes == 0 || bytes > kMaxFileBytes) return false;
  handle = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(bytes));
  void* target = handle ? GlobalLock(handle) : nullptr;
  if (target == nullptr) {
    release();
    return false;
  }
  const bool complete = readAll(file.handle, static_cast<BYTE*>(target), static_cast<DWORD>(bytes));
  GlobalUnlock(handle);
  if (!complete) {
    release();
    return false;
  }
  size = static_cast<DWORD>(bytes);
  return true;
}

void loadFileInto(IMAGE* dst, const wchar_t* path, int width, int height, bool resize) {
  GlobalMemory memory;
  if (memory.readFile(path)) decodePicture(memory, dst, width, height, resize);
}

void loadImageFile(IMAGE* dst, const wchar_t* path, int width, int height, bool resize) {
  loadIntoImageOrWindow(dst, [&](IMAGE* into) { loadFileInto(into, path, width, height, resize); });
}

}  // namespace Slate

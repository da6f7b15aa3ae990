// Pictures from files: the file is read whole into a block of global memory with the
// platform's file calls and then takes the same way to the IMAGE as a resource does.
#include <string>

#include "context.h"
#include "errors.h"
#include "file_handle.h"
#include "global_memory.h"

namespace Slate {

namespace {

const wchar_t* const kCall = L"loadImageFile";

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

// The whole path a relative one is taken as (from the current folder), for the messages, so
// that they say where the file was looked for; the path as given when it has none.
std::wstring fullPath(const wchar_t* path) {
  const DWORD needed = GetFullPathNameW(path, 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(path, needed, &full[0], nullptr);
  if (length == 0 || length >= needed) return path;
  full.resize(length);
  return full;
}

struct Shown {
  explicit Shown(const wchar_t* path) : full(fullPath(path)), shown(full.c_str()) {}
  const wchar_t* text() const { return shown.text; }
  std::wstring full;
  ShownPath shown;
};

}  // namespace

bool GlobalMemory::readFile(const wchar_t* path) {
  release();
  if (path == nullptr || path[0] == L'\0') return reportError(kCall, L"no path given");
  FileHandle file(openForReading(kCall, path, Shown(path).text()));
  if (file.handle == INVALID_HANDLE_VALUE) return false;
  if (GetFileType(file.handle) != FILE_TYPE_DISK) {
    return reportErrorf(kCall, L"%ls is not a file", Shown(path).text());
  }
  const ULONGLONG bytes = fileBytes(file.handle);
  if (bytes == 0) return reportErrorf(kCall, L"%ls is empty", Shown(path).text());
  if (bytes > kMaxFileBytes) {
    return reportErrorf(kCall, L"%ls is larger than %lu MB", Shown(path).text(),
                        static_cast<unsigned long>(kMaxFileBytes >> 20));
  }
  handle = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(bytes));
  void* target = handle ? GlobalLock(handle) : nullptr;
  if (target == nullptr) {
    release();
    return reportErrorf(kCall, L"%ls: out of memory", Shown(path).text());
  }
  const bool complete = readAll(file.handle, static_cast<BYTE*>(target), static_cast<DWORD>(bytes));
  GlobalUnlock(handle);
  if (!complete) {
    release();
    return reportErrorf(kCall, L"%ls could not be read whole", Shown(path).text());
  }
  size = static_cast<DWORD>(bytes);
  return true;
}

bool loadFileInto(IMAGE* dst, const wchar_t* path, int width, int height, bool resize) {
  GlobalMemory memory;
  if (!memory.readFile(path)) return false;
  switch (decodePicture(memory, dst, width, height, resize)) {
    case Decoded::Drawn:
      return true;
    case Decoded::NoSurface:
      return reportErrorf(kCall, L"%ls: the image cannot be made the picture's size",
                          Shown(path).text());
    case Decoded::Undecodable:
      break;
  }
  return reportErrorf(kCall, L"%ls is not a picture that can be decoded", Shown(path).text());
}

bool loadImageFile(IMAGE* dst, const wchar_t* path, int width, int height, bool resize) {
  return loadIntoImageOrWindow(
      dst, [&](IMAGE* into) { return loadFileInto(into, path, width, height, resize); });
}

}  // namespace Slate

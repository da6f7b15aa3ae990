// Sound files read with the platform's file calls, whole, before any decoding starts.
#include "file_bytes.h"

#include <windows.h>

#include <algorithm>
#include <new>

#include "errors.h"
#include "file_handle.h"

namespace Slate::Audio {

bool readFileBytes(const wchar_t* call, const wchar_t* path, std::vector<uint8_t>* out) {
  if (path == nullptr || path[0] == L'\0') return reportError(call, L"no path given");
  FileHandle file(openForReading(call, path, ShownPath(path).text));
  if (file.handle == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size = {};
  if (GetFileType(file.handle) != FILE_TYPE_DISK || !GetFileSizeEx(file.handle, &size)) {
    return reportErrorf(call, L"%ls is not a file", ShownPath(path).text);
  }
  if (size.QuadPart <= 0) return reportErrorf(call, L"%ls is empty", ShownPath(path).text);
  if (uint64_t(size.QuadPart) > kMaxSoundFileBytes) {
    return reportErrorf(call, L"%ls is larger than %u MB", ShownPath(path).text,
                        unsigned(kMaxSoundFileBytes >> 20));
  }
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(size_t(size.QuadPart));
  } catch (const std::bad_alloc&) {
    return reportErrorf(call, L"%ls: out of memory", ShownPath(path).text);
  }
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    const DWORD ask = DWORD(std::min<size_t>(bytes.size() - done, 1u << 30));
    if (!ReadFile(file.handle, bytes.data() + done, ask, &got, nullptr) || got == 0) {
      return reportErrorf(call, L"%ls could not be read whole", ShownPath(path).text);
    }
    done += got;
  }
  out->swap(bytes);
  return true;
}

}  // namespace Slate::Audio

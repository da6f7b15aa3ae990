// Writing a file whole and putting it in place: a new file with a short name beside the
// target, flushed, then ReplaceFileW over an existing target or MoveFileExW to a new one,
// retried for a moment while another program holds the target.
#include "file_replacing.h"

#include <windows.h>

#include <atomic>
#include <cwchar>

#include "errors.h"

namespace Slate {

namespace {

// Viewers, preview panes, indexers and virus scanners open a file for a moment; they are
// given this long in all (ms) to let go before the save is refused.
constexpr DWORD kRetryDelays[] = {10, 20, 40, 80, 150};

// The longest temporary name; a shorter one where the folder leaves less room.
constexpr size_t kLongestTempName = 12;

// A new, empty file in folder whose whole path stays within the limit: the name is no
// longer than the room the target's own name leaves (".png" at least, four characters).
HANDLE createTempFile(const std::wstring& folder, size_t room, std::wstring& temp) {
  static std::atomic<unsigned> counter{0};
  const size_t length = room < kLongestTempName ? room : kLongestTempName;
  for (int attempt = 0; attempt < 16; ++attempt) {
    // Process, counter and clock mixed, so that names left behind by another process, or
    // taken by one saving into the same folder now, are passed over in a try or two.
    std::uint32_t mixed = GetCurrentProcessId() * 2654435761u;
    mixed ^= (counter++ + 1) * 40503u;
    mixed ^= GetTickCount() * 2246822519u;
    wchar_t name[kLongestTempName + 1] = L"~";
    for (size_t i = 1; i < length; ++i, mixed = mixed >> 4 | mixed << 28) {
      name[i] = L"0123456789abcdef"[mixed & 15];
    }
    name[length] = L'\0';
    temp = folder + name;
    const HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return INVALID_HANDLE_VALUE;
}

// Writes all of bytes and flushes them to the disk before the name moves to them, so that a
// crash cannot leave a short file under the target's name. Returns the error, or 0.
DWORD writeAll(HANDLE file, const std::vector<std::uint8_t>& bytes) {
  size_t done = 0;
  DWORD error = 0;
  while (done < bytes.size() && error == 0) {
    const size_t left = bytes.size() - done;
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    }
    done += written;
  }
  if (error == 0 && !FlushFileBuffers(file)) error = GetLastError();
  if (!CloseHandle(file) && error == 0) error = GetLastError();
  return error;
}

// One try at putting temp in full's place. ReplaceFileW keeps the replaced file's
// attributes, security and creation time, which a move would lose ("Moving and Replacing
// Files"); a new target is a plain move, which refuses to replace a file that appeared since.
DWORD putInPlace(const std::wstring& temp, const std::wstring& full) {
  const DWORD attributes = GetFileAttributesW(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return MoveFileExW(temp.c_str(), full.c_str(), 0) ? 0 : GetLastError();
  }
  // Windows' ReplaceFileW carries these over itself; Wine's carries none, so the new file
  // gets them first (a hidden picture stays hidden on both).
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  if (attributes & kKept) SetFileAttributesW(temp.c_str(), attributes & kKept);
  // ReplaceFileW opens the target with these rights and full sharing, which a program holding
  // it without delete sharing refuses. Wine's leaves an empty file of its own in the folder
  // each time it fails so, so the target is tried first: on Windows it costs one open.
  const HANDLE probe = CreateFileW(full.c_str(), GENERIC_READ | DELETE | SYNCHRONIZE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return GetLastError();
  CloseHandle(probe);
  if (ReplaceFileW(full.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                   nullptr)) {
    return 0;
  }
  const DWORD error = GetLastError();
  // The old file is gone and the new one still has its temporary name: the new one, complete,
  // takes the place it was made for.
  if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
    return MoveFileExW(temp.c_str(), full.c_str(), 0) ? 0 : GetLastError();
  }
  return error;
}

// Errors that end when another program lets go of the target: a handle without delete
// sharing, a byte-range lock, or (access denied) a deletion still pending.
bool mayPass(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_ACCESS_DENIED;
}

// The target vanished or appeared between the look and the move: the other way is tried.
bool changedMeanwhile(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_ALREADY_EXISTS ||
         error == ERROR_FILE_EXISTS;
}

bool refuseReplacing(const wchar_t* call, const std::wstring& full, DWORD error) {
  const ShownPath shown(full.c_str());
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
      error == ERROR_UNABLE_TO_REMOVE_REPLACED) {
    return reportErrorf(call, L"%ls is held open by another program; close it there and save again",
                        shown.text);
  }
  const DWORD attributes = GetFileAttributesW(full.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return reportErrorf(call, L"%ls is read-only", shown.text);
  }
  if (error == ERROR_ACCESS_DENIED) {
    return reportErrorf(call,
                        L"%ls cannot be replaced: this account may not change it, or another "
                        L"program is deleting it",
                        shown.text);
  }
  return reportErrorf(call, L"cannot replace %ls: %ls", shown.text, SystemMessage(error).text);
}

}  // namespace

bool tooLong(const std::wstring& path) {
  return path.compare(0, 4, L"\\\\?\\") != 0 && path.size() >= MAX_PATH;
}

bool writeReplacing(const wchar_t* call, const std::wstring& full, const std::wstring& folder,
                    const std::vector<std::uint8_t>& bytes) {
  const bool prefixed = folder.compare(0, 4, L"\\\\?\\") == 0;
  const size_t room = prefixed                       ? kLongestTempName
                      : folder.size() + 1 < MAX_PATH ? MAX_PATH - 1 - folder.size()
                                                     : 0;
  if (room < 2) return reportError(call, L"path too long for a new file beside it");
  std::wstring temp;
  const HANDLE file = createTempFile(folder, room, temp);
  if (file == INVALID_HANDLE_VALUE) {
    return reportErrorf(call, L"cannot write in %ls: %ls", ShownPath(folder.c_str()).text,
                        SystemMessage(GetLastError()).text);
  }
  DWORD error = writeAll(file, bytes);
  if (error != 0) {
    DeleteFileW(temp.c_str());
    return reportErrorf(call, L"cannot write in %ls: %ls", ShownPath(folder.c_str()).text,
                        SystemMessage(error).text);
  }
  for (size_t attempt = 0;; ++attempt) {
    error = putInPlace(temp, full);
    if (error == 0) return true;
    const bool last = attempt == sizeof kRetryDelays / sizeof kRetryDelays[0];
    if (last || !(mayPass(error) || changedMeanwhile(error))) break;
    if (mayPass(error)) Sleep(kRetryDelays[attempt]);
  }
  DeleteFileW(temp.c_str());
  return refuseReplacing(call, full, error);
}

}  // namespace Slate

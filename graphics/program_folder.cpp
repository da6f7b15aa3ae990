// getProgramFolder: where the running program's file lies, for files that travel with it.
#include <slate/graphics.h>

#include <string>

namespace Slate {

namespace {

// The module's path, however long: GetModuleFileNameW cuts a path that does not fit and then
// returns the buffer's size (ERROR_INSUFFICIENT_BUFFER), so the buffer grows until it fits.
std::wstring programFolder() {
  constexpr DWORD kLongestPath = 32768;
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= kLongestPath) return std::wstring();
    path.resize(path.size() * 2 < kLongestPath ? path.size() * 2 : kLongestPath);
  }
  const size_t separator = path.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return std::wstring();
  path.resize(separator);
  return path + L'\\';
}

}  // namespace

const wchar_t* getProgramFolder() {
  // Made once, on first use from any thread; the program's file does not move while it runs.
  static const std::wstring folder = programFolder();
  return folder.c_str();
}

}  // namespace Slate

// shortcut_info FILE.lnk: prints what the shell reads from a shortcut, one item a line:
//   target=<path>  arguments=<command line after it>  folder=<working folder>
//   icon=<path>,<index>  icons=<icons in that file>
// The installer test starts the game from this target, as Explorer would.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 2) {
    std::fprintf(stderr, "usage: shortcut_info FILE.lnk\n");
    return 2;
  }
  if (FAILED(CoInitialize(nullptr))) return 1;
  int status = 1;
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(argv[1], STGM_READ))) {
    wchar_t target[MAX_PATH] = L"", arguments[MAX_PATH] = L"", folder[MAX_PATH] = L"";
    wchar_t icon[MAX_PATH] = L"";
    int index = -1;
    // SLGP_RAWPATH: the path as stored, not resolved against what exists now.
    if (SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
        SUCCEEDED(link->GetArguments(arguments, MAX_PATH)) &&
        SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH)) &&
        SUCCEEDED(link->GetIconLocation(icon, MAX_PATH, &index))) {
      UINT icons = ExtractIconExW(icon, -1, nullptr, nullptr, 0);
      std::printf("target=%ls\narguments=%ls\nfolder=%ls\nicon=%ls,%d\nicons=%u\n", target,
                  arguments, folder, icon, index, icons);
      status = 0;
    }
  }
  if (file) file->Release();
  if (link) link->Release();
  CoUninitialize();
  return status;
}

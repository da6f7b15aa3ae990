// Posts mouse messages to a window at full speed, as a hostile or broken input source
// would: moves, left and right presses, releases and double clicks at random client
// points. A post the platform refuses (its queue full) is retried. Prints how many went in
// and how long it took.
//   mouse_flood.exe WINDOW_TITLE COUNT
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: mouse_flood WINDOW_TITLE COUNT\n");
    return 2;
  }
  const HWND window = FindWindowA(nullptr, argv[1]);
  if (window == nullptr) {
    std::fprintf(stderr, "no window titled %s\n", argv[1]);
    return 1;
  }
  const long count = std::atol(argv[2]);
  static const UINT kKinds[] = {WM_MOUSEMOVE,   WM_MOUSEMOVE, WM_LBUTTONDOWN,  WM_LBUTTONUP,
                                WM_RBUTTONDOWN, WM_RBUTTONUP, WM_LBUTTONDBLCLK};
  unsigned seed = GetTickCount();
  long posted = 0, refused = 0;
  const DWORD start = GetTickCount();
  while (posted < count) {
    seed = seed * 1103515245u + 12345u;
    const UINT message = kKinds[(seed >> 4) % 7];
    const LPARAM at = MAKELPARAM((seed >> 8) % 900, (seed >> 18) % 600);
    if (PostMessageA(window, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, at)) {
      ++posted;
    } else if (!IsWindow(window)) {
      std::fprintf(stderr, "the window went away after %ld messages\n", posted);
      return 1;
    } else {
      ++refused;
      Sleep(0);
    }
  }
  std::printf("posted %ld mouse messages in %lu ms, %ld posts refused and retried\n", posted,
              GetTickCount() - start, refused);
  return 0;
}

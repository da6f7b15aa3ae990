// The start-up benchmark's eyes: it learns from the X server when a window is mapped and
// then reads the window's pixels straight from Xvfb's frame buffer file, so nothing asks the
// program or the X server anything while the program starts. Linux only, built natively.
//
//   startup_watch SCREEN TITLE TIMEOUT_MS [X Y W H RRGGBB MIN]
//
// SCREEN is the frame buffer file of `Xvfb -fbdir` (XWD, 32-bit pixels). It prints "ready"
// once it listens for windows being mapped (start the program after that line), then, each
// with CLOCK_REALTIME in nanoseconds (bash's EPOCHREALTIME is the same clock):
//   mapped NS      the X server mapped a window whose subtree holds one named TITLE
//   window ID X Y  that window's id and its top-left corner on the screen
//   pixels NS      more than half of the window's pixels, sampled on a grid, are painted:
//                  neither black (an empty or erased window) nor white (the root's weave)
//   menu NS        with the optional arguments: at least MIN pixels of colour RRGGBB in the
//                  client rectangle X Y W H
// Status 1 when any of them does not happen within TIMEOUT_MS, 2 on a usage error.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

long long nowNs() {
  timespec t;
  clock_gettime(CLOCK_REALTIME, &t);
  return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// The live frame buffer: Xvfb maps the same file, so a look costs only the bytes read.
struct FrameBuffer {
  const unsigned char* bytes = nullptr;
  std::size_t size = 0;
  std::size_t start = 0;  // first pixel byte
  std::uint32_t width = 0, height = 0, bytesPerLine = 0;
  bool littleEndian = true;

  static std::uint32_t word(const unsigned char* b) {
    return static_cast<std::uint32_t>(b[0]) << 24 | static_cast<std::uint32_t>(b[1]) << 16 |
           static_cast<std::uint32_t>(b[2]) << 8 | b[3];
  }

  bool open(const char* path) {
    const int fd = ::open(path, O_RDONLY);
    if (fd < 0) return false;
    struct stat info;
    if (fstat(fd, &info) != 0 || info.st_size < 100) {
      close(fd);
      return false;
    }
    size = static_cast<std::size_t>(info.st_size);
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    if (mapped == MAP_FAILED) return false;
    bytes = static_cast<const unsigned char*>(mapped);
    // The XWD header is big-endian: version 7, 32 bits a pixel, 8-bit colour masks.
    if (word(bytes + 4) != 7 || word(bytes + 44) != 32 || word(bytes + 56) != 0xFF0000) {
      return false;
    }
    width = word(bytes + 16);
    height = word(bytes + 20);
    littleEndian = word(bytes + 28) == 0;
    bytesPerLine = word(bytes + 48);
    start = word(bytes + 0) + std::size_t{word(bytes + 76)} * 12;
    return start + std::size_t{bytesPerLine} * height <= size && bytesPerLine >= width * 4;
  }

  bool inside(int x, int y) const {
    return x >= 0 && y >= 0 && static_cast<std::uint32_t>(x) < width &&
           static_cast<std::uint32_t>(y) < height;
  }

  // 0xRRGGBB at a screen position that lies inside.
  std::uint32_t at(int x, int y) const {
    const unsigned char* p = bytes + start + std::size_t{bytesPerLine} * y + std::size_t{4} * x;
    const std::uint32_t v = littleEndian
                                ? static_cast<std::uint32_t>(p[2]) << 16 | p[1] << 8 | p[0]
                                : static_cast<std::uint32_t>(p[1]) << 16 | p[2] << 8 | p[3];
    return v & 0xFFFFFF;
  }
};

// The watched window: its id, its place on the screen, its size and when it was mapped.
struct Shown {
  ::Window id = 0;
  int x = 0, y = 0, width = 0, height = 0;
  long long mappedNs = 0;
};

// Windows come and go while the program starts; an error about one that has gone is not
// the watcher's business.
int ignoreXError(Display*, XErrorEvent*) {
  return 0;
}

bool named(Display* display, ::Window w, const char* title) {
  char* name = nullptr;
  if (!XFetchName(display, w, &name) || name == nullptr) return false;
  const bool same = std::strcmp(name, title) == 0;
  XFree(name);
  return same;
}

// The window named title in the subtree of w (w itself included), or 0.
::Window findNamed(Display* display, ::Window w, const char* title, int depth = 0) {
  if (named(display, w, title)) return w;
  if (depth > 4) return 0;
  ::Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, w, &root, &parent, &children, &count)) return 0;
  ::Window found = 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    found = findNamed(display, children[i], title, depth + 1);
  }
  if (children) XFree(children);
  return found;
}

// Blocks until a window holding one named title is mapped; false at the deadline.
bool waitForMap(Display* display, const char* title, long long deadline, Shown* out) {
  const ::Window root = DefaultRootWindow(display);
  const int connection = ConnectionNumber(display);
  while (nowNs() < deadline) {
    if (XPending(display) == 0) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(connection, &readable);
      const long long left = deadline - nowNs();
      timeval wait = {static_cast<time_t>(left / 1000000000LL),
                      static_cast<suseconds_t>(left % 1000000000LL / 1000)};
      if (left <= 0 || select(connection + 1, &readable, nullptr, nullptr, &wait) <= 0) continue;
    }
    XEvent event;
    XNextEvent(display, &event);
    const long long seen = nowNs();
    if (event.type != MapNotify) continue;
    const ::Window found = findNamed(display, event.xmap.window, title);
    if (found == 0) continue;
    XWindowAttributes attributes;
    ::Window child;
    if (!XGetWindowAttributes(display, found, &attributes) ||
        !XTranslateCoordinates(display, found, root, 0, 0, &out->x, &out->y, &child)) {
      continue;
    }
    out->id = found;
    out->mappedNs = seen;
    out->width = attributes.width;
    out->height = attributes.height;
    return true;
  }
  return false;
}

// Painted: more than half of a grid of samples is neither black nor white.
bool painted(const FrameBuffer& fb, const Shown& w) {
  int samples = 0, lit = 0;
  for (int y = 4; y < w.height; y += 10) {
    for (int x = 4; x < w.width; x += 10) {
      if (!fb.inside(w.x + x, w.y + y)) continue;
      const std::uint32_t p = fb.at(w.x + x, w.y + y);
      ++samples;
      lit += p != 0 && p != 0xFFFFFF;
    }
  }
  return samples > 0 && lit * 2 > samples;
}

struct ColourArea {
  int x = 0, y = 0, width = 0, height = 0;
  std::uint32_t colour = 0;
  long long least = 0;
};

bool coloured(const FrameBuffer& fb, const Shown& w, const ColourArea& area) {
  long long count = 0;
  for (int y = area.y; y < area.y + area.height; ++y) {
    for (int x = area.x; x < area.x + area.width; ++x) {
      count += fb.inside(w.x + x, w.y + y) && fb.at(w.x + x, w.y + y) == area.colour;
    }
  }
  return count >= area.least;
}

// Looks every millisecond until the test holds; prints NAME and the time it was first seen.
template <class Test>
bool waitForPixels(const char* name, long long deadline, Test test) {
  const timespec pause = {0, 1000000};
  while (!test()) {
    if (nowNs() > deadline) return false;
    nanosleep(&pause, nullptr);
  }
  std::printf("%s %lld\n", name, nowNs());
  std::fflush(stdout);
  return true;
}

long long number(const char* text, int base = 10) {
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, base);
  return end != text && *end == '\0' ? v : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 10) {
    std::fprintf(stderr, "usage: startup_watch SCREEN TITLE TIMEOUT_MS [X Y W H RRGGBB MIN]\n");
    return 2;
  }
  const char* title = argv[2];
  const long long timeoutMs = number(argv[3]);
  ColourArea menu;
  if (argc == 10) {
    menu = {static_cast<int>(number(argv[4])),
            static_cast<int>(number(argv[5])),
            static_cast<int>(number(argv[6])),
            static_cast<int>(number(argv[7])),
            static_cast<std::uint32_t>(number(argv[8], 16)),
            number(argv[9])};
  }
  FrameBuffer fb;
  if (timeoutMs <= 0 || !fb.open(argv[1])) {
    std::fprintf(stderr, "startup_watch: bad timeout or no XWD frame buffer at %s\n", argv[1]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "startup_watch: cannot open the display\n");
    return 2;
  }
  XSetErrorHandler(ignoreXError);
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  std::printf("ready\n");
  std::fflush(stdout);

  const long long deadline = nowNs() + timeoutMs * 1000000LL;
  Shown window;
  if (!waitForMap(display, title, deadline, &window)) return 1;
  std::printf("mapped %lld\nwindow %lu %d %d\n", window.mappedNs, window.id, window.x, window.y);
  std::fflush(stdout);
  XCloseDisplay(display);

  if (!waitForPixels("pixels", deadline, [&] { return painted(fb, window); })) return 1;
  if (argc == 10 && !waitForPixels("menu", deadline, [&] { return coloured(fb, window, menu); })) {
    return 1;
  }
  return 0;
}

// The robot player of the end-to-end tests and of the demo. It reads the screen (the live
// Xvfb frame buffer, or a capture), matches the board against the game's own pictures,
// solves it and clicks through xdotool. Positions given to it are screen pixels of the
// game window's client area.
//
//   robot board  SCREEN X Y ASSETS [TIMEOUT_MS [EXPECTED x20]]
//                waits until a board reads (and equals EXPECTED), prints its 20 tiles
//   robot apply  TILE x20 CELL...     the board after clicking those cells
//   robot play   SCREEN X Y ASSETS half|last
//                solves by clicking, verifying the board after each batch; stops when the
//                top two rows are in place (half) or when one click is left (last), which
//                it prints as "last X Y" without making it
//   robot count  SCREEN X Y W H RRGGBB      pixels of exactly that colour in the rectangle
//   robot watch  SCREEN X Y W H RRGGBB TIMEOUT_MS SETTLE_MS
//                follows the rightmost column holding that colour and prints each value
//                that holds for two looks in a row, until one has held SETTLE_MS after a
//                change; status 1 on timeout
//   robot spin   SCREEN OUTDIR TIMEOUT_MS
//                keeps each distinct screen until OUTDIR/window tells where the window is
//                ("X Y"); saves the first frame of the title spin seen in the window, and
//                one from the middle of the spin, as first.ppm and mid.ppm
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "board_reader.h"
#include "screen.h"
#include "solver.h"

namespace {

using namespace Robot;
using Clock = std::chrono::steady_clock;

// Between two looks at the screen.
constexpr auto kPollPause = std::chrono::milliseconds(3);
// Clicks sent in one go: three mouse messages each stay well inside the game's 64-slot queue.
constexpr std::size_t kBatch = 12;

bool parseInt(const char* text, int base, long long low, long long high, long long* out) {
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, base);
  if (end == text || *end != '\0' || v < low || v > high) return false;
  *out = v;
  return true;
}

struct Args {
  int argc;
  char** argv;
  int next = 2;
  bool ok = true;

  long long number(long long low = -1000000, long long high = 1000000) {
    long long v = 0;
    if (next >= argc || !parseInt(argv[next], 10, low, high, &v)) ok = false;
    ++next;
    return v;
  }
  std::string text() {
    if (next >= argc) ok = false;
    return next < argc ? argv[next++] : std::string();
  }
  bool more() const { return next < argc; }
};

struct Screen {
  std::string path;
  int x;
  int y;

  bool board(Picture* out) const {
    return readScreen(path, {x, y, kBoardWidth, kBoardHeight}, out);
  }
};

Screen screenArgs(Args& a) {
  Screen s;
  s.path = a.text();
  s.x = static_cast<int>(a.number(0, 100000));
  s.y = static_cast<int>(a.number(0, 100000));
  return s;
}

bool tilesArgs(Args& a, std::array<int, kCells>* tiles) {
  for (int& t : *tiles) t = static_cast<int>(a.number(0, kCells - 1));
  return a.ok;
}

void printBoard(const std::array<int, kCells>& cells) {
  for (int c = 0; c < kCells; ++c) std::printf("%d%c", cells[c], c + 1 < kCells ? ' ' : '\n');
}

// Looks until the screen shows a board (equal to *expected when given) or time runs out.
bool waitBoard(const Screen& s, const TileSet& tiles, int timeoutMs,
               const std::array<int, kCells>* expected, BoardReading* out) {
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  bool read = false;
  do {
    Picture picture;
    BoardReading reading;
    if (s.board(&picture) && readBoard(picture, tiles, &reading)) {
      *out = reading;
      read = true;
      if (!expected || reading.cells == *expected) return true;
    }
    std::this_thread::sleep_for(kPollPause);
  } while (Clock::now() < end);
  return read && !expected;
}

// The screen position of a cell's centre, as "X Y".
std::string cellCentre(const Screen& s, int cell) {
  const int col = cell / kRows, row = cell % kRows;
  return std::to_string(s.x + col * kTileWidth + kTileWidth / 2) + " " +
         std::to_string(s.y + row * kTileHeight + kTileHeight / 2);
}

std::string clickCommand(const Screen& s, int cell) {
  return " mousemove " + cellCentre(s, cell) + " click 1 sleep 0.02";
}

int commandBoard(Args& a) {
  const Screen s = screenArgs(a);
  const std::string assets = a.text();
  const int timeout = a.more() ? static_cast<int>(a.number(0, 600000)) : 0;
  std::array<int, kCells> expected{};
  const bool haveExpected = a.more() && tilesArgs(a, &expected);
  TileSet tiles;
  if (!a.ok || !loadTileSet(assets, &tiles)) return 2;
  BoardReading reading;
  const bool ok = waitBoard(s, tiles, timeout, haveExpected ? &expected : nullptr, &reading);
  if (reading.picture >= 0) printBoard(reading.cells);
  return ok ? 0 : 1;
}

int commandApply(Args& a) {
  std::array<int, kCells> cells{};
  if (!tilesArgs(a, &cells)) return 2;
  while (a.more()) {
    const int cell = static_cast<int>(a.number(0, kCells - 1));
    if (!a.ok) return 2;
    applyClick(&cells, cell);
  }
  printBoard(cells);
  return 0;
}

bool topRowsPlaced(const std::array<int, kCells>& cells) {
  for (int col = 0; col < kColumns; ++col) {
    for (int row = 0; row < 2; ++row) {
      if (cells[cellOf(col, row)] != cellOf(col, row)) return false;
    }
  }
  return true;
}

std::size_t clicksToTopRows(std::array<int, kCells> cells, const std::vector<int>& plan) {
  std::size_t n = 0;
  while (n < plan.size() && !topRowsPlaced(cells)) applyClick(&cells, plan[n++]);
  return n;
}

int commandPlay(Args& a) {
  const Screen s = screenArgs(a);
  const std::string assets = a.text();
  const std::string mode = a.text();
  TileSet tiles;
  if (!a.ok || (mode != "half" && mode != "last") || !loadTileSet(assets, &tiles)) return 2;
  BoardReading reading;
  if (!waitBoard(s, tiles, 5000, nullptr, &reading)) return 1;
  int clicks = 0;
  for (;;) {
    std::vector<int> plan;
    if (!planSolution(reading.cells, &plan)) return 1;
    if (mode == "half" ? topRowsPlaced(reading.cells) : plan.size() <= 1) {
      std::printf("clicks %d\n", clicks);
      if (!plan.empty() && mode == "last") std::printf("last %s\n", cellCentre(s, plan[0]).c_str());
      return 0;
    }
    // Never the last click: what follows it is the congratulation, not a board. Nor past
    // the point where the top rows are in place, when that is where to stop.
    std::size_t count = std::min(kBatch, plan.size() - 1);
    if (mode == "half") count = std::min(count, clicksToTopRows(reading.cells, plan));
    if (count == 0) return 1;
    std::string command = "xdotool";
    std::array<int, kCells> expected = reading.cells;
    for (std::size_t i = 0; i < count; ++i) {
      command += clickCommand(s, plan[i]);
      applyClick(&expected, plan[i]);
    }
    if (std::system(command.c_str()) != 0) return 1;
    clicks += static_cast<int>(count);
    // A board other than the expected one is played on from where it stands.
    if (!waitBoard(s, tiles, 3000, &expected, &reading)) {
      std::fprintf(stderr, "robot: the board is not as expected after %d clicks\n", clicks);
      if (reading.picture < 0) return 1;
    }
  }
}

bool colourArg(Args& a, std::uint32_t* colour) {
  long long v = 0;
  const std::string text = a.text();
  if (text.size() != 6 || !parseInt(text.c_str(), 16, 0, 0xFFFFFF, &v)) return false;
  *colour = static_cast<std::uint32_t>(v);
  return true;
}

struct ColourArea {
  std::string path;
  Rect rect;
  std::uint32_t colour;
};

bool colourArea(Args& a, ColourArea* out) {
  out->path = a.text();
  out->rect.x = static_cast<int>(a.number(0, 100000));
  out->rect.y = static_cast<int>(a.number(0, 100000));
  out->rect.width = static_cast<int>(a.number(1, 100000));
  out->rect.height = static_cast<int>(a.number(1, 100000));
  return colourArg(a, &out->colour) && a.ok;
}

int commandCount(Args& a) {
  ColourArea area;
  Picture picture;
  if (!colourArea(a, &area)) return 2;
  if (!readScreen(area.path, area.rect, &picture)) return 1;
  long long count = 0;
  for (std::uint32_t p : picture.pixels) count += p == area.colour;
  std::printf("%lld\n", count);
  return 0;
}

// The rightmost column holding at least three pixels of the colour, -1 if none: a few
// stray pixels of a picture are not text.
int rightmostColumn(const Picture& picture, std::uint32_t colour) {
  for (int x = picture.width - 1; x >= 0; --x) {
    int hits = 0;
    for (int y = 0; y < picture.height; ++y) hits += picture.at(x, y) == colour;
    if (hits >= 3) return x;
  }
  return -1;
}

int commandWatch(Args& a) {
  ColourArea area;
  if (!colourArea(a, &area)) return 2;
  const auto timeout = std::chrono::milliseconds(a.number(1, 600000));
  const auto settle = std::chrono::milliseconds(a.number(1, 600000));
  if (!a.ok) return 2;
  const auto end = Clock::now() + timeout;
  std::vector<int> stable;
  int last = -2;
  auto heldSince = Clock::now();
  while (Clock::now() < end) {
    Picture picture;
    const int now =
        readScreen(area.path, area.rect, &picture) ? rightmostColumn(picture, area.colour) : -2;
    if (now == last && now != -2 && (stable.empty() || stable.back() != now)) {
      stable.push_back(now);
      heldSince = Clock::now();
    }
    last = now;
    if (stable.size() > 1 && Clock::now() - heldSince >= settle) break;
    std::this_thread::sleep_for(kPollPause);
  }
  for (std::size_t i = 0; i < stable.size(); ++i) {
    std::printf("%d%c", stable[i], i + 1 < stable.size() ? ' ' : '\n');
  }
  return Clock::now() < end ? 0 : 1;
}

// The menu is written once its last item, ABOUT, shows in green.
bool menuWritten(const Picture& p) {
  int green = 0;
  for (int y = 546; y < 600; ++y) {
    for (int x = 776; x < 900; ++x) green += p.at(x, y) == 0x00AA00;
  }
  return green > 50;
}

// A frame of the spin: the turned picture covers at least two thirds of the window (at a
// quarter turn), where the empty window, or the black console before it, covers none.
bool spinFrame(const Picture& p) {
  std::size_t lit = 0;
  for (std::uint32_t px : p.pixels) lit += px != 0;
  return lit > p.pixels.size() / 2 && !menuWritten(p);
}

// Whole screens are kept from the start, because the window's place is known only once it
// shows, and by then the spin may be under way. It is told through OUTDIR/window.
bool readWindowPlace(const std::string& dir, int* x, int* y) {
  std::FILE* f = std::fopen((dir + "/window").c_str(), "r");
  if (!f) return false;
  const bool ok = std::fscanf(f, "%d %d", x, y) == 2;
  std::fclose(f);
  return ok;
}

int commandSpin(Args& a) {
  const std::string screen = a.text();
  const std::string dir = a.text();
  const auto timeout = std::chrono::milliseconds(a.number(1, 600000));
  if (!a.ok) return 2;
  constexpr std::size_t kMostFrames = 48;
  const Rect whole{0, 0, 1280, 1024};  // the test display's screen
  // Looks keep the file's bytes: a spin frame shows for about 17 ms, and two looks must fit
  // in it, which decoding every look would not leave time for on a busy machine.
  std::vector<std::vector<unsigned char>> frames;
  std::vector<unsigned char> previous;
  int x = 0, y = 0;
  const auto end = Clock::now() + timeout;
  while (!readWindowPlace(dir, &x, &y)) {
    if (Clock::now() > end) return 1;
    std::vector<unsigned char> now;
    // A frame counts once it holds for two looks, so a half-copied one is not kept.
    if (readScreenBytes(screen, &now) && now == previous && frames.size() < kMostFrames &&
        (frames.empty() || frames.back() != now)) {
      frames.push_back(now);
    }
    previous = std::move(now);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::vector<Picture> spin;
  for (const auto& bytes : frames) {
    Picture frame;
    if (!decodeScreen(bytes, whole, &frame)) continue;
    if (x + kBoardWidth > frame.width || y + kBoardHeight > frame.height) return 1;
    Picture window = crop(frame, {x, y, kBoardWidth, kBoardHeight});
    if (spinFrame(window) && (spin.empty() || spin.back().pixels != window.pixels)) {
      spin.push_back(std::move(window));
    }
  }
  std::printf("frames %zu\n", spin.size());
  if (spin.size() < 2) return 1;
  return writePpm(dir + "/first.ppm", spin.front()) &&
                 writePpm(dir + "/mid.ppm", spin[spin.size() / 2])
             ? 0
             : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: robot board|apply|play|count|watch|spin ...\n");
    return 2;
  }
  Args args{argc, argv};
  const std::string command = argv[1];
  int status = 2;
  if (command == "board") status = commandBoard(args);
  if (command == "apply") status = commandApply(args);
  if (command == "play") status = commandPlay(args);
  if (command == "count") status = commandCount(args);
  if (command == "watch") status = commandWatch(args);
  if (command == "spin") status = commandSpin(args);
  if (status == 2) std::fprintf(stderr, "robot: bad arguments for %s\n", command.c_str());
  return status;
}

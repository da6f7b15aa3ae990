// Soak on the open window: passes of the game's play loop (a buffered frame of the 20
// tiles, then one click read from the mouse queue and applied to the board) and calls of
// every style setter, SLATE_SOAK_COUNT of each (5,000 unless set; docs/reliability.md runs
// 20,000). After a warm-up the committed memory stays within 1 MB, the room left for GDI
// objects is what it was, and drawing still reaches the window.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "board.h"
#include "style_setter_loops.h"
#include "support/window_fixture.h"

using namespace Slate;

namespace {

// A pass takes about 7 ms under Wine: 20,000 of them take minutes.
int soakCount() {
  const char* set = std::getenv("SLATE_SOAK_COUNT");
  return set != nullptr ? std::max(std::atoi(set), 1) : 5000;
}
const int kCount = soakCount();
constexpr int kWarmUp = 1000;
constexpr SIZE_T kFlatBytes = 1 << 20;

// The process's committed private memory. Wine reports PrivateUsage as 0, so the address
// space is walked instead.
SIZE_T committedBytes() {
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION info;
  for (const char* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;
       at = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
  }
  return total;
}

// How many more GDI objects the process can make. GetGuiResources answers 0 under Wine, so
// the table is filled with pens until it refuses, and emptied again.
int gdiRoom() {
  std::vector<HPEN> made;
  made.reserve(70000);
  while (made.size() < 70000) {
    HPEN pen = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(made.size()));
    if (pen == nullptr) break;
    made.push_back(pen);
  }
  for (HPEN pen : made) DeleteObject(pen);
  return static_cast<int>(made.size());
}

// Memory after the warm-up and the most it grew beyond that at any later sample.
struct MemoryWatch {
  SIZE_T base = 0, peak = 0;
  void sample(int done) {
    if (done == kWarmUp) base = peak = committedBytes();
    if (done > kWarmUp && done % 500 == 0) peak = std::max(peak, committedBytes());
  }
  void report(const char* what) const {
    std::printf("%s: %.1f KiB committed after warm-up, at most %+.1f KiB later\n", what,
                base / 1024.0, (static_cast<double>(peak) - base) / 1024.0);
  }
};

class Soak : public SlateTest::WindowTargetTest {
 protected:
  static void SetUpTestSuite() {
    WindowTargetTest::SetUpTestSuite();
    for (int k = 0; k < 20; ++k) {
      resizeImage(&tiles[k], 180, 150);
      DWORD* pixels = getImageBuffer(&tiles[k]);
      std::fill(pixels, pixels + 180 * 150, static_cast<DWORD>(0x0F0F0F * k));
    }
    roomBefore = gdiRoom();
  }
  static void TearDownTestSuite() {
    // Last, so that every soak case has run; the tiles are still held.
    const int roomAfter = gdiRoom();
    std::printf("GDI room: %d objects before, %d after\n", roomBefore, roomAfter);
    EXPECT_GE(roomAfter, roomBefore - 16);
  }

  // Drawing still reaches the window: a solid square read back from it.
  void expectDrawingWorks() {
    auto& target = graphContext.windowTarget;
    target.setFillStyle(BS_SOLID, 0, nullptr);
    target.setFillColor(RGB(10, 200, 30));
    target.solidRectangle(100, 100, 149, 149);
    const SlateTest::Pixels shown = SlateTest::readWindow(window.hwnd, 100, 100, 50, 50);
    EXPECT_EQ(shown.count(0x0AC81E), 50 * 50);
  }

  static IMAGE tiles[20];
  static int roomBefore;
};

IMAGE Soak::tiles[20];
int Soak::roomBefore = 0;

TEST_F(Soak, PlayLoopPassesKeepMemoryAndHandlesFlat) {
  Board::dealBoard();
  MemoryWatch memory;
  for (int pass = 0; pass <= kWarmUp + kCount; ++pass) {
    memory.sample(pass);
    beginBufferedDrawing();
    for (int col = 0; col < Board::kColumns; ++col)
      for (int row = 0; row < Board::kRows; ++row)
        drawImage(180 * col, 150 * row, &tiles[Board::board[col][row]], SRCCOPY);
    endBufferedDrawing();
    PostMessageW(window.hwnd, WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(180 * (pass % 5) + 90, 150 * (pass / 5 % 4) + 75));
    MOUSEMSG m;
    do {
      m = getMouseMessage();  // the moves Wine makes as the window shows come first
    } while (m.message != WM_LBUTTONDOWN);
    Board::moveTile(m.x / 180, m.y / 150);
  }
  memory.report("play loop");
  EXPECT_LE(memory.peak - memory.base, kFlatBytes);
  expectDrawingWorks();
}

TEST_F(Soak, StyleSettersKeepMemoryAndHandlesFlat) {
  MemoryWatch memory;
  auto& target = graphContext.windowTarget;
  // Each setter's own warm-up is its first calls; memory is sampled between the setters.
  auto round = [&](int calls) {
    StyleSetterLoops::lineSetters(target, calls);
    StyleSetterLoops::fillSetters(target, calls, calls);
    StyleSetterLoops::repeat("setTextStyle", calls, [](int i) {
      setTextStyle(10 + i % 40, 0, i % 2 ? L"Arial" : L"Tahoma");
    });
  };
  round(kWarmUp);
  memory.sample(kWarmUp);
  round(kCount);
  memory.sample(kWarmUp + 500);
  memory.report("style setters");
  EXPECT_LE(memory.peak - memory.base, kFlatBytes);
  expectDrawingWorks();
}

// The variants switch pens and brushes off and back through the kept objects; colours that
// change every pass make the keeping turn over.
TEST_F(Soak, ShapeVariantsKeepMemoryAndHandlesFlat) {
  MemoryWatch memory;
  beginBufferedDrawing();
  for (int pass = 0; pass <= kWarmUp + kCount; ++pass) {
    memory.sample(pass);
    setLineColor(RGB(pass % 7 * 30, 90, 200));
    setFillColor(RGB(200, pass % 11 * 20, 40));
    setFillStyle(pass % 3 == 0 ? BS_HATCHED : BS_SOLID, pass % 6);
    rectangle(10, 10, 60, 60);
    solidCircle(100, 40, 20);
    clearEllipse(140, 20, 200, 60);
    solidPie(210, 10, 260, 60, 0.5, 2.5);
  }
  endBufferedDrawing();
  memory.report("shape variants");
  EXPECT_LE(memory.peak - memory.base, kFlatBytes);
  expectDrawingWorks();
}

}  // namespace

// The game itself: cutting the tiles, the play loop and the congratulation.
#include <windows.h>
#include <conio.h>

#include <cstdlib>

#include "board.h"
#include "game.h"
#include "resource_ids.h"
#include "timing.h"

using namespace Slate;

namespace {

constexpr int kTileWidth = 180;
constexpr int kTileHeight = 150;

void drawBoard() {
  beginBufferedDrawing();
  for (int col = 0; col < Board::kColumns; ++col) {
    for (int row = 0; row < Board::kRows; ++row) {
      drawImage(kTileWidth * col, kTileHeight * row, &tiles[Board::board[col][row]], SRCCOPY);
    }
  }
  endBufferedDrawing();
  TIMING_STAMP("board drawn");
}

// Each text is a prefix of the next, so drawing them at one place types the message.
void congratulate() {
  static const wchar_t* const kSteps[] = {
      L"恭",
      L"恭喜",
      L"恭喜您",
      L"恭喜您,拼",
      L"恭喜您,拼图",
      L"恭喜您,拼图完",
      L"恭喜您,拼图完成 ！",
  };
  setTextColor(0xFFFF1C);
  setTextStyle(90, 0, L"华文新魏");
  const int count = static_cast<int>(sizeof(kSteps) / sizeof(kSteps[0]));
  for (int i = 0; i < count; ++i) {
    writeTextAt(100, 250, kSteps[i]);
    if (i + 1 < count) Sleep(150);
  }
  // Arrow and function keys reach the console as two codes. Reading the second one too keeps
  // one key press to one congratulation; otherwise the next one would not wait.
  const int key = _getch();
  if ((key == 0 || key == 0xE0) && _kbhit()) _getch();
}

}  // namespace

void startGame() {
  const int p = std::rand() % 5;
  setDrawTarget(&pictures[1 + p]);
  for (int col = 0; col < Board::kColumns; ++col) {
    for (int row = 0; row < Board::kRows; ++row) {
      captureImage(&tiles[Board::kRows * col + row], kTileWidth * col, kTileHeight * row,
                   kTileWidth, kTileHeight);
    }
  }
  setDrawTarget(nullptr);
  loadImageResource(&tiles[Board::kBlankTile], L"IMAGE", MAKEINTRESOURCEW(IDR_BLANK_TILE),
                    kTileWidth, kTileHeight, false);
  playGame();
}

void playGame() {
  Board::dealBoard();
  for (;;) {
    drawBoard();
    if (Board::isSolved()) congratulate();
    handleBoardClick();
  }
}

void handleBoardClick() {
  const MOUSEMSG m = getMouseMessage();
  if (m.message != WM_LBUTTONDOWN) return;
  TIMING_STAMP("click read");
  Board::moveTile(m.x / kTileWidth, m.y / kTileHeight);
}

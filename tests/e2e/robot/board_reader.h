// Reading the puzzle board off the screen: each cell is matched against the tiles of the
// five game pictures, scaled to the window the way the game shows them.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "screen.h"

namespace Robot {

constexpr int kColumns = 5;
constexpr int kRows = 4;
constexpr int kCells = kColumns * kRows;
constexpr int kBlankTile = 19;
constexpr int kTileWidth = 180;
constexpr int kTileHeight = 150;
constexpr int kBoardWidth = kColumns * kTileWidth;
constexpr int kBoardHeight = kRows * kTileHeight;

// Cells and tiles share one numbering, column by column: cell 4 * col + row, and tile k
// belongs at cell k. The solved board holds tile c at every cell c.
inline int cellOf(int col, int row) {
  return kRows * col + row;
}

// The coarse look of one tile: the mean red, green and blue of each 15 x 15 block. Coarse
// enough that a one-pixel difference in how a picture is stretched does not matter.
constexpr int kBlock = 15;
constexpr int kLookSize = (kTileWidth / kBlock) * (kTileHeight / kBlock) * 3;
using TileLook = std::array<float, kLookSize>;

// looks[p][k]: tile k of game picture p (0-4); entry 19 is the blank tile in every picture.
struct TileSet {
  std::vector<std::array<TileLook, kCells>> looks;
};

// Builds the references from the five game pictures at 900 x 600 and the blank at 180 x 150.
TileSet makeTileSet(const std::vector<Picture>& pictures, const Picture& blank);

// Loads picture1.bmp ... picture5.bmp and blank.bmp from the assets folder and stretches
// them as the game does.
bool loadTileSet(const std::string& assetsDir, TileSet* out);

TileLook lookOf(const Picture& board, int col, int row);

struct BoardReading {
  int picture = -1;
  std::array<int, kCells> cells{};  // the tile seen at each cell
};

// Reads a 900 x 600 picture of the board. False unless every cell is close to a tile of one
// picture and each tile shows exactly once, as on any board the game draws; a board with
// text over it, or a menu, or a half-drawn frame does not read.
bool readBoard(const Picture& board, const TileSet& tiles, BoardReading* out);

}  // namespace Robot

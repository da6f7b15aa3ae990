// The board rules: the deal, the neighbour test, the move and the solved test. They work on
// the static board array alone and draw nothing, so they run anywhere.
#pragma once

namespace Board {

constexpr int kColumns = 5;
constexpr int kRows = 4;
constexpr int kTileCount = kColumns * kRows;
constexpr int kBlankTile = 19;  // the bottom-right tile becomes the blank

// board[col][row] holds the tile shown at that cell. Tile k was cut from column k / 4 and
// row k % 4, so the solved board holds 4 * col + row everywhere. Row 4 is never used.
extern int board[kColumns][kColumns];

// Deals the 20 tiles at random with rand(), drawing once per cell, column by column. An
// arrangement the moves could never solve is made solvable by swapping the tiles of the
// first two cells that do not hold the blank.
void dealBoard();

// The cell holding the blank, scanning column by column.
void findBlank(int* col, int* row);

// Is (col, row) directly left, right, below or above the blank cell?
bool isNeighbour(int col, int row, int blankCol, int blankRow);

// Slides the tile at (col, row) into the blank if it is a neighbour; true if it moved.
bool moveTile(int col, int row);

// Every cell holds its own tile.
bool isSolved();

// Whether the moves can bring the current arrangement back to the solved one: the parity
// of the permutation equals the parity of the blank's distance from its home cell.
bool isSolvable();

}  // namespace Board

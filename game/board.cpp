// The board rules. See board.h.
#include "board.h"

#include <cstdlib>

namespace Board {

int board[kColumns][kColumns];

namespace {

int cellIndex(int col, int row) {
  return kRows * col + row;
}

// Parity of the permutation cell -> tile, counted by cycles: a cycle of length n is n - 1
// transpositions.
int permutationParity() {
  bool seen[kTileCount] = {};
  int transpositions = 0;
  for (int start = 0; start < kTileCount; ++start) {
    if (seen[start]) continue;
    int length = 0;
    for (int cell = start; !seen[cell]; cell = board[cell / kRows][cell % kRows]) {
      seen[cell] = true;
      ++length;
    }
    transpositions += length - 1;
  }
  return transpositions % 2;
}

}  // namespace

bool isSolvable() {
  int blankCol = 0, blankRow = 0;
  findBlank(&blankCol, &blankRow);
  const int homeCol = kBlankTile / kRows, homeRow = kBlankTile % kRows;
  const int distance = std::abs(homeCol - blankCol) + std::abs(homeRow - blankRow);
  // Every move is one transposition and moves the blank by one cell.
  return permutationParity() == distance % 2;
}

void dealBoard() {
  int pool[kTileCount];
  for (int i = 0; i < kTileCount; ++i) pool[i] = i;
  int remaining = kTileCount;
  for (int col = 0; col < kColumns; ++col) {
    for (int row = 0; row < kRows; ++row) {
      const int k = std::rand() % remaining;
      board[col][row] = pool[k];
      for (int i = k; i < remaining - 1; ++i) pool[i] = pool[i + 1];
      --remaining;
    }
    board[col][kRows] = 0;
  }
  if (isSolvable()) return;
  // Swapping two tiles flips the permutation's parity and leaves the blank where it is.
  int* first = nullptr;
  for (int cell = 0; cell < kTileCount; ++cell) {
    int& tile = board[cell / kRows][cell % kRows];
    if (tile == kBlankTile) continue;
    if (!first) {
      first = &tile;
    } else {
      const int held = *first;
      *first = tile;
      tile = held;
      break;
    }
  }
}

void findBlank(int* col, int* row) {
  for (int c = 0; c < kColumns; ++c) {
    for (int r = 0; r < kRows; ++r) {
      if (board[c][r] == kBlankTile) {
        *col = c;
        *row = r;
        return;
      }
    }
  }
}

bool isNeighbour(int col, int row, int blankCol, int blankRow) {
  return (col == blankCol - 1 && row == blankRow) || (col == blankCol + 1 && row == blankRow) ||
         (col == blankCol && (row == blankRow + 1 || row == blankRow - 1));
}

bool moveTile(int col, int row) {
  if (col < 0 || col >= kColumns || row < 0 || row >= kRows) return false;
  int blankCol = 0, blankRow = 0;
  findBlank(&blankCol, &blankRow);
  if (!isNeighbour(col, row, blankCol, blankRow)) return false;
  board[blankCol][blankRow] = board[col][row];
  board[col][row] = kBlankTile;
  return true;
}

bool isSolved() {
  int count = 0;
  for (int col = 0; col < kColumns; ++col) {
    for (int row = 0; row < kRows; ++row) {
      if (board[col][row] == cellIndex(col, row)) ++count;
    }
  }
  return count == kTileCount;
}

}  // namespace Board

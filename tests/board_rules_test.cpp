// The board rules: the deal and its solvable correction, the neighbour test, the move and
// the solved test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "board.h"

namespace {

using Board::board;

void setSolved() {
  for (int col = 0; col < 5; ++col)
    for (int row = 0; row < 5; ++row) board[col][row] = row < 4 ? 4 * col + row : 0;
}

// The deal as drawn, before any correction: one rand() per cell, column by column, taking
// the k-th remaining tile.
void dealUncorrected(int out[5][5]) {
  int pool[20];
  for (int i = 0; i < 20; ++i) pool[i] = i;
  int remaining = 20;
  std::memset(out, 0, sizeof(int) * 25);
  for (int col = 0; col < 5; ++col)
    for (int row = 0; row < 4; ++row) {
      const int k = std::rand() % remaining;
      out[col][row] = pool[k];
      for (int i = k; i < remaining - 1; ++i) pool[i] = pool[i + 1];
      --remaining;
    }
}

// Random legal moves from the solved board.
void shuffleByMoves(unsigned seed, int moves) {
  setSolved();
  std::srand(seed);
  for (int i = 0; i < moves; ++i) {
    int bc = 0, br = 0;
    Board::findBlank(&bc, &br);
    static const int kSteps[4][2] = {{-1, 0}, {1, 0}, {0, 1}, {0, -1}};
    const int* step = kSteps[std::rand() % 4];
    Board::moveTile(bc + step[0], br + step[1]);
  }
}

void swapFirstTwoTiles() {
  int* first = nullptr;
  for (int cell = 0; cell < 20; ++cell) {
    int& tile = board[cell / 4][cell % 4];
    if (tile == 19) continue;
    if (!first) {
      first = &tile;
      continue;
    }
    std::swap(*first, tile);
    return;
  }
}

TEST(BoardSolvability, PredicateAgreesWithBoardsReachedByMoves) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    shuffleByMoves(seed, 1 + static_cast<int>(seed % 97) * 3);
    EXPECT_TRUE(Board::isSolvable()) << "seed " << seed;
    swapFirstTwoTiles();
    EXPECT_FALSE(Board::isSolvable()) << "seed " << seed;
  }
}

TEST(BoardDeal, EveryDealIsSolvableAndUsesEachTileOnce) {
  for (unsigned seed = 0; seed < 10000; ++seed) {
    std::srand(seed);
    Board::dealBoard();
    ASSERT_TRUE(Board::isSolvable()) << "seed " << seed;
    int seen[20] = {};
    for (int col = 0; col < 5; ++col) {
      for (int row = 0; row < 4; ++row) ++seen[board[col][row]];
      ASSERT_EQ(board[col][4], 0);
    }
    for (int tile = 0; tile < 20; ++tile) ASSERT_EQ(seen[tile], 1) << "seed " << seed;
  }
}

TEST(BoardDeal, DrawsInOrderAndKeepsSolvableDealsAsDealt) {
  int solvableSeen = 0, corrected = 0;
  for (unsigned seed = 0; seed < 500; ++seed) {
    int expected[5][5];
    std::srand(seed);
    dealUncorrected(expected);
    std::srand(seed);
    Board::dealBoard();
    // The correction swaps exactly the first two non-blank cells, nothing else.
    int differing = 0;
    for (int col = 0; col < 5; ++col)
      for (int row = 0; row < 4; ++row) differing += board[col][row] != expected[col][row];
    std::memcpy(board, expected, sizeof expected);
    if (Board::isSolvable()) {
      ++solvableSeen;
      EXPECT_EQ(differing, 0) << "seed " << seed;
    } else {
      ++corrected;
      EXPECT_EQ(differing, 2) << "seed " << seed;
    }
  }
  // Both kinds of deal occur, about half each.
  EXPECT_GT(solvableSeen, 150);
  EXPECT_GT(corrected, 150);
}

TEST(BoardDeal, CorrectionSwapsTheFirstTwoNonBlankCells) {
  // Find a seed whose deal needs correcting and whose first cell holds the blank.
  for (unsigned seed = 0; seed < 5000; ++seed) {
    int expected[5][5];
    std::srand(seed);
    dealUncorrected(expected);
    std::memcpy(board, expected, sizeof expected);
    if (Board::isSolvable() || expected[0][0] != 19) continue;
    std::srand(seed);
    Board::dealBoard();
    EXPECT_EQ(board[0][0], 19);
    EXPECT_EQ(board[0][1], expected[0][2]);
    EXPECT_EQ(board[0][2], expected[0][1]);
    return;
  }
  FAIL() << "no seed dealt the blank first into an unsolvable arrangement";
}

TEST(BoardMoves, OnlyTheFourNeighboursOfTheBlankMove) {
  setSolved();  // blank at (4, 3)
  EXPECT_TRUE(Board::isSolved());
  EXPECT_FALSE(Board::moveTile(4, 3)) << "the blank itself";
  EXPECT_FALSE(Board::moveTile(3, 2)) << "a diagonal cell";
  EXPECT_FALSE(Board::moveTile(0, 0)) << "a distant cell";
  EXPECT_FALSE(Board::moveTile(4, 4)) << "the unused fifth row";
  EXPECT_FALSE(Board::moveTile(5, 3)) << "outside the board";
  EXPECT_TRUE(Board::isSolved());

  EXPECT_TRUE(Board::moveTile(3, 3));  // left of the blank
  EXPECT_EQ(board[4][3], 15);
  EXPECT_EQ(board[3][3], 19);
  EXPECT_FALSE(Board::isSolved());
  EXPECT_TRUE(Board::moveTile(3, 2));  // above
  EXPECT_TRUE(Board::moveTile(3, 3));  // below
  EXPECT_TRUE(Board::moveTile(4, 3));  // right
  EXPECT_TRUE(Board::isSolved());
  for (int col = 0; col < 5; ++col) EXPECT_EQ(board[col][4], 0);
}

TEST(BoardMoves, NeighbourTest) {
  EXPECT_TRUE(Board::isNeighbour(1, 2, 2, 2));
  EXPECT_TRUE(Board::isNeighbour(3, 2, 2, 2));
  EXPECT_TRUE(Board::isNeighbour(2, 1, 2, 2));
  EXPECT_TRUE(Board::isNeighbour(2, 3, 2, 2));
  EXPECT_FALSE(Board::isNeighbour(2, 2, 2, 2));
  EXPECT_FALSE(Board::isNeighbour(1, 1, 2, 2));
  EXPECT_FALSE(Board::isNeighbour(0, 2, 2, 2));
}

}  // namespace

// A solver for the 5 x 4 board: it places the tiles a few at a time, each group by a
// breadth-first search over the positions of that group and of the blank, never moving a
// tile placed before. Short enough for a robot player, and it never fails on a solvable board.
#pragma once

#include <array>
#include <vector>

#include "board_reader.h"

namespace Robot {

// Fills clicks with the cells to click in order, each beside the blank at its turn.
// False (clicks untouched) if cells is not a permutation of 0-19 or cannot be solved.
bool planSolution(const std::array<int, kCells>& cells, std::vector<int>* clicks);

// Applies one click by the game's rule: a cell beside the blank trades places with it.
// False (cells untouched) for any other cell.
bool applyClick(std::array<int, kCells>* cells, int cell);

bool isNeighbourCell(int a, int b);

}  // namespace Robot

// The solver. See solver.h.
#include "solver.h"

#include <algorithm>
#include <cstdlib>
#include <deque>

namespace Robot {

namespace {

// Tiles placed together, in order: the top row, the second row, then the last two rows
// column by column; the last group finishes the 2 x 2 corner. A row's last two tiles, and
// each column's pair, go together, since one of them cannot be placed alone without moving
// the other.
const std::vector<std::vector<int>> kGroups = {
    {0}, {4}, {8}, {12, 16}, {1}, {5}, {9}, {13, 17}, {2, 3}, {6, 7}, {10, 11}, {14, 15, 18},
};

constexpr int kMaxGroup = 3;

// A search state: the blank's cell and the cells of the group's tiles, packed in base 20.
struct Positions {
  int blank;
  int tile[kMaxGroup];
};

int pack(const Positions& p, int size) {
  int code = 0;
  for (int i = size - 1; i >= 0; --i) code = code * kCells + p.tile[i];
  return code * kCells + p.blank;
}

Positions unpack(int code, int size) {
  Positions p{};
  p.blank = code % kCells;
  code /= kCells;
  for (int i = 0; i < size; ++i) {
    p.tile[i] = code % kCells;
    code /= kCells;
  }
  return p;
}

int cellAt(int col, int row) {
  if (col < 0 || col >= kColumns || row < 0 || row >= kRows) return -1;
  return cellOf(col, row);
}

std::array<int, 4> neighbours(int cell) {
  const int col = cell / kRows, row = cell % kRows;
  return {cellAt(col - 1, row), cellAt(col + 1, row), cellAt(col, row - 1), cellAt(col, row + 1)};
}

bool groupHome(const Positions& p, const std::vector<int>& group) {
  for (std::size_t i = 0; i < group.size(); ++i) {
    if (p.tile[i] != group[i]) return false;
  }
  return true;
}

// Breadth-first search for the shortest click sequence that brings the group home while
// the blank stays off the locked cells. Appends it to clicks; false if there is none.
bool placeGroup(const std::array<int, kCells>& cells, const std::vector<int>& group,
                const std::array<bool, kCells>& locked, std::vector<int>* clicks) {
  const int size = static_cast<int>(group.size());
  Positions start{};
  for (int c = 0; c < kCells; ++c) {
    if (cells[c] == kBlankTile) start.blank = c;
    for (int i = 0; i < size; ++i) {
      if (cells[c] == group[i]) start.tile[i] = c;
    }
  }
  int states = kCells;
  for (int i = 0; i < size; ++i) states *= kCells;
  std::vector<int> parent(static_cast<std::size_t>(states), -1);
  const int first = pack(start, size);
  parent[first] = first;
  std::deque<int> queue{first};
  while (!queue.empty()) {
    const int code = queue.front();
    queue.pop_front();
    const Positions p = unpack(code, size);
    if (groupHome(p, group)) {
      std::vector<int> path;
      for (int at = code; at != first; at = parent[at]) path.push_back(unpack(at, size).blank);
      clicks->insert(clicks->end(), path.rbegin(), path.rend());
      return true;
    }
    for (int next : neighbours(p.blank)) {
      if (next < 0 || locked[next]) continue;
      Positions q = p;
      for (int i = 0; i < size; ++i) {
        if (q.tile[i] == next) q.tile[i] = p.blank;
      }
      q.blank = next;
      const int nextCode = pack(q, size);
      if (parent[nextCode] >= 0) continue;
      parent[nextCode] = code;
      queue.push_back(nextCode);
    }
  }
  return false;
}

bool isPermutation(const std::array<int, kCells>& cells) {
  bool seen[kCells] = {};
  for (int tile : cells) {
    if (tile < 0 || tile >= kCells || seen[tile]) return false;
    seen[tile] = true;
  }
  return true;
}

}  // namespace

bool isNeighbourCell(int a, int b) {
  const std::array<int, 4> n = neighbours(a);
  return std::find(n.begin(), n.end(), b) != n.end();
}

bool applyClick(std::array<int, kCells>* cells, int cell) {
  if (cell < 0 || cell >= kCells) return false;
  const auto blank = std::find(cells->begin(), cells->end(), kBlankTile);
  if (blank == cells->end()) return false;
  const int blankCell = static_cast<int>(blank - cells->begin());
  if (!isNeighbourCell(blankCell, cell)) return false;
  std::swap((*cells)[blankCell], (*cells)[cell]);
  return true;
}

bool planSolution(const std::array<int, kCells>& cells, std::vector<int>* clicks) {
  if (!isPermutation(cells)) return false;
  std::array<int, kCells> board = cells;
  std::array<bool, kCells> locked{};
  std::vector<int> plan;
  for (const std::vector<int>& group : kGroups) {
    const std::size_t done = plan.size();
    if (!placeGroup(board, group, locked, &plan)) return false;
    for (std::size_t i = done; i < plan.size(); ++i) applyClick(&board, plan[i]);
    for (int tile : group) locked[tile] = true;
  }
  *clicks = std::move(plan);
  return true;
}

}  // namespace Robot

// Reading the board. See board_reader.h.
#include "board_reader.h"

#include <cmath>
#include <limits>

namespace Robot {

namespace {

// Mean difference of one colour channel, 0-255, below which a cell counts as that tile.
// Stretching the same picture another way gives at most 4; the two most alike tiles of any
// one picture differ by 11.
constexpr float kSameTile = 6.0f;

float distance(const TileLook& a, const TileLook& b) {
  float sum = 0;
  for (int i = 0; i < kLookSize; ++i) sum += std::fabs(a[i] - b[i]);
  return sum / kLookSize;
}

struct Match {
  int tile = -1;
  float distance = std::numeric_limits<float>::max();
};

Match bestTile(const TileLook& look, const std::array<TileLook, kCells>& tiles) {
  Match best;
  for (int k = 0; k < kCells; ++k) {
    const float d = distance(look, tiles[k]);
    if (d < best.distance) best = {k, d};
  }
  return best;
}

}  // namespace

TileLook lookOf(const Picture& board, int col, int row) {
  TileLook look{};
  int i = 0;
  for (int by = 0; by < kTileHeight; by += kBlock) {
    for (int bx = 0; bx < kTileWidth; bx += kBlock) {
      float sum[3] = {0, 0, 0};
      for (int y = by; y < by + kBlock; ++y) {
        for (int x = bx; x < bx + kBlock; ++x) {
          const std::uint32_t p = board.at(col * kTileWidth + x, row * kTileHeight + y);
          sum[0] += static_cast<float>(p >> 16 & 0xFF);
          sum[1] += static_cast<float>(p >> 8 & 0xFF);
          sum[2] += static_cast<float>(p & 0xFF);
        }
      }
      for (float s : sum) look[i++] = s / (kBlock * kBlock);
    }
  }
  return look;
}

TileSet makeTileSet(const std::vector<Picture>& pictures, const Picture& blank) {
  TileSet set;
  const TileLook blankLook = lookOf(blank, 0, 0);
  for (const Picture& picture : pictures) {
    std::array<TileLook, kCells> looks{};
    for (int col = 0; col < kColumns; ++col) {
      for (int row = 0; row < kRows; ++row) looks[cellOf(col, row)] = lookOf(picture, col, row);
    }
    looks[kBlankTile] = blankLook;
    set.looks.push_back(looks);
  }
  return set;
}

bool loadTileSet(const std::string& assetsDir, TileSet* out) {
  std::vector<Picture> pictures;
  for (int p = 1; p <= 5; ++p) {
    Picture bmp;
    if (!readBmp(assetsDir + "/picture" + std::to_string(p) + ".bmp", &bmp)) return false;
    pictures.push_back(scaleNearest(bmp, kBoardWidth, kBoardHeight));
  }
  Picture blank;
  if (!readBmp(assetsDir + "/blank.bmp", &blank)) return false;
  *out = makeTileSet(pictures, scaleNearest(blank, kTileWidth, kTileHeight));
  return true;
}

bool readBoard(const Picture& board, const TileSet& tiles, BoardReading* out) {
  if (board.width != kBoardWidth || board.height != kBoardHeight) return false;
  std::array<TileLook, kCells> seen{};
  for (int c = 0; c < kCells; ++c) seen[c] = lookOf(board, c / kRows, c % kRows);
  for (int p = 0; p < static_cast<int>(tiles.looks.size()); ++p) {
    BoardReading reading;
    reading.picture = p;
    bool shown[kCells] = {};
    bool ok = true;
    for (int c = 0; c < kCells && ok; ++c) {
      const Match m = bestTile(seen[c], tiles.looks[p]);
      ok = m.distance < kSameTile && !shown[m.tile];
      if (ok) shown[m.tile] = true;
      reading.cells[c] = m.tile;
    }
    if (ok) {
      *out = reading;
      return true;
    }
  }
  return false;
}

}  // namespace Robot

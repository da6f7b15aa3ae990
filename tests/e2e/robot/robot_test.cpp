// The robot's own parts, natively: the solver must never click beside the wrong cell nor
// give up on a solvable board, and the reader must tell boards from anything else.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>

#include "board_reader.h"
#include "screen.h"
#include "solver.h"

namespace {

using namespace Robot;

using Cells = std::array<int, kCells>;

Cells solvedCells() {
  Cells cells{};
  for (int c = 0; c < kCells; ++c) cells[c] = c;
  return cells;
}

// A solvable board: random legal moves from the solved one.
Cells shuffled(unsigned seed, int moves) {
  std::mt19937 random(seed);
  Cells cells = solvedCells();
  for (int i = 0; i < moves; ++i) applyClick(&cells, static_cast<int>(random() % kCells));
  return cells;
}

TEST(RobotSolver, SolvesEveryBoardClickingOnlyBesideTheBlank) {
  for (unsigned seed = 1; seed <= 200; ++seed) {
    Cells cells = shuffled(seed, 2000);
    std::vector<int> clicks;
    ASSERT_TRUE(planSolution(cells, &clicks)) << "seed " << seed;
    for (int cell : clicks) ASSERT_TRUE(applyClick(&cells, cell)) << "seed " << seed;
    EXPECT_EQ(cells, solvedCells()) << "seed " << seed;
    EXPECT_LT(clicks.size(), 400u);
  }
}

TEST(RobotSolver, SolvedBoardNeedsNoClicks) {
  std::vector<int> clicks{7};
  ASSERT_TRUE(planSolution(solvedCells(), &clicks));
  EXPECT_TRUE(clicks.empty());
}

TEST(RobotSolver, RefusesUnsolvableAndMalformedBoards) {
  const std::vector<int> before{3, 4};
  Cells swapped = shuffled(5, 500);
  std::swap(swapped[swapped[0] == kBlankTile ? 2 : 0], swapped[swapped[1] == kBlankTile ? 2 : 1]);
  Cells duplicate = solvedCells();
  duplicate[3] = 4;
  Cells outOfRange = solvedCells();
  outOfRange[0] = 20;
  for (const Cells& cells : {swapped, duplicate, outOfRange}) {
    std::vector<int> clicks = before;
    EXPECT_FALSE(planSolution(cells, &clicks));
    EXPECT_EQ(clicks, before);
  }
}

TEST(RobotSolver, ClicksAwayFromTheBlankChangeNothing) {
  Cells cells = solvedCells();  // blank at cell 19: column 4, row 3
  const Cells before = cells;
  for (int cell : {19, 14, 0, 17, -1, 20}) EXPECT_FALSE(applyClick(&cells, cell)) << cell;
  EXPECT_EQ(cells, before);
  EXPECT_TRUE(applyClick(&cells, 18));
  EXPECT_EQ(cells[18], kBlankTile);
  EXPECT_EQ(cells[19], 18);
}

// A picture of coarse random blocks that do not line up with the tiles, 800 x 500 as the
// game's pictures are stored.
Picture blockPicture(unsigned seed, int width, int height) {
  std::mt19937 random(seed);
  constexpr int kSize = 13;
  const int across = (width + kSize - 1) / kSize, down = (height + kSize - 1) / kSize;
  std::vector<std::uint32_t> colours(static_cast<std::size_t>(across * down));
  for (std::uint32_t& c : colours) c = random() & 0xFFFFFF;
  Picture p;
  p.width = width;
  p.height = height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) p.pixels.push_back(colours[(y / kSize) * across + x / kSize]);
  }
  return p;
}

struct Scene {
  std::vector<Picture> stored;  // as the assets hold them
  Picture blank;
  TileSet tiles;

  Scene() : blank(blockPicture(99, 108, 106)) {
    std::vector<Picture> shown;
    for (unsigned p = 0; p < 5; ++p) {
      stored.push_back(blockPicture(p + 1, 800, 500));
      shown.push_back(scaleNearest(stored.back(), kBoardWidth, kBoardHeight));
    }
    tiles = makeTileSet(shown, scaleNearest(blank, kTileWidth, kTileHeight));
  }

  // The board as a screen shows it, stretched with other rounding than the references.
  Picture board(int picture, const Cells& cells) const {
    const Picture& src = stored[picture];
    Picture out;
    out.width = kBoardWidth;
    out.height = kBoardHeight;
    out.pixels.resize(static_cast<std::size_t>(kBoardWidth * kBoardHeight));
    for (int c = 0; c < kCells; ++c) {
      const int tile = cells[c];
      for (int y = 0; y < kTileHeight; ++y) {
        for (int x = 0; x < kTileWidth; ++x) {
          std::uint32_t p;
          if (tile == kBlankTile) {
            p = blank.at((x * 108 + 90) / kTileWidth, (y * 106 + 75) / kTileHeight);
          } else {
            const int sx = tile / kRows * kTileWidth + x, sy = tile % kRows * kTileHeight + y;
            p = src.at(std::min(799, (sx * 800 + 450) / 900),
                       std::min(499, (sy * 500 + 300) / 600));
          }
          out.pixels[static_cast<std::size_t>((c % kRows * kTileHeight + y) * kBoardWidth +
                                              c / kRows * kTileWidth + x)] = p;
        }
      }
    }
    return out;
  }
};

const Scene& scene() {
  static const Scene s;
  return s;
}

TEST(RobotReader, ReadsEveryPictureAndArrangement) {
  for (int picture = 0; picture < 5; ++picture) {
    const Cells cells = shuffled(static_cast<unsigned>(picture) + 40, 300);
    BoardReading reading;
    ASSERT_TRUE(readBoard(scene().board(picture, cells), scene().tiles, &reading));
    EXPECT_EQ(reading.picture, picture);
    EXPECT_EQ(reading.cells, cells);
  }
}

TEST(RobotReader, DoesNotReadWhatIsNotABoard) {
  const Cells cells = shuffled(7, 300);
  Picture texted = scene().board(2, cells);
  for (int y = 250; y < 340; ++y) {
    for (int x = 100; x < 800; x += 2)
      texted.pixels[static_cast<std::size_t>(y * kBoardWidth + x)] = 0x1CFFFF;
  }
  Picture black = texted;
  std::fill(black.pixels.begin(), black.pixels.end(), 0u);
  Cells twice = cells;
  twice[0] = twice[1] == kBlankTile ? twice[2] : twice[1];
  const Picture repeated = scene().board(2, twice);
  BoardReading reading;
  reading.picture = 42;
  for (const Picture* p : std::vector<const Picture*>{&texted, &black, &repeated}) {
    EXPECT_FALSE(readBoard(*p, scene().tiles, &reading));
    EXPECT_EQ(reading.picture, 42);
  }
  Picture small;
  small.width = 10;
  small.height = 10;
  small.pixels.assign(100, 0u);
  EXPECT_FALSE(readBoard(small, scene().tiles, &reading));
}

std::string tempPath(const char* name) {
  return testing::TempDir() + name;
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void put32(std::vector<unsigned char>* b, std::uint32_t v, bool big) {
  for (int i = 0; i < 4; ++i)
    b->push_back(static_cast<unsigned char>(v >> (big ? 24 - 8 * i : 8 * i)));
}

// An XWD as Xvfb writes its frame buffer: header, 256 colour-map entries, BGRX pixels.
std::vector<unsigned char> xwdOf(const Picture& p) {
  std::vector<unsigned char> b;
  const std::uint32_t header[25] = {104,
                                    7,
                                    2,
                                    24,
                                    static_cast<std::uint32_t>(p.width),
                                    static_cast<std::uint32_t>(p.height),
                                    0,
                                    0,
                                    32,
                                    0,
                                    32,
                                    32,
                                    static_cast<std::uint32_t>(p.width * 4),
                                    4,
                                    0xFF0000,
                                    0xFF00,
                                    0xFF,
                                    8,
                                    256,
                                    256,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0};
  for (std::uint32_t v : header) put32(&b, v, true);
  b.resize(104 + 256 * 12, 0);
  for (std::uint32_t px : p.pixels) put32(&b, px, false);
  return b;
}

TEST(RobotScreen, ReadsRegionsOfXwdAndPpmAlike) {
  const Picture whole = blockPicture(3, 64, 40);
  const std::string xwd = tempPath("robot_screen.xwd"), ppm = tempPath("robot_screen.ppm");
  writeBytes(xwd, xwdOf(whole));
  ASSERT_TRUE(writePpm(ppm, whole));
  const Rect region{5, 7, 30, 20};
  for (const std::string& path : {xwd, ppm}) {
    Picture part;
    ASSERT_TRUE(readScreen(path, region, &part)) << path;
    EXPECT_EQ(part.pixels, crop(whole, region).pixels) << path;
  }
}

TEST(RobotScreen, RefusesRegionsOutsideAndCutFiles) {
  const Picture whole = blockPicture(4, 64, 40);
  std::vector<unsigned char> bytes = xwdOf(whole);
  bytes.resize(bytes.size() - 100);
  const std::string cut = tempPath("robot_cut.xwd"), ppm = tempPath("robot_ok.ppm");
  writeBytes(cut, bytes);
  ASSERT_TRUE(writePpm(ppm, whole));
  Picture out;
  out.width = 1;
  EXPECT_FALSE(readScreen(cut, {0, 0, 64, 40}, &out));
  EXPECT_TRUE(readScreen(cut, {0, 0, 64, 30}, &out));
  out.width = 1;
  EXPECT_FALSE(readScreen(ppm, {40, 0, 25, 10}, &out));
  EXPECT_FALSE(readScreen(ppm, {0, 0, 0, 10}, &out));
  EXPECT_FALSE(readScreen(tempPath("robot_missing.ppm"), {0, 0, 1, 1}, &out));
  EXPECT_EQ(out.width, 1);
}

TEST(RobotScreen, ReadsBottomUpBmpWithRowPadding) {
  // 3 x 2 pixels: 9 bytes of pixels per row padded to 12, bottom row first.
  std::vector<unsigned char> b = {'B', 'M'};
  put32(&b, 54 + 24, false);
  put32(&b, 0, false);
  put32(&b, 54, false);
  put32(&b, 40, false);
  put32(&b, 3, false);
  put32(&b, 2, false);
  b.insert(b.end(), {1, 0, 24, 0});
  b.resize(54, 0);
  const unsigned char bottom[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0};
  const unsigned char top[12] = {10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
  b.insert(b.end(), bottom, bottom + 12);
  b.insert(b.end(), top, top + 12);
  const std::string path = tempPath("robot.bmp");
  writeBytes(path, b);
  Picture p;
  ASSERT_TRUE(readBmp(path, &p));
  ASSERT_EQ(p.width, 3);
  ASSERT_EQ(p.height, 2);
  EXPECT_EQ(p.at(0, 0), 0x0C0B0Au);
  EXPECT_EQ(p.at(2, 1), 0x090807u);
  b[28] = 32;
  writeBytes(path, b);
  EXPECT_FALSE(readBmp(path, &p));
  EXPECT_EQ(p.width, 3);
}

}  // namespace

// Pictures the robot looks at: screen captures (the live frame buffer of Xvfb in XWD form,
// or a binary PPM as ImageMagick's import writes it) and the game's 24-bit BMP assets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Robot {

// Pixels are 0xRRGGBB, row by row from the top.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

struct Rect {
  int x;
  int y;
  int width;
  int height;
};

// Reads one region of a screen capture. False when the file is neither format, is cut
// short, or does not hold the whole region.
bool readScreen(const std::string& path, Rect region, Picture* out);

// The same in two steps, for a caller that looks often and keeps few looks: the file's
// bytes as they are (cheap), then the region of such bytes.
bool readScreenBytes(const std::string& path, std::vector<unsigned char>* out);
bool decodeScreen(const std::vector<unsigned char>& bytes, Rect region, Picture* out);

// Reads an uncompressed 24-bit BMP.
bool readBmp(const std::string& path, Picture* out);

bool writePpm(const std::string& path, const Picture& picture);

// Nearest-neighbour stretch, as a block transfer enlarges a picture.
Picture scaleNearest(const Picture& src, int width, int height);

// The part of src inside r, which must lie within src.
Picture crop(const Picture& src, Rect r);

}  // namespace Robot

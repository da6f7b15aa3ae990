// Reading screen captures and assets. See screen.h.
#include "screen.h"

#include <fstream>
#include <utility>

namespace Robot {

namespace {

using Bytes = std::vector<unsigned char>;

bool readFile(const std::string& path, Bytes* out) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size < 0) return false;
  out->resize(static_cast<std::size_t>(size));
  in.seekg(0);
  return static_cast<bool>(in.read(reinterpret_cast<char*>(out->data()), size));
}

std::uint32_t bigEndian32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) << 24 | static_cast<std::uint32_t>(b[at + 1]) << 16 |
         static_cast<std::uint32_t>(b[at + 2]) << 8 | b[at + 3];
}

std::uint32_t littleEndian32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at + 3]) << 24 | static_cast<std::uint32_t>(b[at + 2]) << 16 |
         static_cast<std::uint32_t>(b[at + 1]) << 8 | b[at];
}

bool regionInside(Rect r, long long width, long long height) {
  return r.x >= 0 && r.y >= 0 && r.width > 0 && r.height > 0 &&
         static_cast<long long>(r.x) + r.width <= width &&
         static_cast<long long>(r.y) + r.height <= height;
}

// Fills out with region r of a picture whose row y starts at byte rowStart(y) of b and
// whose pixel x is read by pixel(b, rowStart(y) + x * bytesPerPixel).
template <class RowStart, class Pixel>
bool copyRegion(const Bytes& b, Rect r, std::size_t bytesPerPixel, RowStart rowStart, Pixel pixel,
                Picture* out) {
  Picture copy;
  copy.width = r.width;
  copy.height = r.height;
  copy.pixels.reserve(static_cast<std::size_t>(r.width) * static_cast<std::size_t>(r.height));
  for (int y = r.y; y < r.y + r.height; ++y) {
    const std::size_t row = rowStart(y);
    if (row + (r.x + r.width) * bytesPerPixel > b.size()) return false;
    for (int x = r.x; x < r.x + r.width; ++x)
      copy.pixels.push_back(pixel(b, row + x * bytesPerPixel));
  }
  *out = std::move(copy);
  return true;
}

// XWD as Xvfb keeps its frame buffer: a big-endian header, a colour map, then 32-bit pixels
// with 8-bit red, green and blue masks.
bool readXwd(const Bytes& b, Rect r, Picture* out) {
  constexpr std::size_t kHeaderWords = 25;
  if (b.size() < kHeaderWords * 4 || bigEndian32(b, 4) != 7) return false;
  const std::uint32_t headerSize = bigEndian32(b, 0);
  const long long width = bigEndian32(b, 16), height = bigEndian32(b, 20);
  const std::uint32_t byteOrder = bigEndian32(b, 28), bitsPerPixel = bigEndian32(b, 44);
  const std::uint32_t bytesPerLine = bigEndian32(b, 48), colours = bigEndian32(b, 76);
  if (bitsPerPixel != 32 || bigEndian32(b, 56) != 0xFF0000 || bigEndian32(b, 60) != 0xFF00 ||
      bigEndian32(b, 64) != 0xFF || !regionInside(r, width, height) || bytesPerLine < width * 4) {
    return false;
  }
  const std::size_t start = static_cast<std::size_t>(headerSize) + std::size_t{colours} * 12;
  auto rowStart = [&](int y) { return start + static_cast<std::size_t>(y) * bytesPerLine; };
  auto pixel = [byteOrder](const Bytes& bytes, std::size_t at) {
    const std::uint32_t v = byteOrder == 0 ? littleEndian32(bytes, at) : bigEndian32(bytes, at);
    return v & 0xFFFFFF;
  };
  return copyRegion(b, r, 4, rowStart, pixel, out);
}

// Skips blanks and '#' comments, then reads one decimal number of a PPM header.
bool ppmNumber(const Bytes& b, std::size_t* at, long long* value) {
  while (*at < b.size() &&
         (b[*at] == ' ' || b[*at] == '\n' || b[*at] == '\r' || b[*at] == '\t' || b[*at] == '#')) {
    if (b[*at] == '#') {
      while (*at < b.size() && b[*at] != '\n') ++*at;
    } else {
      ++*at;
    }
  }
  if (*at >= b.size() || b[*at] < '0' || b[*at] > '9') return false;
  *value = 0;
  while (*at < b.size() && b[*at] >= '0' && b[*at] <= '9' && *value < 1000000) {
    *value = *value * 10 + (b[*at] - '0');
    ++*at;
  }
  return true;
}

bool readPpm(const Bytes& b, Rect r, Picture* out) {
  if (b.size() < 2 || b[0] != 'P' || b[1] != '6') return false;
  std::size_t at = 2;
  long long width = 0, height = 0, maxValue = 0;
  if (!ppmNumber(b, &at, &width) || !ppmNumber(b, &at, &height) || !ppmNumber(b, &at, &maxValue) ||
      maxValue != 255 || !regionInside(r, width, height)) {
    return false;
  }
  const std::size_t start = at + 1;  // one blank ends the header
  auto rowStart = [&](int y) { return start + static_cast<std::size_t>(y * width * 3); };
  auto pixel = [](const Bytes& bytes, std::size_t p) {
    return static_cast<std::uint32_t>(bytes[p]) << 16 |
           static_cast<std::uint32_t>(bytes[p + 1]) << 8 | bytes[p + 2];
  };
  return copyRegion(b, r, 3, rowStart, pixel, out);
}

}  // namespace

bool readScreenBytes(const std::string& path, Bytes* out) {
  return readFile(path, out);
}

bool decodeScreen(const Bytes& bytes, Rect region, Picture* out) {
  return readPpm(bytes, region, out) || readXwd(bytes, region, out);
}

bool readScreen(const std::string& path, Rect region, Picture* out) {
  Bytes bytes;
  return readFile(path, &bytes) && decodeScreen(bytes, region, out);
}

bool readBmp(const std::string& path, Picture* out) {
  Bytes b;
  if (!readFile(path, &b) || b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
  const std::uint32_t offset = littleEndian32(b, 10);
  const long long width = static_cast<std::int32_t>(littleEndian32(b, 18));
  const long long rawHeight = static_cast<std::int32_t>(littleEndian32(b, 22));
  const unsigned bits = b[28] | b[29] << 8;
  if (bits != 24 || littleEndian32(b, 30) != 0 || width <= 0 || width > 20000 || rawHeight == 0 ||
      rawHeight > 20000 || rawHeight < -20000) {
    return false;
  }
  const bool bottomUp = rawHeight > 0;
  const long long height = bottomUp ? rawHeight : -rawHeight;
  const std::size_t stride = static_cast<std::size_t>((width * 3 + 3) / 4 * 4);
  auto rowStart = [&](int y) {
    const long long stored = bottomUp ? height - 1 - y : y;
    return offset + static_cast<std::size_t>(stored) * stride;
  };
  auto pixel = [](const Bytes& bytes, std::size_t p) {
    return static_cast<std::uint32_t>(bytes[p + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[p + 1]) << 8 | bytes[p];
  };
  const Rect whole{0, 0, static_cast<int>(width), static_cast<int>(height)};
  return copyRegion(b, whole, 3, rowStart, pixel, out);
}

bool writePpm(const std::string& path, const Picture& picture) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << picture.width << ' ' << picture.height << "\n255\n";
  for (std::uint32_t p : picture.pixels) {
    const char rgb[3] = {static_cast<char>(p >> 16 & 0xFF), static_cast<char>(p >> 8 & 0xFF),
                         static_cast<char>(p & 0xFF)};
    out.write(rgb, 3);
  }
  return static_cast<bool>(out);
}

Picture scaleNearest(const Picture& src, int width, int height) {
  Picture out;
  out.width = width;
  out.height = height;
  out.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  std::size_t i = 0;
  for (int y = 0; y < height; ++y) {
    const int sy = static_cast<int>(static_cast<long long>(y) * src.height / height);
    for (int x = 0; x < width; ++x) {
      out.pixels[i++] = src.at(static_cast<int>(static_cast<long long>(x) * src.width / width), sy);
    }
  }
  return out;
}

Picture crop(const Picture& src, Rect r) {
  Picture out;
  out.width = r.width;
  out.height = r.height;
  out.pixels.reserve(static_cast<std::size_t>(r.width) * static_cast<std::size_t>(r.height));
  for (int y = r.y; y < r.y + r.height; ++y) {
    for (int x = r.x; x < r.x + r.width; ++x) out.pixels.push_back(src.at(x, y));
  }
  return out;
}

}  // namespace Robot

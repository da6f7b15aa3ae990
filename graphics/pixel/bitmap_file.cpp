// Whether a BMP file holds all the bytes its headers promise, and writing one.
#include <slate/pixel/bitmap_file.h>

namespace Slate::Pixel {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;  // the oldest info header, 16-bit sizes
constexpr std::uint32_t kInfoHeaderBytes = 40;

// Compression kinds whose pixel rows are stored plain, one padded row after another.
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

std::uint32_t read16(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8;
}

std::uint32_t read32(const std::uint8_t* at) {
  return read16(at) | read16(at + 2) << 16;
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  put16(out, value & 0xFFFFu);
  put16(out, value >> 16);
}

constexpr std::uint32_t kPixelsPerMetre = 3780;  // 96 dpi

}  // namespace

bool bitmapFileIsShort(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < 2 || data[0] != 'B' || data[1] != 'M') return false;
  if (size < kFileHeaderBytes + 4) return true;
  const std::uint64_t bitsOffset = read32(data + 10);
  const std::uint32_t headerBytes = read32(data + 14);
  if (headerBytes != kCoreHeaderBytes && headerBytes < kInfoHeaderBytes) return true;
  if (kFileHeaderBytes + headerBytes > size) return true;
  const std::uint8_t* info = data + kFileHeaderBytes;
  std::int64_t width = 0, height = 0;
  std::uint32_t bitCount = 0, compression = kRgb, imageBytes = 0;
  if (headerBytes == kCoreHeaderBytes) {
    width = read16(info + 4);
    height = read16(info + 6);
    bitCount = read16(info + 10);
  } else {
    width = static_cast<std::int32_t>(read32(info + 4));
    height = static_cast<std::int32_t>(read32(info + 8));  // negative: rows top-down
    bitCount = read16(info + 14);
    compression = read32(info + 16);
    imageBytes = read32(info + 20);
  }
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || bitCount > 32) return true;
  std::uint64_t pixelBytes = imageBytes;
  if (compression == kRgb || compression == kBitFields || compression == kAlphaBitFields) {
    if (bitCount == 0) return true;
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
    // Divided rather than multiplied, so that no size can overflow.
    if (static_cast<std::uint64_t>(height) > size / rowBytes) return true;
    pixelBytes = rowBytes * static_cast<std::uint64_t>(height);
  } else if (pixelBytes == 0) {
    return true;  // compressed rows without their length: no telling where they end
  }
  return bitsOffset + pixelBytes > size;
}

std::vector<std::uint8_t> encodeBitmapFile(const std::uint32_t* pixels, int width, int height) {
  std::vector<std::uint8_t> out;
  if (pixels == nullptr || width <= 0 || height <= 0) return out;
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * 3 + 3) / 4 * 4;
  const std::uint64_t headerBytes = kFileHeaderBytes + kInfoHeaderBytes;
  const std::uint64_t fileBytes = headerBytes + rowBytes * static_cast<std::uint64_t>(height);
  if (fileBytes > 0xFFFFFFFFu) return out;
  out.reserve(static_cast<std::size_t>(fileBytes));
  out.push_back('B');
  out.push_back('M');
  put32(out, static_cast<std::uint32_t>(fileBytes));
  put32(out, 0);  // reserved
  put32(out, static_cast<std::uint32_t>(headerBytes));
  put32(out, kInfoHeaderBytes);
  put32(out, static_cast<std::uint32_t>(width));
  put32(out,
        static_cast<std::uint32_t>(height));  // positive: rows bottom-up, as every reader takes
  put16(out, 1);                              // planes
  put16(out, 24);                             // bits per pixel
  for (std::uint32_t field : {kRgb, 0u, kPixelsPerMetre, kPixelsPerMetre, 0u, 0u})
    put32(out, field);
  const std::size_t w = static_cast<std::size_t>(width);
  for (std::size_t y = static_cast<std::size_t>(height); y-- > 0;) {
    const std::uint32_t* row = pixels + y * w;
    for (std::size_t x = 0; x < w; ++x) {
      out.push_back(static_cast<std::uint8_t>(row[x]));  // blue, green, red
      out.push_back(static_cast<std::uint8_t>(row[x] >> 8));
      out.push_back(static_cast<std::uint8_t>(row[x] >> 16));
    }
    out.resize(out.size() + static_cast<std::size_t>(rowBytes) - 3 * w, 0);
  }
  return out;
}

}  // namespace Slate::Pixel

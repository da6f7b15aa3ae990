// Whether a BMP file holds all the bytes its headers promise.
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

}  // namespace Slate::Pixel

// The small picture the loading tests embed: a grid of 10 x 10 cells of distinct colours,
// 50 x 30 pixels, so that each row of the file needs padding and top and bottom differ.
// Shared by the program that writes it at build time and by the tests that check it.
#pragma once

#include <cstdint>
#include <vector>

namespace TestPicture {

constexpr int kWidth = 50;
constexpr int kHeight = 30;
constexpr int kCell = 10;

// Pixel (x, y), counted from the top row, as 0x00RRGGBB.
inline std::uint32_t color(int x, int y) {
  const std::uint32_t column = x / kCell;
  const std::uint32_t row = y / kCell;
  return ((40 + 50 * column) << 16) | ((30 + 80 * row) << 8) | (200 - 30 * column - 40 * row);
}

inline void putByte(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

inline void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  putByte(out, value);
  putByte(out, value >> 8);
}

inline void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

// A complete 24-bit BMP file: rows bottom-up, blue-green-red, padded to 4 bytes.
inline std::vector<std::uint8_t> bmpFile(std::uint32_t pixelsPerMetre) {
  const std::uint32_t rowBytes = (kWidth * 3 + 3) / 4 * 4;
  const std::uint32_t pixelBytes = rowBytes * kHeight;
  std::vector<std::uint8_t> out = {'B', 'M'};
  put32(out, 54 + pixelBytes);
  put32(out, 0);
  put32(out, 54);
  put32(out, 40);
  put32(out, kWidth);
  put32(out, kHeight);
  put16(out, 1);
  put16(out, 24);
  for (std::uint32_t field : {0u, 0u, pixelsPerMetre, pixelsPerMetre, 0u, 0u}) put32(out, field);
  for (int y = kHeight - 1; y >= 0; --y) {
    for (int x = 0; x < kWidth; ++x) {
      const std::uint32_t c = color(x, y);
      putByte(out, c);
      putByte(out, c >> 8);
      putByte(out, c >> 16);
    }
    out.resize(out.size() + rowBytes - kWidth * 3, 0);
  }
  return out;
}

}  // namespace TestPicture

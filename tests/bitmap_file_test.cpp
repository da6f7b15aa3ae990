// Whether a BMP file holds what its headers promise: the check made before the platform
// decoder, which reads past the data of a short file, is given one. And the file a picture
// is saved as, byte for byte the test picture's own.
#include <gtest/gtest.h>

#include <slate/pixel/bitmap_file.h>

#include <utility>

#include "test_picture.h"

using Slate::Pixel::bitmapFileIsShort;
using Slate::Pixel::encodeBitmapFile;

namespace {

std::vector<std::uint8_t> withField32(std::vector<std::uint8_t> file, size_t at, std::uint32_t v) {
  if (file.size() < at + 4) return file;
  for (size_t i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  return file;
}

TEST(BitmapFile, ShortOrImpossibleFilesAreToldApartFromWholeOnes) {
  const std::vector<std::uint8_t> whole = TestPicture::bmpFile(3780);
  const auto cut = [&](size_t bytes) {
    return std::vector<std::uint8_t>(whole.begin(), whole.begin() + bytes);
  };
  const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  const struct {
    const char* name;
    std::vector<std::uint8_t> data;
    bool isShort;
  } cases[] = {
      {"whole", whole, false},
      {"top-down rows", withField32(whole, 22, static_cast<std::uint32_t>(-30)), false},
      {"not a BMP", png, false},
      {"one byte less", cut(whole.size() - 1), true},
      {"headers only", cut(54), true},
      {"magic only", cut(2), true},
      {"rows far beyond any size", withField32(whole, 18, 0x7FFFFFFF), true},
      {"unknown info header", withField32(whole, 14, 20), true},
      {"compressed without its length", withField32(whole, 30, 1), true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(bitmapFileIsShort(c.data.data(), c.data.size()), c.isShort) << c.name;
  }
  EXPECT_FALSE(bitmapFileIsShort(nullptr, 0));
}

TEST(BitmapFile, SavedPicturesAreWholeFilesOfTheirPixels) {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < TestPicture::kHeight; ++y) {
    for (int x = 0; x < TestPicture::kWidth; ++x) {
      pixels.push_back(TestPicture::color(x, y) | 0xFF000000u);  // the high byte is dropped
    }
  }
  EXPECT_EQ(encodeBitmapFile(pixels.data(), TestPicture::kWidth, TestPicture::kHeight),
            TestPicture::bmpFile(3780));
  const std::uint32_t one = 0;
  for (const auto& size : {std::pair<int, int>{0, 1}, {1, -1}, {65536, 65536}, {1 << 30, 4}}) {
    EXPECT_TRUE(encodeBitmapFile(&one, size.first, size.second).empty()) << size.first;
  }
  EXPECT_TRUE(encodeBitmapFile(nullptr, 1, 1).empty());
}

}  // namespace

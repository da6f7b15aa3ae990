// Writes the loading tests' pictures into the folder given on the command line: the grid
// at 96 dpi (3780 pixels per metre) and the same grid at 120 dpi (4724).
#include <cstdio>
#include <string>

#include "test_picture.h"

namespace {

bool write(const std::string& path, std::uint32_t pixelsPerMetre) {
  const std::vector<std::uint8_t> bytes = TestPicture::bmpFile(pixelsPerMetre);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_test_picture <output-folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  const bool ok = write(folder + "/grid96.bmp", 3780) && write(folder + "/grid120.bmp", 4724);
  return ok ? 0 : 1;
}

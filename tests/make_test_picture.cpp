// Writes the loading tests' pictures into the folder given on the command line: the grid
// at 96 dpi (3780 pixels per metre) and the same grid at 120 dpi (4724).
#include <cstdio>
#include <fstream>
#include <string>

#include "test_picture.h"

namespace {

bool write(const std::string& path, std::uint32_t pixelsPerMetre) {
  const std::vector<std::uint8_t> bytes = TestPicture::bmpFile(pixelsPerMetre);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  return static_cast<bool>(file);
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

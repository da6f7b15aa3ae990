// assetgen <output-dir>: writes the game's pictures and music into output-dir.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "assets.h"

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: assetgen <output-dir>\n");
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path dir = fs::u8path(argv[1]);
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (!fs::is_directory(dir, ec)) {
    std::fprintf(stderr, "assetgen: cannot create directory %s\n", argv[1]);
    return 1;
  }
  for (const assetgen::AssetInfo& asset : assetgen::asset_list()) {
    std::vector<uint8_t> bytes = assetgen::generate_asset(asset.file_name);
    if (bytes.empty()) {
      std::fprintf(stderr, "assetgen: nothing generated for %s\n", asset.file_name);
      return 1;
    }
    // Written under a temporary name and renamed, so an interrupted run never leaves a
    // truncated file that a later build would take as up to date.
    const fs::path target = dir / asset.file_name;
    const fs::path partial = dir / (std::string(asset.file_name) + ".partial");
    {
      std::ofstream out(partial, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
      out.close();
      if (!out) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", partial.u8string().c_str());
        fs::remove(partial, ec);
        return 1;
      }
    }
    fs::rename(partial, target, ec);
    if (ec) {
      // Windows refuses to rename over an existing file on some file systems.
      fs::remove(target, ec);
      fs::rename(partial, target, ec);
    }
    if (ec) {
      std::fprintf(stderr, "assetgen: cannot create %s\n", target.u8string().c_str());
      return 1;
    }
  }
  return 0;
}

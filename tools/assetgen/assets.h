// The list of files the generator writes, and how each is made.
#ifndef ASSETGEN_ASSETS_H
#define ASSETGEN_ASSETS_H

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct AssetInfo {
  const char* file_name;
  int resource_id;  // the resource number the game carries it under
};

// All assets in resource order: title.bmp, picture1..5.bmp, blank.bmp, music1..5.wav,
// icon.ico.
const std::vector<AssetInfo>& asset_list();

// The complete bytes of the named file; empty for a name not in the list.
std::vector<uint8_t> generate_asset(const std::string& file_name);

}  // namespace assetgen

#endif

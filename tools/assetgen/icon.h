// The program's icon: a small board of bevelled tiles with the bottom-right one empty, in
// the sizes Windows asks for (16, 32, 48 pixels), as a complete .ico file.
#ifndef ASSETGEN_ICON_H
#define ASSETGEN_ICON_H

#include <cstdint>
#include <vector>

#include "image.h"

namespace assetgen {

// The icon drawn at size × size pixels; a size outside 8..256 gives an empty image.
Image8 render_icon(int size);

// An .ico file holding each picture as an opaque 32-bit entry (square, 1..256 pixels); any
// other picture, or none, gives an empty result.
std::vector<uint8_t> encode_ico(const std::vector<Image8>& images);

}  // namespace assetgen

#endif

// Decoding through the Windows Imaging Component, for the formats OLE picture loading has
// no decoder for (PNG on Windows, TIFF everywhere).
#pragma once

#include <ocidl.h>

#include <cstdint>
#include <vector>

namespace Slate {

// Decodes the first frame of the picture in stream, read from its start, into a new
// bitmap picture object of the frame's pixel size; the caller releases it. Alpha is
// premultiplied, so transparent parts come out black. Null when the data does not decode
// completely or the bitmap cannot be made.
IPicture* decodeWithImagingComponent(IStream* stream);

// A picture's pixels with straight alpha, 0xAARRGGBB, top-down.
struct TransparentPicture {
  std::vector<std::uint32_t> pixels;
  int width = 0;
  int height = 0;
  bool alpha = false;  // some pixel is below full alpha
};

// Decodes the first frame of the picture in stream, read from its start. With
// onlyTransparent, false unless it has transparency: an alpha channel, or a palette with a
// transparent entry, and at least one pixel below full alpha. False for data that does
// not decode.
bool decodePixels(IStream* stream, bool onlyTransparent, TransparentPicture* out);

}  // namespace Slate

// Decoding through the Windows Imaging Component, for the formats OLE picture loading has
// no decoder for (PNG on Windows, TIFF everywhere).
#pragma once

#include <ocidl.h>

namespace Slate {

// Decodes the first frame of the picture in stream, read from its start, into a new
// bitmap picture object of the frame's pixel size; the caller releases it. Alpha is
// premultiplied, so transparent parts come out black. Null when the data does not decode
// completely or the bitmap cannot be made.
IPicture* decodeWithImagingComponent(IStream* stream);

}  // namespace Slate

// Turning the stored line and fill styles into platform pens and brushes.
#pragma once

#include <slate/graphics.h>

#include <vector>

#include "style_objects.h"

namespace Slate {

// The two-colour pattern as a 1-bit bitmap wants it: rows top-down, each padded to a 16-bit
// boundary, the first pixel of a byte in bit 7; a black pixel (0) gives a 1 bit.
std::vector<BYTE> packMonochrome(const IMAGE& pattern);

// The pattern image as a packed bottom-up DIB in a global block (header, then bits), for a
// full-colour pattern brush. Null when the image has no bitmap or the platform refuses.
// The caller frees the block.
HGLOBAL packPatternDib(const IMAGE& pattern);

// The solid brush of colour, parked or new.
StyleObject solidBrush(COLORREF colour);

}  // namespace Slate

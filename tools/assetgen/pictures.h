// The title screen, the five puzzle pictures and the empty-slot tile.
#ifndef ASSETGEN_PICTURES_H
#define ASSETGEN_PICTURES_H

#include "image.h"

namespace assetgen {

constexpr int kPictureWidth = 800;
constexpr int kPictureHeight = 500;
constexpr int kPictureCount = 5;
constexpr int kBlankWidth = 108;
constexpr int kBlankHeight = 106;

// Picture n in 1..kPictureCount; any other n gives an empty image.
Image8 render_picture(int n);

Image8 render_sunset();
Image8 render_city();
Image8 render_reef();
Image8 render_mandala();
Image8 render_fractal();

// The game's name over a decorative background, with a calm dark band at the bottom for
// the menu text.
Image8 render_title();
// The tile shown in the empty slot.
Image8 render_blank();

}  // namespace assetgen

#endif

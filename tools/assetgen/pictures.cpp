#include "pictures.h"

namespace assetgen {

Image8 render_picture(int n) {
  switch (n) {
    case 1:
      return render_sunset();
    case 2:
      return render_city();
    case 3:
      return render_reef();
    case 4:
      return render_mandala();
    case 5:
      return render_fractal();
    default:
      return Image8{};
  }
}

}  // namespace assetgen

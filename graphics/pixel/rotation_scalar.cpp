// The portable path: the reference arithmetic, one pixel at a time, on the spans the
// shared driver hands it.
#include "rotation_internal.h"

namespace Slate::Pixel::Detail {

void rotateSpanPortable(const RotationSetup& s, double iSin, double iCos, uint32_t* row, int j0,
                        int j1) {
  rotateSpanScalar(s, iSin, iCos, row, j0, j1);
}

}  // namespace Slate::Pixel::Detail

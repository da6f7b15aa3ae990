// The portable path: the reference arithmetic, but in one pass over each row and skipping
// the parts of rows that cannot reach the source.
#include "rotation_internal.h"

namespace Slate::Pixel::Detail {

void rotateRowsScalar(const RotationSetup& s, int row0, int row1) {
  for (int i = row0; i < row1; ++i) {
    const double iSin = i * s.sinA, iCos = i * s.cosA;
    uint32_t* row = s.dst + size_t(i) * size_t(s.nW);
    int j0, j1;
    rowSpan(s, iSin, iCos, &j0, &j1);
    fillWords(row, j0, s.fill);
    rotateSpanScalar(s, iSin, iCos, row, j0, j1);
    fillWords(row + j1, s.nW - j1, s.fill);
  }
}

}  // namespace Slate::Pixel::Detail

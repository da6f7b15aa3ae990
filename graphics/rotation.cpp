// STUB: rotateImage.
#include "context.h"

namespace Slate {

void rotateImage(IMAGE*, IMAGE*, double, COLORREF, bool, bool) {}

}  // namespace Slate

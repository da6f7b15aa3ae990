// Helpers of the line and shape operations.
#pragma once

namespace Slate {

// Computed coordinates are rounded half away from zero: 2.5 -> 3, -2.5 -> -3.
int roundHalfAwayFromZero(double value);

// A relative move from position by delta, held at the ends of the int range rather than
// overflowing.
int offsetPosition(int position, int delta);

}  // namespace Slate

// Helpers of the line and shape operations.
#pragma once

namespace Slate {

// Computed coordinates are rounded half away from zero: 2.5 -> 3, -2.5 -> -3.
int roundHalfAwayFromZero(double value);

}  // namespace Slate

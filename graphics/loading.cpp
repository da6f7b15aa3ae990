// STUB: loading pictures from the program's resources.
#include "context.h"

namespace Slate {

void loadImageResource(IMAGE*, const wchar_t*, const wchar_t*, int, int, bool) {}

}  // namespace Slate

// LINESTYLE and FILLSTYLE: value types that own their dash pattern and pattern picture.
// Two values never share either; assignment makes deep copies.
#include <algorithm>

#include <slate/graphics.h>

namespace Slate {

namespace {
constexpr int kLineKindMask = 0x0F;
constexpr int kUserStyle = PS_USERSTYLE;  // 7
bool holdsPatternImage(int style) {
  return style == BS_PATTERN || style == BS_DIBPATTERN;
}
}  // namespace

LINESTYLE::LINESTYLE() : style(PS_SOLID), thickness(1), pattern(nullptr), count(0) {}

LINESTYLE::LINESTYLE(const LINESTYLE& other) : LINESTYLE() {
  *this = other;
}

LINESTYLE::~LINESTYLE() {
  delete[] pattern;
}

void LINESTYLE::clearPattern() {
  delete[] pattern;
  pattern = nullptr;
  count = 0;
}

LINESTYLE& LINESTYLE::operator=(const LINESTYLE& other) {
  if (&other == this) return *this;
  style = other.style;
  thickness = other.thickness;
  clearPattern();
  // A dash pattern only means something with the user line kind.
  if ((other.style & kLineKindMask) == kUserStyle && other.pattern && other.count > 0) {
    pattern = new DWORD[other.count];
    std::copy(other.pattern, other.pattern + other.count, pattern);
    count = other.count;
  }
  return *this;
}

FILLSTYLE::FILLSTYLE() : style(BS_SOLID), hatch(0), pattern(nullptr) {}

FILLSTYLE::FILLSTYLE(const FILLSTYLE& other) : FILLSTYLE() {
  *this = other;
}

FILLSTYLE::~FILLSTYLE() {
  delete pattern;
}

void FILLSTYLE::clearPattern() {
  delete pattern;
  pattern = nullptr;
}

FILLSTYLE& FILLSTYLE::operator=(const FILLSTYLE& other) {
  if (&other == this) return *this;
  style = other.style;
  hatch = other.hatch;
  if (other.pattern && holdsPatternImage(other.style)) {
    // An image already held is reused: it takes the source's size and pixels.
    if (!pattern) pattern = new IMAGE();
    *pattern = *other.pattern;
  } else {
    clearPattern();
  }
  return *this;
}

}  // namespace Slate

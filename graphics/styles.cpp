// STUB
#include "context.h"

namespace Slate {

// 13
void DrawOnImg::getLineStyle(LINESTYLE*) {}

// 14
void DrawOnImg::setLineStyle(int, int, const DWORD*, DWORD) {}

// 15
void DrawOnImg::setLineStyle(const LINESTYLE*) {}

// 16
void DrawOnImg::getFillStyle(FILLSTYLE*) {}

// 17
void DrawOnImg::setFillStyle(int, long, IMAGE*) {}

// 18
void DrawOnImg::setFillStyle(const BYTE*) {}

// 19
void DrawOnImg::setFillStyle(const FILLSTYLE*) {}

// 15
void DrawOnWnd::setLineStyle(const LINESTYLE*) {}

// 19
void DrawOnWnd::setFillStyle(const FILLSTYLE*) {}

}  // namespace Slate

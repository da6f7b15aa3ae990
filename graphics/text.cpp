// STUB
#include "context.h"

namespace Slate {

// 64
void DrawOnImg::writeText(const wchar_t*) {}

// 65
void DrawOnImg::writeTextAt(int, int, const wchar_t*) {}

// 66
int DrawOnImg::writeTextInRect(const wchar_t*, RECT*, UINT) {
  return 0;
}

// 67
int DrawOnImg::textWidth(const wchar_t*) {
  return 0;
}

// 68
int DrawOnImg::textHeight(const wchar_t*) {
  return 0;
}

// 69
void DrawOnImg::setTextStyle(const LOGFONTW*) {}

// 70
void DrawOnImg::setTextStyle(int, int, const wchar_t*, int, int, int, int, int, int, int, int, int,
                             int, int) {}

// 71
void DrawOnImg::setTextStyle(int, int, const wchar_t*, int, int, int, int, int, int) {}

// 72
void DrawOnImg::setTextStyle(int, int, const wchar_t*) {}

// 73
void DrawOnImg::getTextStyle(LOGFONTW*) {}

// 64
void DrawOnWnd::writeText(const wchar_t*) {}

// 65
void DrawOnWnd::writeTextAt(int, int, const wchar_t*) {}

// 66
int DrawOnWnd::writeTextInRect(const wchar_t*, RECT*, UINT) {
  return 0;
}

// 69
void DrawOnWnd::setTextStyle(const LOGFONTW*) {}

// 73
void DrawOnWnd::getTextStyle(LOGFONTW*) {}

}  // namespace Slate

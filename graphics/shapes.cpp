// STUB
#include "context.h"

namespace Slate {

// 31
void DrawOnImg::moveTo(int, int) {}

// 32
void DrawOnImg::moveRel(int, int) {}

// 33
void DrawOnImg::line(int, int, int, int) {}

// 34
void DrawOnImg::lineRel(int, int) {}

// 35
void DrawOnImg::lineTo(int, int) {}

// 36
void DrawOnImg::rectangle(int, int, int, int) {}

// 37
void DrawOnImg::fillRectangle(int, int, int, int) {}

// 38
void DrawOnImg::solidRectangle(int, int, int, int) {}

// 39
void DrawOnImg::clearRectangle(int, int, int, int) {}

// 40
void DrawOnImg::arcEndpoints(int, int, int, int, double, double, int*, int*, int*, int*) {}

// 41
void DrawOnImg::circle(int, int, int) {}

// 42
void DrawOnImg::fillCircle(int, int, int) {}

// 43
void DrawOnImg::solidCircle(int, int, int) {}

// 44
void DrawOnImg::clearCircle(int, int, int) {}

// 45
void DrawOnImg::ellipse(int, int, int, int) {}

// 46
void DrawOnImg::fillEllipse(int, int, int, int) {}

// 47
void DrawOnImg::solidEllipse(int, int, int, int) {}

// 48
void DrawOnImg::clearEllipse(int, int, int, int) {}

// 49
void DrawOnImg::roundRect(int, int, int, int, int, int) {}

// 50
void DrawOnImg::fillRoundRect(int, int, int, int, int, int) {}

// 51
void DrawOnImg::solidRoundRect(int, int, int, int, int, int) {}

// 52
void DrawOnImg::clearRoundRect(int, int, int, int, int, int) {}

// 53
void DrawOnImg::arc(int, int, int, int, double, double) {}

// 54
void DrawOnImg::pie(int, int, int, int, double, double) {}

// 55
void DrawOnImg::fillPie(int, int, int, int, double, double) {}

// 56
void DrawOnImg::solidPie(int, int, int, int, double, double) {}

// 57
void DrawOnImg::clearPie(int, int, int, int, double, double) {}

// 58
void DrawOnImg::polyline(const POINT*, int) {}

// 59
void DrawOnImg::polygon(const POINT*, int) {}

// 60
void DrawOnImg::fillPolygon(const POINT*, int) {}

// 61
void DrawOnImg::solidPolygon(const POINT*, int) {}

// 62
void DrawOnImg::clearPolygon(const POINT*, int) {}

// 63
void DrawOnImg::floodFill(int, int, COLORREF) {}

// 31
void DrawOnWnd::moveTo(int, int) {}

// 33
void DrawOnWnd::line(int, int, int, int) {}

// 35
void DrawOnWnd::lineTo(int, int) {}

// 37
void DrawOnWnd::fillRectangle(int, int, int, int) {}

// 42
void DrawOnWnd::fillCircle(int, int, int) {}

// 46
void DrawOnWnd::fillEllipse(int, int, int, int) {}

// 50
void DrawOnWnd::fillRoundRect(int, int, int, int, int, int) {}

// 53
void DrawOnWnd::arc(int, int, int, int, double, double) {}

// 55
void DrawOnWnd::fillPie(int, int, int, int, double, double) {}

// 58
void DrawOnWnd::polyline(const POINT*, int) {}

// 60
void DrawOnWnd::fillPolygon(const POINT*, int) {}

// 63
void DrawOnWnd::floodFill(int, int, COLORREF) {}

}  // namespace Slate

// The drawing-target interface. DrawOnImg draws into the current IMAGE; DrawOnWnd draws into
// the window's back buffer and, unless buffered, onto the window too. The virtual slots are
// declared in their fixed order; the number in each comment is the slot.
//
// Composite operations (outline-only and background-coloured shapes, relative moves,
// writeText, the short style setters) are written once on DrawOnImg and always call other
// slots through the object's own table, so that on the window target they reach the
// window's overriding primitives.
#pragma once

#include <slate/graphics.h>

namespace Slate {

class DrawOnImg {
 public:
  DrawOnImg() = default;
  DrawOnImg(const DrawOnImg&) = delete;
  DrawOnImg& operator=(const DrawOnImg&) = delete;

  virtual ~DrawOnImg();                                                                    // 0
  virtual void clearDevice();                                                              // 1
  virtual COLORREF getLineColor();                                                         // 2
  virtual void setLineColor(COLORREF color);                                               // 3
  virtual COLORREF getTextColor();                                                         // 4
  virtual void setTextColor(COLORREF color);                                               // 5
  virtual COLORREF getBkColor();                                                           // 6
  virtual void setBkColor(COLORREF color);                                                 // 7
  virtual int getBkMode();                                                                 // 8
  virtual void setBkMode(int mode);                                                        // 9
  virtual void setOrigin(int x, int y);                                                    // 10
  virtual void setClipRegion(HRGN region);                                                 // 11
  virtual void clearClipRegion();                                                          // 12
  virtual void getLineStyle(LINESTYLE* out);                                               // 13
  virtual void setLineStyle(int style, int thickness, const DWORD* pattern, DWORD count);  // 14
  virtual void setLineStyle(const LINESTYLE* style);                                       // 15
  virtual void getFillStyle(FILLSTYLE* out);                                               // 16
  virtual void setFillStyle(int style, long hatch, IMAGE* patternImage);                   // 17
  virtual void setFillStyle(const BYTE* pattern);                                          // 18
  virtual void setFillStyle(const FILLSTYLE* style);                                       // 19
  virtual COLORREF getFillColor();                                                         // 20
  virtual void setFillColor(COLORREF color);                                               // 21
  virtual void getAspectRatio(float* xScale, float* yScale);                               // 22
  virtual void setAspectRatio(float xScale, float yScale);                                 // 23
  virtual int getRop2();                                                                   // 24
  virtual void setRop2(int mode);                                                          // 25
  virtual int getPolyFillMode();                                                           // 26
  virtual void setPolyFillMode(int mode);                                                  // 27
  virtual void resetDefaults();                                                            // 28
  virtual COLORREF getPixel(int x, int y);                                                 // 29
  virtual void putPixel(int x, int y, COLORREF color);                                     // 30
  virtual void moveTo(int x, int y);                                                       // 31
  virtual void moveRel(int dx, int dy);                                                    // 32
  virtual void line(int x1, int y1, int x2, int y2);                                       // 33
  virtual void lineRel(int dx, int dy);                                                    // 34
  virtual void lineTo(int x, int y);                                                       // 35
  virtual void rectangle(int left, int top, int right, int bottom);                        // 36
  virtual void fillRectangle(int left, int top, int right, int bottom);                    // 37
  virtual void solidRectangle(int left, int top, int right, int bottom);                   // 38
  virtual void clearRectangle(int left, int top, int right, int bottom);                   // 39
  virtual void arcEndpoints(int left, int top, int right, int bottom, double startAngle,
                            double endAngle, int* x1, int* y1, int* x2, int* y2);  // 40
  virtual void circle(int x, int y, int radius);                                   // 41
  virtual void fillCircle(int x, int y, int radius);                               // 42
  virtual void solidCircle(int x, int y, int radius);                              // 43
  virtual void clearCircle(int x, int y, int radius);                              // 44
  virtual void ellipse(int left, int top, int right, int bottom);                  // 45
  virtual void fillEllipse(int left, int top, int right, int bottom);              // 46
  virtual void solidEllipse(int left, int top, int right, int bottom);             // 47
  virtual void clearEllipse(int left, int top, int right, int bottom);             // 48
  virtual void roundRect(int left, int top, int right, int bottom, int ellipseWidth,
                         int ellipseHeight);  // 49
  virtual void fillRoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                             int ellipseHeight);  // 50
  virtual void solidRoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                              int ellipseHeight);  // 51
  virtual void clearRoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                              int ellipseHeight);  // 52
  virtual void arc(int left, int top, int right, int bottom, double startAngle,
                   double endAngle);  // 53
  virtual void pie(int left, int top, int right, int bottom, double startAngle,
                   double endAngle);  // 54
  virtual void fillPie(int left, int top, int right, int bottom, double startAngle,
                       double endAngle);  // 55
  virtual void solidPie(int left, int top, int right, int bottom, double startAngle,
                        double endAngle);  // 56
  virtual void clearPie(int left, int top, int right, int bottom, double startAngle,
                        double endAngle);                                     // 57
  virtual void polyline(const POINT* points, int count);                      // 58
  virtual void polygon(const POINT* points, int count);                       // 59
  virtual void fillPolygon(const POINT* points, int count);                   // 60
  virtual void solidPolygon(const POINT* points, int count);                  // 61
  virtual void clearPolygon(const POINT* points, int count);                  // 62
  virtual void floodFill(int x, int y, COLORREF border);                      // 63
  virtual void writeText(const wchar_t* text);                                // 64
  virtual void writeTextAt(int x, int y, const wchar_t* text);                // 65
  virtual int writeTextInRect(const wchar_t* text, RECT* rect, UINT format);  // 66
  virtual int textWidth(const wchar_t* text);                                 // 67
  virtual int textHeight(const wchar_t* text);                                // 68
  virtual void setTextStyle(const LOGFONTW* font);                            // 69
  virtual void setTextStyle(int height, int width, const wchar_t* face, int escapement,
                            int orientation, int weight, int italic, int underline, int strikeOut,
                            int charSet, int outPrecision, int clipPrecision, int quality,
                            int pitchAndFamily);  // 70
  virtual void setTextStyle(int height, int width, const wchar_t* face, int escapement,
                            int orientation, int weight, int italic, int underline,
                            int strikeOut);                               // 71
  virtual void setTextStyle(int height, int width, const wchar_t* face);  // 72
  virtual void getTextStyle(LOGFONTW* out);                               // 73
  virtual int getWidth();                                                 // 74
  virtual int getHeight();                                                // 75
  virtual int getCurrentX();                                              // 76
  virtual int getCurrentY();                                              // 77
};

class DrawOnWnd : public DrawOnImg {
 public:
  // Overloads the window does not override stay reachable by name.
  using DrawOnImg::setFillStyle;
  using DrawOnImg::setLineStyle;
  using DrawOnImg::setTextStyle;

  ~DrawOnWnd() override;                                                  // 0
  void clearDevice() override;                                            // 1
  void setTextColor(COLORREF color) override;                             // 5
  void setBkColor(COLORREF color) override;                               // 7
  void setBkMode(int mode) override;                                      // 9
  void setOrigin(int x, int y) override;                                  // 10
  void setClipRegion(HRGN region) override;                               // 11
  void clearClipRegion() override;                                        // 12
  void setLineStyle(const LINESTYLE* style) override;                     // 15
  void setFillStyle(const FILLSTYLE* style) override;                     // 19
  void setFillColor(COLORREF color) override;                             // 21
  void setAspectRatio(float xScale, float yScale) override;               // 23
  void setRop2(int mode) override;                                        // 25
  void setPolyFillMode(int mode) override;                                // 27
  void putPixel(int x, int y, COLORREF color) override;                   // 30
  void moveTo(int x, int y) override;                                     // 31
  void line(int x1, int y1, int x2, int y2) override;                     // 33
  void lineTo(int x, int y) override;                                     // 35
  void fillRectangle(int left, int top, int right, int bottom) override;  // 37
  void fillCircle(int x, int y, int radius) override;                     // 42
  void fillEllipse(int left, int top, int right, int bottom) override;    // 46
  void fillRoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                     int ellipseHeight) override;  // 50
  void arc(int left, int top, int right, int bottom, double startAngle,
           double endAngle) override;  // 53
  void fillPie(int left, int top, int right, int bottom, double startAngle,
               double endAngle) override;                                      // 55
  void polyline(const POINT* points, int count) override;                      // 58
  void fillPolygon(const POINT* points, int count) override;                   // 60
  void floodFill(int x, int y, COLORREF border) override;                      // 63
  void writeText(const wchar_t* text) override;                                // 64
  void writeTextAt(int x, int y, const wchar_t* text) override;                // 65
  int writeTextInRect(const wchar_t* text, RECT* rect, UINT format) override;  // 66
  void setTextStyle(const LOGFONTW* font) override;                            // 69
  void getTextStyle(LOGFONTW* out) override;                                   // 73

  virtual HWND openWindow(int width, int height, int flags);                    // 78
  virtual void closeWindow();                                                   // 79
  virtual void beginBufferedDrawing();                                          // 80
  virtual void flushBufferedDrawing(int left, int top, int right, int bottom);  // 81
  virtual void flushBufferedDrawing();                                          // 82
  virtual void endBufferedDrawing(int left, int top, int right, int bottom);    // 83
  virtual void endBufferedDrawing();                                            // 84
};

}  // namespace Slate

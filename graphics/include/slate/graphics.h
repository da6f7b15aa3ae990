// Slate: the small graphics runtime SlidePuzzle is drawn with.
// This is what a program includes: the IMAGE picture type, the mouse record, the line and
// fill style values, and the front functions that draw on the current target.
#pragma once

#include <windows.h>

#include <cstdint>

namespace Slate {

class IMAGE;

// A pen description: platform pen style (line kind in bits 0-3, end cap and join above),
// width in pixels, and a dash pattern owned by the value (used only with line kind 7).
class LINESTYLE {
 public:
  LINESTYLE();
  LINESTYLE(const LINESTYLE& other);
  virtual ~LINESTYLE();
  LINESTYLE& operator=(const LINESTYLE& other);

  // Frees the dash pattern and sets the count to 0.
  void clearPattern();

  int style;
  int thickness;
  DWORD* pattern;
  DWORD count;
};

// A brush description: brush kind (0 solid, 1 none, 2 hatched, 3 two-colour pattern,
// 5 full-colour pattern), hatch kind, and a pattern picture owned by the value.
class FILLSTYLE {
 public:
  FILLSTYLE();
  FILLSTYLE(const FILLSTYLE& other);
  virtual ~FILLSTYLE();
  FILLSTYLE& operator=(const FILLSTYLE& other);

  // Deletes the pattern picture, if any.
  void clearPattern();

  int style;
  int hatch;
  IMAGE* pattern;
};

// A 32-bit top-down pixel surface with its own memory device context and drawing state.
// Pixels are 0x00RRGGBB (the reverse of a COLORREF); pixel (x, y) is pixels[y * width + x].
class IMAGE {
 public:
  explicit IMAGE(int width = 0, int height = 0);
  IMAGE(const IMAGE&) = delete;  // copies are made by assigning to an empty image
  IMAGE& operator=(const IMAGE& src);

  virtual void resetDefaults();
  virtual ~IMAGE();
  virtual void resize(int width, int height);

  int width;
  int height;
  HBITMAP bitmap;
  HDC dc;
  int currentX;
  int currentY;
  XFORM transform;
  COLORREF lineColor;
  COLORREF fillColor;
  COLORREF textColor;
  COLORREF bkColor;
  DWORD* pixels;
  LINESTYLE lineStyle;
  FILLSTYLE fillStyle;
};

// One mouse event, as the window procedure saw it.
struct MOUSEMSG {
  std::uint32_t message;  // WM_MOUSEMOVE ... WM_MOUSEWHEEL
  bool ctrlDown;
  bool shiftDown;
  bool leftDown;
  bool middleDown;
  bool rightDown;
  std::int16_t x;  // client coordinates
  std::int16_t y;
  std::int16_t wheelDelta;  // multiples of 120 for WM_MOUSEWHEEL, else 0
};

// Flags of openGraphWindow.
enum : int {
  OPEN_SHOW_CONSOLE = 0x1,
  OPEN_NO_CLOSE = 0x2,
  OPEN_NO_MINIMIZE = 0x4,
};

// Named colours: the sixteen classic console colours and a few more, as COLORREF values
// (0x00BBGGRR) for every colour argument below.
constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF BLUE = RGB(0, 0, 170);
constexpr COLORREF GREEN = RGB(0, 170, 0);
constexpr COLORREF CYAN = RGB(0, 170, 170);
constexpr COLORREF RED = RGB(170, 0, 0);
constexpr COLORREF MAGENTA = RGB(170, 0, 170);
constexpr COLORREF BROWN = RGB(170, 85, 0);
constexpr COLORREF LIGHTGRAY = RGB(170, 170, 170);
constexpr COLORREF DARKGRAY = RGB(85, 85, 85);
constexpr COLORREF LIGHTBLUE = RGB(85, 85, 255);
constexpr COLORREF LIGHTGREEN = RGB(85, 255, 85);
constexpr COLORREF LIGHTCYAN = RGB(85, 255, 255);
constexpr COLORREF LIGHTRED = RGB(255, 85, 85);
constexpr COLORREF LIGHTMAGENTA = RGB(255, 85, 255);
constexpr COLORREF YELLOW = RGB(255, 255, 85);
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF GRAY = RGB(128, 128, 128);
constexpr COLORREF ORANGE = RGB(255, 165, 0);
constexpr COLORREF PINK = RGB(255, 192, 203);
constexpr COLORREF PURPLE = RGB(128, 0, 128);

// Front functions. A null IMAGE* stands for the window where an image may be the window.
// The drawing functions act on the current target (setDrawTarget). Before any target is
// chosen they do nothing: getters then return 0, or CLR_INVALID for a colour, and leave their
// out-arguments as they were.

// == Window and mouse ==

// Opens the graphics window with a client area of width x height; flags: OPEN_* values.
HWND openGraphWindow(int width, int height, int flags);
// Closes the graphics window; does nothing when none is open.
void closeGraphWindow();
// Takes the oldest mouse message from the window's queue, waiting for one if it is empty.
MOUSEMSG getMouseMessage();

// == Drawing target and images ==

// Makes image the current target; null makes the window the target.
void setDrawTarget(IMAGE* image);
// Returns the pixels of image (null: the window's back buffer), 0x00RRGGBB row after row.
DWORD* getImageBuffer(IMAGE* image);
// Resizes image (null: the window's back buffer), clearing it to its background colour.
void resizeImage(IMAGE* image, int width, int height);
// Returns the width of the current target in pixels.
int getWidth();
// Returns the height of the current target in pixels.
int getHeight();

// == Buffered drawing (window target only; with an image as target these do nothing) ==

// Starts buffered drawing: window drawing goes only to the back buffer until a flush.
void beginBufferedDrawing();
// Shows the whole back buffer on the window; buffering goes on.
void flushBufferedDrawing();
// Shows the back buffer's rectangle [left, right) x [top, bottom) on the window.
void flushBufferedDrawing(int left, int top, int right, int bottom);
// Shows the whole back buffer and ends buffered drawing.
void endBufferedDrawing();
// Shows the back buffer's rectangle [left, right) x [top, bottom) and ends buffered drawing.
void endBufferedDrawing(int left, int top, int right, int bottom);

// == Transfer and rotation ==

// Copies the current target's block at (srcX, srcY), width x height, into dst (resized to it).
void captureImage(IMAGE* dst, int srcX, int srcY, int width, int height);
// Draws all of src at (x, y) on the current target with the raster operation rop (SRCCOPY...).
void drawImage(int x, int y, const IMAGE* src, DWORD rop);
// Draws src's block at (srcX, srcY), width x height, at (x, y) with the raster operation rop.
void drawImageRegion(int x, int y, int width, int height, const IMAGE* src, int srcX, int srcY,
                     DWORD rop);
// Rotates src by radians into dst, filling uncovered pixels with bkColor.
void rotateImage(IMAGE* dst, IMAGE* src, double radians, COLORREF bkColor, bool autoSize,
                 bool highQuality);

// == Loading pictures ==

// Loads the picture resource (type, name) of the program into dst (null: the window).
void loadImageResource(IMAGE* dst, const wchar_t* type, const wchar_t* name, int width, int height,
                       bool resize);

// == Colours, modes and state ==

// Clears the current target to its background colour and moves the current position to (0, 0).
void clearDevice();
// Returns the line colour.
COLORREF getLineColor();
// Sets the colour of lines and outlines.
void setLineColor(COLORREF color);
// Returns the text colour.
COLORREF getTextColor();
// Sets the colour of text.
void setTextColor(COLORREF color);
// Returns the background colour.
COLORREF getBkColor();
// Sets the background colour: clearing, clear shapes, opaque text and hatch gaps use it.
void setBkColor(COLORREF color);
// Returns the background mode, OPAQUE or TRANSPARENT.
int getBkMode();
// Sets the background mode of text and hatches, OPAQUE or TRANSPARENT.
void setBkMode(int mode);
// Returns the fill colour.
COLORREF getFillColor();
// Sets the colour of fills and solid shapes.
void setFillColor(COLORREF color);
// Returns the raster mix mode of lines and fills (R2_COPYPEN...).
int getRop2();
// Sets the raster mix mode of lines and fills (R2_COPYPEN, R2_XORPEN...).
void setRop2(int mode);
// Returns the polygon fill mode, ALTERNATE or WINDING.
int getPolyFillMode();
// Sets the polygon fill mode, ALTERNATE or WINDING.
void setPolyFillMode(int mode);
// Moves the logical origin to the device point (x, y).
void setOrigin(int x, int y);
// Reads the x and y scale of drawing; a null pointer is skipped.
void getAspectRatio(float* xScale, float* yScale);
// Scales all drawing by xScale and yScale.
void setAspectRatio(float xScale, float yScale);
// Clips drawing to a copy of region (device pixels; the caller keeps its region).
void setClipRegion(HRGN region);
// Fills the clip region with the background colour and removes it.
void clearClipRegion();
// Puts back the default colours, styles, font, modes, origin and scale.
void resetDefaults();

// == Pixels ==

// Returns the colour of pixel (x, y).
COLORREF getPixel(int x, int y);
// Sets pixel (x, y) to color.
void putPixel(int x, int y, COLORREF color);

// == Line and fill styles ==

// Copies the line style into *out.
void getLineStyle(LINESTYLE* out);
// Sets the line style: pen style bits (PS_*), thickness, and a dash pattern for PS_USERSTYLE.
void setLineStyle(int style, int thickness = 1, const DWORD* pattern = nullptr, DWORD count = 0);
// Sets the line style from a LINESTYLE value.
void setLineStyle(const LINESTYLE* style);
// Copies the fill style into *out.
void getFillStyle(FILLSTYLE* out);
// Sets the fill style: kind (0 solid, 1 none, 2 hatched, 5 picture), hatch kind, picture.
void setFillStyle(int style, long hatch = 0, IMAGE* patternImage = nullptr);
// Sets an 8 x 8 two-colour pattern fill from 8 bytes, one a row, set bits in the fill colour.
void setFillStyle(const BYTE* pattern);
// Sets the fill style from a FILLSTYLE value.
void setFillStyle(const FILLSTYLE* style);

// == Current position and lines ==

// Returns the current position's x.
int getCurrentX();
// Returns the current position's y.
int getCurrentY();
// Moves the current position to (x, y).
void moveTo(int x, int y);
// Moves the current position by (dx, dy).
void moveRel(int dx, int dy);
// Draws a line from (x1, y1) to (x2, y2) in the line style; the current position stays.
void line(int x1, int y1, int x2, int y2);
// Draws a line from the current position to (x, y) and moves there.
void lineTo(int x, int y);
// Draws a line from the current position by (dx, dy) and moves there.
void lineRel(int dx, int dy);

// == Shapes: outline (line), fill (outline and fill), solid (fill only), clear (background) ==

// Draws a rectangle's outline.
void rectangle(int left, int top, int right, int bottom);
// Draws a filled rectangle with an outline.
void fillRectangle(int left, int top, int right, int bottom);
// Draws a filled rectangle without an outline.
void solidRectangle(int left, int top, int right, int bottom);
// Clears a rectangle to the background colour.
void clearRectangle(int left, int top, int right, int bottom);
// Draws a circle's outline around (x, y).
void circle(int x, int y, int radius);
// Draws a filled circle with an outline.
void fillCircle(int x, int y, int radius);
// Draws a filled circle without an outline.
void solidCircle(int x, int y, int radius);
// Clears a circle to the background colour.
void clearCircle(int x, int y, int radius);
// Draws the outline of the ellipse inside the rectangle.
void ellipse(int left, int top, int right, int bottom);
// Draws a filled ellipse with an outline.
void fillEllipse(int left, int top, int right, int bottom);
// Draws a filled ellipse without an outline.
void solidEllipse(int left, int top, int right, int bottom);
// Clears an ellipse to the background colour.
void clearEllipse(int left, int top, int right, int bottom);
// Draws a rounded rectangle's outline; the corners are ellipseWidth x ellipseHeight.
void roundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
// Draws a filled rounded rectangle with an outline.
void fillRoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
// Draws a filled rounded rectangle without an outline.
void solidRoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
// Clears a rounded rectangle to the background colour.
void clearRoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
// Draws an arc of the ellipse in the rectangle, anticlockwise from startAngle to endAngle.
void arc(int left, int top, int right, int bottom, double startAngle, double endAngle);
// Draws a pie slice's outline (angles in radians, anticlockwise).
void pie(int left, int top, int right, int bottom, double startAngle, double endAngle);
// Draws a filled pie slice with an outline.
void fillPie(int left, int top, int right, int bottom, double startAngle, double endAngle);
// Draws a filled pie slice without an outline.
void solidPie(int left, int top, int right, int bottom, double startAngle, double endAngle);
// Clears a pie slice to the background colour.
void clearPie(int left, int top, int right, int bottom, double startAngle, double endAngle);
// Computes the end points of the arc from startAngle to endAngle into the four pointers.
void arcEndpoints(int left, int top, int right, int bottom, double startAngle, double endAngle,
                  int* x1, int* y1, int* x2, int* y2);
// Draws connected lines through count points.
void polyline(const POINT* points, int count);
// Draws a closed polygon's outline.
void polygon(const POINT* points, int count);
// Draws a filled polygon with an outline.
void fillPolygon(const POINT* points, int count);
// Draws a filled polygon without an outline.
void solidPolygon(const POINT* points, int count);
// Clears a polygon to the background colour.
void clearPolygon(const POINT* points, int count);
// Fills outward from (x, y) with the fill style up to pixels of colour border.
void floodFill(int x, int y, COLORREF border);

// == Text ==

// Writes text at the current position and moves past it.
void writeText(const wchar_t* text);
// Writes text with its top-left corner at (x, y).
void writeTextAt(int x, int y, const wchar_t* text);
// Writes text inside *rect with DrawText format flags (DT_*); returns the text's height.
int writeTextInRect(const wchar_t* text, RECT* rect, UINT format);
// Returns the width of text in the current font, in pixels.
int textWidth(const wchar_t* text);
// Returns the height of text in the current font, in pixels.
int textHeight(const wchar_t* text);
// Sets the font from a LOGFONTW description.
void setTextStyle(const LOGFONTW* font);
// Sets the font: height, width (0: natural) and face name.
void setTextStyle(int height, int width, const wchar_t* face);
// Sets the font with angles (tenths of a degree), weight and the italic, underline and
// strike-out switches.
void setTextStyle(int height, int width, const wchar_t* face, int escapement, int orientation,
                  int weight, int italic, int underline, int strikeOut);
// Sets the font with every LOGFONTW field.
void setTextStyle(int height, int width, const wchar_t* face, int escapement, int orientation,
                  int weight, int italic, int underline, int strikeOut, int charSet,
                  int outPrecision, int clipPrecision, int quality, int pitchAndFamily);
// Copies the current font's description into *out.
void getTextStyle(LOGFONTW* out);

}  // namespace Slate

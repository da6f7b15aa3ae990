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

// Front functions. A null IMAGE* stands for the window where an image may be the window.
HWND openGraphWindow(int width, int height, int flags);
void closeGraphWindow();
void setDrawTarget(IMAGE* image);
DWORD* getImageBuffer(IMAGE* image);
void resizeImage(IMAGE* image, int width, int height);
void captureImage(IMAGE* dst, int srcX, int srcY, int width, int height);
void drawImage(int x, int y, const IMAGE* src, DWORD rop);
void drawImageRegion(int x, int y, int width, int height, const IMAGE* src, int srcX, int srcY,
                     DWORD rop);
void rotateImage(IMAGE* dst, IMAGE* src, double radians, COLORREF bkColor, bool autoSize,
                 bool highQuality);
void loadImageResource(IMAGE* dst, const wchar_t* type, const wchar_t* name, int width, int height,
                       bool resize);
// Loads the picture file at path (BMP, JPEG, GIF, PNG, TIFF) as loadImageResource loads a
// resource; a missing, empty, oversized, unreadable or undecodable file leaves dst as it was.
void loadImageFile(IMAGE* dst, const wchar_t* path, int width, int height, bool resize);
MOUSEMSG getMouseMessage();
void beginBufferedDrawing();
void endBufferedDrawing();
void flushBufferedDrawing();
void setTextColor(COLORREF color);
void setBkMode(int mode);
void setTextStyle(int height, int width, const wchar_t* face);
void writeTextAt(int x, int y, const wchar_t* text);

}  // namespace Slate

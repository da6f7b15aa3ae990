// Slate: the small graphics runtime SlidePuzzle is drawn with.
// This is what a program includes: the IMAGE picture type, the mouse record, the line and
// fill style values, and the front functions that draw on the current target.
#pragma once

// This header brings in <windows.h>, and with it the platform's names: its types (HWND, HDC,
// DWORD, COLORREF...), its macros (RGB, VK_*, WM_*, PS_*, SRCCOPY...) and its old
// near and far, defined as nothing, so a variable named far or near fails to compile.
// NOMINMAX is defined first unless the program did, so that std::min and std::max work.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <memory>

namespace Slate {

class IMAGE;

namespace Audio {
struct SoundData;
}

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
// An image with alpha (imageHasAlpha) holds 0xAARRGGBB, straight alpha in the top byte.
// GDI has no alpha: Windows documents the top byte as unused, and under Wine the shapes,
// lines, text, putPixel and floodFill write 0 there (transparent, on an image with alpha) in
// each pixel they touch; drawImage with SRCCOPY and captureImage copy it. clearDevice gives
// a grey background's byte (white: 0xFF, opaque) and 0 for other colours. Draw on an image
// with alpha with the sprite calls, or set its alpha through getImageBuffer.
// Each image keeps its own colours, styles, font, origin and position: setting them while one
// image is the target changes that image only, and they are back when it is the target again.
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
  bool hasAlpha = false;                     // the top byte is alpha: imageHasAlpha, useImageAlpha
  COLORREF spriteTint = RGB(255, 255, 255);  // what the drawSprite calls multiply by
};

// Decoded samples a program owns, as it owns an IMAGE: empty when made, filled by
// loadSoundFile or loadSoundResource. Copies share the same samples, which never change: a
// voice keeps what it plays, so a SOUND destroyed or reloaded while it plays frees nothing
// the mixer still reads.
class SOUND {
 public:
  bool empty() const;
  int rate() const;        // frames per second; 0 when empty
  int channels() const;    // 1 or 2; 0 when empty
  double seconds() const;  // length; 0 when empty
  std::shared_ptr<const Audio::SoundData> data;
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

// One key event, as the window procedure saw it. Alt combinations (the platform's system
// keys) come as WM_KEYDOWN and WM_KEYUP with altDown set.
struct KEYMSG {
  std::uint32_t message;  // WM_KEYDOWN, WM_KEYUP or WM_CHAR
  std::uint32_t key;      // the virtual-key code (VK_LEFT, 'A'...); for WM_CHAR a UTF-16 unit
  bool ctrlDown;
  bool shiftDown;
  bool altDown;
  bool repeat;  // a key held down sending again (WM_KEYDOWN and WM_CHAR only)
};

// Flags of openGraphWindow.
enum : int {
  OPEN_SHOW_CONSOLE = 0x1,
  OPEN_NO_CLOSE = 0x2,
  OPEN_NO_MINIMIZE = 0x4,
  // The close button and Alt+F4 only set isCloseRequested(); the program closes the window.
  OPEN_CLOSE_REQUEST = 0x8,
};

// What waitForInput(timeoutMs, kinds) ends on; or them together.
enum : int {
  WAIT_FOR_MOUSE = 0x1,  // a mouse message
  WAIT_FOR_KEYS = 0x2,   // a key message
  WAIT_FOR_CLOSE = 0x4,  // the user's close request (OPEN_CLOSE_REQUEST)
  WAIT_FOR_ANY = 0x7,
};

// Flags of drawSpriteRegion and drawSpriteRotated; or them together.
enum : int {
  SPRITE_FLIP_X = 1,  // mirrored left to right
  SPRITE_FLIP_Y = 2,  // mirrored top to bottom
  SPRITE_SMOOTH = 4,  // bilinear when enlarging or turning (default: the nearest pixel)
  SPRITE_ADD = 8,     // added to the target (light, particles) instead of source-over
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

// Front functions, in groups. A null IMAGE* stands for the window where an image may be the
// window. The drawing functions act on the current target (setDrawTarget) and report no
// errors: a call the platform refuses leaves the target as it was. Before any target is
// chosen they do nothing; getters then return 0, or CLR_INVALID for a colour, and leave their
// out-arguments as they were. Angles are in radians, anticlockwise from 3 o'clock.

// == Errors ==

// Returns why the last failing call on this thread failed ("call: reason"), or "" if none
// has. Calls that report a failure say so in their comment (loadImageFile, saveImageFile...);
// the drawing calls and loadImageResource do not. A success does not clear it.
const wchar_t* lastError();
// Turns the "Slate: ..." line each reported failure writes on standard error on or off (on).
void setErrorOutput(bool enabled);

// == Window ==

// Opens the window with a width x height client area (flags: OPEN_*) and makes it the target.
// Returns null, saying why on standard error and in lastError(), when no window can be made
// (a size not above 0, too large, no display). There is one window: a window already open is
// closed first, its queues emptied. The window opens on the console's monitor, where the
// console's visible edge stands, inside that monitor's work area; the default place when
// there is no console of the program's own to replace or it is minimised.
HWND openGraphWindow(int width, int height, int flags);
// Closes the window; does nothing when none is open.
void closeGraphWindow();
// Returns true while the window is open; false before it opens and once it is closed.
// Any thread may call it.
bool isWindowOpen();
// Sets the window's caption; false, reporting why, with no window open or a null title.
bool setWindowTitle(const wchar_t* title);
// True once the user closed a window opened with OPEN_CLOSE_REQUEST; false with no window.
// It stays true until the window is closed or cancelCloseRequest(); any thread may call it.
bool isCloseRequested();
// Forgets the user's close request ("Cancel" to a "Save changes?" question): isCloseRequested()
// is false until the user asks again. Does nothing with no window or no request; any thread
// may call it, as often as it likes.
void cancelCloseRequest();
// Turns text input through the platform's input method (IME) on or off; off by default. Off:
// no composition window opens, a key an input method would take reaches the program as
// itself ('A', not VK_PROCESSKEY) and WM_CHAR records carry what the keyboard layout makes.
// On: the input method composes, its characters come as WM_CHAR records (one UTF-16 unit
// each), and the keys it uses still come as themselves. The setting outlives the window and
// applies to the next; any thread may call it at any time, with or without a window.
void setTextInput(bool on);

// == Input ==
// The queues have one reader: the thread that calls the get, peek, flush and wait calls
// (usually the one that opened the window). isKeyDown and getMouseState only read state and
// may be called from any thread. Each queue holds 63 messages; what comes while it is full
// is dropped. Closing or opening a window empties both.

// Takes the oldest mouse message, waiting while there is none; all-zero with no window.
// Also all-zero when the window closes while waiting, or the user asks to close (with
// OPEN_CLOSE_REQUEST): each request ends one wait.
MOUSEMSG getMouseMessage();
// Takes the oldest key message, waiting while there is none; all-zero with no window.
// Also all-zero when the window closes while waiting, or the user asks to close (with
// OPEN_CLOSE_REQUEST): each request ends one wait.
KEYMSG getKeyMessage();
// Copies the oldest mouse message to *out, never waiting; false if none or no window.
// remove false leaves it queued. A null out is refused (reported); *out changes only on true.
bool peekMouseMessage(MOUSEMSG* out, bool remove = true);
// Copies the oldest key message to *out, never waiting; false if none or no window.
// remove false leaves it queued. A null out is refused (reported); *out changes only on true.
bool peekKeyMessage(KEYMSG* out, bool remove = true);
// Empties the mouse and key queues; does nothing with no window.
void flushInputMessages();
// True while the window last saw virtualKey (VK_*, 'A'...) held down; false with no window.
// Letters are their capitals: 'A', not 'a' (0x61 is VK_NUMPAD1). Every key counts as up once
// the window loses the focus, and is read again from the system when it gets the focus back.
// Codes outside 1-255 are refused (reported). Shift, Ctrl and Alt are VK_SHIFT, VK_CONTROL
// and VK_MENU. Alt or F10 pressed and released alone stays the program's: the window does
// not enter its menu, and Alt+letters do not beep; Alt+F4 and Alt+Space work as usual.
bool isKeyDown(int virtualKey);
// Copies the mouse's last position and buttons to *out (message 0); false with no window.
// Client coordinates, from the last mouse message; the buttons count as up once the window
// loses the focus. A null out is refused (reported); *out changes only on true.
bool getMouseState(MOUSEMSG* out);
// Sleeps up to timeoutMs until a message arrives that is still queued, or a close is
// requested; false at once with no window. Only messages that came after the previous wait
// returned count: messages left unread do not end the next wait. True for either, false after
// the timeout or when the window closes meanwhile. Each close request ends one wait. A
// negative timeout is refused at once (reported).
bool waitForInput(int timeoutMs);
// The same wait, ended only by the kinds in `kinds` (WAIT_FOR_*, below the OPEN_* flags): a program
// that reads only keys sleeps through mouse moves. A kinds of 0 or with other bits is refused at
// once (reported), as a negative timeout.
bool waitForInput(int timeoutMs, int kinds);

// == Time and frames ==

// Returns the seconds since the program started, on a monotonic high-resolution clock.
double getTime();
// Sleeps so that calls come 1/fps s apart without drift; returns the seconds since the last.
// The thread sleeps on a high-resolution waitable timer where the system has one (Windows 10
// 1803 on), otherwise on Sleep with a 1 ms timer period, and yields the last moment away.
// The first call returns 0. A program more than a frame behind starts a new schedule. An fps
// not above 0 waits for nothing (reported); one above 1000 counts as 1000.
double waitForNextFrame(int fps);

// == Drawing target and images ==

// Makes image the current target, or the window for null; the image must outlive its turn.
void setDrawTarget(IMAGE* image);
// Returns the pixels of image (null: the window's back buffer), 0x00RRGGBB, or 0xAARRGGBB
// with straight (not premultiplied) alpha in an image with alpha; null for an empty image.
DWORD* getImageBuffer(IMAGE* image);
// True when image's top byte is alpha (a picture loaded with transparency, or useImageAlpha).
// False for null (the window, which is always opaque) and for images without alpha.
bool imageHasAlpha(const IMAGE* image);
// Makes image's top byte its alpha (on) or a byte that means nothing (off); pixels unchanged.
// For sprites built through getImageBuffer. Null (the window) is ignored.
void useImageAlpha(IMAGE* image, bool on);
// Resizes image (null: the back buffer), keeping its pixels top-left; new ones get bkColor.
// A width or height not above 0, or a surface that cannot be made, changes nothing.
void resizeImage(IMAGE* image, int width, int height);
// Returns the width of the current target in pixels.
int getWidth();
// Returns the height of the current target in pixels.
int getHeight();

// == Buffered drawing (window target only; with an image as the target these do nothing) ==

// Starts buffered drawing: drawing reaches only the back buffer until a flush shows it.
void beginBufferedDrawing();
// Shows the whole back buffer on the window; buffering goes on.
void flushBufferedDrawing();
// Shows the back buffer's rectangle, right column and bottom row included; buffering goes on.
// A rectangle with right < left or bottom < top shows nothing.
void flushBufferedDrawing(int left, int top, int right, int bottom);
// Shows the whole back buffer and ends buffered drawing.
void endBufferedDrawing();
// Shows the back buffer's rectangle (as flushBufferedDrawing) and ends buffered drawing.
void endBufferedDrawing(int left, int top, int right, int bottom);

// == Transfer and rotation ==

// Copies the target's width x height block at (srcX, srcY) into dst, which takes that size
// and the target's alpha, if it has any.
// A null dst or a size not above 0 changes nothing.
void captureImage(IMAGE* dst, int srcX, int srcY, int width, int height);
// Draws all of src at (x, y) with the raster operation rop (SRCCOPY, SRCAND, SRCPAINT...),
// which takes no account of alpha (drawSprite does).
// A null or empty src draws nothing. SRCCOPY copies the top byte as it is, the other raster
// operations combine it bit by bit.
// The target's origin and scale (setAspectRatio) apply, so a scale stretches or shrinks src.
void drawImage(int x, int y, const IMAGE* src, DWORD rop);
// Draws src's width x height block at (srcX, srcY) at (x, y) with the raster operation rop.
// A null or empty src, or a size not above 0, draws nothing.
void drawImageRegion(int x, int y, int width, int height, const IMAGE* src, int srcX, int srcY,
                     DWORD rop);
// Rotates src about its centre into dst (null: the window), bkColor where src does not reach.
// autoSize grows dst to hold all of src, highQuality samples bilinearly; dst may be src.
// A null src, a non-finite angle or a size that cannot be made changes nothing.
void rotateImage(IMAGE* dst, IMAGE* src, double radians, COLORREF bkColor, bool autoSize,
                 bool highQuality);

// == Sprites: drawing with transparency ==
// The sprite calls blend into the target's pixels with our own code, honouring its origin,
// scale (setAspectRatio) and clip region as drawImage does. Source-over: each channel
// becomes (src * a + dst * (255 - a)) / 255 rounded, a = the sprite's alpha x opacity / 255
// (255 for a sprite without alpha); a = 255 copies the sprite's colour exactly, a = 0 leaves
// the target exactly. A target with alpha composes its alpha too (source-over); a target
// without it, and the window, stay opaque. A null or empty sprite, an opacity not above 0,
// a size not above 0 or a block outside the sprite draws nothing; a sprite that is the
// target is drawn from a copy. Flags other than SPRITE_* are ignored.

// Draws all of sprite with its top-left corner at (x, y), with its alpha times opacity / 255.
void drawSprite(int x, int y, const IMAGE* sprite, int opacity = 255);
// Draws sprite's srcWidth x srcHeight block at (srcX, srcY) (a sheet's frame) with its
// alpha, scaled to width x height at (x, y). Shrinking averages the pixels each one covers; a block
// partly outside the sprite is cut to it.
void drawSpriteRegion(int x, int y, int width, int height, const IMAGE* sprite, int srcX, int srcY,
                      int srcWidth, int srcHeight, int flags = 0, int opacity = 255);
// Draws all of sprite with its alpha, scaled by scale and turned counter-clockwise by
// radians about its centre, which lands on (centerX, centerY). A non-finite angle, or a scale not
// above 0 or non-finite, draws nothing. With unequal x and y scales the mean of the two applies.
void drawSpriteRotated(int centerX, int centerY, const IMAGE* sprite, double radians,
                       double scale = 1.0, int flags = 0, int opacity = 255);
// Sets the colour the sprite calls multiply each channel by (WHITE: unchanged), as drawing
// state of the current image; resetDefaults puts back WHITE. The top byte is ignored.
void setSpriteTint(COLORREF color);
// Returns the sprite tint of the current image.
COLORREF getSpriteTint();

// == Loading and saving pictures ==

// The first load or save on a thread enters it into a single-threaded COM apartment (unless
// it is in one already), and it leaves when the thread ends. Files beside the program are
// found whatever the current folder with getProgramFolder() in front of their names.

// Loads the program's picture resource (type, name) into dst (null: the window), with its
// transparency, at width x height (natural size when either is not above 0), resizing dst to
// fit if resize is true.
// A missing resource or a picture that does not decode leaves dst as it was; nothing is reported.
// A picture with transparency (PNG alpha, a GIF's transparent colour, a 32-bit BMP with an
// alpha mask) keeps it: dst gets alpha, transparent pixels keep their colour; the window,
// which has none, gets the picture over black. A picture drawn at a smaller size averages
// the pixels each one covers. Pictures without transparency load as before, top byte 0.
void loadImageResource(IMAGE* dst, const wchar_t* type, const wchar_t* name, int width, int height,
                       bool resize);
// Loads the picture file at path (BMP, JPEG, GIF, PNG, TIFF), with its transparency, as
// loadImageResource loads a resource, and returns true when dst now holds it. A null path or
// a missing, empty, oversized (over 256 MB), unreadable, non-file or undecodable file leaves
// dst as it was and reports why, naming the whole path it looked at. A relative path is
// taken from the current folder.
bool loadImageFile(IMAGE* dst, const wchar_t* path, int width, int height, bool resize);
// Saves image (null: the window's back buffer, what it shows) as path, typed by its extension:
// .bmp, .png, .jpg or .jpeg (any case); returns true when the whole file is in place. A file
// already there keeps its attributes, permissions and creation time, and one another program
// holds open is waited for a few hundred ms. Failure reports why and leaves no partial file
// and every file as it was: a null path, an unknown extension, a missing folder, a folder or
// read-only file as target, a file held open by another program, an empty image, a null image
// while the back buffer is empty (before any window opened or picture was loaded into it;
// after closeGraphWindow it keeps the window's last picture, which is saved), a path too
// long. A relative path is taken from the current folder. Call it from the thread that draws
// on the image. A PNG keeps the alpha of an image with alpha; BMP and JPEG files are opaque.
bool saveImageFile(const IMAGE* image, const wchar_t* path);
// Returns the folder of the running program, ending in a backslash: C:\Games\ for C:\Games\a.exe.
const wchar_t* getProgramFolder();

// == Colours, modes and state ==

// Fills the target with the background colour and moves the current position to (0, 0).
void clearDevice();
// Returns the colour of lines and outlines.
COLORREF getLineColor();
// Sets the colour of lines and outlines.
void setLineColor(COLORREF color);
// Returns the colour of text.
COLORREF getTextColor();
// Sets the colour of text.
void setTextColor(COLORREF color);
// Returns the background colour.
COLORREF getBkColor();
// Sets the background colour of clearing, clear shapes, opaque text and hatch gaps.
void setBkColor(COLORREF color);
// Returns the background mode of text and hatches, OPAQUE or TRANSPARENT.
int getBkMode();
// Sets the background mode of text and hatches, OPAQUE or TRANSPARENT; others are ignored.
void setBkMode(int mode);
// Returns the colour of fills.
COLORREF getFillColor();
// Sets the colour of fills.
void setFillColor(COLORREF color);
// Returns the mix mode of lines and fills (R2_COPYPEN, R2_XORPEN...).
int getRop2();
// Sets the mix mode of lines and fills (R2_COPYPEN, R2_XORPEN...); others are ignored.
void setRop2(int mode);
// Returns the polygon fill mode, ALTERNATE or WINDING.
int getPolyFillMode();
// Sets the polygon fill mode, ALTERNATE or WINDING; others are ignored.
void setPolyFillMode(int mode);
// Puts the logical origin at the device point (x, y).
void setOrigin(int x, int y);
// Reads the x and y scale of drawing; a null pointer is skipped.
void getAspectRatio(float* xScale, float* yScale);
// Scales all drawing by xScale and yScale, images too (drawImage stretches them, sampling
// the nearest pixel; the sprite calls shrink by averaging); 0 or a non-finite scale is refused.
void setAspectRatio(float xScale, float yScale);
// Clips drawing to a copy of region, in device pixels; the caller keeps region.
// A null region removes the clip without filling anything.
void setClipRegion(HRGN region);
// Fills the clip region with the background colour and removes it (no clip: clears all).
void clearClipRegion();
// Puts back the default colours, styles, font, background mode, origin, scale and position,
// and removes the clip; the mix and polygon fill modes stay.
void resetDefaults();

// == Pixels ==

// Returns the colour of pixel (x, y); CLR_INVALID outside the target or its clip.
COLORREF getPixel(int x, int y);
// Sets pixel (x, y) to color; a pixel outside the target or its clip is ignored.
void putPixel(int x, int y, COLORREF color);

// == Line and fill styles ==

// Copies the line style into *out; a null out is ignored.
void getLineStyle(LINESTYLE* out);
// Sets the line style: PS_* kind, end cap and join, thickness, and dashes for PS_USERSTYLE.
// A style the platform refuses leaves the old one; PS_USERSTYLE without dashes draws nothing.
void setLineStyle(int style, int thickness = 1, const DWORD* pattern = nullptr, DWORD count = 0);
// Sets the line style from a copy of *style; null or a refused style leaves the old one.
void setLineStyle(const LINESTYLE* style);
// Copies the fill style into *out; a null out is ignored.
void getFillStyle(FILLSTYLE* out);
// Sets the fill style: BS_SOLID, BS_NULL, BS_HATCHED with an HS_* hatch, or a pattern picture
// (BS_PATTERN: black pixels set, in the fill colour; BS_DIBPATTERN: its own colours).
// The picture is copied. A pattern kind without a picture, or an unknown kind, changes nothing.
void setFillStyle(int style, long hatch = 0, IMAGE* patternImage = nullptr);
// Sets an 8 x 8 pattern fill from 8 row bytes, high bit left; set bits take the fill colour.
// A null pattern is ignored.
void setFillStyle(const BYTE* pattern);
// Sets the fill style from a copy of *style; null or a refused style leaves the old one.
void setFillStyle(const FILLSTYLE* style);

// == Current position and lines ==

// Returns the x of the current position.
int getCurrentX();
// Returns the y of the current position.
int getCurrentY();
// Moves the current position to (x, y).
void moveTo(int x, int y);
// Moves the current position by (dx, dy).
void moveRel(int dx, int dy);
// Draws a line from (x1, y1) to (x2, y2), the end point left out; the position stays.
void line(int x1, int y1, int x2, int y2);
// Draws a line from the current position to (x, y) and moves there.
void lineTo(int x, int y);
// Draws a line from the current position by (dx, dy) and moves there.
void lineRel(int dx, int dy);

// == Shapes: outline (line), fill (outline and fill), solid (fill only), clear (background) ==

// Draws the outline of a rectangle, given by two corners.
void rectangle(int left, int top, int right, int bottom);
// Draws a rectangle filled with the fill style and outlined with the line style.
void fillRectangle(int left, int top, int right, int bottom);
// Fills a rectangle, both corners included, without an outline.
void solidRectangle(int left, int top, int right, int bottom);
// Fills a rectangle, both corners included, with the background colour.
void clearRectangle(int left, int top, int right, int bottom);
// Draws the outline of a circle centred on (x, y).
void circle(int x, int y, int radius);
// Draws a filled circle with an outline.
void fillCircle(int x, int y, int radius);
// Draws a filled circle without an outline.
void solidCircle(int x, int y, int radius);
// Fills a circle with the background colour.
void clearCircle(int x, int y, int radius);
// Draws the outline of the ellipse that fits the rectangle.
void ellipse(int left, int top, int right, int bottom);
// Draws a filled ellipse with an outline.
void fillEllipse(int left, int top, int right, int bottom);
// Draws a filled ellipse without an outline.
void solidEllipse(int left, int top, int right, int bottom);
// Fills an ellipse with the background colour.
void clearEllipse(int left, int top, int right, int bottom);
// Draws the outline of a rectangle whose corners are ellipseWidth x ellipseHeight arcs.
void roundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
// Draws a filled rounded rectangle with an outline.
void fillRoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
// Draws a filled rounded rectangle without an outline.
void solidRoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
// Fills a rounded rectangle with the background colour.
void clearRoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
// Draws the arc of the rectangle's ellipse from startAngle to endAngle.
// A non-finite angle counts as 0.
void arc(int left, int top, int right, int bottom, double startAngle, double endAngle);
// Draws the outline of the pie slice of the rectangle's ellipse from startAngle to endAngle.
void pie(int left, int top, int right, int bottom, double startAngle, double endAngle);
// Draws a filled pie slice with an outline.
void fillPie(int left, int top, int right, int bottom, double startAngle, double endAngle);
// Draws a filled pie slice without an outline.
void solidPie(int left, int top, int right, int bottom, double startAngle, double endAngle);
// Fills a pie slice with the background colour.
void clearPie(int left, int top, int right, int bottom, double startAngle, double endAngle);
// Computes the start (x1, y1) and end (x2, y2) points of an arc, as arc and pie use them.
// Any null pointer: nothing is written. A non-finite angle counts as 0.
void arcEndpoints(int left, int top, int right, int bottom, double startAngle, double endAngle,
                  int* x1, int* y1, int* x2, int* y2);
// Draws lines joining count points in turn.
// A null points or a count not above 0 draws nothing (also for the polygons below).
void polyline(const POINT* points, int count);
// Draws the outline of the polygon through count points.
void polygon(const POINT* points, int count);
// Draws a filled polygon with an outline, by the polygon fill mode.
void fillPolygon(const POINT* points, int count);
// Draws a filled polygon without an outline.
void solidPolygon(const POINT* points, int count);
// Fills a polygon with the background colour.
void clearPolygon(const POINT* points, int count);
// Fills with the fill style from (x, y) outwards up to pixels of the colour border.
void floodFill(int x, int y, COLORREF border);

// == Text ==

// Writes text at the current position and moves the position past it; null is ignored.
void writeText(const wchar_t* text);
// Writes text with its top-left corner at (x, y); null is ignored.
void writeTextAt(int x, int y, const wchar_t* text);
// Writes text inside *rect with DT_* format flags; returns the text's height.
// Null text or rect returns 0; DT_MODIFYSTRING is ignored (the text is never written to).
int writeTextInRect(const wchar_t* text, RECT* rect, UINT format);
// Returns the width of text in the current font, in pixels; 0 for null.
int textWidth(const wchar_t* text);
// Returns the height of text in the current font, in pixels; 0 for null.
int textHeight(const wchar_t* text);
// Sets the font from *font; null, or a font that cannot be made, keeps the old one.
void setTextStyle(const LOGFONTW* font);
// Sets the font's height and width (0: natural width) and face; a null face keeps the face.
// Faces are cut to 31 characters; a font that cannot be made keeps the old one (all forms).
void setTextStyle(int height, int width, const wchar_t* face);
// Also sets the angles (tenths of a degree), weight and the italic, underline, strikeOut flags.
void setTextStyle(int height, int width, const wchar_t* face, int escapement, int orientation,
                  int weight, int italic, int underline, int strikeOut);
// Sets every field of a new font; with a null face the platform picks one.
void setTextStyle(int height, int width, const wchar_t* face, int escapement, int orientation,
                  int weight, int italic, int underline, int strikeOut, int charSet,
                  int outPrecision, int clipPrecision, int quality, int pitchAndFamily);
// Copies the current font's description into *out; a null out is ignored.
void getTextStyle(LOGFONTW* out);
// Where `face` is not installed, fonts asked for by it are made from `standInFace`, whose font
// file (size bytes at data) is registered for this process; the style still reads back `face`.
// Returns true if the face is installed or the stand-in is registered, false (lastError) if not.
bool useStandInFace(const wchar_t* face, const wchar_t* standInFace, const void* data, DWORD size);

// == Sound ==
// Sounds mix: any number of voices (up to 256 at once) play over one music stream, on a mixer
// thread of their own that starts with the first call that plays. Without an audio device
// loading still works, playSound and playMusicFile fail with "no audio device" at once, and
// the other calls do nothing; the device is looked for again every few seconds.

// Reads a WAV (PCM 8-32 bits, float, IMA ADPCM) or OGG Vorbis file into *dst, whole.
// Returns false, reporting why (lastError), with *dst as it was.
bool loadSoundFile(SOUND* dst, const wchar_t* path);
// Reads a sound resource of the program (type and name as FindResourceW takes them) into *dst.
// Returns false, reporting why (lastError), with *dst as it was.
bool loadSoundResource(SOUND* dst, const wchar_t* type, const wchar_t* name);
// Makes *dst of samples the program computed: frames x channels (1 or 2) floats, interleaved,
// at rate frames a second. Copied; values beyond -1..1 are clamped and NaN or infinite ones
// become 0. Returns false, reporting why (lastError), with *dst as it was.
bool loadSoundSamples(SOUND* dst, const float* samples, int frames, int channels, int rate);
// Starts a new voice playing the sound; returns its number (above 0), or 0, reporting why.
// volume 0..4 (1 as recorded), pan -1 (left) .. 1 (right) as a balance (at 0 both sides
// get the whole volume), pitch 1/16..16 (2: an octave up, twice as fast). Values outside
// are clamped; NaN counts as 0 for volume and pan and as 1 for pitch.
int playSound(const SOUND* sound, float volume = 1.0f, float pan = 0.0f, float pitch = 1.0f);
// Stops a voice; a voice never given or already ended is ignored. Any thread may call it.
void stopVoice(int voice);
// True while the voice plays; false for voices ended, stopped or never given.
bool isVoicePlaying(int voice);
// Makes a playing voice start again from its beginning when it ends, or stop looping.
void setVoiceLooping(int voice, bool looping);
// Stops every voice; the music plays on.
void stopAllSounds();
// Scales everything played, voices and music (0..4, 1 at first; NaN counts as 1).
void setMasterVolume(float volume);
// Streams a long WAV or OGG file as the music, decoded ahead on the mixer thread, replacing
// any music playing; loop: again from the start without a gap. False, reporting why, if the
// file cannot be opened or there is no audio device.
bool playMusicFile(const wchar_t* path, bool loop = true);
// Stops the music; does nothing when none plays.
void stopMusic();
// Holds the music where it is (true) or lets it go on (false).
void pauseMusic(bool paused);
// Scales the music alone (0..4, 1 at first; NaN counts as 1).
void setMusicVolume(float volume);

}  // namespace Slate

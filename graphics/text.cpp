// Text output and font style. The font lives only in the target's DC: every change builds one
// new font from a record and deletes the one it replaces, and getTextStyle reads it back.
#include <climits>
#include <cwchar>

#include "shapes.h"
#include "stand_in_faces.h"
#include "surface.h"
#include "window_target.h"

namespace Slate {

namespace {

// The number of UTF-16 units before the terminator, as the platform's int count.
int textLength(const wchar_t* text) {
  const size_t length = std::wcslen(text);
  return length > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(length);
}

// The face field holds 31 characters and the terminator; longer names are cut to fit.
void copyFaceName(LOGFONTW& font, const wchar_t* face) {
  if (face == nullptr) return;
  size_t i = 0;
  for (; i < LF_FACESIZE - 1 && face[i] != L'\0'; ++i) font.lfFaceName[i] = face[i];
  font.lfFaceName[i] = L'\0';
}

// A caller's record may lack the terminator in its face field; the copy always has one. A
// face with a stand-in is made from the stand-in.
HFONT createFont(const LOGFONTW& font) {
  LOGFONTW asked = font;
  asked.lfFaceName[LF_FACESIZE - 1] = L'\0';
  LOGFONTW made = asked;
  toStandInFace(made);
  HFONT created = CreateFontIndirectW(&made);
  noteAskedFace(created, asked, made);
  return created;
}

// The text must not be written back: it is const, and on the window the same text is drawn
// twice.
UINT withoutStringChanges(UINT format) {
  return format & ~static_cast<UINT>(DT_MODIFYSTRING);
}

SIZE textExtent(const wchar_t* text) {
  SIZE size = {0, 0};
  if (text) GetTextExtentPoint32W(graphContext.targetDc, text, textLength(text), &size);
  return size;
}

// The fields both long setTextStyle forms take from their arguments; the flags keep only
// their low byte.
void setShape(LOGFONTW& font, int height, int width, int escapement, int orientation, int weight,
              int italic, int underline, int strikeOut) {
  font.lfHeight = height;
  font.lfWidth = width;
  font.lfEscapement = escapement;
  font.lfOrientation = orientation;
  font.lfWeight = weight;
  font.lfItalic = static_cast<BYTE>(italic);
  font.lfUnderline = static_cast<BYTE>(underline);
  font.lfStrikeOut = static_cast<BYTE>(strikeOut);
}

}  // namespace

// 64
void DrawOnImg::writeText(const wchar_t* text) {
  if (text == nullptr) return;
  IMAGE* image = graphContext.currentImage;
  this->writeTextAt(image->currentX, image->currentY, text);
  image->currentX = offsetPosition(image->currentX, this->textWidth(text));
}

// 65
void DrawOnImg::writeTextAt(int x, int y, const wchar_t* text) {
  if (text) TextOutW(graphContext.targetDc, x, y, text, textLength(text));
}

// 66
int DrawOnImg::writeTextInRect(const wchar_t* text, RECT* rect, UINT format) {
  if (text == nullptr || rect == nullptr) return 0;
  return DrawTextW(graphContext.targetDc, text, -1, rect, withoutStringChanges(format));
}

// 67
int DrawOnImg::textWidth(const wchar_t* text) {
  return textExtent(text).cx;
}

// 68
int DrawOnImg::textHeight(const wchar_t* text) {
  return textExtent(text).cy;
}

// 69: if the font cannot be made, the previous one stays.
void DrawOnImg::setTextStyle(const LOGFONTW* font) {
  if (font == nullptr) return;
  if (HFONT created = createFont(*font)) replaceObject(graphContext.targetDc, created);
}

// 70: built from the arguments alone. Without a face the platform picks one that matches the
// other fields.
void DrawOnImg::setTextStyle(int height, int width, const wchar_t* face, int escapement,
                             int orientation, int weight, int italic, int underline, int strikeOut,
                             int charSet, int outPrecision, int clipPrecision, int quality,
                             int pitchAndFamily) {
  LOGFONTW font = {};
  setShape(font, height, width, escapement, orientation, weight, italic, underline, strikeOut);
  font.lfCharSet = static_cast<BYTE>(charSet);
  font.lfOutPrecision = static_cast<BYTE>(outPrecision);
  font.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  font.lfQuality = static_cast<BYTE>(quality);
  font.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  copyFaceName(font, face);
  this->setTextStyle(&font);
}

// 71: the character set, precisions, quality and pitch stay those of the current font.
void DrawOnImg::setTextStyle(int height, int width, const wchar_t* face, int escapement,
                             int orientation, int weight, int italic, int underline,
                             int strikeOut) {
  LOGFONTW font = {};
  this->getTextStyle(&font);
  setShape(font, height, width, escapement, orientation, weight, italic, underline, strikeOut);
  copyFaceName(font, face);
  this->setTextStyle(&font);
}

// 72: only the size, and the face when one is given, change.
void DrawOnImg::setTextStyle(int height, int width, const wchar_t* face) {
  LOGFONTW font = {};
  this->getTextStyle(&font);
  font.lfHeight = height;
  font.lfWidth = width;
  copyFaceName(font, face);
  this->setTextStyle(&font);
}

// 73
void DrawOnImg::getTextStyle(LOGFONTW* out) {
  if (out == nullptr) return;
  HGDIOBJ font = GetCurrentObject(graphContext.targetDc, OBJ_FONT);
  if (GetObjectW(font, sizeof(LOGFONTW), out)) toAskedFace(font, *out);
}

// 64: the image target's sequence already calls this target's writeTextAt, which takes the
// lock; measuring reads the back buffer without it.
void DrawOnWnd::writeText(const wchar_t* text) {
  DrawOnImg::writeText(text);
}

// 65
void DrawOnWnd::writeTextAt(int x, int y, const wchar_t* text) {
  if (text == nullptr) return;
  const int length = textLength(text);
  drawMirrored([&](HDC dc) { TextOutW(dc, x, y, text, length); });
}

// 66: the window's call gets the rectangle as the caller gave it, even when the back
// buffer's call has changed the caller's copy (DT_CALCRECT).
int DrawOnWnd::writeTextInRect(const wchar_t* text, RECT* rect, UINT format) {
  if (text == nullptr || rect == nullptr) return 0;
  RECT windowRect = *rect;
  const HDC backBuffer = graphContext.targetDc;
  const UINT safeFormat = withoutStringChanges(format);
  return drawMirrored([&](HDC dc) {
    return DrawTextW(dc, text, -1, dc == backBuffer ? rect : &windowRect, safeFormat);
  });
}

// 69: one font serves both contexts.
void DrawOnWnd::setTextStyle(const LOGFONTW* font) {
  if (font == nullptr) return;
  HFONT created = createFont(*font);
  if (created == nullptr) return;
  LockGuard guard(graphContext.lock);
  selectIntoBoth(created);
}

// 73
void DrawOnWnd::getTextStyle(LOGFONTW* out) {
  LockGuard guard(graphContext.lock);
  DrawOnImg::getTextStyle(out);
}

}  // namespace Slate

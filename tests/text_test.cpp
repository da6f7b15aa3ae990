// Text output and font style on the image target: the current position, the font record's
// round trip through the DC, face names, formatted text and the colours of rendered text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cstdio>
#include <string>
#include <vector>

#include "context.h"
#include "support/host.h"
#include "support/window_fixture.h"

using namespace Slate;

namespace {

DrawOnImg& target() {
  return *graphContext.currentTarget;
}

LOGFONTW currentFont() {
  LOGFONTW font = {};
  target().getTextStyle(&font);
  return font;
}

// The face the platform actually chose, as UTF-8 for the test log: the family of the
// outline font when there is one (a substituted face reports the requested name through
// GetTextFaceW), else the face name.
std::string chosenFace(HDC dc) {
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  std::wstring name = face;
  if (UINT size = GetOutlineTextMetricsW(dc, 0, nullptr)) {
    std::vector<char> buffer(size);
    auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
    if (GetOutlineTextMetricsW(dc, size, metrics)) {
      name += L" / font ";
      name += reinterpret_cast<const wchar_t*>(buffer.data() +
                                               reinterpret_cast<size_t>(metrics->otmpFullName));
    }
  }
  std::string utf8(name.size() * 4 + 1, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, name.c_str(), -1, &utf8[0],
                                    static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(n > 0 ? n - 1 : 0);
  return utf8;
}

void logFace(const char* requested, HDC dc) {
  std::printf("[ face     ] %s -> %s\n", requested, chosenFace(dc).c_str());
}

void fillImage(IMAGE& image, DWORD value) {
  for (int i = 0; i < image.width * image.height; ++i) image.pixels[i] = value;
}

int countPixels(const IMAGE& image, DWORD value) {
  int n = 0;
  for (int i = 0; i < image.width * image.height; ++i) n += image.pixels[i] == value;
  return n;
}

bool samePixels(const IMAGE& a, const IMAGE& b) {
  return std::equal(a.pixels, a.pixels + a.width * a.height, b.pixels);
}

class ImageText : public ::testing::Test {
 protected:
  void SetUp() override { setDrawTarget(&image); }
  void TearDown() override { setDrawTarget(nullptr); }
  IMAGE image{300, 80};
};

TEST_F(ImageText, WriteTextContinuesTheLine) {
  image.currentX = 5;
  image.currentY = 7;
  const int first = target().textWidth(L"Hello");
  ASSERT_GT(first, 0);
  target().writeText(L"Hello");
  EXPECT_EQ(target().getCurrentX(), 5 + first);
  target().writeText(L", world");
  EXPECT_EQ(target().getCurrentX(), 5 + first + target().textWidth(L", world"));
  EXPECT_EQ(target().getCurrentY(), 7);
  target().writeText(L"");
  EXPECT_EQ(target().getCurrentX(), 5 + first + target().textWidth(L", world"));
}

TEST_F(ImageText, InitialFontReadsBack) {
  target().setTextStyle(16, 0, L"System");
  const LOGFONTW font = currentFont();
  EXPECT_EQ(font.lfHeight, 16);
  EXPECT_EQ(font.lfWidth, 0);
  EXPECT_EQ(font.lfEscapement, 0);
  EXPECT_EQ(font.lfOrientation, 0);
  EXPECT_EQ(font.lfWeight, 0);
  EXPECT_EQ(font.lfItalic, 0);
  EXPECT_EQ(font.lfUnderline, 0);
  EXPECT_EQ(font.lfStrikeOut, 0);
  EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(font.lfOutPrecision, 0);
  EXPECT_EQ(font.lfClipPrecision, 0);
  EXPECT_EQ(font.lfQuality, NONANTIALIASED_QUALITY);
  EXPECT_EQ(font.lfPitchAndFamily, 0);
  EXPECT_STREQ(font.lfFaceName, L"System");
  logFace("System", image.dc);
}

TEST_F(ImageText, ShortFormsChangeOnlyTheirFields) {
  target().setTextStyle(20, 8, L"Mistral", 0, 0, FW_BOLD, 1, 1, 0, ANSI_CHARSET, OUT_TT_PRECIS,
                        CLIP_STROKE_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SCRIPT);
  target().setTextStyle(30, 10, nullptr);
  LOGFONTW font = currentFont();
  EXPECT_EQ(font.lfHeight, 30);
  EXPECT_EQ(font.lfWidth, 10);
  EXPECT_STREQ(font.lfFaceName, L"Mistral");
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_EQ(font.lfItalic, 1);
  EXPECT_EQ(font.lfUnderline, 1);
  EXPECT_EQ(font.lfCharSet, ANSI_CHARSET);
  EXPECT_EQ(font.lfOutPrecision, OUT_TT_PRECIS);
  EXPECT_EQ(font.lfClipPrecision, CLIP_STROKE_PRECIS);
  EXPECT_EQ(font.lfQuality, ANTIALIASED_QUALITY);
  EXPECT_EQ(font.lfPitchAndFamily, VARIABLE_PITCH | FF_SCRIPT);

  // The nine-argument form keeps the character set, precisions, quality and pitch.
  target().setTextStyle(12, 0, L"Arial", 900, 900, FW_NORMAL, 0, 0, 1);
  font = currentFont();
  EXPECT_EQ(font.lfHeight, 12);
  EXPECT_EQ(font.lfEscapement, 900);
  EXPECT_EQ(font.lfOrientation, 900);
  EXPECT_EQ(font.lfWeight, FW_NORMAL);
  EXPECT_EQ(font.lfItalic, 0);
  EXPECT_EQ(font.lfStrikeOut, 1);
  EXPECT_STREQ(font.lfFaceName, L"Arial");
  EXPECT_EQ(font.lfCharSet, ANSI_CHARSET);
  EXPECT_EQ(font.lfQuality, ANTIALIASED_QUALITY);
  EXPECT_EQ(font.lfPitchAndFamily, VARIABLE_PITCH | FF_SCRIPT);

  // The long form reads nothing from the current font and keeps only the low bytes.
  target().setTextStyle(14, 0, nullptr, 0, 0, 0, 0x101, 0, 0, 0x100 | DEFAULT_CHARSET, 0, 0, 0, 0);
  font = currentFont();
  EXPECT_EQ(font.lfItalic, 1);
  EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
  EXPECT_STREQ(font.lfFaceName, L"");
}

TEST_F(ImageText, FaceNamesFitTheRecord) {
  const std::wstring longest(31, L'F');
  target().setTextStyle(16, 0, longest.c_str());
  EXPECT_EQ(std::wstring(currentFont().lfFaceName), longest);

  // Longer names are cut to the 31 characters the record holds.
  const std::wstring tooLong = std::wstring(31, L'G') + L"HIJKLMNOP";
  target().setTextStyle(16, 0, tooLong.c_str());
  EXPECT_EQ(std::wstring(currentFont().lfFaceName), tooLong.substr(0, 31));

  // A record whose face field has no terminator is cut the same way.
  LOGFONTW record = currentFont();
  for (wchar_t& c : record.lfFaceName) c = L'H';
  target().setTextStyle(&record);
  EXPECT_EQ(std::wstring(currentFont().lfFaceName), std::wstring(31, L'H'));
}

TEST_F(ImageText, NewFontReplacesAndDeletesTheOldOne) {
  HGDIOBJ before = GetCurrentObject(image.dc, OBJ_FONT);
  target().setTextStyle(24, 0, L"Mistral");
  EXPECT_NE(GetCurrentObject(image.dc, OBJ_FONT), before);
  EXPECT_EQ(GetObjectType(before), 0u);
  logFace("Mistral", image.dc);
}

TEST_F(ImageText, CjkFaceDrawsItsGlyphs) {
  target().setTextStyle(40, 0, L"华文新魏");
  logFace("华文新魏", image.dc);
  target().setBkMode(TRANSPARENT);
  target().writeTextAt(0, 0, L"恭喜");
  EXPECT_GT(target().textWidth(L"恭喜"), 40);
  EXPECT_LT(countPixels(image, 0), image.width * image.height);
  // Two different characters give two different shapes (no missing-glyph boxes).
  IMAGE a(60, 60), b(60, 60);
  for (IMAGE* one : {&a, &b}) {
    setDrawTarget(one);
    target().setTextStyle(40, 0, L"华文新魏");
    target().writeTextAt(0, 0, one == &a ? L"恭" : L"喜");
  }
  EXPECT_FALSE(samePixels(a, b));
}

// The bytes of an installed face's font file, as GetFontData gives them.
std::vector<char> fontFile(const wchar_t* face) {
  target().setTextStyle(30, 0, face);
  const DWORD size = GetFontData(graphContext.targetDc, 0, 0, nullptr, 0);
  std::vector<char> bytes(size == GDI_ERROR ? 0 : size);
  if (!bytes.empty()) GetFontData(graphContext.targetDc, 0, 0, bytes.data(), size);
  return bytes;
}

int widthIn(const wchar_t* face) {
  target().setTextStyle(30, 0, face);
  return target().textWidth(L"Wide words");
}

// A missing face with a registered stand-in draws as the stand-in and reads back as asked;
// an installed face keeps its own font; refused registrations say why and map nothing.
TEST_F(ImageText, AMissingFaceIsDrawnWithItsStandIn) {
  const std::vector<char> tahoma = fontFile(L"Tahoma");
  ASSERT_FALSE(tahoma.empty());
  const DWORD size = static_cast<DWORD>(tahoma.size());
  const int tahomaWidth = widthIn(L"Tahoma");
  const int courierWidth = widthIn(L"Courier New");
  ASSERT_NE(tahomaWidth, courierWidth);
  const char garbage[64] = {};
  const struct {
    const wchar_t* face;
    const void* data;
    DWORD size;
    bool accepted;
    int width;  // 0: not checked
  } cases[] = {{L"Slate Missing Face", tahoma.data(), size, true, tahomaWidth},
               {L"Courier New", tahoma.data(), size, true, courierWidth},
               {L"Slate Refused Face", garbage, sizeof garbage, false, 0},
               {L"Slate Faceless", nullptr, 0, false, 0},
               {L"", tahoma.data(), size, false, 0}};
  setErrorOutput(false);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.face)));
    EXPECT_EQ(useStandInFace(c.face, L"Tahoma", c.data, c.size), c.accepted);
    if (!c.accepted) {
      EXPECT_NE(std::wcsstr(lastError(), L"useStandInFace"), nullptr);
    }
    if (c.width) {
      EXPECT_EQ(widthIn(c.face), c.width);
    }
    target().setTextStyle(30, 0, c.face);
    EXPECT_STREQ(currentFont().lfFaceName, c.face);
  }
  setErrorOutput(true);
}

TEST_F(ImageText, WriteTextInRectPassesTheFlagsAndTheResult) {
  const wchar_t* text = L"one two three four five six seven";
  RECT ours = {0, 0, 60, 0};
  RECT direct = ours;
  const UINT flags = DT_CALCRECT | DT_WORDBREAK;
  const int result = target().writeTextInRect(text, &ours, flags);
  const int expected = DrawTextW(image.dc, text, -1, &direct, flags);
  EXPECT_EQ(result, expected);
  EXPECT_GT(result, target().textHeight(text));  // wrapped onto several lines
  EXPECT_TRUE(EqualRect(&ours, &direct));

  IMAGE twin(300, 80);
  RECT box = {0, 0, 300, 80};
  target().writeTextInRect(L"centred", &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  setDrawTarget(&twin);
  RECT twinBox = {0, 0, 300, 80};
  DrawTextW(twin.dc, L"centred", -1, &twinBox, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  EXPECT_TRUE(samePixels(image, twin));
}

TEST_F(ImageText, WriteTextInRectNeverWritesIntoTheText) {
  wchar_t text[] = L"a rather long line that cannot fit";
  const std::wstring before = text;
  RECT box = {0, 0, 40, 20};
  EXPECT_GT(target().writeTextInRect(text, &box, DT_END_ELLIPSIS | DT_MODIFYSTRING), 0);
  EXPECT_EQ(std::wstring(text), before);
}

TEST_F(ImageText, RenderedTextHasTheTextColourAndATransparentBackgroundKeepsPixels) {
  const DWORD blue = 0x000000FF;
  fillImage(image, blue);
  target().setTextColor(RGB(255, 0, 0));
  target().setBkColor(RGB(0, 255, 0));
  target().setBkMode(TRANSPARENT);
  target().writeTextAt(10, 10, L"Wide glyphs");
  const int red = countPixels(image, 0x00FF0000);
  EXPECT_GT(red, 20);
  EXPECT_EQ(red + countPixels(image, blue), image.width * image.height);

  // Opaque: the text's cell takes the background colour between the glyphs.
  fillImage(image, blue);
  target().setBkMode(OPAQUE);
  target().writeTextAt(10, 10, L"Wide glyphs");
  const int green = countPixels(image, 0x0000FF00);
  EXPECT_GT(green, 0);
  EXPECT_EQ(countPixels(image, 0x00FF0000) + green + countPixels(image, blue),
            image.width * image.height);
  EXPECT_EQ(green + countPixels(image, 0x00FF0000),
            target().textWidth(L"Wide glyphs") * target().textHeight(L"Wide glyphs"));
}

TEST_F(ImageText, NullTextAndRecordsAreRefused) {
  const LOGFONTW before = currentFont();
  target().writeText(nullptr);
  target().writeTextAt(0, 0, nullptr);
  RECT box = {0, 0, 10, 10};
  EXPECT_EQ(target().writeTextInRect(nullptr, &box, 0), 0);
  EXPECT_EQ(target().writeTextInRect(L"x", nullptr, 0), 0);
  EXPECT_EQ(target().textWidth(nullptr), 0);
  EXPECT_EQ(target().textHeight(nullptr), 0);
  target().setTextStyle(nullptr);
  target().getTextStyle(nullptr);
  EXPECT_EQ(countPixels(image, 0), image.width * image.height);
  EXPECT_EQ(image.currentX, 0);
  const LOGFONTW after = currentFont();
  EXPECT_EQ(std::memcmp(&before, &after, sizeof(LOGFONTW)), 0);
}

// ---- The window target -------------------------------------------------------------------

using SlateTest::shownOnWindow;

class WindowText : public SlateTest::WindowTargetTest {};

TEST_F(WindowText, OneFontServesBothContextsAndTheOldOnesAreDeleted) {
  HGDIOBJ backBefore = GetCurrentObject(window.dc, OBJ_FONT);
  HGDIOBJ frontBefore = GetCurrentObject(window.clientDc, OBJ_FONT);
  beginBufferedDrawing();
  setTextStyle(40, 0, L"Mistral");
  HGDIOBJ font = GetCurrentObject(window.dc, OBJ_FONT);
  EXPECT_EQ(GetCurrentObject(window.clientDc, OBJ_FONT), font);
  EXPECT_EQ(GetObjectType(backBefore), 0u);
  EXPECT_EQ(GetObjectType(frontBefore), 0u);
  const LOGFONTW read = currentFont();
  EXPECT_EQ(read.lfHeight, 40);
  EXPECT_STREQ(read.lfFaceName, L"Mistral");
  EXPECT_EQ(read.lfQuality, NONANTIALIASED_QUALITY);  // kept from the initial font
  logFace("Mistral (window)", window.clientDc);

  setTextStyle(20, 0, nullptr);
  EXPECT_EQ(GetObjectType(font), 0u);
  EXPECT_EQ(GetCurrentObject(window.clientDc, OBJ_FONT), GetCurrentObject(window.dc, OBJ_FONT));
}

TEST_F(WindowText, TextReachesTheWindowInItsColourUnlessBuffered) {
  setTextColor(RGB(255, 0, 0));
  setBkMode(TRANSPARENT);
  setTextStyle(32, 0, L"华文新魏");
  logFace("华文新魏 (window)", window.clientDc);
  writeTextAt(20, 20, L"恭喜你");
  SlateTest::Pixels shown = shownOnWindow();
  const int red = shown.count(0x00FF0000);
  EXPECT_GT(red, 50);
  EXPECT_EQ(red + shown.count(0), static_cast<int>(shown.data.size()));
  EXPECT_EQ(countPixels(window, 0x00FF0000), red);

  // writeText goes through the window's writeTextAt and advances the position.
  window.currentX = 20;
  window.currentY = 100;
  beginBufferedDrawing();
  target().writeText(L"AB");
  EXPECT_EQ(window.currentX, 20 + target().textWidth(L"AB"));
  EXPECT_GT(countPixels(window, 0x00FF0000), red);
  EXPECT_EQ(shownOnWindow().count(0x00FF0000), red);  // back buffer only
  endBufferedDrawing();
  EXPECT_EQ(shownOnWindow().count(0x00FF0000), countPixels(window, 0x00FF0000));
}

TEST_F(WindowText, WriteTextInRectDrawsAlikeOnBothAndReturnsTheBackBuffersResult) {
  setTextColor(RGB(0, 255, 0));
  const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  RECT box = {100, 100, 400, 200};
  const int result = target().writeTextInRect(L"centred text", &box, flags);
  RECT same = {100, 100, 400, 200};
  EXPECT_EQ(result, DrawTextW(window.dc, L"centred text", -1, &same, flags));  // draws alike
  const SlateTest::Pixels shown = shownOnWindow();
  EXPECT_GT(shown.count(0x0000FF00), 0);
  EXPECT_TRUE(std::equal(shown.data.begin(), shown.data.end(), window.pixels));

  // A measuring call changes the caller's rectangle once and draws nothing.
  RECT measure = {0, 0, 50, 0};
  const int lines =
      target().writeTextInRect(L"several words to wrap", &measure, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(measure.bottom, lines);
  EXPECT_GT(lines, target().textHeight(L"x"));
}

}  // namespace

// Loading pictures from the program's resources and from files: the size rules, what a
// failed load leaves, and the copy of the resource into global memory. The test program
// carries the grid picture of test_picture.h as "IMAGE" 201 (96 dpi), 203 (120 dpi) and
// "GRID", and a few bytes of text as "IMAGE" 202; the files are written at test time.
#include <gtest/gtest.h>
#include <wincodec.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "com_apartment.h"
#include "context.h"
#include "global_memory.h"
#include "test_picture.h"
#include "support/image_shape.h"

using namespace Slate;

namespace {

const wchar_t* const kImage = L"IMAGE";
const wchar_t* const kGrid = MAKEINTRESOURCEW(201);
const wchar_t* const kNotAPicture = MAKEINTRESOURCEW(202);
const wchar_t* const kGrid120 = MAKEINTRESOURCEW(203);
const wchar_t* const kMissing = MAKEINTRESOURCEW(999);

constexpr DWORD kFill = 0x00ABCDEF;

DWORD pixelAt(const IMAGE& image, int x, int y) {
  return image.pixels[y * image.width + x];
}

void paintFlat(IMAGE& image, DWORD value) {
  for (int i = 0; i < image.width * image.height; ++i) image.pixels[i] = value;
}

// True when the colour channels differ by at most tolerance and bits 24-31 are equal.
bool closeEnough(DWORD got, DWORD want, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    if (std::abs(int(got >> shift & 0xFF) - int(want >> shift & 0xFF)) > tolerance) return false;
  }
  return (got >> 24) == (want >> 24);
}

// Checks the centre of every grid cell that lies inside `image`, for the grid drawn at
// `scale` times its size from the top-left corner, and `outside` everywhere else.
void expectGrid(const IMAGE& image, int scale, int tolerance = 0, DWORD outside = kFill) {
  const int drawnWidth = TestPicture::kWidth * scale;
  const int drawnHeight = TestPicture::kHeight * scale;
  const int half = TestPicture::kCell * scale / 2;
  for (int y = half; y < image.height; y += 2 * half) {
    for (int x = half; x < image.width; x += 2 * half) {
      const bool inside = x < drawnWidth && y < drawnHeight;
      const DWORD want = inside ? TestPicture::color(x / scale, y / scale) : outside;
      EXPECT_PRED3(closeEnough, pixelAt(image, x, y), want, tolerance)
          << "at (" << x << ", " << y << ")";
    }
  }
}

using SlateTest::Shape;

void expectUntouched(const IMAGE& image, const Shape& before) {
  EXPECT_TRUE(Shape(image) == before);
  for (int i = 0; i < image.width * image.height; ++i) {
    if (image.pixels[i] != kFill) {
      ADD_FAILURE() << "pixel " << i << " changed";
      return;
    }
  }
}

TEST(LoadImageResource, NaturalSizeIsTheBitmapsOwnPixelsUpright) {
  IMAGE picture;
  loadImageResource(&picture, kImage, kGrid, 0, 0, false);
  ASSERT_EQ(picture.width, TestPicture::kWidth);
  ASSERT_EQ(picture.height, TestPicture::kHeight);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      ASSERT_EQ(pixelAt(picture, x, y), TestPicture::color(x, y)) << x << "," << y;
    }
  }
}

TEST(LoadImageResource, ANonPositiveWidthOrHeightAsksForTheNaturalSize) {
  const int dpiX = GetDeviceCaps(IMAGE().dc, LOGPIXELSX);
  const int sizes[][2] = {{0, 60}, {100, 0}, {-1, 60}, {100, -7}, {-5, -5}};
  for (const auto& size : sizes) {
    for (const wchar_t* id : {kGrid, kGrid120}) {
      IMAGE picture;
      loadImageResource(&picture, kImage, id, size[0], size[1], false);
      // The decoder reports the size in HIMETRIC at the screen's resolution; the file's
      // own resolution plays no part.
      EXPECT_EQ(picture.width, TestPicture::kWidth) << size[0] << "x" << size[1] << " dpi " << dpiX;
      EXPECT_EQ(picture.height, TestPicture::kHeight) << size[0] << "x" << size[1];
    }
  }
}

TEST(LoadImageResource, AFreshImageIsSizedToTheOutputSize) {
  IMAGE picture;
  loadImageResource(&picture, kImage, L"GRID", 100, 60, false);
  ASSERT_EQ(picture.width, 100);
  ASSERT_EQ(picture.height, 60);
  expectGrid(picture, 2);
}

TEST(LoadImageResource, AnImageWithASurfaceKeepsItsSizeUnlessAskedToResize) {
  IMAGE clipped(80, 50);
  paintFlat(clipped, kFill);
  loadImageResource(&clipped, kImage, kGrid, 100, 60, false);
  ASSERT_EQ(clipped.width, 80);
  ASSERT_EQ(clipped.height, 50);
  expectGrid(clipped, 2);  // larger than the image: cut at its edges

  IMAGE partly(80, 50);
  paintFlat(partly, kFill);
  loadImageResource(&partly, kImage, kGrid, 50, 30, false);
  ASSERT_EQ(partly.width, 80);
  expectGrid(partly, 1);  // smaller: the rest keeps its pixels

  IMAGE resized(80, 50);
  paintFlat(resized, kFill);
  loadImageResource(&resized, kImage, kGrid, 100, 60, true);
  ASSERT_EQ(resized.width, 100);
  ASSERT_EQ(resized.height, 60);
  expectGrid(resized, 2);
}

TEST(LoadImageResource, LoadingKeepsTheDrawingState) {
  IMAGE picture(80, 50);
  picture.textColor = RGB(9, 8, 7);
  picture.currentX = 33;
  SetBkMode(picture.dc, TRANSPARENT);
  HGDIOBJ font = GetCurrentObject(picture.dc, OBJ_FONT);
  loadImageResource(&picture, kImage, kGrid, 100, 60, true);
  EXPECT_EQ(picture.textColor, RGB(9, 8, 7));
  EXPECT_EQ(picture.currentX, 33);
  EXPECT_EQ(GetBkMode(picture.dc), TRANSPARENT);
  EXPECT_EQ(GetCurrentObject(picture.dc, OBJ_FONT), font);
}

TEST(LoadImageResource, FailedLoadsLeaveTheDestinationAsItWas) {
  IMAGE fresh;
  loadImageResource(&fresh, kImage, kMissing, 100, 60, false);
  loadImageResource(&fresh, kImage, kNotAPicture, 100, 60, false);
  loadImageResource(&fresh, L"NOSUCHTYPE", kGrid, 100, 60, false);
  loadImageResource(&fresh, nullptr, kGrid, 100, 60, false);
  loadImageResource(&fresh, kImage, nullptr, 100, 60, false);
  EXPECT_EQ(fresh.width, 0);
  EXPECT_EQ(fresh.bitmap, nullptr);

  IMAGE used(30, 20);
  paintFlat(used, kFill);
  const Shape before(used);
  loadImageResource(&used, kImage, kMissing, 100, 60, true);
  loadImageResource(&used, kImage, kNotAPicture, 0, 0, true);
  // A size no surface can have: the picture is not squeezed into the old one instead.
  loadImageResource(&used, kImage, kGrid, 20000, 20000, true);
  expectUntouched(used, before);
}

TEST(GlobalMemory, HoldsACopyOfExactlyTheResource) {
  const std::vector<std::uint8_t> file = TestPicture::bmpFile(3780);
  GlobalMemory memory;
  EXPECT_EQ(memory.handle, nullptr);
  ASSERT_TRUE(memory.copyResource(kImage, kGrid));
  ASSERT_NE(memory.handle, nullptr);
  ASSERT_EQ(memory.size, file.size());
  const void* bytes = GlobalLock(memory.handle);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(std::memcmp(bytes, file.data(), file.size()), 0);
  GlobalUnlock(memory.handle);

  // A second copy replaces the first block; a missing resource leaves none.
  ASSERT_TRUE(memory.copyResource(kImage, kNotAPicture));
  EXPECT_LT(memory.size, 100u);
  EXPECT_FALSE(memory.copyResource(kImage, kMissing));
  EXPECT_EQ(memory.handle, nullptr);
}

TEST(LoadImageResource, TheWindowsImageReceivesAPictureWhileAnImageIsTheTarget) {
  IMAGE target(4, 4);
  setDrawTarget(&target);
  loadImageResource(nullptr, kImage, kGrid, 0, 0, false);
  ASSERT_EQ(graphContext.window.width, TestPicture::kWidth);
  EXPECT_EQ(pixelAt(graphContext.window, 15, 25), TestPicture::color(15, 25));
  EXPECT_EQ(target.pixels[0], 0u);
}

// A load on a thread of its own, which is in the given apartment or none (0): the picture
// arrives, and the thread stays in COM until it ends: in the apartment it had, or in a
// single-threaded one entered by its first load.
struct ThreadLoad {
  DWORD apartment;  // COINIT_ value, or 0 for a thread without COM
  bool loaded = false;
  bool stillInCom = false;
};

DWORD WINAPI loadOnThread(LPVOID param) {
  ThreadLoad& load = *static_cast<ThreadLoad*>(param);
  const HRESULT before = load.apartment ? CoInitializeEx(nullptr, load.apartment) : E_FAIL;
  IMAGE image;
  loadImageResource(&image, kImage, kGrid, 0, 0, false);
  load.loaded =
      image.width == TestPicture::kWidth && pixelAt(image, 15, 25) == TestPicture::color(15, 25);
  // A second initialisation in the same apartment answers S_FALSE.
  const HRESULT after =
      CoInitializeEx(nullptr, load.apartment ? load.apartment : DWORD(COINIT_APARTMENTTHREADED));
  load.stillInCom = after == S_FALSE;
  if (SUCCEEDED(after)) CoUninitialize();
  if (SUCCEEDED(before)) CoUninitialize();
  return 0;
}

TEST(LoadImageResource, EachThreadDecodesInCOMForItsLife) {
  for (DWORD apartment : {0ul, DWORD(COINIT_APARTMENTTHREADED), DWORD(COINIT_MULTITHREADED)}) {
    ThreadLoad load = {apartment};
    HANDLE thread = CreateThread(nullptr, 0, loadOnThread, &load, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_TRUE(load.loaded) << "apartment " << apartment;
    EXPECT_TRUE(load.stillInCom) << "apartment " << apartment;
  }
}

// The grid as a picture file of the given container, written by the imaging component's
// encoder: 24-bit for most, indexed with the grid's fifteen colours for GIF.
void encodeGrid(const GUID& container, const std::wstring& path) {
  ASSERT_HRESULT_SUCCEEDED(comOnThisThread());
  const int w = TestPicture::kWidth, h = TestPicture::kHeight, cell = TestPicture::kCell;
  const bool indexed = container == GUID_ContainerFormatGif;
  std::vector<BYTE> bytes;
  std::vector<WICColor> colours;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const DWORD c = TestPicture::color(x, y);
      if (indexed) bytes.push_back(BYTE(y / cell * (w / cell) + x / cell));
      if (!indexed) bytes.insert(bytes.end(), {BYTE(c), BYTE(c >> 8), BYTE(c >> 16)});
      if (x % cell == 0 && y % cell == 0) colours.push_back(0xFF000000 | c);
    }
  }
  IWICImagingFactory* factory = nullptr;
  IWICPalette* palette = nullptr;
  IWICBitmap* bitmap = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  IPropertyBag2* options = nullptr;
  WICPixelFormatGUID format =
      indexed ? GUID_WICPixelFormat8bppIndexed : GUID_WICPixelFormat24bppBGR;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IWICImagingFactory,
                                            reinterpret_cast<void**>(&factory)));
  ASSERT_HRESULT_SUCCEEDED(factory->CreatePalette(&palette));
  ASSERT_HRESULT_SUCCEEDED(palette->InitializeCustom(colours.data(), UINT(colours.size())));
  ASSERT_HRESULT_SUCCEEDED(factory->CreateBitmapFromMemory(
      w, h, format, UINT(bytes.size() / h), UINT(bytes.size()), bytes.data(), &bitmap));
  if (indexed) {
    ASSERT_HRESULT_SUCCEEDED(bitmap->SetPalette(palette));
  }
  ASSERT_HRESULT_SUCCEEDED(factory->CreateStream(&stream));
  ASSERT_HRESULT_SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE));
  ASSERT_HRESULT_SUCCEEDED(factory->CreateEncoder(container, nullptr, &encoder));
  ASSERT_HRESULT_SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache));
  ASSERT_HRESULT_SUCCEEDED(encoder->CreateNewFrame(&frame, &options));
  ASSERT_HRESULT_SUCCEEDED(frame->Initialize(options));
  ASSERT_HRESULT_SUCCEEDED(frame->SetSize(w, h));
  ASSERT_HRESULT_SUCCEEDED(frame->SetPixelFormat(&format));
  if (indexed) {
    ASSERT_HRESULT_SUCCEEDED(frame->SetPalette(palette));
  }
  ASSERT_HRESULT_SUCCEEDED(frame->WriteSource(bitmap, nullptr));
  ASSERT_HRESULT_SUCCEEDED(frame->Commit());
  ASSERT_HRESULT_SUCCEEDED(encoder->Commit());
  for (IUnknown* object : std::initializer_list<IUnknown*>{options, frame, encoder, stream, bitmap,
                                                           palette, factory}) {
    if (object) object->Release();
  }
}

void writeFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size());
}

// Sets a file's length without writing its bytes: cuts it short, or makes it huge and sparse.
void setFileLength(const std::wstring& path, LONGLONG bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = bytes;
  SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  CloseHandle(file);
}

// Each kind of file: written into a fresh folder, then loaded through the one checker.
// JPEG loses a little colour, mostly at the cells' edges; the centres stay close.
class LoadImageFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder = std::wstring(temp) + L"slate-loading-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
  }
  static void TearDownTestSuite() {
    for (const wchar_t* name : {L"grid.bmp", L"grid.png", L"grid.jpg", L"grid.gif", L"grid.tif",
                                L"empty", L"text", L"huge"}) {
      DeleteFileW((folder + L"\\" + name).c_str());
    }
    RemoveDirectoryW(folder.c_str());
  }
  static std::wstring path(const wchar_t* name) { return folder + L"\\" + name; }

  struct Kind {
    const wchar_t* name;
    const char* label;
    GUID container;
    int tolerance;
  };
  static const Kind kinds[5];
  static std::wstring folder;
};

const LoadImageFile::Kind LoadImageFile::kinds[5] = {
    {L"grid.bmp", "BMP", GUID_ContainerFormatBmp, 0},
    {L"grid.png", "PNG", GUID_ContainerFormatPng, 0},
    {L"grid.gif", "GIF", GUID_ContainerFormatGif, 0},
    {L"grid.jpg", "JPEG", GUID_ContainerFormatJpeg, 16},
    {L"grid.tif", "TIFF", GUID_ContainerFormatTiff, 0},  // no OLE decoder: the imaging component's
};
std::wstring LoadImageFile::folder;

void expectLoads(const std::wstring& file, int tolerance) {
  IMAGE natural;
  ASSERT_TRUE(loadImageFile(&natural, file.c_str(), 0, 0, false)) << lastError();
  ASSERT_EQ(natural.width, TestPicture::kWidth);
  ASSERT_EQ(natural.height, TestPicture::kHeight);
  expectGrid(natural, 1, tolerance);

  IMAGE clipped(80, 50), resized(80, 50);
  paintFlat(clipped, kFill);
  loadImageFile(&clipped, file.c_str(), 100, 60, false);
  ASSERT_EQ(clipped.width, 80);
  expectGrid(clipped, 2, tolerance);
  loadImageFile(&resized, file.c_str(), 100, 60, true);
  ASSERT_EQ(resized.width, 100);
  ASSERT_EQ(resized.height, 60);
  expectGrid(resized, 2, tolerance);

  IMAGE target(4, 4);
  setDrawTarget(&target);
  if (graphContext.window.pixels) paintFlat(graphContext.window, kFill);  // no earlier picture
  loadImageFile(nullptr, file.c_str(), 0, 0, false);
  setDrawTarget(nullptr);
  ASSERT_EQ(graphContext.window.width, TestPicture::kWidth);
  expectGrid(graphContext.window, 1, tolerance);
}

TEST_F(LoadImageFile, EachKindDecodesToTheGridWithTheResourcesSizeRules) {
  writeFile(path(L"grid.bmp"), TestPicture::bmpFile(3780));
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.label);
    if (kind.container != GUID_ContainerFormatBmp) encodeGrid(kind.container, path(kind.name));
    expectLoads(path(kind.name), kind.tolerance);
  }
}

TEST_F(LoadImageFile, RefusedFilesLeaveTheDestinationAsItWas) {
  writeFile(path(L"empty"), {});
  writeFile(path(L"text"), {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'});
  setFileLength(path(L"huge"), GlobalMemory::kMaxFileBytes + 1LL);
  std::vector<std::wstring> refused = {L"",           path(L"missing.png"), folder, path(L"empty"),
                                       path(L"text"), path(L"huge")};
  // Each kind cut short, the BMP too, which the platform's decoder would take.
  writeFile(path(L"grid.bmp"), TestPicture::bmpFile(3780));
  for (const Kind& kind : kinds) {
    if (kind.container != GUID_ContainerFormatBmp) encodeGrid(kind.container, path(kind.name));
    WIN32_FILE_ATTRIBUTE_DATA file;
    ASSERT_TRUE(GetFileAttributesExW(path(kind.name).c_str(), GetFileExInfoStandard, &file));
    setFileLength(path(kind.name), file.nFileSizeLow * 2 / 3);
    refused.push_back(path(kind.name));
  }
  IMAGE fresh;
  IMAGE used(30, 20);
  paintFlat(used, kFill);
  const Shape before(used);
  EXPECT_FALSE(loadImageFile(&fresh, nullptr, 0, 0, false));
  EXPECT_FALSE(loadImageFile(&used, nullptr, 0, 0, true));
  for (size_t i = 0; i < refused.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "refused file " << i);
    const std::wstring& file = refused[i];
    EXPECT_FALSE(loadImageFile(&fresh, file.c_str(), 100, 60, false));
    EXPECT_EQ(fresh.bitmap, nullptr);
    EXPECT_FALSE(loadImageFile(&used, file.c_str(), 0, 0, true));
    EXPECT_EQ(std::wstring(lastError()).rfind(L"loadImageFile: ", 0), 0u);
    expectUntouched(used, before);
  }
}

}  // namespace

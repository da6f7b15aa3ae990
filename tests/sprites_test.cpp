// Pictures with transparency, loaded and drawn: files written at test time load with their
// alpha, and the sprite calls give exactly what the reference kernel gives on every target,
// with the target's origin, scale and clip region, writing nothing else.
#include <gtest/gtest.h>
#include <wincodec.h>

#include <slate/pixel/sprite.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "com_apartment.h"
#include "support/window_fixture.h"

using namespace Slate;

namespace {

constexpr int kSize = 24;

// A soft disc: alpha falls from 255 at the centre to 0 at the rim and beyond, with colours
// everywhere (a transparent pixel keeps its colour), including alphas 1, 127, 128 and 254.
std::vector<std::uint32_t> softDisc() {
  std::vector<std::uint32_t> pixels(kSize * kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const double d = std::hypot(x - 11.5, y - 11.5) / 12.0;
      const int alpha = d >= 1 ? 0 : static_cast<int>(255 * (1 - d * d));
      pixels[y * kSize + x] =
          static_cast<std::uint32_t>(alpha) << 24 | (x * 10) << 16 | (y * 10) << 8 | 0x40;
    }
  }
  pixels[0] = 0x01FF0000;
  pixels[1] = 0x7F00FF00;
  pixels[2] = 0x800000FF;
  pixels[3] = 0xFE123456;
  return pixels;
}

std::wstring tempPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + L"slate-sprites-" + std::to_wstring(GetCurrentProcessId()) + name;
}

// Encodes 32-bit straight-alpha pixels through the imaging component.
bool writePng(const std::wstring& path, const std::vector<std::uint32_t>& pixels) {
  const UINT side = static_cast<UINT>(std::lround(std::sqrt(double(pixels.size()))));  // square
  ComApartment apartment;
  IWICImagingFactory* factory = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  const bool ok =
      SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) &&
      SUCCEEDED(factory->CreateStream(&stream)) &&
      SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
      SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
      SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
      SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
      SUCCEEDED(frame->Initialize(nullptr)) && SUCCEEDED(frame->SetSize(side, side)) &&
      SUCCEEDED(frame->SetPixelFormat(&format)) &&
      IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA) &&
      SUCCEEDED(
          frame->WritePixels(side, side * 4, side * side * 4,
                             reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(pixels.data())))) &&
      SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  for (IUnknown* object : std::initializer_list<IUnknown*>{frame, encoder, stream, factory}) {
    if (object) object->Release();
  }
  return ok;
}

// A 32-bit BMP whose V5 header names an alpha mask, written byte by byte, bottom-up.
bool writeBmp(const std::wstring& path, const std::vector<std::uint32_t>& pixels) {
  BITMAPV5HEADER header = {};
  header.bV5Size = sizeof header;
  header.bV5Width = kSize;
  header.bV5Height = kSize;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  header.bV5CSType = LCS_sRGB;
  const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof header;
  const BITMAPFILEHEADER file = {0x4D42, DWORD(offset + pixels.size() * 4), 0, 0, offset};
  std::vector<BYTE> bytes(reinterpret_cast<const BYTE*>(&file),
                          reinterpret_cast<const BYTE*>(&file) + sizeof file);
  bytes.insert(bytes.end(), reinterpret_cast<const BYTE*>(&header),
               reinterpret_cast<const BYTE*>(&header) + sizeof header);
  for (int y = kSize - 1; y >= 0; --y) {
    const BYTE* row = reinterpret_cast<const BYTE*>(&pixels[y * kSize]);
    bytes.insert(bytes.end(), row, row + kSize * 4);
  }
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  const bool ok = out != INVALID_HANDLE_VALUE &&
                  WriteFile(out, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  return ok;
}

Pixel::Surface surfaceOf(IMAGE& image) {
  return {reinterpret_cast<std::uint32_t*>(image.pixels), image.width, image.height, image.width,
          image.hasAlpha};
}

// ---- Loading ------------------------------------------------------------------------------

struct FileCase {
  const wchar_t* name;
  bool (*write)(const std::wstring&, const std::vector<std::uint32_t>&);
};

TEST(SpriteLoading, PicturesWithAlphaKeepItAndTheirColours) {
  const std::vector<std::uint32_t> disc = softDisc();
  for (const FileCase& c : {FileCase{L".png", writePng}, FileCase{L".bmp", writeBmp}}) {
    const std::wstring path = tempPath(c.name);
    ASSERT_TRUE(c.write(path, disc));
    IMAGE natural, shrunk, into(40, 30);
    ASSERT_TRUE(loadImageFile(&natural, path.c_str(), 0, 0, false)) << lastError();
    ASSERT_TRUE(loadImageFile(&shrunk, path.c_str(), 12, 12, false)) << lastError();
    for (int i = 0; i < 40 * 30; ++i) into.pixels[i] = 0x00336699;
    ASSERT_TRUE(loadImageFile(&into, path.c_str(), 0, 0, false));
    DeleteFileW(path.c_str());

    ASSERT_TRUE(imageHasAlpha(&natural));
    ASSERT_EQ(natural.width, kSize);
    EXPECT_EQ(std::memcmp(natural.pixels, disc.data(), disc.size() * 4), 0) << c.name;
    // Shrinking is the area filter of the kernels.
    std::vector<std::uint32_t> want(12 * 12);
    Pixel::resizePixels({disc.data(), kSize, kSize, kSize, true}, {want.data(), 12, 12, 12, true});
    EXPECT_EQ(std::memcmp(shrunk.pixels, want.data(), want.size() * 4), 0) << c.name;
    // An image that keeps its size: the picture top-left, the rest opaque as it was.
    EXPECT_TRUE(imageHasAlpha(&into));
    EXPECT_EQ(into.pixels[5 * 40 + 5], disc[5 * kSize + 5]);
    EXPECT_EQ(into.pixels[29 * 40 + 39], 0xFF336699u);
  }
}

TEST(SpriteLoading, OpaquePicturesAndTheWindowStayWithoutAlpha) {
  std::vector<std::uint32_t> opaque = softDisc();
  for (std::uint32_t& pixel : opaque) pixel |= 0xFF000000u;
  const std::wstring path = tempPath(L"-opaque.png");
  ASSERT_TRUE(writePng(path, opaque));
  IMAGE picture;
  ASSERT_TRUE(loadImageFile(&picture, path.c_str(), 0, 0, false));
  DeleteFileW(path.c_str());
  EXPECT_FALSE(imageHasAlpha(&picture));
  for (int i = 0; i < kSize * kSize; ++i) ASSERT_EQ(picture.pixels[i], opaque[i] & 0x00FFFFFF);
  EXPECT_FALSE(imageHasAlpha(nullptr));
  useImageAlpha(nullptr, true);
  EXPECT_FALSE(imageHasAlpha(nullptr));
}

// ---- Shrinking ----------------------------------------------------------------------------

// A smooth 32 x 32 picture: every way of drawing it at 20 x 20 must give pixels within the
// range of the source pixels under each (widened by one, for GDI's own choice of pixel).
// GDI's default stretch mode, BLACKONWHITE, ANDs dropped pixels together and fails this.
TEST(SpriteShrinking, EveryWayOfShrinkingKeepsTheColours) {
  std::vector<std::uint32_t> smooth(32 * 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const int blue = 128 + static_cast<int>(100 * std::sin((x + y) / 6.0));
      smooth[y * 32 + x] = 0xFF000000u | (x * 8) << 16 | (y * 8) << 8 | blue;
    }
  }
  IMAGE source(32, 32);
  for (int i = 0; i < 32 * 32; ++i) source.pixels[i] = smooth[i] & 0x00FFFFFF;
  const std::wstring path = tempPath(L"-smooth.png");
  struct Way {
    const char* name;
    std::function<void(IMAGE*)> shrink;
  };
  const Way ways[] = {
      {"setAspectRatio + drawImage",
       [&](IMAGE* out) {
         setDrawTarget(out);
         setAspectRatio(0.625f, 0.625f);
         drawImage(0, 0, &source, SRCCOPY);
       }},
      {"drawSpriteRegion",
       [&](IMAGE* out) {
         setDrawTarget(out);
         drawSpriteRegion(0, 0, 20, 20, &source, 0, 0, 32, 32);
       }},
      {"loadImageFile at 20 x 20",
       [&](IMAGE* out) { loadImageFile(out, path.c_str(), 20, 20, false); }},
  };
  for (int pass = 0; pass < 2; ++pass) {
    // Opaque, then with a little transparency, which loading averages itself.
    if (pass == 1) smooth[0] = 0x80000000u;
    ASSERT_TRUE(writePng(path, smooth));
    for (const Way& way : ways) {
      IMAGE out(20, 20);
      way.shrink(&out);
      setDrawTarget(nullptr);
      GdiFlush();
      int wrong = 0;
      for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
          for (int shift = 0; shift < 24; shift += 8) {
            int low = 255, high = 0;
            for (int sy = std::max(0, y * 32 / 20 - 1); sy <= std::min(31, (y + 1) * 32 / 20 + 1);
                 ++sy) {
              for (int sx = std::max(0, x * 32 / 20 - 1); sx <= std::min(31, (x + 1) * 32 / 20 + 1);
                   ++sx) {
                const int v = smooth[sy * 32 + sx] >> shift & 0xFF;
                low = std::min(low, v);
                high = std::max(high, v);
              }
            }
            const int v = out.pixels[y * 20 + x] >> shift & 0xFF;
            wrong += v < low || v > high;
          }
        }
      }
      EXPECT_EQ(wrong, 0) << way.name << " pass " << pass;
    }
  }
  DeleteFileW(path.c_str());
}

// ---- Drawing ------------------------------------------------------------------------------

enum class Target { Image, ImageWithAlpha, BackBuffer, Window };
enum class State { Plain, Origin, Scale, Clip };

// One call, and what the kernel is given for it once the target's origin and scale are
// applied (done here the plain way: every case uses integer origins and scales of 2).
struct DrawCase {
  const char* name;
  std::function<void(const IMAGE*)> draw;
  std::function<void(const Pixel::Surface&, const Pixel::PixelRect&, const Pixel::ConstSurface&,
                     int scale, int ox, int oy)>
      reference;
};

Pixel::SpriteBlend blendOf(int flags, int opacity, std::uint32_t tint = 0x00FFFFFF) {
  Pixel::SpriteBlend blend;
  blend.flags = flags;
  blend.opacity = opacity;
  blend.tint = tint;
  return blend;
}

const std::vector<DrawCase>& drawCases() {
  using S = Pixel::Surface;
  using R = Pixel::PixelRect;
  using C = Pixel::ConstSurface;
  static const std::vector<DrawCase> cases = {
      {"drawSprite", [](const IMAGE* s) { drawSprite(5, 4, s); },
       [](const S& d, const R& r, const C& s, int k, int ox, int oy) {
         Pixel::drawSpritePixelsReference(d, r, 5 * k + ox, 4 * k + oy, kSize * k, kSize * k, s, 0,
                                          0, kSize, kSize, blendOf(0, 255));
       }},
      {"drawSprite opacity 100, tinted",
       [](const IMAGE* s) {
         setSpriteTint(RGB(255, 128, 0));
         drawSprite(-6, 20, s, 100);
       },
       [](const S& d, const R& r, const C& s, int k, int ox, int oy) {
         Pixel::drawSpritePixelsReference(d, r, -6 * k + ox, 20 * k + oy, kSize * k, kSize * k, s,
                                          0, 0, kSize, kSize, blendOf(0, 100, 0x00FF8000));
       }},
      {"drawSpriteRegion shrunk, flipped, added",
       [](const IMAGE* s) {
         drawSpriteRegion(30, 2, 9, 7, s, 4, 2, 18, 16, SPRITE_FLIP_X | SPRITE_ADD | 0x100, 300);
       },
       [](const S& d, const R& r, const C& s, int k, int ox, int oy) {
         Pixel::drawSpritePixelsReference(d, r, 30 * k + ox, 2 * k + oy, 9 * k, 7 * k, s, 4, 2, 18,
                                          16, blendOf(SPRITE_FLIP_X | SPRITE_ADD, 255));
       }},
      {"drawSpriteRegion enlarged smooth, flipped",
       [](const IMAGE* s) { drawSpriteRegion(2, 10, 40, 30, s, 0, 0, 12, 12, 6); },
       [](const S& d, const R& r, const C& s, int k, int ox, int oy) {
         Pixel::drawSpritePixelsReference(d, r, 2 * k + ox, 10 * k + oy, 40 * k, 30 * k, s, 0, 0,
                                          12, 12, blendOf(6, 255));
       }},
      {"drawSpriteRotated",
       [](const IMAGE* s) { drawSpriteRotated(25, 20, s, 0.7, 1.5, SPRITE_SMOOTH, 200); },
       [](const S& d, const R& r, const C& s, int k, int ox, int oy) {
         Pixel::drawSpriteRotatedPixelsReference(d, r, 25.0 * k + ox, 20.0 * k + oy, s, 0.7,
                                                 1.5 * k, blendOf(SPRITE_SMOOTH, 200));
       }},
  };
  return cases;
}

// A patterned background, opaque or with alphas of its own.
void paintBackground(IMAGE& image, bool withAlpha) {
  GdiFlush();
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const DWORD alpha = withAlpha ? DWORD((x * 37 + y * 11) % 256) << 24 : 0;
      image.pixels[y * image.width + x] = alpha | ((x / 4 + y / 4) % 2 ? 0x00C0A080 : 0x00204060);
    }
  }
}

class SpriteDrawing : public SlateTest::WindowTargetTest {};

TEST_F(SpriteDrawing, EveryTargetGetsExactlyTheReferenceBlend) {
  const std::wstring path = tempPath(L"-draw.png");
  ASSERT_TRUE(writePng(path, softDisc()));
  IMAGE sprite;
  ASSERT_TRUE(loadImageFile(&sprite, path.c_str(), 0, 0, false));
  DeleteFileW(path.c_str());
  const Pixel::ConstSurface src = {reinterpret_cast<const std::uint32_t*>(sprite.pixels), kSize,
                                   kSize, kSize, true};
  IMAGE canvas(120, 90);
  for (Target target :
       {Target::Image, Target::ImageWithAlpha, Target::BackBuffer, Target::Window}) {
    for (State state : {State::Plain, State::Origin, State::Scale, State::Clip}) {
      for (const DrawCase& c : drawCases()) {
        const bool onWindow = target == Target::BackBuffer || target == Target::Window;
        IMAGE& image = onWindow ? static_cast<IMAGE&>(window) : canvas;
        setDrawTarget(onWindow ? nullptr : &canvas);
        resetDefaults();
        useImageAlpha(&canvas, target == Target::ImageWithAlpha);
        paintBackground(image, target == Target::ImageWithAlpha);
        flushBufferedDrawing();
        if (target == Target::BackBuffer) beginBufferedDrawing();
        const int k = state == State::Scale ? 2 : 1;
        const int ox = state == State::Origin ? 13 : 0, oy = state == State::Origin ? -7 : 0;
        Pixel::PixelRect clip = {0, 0, image.width, image.height};
        if (state == State::Origin) setOrigin(ox, oy);
        if (state == State::Scale) setAspectRatio(2, 2);
        if (state == State::Clip) {
          clip = {8, 6, 50, 33};
          HRGN region = CreateRectRgn(clip.left, clip.top, clip.right, clip.bottom);
          setClipRegion(region);
          DeleteObject(region);
        }
        std::vector<std::uint32_t> want(image.pixels, image.pixels + image.width * image.height);
        const Pixel::Surface expected = {want.data(), image.width, image.height, image.width,
                                         image.hasAlpha};
        const SlateTest::Pixels shownBefore =
            onWindow ? SlateTest::shownOnWindow() : SlateTest::Pixels();
        c.reference(expected, clip, src, k, ox, oy);
        c.draw(&sprite);
        const std::string what = std::string(c.name) + " target " + std::to_string(int(target)) +
                                 " state " + std::to_string(int(state));
        GdiFlush();
        EXPECT_EQ(std::memcmp(image.pixels, want.data(), want.size() * 4), 0) << what;
        if (onWindow) {
          // Unbuffered, the window shows the same at once; buffered, not until the flush.
          const SlateTest::Pixels shown = SlateTest::shownOnWindow();
          bool same = true;
          for (size_t i = 0; i < want.size() && same; ++i) {
            const DWORD onScreen = target == Target::Window ? want[i] : shownBefore.data[i];
            same = shown.data[i] == (onScreen & 0x00FFFFFF);
          }
          EXPECT_TRUE(same) << what;
        }
        endBufferedDrawing();
        setClipRegion(nullptr);
      }
    }
  }
  setDrawTarget(nullptr);
}

TEST_F(SpriteDrawing, ASpriteThatIsTheTargetIsDrawnFromACopy) {
  IMAGE canvas(30, 20);
  paintBackground(canvas, false);
  std::vector<std::uint32_t> want(canvas.pixels, canvas.pixels + 600);
  const std::vector<std::uint32_t> copy = want;
  Pixel::drawSpritePixelsReference({want.data(), 30, 20, 30, false}, {0, 0, 30, 20}, 3, 2, 30, 20,
                                   {copy.data(), 30, 20, 30, false}, 0, 0, 30, 20,
                                   blendOf(SPRITE_FLIP_X, 128));
  setDrawTarget(&canvas);
  drawSpriteRegion(3, 2, 30, 20, &canvas, 0, 0, 30, 20, SPRITE_FLIP_X, 128);
  EXPECT_EQ(std::memcmp(canvas.pixels, want.data(), want.size() * 4), 0);
  EXPECT_EQ(getSpriteTint(), WHITE);
  setDrawTarget(nullptr);
}

}  // namespace

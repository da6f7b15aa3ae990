// Pictures with transparency, loaded and drawn: files written at test time load with their
// alpha, shrinking keeps colours, and the sprite calls give exactly what the reference
// kernel gives on every target, with its origin, scale and clip region, and nothing else.
#include <gtest/gtest.h>

#include <slate/pixel/sprite.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "support/window_fixture.h"

using namespace Slate;
using Pixels32 = std::vector<std::uint32_t>;

namespace {

constexpr int kSize = 24;

// A soft disc: alpha from 255 at the centre to 0 at the rim, colours everywhere (transparent
// pixels keep theirs), and the alphas 1, 127, 128 and 254 in the first row.
Pixels32 softDisc() {
  Pixels32 pixels(kSize * kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const double d = std::hypot(x - 11.5, y - 11.5) / 12.0;
      const std::uint32_t alpha = d >= 1 ? 0 : static_cast<std::uint32_t>(255 * (1 - d * d));
      pixels[y * kSize + x] = alpha << 24 | (x * 10) << 16 | (y * 10) << 8 | 0x40;
    }
  }
  pixels[0] = 0x01FF0000, pixels[1] = 0x7F00FF00, pixels[2] = 0x800000FF, pixels[3] = 0xFE123456;
  return pixels;
}

std::wstring tempPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + L"slate-sprites-" + std::to_wstring(GetCurrentProcessId()) + name;
}

// A PNG through saveImageFile, which keeps the alpha of an image with alpha.
bool writePng(const std::wstring& path, const Pixels32& pixels, int side) {
  IMAGE image(side, side);
  std::memcpy(image.pixels, pixels.data(), pixels.size() * 4);
  useImageAlpha(&image, true);
  return saveImageFile(&image, path.c_str());
}

bool writeBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(out, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(out);
  return written == bytes.size();
}

// A 32-bit BMP whose V5 header names an alpha mask, bottom-up, written byte by byte.
bool writeBmp(const std::wstring& path, const Pixels32& pixels, int side) {
  BITMAPV5HEADER header = {};
  header.bV5Size = sizeof header;
  header.bV5Width = header.bV5Height = side;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000, header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF, header.bV5AlphaMask = 0xFF000000;
  header.bV5CSType = 0x73524742;  // LCS_sRGB ('sRGB'), spelt out: a multi-character constant
  const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof header;
  const BITMAPFILEHEADER file = {0x4D42, DWORD(offset + pixels.size() * 4), 0, 0, offset};
  const auto bytesOf = [](const void* p) { return static_cast<const char*>(p); };
  std::string bytes(bytesOf(&file), sizeof file);
  bytes.append(bytesOf(&header), sizeof header);
  for (int y = side - 1; y >= 0; --y) bytes.append(bytesOf(&pixels[y * side]), side * 4);
  return writeBytes(path, bytes);
}

// ---- Loading ------------------------------------------------------------------------------

TEST(SpriteLoading, PicturesWithAlphaKeepItAndTheirColours) {
  const Pixels32 disc = softDisc();
  Pixels32 opaque = disc;
  for (std::uint32_t& pixel : opaque) pixel |= 0xFF000000u;
  struct File {
    const wchar_t* name;
    bool (*write)(const std::wstring&, const Pixels32&, int);
    const Pixels32& pixels;
  };
  for (const File& f : {File{L".png", writePng, disc}, File{L".bmp", writeBmp, disc},
                        File{L"-opaque.png", writePng, opaque}}) {
    const std::wstring path = tempPath(f.name);
    ASSERT_TRUE(f.write(path, f.pixels, kSize)) << lastError();
    IMAGE natural, shrunk, into(40, 30);
    for (int i = 0; i < 40 * 30; ++i) into.pixels[i] = 0x00336699;
    ASSERT_TRUE(loadImageFile(&natural, path.c_str(), 0, 0, false)) << lastError();
    ASSERT_TRUE(loadImageFile(&shrunk, path.c_str(), 12, 12, false));
    ASSERT_TRUE(loadImageFile(&into, path.c_str(), 0, 0, false));
    DeleteFileW(path.c_str());
    const bool alpha = &f.pixels != &opaque;
    const std::uint32_t top = alpha ? 0xFFFFFFFF : 0x00FFFFFF;  // no alpha: top byte 0
    EXPECT_EQ(imageHasAlpha(&natural), alpha);
    ASSERT_EQ(natural.width, kSize);
    for (int i = 0; i < kSize * kSize; ++i) ASSERT_EQ(natural.pixels[i], f.pixels[i] & top);
    if (!alpha) continue;
    // Shrinking is the kernels' area filter.
    Pixels32 want(12 * 12);
    Pixel::resizePixels({disc.data(), kSize, kSize, kSize, true}, {want.data(), 12, 12, 12, true});
    EXPECT_EQ(std::memcmp(shrunk.pixels, want.data(), want.size() * 4), 0) << f.name;
    // An image that keeps its size: the picture top-left, the rest opaque as it was.
    EXPECT_TRUE(imageHasAlpha(&into));
    EXPECT_EQ(into.pixels[5 * 40 + 5], disc[5 * kSize + 5]);
    EXPECT_EQ(into.pixels[29 * 40 + 39], 0xFF336699u);
  }
  useImageAlpha(nullptr, true);  // the window never has alpha
  EXPECT_FALSE(imageHasAlpha(nullptr));
}

// ---- Shrinking ----------------------------------------------------------------------------

// Every way of drawing a smooth 32 x 32 picture at 20 x 20 gives pixels within the range of
// the source pixels under each (widened by one, for GDI's own choice of pixel). GDI's
// default stretch mode, BLACKONWHITE, ANDs dropped pixels together and fails this.
TEST(SpriteShrinking, EveryWayOfShrinkingKeepsTheColours) {
  Pixels32 smooth(32 * 32);
  for (int i = 0; i < 32 * 32; ++i) {
    const int x = i % 32, y = i / 32, blue = 128 + static_cast<int>(100 * std::sin((x + y) / 6.0));
    smooth[i] = 0xFF000000u | (x * 8) << 16 | (y * 8) << 8 | blue;
  }
  IMAGE source(32, 32);
  for (int i = 0; i < 32 * 32; ++i) source.pixels[i] = smooth[i] & 0x00FFFFFF;
  const std::wstring path = tempPath(L"-smooth.png");
  const std::function<void(IMAGE*)> ways[] = {
      [&](IMAGE* out) {
        setDrawTarget(out);
        setAspectRatio(0.625f, 0.625f);
        drawImage(0, 0, &source, SRCCOPY);
      },
      [&](IMAGE* out) {
        setDrawTarget(out);
        drawSpriteRegion(0, 0, 20, 20, &source, 0, 0, 32, 32);
      },
      [&](IMAGE* out) { loadImageFile(out, path.c_str(), 20, 20, false); },
  };
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) smooth[0] = 0x80000000u;  // a little transparency: loading averages itself
    ASSERT_TRUE(writePng(path, smooth, 32));
    for (int way = 0; way < 3; ++way) {
      IMAGE out(20, 20);
      ways[way](&out);
      setDrawTarget(nullptr);
      GdiFlush();
      int wrong = 0;
      for (int i = 0; i < 20 * 20 * 3; ++i) {
        const int x = i / 3 % 20, y = i / 60, shift = i % 3 * 8;
        int low = 255, high = 0;
        for (int sy = std::max(0, y * 8 / 5 - 1); sy <= std::min(31, (y + 1) * 8 / 5 + 1); ++sy) {
          for (int sx = std::max(0, x * 8 / 5 - 1); sx <= std::min(31, (x + 1) * 8 / 5 + 1); ++sx) {
            low = std::min<int>(low, smooth[sy * 32 + sx] >> shift & 0xFF);
            high = std::max<int>(high, smooth[sy * 32 + sx] >> shift & 0xFF);
          }
        }
        const int v = out.pixels[y * 20 + x] >> shift & 0xFF;
        wrong += v < low || v > high;
      }
      EXPECT_EQ(wrong, 0) << "way " << way << " pass " << pass;
    }
  }
  DeleteFileW(path.c_str());
}

// ---- Drawing ------------------------------------------------------------------------------

enum class Target { Image, ImageWithAlpha, BackBuffer, Window };
enum class State { Plain, Origin, Scale, Clip };

// One call: drawSpriteRotated when scale is set, drawSpriteRegion otherwise (drawSprite
// when the sizes are the sprite's and no flags are given).
struct DrawCase {
  int x, y, width, height, srcX, srcY, srcWidth, srcHeight, flags, opacity;
  COLORREF tint;
  double radians, scale;
};

const DrawCase kDrawCases[] = {
    {5, 4, kSize, kSize, 0, 0, kSize, kSize, 0, 255, WHITE, 0, 0},
    {-6, 20, kSize, kSize, 0, 0, kSize, kSize, 0, 100, RGB(255, 128, 0), 0, 0},
    {30, 2, 9, 7, 4, 2, 18, 16, SPRITE_FLIP_X | SPRITE_ADD | 0x100, 300, WHITE, 0, 0},
    {2, 10, 40, 30, 0, 0, 12, 12, SPRITE_SMOOTH | SPRITE_FLIP_Y, 255, WHITE, 0, 0},
    {25, 20, 0, 0, 0, 0, 0, 0, SPRITE_SMOOTH, 200, RGB(90, 255, 255), 0.7, 1.5},
};

void drawCase(const DrawCase& c, const IMAGE* sprite) {
  setSpriteTint(c.tint);
  if (c.scale > 0) {
    drawSpriteRotated(c.x, c.y, sprite, c.radians, c.scale, c.flags, c.opacity);
  } else if (c.width == kSize && c.height == kSize && c.flags == 0) {
    drawSprite(c.x, c.y, sprite, c.opacity);
  } else {
    drawSpriteRegion(c.x, c.y, c.width, c.height, sprite, c.srcX, c.srcY, c.srcWidth, c.srcHeight,
                     c.flags, c.opacity);
  }
}

// What the call must amount to once the target's scale k and origin (ox, oy) are applied.
void referenceCase(const DrawCase& c, const Pixel::Surface& dst, const Pixel::PixelRect& clip,
                   const Pixel::ConstSurface& src, int k, int ox, int oy) {
  Pixel::SpriteBlend blend;
  blend.flags = c.flags & 15, blend.opacity = std::min(c.opacity, 255);
  blend.tint = (c.tint & 0xFF) << 16 | (c.tint & 0xFF00) | (c.tint >> 16 & 0xFF);
  if (c.scale > 0) {
    Pixel::drawSpriteRotatedPixelsReference(dst, clip, double(c.x) * k + ox, double(c.y) * k + oy,
                                            src, c.radians, c.scale * k, blend);
  } else {
    Pixel::drawSpritePixelsReference(dst, clip, c.x * k + ox, c.y * k + oy, c.width * k,
                                     c.height * k, src, c.srcX, c.srcY, c.srcWidth, c.srcHeight,
                                     blend);
  }
}

// A patterned background, opaque or with alphas of its own.
void paintBackground(IMAGE& image, bool withAlpha) {
  GdiFlush();
  for (int i = 0; i < image.width * image.height; ++i) {
    const int x = i % image.width, y = i / image.width;
    const DWORD alpha = withAlpha ? DWORD((x * 37 + y * 11) % 256) << 24 : 0;
    image.pixels[i] = alpha | ((x / 4 + y / 4) % 2 ? 0x00C0A080 : 0x00204060);
  }
}

class SpriteDrawing : public SlateTest::WindowTargetTest {};

TEST_F(SpriteDrawing, EveryTargetGetsExactlyTheReferenceBlend) {
  const std::wstring path = tempPath(L"-draw.png");
  ASSERT_TRUE(writePng(path, softDisc(), kSize));
  IMAGE sprite, canvas(120, 90);
  ASSERT_TRUE(loadImageFile(&sprite, path.c_str(), 0, 0, false));
  DeleteFileW(path.c_str());
  const Pixel::ConstSurface src = {reinterpret_cast<const std::uint32_t*>(sprite.pixels), kSize,
                                   kSize, kSize, true};
  for (Target target :
       {Target::Image, Target::ImageWithAlpha, Target::BackBuffer, Target::Window}) {
    for (State state : {State::Plain, State::Origin, State::Scale, State::Clip}) {
      for (const DrawCase& c : kDrawCases) {
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
        Pixels32 want(image.pixels, image.pixels + image.width * image.height);
        const SlateTest::Pixels before =
            onWindow ? SlateTest::shownOnWindow() : SlateTest::Pixels();
        referenceCase(c, {want.data(), image.width, image.height, image.width, image.hasAlpha},
                      clip, src, k, ox, oy);
        drawCase(c, &sprite);
        const std::string what = "case " + std::to_string(&c - kDrawCases) + ", target " +
                                 std::to_string(int(target)) + ", state " +
                                 std::to_string(int(state));
        GdiFlush();
        EXPECT_EQ(std::memcmp(image.pixels, want.data(), want.size() * 4), 0) << what;
        if (onWindow) {  // unbuffered the window shows it at once; buffered, only at the flush
          const SlateTest::Pixels shown = SlateTest::shownOnWindow();
          size_t i = 0;
          while (i < want.size() &&
                 shown.data[i] ==
                     ((target == Target::Window ? want[i] : before.data[i]) & 0xFFFFFF))
            ++i;
          EXPECT_EQ(i, want.size()) << what;
        }
        endBufferedDrawing();
        setClipRegion(nullptr);
      }
    }
  }
}

}  // namespace

#include "icon.h"

#include "bmp_writer.h"

#include <cstddef>

namespace assetgen {

Image8 render_icon(int size) {
  if (size < 8 || size > 256) return {};
  Canvas canvas(size, size);
  const int cells = 3;
  const double cell = static_cast<double>(size) / cells;
  // Gaps and bevels scale with the icon but never vanish at 16 pixels.
  const double gap = size >= 32 ? size / 32.0 : 1.0;
  const double bevel = gap;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      int cx = static_cast<int>(x / cell), cy = static_cast<int>(y / cell);
      double fx = x - cx * cell, fy = y - cy * cell;
      Color c = hex(0x06081a);  // the board between the tiles
      bool inside = fx >= gap && fy >= gap && fx < cell - gap && fy < cell - gap;
      if (inside && !(cx == cells - 1 && cy == cells - 1)) {
        // Warm to cool across the board, as the title's tiles are.
        double hue = 0.02 + 0.09 * (cx + cy);
        c = hsv(hue, 0.7, 0.85);
        if (fx < gap + bevel || fy < gap + bevel) c = c + rgb(0.15, 0.15, 0.15);
        if (fx >= cell - gap - bevel || fy >= cell - gap - bevel) c = c * 0.6;
      } else if (inside) {
        c = hex(0x121218);  // the empty slot
      }
      canvas.set(x, y, c);
    }
  }
  return canvas.to_8bit();
}

std::vector<uint8_t> encode_ico(const std::vector<Image8>& images) {
  if (images.empty() || images.size() > 16) return {};
  for (const Image8& image : images) {
    if (image.width != image.height || image.width < 1 || image.width > 256 ||
        image.rgb.size() != static_cast<size_t>(image.width) * image.height * 3)
      return {};
  }
  std::vector<uint8_t> out;
  put16(out, 0);  // reserved
  put16(out, 1);  // an icon, not a cursor
  put16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (const Image8& image : images) {
    const uint32_t n = static_cast<uint32_t>(image.width);
    // The AND mask's rows are padded to 32 bits.
    const uint32_t bytes = 40 + n * n * 4 + ((n + 31) / 32 * 4) * n;
    out.push_back(static_cast<uint8_t>(n == 256 ? 0 : n));  // 0 stands for 256
    out.push_back(static_cast<uint8_t>(n == 256 ? 0 : n));
    out.push_back(0);  // no palette
    out.push_back(0);
    put16(out, 1);   // planes
    put16(out, 32);  // bits per pixel
    put32(out, bytes);
    put32(out, offset);
    offset += bytes;
  }
  for (const Image8& image : images) {
    const uint32_t n = static_cast<uint32_t>(image.width);
    // BITMAPINFOHEADER whose height counts the colour rows and the mask rows together.
    put32(out, 40);
    put32(out, n);
    put32(out, 2 * n);
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);  // BI_RGB
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (size_t row = n; row-- > 0;) {
      for (size_t x = 0; x < n; ++x) {
        const uint8_t* p = &image.rgb[(row * n + x) * 3];
        out.push_back(p[2]);
        out.push_back(p[1]);
        out.push_back(p[0]);
        out.push_back(255);  // opaque
      }
    }
    // An all-zero AND mask: every pixel is drawn.
    out.insert(out.end(), static_cast<size_t>((n + 31) / 32 * 4) * n, 0);
  }
  return out;
}

}  // namespace assetgen

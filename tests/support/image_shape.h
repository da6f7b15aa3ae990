// A snapshot of an IMAGE's size and surface: what a refused call must leave alone.
#pragma once

#include <slate/graphics.h>

namespace SlateTest {

struct Shape {
  explicit Shape(const Slate::IMAGE& image)
      : width(image.width), height(image.height), bitmap(image.bitmap), pixels(image.pixels) {}
  bool operator==(const Shape& o) const {
    return width == o.width && height == o.height && bitmap == o.bitmap && pixels == o.pixels;
  }
  int width, height;
  HBITMAP bitmap;
  DWORD* pixels;
};

}  // namespace SlateTest

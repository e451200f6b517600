// Tiny canvases for rasteriser and rendering tests, read back as ASCII pixel maps.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/core/surface.h"

namespace testing_support {

// A framebuffer of its own with one surface over all of it, filled with `background`.
class Canvas {
 public:
  Canvas(int width, int height, platform::Rgb background = 0xffffff);
  platform::Surface surface() { return &surface_; }
  platform::Rgb at(int x, int y) const { return pixels_[y * width_ + x]; }
  // Rows top to bottom, one character a pixel: the legend's character for its colour, '?' for
  // a colour not in the legend.
  std::string map(const std::map<platform::Rgb, char>& legend) const;
  // The same for the pixels of the rectangle (left <= x < right, top <= y < bottom).
  std::string map(const std::map<platform::Rgb, char>& legend, const platform::Rect& area) const;
  // Limits drawing to one rectangle.
  void clipTo(const platform::Rect& rect);
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_, height_;
  std::vector<std::uint32_t> pixels_;
  platform::SurfaceObject surface_;
};

// Joins lines with '\n', each ending in one, for comparing with a map().
std::string lines(std::initializer_list<const char*> rows);

}  // namespace testing_support

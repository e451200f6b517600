// Internals shared by the core's drawing, text and window code.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform {

struct BrushObject {
  Rgb colour;
  bool used;
};

struct PenObject {
  Rgb colour;
  bool used;
};

// Clip of a surface: up to maxRects device rectangles; more are merged into their bounds.
struct ClipRegion {
  static constexpr int maxRects = 16;
  Rect rects[maxRects];
  int count;
  Rect bounds;

  void clear();
  bool empty() const { return count == 0; }
  // Adds a rectangle; empty rectangles are ignored.
  void add(const Rect& rect);
  // Limits every rectangle to `limit`.
  void intersect(const Rect& limit);
  bool contains(int x, int y) const;
};

// A drawing target on the device framebuffer. Coordinates given to the drawing calls are relative
// to (originX, originY); everything is clipped to `clip` (device coordinates).
struct SurfaceObject {
  std::uint32_t* pixels;
  int width, height;  // of the framebuffer
  int originX, originY;
  ClipRegion clip;
  Pen pen;
  Brush brush;
  Rgb textColour;
  Rgb backgroundColour;
  bool opaqueBackground;
  bool inUse;
  // Device bounds of what was drawn, for presenting.
  Rect touched;

  void reset(std::uint32_t* framebuffer, int fbWidth, int fbHeight, int x, int y);
  // Paints one pixel given in surface coordinates, if it lies in the clip.
  void plot(int x, int y, Rgb colour) {
    int dx = x + originX, dy = y + originY;
    if (!clip.contains(dx, dy)) return;
    pixels[dy * width + dx] = colour;
    touch(dx, dy, dx + 1, dy + 1);
  }
  Rgb pixelAt(int x, int y) const;
  // Fills a surface rectangle (right and bottom excluded), clipped.
  void fill(int left, int top, int right, int bottom, Rgb colour);
  void touch(int left, int top, int right, int bottom);
};

// Merges `add` into `into`; an empty `into` (right <= left) becomes `add`.
void unionRect(Rect& into, const Rect& add);
Rect intersectRect(const Rect& a, const Rect& b);
bool rectEmpty(const Rect& r);

}  // namespace platform

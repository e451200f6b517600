// The rasteriser: brushes, pens, rectangles, ellipses and polylines, pixel-exact on the
// framebuffer.
#include <cstdlib>

#include "platform/core/surface.h"
#include "platform/platform.h"

namespace platform {
namespace {

// Drawing tools live in fixed pools so that nothing is allocated while drawing.
constexpr int poolSize = 64;
BrushObject brushes[poolSize];
PenObject pens[poolSize];

}  // namespace

bool rectEmpty(const Rect& r) {
  return r.right <= r.left || r.bottom <= r.top;
}

void unionRect(Rect& into, const Rect& add) {
  if (rectEmpty(add)) return;
  if (rectEmpty(into)) {
    into = add;
    return;
  }
  if (add.left < into.left) into.left = add.left;
  if (add.top < into.top) into.top = add.top;
  if (add.right > into.right) into.right = add.right;
  if (add.bottom > into.bottom) into.bottom = add.bottom;
}

Rect intersectRect(const Rect& a, const Rect& b) {
  Rect r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
         a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
  if (rectEmpty(r)) return Rect{0, 0, 0, 0};
  return r;
}

void ClipRegion::clear() {
  count = 0;
  bounds = Rect{0, 0, 0, 0};
}

void ClipRegion::add(const Rect& rect) {
  if (rectEmpty(rect)) return;
  for (int i = 0; i < count; ++i) {
    const Rect& r = rects[i];
    if (rect.left >= r.left && rect.top >= r.top && rect.right <= r.right &&
        rect.bottom <= r.bottom)
      return;  // already covered
  }
  unionRect(bounds, rect);
  if (count == maxRects) {
    // Too many pieces: repaint their bounds instead, which only ever paints more.
    rects[0] = bounds;
    count = 1;
    return;
  }
  rects[count++] = rect;
}

void ClipRegion::intersect(const Rect& limit) {
  int kept = 0;
  bounds = Rect{0, 0, 0, 0};
  for (int i = 0; i < count; ++i) {
    Rect r = intersectRect(rects[i], limit);
    if (rectEmpty(r)) continue;
    rects[kept++] = r;
    unionRect(bounds, r);
  }
  count = kept;
}

bool ClipRegion::contains(int x, int y) const {
  if (x < bounds.left || x >= bounds.right || y < bounds.top || y >= bounds.bottom) return false;
  for (int i = 0; i < count; ++i) {
    const Rect& r = rects[i];
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  }
  return false;
}

void SurfaceObject::reset(std::uint32_t* framebuffer, int fbWidth, int fbHeight, int x, int y) {
  pixels = framebuffer;
  width = fbWidth;
  height = fbHeight;
  originX = x;
  originY = y;
  clip.clear();
  pen = nullptr;
  brush = nullptr;
  textColour = rgb(0, 0, 0);
  backgroundColour = rgb(255, 255, 255);
  opaqueBackground = true;
  inUse = true;
  touched = Rect{0, 0, 0, 0};
}

Rgb SurfaceObject::pixelAt(int x, int y) const {
  int dx = x + originX, dy = y + originY;
  if (dx < 0 || dy < 0 || dx >= width || dy >= height) return 0;
  return pixels[dy * width + dx];
}

void SurfaceObject::touch(int left, int top, int right, int bottom) {
  unionRect(touched, Rect{left, top, right, bottom});
}

void SurfaceObject::fill(int left, int top, int right, int bottom, Rgb colour) {
  Rect wanted{left + originX, top + originY, right + originX, bottom + originY};
  for (int i = 0; i < clip.count; ++i) {
    Rect r = intersectRect(wanted, clip.rects[i]);
    if (rectEmpty(r)) continue;
    for (int y = r.top; y < r.bottom; ++y) {
      std::uint32_t* row = pixels + y * width;
      for (int x = r.left; x < r.right; ++x) row[x] = colour;
    }
    touch(r.left, r.top, r.right, r.bottom);
  }
}

Brush createSolidBrush(Rgb colour) {
  for (BrushObject& b : brushes) {
    if (!b.used) {
      b.used = true;
      b.colour = colour;
      return &b;
    }
  }
  return nullptr;
}

Pen createPen(Rgb colour) {
  for (PenObject& p : pens) {
    if (!p.used) {
      p.used = true;
      p.colour = colour;
      return &p;
    }
  }
  return nullptr;
}

void deleteBrush(Brush brush) {
  if (brush != nullptr) brush->used = false;
}

void deletePen(Pen pen) {
  if (pen != nullptr) pen->used = false;
}

Brush selectBrush(Surface surface, Brush brush) {
  Brush old = surface->brush;
  surface->brush = brush;
  return old;
}

Pen selectPen(Surface surface, Pen pen) {
  Pen old = surface->pen;
  surface->pen = pen;
  return old;
}

void fillRect(Surface surface, const Rect& rect, Brush brush) {
  if (surface == nullptr || brush == nullptr) return;
  surface->fill(rect.left, rect.top, rect.right, rect.bottom, brush->colour);
}

// A pixel (x, y) belongs to the ellipse inscribed in (l, t, r, b) when its centre lies inside:
// ((2x + 1 - (l + r)) / w)^2 + ((2y + 1 - (t + b)) / h)^2 <= 1, kept in integers.
namespace {
bool insideEllipse(long long dx2, long long dy2, long long w, long long h) {
  return dx2 * dx2 * h * h + dy2 * dy2 * w * w <= w * w * h * h;
}
}  // namespace

void ellipse(Surface surface, int left, int top, int right, int bottom) {
  if (surface == nullptr || right <= left || bottom <= top) return;
  const long long w = right - left, h = bottom - top;
  const int sx = left + right, sy = top + bottom;
  auto inside = [&](int x, int y) {
    if (x < left || x >= right || y < top || y >= bottom) return false;
    return insideEllipse(2LL * x + 1 - sx, 2LL * y + 1 - sy, w, h);
  };
  const bool hasPen = surface->pen != nullptr;
  const bool hasBrush = surface->brush != nullptr;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (!inside(x, y)) continue;
      // The outline is every inside pixel with a 4-neighbour outside: one pixel wide, closed.
      const bool edge =
          !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
      if (edge) {
        if (hasPen) surface->plot(x, y, surface->pen->colour);
      } else if (hasBrush) {
        surface->plot(x, y, surface->brush->colour);
      }
    }
  }
}

void polyline(Surface surface, const Point* points, int count) {
  if (surface == nullptr || surface->pen == nullptr || count < 2) return;
  const Rgb colour = surface->pen->colour;
  for (int i = 0; i + 1 < count; ++i) {
    // Bresenham from each point towards the next, the end point itself excluded.
    int x = points[i].x, y = points[i].y;
    const int x1 = points[i + 1].x, y1 = points[i + 1].y;
    const int dx = std::abs(x1 - x), dy = -std::abs(y1 - y);
    const int stepX = x < x1 ? 1 : -1, stepY = y < y1 ? 1 : -1;
    int error = dx + dy;
    while (x != x1 || y != y1) {
      surface->plot(x, y, colour);
      const int e2 = 2 * error;
      if (e2 >= dy) {
        error += dy;
        x += stepX;
      }
      if (e2 <= dx) {
        error += dx;
        y += stepY;
      }
    }
  }
}

}  // namespace platform

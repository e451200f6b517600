// Text from the built-in glyph table: one line, aligned in a rectangle, blended by coverage.
#include "platform/core/text.h"

#include <cassert>
#include <climits>
#include <string>

#include "platform/core/glyphs.h"
#include "platform/core/surface.h"
#include "platform/platform.h"

namespace platform {
namespace {

// Decodes the character at `i` and steps past it; a lone surrogate is kept (it draws a box).
char32_t nextCharacter(const char16_t* text, int length, int& i) {
  char32_t unit = text[i++];
  if (unit >= 0xD800 && unit <= 0xDBFF && i < length && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
    return 0x10000 + ((unit - 0xD800) << 10) + (text[i++] - 0xDC00);
  }
  return unit;
}

// Line breaks and other control characters take no room and draw nothing.
bool isControl(char32_t code) {
  return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

// What a character the table lacks draws: a hollow box with the size and advance of a capital.
struct MissingBox {
  int left, top, width, height, advance;
};

MissingBox missingBox() {
  const glyphs::Glyph* capital = glyphs::find(U'H');
  assert(capital != nullptr && "the glyph table always holds printable ASCII");
  return MissingBox{capital->left, capital->top, capital->width, capital->height, capital->advance};
}

int advanceOf(char32_t code) {
  if (isControl(code)) return 0;
  const glyphs::Glyph* glyph = glyphs::find(code);
  return glyph != nullptr ? glyph->advance : missingBox().advance;
}

int resolveLength(const char16_t* text, int length) {
  if (text == nullptr) return 0;
  return length < 0 ? static_cast<int>(std::char_traits<char16_t>::length(text)) : length;
}

Rgb blend(Rgb background, Rgb foreground, int coverage) {
  Rgb out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    int bg = static_cast<int>((background >> shift) & 0xff);
    int fg = static_cast<int>((foreground >> shift) & 0xff);
    out |= static_cast<Rgb>((bg * (255 - coverage) + fg * coverage + 127) / 255) << shift;
  }
  return out;
}

// Paints text pixels within `limit` (surface coordinates) and the surface's clip.
struct Painter {
  SurfaceObject& surface;
  Rect limit;
  Rgb colour;

  void paint(int x, int y, int coverage) {
    if (coverage == 0 || x < limit.left || x >= limit.right || y < limit.top || y >= limit.bottom) {
      return;
    }
    surface.plot(x, y, coverage == 255 ? colour : blend(surface.pixelAt(x, y), colour, coverage));
  }

  void glyph(const glyphs::Glyph& g, int penX, int lineTop) {
    const std::uint8_t* cell = glyphs::coverage + g.offset;
    for (int row = 0; row < g.height; ++row) {
      for (int column = 0; column < g.width; ++column) {
        paint(penX + g.left + column, lineTop + g.top + row, *cell++);
      }
    }
  }

  void box(const MissingBox& b, int penX, int lineTop) {
    int left = penX + b.left, top = lineTop + b.top;
    int right = left + b.width - 1, bottom = top + b.height - 1;
    for (int x = left; x <= right; ++x) {
      paint(x, top, 255);
      paint(x, bottom, 255);
    }
    for (int y = top + 1; y < bottom; ++y) {
      paint(left, y, 255);
      paint(right, y, 255);
    }
  }
};

}  // namespace

int textWidth(const char16_t* text, int length) {
  length = resolveLength(text, length);
  int width = 0;
  for (int i = 0; i < length;) width += advanceOf(nextCharacter(text, length, i));
  return width;
}

int drawText(Surface surface, const char16_t* text, int length, const Rect& rect, unsigned format) {
  if (surface == nullptr) return 0;
  length = resolveLength(text, length);
  const int width = textWidth(text, length);
  const int height = glyphs::lineHeight;

  int x = rect.left;
  if (format & text::center) {
    x = rect.left + (rect.right - rect.left - width) / 2;
  } else if (format & text::right) {
    x = rect.right - width;
  }
  int y = rect.top;
  if (format & text::vcenter) {
    y = rect.top + (rect.bottom - rect.top - height) / 2;
  } else if (format & text::bottom) {
    y = rect.bottom - height;
  }

  // Half the int range, so that no coordinate sum can overflow.
  constexpr int far = INT_MAX / 2;
  Rect limit = (format & text::noClip) ? Rect{-far, -far, far, far} : rect;

  if (surface->opaqueBackground) {
    Rect box = intersectRect(Rect{x, y, x + width, y + height}, limit);
    if (!rectEmpty(box)) {
      surface->fill(box.left, box.top, box.right, box.bottom, surface->backgroundColour);
    }
  }

  Painter painter{*surface, limit, surface->textColour};
  int penX = x;
  for (int i = 0; i < length;) {
    char32_t code = nextCharacter(text, length, i);
    if (isControl(code)) continue;
    if (const glyphs::Glyph* glyph = glyphs::find(code)) {
      painter.glyph(*glyph, penX, y);
      penX += glyph->advance;
    } else {
      MissingBox box = missingBox();
      painter.box(box, penX, y);
      penX += box.advance;
    }
  }
  return height;
}

void setTextColour(Surface surface, Rgb colour) {
  if (surface != nullptr) surface->textColour = colour;
}

void setBackgroundColour(Surface surface, Rgb colour) {
  if (surface != nullptr) surface->backgroundColour = colour;
}

void setBackgroundOpaque(Surface surface, bool opaque) {
  if (surface != nullptr) surface->opaqueBackground = opaque;
}

}  // namespace platform

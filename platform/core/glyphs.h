// The built-in bitmap font: a glyph table generated at build time (tools/glyphgen) and compiled
// into the program, so text is the same pixels on every machine and no font library is loaded.
#pragma once

#include <cstdint>

namespace platform::glyphs {

struct Glyph {
  char32_t code;
  std::int8_t left;    // from the pen position to the bitmap's left column
  std::int8_t top;     // from the line's top to the bitmap's top row
  std::uint8_t width;  // bitmap size in pixels
  std::uint8_t height;
  std::uint8_t advance;  // pen advance in pixels
  std::uint32_t offset;  // first coverage byte in `coverage`
};

// Sorted by code.
extern const Glyph table[];
extern const int count;
// Coverage 0..255 per pixel, row by row, width x height per glyph.
extern const std::uint8_t coverage[];
// Height of one line box in pixels.
extern const int lineHeight;

// The glyph of a character, or null when the table lacks it (drawn as a box).
const Glyph* find(char32_t code);

}  // namespace platform::glyphs

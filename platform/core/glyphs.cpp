#include "platform/core/glyphs.h"

#include <algorithm>

namespace platform::glyphs {

const Glyph* find(char32_t code) {
  const Glyph* end = table + count;
  const Glyph* found = std::lower_bound(
      table, end, code, [](const Glyph& glyph, char32_t wanted) { return glyph.code < wanted; });
  return found != end && found->code == code ? found : nullptr;
}

}  // namespace platform::glyphs

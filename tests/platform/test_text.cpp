// The built-in font, text drawing and the string tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/core/glyphs.h"
#include "platform/core/surface.h"
#include "platform/core/text.h"
#include "platform/platform.h"
#include "resources/ids.h"
#include "tests/support/pixel_map.h"

namespace platform {
namespace {

// ---- the glyph table ----

std::filesystem::path resourceDirectory() {
  return std::filesystem::path(ZANDREL_SOURCE_DIR) / "resources";
}

// Decodes UTF-8 that the build has already validated (glyphgen rejects malformed files).
std::u32string decodeUtf8(const std::string& bytes) {
  std::u32string out;
  for (std::size_t i = 0; i < bytes.size();) {
    auto byte = static_cast<unsigned char>(bytes[i++]);
    int extra = byte < 0x80 ? 0 : byte < 0xE0 ? 1 : byte < 0xF0 ? 2 : 3;
    char32_t code = byte & (0x7F >> extra);
    for (int k = 0; k < extra && i < bytes.size(); ++k) code = (code << 6) | (bytes[i++] & 0x3F);
    out += code;
  }
  return out;
}

TEST(GlyphTable, CoversEveryCharacterOfEveryTextFile) {
  std::vector<std::string> seen;
  for (const auto& entry : std::filesystem::directory_iterator(resourceDirectory())) {
    const auto& path = entry.path();
    if (path.extension() != ".txt" || path.filename() == "CMakeLists.txt") continue;
    seen.push_back(path.filename().string());
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int line = 1;
    for (char32_t c : decodeUtf8(bytes)) {
      if (c == '\n') ++line;
      if (c < 0x20) continue;
      EXPECT_NE(glyphs::find(c), nullptr)
          << path.filename() << " line " << line << ": U+" << std::hex << static_cast<unsigned>(c);
    }
  }
  for (const char* name : {"strings_en.txt", "strings_zh.txt", "menus_dialogs.txt"}) {
    EXPECT_NE(std::find(seen.begin(), seen.end(), name), seen.end()) << name << " not read";
  }
}

TEST(GlyphTable, FindsEachEntryAndNothingElse) {
  ASSERT_GT(glyphs::count, 0);
  for (int i = 0; i < glyphs::count; ++i) {
    EXPECT_EQ(glyphs::find(glyphs::table[i].code), &glyphs::table[i]) << "entry " << i;
  }
  for (char32_t c = 0x20; c <= 0x7E; ++c) EXPECT_NE(glyphs::find(c), nullptr) << char(c);
  for (char32_t absent : {U'\0', U'\x1F', U'\uE000', U'\U0001F600', U'\U0010FFFF'}) {
    EXPECT_EQ(glyphs::find(absent), nullptr) << static_cast<unsigned>(absent);
  }
}

// Both fonts share one baseline; a glyph reaching outside the line box would escape the opaque
// background and overlap the line above or below.
TEST(GlyphTable, EveryGlyphStaysInsideTheLineBox) {
  for (int i = 0; i < glyphs::count; ++i) {
    const glyphs::Glyph& g = glyphs::table[i];
    if (g.width == 0) continue;
    EXPECT_GE(g.top, 0) << "U+" << std::hex << static_cast<unsigned>(g.code);
    EXPECT_LE(g.top + g.height, glyphs::lineHeight)
        << "U+" << std::hex << static_cast<unsigned>(g.code);
  }
}

// ---- string resources ----

TEST(LoadString, CopiesCutsAndTerminates) {
  struct Case {
    int id;
    int capacity;
    std::u16string expected;
  };
  const Case cases[] = {
      {ids::text::success.english, 64, u"Success"},
      {ids::text::success.english, 8, u"Success"},  // exactly room for the terminator
      {ids::text::success.english, 7, u"Succes"},
      {ids::text::success.english, 1, u""},
      {ids::text::success.chinese, 64, u"成功"},
      {ids::text::success.chinese, 2, u"成"},
      {ids::text::windowClass.english, 64, u"ZANDREL"},  // in both files, same text
      {ids::text::aboutText.chinese, 64, u"Zandrel\n围棋死活题练习，版本 1.0"},
      {ids::text::aboutText.english, 64, u"Zandrel\nGo problem trainer, version 1.0"},
      {12345, 64, u""},  // no such string
      {0, 64, u""},      // menus_dialogs.txt labels are not string ids
  };
  for (const Case& c : cases) {
    std::u16string buffer(80, u'?');
    int copied = loadString(c.id, buffer.data(), c.capacity);
    EXPECT_EQ(copied, static_cast<int>(c.expected.size())) << c.id << " / " << c.capacity;
    EXPECT_EQ(buffer.substr(0, c.expected.size() + 1), c.expected + u'\0')
        << c.id << " / " << c.capacity;
    EXPECT_EQ(buffer[c.capacity], u'?') << "wrote past capacity " << c.capacity;
  }
}

TEST(LoadString, NoCapacityCopiesNothing) {
  for (int capacity : {0, -1}) {
    char16_t buffer[4] = {u'?', u'?', u'?', u'?'};
    EXPECT_EQ(loadString(ids::text::success.english, buffer, capacity), 0);
    EXPECT_EQ(buffer[0], u'?');
  }
}

// ---- drawing ----

using testing_support::Canvas;
using testing_support::lines;

constexpr Rgb paper = rgb(0, 255, 0);
constexpr Rgb ink = rgb(0, 0, 0);
constexpr Rgb marker = rgb(255, 0, 0);
const std::map<Rgb, char> legend{{paper, '.'}, {ink, '#'}};

// Bounds of the pixels for which `pick(colour)` holds; empty when there are none.
template <class Pick>
Rect boundsWhere(const Canvas& canvas, Pick pick) {
  Rect r{canvas.width(), canvas.height(), 0, 0};
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (!pick(canvas.at(x, y))) continue;
      r = Rect{std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1),
               std::max(r.bottom, y + 1)};
    }
  }
  return r.right > r.left ? r : Rect{0, 0, 0, 0};
}

Rect changedArea(const Canvas& canvas) {
  return boundsWhere(canvas, [](Rgb c) { return c != paper; });
}

std::string show(const Rect& r) {
  char text[64];
  std::snprintf(text, sizeof text, "{%d, %d, %d, %d}", r.left, r.top, r.right, r.bottom);
  return text;
}

// Draws with text and background in one colour, so the painted area is exactly the line box.
Rect lineBoxOf(const char16_t* text, const Rect& rect, unsigned format) {
  Canvas canvas(200, 80, paper);
  setTextColour(canvas.surface(), marker);
  setBackgroundColour(canvas.surface(), marker);
  drawText(canvas.surface(), text, -1, rect, format);
  return boundsWhere(canvas, [](Rgb c) { return c == marker; });
}

TEST(DrawText, PlacesTheLineBoxByTheAlignmentFlags) {
  const char16_t* text = u"Hint";
  const int w = textWidth(text, -1);
  const int h = glyphs::lineHeight;
  ASSERT_EQ(h, 16);
  struct Case {
    const char* name;
    Rect rect;
    unsigned format;
    Rect expected;
  };
  const Case cases[] = {
      {"top left", {20, 10, 120, 60}, text::left | text::top, {20, 10, 20 + w, 10 + h}},
      {"centre, even spare", {20, 10, 20 + w + 10, 60}, text::center, {25, 10, 25 + w, 10 + h}},
      {"centre, odd spare", {20, 10, 20 + w + 11, 60}, text::center, {25, 10, 25 + w, 10 + h}},
      // Too narrow: the spare is negative and halving truncates toward zero.
      {"centre, -3 spare",
       {20, 10, 20 + w - 3, 60},
       text::center | text::noClip,
       {19, 10, 19 + w, 10 + h}},
      {"right", {20, 10, 120, 60}, text::right, {120 - w, 10, 120, 10 + h}},
      {"vcentre, odd spare", {20, 10, 120, 10 + h + 15}, text::vcenter, {20, 17, 20 + w, 17 + h}},
      {"bottom", {20, 10, 120, 60}, text::bottom, {20, 60 - h, 20 + w, 60}},
      {"centre and vcentre",
       {0, 0, 100, 40},
       text::center | text::vcenter | text::singleLine,
       {(100 - w) / 2, 12, (100 - w) / 2 + w, 12 + h}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(show(lineBoxOf(text, c.rect, c.format)), show(c.expected)) << c.name;
}

TEST(DrawText, OpaqueFillsTheLineBoxAndDrawsTheTextInIt) {
  Canvas canvas(120, 40, paper);
  setBackgroundColour(canvas.surface(), marker);
  EXPECT_EQ(drawText(canvas.surface(), u"Success 成功", -1, Rect{4, 6, 120, 40}, text::top),
            glyphs::lineHeight);
  const Rect box{4, 6, 4 + textWidth(u"Success 成功", -1), 6 + glyphs::lineHeight};
  int inked = 0;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      bool inside = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
      if (!inside) {
        ASSERT_EQ(canvas.at(x, y), paper) << x << "," << y << " outside the line box";
      } else {
        EXPECT_NE(canvas.at(x, y), paper) << x << "," << y << " left unfilled";
        inked += canvas.at(x, y) == ink;
      }
    }
  }
  EXPECT_GT(inked, 40) << canvas.map(legend, box);
}

TEST(DrawText, TransparentBackgroundBlendsOverWhatIsThere) {
  // The same text drawn black on white gives each pixel's coverage: white - value.
  const char16_t* text = u"Good 好";
  const Rect rect{2, 2, 100, 30};
  Canvas reference(100, 30, paper);
  setBackgroundColour(reference.surface(), rgb(255, 255, 255));
  drawText(reference.surface(), text, -1, rect, text::left);

  const Rgb under = rgb(200, 100, 30);
  Canvas canvas(100, 30, under);
  setBackgroundOpaque(canvas.surface(), false);
  setTextColour(canvas.surface(), rgb(0, 0, 255));
  drawText(canvas.surface(), text, -1, rect, text::left);

  int between = 0, partial = 0;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      Rgb r = reference.at(x, y);
      if (r == paper) {
        ASSERT_EQ(canvas.at(x, y), under) << x << "," << y << " outside the text";
        continue;
      }
      int coverage = 255 - static_cast<int>(r & 0xff);
      between += coverage == 0;
      partial += coverage > 0 && coverage < 255;
      Rgb expected = rgb((200 * (255 - coverage) + 127) / 255, (100 * (255 - coverage) + 127) / 255,
                         (30 * (255 - coverage) + 255 * coverage + 127) / 255);
      ASSERT_EQ(canvas.at(x, y), expected) << x << "," << y << " coverage " << coverage;
    }
  }
  EXPECT_GT(between, 0);
  EXPECT_GT(partial, 0) << "the Latin text should be anti-aliased";
}

TEST(DrawText, ClipsToTheRectangleUnlessTold) {
  const Rect rect{10, 10, 40, 20};  // narrower and lower than the text
  for (unsigned format : {text::left, text::center, text::right}) {
    Canvas canvas(100, 40, paper);
    drawText(canvas.surface(), u"Next problem", -1, rect, format);
    EXPECT_EQ(show(changedArea(canvas)), show(rect)) << "format " << format;
  }

  Canvas unclipped(100, 40, paper);
  drawText(unclipped.surface(), u"Next problem", -1, rect, text::left | text::noClip);
  EXPECT_EQ(show(changedArea(unclipped)),
            show(Rect{10, 10, 10 + textWidth(u"Next problem", -1), 10 + glyphs::lineHeight}));
}

TEST(DrawText, StaysInsideTheSurfaceClip) {
  Canvas canvas(100, 40, paper);
  canvas.surface()->clip.clear();
  canvas.surface()->clip.add(Rect{0, 0, 25, 40});
  canvas.surface()->clip.add(Rect{50, 0, 60, 40});
  drawText(canvas.surface(), u"Success 成功", -1, Rect{0, 0, 100, 40}, text::noClip);
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (x < 25 || (x >= 50 && x < 60)) continue;
      ASSERT_EQ(canvas.at(x, y), paper) << x << "," << y;
    }
  }
  EXPECT_NE(canvas.at(52, 2), paper) << "the background is filled inside the clip";
}

TEST(DrawText, AMissingCharacterIsAHollowBox) {
  // U+E000 is in no string file, so the table lacks it.
  Canvas canvas(9, 16, paper);
  setBackgroundOpaque(canvas.surface(), false);
  drawText(canvas.surface(), u"\uE000", -1, Rect{0, 0, 9, 16}, text::left);
  EXPECT_EQ(canvas.map(legend), lines({".........",  //
                                       ".........",  //
                                       ".........",  //
                                       ".#######.",  //
                                       ".#.....#.",  //
                                       ".#.....#.",  //
                                       ".#.....#.",  //
                                       ".#.....#.",  //
                                       ".#.....#.",  //
                                       ".#.....#.",  //
                                       ".#.....#.",  //
                                       ".#######.",  //
                                       ".........",  //
                                       ".........",  //
                                       ".........",  //
                                       "........."}));
}

TEST(TextWidth, CountsCharactersNotUnits) {
  const int box = textWidth(u"\uE000", -1);
  EXPECT_GT(box, 0);
  const int ab = textWidth(u"AB", -1);
  struct Case {
    const char16_t* text;
    int length;
    int expected;
  };
  const Case cases[] = {
      {u"A\uE000B", -1, ab + box},
      {u"A\U0001F600B", -1, ab + box},  // a surrogate pair is one missing character
      {u"A\xD800"
       u"B",
       -1, ab + box},  // a lone surrogate too
      {u"ABCD", 2, ab},
      {u"A\nB", -1, ab},  // a line break takes no room
      {u"", -1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(textWidth(c.text, c.length), c.expected) << std::u16string(c.text).size();
  }
}

}  // namespace
}  // namespace platform

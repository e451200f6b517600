// glyphgen OUTPUT.cpp INPUT.txt...
//
// Writes the built-in glyph table (platform/core/glyphs.h) for every character the program's text
// files use, plus all of printable ASCII. Latin comes from DejaVu Sans, anti-aliased; everything
// else from the bitmap strike of WenQuanYi Zen Hei Sharp, so Chinese stays crisp at this size.
// Runs only while building: the program itself never loads a font.

#include "tools/common/generator.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The pocket screen's default UI text: capitals 9 px high, Chinese 11 px, in the 16 px line box
// that the 12 px Chinese strike itself asks for (ascent 12, descent 4).
constexpr int pixelSize = 12;
constexpr const char* latinFamily = "DejaVu Sans";
constexpr const char* chineseFamily = "WenQuanYi Zen Hei Sharp";

using generator::Failure;

std::string codeName(char32_t code) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(code));
  return buffer;
}

std::string utf8(char32_t code) {
  std::string out;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

std::string baseName(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isControl(char32_t code) {
  return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0xFEFF;
}

// Where a character is first used, for the error that names a character no font has.
struct Use {
  std::string file;
  int line;
};

// Adds the characters of one UTF-8 file to `uses`. Throws on unreadable files and bad UTF-8.
void collect(const std::string& path, std::map<char32_t, Use>& uses) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Failure(path + ": cannot read");
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw Failure(path + ": read error");

  int line = 1;
  std::size_t i = 0;
  while (i < bytes.size()) {
    auto byte = static_cast<unsigned char>(bytes[i]);
    int extra;
    char32_t code, minimum;
    if (byte < 0x80) {
      extra = 0, code = byte, minimum = 0;
    } else if ((byte & 0xE0) == 0xC0) {
      extra = 1, code = byte & 0x1F, minimum = 0x80;
    } else if ((byte & 0xF0) == 0xE0) {
      extra = 2, code = byte & 0x0F, minimum = 0x800;
    } else if ((byte & 0xF8) == 0xF0) {
      extra = 3, code = byte & 0x07, minimum = 0x10000;
    } else {
      throw Failure(path + ":" + std::to_string(line) + ": invalid UTF-8");
    }
    if (i + static_cast<std::size_t>(extra) >= bytes.size()) {
      throw Failure(path + ":" + std::to_string(line) + ": invalid UTF-8 (cut short)");
    }
    for (int k = 1; k <= extra; ++k) {
      auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) {
        throw Failure(path + ":" + std::to_string(line) + ": invalid UTF-8");
      }
      code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      throw Failure(path + ":" + std::to_string(line) + ": invalid UTF-8");
    }
    i += static_cast<std::size_t>(extra) + 1;
    if (code == '\n') ++line;
    if (!isControl(code)) uses.emplace(code, Use{baseName(path), line});
  }
}

// The file and face index of a family, through fontconfig. Throws unless the match is that family:
// fontconfig otherwise answers with its best substitute.
std::pair<std::string, int> findFont(const char* family) {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
  if (!pattern) throw Failure(std::string("fontconfig cannot parse \"") + family + "\"");
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) throw Failure(std::string("font \"") + family + "\" not found");

  bool same = false;
  FcChar8* name;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family)) == 0) same = true;
  }
  FcChar8* file = nullptr;
  int index = 0;
  if (!same || FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch) {
    std::string offered = "nothing";
    if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch) {
      offered = std::string("\"") + reinterpret_cast<const char*>(name) + "\"";
    }
    FcPatternDestroy(match);
    throw Failure(std::string("font \"") + family + "\" not installed (fontconfig offers " +
                  offered + " instead)");
  }
  FcPatternGetInteger(match, FC_INDEX, 0, &index);
  std::pair<std::string, int> found(reinterpret_cast<const char*>(file), index);
  FcPatternDestroy(match);
  return found;
}

FT_Face openFace(FT_Library library, const char* family) {
  auto [file, index] = findFont(family);
  FT_Face face;
  if (FT_New_Face(library, file.c_str(), index, &face) != 0) {
    throw Failure(std::string("cannot open ") + file + " (font \"" + family + "\")");
  }
  return face;
}

struct Rendered {
  char32_t code;
  int left, top, width, height, advance;
  std::vector<std::uint8_t> coverage;
};

// Renders the loaded glyph slot into coverage bytes, placed against the line's baseline.
Rendered takeBitmap(FT_Face face, char32_t code, int baseline) {
  FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  Rendered out{code,
               slot->bitmap_left,
               baseline - slot->bitmap_top,
               static_cast<int>(bitmap.width),
               static_cast<int>(bitmap.rows),
               static_cast<int>((slot->advance.x + 32) >> 6),
               {}};
  for (unsigned y = 0; y < bitmap.rows; ++y) {
    const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
    for (unsigned x = 0; x < bitmap.width; ++x) {
      if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        out.coverage.push_back(((row[x / 8] >> (7 - x % 8)) & 1) ? 255 : 0);
      } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.num_grays == 256) {
        out.coverage.push_back(row[x]);
      } else {
        throw Failure(codeName(code) + ": unexpected bitmap format from FreeType");
      }
    }
  }
  if (out.left < -128 || out.left > 127 || out.top < -128 || out.top > 127 || out.width > 255 ||
      out.height > 255 || out.advance < 0 || out.advance > 255) {
    throw Failure(codeName(code) + ": glyph metrics do not fit the table");
  }
  return out;
}

std::string generate(const std::vector<std::string>& inputs) {
  std::map<char32_t, Use> uses;
  for (char32_t c = 0x20; c <= 0x7E; ++c) uses.emplace(c, Use{"", 0});
  for (const auto& path : inputs) collect(path, uses);

  if (!FcInit()) throw Failure("cannot initialise fontconfig");
  FT_Library library;
  if (FT_Init_FreeType(&library) != 0) throw Failure("cannot initialise FreeType");
  FT_Face latin = openFace(library, latinFamily);
  FT_Face chinese = openFace(library, chineseFamily);

  if (FT_Set_Pixel_Sizes(latin, 0, pixelSize) != 0) {
    throw Failure(std::string("cannot size \"") + latinFamily + "\"");
  }
  int strike = -1;
  for (int i = 0; FT_HAS_FIXED_SIZES(chinese) && i < chinese->num_fixed_sizes; ++i) {
    if (chinese->available_sizes[i].y_ppem == pixelSize * 64) strike = i;
  }
  if (strike < 0 || FT_Select_Size(chinese, strike) != 0) {
    throw Failure(std::string("\"") + chineseFamily + "\" has no " + std::to_string(pixelSize) +
                  " px bitmap strike");
  }

  // Both fonts sit on one baseline; the line box holds the larger ascent and descent of the two.
  auto ascent = [](FT_Face f) { return static_cast<int>((f->size->metrics.ascender + 63) >> 6); };
  auto descent = [](FT_Face f) {
    return static_cast<int>((-f->size->metrics.descender + 63) >> 6);
  };
  int baseline = std::max(ascent(latin), ascent(chinese));
  int lineHeight = baseline + std::max(descent(latin), descent(chinese));

  std::vector<Rendered> glyphs;
  for (const auto& [code, use] : uses) {
    bool ascii = code >= 0x20 && code <= 0x7E;
    FT_Face face = ascii ? latin : chinese;
    const char* family = ascii ? latinFamily : chineseFamily;
    FT_UInt index = FT_Get_Char_Index(face, code);
    if (index == 0) {
      throw Failure("no glyph for " + codeName(code) + " '" + utf8(code) + "' in \"" + family +
                    "\" (used in " + use.file + " line " + std::to_string(use.line) + ")");
    }
    FT_Error error = FT_Load_Glyph(face, index, FT_LOAD_DEFAULT);
    if (!error && !ascii && face->glyph->format != FT_GLYPH_FORMAT_BITMAP) {
      // Not in the strike: a hinted one-bit rendering of the outline is the nearest to its look.
      error = FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO);
      if (!error) error = FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO);
      std::fprintf(stderr, "glyphgen: note: %s '%s' has no %d px bitmap; drawn from its outline\n",
                   codeName(code).c_str(), utf8(code).c_str(), pixelSize);
    } else if (!error) {
      error = FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL);
    }
    if (error) throw Failure("FreeType cannot render " + codeName(code) + " '" + utf8(code) + "'");
    glyphs.push_back(takeBitmap(face, code, baseline));
  }
  FT_Done_Face(latin);
  FT_Done_Face(chinese);
  FT_Done_FreeType(library);

  std::ostringstream out;
  out << "// Generated by glyphgen from";
  for (const auto& path : inputs) out << ' ' << baseName(path);
  out << ". Do not edit.\n"
      << "// " << latinFamily << " " << pixelSize << " px for ASCII, " << chineseFamily << " "
      << pixelSize << " px strike for the rest; baseline " << baseline << ".\n\n"
      << "#include \"platform/core/glyphs.h\"\n\n"
      << "namespace platform::glyphs {\n\n"
      << "const int lineHeight = " << lineHeight << ";\n"
      << "const int count = " << glyphs.size() << ";\n\n"
      << "const Glyph table[] = {\n";
  std::uint32_t offset = 0;
  for (const auto& g : glyphs) {
    char line[96];
    std::snprintf(line, sizeof line, "    {0x%04X, %d, %d, %d, %d, %d, %u},\n",
                  static_cast<unsigned>(g.code), g.left, g.top, g.width, g.height, g.advance,
                  static_cast<unsigned>(offset));
    out << line;
    offset += static_cast<std::uint32_t>(g.coverage.size());
  }
  out << "};\n\n"
      << "const std::uint8_t coverage[] = {\n";
  for (const auto& g : glyphs) {
    if (g.coverage.empty()) continue;
    out << "    // " << codeName(g.code) << "\n";
    for (int y = 0; y < g.height; ++y) {
      out << "   ";
      for (int x = 0; x < g.width; ++x) {
        char cell[8];
        std::snprintf(cell, sizeof cell, " %3u,", g.coverage[y * g.width + x]);
        out << cell;
      }
      out << "\n";
    }
  }
  if (offset == 0) out << "    0,\n";
  out << "};\n\n"
      << "}  // namespace platform::glyphs\n";
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  return generator::run("glyphgen", argc, argv, generate);
}

# Turns problems/catalogue.txt (one record a line) into C++: the bytes of the file with every line
# end made a zero, and the table of pointers to the line starts. Run with -DINPUT= -DOUTPUT=.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPLACE "0x0d," "" bytes "${bytes}")
string(REPLACE "0x0a," "0x00," bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp" "// Made from problems/catalogue.txt while building; edit that file instead.
#include \"problems/catalogue.h\"

namespace {

constexpr char text[] = {${bytes} 0x00};

// Start of line k (0-based), or -1 when the text has fewer lines.
constexpr int lineStart(int k) {
  int start = 0;
  for (int line = 0; line < k; ++line) {
    while (start < static_cast<int>(sizeof text) && text[start] != 0) ++start;
    ++start;
    if (start >= static_cast<int>(sizeof text) - 1) return -1;
  }
  return start;
}

constexpr bool wellFormed() {
  for (int k = 0; k < catalogueSize; ++k) {
    const int start = lineStart(k);
    if (start < 0 || text[start] == 0) return false;
    for (int i = start; text[i] != 0; ++i)
      if (text[i] < '0' || text[i] > 'o') return false;
  }
  return lineStart(catalogueSize) < 0 || text[lineStart(catalogueSize)] == 0;
}
static_assert(wellFormed(), \"problems/catalogue.txt must hold exactly the catalogue's records, one a line\");

}  // namespace

const char* const ProblemCatalogue[catalogueSize + 1] = {
    \"\", text + lineStart(0), text + lineStart(1), text + lineStart(2), text + lineStart(3),
    text + lineStart(4), text + lineStart(5), text + lineStart(6), text + lineStart(7),
    text + lineStart(8), text + lineStart(9)};
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")

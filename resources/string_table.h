// The program's string tables (strings_*.txt), merged by id; generated at build time by resgen.
#pragma once

namespace resources {

struct StringEntry {
  int id;
  const char16_t* text;  // zero-terminated UTF-16
  int length;            // in UTF-16 units, without the terminator
};

// Sorted by id; every id once.
extern const StringEntry strings[];
extern const int stringCount;

}  // namespace resources

// String resources, from the tables compiled in at build time.
#include "platform/platform.h"

#include <algorithm>

#include "resources/string_table.h"

namespace platform {

int loadString(int id, char16_t* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return 0;
  const resources::StringEntry* end = resources::strings + resources::stringCount;
  const resources::StringEntry* found = std::lower_bound(
      resources::strings, end, id,
      [](const resources::StringEntry& entry, int wanted) { return entry.id < wanted; });
  int copied = 0;
  if (found != end && found->id == id) {
    copied = std::min(found->length, capacity - 1);
    std::copy(found->text, found->text + copied, buffer);
  }
  buffer[copied] = 0;
  return copied;
}

}  // namespace platform

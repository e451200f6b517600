// Lookup of the built-in sound clips.
#include "resources/sounds.h"

namespace resources {

bool findSound(int id, const unsigned char*& data, std::size_t& size) {
  for (int i = 0; i < soundCount; ++i) {
    if (sounds[i].id == id) {
      data = sounds[i].data;
      size = sounds[i].size;
      return true;
    }
  }
  return false;
}

}  // namespace resources

// The program's sound clips (resources/sounds/<id>.wav, RIFF WAVE), built in as bytes.
#pragma once

#include <cstddef>

namespace resources {

struct SoundEntry {
  int id;
  const unsigned char* data;  // the whole file
  std::size_t size;
};

// Sorted by id; made at build time from the files by embed_sounds.cmake.
extern const SoundEntry sounds[];
extern const int soundCount;

// Points `data` and `size` at the bytes of clip `id`. False, leaving both alone, when there is
// none.
bool findSound(int id, const unsigned char*& data, std::size_t& size);

}  // namespace resources

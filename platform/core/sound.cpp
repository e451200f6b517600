// Sound: the built-in clips and beeps, played by the host.
#include "platform/platform.h"

#include <cstddef>

#include "platform/host.h"
#include "resources/sounds.h"

namespace platform {

bool playSoundResource(int id) {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
  if (!resources::findSound(id, data, size)) return false;
  return host::playWave(id, data, size);
}

void beep(unsigned kind) {
  host::beep(kind);
}

}  // namespace platform

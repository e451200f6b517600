// The device framebuffer's store: one allocation when the screen starts, none while drawing.
#include "platform/core/framebuffer.h"

#include <cstddef>
#include <vector>

namespace platform {

namespace {

std::vector<std::uint32_t> store;
int storeWidth = 0, storeHeight = 0;
bool shownToReaders = false;

}  // namespace

namespace core {

void createFramebuffer(int width, int height, std::uint32_t colour) {
  storeWidth = width;
  storeHeight = height;
  store.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), colour);
}

void setFramebufferShown(bool shown) {
  shownToReaders = shown;
}

std::uint32_t* framebufferPixels() {
  return store.empty() ? nullptr : store.data();
}

void fillFramebuffer(std::uint32_t colour) {
  for (std::uint32_t& p : store) p = colour;
}

}  // namespace core

namespace framebuffer {

const std::uint32_t* pixels() {
  return shownToReaders ? store.data() : nullptr;
}
int width() {
  return storeWidth;
}
int height() {
  return storeHeight;
}

}  // namespace framebuffer

}  // namespace platform

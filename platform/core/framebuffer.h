// The device framebuffer, for the hosts and the tools (PNG export, comparisons).
#pragma once

#include <cstdint>

namespace platform::framebuffer {

// Null until platform::start().
const std::uint32_t* pixels();
int width();
int height();

}  // namespace platform::framebuffer

// The device framebuffer: the pixels of the whole device screen, drawn by the window core and
// read by the hosts and the tools (PNG export, comparisons).
#pragma once

#include <cstdint>

namespace platform::framebuffer {

// Null until platform::start().
const std::uint32_t* pixels();
int width();
int height();

}  // namespace platform::framebuffer

namespace platform::core {

// The window core's side. The store is made (every pixel `colour`) before the host starts and is
// shown to readers once the host has started.
void createFramebuffer(int width, int height, std::uint32_t colour);
void setFramebufferShown(bool shown);
// The pixels to draw into, row by row; null before createFramebuffer.
std::uint32_t* framebufferPixels();
void fillFramebuffer(std::uint32_t colour);

}  // namespace platform::core

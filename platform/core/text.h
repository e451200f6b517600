// Text measuring for the core's own widgets (top bar, menu bar, dialogs).
#pragma once

namespace platform {

// Width in pixels of one line of text (length -1: up to the first zero) in the platform font.
int textWidth(const char16_t* text, int length);

}  // namespace platform

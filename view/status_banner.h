// What the banner shows, for tools and tests that report the screen's state.
#pragma once

namespace banner {

// The verdict text standing in the strip, or null once the strip has been painted over.
const char16_t* standingText();
// Called by the paint cycle when its area reaches into the strip.
void stripRepainted();

}  // namespace banner

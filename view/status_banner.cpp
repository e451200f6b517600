// The verdict banner: one line of text at the top of the strip along the bottom of the view.
#include "view/status_banner.h"
#include "board/go_board.h"

namespace {
constexpr int stripHeight = 32;
// The verdict text now standing in the strip, until the strip is painted again.
const char16_t* standing = nullptr;
}  // namespace

namespace banner {
const char16_t* standingText() {
  return standing;
}
void stripRepainted() {
  standing = nullptr;
}
}  // namespace banner

void GoBoard::showBannerText(const char16_t* text) const {
  if (text == nullptr) return;
  platform::Surface surface = platform::getWindowSurface(mainWindow);
  if (surface == nullptr) return;
  platform::drawText(surface, text, -1,
                     platform::Rect{0, viewHeight - stripHeight, clientWidth, viewHeight},
                     platform::text::center | platform::text::top | platform::text::singleLine);
  platform::releaseWindowSurface(mainWindow, surface);
  standing = text;
}

void GoBoard::clearBanner() const {
  if (solved == 0 && failed == 0 && variationPending == 0) return;
  const platform::Rect strip{0, viewHeight - stripHeight, clientWidth, viewHeight};
  platform::invalidateRect(mainWindow, &strip, false);
}

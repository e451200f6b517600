// The screen against a full repaint. The places where the two may differ by the program's design
// are named in one place, allowedDifference().
#include "tools/check/screen_check.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/core/framebuffer.h"
#include "platform/core/surface.h"
#include "platform/core/widgets.h"
#include "platform/platform.h"

namespace {

constexpr int bannerStripHeight = 32;
constexpr int dotRadius = 2;

// Pixel (x, y) of the client area may differ from a full repaint:
// - the verdict banner's strip: a verdict is drawn there without a repaint, and a repaint of part
//   of the strip (what a closed dialog covered) leaves the rest of it;
// - the last-move dot: a reset leaves the last move at (1, 1) with no dot drawn, and a redraw of
//   the point under the marker or a hint's mark (moving the marker off the last move, erasing it)
//   takes the dot away until the next full paint.
bool allowedDifference(const GoBoard& b, int x, int y) {
  if (y >= b.viewHeight - bannerStripHeight && y < b.viewHeight) return true;
  if (b.onShownBoard(b.lastMove.column, b.lastMove.row)) {
    const int dx = x - b.columnToX(b.lastMove.column), dy = y - b.rowToY(b.lastMove.row);
    if (dx >= -dotRadius && dx <= dotRadius && dy >= -dotRadius && dy <= dotRadius) return true;
  }
  return false;
}

}  // namespace

std::string checkScreenMatchesRepaint(const GoBoard& b) {
  namespace fb = platform::framebuffer;
  const std::uint32_t* screen = fb::pixels();
  if (screen == nullptr || b.mainWindow == nullptr) return "";
  if (platform::core::popupOpen() || platform::core::modalActive()) return "";
  const int width = fb::width(), height = fb::height();
  static std::vector<std::uint32_t> repaint;
  repaint.assign(screen, screen + static_cast<std::size_t>(width) * height);

  const platform::Rect device = platform::windowRect(b.mainWindow);
  const platform::Rect client = platform::clientRect(b.mainWindow);
  const int originX = device.left;
  const int originY = device.top < platform::topBarHeight ? platform::topBarHeight : device.top;
  platform::SurfaceObject surface{};
  surface.reset(repaint.data(), width, height, originX, originY);
  surface.clip.add(
      platform::Rect{originX, originY, originX + client.right, originY + client.bottom});
  b.paintBoard(&surface);

  for (int y = 0; y < client.bottom; ++y) {
    const int dy = originY + y;
    if (dy < 0 || dy >= height) continue;
    const std::size_t row = static_cast<std::size_t>(dy) * width;
    // Most rows are equal: compared whole first, pixel by pixel only where they differ.
    if (std::memcmp(screen + row, repaint.data() + row, sizeof screen[0] * width) == 0) continue;
    for (int x = 0; x < client.right; ++x) {
      const int dx = originX + x;
      if (dx < 0 || dx >= width) continue;
      const std::size_t i = row + dx;
      if (screen[i] == repaint[i] || allowedDifference(b, x, y)) continue;
      char text[200];
      std::snprintf(text, sizeof text,
                    "the screen differs from a full repaint at client pixel (%d, %d), point "
                    "(%d, %d): %06x shown, %06x repainted",
                    x, y, b.xToColumn(x), b.yToRow(y), static_cast<unsigned>(screen[i] & 0xffffff),
                    static_cast<unsigned>(repaint[i] & 0xffffff));
      return text;
    }
  }
  return "";
}

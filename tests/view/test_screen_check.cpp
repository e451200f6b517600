// The soak's screen check: a screen the program drew passes, a pixel it did not draw is named.
#include <gtest/gtest.h>

#include "board/go_board.h"
#include "platform/core/framebuffer.h"
#include "platform/core/system.h"
#include "platform/platform.h"
#include "shell/shell.h"
#include "tools/check/screen_check.h"

namespace {

TEST(ScreenCheck, NamesThePixelAFullRepaintWouldChange) {
  ASSERT_TRUE(shell::restart().running);
  ASSERT_EQ(shell::runUntilIdle().end, shell::LoopResult::End::idle);
  ASSERT_NE(goBoard.problemLoaded, 0);
  EXPECT_EQ(checkScreenMatchesRepaint(goBoard), "");

  std::uint32_t* screen = platform::core::framebufferPixels();
  const int width = platform::framebuffer::width();
  // A stray black pixel on the board at client (5, 5), device (5, 31).
  const std::size_t stray = static_cast<std::size_t>(platform::topBarHeight + 5) * width + 5;
  const std::uint32_t kept = screen[stray];
  screen[stray] = platform::rgb(0, 0, 0);
  EXPECT_EQ(checkScreenMatchesRepaint(goBoard),
            "the screen differs from a full repaint at client pixel (5, 5), point (1, 1): 000000 "
            "shown, ffff00 repainted");
  screen[stray] = kept;

  // The banner's strip is the verdict's: what stands there is no fault.
  const std::size_t inStrip =
      static_cast<std::size_t>(platform::topBarHeight + goBoard.viewHeight - 10) * width + 100;
  screen[inStrip] = platform::rgb(0, 0, 0);
  EXPECT_EQ(checkScreenMatchesRepaint(goBoard), "");

  goBoard.mainWindow = nullptr;
  platform::resetState();
}

}  // namespace

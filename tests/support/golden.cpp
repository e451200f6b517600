#include "tests/support/golden.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/core/framebuffer.h"
#include "platform/headless/headless.h"

namespace testing_support {

::testing::AssertionResult matchesGolden(const std::string& name) {
  namespace fb = platform::framebuffer;
  if (fb::pixels() == nullptr) return ::testing::AssertionFailure() << "the screen is not started";
  const std::string golden = std::string(ZANDREL_SOURCE_DIR) + "/tests/golden/" + name + ".png";
  const std::filesystem::path outDir = std::filesystem::path(ZANDREL_BINARY_DIR) / "golden-output";
  std::string error;

  const char* update = std::getenv("UPDATE_GOLDENS");
  if (update != nullptr && std::string(update) == "1") {
    if (!platform::headless::writePng(golden, error)) return ::testing::AssertionFailure() << error;
    return ::testing::AssertionSuccess() << "rewrote " << golden;
  }

  std::vector<std::uint32_t> expected;
  int w = 0, h = 0;
  if (!std::filesystem::exists(golden))
    return ::testing::AssertionFailure()
           << "no golden image " << golden << " (run with UPDATE_GOLDENS=1 to make it)";
  if (!platform::headless::readPng(golden, expected, w, h, error))
    return ::testing::AssertionFailure() << error;

  const std::uint32_t* actual = fb::pixels();
  int differing = 0, firstX = -1, firstY = -1;
  const bool sameSize = w == fb::width() && h == fb::height();
  std::vector<std::uint32_t> diff(static_cast<std::size_t>(fb::width()) * fb::height(), 0);
  for (int y = 0; y < fb::height(); ++y) {
    for (int x = 0; x < fb::width(); ++x) {
      const std::uint32_t a = actual[y * fb::width() + x];
      const bool same = sameSize && expected[y * w + x] == a;
      // Differences in red over a faded copy of the actual screen.
      diff[y * fb::width() + x] = same ? ((a >> 2) & 0x3f3f3f) + 0x808080 : 0xff0000;
      if (!same && differing++ == 0) {
        firstX = x;
        firstY = y;
      }
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();

  std::filesystem::create_directories(outDir);
  const std::string actualPath = (outDir / (name + "_actual.png")).string();
  const std::string diffPath = (outDir / (name + "_diff.png")).string();
  platform::headless::writePng(actualPath, error);
  platform::headless::writePngPixels(diffPath, diff.data(), fb::width(), fb::height(), error);
  auto failure = ::testing::AssertionFailure();
  if (!sameSize)
    failure << "golden " << golden << " is " << w << "x" << h << ", the screen " << fb::width()
            << "x" << fb::height() << "; ";
  return failure << differing << " pixels differ from " << golden << ", the first at (" << firstX
                 << ", " << firstY << "); see " << actualPath << " and " << diffPath;
}

}  // namespace testing_support

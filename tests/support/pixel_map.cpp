#include "tests/support/pixel_map.h"

namespace testing_support {

Canvas::Canvas(int width, int height, platform::Rgb background)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), background),
      surface_{} {
  surface_.reset(pixels_.data(), width, height, 0, 0);
  surface_.clip.add(platform::Rect{0, 0, width, height});
}

std::string Canvas::map(const std::map<platform::Rgb, char>& legend) const {
  return map(legend, platform::Rect{0, 0, width_, height_});
}

std::string Canvas::map(const std::map<platform::Rgb, char>& legend,
                        const platform::Rect& area) const {
  std::string out;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      auto found = legend.find(at(x, y));
      out += found == legend.end() ? '?' : found->second;
    }
    out += '\n';
  }
  return out;
}

void Canvas::clipTo(const platform::Rect& rect) {
  surface_.clip.clear();
  surface_.clip.add(rect);
}

std::string lines(std::initializer_list<const char*> rows) {
  std::string out;
  for (const char* row : rows) {
    out += row;
    out += '\n';
  }
  return out;
}

}  // namespace testing_support

// Speed of painting the whole board view (paintBoard) with the crowded position, on the default
// 240 x 320 screen and on 480 x 640, where the cells are larger.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/positions.h"
#include "board/go_board.h"
#include "platform/core/surface.h"
#include "platform/core/system.h"

namespace {

void paintCrowded(benchmark::State& state, int width, int height) {
  // The layout is fitted to the screen size when the object is made.
  platform::setScreenSize(width, height);
  GoBoard b;
  bench::setCrowded(b, false);
  b.lastMove = BoardPoint{4, 1};
  b.markedPoint = BoardPoint{4, 1};
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) *
                                    static_cast<std::size_t>(height));
  // The client area of the device screen, as the paint cycle's surface covers it.
  platform::SurfaceObject surface{};
  surface.reset(pixels.data(), width, height, 0, platform::topBarHeight);
  surface.clip.add(
      platform::Rect{0, platform::topBarHeight, width, height - platform::menuBarHeight});
  for (auto _ : state) {
    surface.touched = platform::Rect{0, 0, 0, 0};
    b.paintBoard(&surface);
    benchmark::ClobberMemory();
  }
  state.counters["points"] = b.columnsShown * b.rowsShown;
  state.counters["cell"] = b.cellSize;
}

void paintBoard240x320(benchmark::State& state) {
  paintCrowded(state, 240, 320);
}

void paintBoard480x640(benchmark::State& state) {
  paintCrowded(state, 480, 640);
}

BENCHMARK(paintBoard240x320)->Unit(benchmark::kMicrosecond);
BENCHMARK(paintBoard480x640)->Unit(benchmark::kMicrosecond);

}  // namespace

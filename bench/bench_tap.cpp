// Speed of the program's answer to the player, through the real window procedure on the headless
// host: one tap answered with the opponent's reply, from the stylus events to the last presented
// rectangle and the notifications handled after it; the whole paint cycle of the 240 x 320 view;
// and the host's sleep, which only advances a virtual clock, so the 200 ms pause before the reply
// costs nothing here.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "bench/positions.h"
#include "board/go_board.h"
#include "platform/core/system.h"
#include "platform/headless/headless.h"
#include "platform/host.h"
#include "platform/platform.h"
#include "shell/shell.h"

namespace {

using platform::host::EventKind;

// Starts the program once, on the default screen, up to its first idle loop.
bool started() {
  static const bool ok = [] {
    platform::setScreenSize(240, 320);
    return shell::restart().running;
  }();
  return ok;
}

// The program's own loop, stopping when idle instead of waiting.
void pump() {
  shell::runUntilIdle();
}

void tap(int x, int y) {
  platform::headless::pushEvent({EventKind::stylusDown, x, y + platform::topBarHeight, 0});
  platform::headless::pushEvent({EventKind::stylusUp, x, y + platform::topBarHeight, 0});
  pump();
}

// The problem restarted and painted, as the secondary button does.
void restart() {
  goBoard.indexProblemTree();
  pump();
  platform::headless::takeRecord();
}

// Finds a catalogue problem and a correct first move that the opponent answers after its pause;
// false when none does.
bool findAnsweredMove(int& x, int& y) {
  for (int n = 1; n <= goBoard.problemCount; ++n) {
    shell::openProblem(n);
    restart();
    char answers[256];
    const int length = goBoard.collectAnswers(answers);
    for (int i = 0; i + 1 < length; i += 2) {
      const int column = GoBoard::letterToNumber(answers[i]);
      const int row = GoBoard::letterToNumber(answers[i + 1]);
      if (!goBoard.onShownBoard(column, row)) continue;
      x = goBoard.columnToX(column);
      y = goBoard.rowToY(row);
      tap(x, y);
      const platform::headless::Record r = platform::headless::takeRecord();
      const bool replied = goBoard.moveNumber == 3 && r.sleeps.size() == 1 && r.sleeps[0] == 200;
      restart();
      if (replied) return true;
    }
  }
  return false;
}

void tapAnsweredWithReply(benchmark::State& state) {
  int x = 0, y = 0;
  if (!started() || !findAnsweredMove(x, y)) {
    state.SkipWithError("no catalogue problem has a first move with a reply");
    return;
  }
  std::uint32_t virtualMs = 0;
  for (auto _ : state) {
    const std::uint32_t before = platform::ticks();
    tap(x, y);
    virtualMs = platform::ticks() - before;
    state.PauseTiming();
    restart();
    state.ResumeTiming();
  }
  state.counters["problem"] = goBoard.problemNumber;
  state.counters["virtualMs"] = virtualMs;
}

void headlessSleep200ms(benchmark::State& state) {
  if (!started()) {
    state.SkipWithError("the program did not start");
    return;
  }
  for (auto _ : state) platform::sleep(200);
  platform::headless::takeRecord();
}

void fullPaint240x320(benchmark::State& state) {
  if (!started()) {
    state.SkipWithError("the program did not start");
    return;
  }
  shell::openProblem(1);
  restart();
  std::memset(goBoard.cells, 0, sizeof goBoard.cells);
  std::memset(goBoard.groupLabel, 0, sizeof goBoard.groupLabel);
  bench::setCrowded(goBoard, false);
  for (auto _ : state) {
    platform::invalidateRect(goBoard.mainWindow, nullptr, false);
    pump();
  }
  restart();
}

BENCHMARK(tapAnsweredWithReply)->Unit(benchmark::kMicrosecond);
BENCHMARK(headlessSleep200ms);
BENCHMARK(fullPaint240x320)->Unit(benchmark::kMicrosecond);

}  // namespace

// Speed of playMove on a crowded 19 x 19 board: an accepted capture, a quiet move joining two
// chains, a pass, a refused suicide and a refused ko recapture. An accepted move is timed
// together with putting the position back; the restore alone is timed too, to be subtracted.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "bench/positions.h"
#include "board/go_board.h"

namespace {

using bench::setCrowded;

// Copies back what one move from the prepared position changes: lastMove through the first
// move of the history, which the prepared position leaves empty.
void restore(GoBoard& b, const GoBoard& prepared) {
  const char* first = reinterpret_cast<const char*>(&prepared.lastMove);
  const char* last = prepared.history + 3;
  std::memcpy(reinterpret_cast<char*>(&b.lastMove), first, static_cast<std::size_t>(last - first));
}

// Times one accepted move and the restore after it; `captures` is checked once beforehand.
void timeAcceptedMove(benchmark::State& state, int column, int row, int captures) {
  GoBoard prepared, b;
  setCrowded(prepared, true);
  setCrowded(b, true);
  if (!b.playMove(column, row, false) || b.lastCaptureCount != captures) {
    state.SkipWithError("the position no longer gives the move it is meant to time");
    return;
  }
  restore(b, prepared);
  const char* whole = reinterpret_cast<const char*>(&prepared.lastMove);
  const std::size_t wholeSize =
      static_cast<std::size_t>(prepared.history + sizeof prepared.history - whole);
  if (std::memcmp(&b.lastMove, whole, wholeSize) != 0) {
    state.SkipWithError("the restore missed a change");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(b.playMove(column, row, false));
    restore(b, prepared);
    benchmark::ClobberMemory();
  }
}

void captureSixStonesAndRestore(benchmark::State& state) {
  timeAcceptedMove(state, 19, 3, 6);
}

void joinTwoChainsAndRestore(benchmark::State& state) {
  timeAcceptedMove(state, 4, 1, 0);
}

void passAndRestore(benchmark::State& state) {
  timeAcceptedMove(state, 20, 20, 0);
}

// A refused move changes nothing, so there is nothing to restore.
void refusedSuicide(benchmark::State& state) {
  GoBoard b;
  setCrowded(b, true);
  if (b.playMove(5, 8, false)) {
    state.SkipWithError("(5, 8) is no longer suicide");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(b.playMove(5, 8, false));
    benchmark::ClobberMemory();
  }
}

// Black has just taken one stone in a ko; White's immediate recapture is refused.
void refusedKo(benchmark::State& state) {
  GoBoard b;
  setCrowded(b, true);
  if (!b.playMove(11, 14, false) || b.lastCaptureCount != 1 || b.cells[11][13] != empty) {
    state.SkipWithError("(11, 14) no longer takes the stone at (11, 13)");
    return;
  }
  if (b.playMove(11, 13, false)) {
    state.SkipWithError("(11, 13) is no longer a ko recapture");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(b.playMove(11, 13, false));
    benchmark::ClobberMemory();
  }
}

void restoreOnly(benchmark::State& state) {
  GoBoard prepared, b;
  setCrowded(prepared, true);
  setCrowded(b, true);
  for (auto _ : state) {
    restore(b, prepared);
    benchmark::ClobberMemory();
  }
}

BENCHMARK(captureSixStonesAndRestore);
BENCHMARK(joinTwoChainsAndRestore);
BENCHMARK(passAndRestore);
BENCHMARK(refusedSuicide);
BENCHMARK(refusedKo);
BENCHMARK(restoreOnly);

}  // namespace

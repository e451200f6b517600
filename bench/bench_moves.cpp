// Speed of playMove on a crowded 19 x 19 board: an accepted capture, a quiet move joining two
// chains, a refused suicide and a pass. An accepted move is timed together with putting the
// position back; the restore alone is timed too, to be subtracted.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "board/go_board.h"

namespace {

// 250 stones left by a random game; Black to move. (19, 3) takes the six White stones of the
// top-right corner, (4, 1) joins two Black chains, (5, 8) is suicide.
const char* const crowded =
    "OOX.X.O.OXOOOXOXOOO\n"
    "OOO...XXXXXXO..XOOO\n"
    "O..XX.XX.X...XOOXX.\n"
    "X.XOOXOOXOO..X.XXOX\n"
    ".XXO.OOO.OOOOOXX...\n"
    ".OXXOO.OOXOXOOOXOOX\n"
    ".OO.O.XXX...X.OX.OX\n"
    "OXOO.OO.X.XOO..OOX.\n"
    "X.X.OXXXXO...X.XX..\n"
    "O...XO.XOOXO.OX.XO.\n"
    "XXX..XXOX.XXXX...O.\n"
    "OOOXXXOOX.XXOO.O.OX\n"
    "XX..X.XOXXOX.X.....\n"
    ".OXOOX.O.X.XO..X.XO\n"
    ".O.XOO..O..XOX.XOOX\n"
    "OXX.OXX.O.O.XOO...X\n"
    "OXXXOOOOOXO.XOX..OX\n"
    "O.OO..X.XX.XOXXXXOO\n"
    ".XXOXOO.OX.OOOXX...\n";

// The crowded position on a fresh object, each stone labelled as it is placed.
void setCrowded(GoBoard& b) {
  b.columnsShown = b.rowsShown = 19;
  int column = 1, row = 1;
  for (const char* p = crowded; *p != '\0'; ++p) {
    if (*p == '\n') {
      column = 1;
      ++row;
      continue;
    }
    if (*p != '.') {
      const Colour colour = *p == 'X' ? black : white;
      b.cells[column][row] = colour;
      b.labelStone(colour, column, row);
    }
    ++column;
  }
}

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
  setCrowded(prepared);
  setCrowded(b);
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
  setCrowded(b);
  if (b.playMove(5, 8, false)) {
    state.SkipWithError("(5, 8) is no longer suicide");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(b.playMove(5, 8, false));
    benchmark::ClobberMemory();
  }
}

void restoreOnly(benchmark::State& state) {
  GoBoard prepared, b;
  setCrowded(prepared);
  setCrowded(b);
  for (auto _ : state) {
    restore(b, prepared);
    benchmark::ClobberMemory();
  }
}

BENCHMARK(captureSixStonesAndRestore);
BENCHMARK(joinTwoChainsAndRestore);
BENCHMARK(passAndRestore);
BENCHMARK(refusedSuicide);
BENCHMARK(restoreOnly);

}  // namespace

BENCHMARK_MAIN();

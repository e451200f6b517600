// Speed of the game's longer operations: taking back one move of a full 511-move record, opening
// the largest catalogue problem, and reading problem records (decode and read) of the largest
// catalogue entry and of the largest record the writer makes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>

#include "board/go_board.h"
#include "problems/catalogue.h"
#include "problems/problem_record.h"
#include "problems/record_writer.h"

namespace {

constexpr int fullRecord = (historyCapacity - 2) / 2;

// Copies back everything a takeback changes: lastMove through the end of the history.
void restore(GoBoard& b, const GoBoard& prepared) {
  const char* first = reinterpret_cast<const char*>(&prepared.lastMove);
  const char* end = prepared.history + sizeof prepared.history;
  std::memcpy(reinterpret_cast<char*>(&b.lastMove), first, static_cast<std::size_t>(end - first));
}

// A game of random legal moves on the whole 19 x 19 board, the same on every run, until the
// record is full; a pass when no random point is accepted for a while.
void playFullRecord(GoBoard& b) {
  b.columnsShown = b.rowsShown = 19;
  std::uint32_t seed = 2024;
  while (b.moveNumber - 1 < fullRecord) {
    bool played = false;
    for (int attempt = 0; attempt < 400 && !played; ++attempt) {
      seed = seed * 1664525u + 1013904223u;
      const int point = static_cast<int>((seed >> 8) % 361u);
      played = b.playMove(point / 19 + 1, point % 19 + 1, false);
    }
    if (!played) b.playMove(PassPoint.column, PassPoint.row, false);
  }
}

void takeBackOneOf511Moves(benchmark::State& state) {
  GoBoard prepared, b;
  playFullRecord(prepared);
  playFullRecord(b);
  int stones = 0;
  for (int c = 1; c <= 19; ++c)
    for (int r = 1; r <= 19; ++r) stones += b.cells[c][r] != empty;
  b.takeBackOne();
  if (prepared.moveNumber != fullRecord + 1 || b.moveNumber != fullRecord || stones < 100) {
    state.SkipWithError("the record is not full, or the takeback did not take one move back");
    return;
  }
  restore(b, prepared);
  for (auto _ : state) {
    b.takeBackOne();
    benchmark::ClobberMemory();
    restore(b, prepared);
  }
  state.counters["stones"] = stones;
}

int largestCatalogueProblem() {
  int largest = 1;
  for (int n = 2; n <= catalogueSize; ++n)
    if (std::strlen(ProblemCatalogue[n]) > std::strlen(ProblemCatalogue[largest])) largest = n;
  return largest;
}

void loadLargestProblem(benchmark::State& state) {
  GoBoard b;
  b.problemNumber = largestCatalogueProblem();
  b.loadProblem();
  if (b.problemLoaded == 0 || b.nodeCount < 2) {
    state.SkipWithError("the problem did not open");
    return;
  }
  for (auto _ : state) {
    b.loadProblem();
    benchmark::ClobberMemory();
  }
  state.counters["problem"] = b.problemNumber;
  state.counters["nodes"] = b.nodeCount;
}

// Decodes a copy of the record text and reads it into the problem texts, as opening does.
void timeRecordReading(benchmark::State& state, const char* text) {
  static char buffer[recordTextCapacity > 8192 ? recordTextCapacity : 8192];
  const std::size_t length = std::strlen(text);
  if (length + 1 > sizeof buffer) {
    state.SkipWithError("the record is longer than the buffer");
    return;
  }
  GoBoard b;
  for (auto _ : state) {
    std::memcpy(buffer, text, length + 1);
    const int bytes = decodeRecordText(buffer);
    b.readProblemRecord(reinterpret_cast<const unsigned char*>(buffer), bytes);
    benchmark::ClobberMemory();
  }
  state.counters["characters"] = static_cast<double>(length);
}

void readLargestCatalogueRecord(benchmark::State& state) {
  timeRecordReading(state, ProblemCatalogue[largestCatalogueProblem()]);
}

// Every stone and every node as long as the format writes them: explicit depths all the way.
void readLargestWrittenRecord(benchmark::State& state) {
  static BoardPoint blackStones[maxStonesOfColour];
  static BoardPoint whiteStones[maxSetupStones - maxStonesOfColour];
  static ProblemNode nodes[maxRecordNodes];
  for (BoardPoint& p : blackStones) p = BoardPoint{19, 19};
  for (BoardPoint& p : whiteStones) p = BoardPoint{19, 19};
  for (ProblemNode& n : nodes) n = ProblemNode{1, 20, 20, 1};
  const ProblemDescription problem{
      19,          19,
      blackStones, maxStonesOfColour,
      whiteStones, static_cast<int>(sizeof whiteStones / sizeof whiteStones[0]),
      nodes,       maxRecordNodes};
  static char text[recordTextCapacity];
  RecordFault fault{};
  if (!writeProblemRecord(problem, text, sizeof text, fault)) {
    state.SkipWithError(fault.message);
    return;
  }
  timeRecordReading(state, text);
}

BENCHMARK(takeBackOneOf511Moves)->Unit(benchmark::kMicrosecond);
BENCHMARK(loadLargestProblem)->Unit(benchmark::kMicrosecond);
BENCHMARK(readLargestCatalogueRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK(readLargestWrittenRecord)->Unit(benchmark::kMicrosecond);

}  // namespace

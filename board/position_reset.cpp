// Position reset to the setup stones, and takeback by replaying the move record.
#include <cstring>

#include "board/go_board.h"

void GoBoard::resetPosition(bool invalidate) {
  variationPending = 0;
  lastCaptureCount = 0;
  moveNumber = 1;
  lastMove = BoardPoint{1, 1};
  std::memset(groupLabel, 0, sizeof groupLabel);
  std::memset(cells, 0, sizeof cells);
  history[0] = '\0';
  sideToMove = black;
  placeSetupStones();
  if (invalidate && mainWindow != nullptr) platform::invalidateRect(mainWindow, nullptr, false);
}

void GoBoard::placeSetupStones() {
  const int length = setupLength;
  if (length <= 0 || setupPointer == nullptr) return;
  int blank = findChar(setupPointer, ' ');
  if (blank < 0) blank = length;
  struct Part {
    int start, size;
    Colour colour;
  };
  const Part parts[2] = {{0, blank, black}, {blank + 1, length - blank - 1, white}};
  for (const Part& part : parts) {
    if (part.size <= 0 || part.size % 2 != 0) continue;
    for (int i = part.start; i < part.start + part.size; i += 2) {
      const int column = letterToNumber(setupPointer[i]);
      const int row = letterToNumber(setupPointer[i + 1]);
      // A point given twice keeps its first stone, so every chain keeps one label.
      if (!onShownBoard(column, row) || cells[column][row] != empty) continue;
      cells[column][row] = part.colour;
      labelStone(part.colour, column, row);
    }
  }
}

void GoBoard::replayMoves(int n) {
  const std::size_t recorded = strnlen(history, historyCapacity);
  if (recorded >= static_cast<std::size_t>(historyCapacity)) return;
  char moves[historyCapacity];
  std::memcpy(moves, history, recorded + 1);
  int shown[boardArraySize][boardArraySize];
  std::memcpy(shown, cells, sizeof cells);
  const BoardPoint oldLastMove = lastMove;

  resetPosition(false);
  const int m = static_cast<int>(recorded / 2);
  if (n >= 1 && n <= m)
    for (int i = 0; i < n; ++i)
      playMove(letterToNumber(moves[2 * i]), letterToNumber(moves[2 * i + 1]), false);

  // Only what differs from the screen is drawn, one point at a time.
  auto draw = [this](int column, int row, bool dot) {
    platform::Surface surface = platform::getWindowSurface(mainWindow);
    if (surface == nullptr) return;
    drawPoint(surface, column, row);
    if (dot) drawLastMoveDot(surface, column, row);
    platform::releaseWindowSurface(mainWindow, surface);
  };
  for (int column = 1; column <= columnsShown; ++column)
    for (int row = 1; row <= rowsShown; ++row)
      if (shown[column][row] != cells[column][row]) draw(column, row, false);
  if (onShownBoard(oldLastMove.column, oldLastMove.row) &&
      cellColour(cells[oldLastMove.column][oldLastMove.row]) != empty)
    draw(oldLastMove.column, oldLastMove.row, false);
  if (onShownBoard(lastMove.column, lastMove.row) &&
      cellColour(cells[lastMove.column][lastMove.row]) != empty)
    draw(lastMove.column, lastMove.row, true);
}

void GoBoard::takeBackOne() {
  const int n = moveNumber - 2;
  if (n >= 0) replayMoves(n);
}

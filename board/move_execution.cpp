// Move execution: one move for the side to move, by the rules, with the changed points redrawn.
#include <cstring>

#include "board/go_board.h"

namespace {
constexpr int maxMoves = (historyCapacity - 2) / 2;
}

void GoBoard::setEdgeRing(int value) {
  for (int i = 0; i < boardArraySize; ++i) {
    cells[0][i] = value;
    cells[boardArraySize - 1][i] = value;
    cells[i][0] = value;
    cells[i][boardArraySize - 1] = value;
  }
}

void GoBoard::redrawPoint(int column, int row) const {
  platform::Surface surface = platform::getWindowSurface(mainWindow);
  if (surface == nullptr) return;
  drawPoint(surface, column, row);
  // The marker lies on the border of the point's cell square, which the redraw covered.
  if (column == markedPoint.column && row == markedPoint.row) drawMarker(surface);
  platform::releaseWindowSurface(mainWindow, surface);
}

void GoBoard::recordMove(int column, int row) {
  char* end = history + 2 * (moveNumber - 1);
  end[0] = numberToLetter(column);
  end[1] = numberToLetter(row);
  end[2] = '\0';
  lastMove = BoardPoint{column, row};
  moveNumber += 1;
}

bool GoBoard::playMove(int column, int row, bool draw) {
  // A full record takes no more moves, so nothing is ever written past it.
  if (moveNumber - 1 >= maxMoves) return false;
  const Colour side = sideToMove;

  if (isPass(column, row)) {
    if (draw && onShownBoard(lastMove.column, lastMove.row))
      redrawPoint(lastMove.column, lastMove.row);
    recordMove(column, row);
    lastCaptureCount = 0;
    sideToMove = -side;
    return true;
  }
  // Anything else off the shown board would reach the edge ring or beyond the arrays.
  if (!onShownBoard(column, row)) return false;
  if (cellColour(cells[column][row]) != empty) return false;

  cells[column][row] = side;
  int savedLabels[boardArraySize][boardArraySize];
  std::memcpy(savedLabels, groupLabel, sizeof groupLabel);
  labelStone(side, column, row);

  // Counted without branches, which would be mispredicted on every other point: an empty point
  // adds into a slot of its own row beyond the labels (never read), so that no add waits for
  // the one before it. A cell is empty exactly when its value is even.
  int liberties[maxLabels + boardArraySize] = {};
  setEdgeRing(edge);
  for (int c = 1; c <= columnsShown; ++c) {
    const int* left = cells[c - 1];
    const int* here = cells[c];
    const int* right = cells[c + 1];
    const int* labels = groupLabel[c];
    for (int r = 1; r <= rowsShown; ++r) {
      const bool stone = (here[r] & 1) != 0;
      const int free = ((left[r] & 1) == 0) + ((right[r] & 1) == 0) + ((here[r - 1] & 1) == 0) +
                       ((here[r + 1] & 1) == 0);
      liberties[stone ? labels[r] : maxLabels + r] += free;
    }
  }
  setEdgeRing(empty);

  int captured = 0;
  BoardPoint capturePoint{0, 0};
  const Colour other = -side;
  for (int c = 1; c <= columnsShown; ++c) {
    const int* here = cells[c];
    const int* labels = groupLabel[c];
    for (int r = 1; r <= rowsShown; ++r) {
      const bool opponent = cellColour(here[r]) == other;
      const bool taken = opponent && liberties[opponent ? labels[r] : 0] == 0;
      captured += taken;
      if (taken) capturePoint = BoardPoint{c, r};
    }
  }

  const bool suicide = captured == 0 && liberties[groupLabel[column][row]] == 0;
  const bool koRecapture = captured == 1 && lastCaptureCount == 1 &&
                           capturePoint.column == lastMove.column &&
                           capturePoint.row == lastMove.row;
  if (suicide || koRecapture) {
    cells[column][row] = empty;
    std::memcpy(groupLabel, savedLabels, sizeof groupLabel);
    return false;
  }

  if (draw && onShownBoard(lastMove.column, lastMove.row))
    redrawPoint(lastMove.column, lastMove.row);
  recordMove(column, row);
  lastCaptureCount = captured;
  if (captured > 0) {
    for (int c = 1; c <= columnsShown; ++c)
      for (int r = 1; r <= rowsShown; ++r)
        if (cellColour(cells[c][r]) == -side && liberties[groupLabel[c][r]] == 0) {
          cells[c][r] = empty;
          groupLabel[c][r] = 0;
          if (draw) redrawPoint(c, r);
        }
  }
  if (draw) {
    platform::Surface surface = platform::getWindowSurface(mainWindow);
    if (surface != nullptr) {
      drawPoint(surface, column, row);
      drawLastMoveDot(surface, column, row);
      platform::releaseWindowSurface(mainWindow, surface);
    }
  }
  sideToMove = -side;
  return true;
}

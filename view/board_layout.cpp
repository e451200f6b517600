// The layout of the shown board on the screen, and the mapping between points and pixels.
#include <cstdlib>

#include "board/go_board.h"

void GoBoard::sizeBoardForProblem() {
  cellSize = clientWidth / problemWidth;
  const int q = boardAreaHeight / problemHeight;
  if (q < cellSize) cellSize = q;
  if (cellSize % 2 != 0) cellSize -= 1;
  if (cellSize < 6) cellSize = 6;
  stoneRadius = (cellSize - 2) / 2;
  fitBoardToView();
}

void GoBoard::fitBoardToView() {
  rowsShown = boardAreaHeight / cellSize;
  columnsShown = clientWidth / cellSize;
  // A big screen grows the cell until the board no longer overflows both ways.
  while (rowsShown > 19 && columnsShown > 19) {
    cellSize += 1;
    stoneRadius = (cellSize - 2) / 2;
    rowsShown = boardAreaHeight / cellSize;
    columnsShown = clientWidth / cellSize;
  }
  if (rowsShown > 19) rowsShown = 19;
  if (columnsShown > 19) columnsShown = 19;
  // A partly visible last row or column counts.
  if (boardAreaHeight % cellSize > 0 && rowsShown < 19) rowsShown += 1;
  if (clientWidth % cellSize > 0 && columnsShown < 19) columnsShown += 1;
}

int GoBoard::columnToX(int column) const {
  return cellSize * (column - 1) + stoneRadius + originX;
}

int GoBoard::rowToY(int row) const {
  return cellSize * (row - 1) + stoneRadius + originY;
}

int GoBoard::xToColumn(int x) const {
  const int column = (x - originX) / cellSize + 1;
  return column > columnsShown || column < 1 ? 0 : column;
}

int GoBoard::yToRow(int y) const {
  const int row = (y - originY) / cellSize + 1;
  return row > rowsShown || row < 1 ? 0 : row;
}

bool GoBoard::pointAtPixel(int x, int y, BoardPoint& point) const {
  const int column = xToColumn(x), row = yToRow(y);
  if (column == 0 || row == 0) return false;
  if (std::abs(x - columnToX(column)) >= stoneRadius - 1) return false;
  if (std::abs(y - rowToY(row)) >= stoneRadius - 1) return false;
  point = BoardPoint{column, row};
  return true;
}

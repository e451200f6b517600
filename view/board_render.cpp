// Drawing of the board view: background, grid, star points, stones and marks.
#include "board/go_board.h"
#include "view/status_banner.h"

using platform::Point;
using platform::Rect;
using platform::rgb;
using platform::Surface;

void GoBoard::createPalette() {
  blackBrush = platform::createSolidBrush(rgb(0, 0, 0));
  whiteBrush = platform::createSolidBrush(rgb(255, 255, 255));
  redBrush = platform::createSolidBrush(rgb(255, 0, 0));
  greenBrush = platform::createSolidBrush(rgb(0, 255, 0));
  blueBrush = platform::createSolidBrush(rgb(0, 0, 255));
  yellowBrush = platform::createSolidBrush(rgb(255, 255, 0));
  redPen = platform::createPen(rgb(255, 0, 0));
  blackPen = platform::createPen(rgb(0, 0, 0));
  magentaPen = platform::createPen(rgb(255, 0, 255));
}

void GoBoard::deletePalette() {
  platform::deleteBrush(blackBrush);
  platform::deleteBrush(whiteBrush);
  platform::deleteBrush(redBrush);
  platform::deleteBrush(greenBrush);
  platform::deleteBrush(blueBrush);
  platform::deleteBrush(yellowBrush);
  platform::deletePen(redPen);
  platform::deletePen(blackPen);
  platform::deletePen(magentaPen);
}

void GoBoard::drawBoardBackground(Surface surface) const {
  int w = 19 * cellSize + 2, h = 19 * cellSize + 2;
  if (clientWidth < w) w = clientWidth;
  if (boardAreaHeight < h) h = boardAreaHeight;
  platform::fillRect(surface, Rect{0, 0, w, h}, yellowBrush);
  if (freePlay != 0) {
    // Its two legs lie on the lines just outside the view, so only the diagonal shows.
    const int W = clientWidth, H = viewHeight;
    const Point mark[] = {{W, H}, {W - 6, H}, {W, H - 6}, {W, H}};
    platform::Pen old = platform::selectPen(surface, redPen);
    platform::polyline(surface, mark, 4);
    platform::selectPen(surface, old);
  }
}

void GoBoard::drawEmptyPoint(Surface surface, int column, int row) const {
  const int x = columnToX(column), y = rowToY(row), R = stoneRadius;
  platform::fillRect(surface, Rect{x - R, y - R, x + R, y + R}, yellowBrush);
  if (column >= 1 && row >= 1) {
    platform::Pen old = platform::selectPen(surface, freePlay != 0 ? magentaPen : blackPen);
    // The grid stops at the centre of the edge lines 1 and 19 only; it runs on past the shown
    // board, where the board continues.
    const Point vertical[] = {{x, row == 1 ? y : y - R - 1}, {x, row == 19 ? y : y + R + 1}};
    const Point horizontal[] = {{column == 1 ? x : x - R - 1, y},
                                {column == 19 ? x : x + R + 1, y}};
    platform::polyline(surface, vertical, 2);
    platform::polyline(surface, horizontal, 2);
    platform::selectPen(surface, old);
  }
  const bool starColumn = column == 4 || column == 10 || column == 16;
  const bool starRow = row == 4 || row == 10 || row == 16;
  if (starColumn && starRow) drawStarPoint(surface, column, row);
}

void GoBoard::drawStarPoint(Surface surface, int column, int row) const {
  const int x = columnToX(column), y = rowToY(row);
  platform::Pen oldPen = platform::selectPen(surface, blackPen);
  platform::Brush oldBrush = platform::selectBrush(surface, blueBrush);
  if (stoneRadius < 4)
    platform::ellipse(surface, x - 1, y - 1, x + 1, y + 1);
  else if (stoneRadius == 4)
    platform::ellipse(surface, x - 1, y - 1, x + 2, y + 2);
  else
    platform::ellipse(surface, x - 2, y - 2, x + 2, y + 2);
  platform::selectBrush(surface, oldBrush);
  platform::selectPen(surface, oldPen);
}

void GoBoard::drawStone(Surface surface, int column, int row) const {
  drawEmptyPoint(surface, column, row);
  const Colour colour = cellColour(cells[column][row]);
  if (colour == empty) return;
  const int x = columnToX(column), y = rowToY(row), R = stoneRadius;
  platform::Pen oldPen = platform::selectPen(surface, blackPen);
  platform::Brush oldBrush =
      platform::selectBrush(surface, colour == black ? blackBrush : whiteBrush);
  platform::ellipse(surface, x - R, y - R, x + R, y + R);
  platform::selectBrush(surface, oldBrush);
  platform::selectPen(surface, oldPen);
}

void GoBoard::drawPoint(Surface surface, int column, int row) const {
  if (cellColour(cells[column][row]) != empty)
    drawStone(surface, column, row);
  else
    drawEmptyPoint(surface, column, row);
}

void GoBoard::drawLastMoveDot(Surface surface, int column, int row) const {
  if (!onShownBoard(column, row)) return;
  const int x = columnToX(column), y = rowToY(row);
  platform::Pen oldPen = platform::selectPen(surface, blackPen);
  platform::Brush oldBrush = platform::selectBrush(surface, redBrush);
  platform::ellipse(surface, x - 2, y - 2, x + 2, y + 2);
  platform::selectBrush(surface, oldBrush);
  platform::selectPen(surface, oldPen);
}

void GoBoard::drawHintMark(Surface surface, int column, int row) const {
  if (!onShownBoard(column, row) || cellColour(cells[column][row]) != empty) return;
  const int x = columnToX(column), y = rowToY(row), R = stoneRadius;
  platform::Pen oldPen = platform::selectPen(surface, blackPen);
  platform::Brush oldBrush = platform::selectBrush(surface, greenBrush);
  platform::ellipse(surface, x - R + 1, y - R + 1, x + R - 1, y + R - 1);
  platform::selectBrush(surface, oldBrush);
  platform::selectPen(surface, oldPen);
}

void GoBoard::drawMarker(Surface surface) const {
  const int x = columnToX(markedPoint.column), y = rowToY(markedPoint.row), R = stoneRadius;
  const Point square[] = {{x - R, y - R},
                          {x - R, y + R - 1},
                          {x + R - 1, y + R - 1},
                          {x + R - 1, y - R},
                          {x - R, y - R}};
  platform::Pen old = platform::selectPen(surface, redPen);
  platform::polyline(surface, square, 5);
  platform::selectPen(surface, old);
}

void GoBoard::eraseMarker() const {
  if (!onShownBoard(markedPoint.column, markedPoint.row)) return;
  Surface surface = platform::getWindowSurface(mainWindow);
  if (surface == nullptr) return;
  drawPoint(surface, markedPoint.column, markedPoint.row);
  platform::releaseWindowSurface(mainWindow, surface);
}

void GoBoard::paintBoard(Surface surface) const {
  drawBoardBackground(surface);
  for (int column = 1; column <= columnsShown; ++column)
    for (int row = 1; row <= rowsShown; ++row) drawPoint(surface, column, row);
  drawLastMoveDot(surface, lastMove.column, lastMove.row);
  drawMarker(surface);
}

void GoBoard::onPaint() const {
  if (mainWindow == nullptr) return;
  Rect area{};
  Surface surface = platform::beginPaint(mainWindow, &area);
  if (surface != nullptr) paintBoard(surface);
  platform::endPaint(mainWindow, surface);
  // A paint that reaches into the banner strip paints over a standing verdict.
  if (area.bottom > viewHeight - 32 && area.top < viewHeight && area.right > area.left)
    banner::stripRepainted();
}

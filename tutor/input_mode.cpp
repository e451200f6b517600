// The player's input: taps, pointer moves, keys, the secondary button and the free-play switch.
#include "board/go_board.h"

void GoBoard::onTap(int x, int y) {
  clearBanner();
  if (variationPending != 0) {
    nextVariation();
    variationPending = 0;
    return;
  }
  if (x > clientWidth || y > boardAreaHeight + 26) return;
  if (solved != 0) return;
  if (freePlay == 0 && sideToMove != black) return;
  BoardPoint point{};
  if (!pointAtPixel(x, y, point)) return;
  answerMove(point.column, point.row);
}

void GoBoard::onPointerMove(int x, int y) {
  BoardPoint point{};
  const bool playable = pointAtPixel(x, y, point) && (sideToMove == black || freePlay == 1);
  platform::setCursor(playable ? platform::Cursor::hand : platform::Cursor::arrow);
  platform::showCursor(true);
}

void GoBoard::onKey() {
  clearBanner();
  if (solved != 0) {
    // After the last problem comes the first again.
    problemNumber = problemNumber < problemCount ? problemNumber + 1 : 1;
    loadProblem();
  } else if (variationPending != 0) {
    nextVariation();
    variationPending = 0;
  }
}

void GoBoard::onSecondaryButtonUp(int, int) {
  indexProblemTree();
}

void GoBoard::toggleFreePlay() {
  freePlay = freePlay == 0 ? 1 : 0;
  if (freePlay == 0) indexProblemTree();
  platform::invalidateRect(mainWindow, nullptr, false);
}

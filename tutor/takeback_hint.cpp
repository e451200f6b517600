// Takeback, next variation and hint: moving back and forth without a new move by the player.
#include <cstring>

#include "board/go_board.h"

namespace {
constexpr int hintMs = 500;
constexpr int maxAnswerText = 200;
}  // namespace

bool GoBoard::canTakeBack() const {
  return strnlen(history, historyCapacity) >= 2 && moveNumber >= 2;
}

void GoBoard::drawMarkerNow() const {
  platform::Surface surface = platform::getWindowSurface(mainWindow);
  if (surface == nullptr) return;
  drawMarker(surface);
  platform::releaseWindowSurface(mainWindow, surface);
}

void GoBoard::takeBack() {
  platform::postMessage(mainWindow, notifyMoveAccepted, 0, 0);
  clearBanner();
  if (!canTakeBack()) return;
  eraseMarker();
  takeBackOne();
  stepWalkBack();
  solved = 0;
  failed = 0;
  // While solving, the opponent's reply goes together with the move that caused it.
  if (freePlay == 0 && sideToMove == white && canTakeBack()) {
    takeBackOne();
    stepWalkBack();
  }
  markedPoint = lastMove;
  drawMarkerNow();
  offTree = 0;
}

void GoBoard::nextVariation() {
  platform::postMessage(mainWindow, notifyProblemOpened, 0, 0);
  clearBanner();
  // The walk goes back onto the tree: a failure off it (a pass after "Good") is over.
  offTree = 0;
  failed = 0;
  eraseMarker();
  while (currentDepth > nodeDepth[branchNode] && currentNode != branchNode && canTakeBack()) {
    takeBackOne();
    stepWalkBack();
  }
  // Only an indexed node is played: branchChild may be stale after a restart.
  if (branchChild > 0 && branchChild < nodeCount) {
    const BoardPoint move = playablePoint(nodeMove(branchChild));
    if (playMove(move.column, move.row, true)) {
      currentNode = branchChild;
      currentDepth += 1;
    }
  }
  markedPoint = lastMove;
  drawMarkerNow();
}

int GoBoard::collectAnswers(char* text) const {
  int length = 0;
  text[0] = '\0';
  if (!hasChildren(currentNode)) return 0;
  char column = 0, row = 0;
  for (int i = currentNode + 1; i < nodeCount && length < maxAnswerText; ++i) {
    if (nodeDepth[i] == currentDepth + 1) {
      column = treeText[nodeOffset[i] + 1];
      row = treeText[nodeOffset[i] + 2];
    } else if (nodeDepth[i] < currentDepth + 1) {
      break;
    }
    if (isLeaf(i) && nodeSucceeds(i)) {
      text[length++] = column;
      text[length++] = row;
      text[length] = '\0';
    }
  }
  return length;
}

void GoBoard::showHint() {
  if (freePlay == 1) return;
  if (offTree == 1) takeBack();
  if (sideToMove != black) return;
  char answers[256];
  int length = collectAnswers(answers);
  while (length < 2 && canTakeBack()) {
    takeBack();
    length = collectAnswers(answers);
  }
  if (length < 2) return;

  auto onePoint = [this](auto&& drawing) {
    platform::Surface surface = platform::getWindowSurface(mainWindow);
    if (surface == nullptr) return;
    drawing(surface);
    platform::releaseWindowSurface(mainWindow, surface);
  };
  BoardPoint passPoint = PassPoint;
  bool passSeen = false;
  for (int i = 0; i + 1 < length; i += 2) {
    BoardPoint p{letterToNumber(answers[i]), letterToNumber(answers[i + 1])};
    if (isPass(p.column, p.row) && !passSeen) {
      passSeen = true;
      passPoint = playablePoint(p);
      p = passPoint;
    }
    if (onShownBoard(p.column, p.row) && cells[p.column][p.row] == empty)
      onePoint([&](platform::Surface s) { drawHintMark(s, p.column, p.row); });
  }
  platform::sleep(hintMs);
  bool first = true;
  for (int i = 0; i + 1 < length; i += 2) {
    BoardPoint p{letterToNumber(answers[i]), letterToNumber(answers[i + 1])};
    if (isPass(p.column, p.row)) p = passPoint;
    if (!onShownBoard(p.column, p.row) || cells[p.column][p.row] != empty) continue;
    onePoint([&](platform::Surface s) { drawEmptyPoint(s, p.column, p.row); });
    if (first) {
      first = false;
      eraseMarker();
      markedPoint = p;
      drawMarkerNow();
    }
  }
  // A later entry for the same point has painted over the marker.
  if (!first) drawMarkerNow();
}

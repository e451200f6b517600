// Answering the player's move: the rules, the tree, the opponent's reply and the verdict.
#include "board/go_board.h"

namespace {
constexpr int replyDelayMs = 200;
}  // namespace

void GoBoard::giveFailure() {
  failed = 1;
  showFailure();
  platform::postMessage(mainWindow, notifyFailed, 0, 0);
}

void GoBoard::answerMove(int column, int row) {
  // While solving, only the player moves, and only until the problem is solved; the pass command
  // reaches here in every state.
  if (freePlay == 0 && (sideToMove != black || solved != 0)) return;
  const int match = findChild(column, row);
  if (!playMove(column, row, true)) return;
  moveMarker(column, row);
  platform::postMessage(mainWindow, notifyMoveAccepted, 0, 0);
  playSound(ids::sound::stone);
  if (freePlay == 1) return;
  if (match == 0) {
    offTree = 1;
    solved = 0;
    giveFailure();
    return;
  }
  currentNode = match;
  currentDepth = nodeDepth[match];
  if (hasChildren(match)) playReply(replyDelayMs);
  if (hasChildren(currentNode)) return;
  const int leaf = currentNode;
  if (!nodeSucceeds(leaf)) {
    giveFailure();
    return;
  }
  nodeVisited[leaf] = 1;
  for (int c = parentOf(leaf); c >= 0;) {
    if (nodeDepth[c] % 2 == 1 && childCount(c) >= 2) {
      int unbeaten = 0;
      for (int i = c + 1; i < nodeCount && nodeDepth[i] > nodeDepth[c]; ++i)
        if (nodeDepth[i] == nodeDepth[c] + 1 && nodeVisited[i] == 0) {
          unbeaten = i;
          break;
        }
      if (unbeaten != 0) {
        branchNode = c;
        branchChild = unbeaten;
        variationPending = 1;
        showGood();
        platform::postMessage(mainWindow, notifyVariationWaiting, 0, 0);
        playSound(ids::sound::good);
        return;
      }
      for (int i = c + 1; i < nodeCount && nodeDepth[i] > nodeDepth[c]; ++i)
        if (nodeDepth[i] == nodeDepth[c] + 1) nodeVisited[i] = 0;
    } else {
      nodeVisited[c] = 1;
    }
    if (nodeDepth[c] == 0) break;
    c = parentOf(c);
  }
  solved = 1;
  showSuccess();
  platform::postMessage(mainWindow, notifySolved, 0, 0);
  playSound(ids::sound::success);
}

void GoBoard::playReply(int delayMs) {
  const int depth = nodeDepth[currentNode];
  int chosen = 0;
  for (int i = currentNode + 1; i < nodeCount && nodeDepth[i] > depth; ++i)
    if (nodeDepth[i] == depth + 1 && nodeVisited[i] == 0) {
      chosen = i;
      break;
    }
  if (chosen == 0) {
    // Every reply has been beaten: start the round again.
    for (int i = currentNode + 1; i < nodeCount && nodeDepth[i] > depth; ++i)
      if (nodeDepth[i] == depth + 1) {
        nodeVisited[i] = 0;
        if (chosen == 0) chosen = i;
      }
  }
  if (chosen == 0) return;
  if (delayMs > 0) {
    platform::setCursor(platform::Cursor::hourglass);
    platform::sleep(delayMs);
    platform::setCursor(platform::Cursor::arrow);
  }
  const BoardPoint move = playablePoint(nodeMove(chosen));
  if (playMove(move.column, move.row, true)) {
    currentNode = chosen;
    currentDepth += 1;
  }
}

void GoBoard::moveMarker(int column, int row) {
  const BoardPoint old = markedPoint;
  markedPoint = BoardPoint{column, row};
  platform::Surface surface = platform::getWindowSurface(mainWindow);
  if (surface == nullptr) return;
  // A marker left from a larger board may stand beyond this one: nothing of it is shown there.
  if (onShownBoard(old.column, old.row)) drawPoint(surface, old.column, old.row);
  drawMarker(surface);
  platform::releaseWindowSurface(mainWindow, surface);
}

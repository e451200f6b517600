// Questions about the solution tree, answered by scanning the depths of its flat pre-order list.
#include <cstring>

#include "board/go_board.h"

BoardPoint GoBoard::nodeMove(int node) const {
  const char* entry = treeText + nodeOffset[node];
  return BoardPoint{letterToNumber(entry[1]), letterToNumber(entry[2])};
}

bool GoBoard::nodeSucceeds(int node) const {
  return treeText[nodeOffset[node] + 3] == '1';
}

BoardPoint GoBoard::playablePoint(BoardPoint move) const {
  if (isPass(move.column, move.row)) passSubstitute(move.column, move.row);
  return move;
}

int GoBoard::findChild(int column, int row) const {
  for (int i = currentNode + 1; i < nodeCount; ++i) {
    if (nodeDepth[i] <= currentDepth) return 0;
    if (nodeDepth[i] != currentDepth + 1) continue;
    BoardPoint move = nodeMove(i);
    if (move.column == column && move.row == row) return i;
    if (isPass(move.column, move.row)) {
      move = playablePoint(move);
      if (move.column == column && move.row == row) return i;
    }
  }
  return 0;
}

int GoBoard::parentOf(int node) const {
  for (int m = node - 1; m >= 0; --m)
    if (nodeDepth[m] == nodeDepth[node] - 1) return m;
  return -1;
}

int GoBoard::childCount(int node) const {
  int count = 0;
  for (int m = node + 1; m < nodeCount && nodeDepth[m] > nodeDepth[node]; ++m)
    if (nodeDepth[m] == nodeDepth[node] + 1) ++count;
  return count;
}

bool GoBoard::hasChildren(int node) const {
  return nodeDepth[node + 1] == nodeDepth[node] + 1;
}

void GoBoard::stepWalkBack() {
  if (currentNode <= 0 || currentDepth <= 0) return;
  const int moves = static_cast<int>(strnlen(history, historyCapacity)) / 2;
  if (currentDepth - moves != 1) return;
  const int parent = parentOf(currentNode);
  if (parent < 0) return;  // a node without a parent: stay rather than read outside the list
  currentNode = parent;
  currentDepth = nodeDepth[parent];
}

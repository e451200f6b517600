// Group labels: every stone carries its chain's label, kept up to date stone by stone.
#include "board/go_board.h"

void GoBoard::labelStone(Colour colour, int column, int row) {
  const BoardPoint neighbours[4] = {
      {column, row - 1}, {column, row + 1}, {column - 1, row}, {column + 1, row}};
  int label = 0;
  for (const BoardPoint& n : neighbours) {
    if (cellColour(cells[n.column][n.row]) == colour) {
      label = groupLabel[n.column][n.row];
      break;
    }
  }
  const bool joined = label != 0;
  if (!joined) label = freshLabel();
  groupLabel[column][row] = label;
  if (!joined) return;
  // One neighbour at a time: a chain merged by an earlier step already carries the new label.
  for (const BoardPoint& n : neighbours) {
    if (cellColour(cells[n.column][n.row]) != colour) continue;
    const int other = groupLabel[n.column][n.row];
    if (other != label) relabelGroup(other, label);
  }
}

void GoBoard::relabelGroup(int from, int to) {
  // Every label is stored again, changed or not: without a branch the loop vectorises.
  for (int column = 1; column <= columnsShown; ++column)
    for (int row = 1; row <= rowsShown; ++row) {
      int& label = groupLabel[column][row];
      label = label == from ? to : label;
    }
}

int GoBoard::freshLabel() const {
  // Marks rather than counts: a store does not wait for the previous one to the same label.
  bool used[maxLabels] = {};
  for (int column = 1; column <= columnsShown; ++column)
    for (int row = 1; row <= rowsShown; ++row) used[groupLabel[column][row]] = true;
  int label = 0;
  while (used[label]) ++label;
  return label;
}

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
  for (int column = 1; column <= columnsShown; ++column)
    for (int row = 1; row <= rowsShown; ++row)
      if (groupLabel[column][row] == from) groupLabel[column][row] = to;
}

int GoBoard::freshLabel() const {
  int counters[maxLabels] = {};
  for (int column = 1; column <= columnsShown; ++column)
    for (int row = 1; row <= rowsShown; ++row) ++counters[groupLabel[column][row]];
  int label = 0;
  while (counters[label] != 0) ++label;
  return label;
}

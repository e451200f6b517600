// Positions shared by the benchmarks.
#pragma once

#include "board/go_board.h"

namespace bench {

// 250 stones left by a random game, one line a row (row 1 first), one character a column. For
// Black to move: (19, 3) takes the six White stones of the top-right corner, (4, 1) joins two
// Black chains, (5, 8) is suicide, and (11, 14) takes one stone at (11, 13) in a ko.
inline const char* const crowded =
    "OOX.X.O.OXOOOXOXOOO\n"
    "OOO...XXXXXXO..XOOO\n"
    "O..XX.XX.X...XOOXX.\n"
    "X.XOOXOOXOO..X.XXOX\n"
    ".XXO.OOO.OOOOOXX...\n"
    ".OXXOO.OOXOXOOOXOOX\n"
    ".OO.O.XXX...X.OX.OX\n"
    "OXOO.OO.X.XOO..OOX.\n"
    "X.X.OXXXXO...X.XX..\n"
    "O...XO.XOOXO.OX.XO.\n"
    "XXX..XXOX.XXXX...O.\n"
    "OOOXXXOOX.XXOO.O.OX\n"
    "XX..X.XOXXOX.X.....\n"
    ".OXOOX.O.X.XO..X.XO\n"
    ".O.XOO..O..XOX.XOOX\n"
    "OXX.OXX.O.O.XOO...X\n"
    "OXXXOOOOOXO.XOX..OX\n"
    "O.OO..X.XX.XOXXXXOO\n"
    ".XXOXOO.OX.OOOXX...\n";

// Puts the crowded stones that fall on the shown board onto a board without stones, each
// labelled as it is placed. With `wholeBoard` all 19 x 19 points are shown first.
inline void setCrowded(GoBoard& b, bool wholeBoard) {
  if (wholeBoard) b.columnsShown = b.rowsShown = 19;
  int column = 1, row = 1;
  for (const char* p = crowded; *p != '\0'; ++p) {
    if (*p == '\n') {
      column = 1;
      ++row;
      continue;
    }
    if (*p != '.' && b.onShownBoard(column, row)) {
      const Colour colour = *p == 'X' ? black : white;
      b.cells[column][row] = colour;
      b.labelStone(colour, column, row);
    }
    ++column;
  }
}

}  // namespace bench

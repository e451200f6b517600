// The game object's consistency check, for the soak, the fuzz targets and the tests (never linked
// into the program): what must hold between the fields of GoBoard after every event.
#pragma once

#include <string>

#include "board/go_board.h"

// "" when the game object is consistent; otherwise the first thing found wrong, naming points as
// (column, row). Checked:
// - the cells, labels and ko memory equal a replay of `history` from the setup stones by the rules
//   (captures, no suicide, no immediate ko recapture; a point beyond the shown board is a liberty),
//   written here afresh so that a fault in the game's own rules cannot replay itself, and every
//   move in the history is legal by them;
// - every chain has a liberty, and the labels give exactly the chains;
// - the solution-tree walk agrees with the history: the moves from the root to currentNode are the
//   first moves of the history, followed while solving by one move exactly when off the tree;
// - the verdict flags agree with the walk (a solved problem stands on a correct leaf, a waiting
//   variation on a branch above the walk).
std::string checkConsistency(const GoBoard& board);

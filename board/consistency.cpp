// The game object's consistency check. The rules are written here a second time, plainly, so
// that a replay of the history is an independent account of what the board must hold.
#include "board/consistency.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int side = boardArraySize;  // the arrays, the edge ring (0 and 20) included

std::string format(const char* pattern, int a = 0, int b = 0, int c = 0, int d = 0, int e = 0,
                   int f = 0) {
  char text[200];
  std::snprintf(text, sizeof text, pattern, a, b, c, d, e, f);
  return text;
}

// The position by the rules, from the setup stones and the moves.
class Reference {
 public:
  Reference(int columns, int rows) : columns_(columns), rows_(rows) {}

  bool onBoard(int c, int r) const { return c >= 1 && c <= columns_ && r >= 1 && r <= rows_; }
  Colour at(int c, int r) const { return colour_[c][r]; }
  Colour toMove() const { return toMove_; }
  BoardPoint lastMove() const { return lastMove_; }
  int lastCaptureCount() const { return lastCaptureCount_; }

  // A setup stone: the first one given for a point stays.
  void setUp(Colour colour, int c, int r) {
    if (onBoard(c, r) && colour_[c][r] == empty) colour_[c][r] = colour;
  }

  // Plays the move of the side to move; "" or why the rules refuse it.
  std::string play(int c, int r) {
    if (c == PassPoint.column && r == PassPoint.row) {
      lastMove_ = PassPoint;
      lastCaptureCount_ = 0;
      toMove_ = -toMove_;
      return "";
    }
    if (!onBoard(c, r)) return "it is off the shown board";
    if (colour_[c][r] != empty) return "the point is taken";
    const Colour mover = toMove_;
    colour_[c][r] = mover;
    int captured = 0;
    BoardPoint capturePoint{0, 0};
    int chainOf[side][side] = {};
    int chains = 0;
    for (int x = 1; x <= columns_; ++x)
      for (int y = 1; y <= rows_; ++y) {
        if (colour_[x][y] != -mover || chainOf[x][y] != 0) continue;
        BoardPoint stones[side * side];
        const int count = chain(x, y, ++chains, chainOf, stones);
        if (liberties(stones, count) > 0) continue;
        for (int i = 0; i < count; ++i) colour_[stones[i].column][stones[i].row] = empty;
        captured += count;
        capturePoint = stones[0];
      }
    int ownChain[side][side] = {};
    BoardPoint own[side * side];
    const int ownCount = chain(c, r, 1, ownChain, own);
    if (captured == 0 && liberties(own, ownCount) == 0) {
      colour_[c][r] = empty;
      return "it is suicide";
    }
    if (captured == 1 && lastCaptureCount_ == 1 && capturePoint.column == lastMove_.column &&
        capturePoint.row == lastMove_.row) {
      // Undo: the one stone comes back, the move goes.
      colour_[capturePoint.column][capturePoint.row] = -mover;
      colour_[c][r] = empty;
      return "it retakes the ko at once";
    }
    lastMove_ = BoardPoint{c, r};
    lastCaptureCount_ = captured;
    toMove_ = -mover;
    return "";
  }

  // The stones of the chain at (c, r), marked `id` in `mark`; returns how many.
  int chain(int c, int r, int id, int (&mark)[side][side], BoardPoint* stones) const {
    const Colour colour = colour_[c][r];
    int count = 0, done = 0;
    stones[count++] = BoardPoint{c, r};
    mark[c][r] = id;
    while (done < count) {
      const BoardPoint p = stones[done++];
      const BoardPoint next[4] = {{p.column - 1, p.row},
                                  {p.column + 1, p.row},
                                  {p.column, p.row - 1},
                                  {p.column, p.row + 1}};
      for (const BoardPoint& q : next)
        if (onBoard(q.column, q.row) && mark[q.column][q.row] == 0 &&
            colour_[q.column][q.row] == colour) {
          mark[q.column][q.row] = id;
          stones[count++] = q;
        }
    }
    return count;
  }

  // A point is a liberty when it is empty on the shown board, or lies beyond the shown board but
  // inside the 19 x 19 board: the problem's region is open there.
  bool free(int c, int r) const {
    if (c < 1 || r < 1 || c > 19 || r > 19) return false;
    return !onBoard(c, r) || colour_[c][r] == empty;
  }

  int liberties(const BoardPoint* stones, int count) const {
    int n = 0;
    for (int i = 0; i < count; ++i) {
      const BoardPoint p = stones[i];
      n += free(p.column - 1, p.row) + free(p.column + 1, p.row) + free(p.column, p.row - 1) +
           free(p.column, p.row + 1);
    }
    return n;
  }

 private:
  int columns_, rows_;
  Colour colour_[side][side] = {};
  Colour toMove_ = black;
  BoardPoint lastMove_{1, 1};
  int lastCaptureCount_ = 0;
};

// A node's move and success flag, read from its entry in the tree text ("<depth><column><row>
// <flag>...").
BoardPoint nodeMove(const GoBoard& b, int node) {
  const char* entry = b.treeText + b.nodeOffset[node];
  return BoardPoint{GoBoard::letterToNumber(entry[1]), GoBoard::letterToNumber(entry[2])};
}

bool nodeSucceeds(const GoBoard& b, int node) {
  return b.treeText[b.nodeOffset[node] + 3] == '1';
}

std::string point(BoardPoint p) {
  return format("(%d, %d)", p.column, p.row);
}

// The setup stones as the game reads them: Black's points, a blank, White's points.
void placeSetup(const GoBoard& b, Reference& ref) {
  if (b.setupPointer == nullptr || b.setupLength <= 0) return;
  const char* text = b.setupPointer;
  const int length = b.setupLength;
  int blank = 0;
  while (blank < length && text[blank] != ' ' && text[blank] != '\0') ++blank;
  struct Part {
    int start, size;
    Colour colour;
  };
  const Part parts[2] = {{0, blank, black}, {blank + 1, length - blank - 1, white}};
  for (const Part& part : parts) {
    if (part.size <= 0 || part.size % 2 != 0) continue;
    for (int i = part.start; i < part.start + part.size; i += 2)
      ref.setUp(part.colour, GoBoard::letterToNumber(text[i]),
                GoBoard::letterToNumber(text[i + 1]));
  }
}

std::string checkStorage(const GoBoard& b, int& moves) {
  const std::size_t recorded = strnlen(b.history, historyCapacity);
  if (recorded == static_cast<std::size_t>(historyCapacity)) return "history is not terminated";
  if (recorded % 2 != 0) return "history \"" + std::string(b.history) + "\" ends in half a move";
  moves = static_cast<int>(recorded / 2);
  if (b.moveNumber - 1 != moves)
    return format("moveNumber %d but history holds %d moves", b.moveNumber, moves);
  if (b.columnsShown < 0 || b.columnsShown > 19 || b.rowsShown < 0 || b.rowsShown > 19)
    return format("%d x %d points shown", b.columnsShown, b.rowsShown);
  for (int c = 0; c < side; ++c)
    for (int r = 0; r < side; ++r) {
      const bool shown = b.onShownBoard(c, r);
      const int cell = b.cells[c][r];
      if (shown ? cell < -1 || cell > 1 : cell != 0)
        return format(shown ? "cell (%d, %d) on the board holds %d"
                            : "cell (%d, %d) off the shown board holds %d",
                      c, r, cell);
      if ((cell == 0) != (b.groupLabel[c][r] == 0))
        return format("cell (%d, %d) holds %d but has label %d", c, r, cell, b.groupLabel[c][r]);
    }
  return "";
}

// Whether some chain of the position has no liberty.
bool anyChainWithoutLiberty(const Reference& ref, int columns, int rows) {
  int mark[side][side] = {};
  int chains = 0;
  for (int c = 1; c <= columns; ++c)
    for (int r = 1; r <= rows; ++r) {
      if (ref.at(c, r) == empty || mark[c][r] != 0) continue;
      BoardPoint stones[side * side];
      const int count = ref.chain(c, r, ++chains, mark, stones);
      if (ref.liberties(stones, count) == 0) return true;
    }
  return false;
}

// The labels must give the chains: one label a chain, none shared. Every chain has a liberty,
// unless the setup itself held one without (a record may; the rules take it at the next stone).
std::string checkChains(const GoBoard& b, const Reference& ref, bool setupBreathless) {
  int mark[side][side] = {};
  int labelOf[side * side + 1] = {};
  int chains = 0;
  for (int c = 1; c <= b.columnsShown; ++c)
    for (int r = 1; r <= b.rowsShown; ++r) {
      if (ref.at(c, r) == empty || mark[c][r] != 0) continue;
      BoardPoint stones[side * side];
      const int id = ++chains;
      const int count = ref.chain(c, r, id, mark, stones);
      labelOf[id] = b.groupLabel[c][r];
      for (int i = 0; i < count; ++i) {
        const BoardPoint p = stones[i];
        if (b.groupLabel[p.column][p.row] != labelOf[id])
          return format("the chain of (%d, %d) carries labels %d and %d (at (%d, %d))", c, r,
                        labelOf[id], b.groupLabel[p.column][p.row], p.column, p.row);
      }
      for (int other = 1; other < id; ++other)
        if (labelOf[other] == labelOf[id])
          return format("two chains share label %d, one at (%d, %d)", labelOf[id], c, r);
      if (!setupBreathless && ref.liberties(stones, count) == 0)
        return format("the chain of (%d, %d) has no liberty", c, r);
    }
  return "";
}

std::string checkReplay(const GoBoard& b, int moves) {
  Reference ref(b.columnsShown, b.rowsShown);
  placeSetup(b, ref);
  const bool setupBreathless = anyChainWithoutLiberty(ref, b.columnsShown, b.rowsShown);
  for (int i = 0; i < moves; ++i) {
    const BoardPoint move{GoBoard::letterToNumber(b.history[2 * i]),
                          GoBoard::letterToNumber(b.history[2 * i + 1])};
    const std::string refused = ref.play(move.column, move.row);
    if (!refused.empty())
      return format("move %d of the history, ", i + 1) + point(move) + ", is illegal: " + refused;
  }
  for (int c = 1; c <= b.columnsShown; ++c)
    for (int r = 1; r <= b.rowsShown; ++r)
      if (GoBoard::cellColour(b.cells[c][r]) != ref.at(c, r))
        return format("(%d, %d) holds %d, but the history from the setup leaves %d there", c, r,
                      b.cells[c][r], ref.at(c, r));
  if (b.sideToMove != ref.toMove())
    return format("side to move %d, but the history leaves %d to move", b.sideToMove, ref.toMove());
  // Before the first move the last move is no move; it only marks a point.
  if (moves > 0 &&
      (b.lastMove.column != ref.lastMove().column || b.lastMove.row != ref.lastMove().row))
    return "the last move is " + point(b.lastMove) + ", the history's " + point(ref.lastMove());
  if (b.lastCaptureCount != ref.lastCaptureCount())
    return format("the last move captured %d by its count, %d by the history", b.lastCaptureCount,
                  ref.lastCaptureCount());
  return checkChains(b, ref, setupBreathless);
}

// The node at each depth on the way from the root to `node`.
int pathTo(const GoBoard& b, int node, int* path) {
  int depth = b.nodeDepth[node];
  for (int n = node; depth > 0; --depth) {
    path[depth] = n;
    n = b.parentOf(n);
    if (n < 0) return -1;
  }
  return b.nodeDepth[node];
}

// The points a pass from the tree may have been played on: the 3 x 3 block in the shown board's
// bottom-right corner.
bool inPassBlock(const GoBoard& b, BoardPoint p) {
  return p.column > b.columnsShown - 3 && p.column <= b.columnsShown && p.row > b.rowsShown - 3 &&
         p.row <= b.rowsShown;
}

std::string checkWalk(const GoBoard& b, int moves) {
  const bool nodeIndexed =
      b.nodeCount == 0 ? b.currentNode == 0 : b.currentNode >= 0 && b.currentNode < b.nodeCount;
  if (b.nodeCount < 0 || b.nodeCount > maxTreeNodes - 2 || !nodeIndexed)
    return format("currentNode %d with %d nodes indexed", b.currentNode, b.nodeCount);
  if (b.currentDepth != b.nodeDepth[b.currentNode])
    return format("currentDepth %d but node %d is at depth %d", b.currentDepth, b.currentNode,
                  b.nodeDepth[b.currentNode]);
  int path[maxTreeNodes + 1];
  const int depth = pathTo(b, b.currentNode, path);
  if (depth < 0) return format("node %d has no way back to the root", b.currentNode);
  if (moves < depth)
    return format("the walk is at depth %d but the history holds %d moves", depth, moves);
  for (int k = 1; k <= depth; ++k) {
    const BoardPoint tree = nodeMove(b, path[k]);
    const BoardPoint played{GoBoard::letterToNumber(b.history[2 * k - 2]),
                            GoBoard::letterToNumber(b.history[2 * k - 1])};
    const bool same = tree.column == played.column && tree.row == played.row;
    const bool passAnswered =
        GoBoard::isPass(tree.column, tree.row) &&
        (GoBoard::isPass(played.column, played.row) || inPassBlock(b, played));
    if (!same && !passAnswered)
      return format("move %d of the history is ", k) + point(played) +
             format(", but node %d of the walk plays ", path[k]) + point(tree);
  }
  if (b.freePlay == 0) {
    if (moves > depth + 1)
      return format("while solving, the history holds %d moves beyond the walk's depth %d",
                    moves - depth, depth);
    if (moves == depth + 1 && b.offTree == 0)
      return format("a move beyond the walk (depth %d) but not off the tree", depth);
    if (moves == depth && b.offTree != 0)
      return format("off the tree, but the history holds no move beyond the walk (depth %d)",
                    depth);
  }
  return "";
}

std::string checkVerdicts(const GoBoard& b) {
  if (b.solved != 0) {
    if (b.offTree != 0) return "solved, yet off the tree";
    if (b.currentNode <= 0 || !b.isLeaf(b.currentNode) || !nodeSucceeds(b, b.currentNode))
      return format("solved at node %d, which is no correct leaf", b.currentNode);
  }
  if (b.variationPending != 0) {
    if (b.branchNode < 0 || b.branchNode >= b.nodeCount || b.branchChild <= 0 ||
        b.branchChild >= b.nodeCount || b.parentOf(b.branchChild) != b.branchNode)
      return format("a variation waits at branch %d, child %d, which the tree does not hold",
                    b.branchNode, b.branchChild);
    if (b.nodeVisited[b.branchChild] != 0)
      return format("the waiting variation %d is already beaten", b.branchChild);
    int n = b.currentNode;
    while (n > b.branchNode) n = b.parentOf(n);
    if (n != b.branchNode)
      return format("a variation waits at branch %d, off the walk to node %d", b.branchNode,
                    b.currentNode);
  }
  if (b.problemLoaded != 0 && (b.problemNumber < 1 || b.problemNumber > b.problemCount))
    return format("problem %d of %d is open", b.problemNumber, b.problemCount);
  return "";
}

}  // namespace

std::string checkConsistency(const GoBoard& b) {
  int moves = 0;
  std::string failure = checkStorage(b, moves);
  if (failure.empty()) failure = checkReplay(b, moves);
  if (failure.empty()) failure = checkWalk(b, moves);
  if (failure.empty()) failure = checkVerdicts(b);
  return failure;
}

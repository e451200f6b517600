// Questions about the solution tree: children, parents and leaves from the depths of the flat list,
// the pass child, and how the walk follows moves taken back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "board/go_board.h"

namespace {

// A problem of 6 x 4 points (shown 6 x 7 on the default screen, so the pass substitute block is
// columns 4..6, rows 5..7 and its first point (6, 7)).
void open(GoBoard& b, const char* setup, const char* tree) {
  std::strcpy(b.setupText, setup);
  std::strcpy(b.treeText, tree);
  b.problemWidth = 6;
  b.problemHeight = 4;
  b.indexProblemTree();
}

void standOn(GoBoard& b, int node) {
  b.currentNode = node;
  b.currentDepth = b.nodeDepth[node];
}

// Depths 0, 1, 2, 3, 2, 1, 2: node 2 has its own child in the middle of node 1's children, and
// node 1's sibling 5 has a child of the depth of node 1's children.
constexpr const char* nestedTree = "00000~1AA0 ~2BA0 ~3CA1 ~2DA0 ~1EA0 ~2FA1 ~";

TEST(TreeShape, ParentsChildrenAndLeavesFollowTheDepths) {
  GoBoard b;
  open(b, " |", nestedTree);
  ASSERT_EQ(b.nodeCount, 7);
  const int parents[] = {-1, 0, 1, 2, 1, 0, 5};
  const int counts[] = {2, 2, 1, 0, 0, 1, 0};
  const bool inner[] = {true, true, true, false, false, true, false};
  for (int n = 0; n < 7; ++n) {
    EXPECT_EQ(b.parentOf(n), parents[n]) << "node " << n;
    EXPECT_EQ(b.childCount(n), counts[n]) << "node " << n;
    EXPECT_EQ(b.hasChildren(n), inner[n]) << "node " << n;
    EXPECT_EQ(b.isLeaf(n), !inner[n]) << "node " << n;
  }
}

TEST(TreeShape, LastNodeIsALeafEvenWhereALongerTreeWasIndexedBefore) {
  GoBoard b;
  // The first tree leaves a depth-2 node at index 2; the second ends at index 1 with depth 1.
  open(b, " |", "00000~1AA0 ~2BA0 ~3CA1 ~");
  EXPECT_FALSE(b.hasChildren(3));
  open(b, " |", "00000~1AA1 ~");
  ASSERT_EQ(b.nodeCount, 2);
  EXPECT_FALSE(b.hasChildren(1));
  EXPECT_EQ(b.childCount(1), 0);
}

TEST(FindChild, OnlyDirectChildrenOfTheWalkMatch) {
  struct Case {
    int standOn;
    int column, row;
    int found;
  };
  const Case cases[] = {
      {0, 1, 1, 1},   {0, 5, 1, 5},   {0, 2, 1, 0},  // a grandchild is not a child
      {1, 2, 1, 2},   {1, 4, 1, 4},                  // past node 2's own subtree
      {1, 3, 1, 0},   {1, 5, 1, 0},   {1, 6, 1, 0},  // grandchild; sibling; sibling's child
      {3, 4, 1, 0},   {3, 20, 20, 0},                // a leaf has no children, not even a pass
      {0, 20, 20, 0},                                // no pass child here
  };
  GoBoard b;
  open(b, " |", nestedTree);
  for (const Case& c : cases) {
    standOn(b, c.standOn);
    EXPECT_EQ(b.findChild(c.column, c.row), c.found)
        << "on node " << c.standOn << " at (" << c.column << ", " << c.row << ")";
  }
}

TEST(FindChild, PassChildAlsoAnswersItsSubstitutePoint) {
  struct Case {
    const char* setup;
    const char* tree;
    int column, row;
    int found;
  };
  const Case cases[] = {
      {" |", "00000~1CB0 ~1TT0 ~1DC0 ~", 3, 2, 1},
      {" |", "00000~1CB0 ~1TT0 ~1DC0 ~", 20, 20, 2},
      {" |", "00000~1CB0 ~1TT0 ~1DC0 ~", 6, 7, 2},
      {" |", "00000~1CB0 ~1TT0 ~1DC0 ~", 4, 3, 3},
      {" |", "00000~1CB0 ~1TT0 ~1DC0 ~", 6, 6, 0},  // only the first empty block point
      // The substitute point is also a child's own move: the earlier in list order wins.
      {" |", "00000~1FG0 ~1TT0 ~1DC0 ~", 6, 7, 1},
      {" |", "00000~1CB0 ~1TT0 ~1FG0 ~", 6, 7, 2},
      // The substitute moves on when its first point is taken.
      {"FG |", "00000~1CB0 ~1TT0 ~1DC0 ~", 6, 6, 2},
      {"FG |", "00000~1CB0 ~1TT0 ~1DC0 ~", 6, 7, 0},
      {" FG|", "00000~1CB0 ~1TT0 ~1DC0 ~", 6, 6, 2},
  };
  for (const Case& c : cases) {
    GoBoard b;
    open(b, c.setup, c.tree);
    EXPECT_EQ(b.findChild(c.column, c.row), c.found)
        << c.setup << " " << c.tree << " at (" << c.column << ", " << c.row << ")";
  }
}

TEST(FindChild, FullSubstituteBlockLeavesThePassAsTheOnlyWayToThePassChild) {
  GoBoard b;
  open(b, "DEDFDGEEEFEG FEFFFG|", "00000~1CB0 ~1TT0 ~1DC0 ~");
  EXPECT_EQ(b.findChild(20, 20), 2);
  for (int column = 4; column <= 6; ++column)
    for (int row = 5; row <= 7; ++row)
      EXPECT_EQ(b.findChild(column, row), 0) << column << ", " << row;
  EXPECT_EQ(b.findChild(3, 2), 1);
}

// Two replies to the player's first move: nodes 1 A (2, 2); 2 R1 (3, 3), 3 its leaf (4, 4);
// 4 R2 (1, 3), 5 its leaf (2, 4).
constexpr const char* twoReplies = "00000~1BB0 ~2CC0 ~3DD1 ~2AC0 ~3BD1 ~";

TEST(StepWalkBack, FollowsTheBoardOnlyWhileItHoldsTheWalksMoves) {
  struct Move {
    int column, row;
  };
  struct Case {
    const char* what;
    std::vector<Move> moves;  // played from the start
    int walkOn;               // the node the walk stands on after them
    std::vector<int> after;   // the walk's node after each single takeback
  };
  const Case cases[] = {
      {"tree moves only", {{2, 2}, {3, 3}}, 2, {1, 0}},
      {"a move off the tree last", {{2, 2}, {3, 3}, {5, 1}}, 2, {2, 1, 0}},
      {"free-play moves after the walk's node", {{2, 2}, {5, 1}, {6, 1}}, 1, {1, 1, 0}},
      {"nothing played", {}, 0, {0}},
  };
  for (const Case& c : cases) {
    GoBoard b;
    open(b, " |", twoReplies);
    for (Move m : c.moves) ASSERT_TRUE(b.playMove(m.column, m.row, false)) << c.what;
    standOn(b, c.walkOn);
    for (std::size_t i = 0; i < c.after.size(); ++i) {
      b.takeBackOne();
      b.stepWalkBack();
      EXPECT_EQ(b.currentNode, c.after[i]) << c.what << ", takeback " << i + 1;
      EXPECT_EQ(b.currentDepth, b.nodeDepth[b.currentNode]) << c.what << ", takeback " << i + 1;
    }
  }
}

}  // namespace

// The game object's consistency check: clean play is clean, and each kind of corruption is named.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "board/consistency.h"
#include "board/go_board.h"

namespace {

// A 6 x 4 region (shown 6 x 7 on the default screen) with the given setup and tree.
void open(GoBoard& b, const char* setup, const char* tree = "00000~") {
  std::strcpy(b.setupText, setup);
  std::strcpy(b.treeText, tree);
  b.problemWidth = 6;
  b.problemHeight = 4;
  b.indexProblemTree();
}

// Nodes: 1 (2, 2); its replies 2 (3, 3) and 4 (1, 3); the answers 3 (4, 4) and 5 (2, 4).
constexpr const char* twoReplies = "00000~1BB0 ~2CC0 ~3DD1 ~2AC0 ~3BD1 ~";

// Free play over a setup with a chain of two Black stones (2, 1)-(3, 1) and a White stone at
// (1, 1): Black takes it at (1, 2), White passes, Black plays (3, 3), White plays (5, 2).
void playedFreely(GoBoard& b) {
  open(b, "BACA AA|");
  b.freePlay = 1;
  ASSERT_TRUE(b.playMove(1, 2, false));
  ASSERT_TRUE(b.playMove(20, 20, false));
  ASSERT_TRUE(b.playMove(3, 3, false));
  ASSERT_TRUE(b.playMove(5, 2, false));
  ASSERT_EQ(b.cells[1][1], empty) << "the White stone was taken";
}

TEST(Consistency, PlayByTheRulesIsClean) {
  GoBoard b;
  EXPECT_EQ(checkConsistency(b), "") << "a board before any problem";
  playedFreely(b);
  EXPECT_EQ(checkConsistency(b), "");
  b.takeBackOne();
  EXPECT_EQ(checkConsistency(b), "") << "after a takeback";

  GoBoard ko;
  // A ko: White's (2, 2) is taken by Black at (3, 2); White may not take back at once.
  open(ko, "BAABBC BBCADBCC|");
  ko.freePlay = 1;
  ASSERT_TRUE(ko.playMove(3, 2, false));
  EXPECT_FALSE(ko.playMove(2, 2, false));
  EXPECT_EQ(checkConsistency(ko), "");
}

TEST(Consistency, EachCorruptionIsNamed) {
  struct Case {
    const char* name;
    std::function<void(GoBoard&)> corrupt;
    const char* expected;  // part of the message
  };
  const Case cases[] = {
      {"a stone no move put there",
       [](GoBoard& b) {
         b.cells[5][4] = black;
         b.labelStone(black, 5, 4);
       },
       "(5, 4) holds 1, but the history from the setup leaves 0"},
      {"a captured stone left on column 1",
       [](GoBoard& b) {
         b.cells[1][1] = white;
         b.labelStone(white, 1, 1);
       },
       "(1, 1) holds -1"},
      {"the side to move turned", [](GoBoard& b) { b.sideToMove = -b.sideToMove; }, "side to move"},
      {"the ko memory wrong", [](GoBoard& b) { b.lastCaptureCount = 1; },
       "captured 1 by its count"},
      {"the last move elsewhere",
       [](GoBoard& b) {
         b.lastMove = BoardPoint{4, 4};
       },
       "the last move is (4, 4)"},
      {"a move number ahead", [](GoBoard& b) { b.moveNumber += 1; }, "moveNumber 6"},
      {"a chain with two labels", [](GoBoard& b) { b.groupLabel[3][1] = 99; }, "carries labels"},
      {"two chains with one label", [](GoBoard& b) { b.groupLabel[3][3] = b.groupLabel[1][2]; },
       "share label"},
      {"a label on an empty point", [](GoBoard& b) { b.groupLabel[6][6] = 5; },
       "cell (6, 6) holds 0 but has label 5"},
      {"an illegal move in the history",
       [](GoBoard& b) {
         std::strcat(b.history, "BA");
         b.moveNumber += 1;
       },
       "move 5 of the history, (2, 1), is illegal: the point is taken"},
      {"a stone beyond the shown board", [](GoBoard& b) { b.cells[7][1] = black; },
       "off the shown board"},
  };
  for (const Case& c : cases) {
    GoBoard b;
    playedFreely(b);
    c.corrupt(b);
    EXPECT_NE(checkConsistency(b).find(c.expected), std::string::npos)
        << c.name << ": " << checkConsistency(b);
  }
}

TEST(Consistency, TheRulesOfTheReplayAreItsOwn) {
  struct Case {
    const char* name;
    const char* setup;
    const char* history;
    const char* expected;
  };
  // Each history is written in by hand, as a game whose rules failed would leave it.
  const Case cases[] = {
      {"suicide", "AB BABBAC|", "AA", "(1, 1), is illegal: it is suicide"},
      {"an immediate ko recapture", "BAABBC BBCADBCC|", "CBBB",
       "move 2 of the history, (2, 2), is illegal: it retakes the ko at once"},
      {"a point beyond the board", "|", "GA", "(7, 1), is illegal: it is off the shown board"},
  };
  for (const Case& c : cases) {
    GoBoard b;
    open(b, c.setup);
    b.freePlay = 1;
    std::strcpy(b.history, c.history);
    b.moveNumber = 1 + static_cast<int>(std::strlen(c.history)) / 2;
    EXPECT_NE(checkConsistency(b).find(c.expected), std::string::npos)
        << c.name << ": " << checkConsistency(b);
  }

  GoBoard surrounded;
  // A record may set up a stone without a liberty: the rules take it at White's next stone.
  open(surrounded, "AA BAAB|");
  surrounded.freePlay = 1;
  EXPECT_EQ(checkConsistency(surrounded), "") << "as the record set it up";
  ASSERT_TRUE(surrounded.playMove(6, 6, false));
  ASSERT_TRUE(surrounded.playMove(5, 5, false));
  EXPECT_EQ(surrounded.cells[1][1], empty) << "taken by White's stone";
  EXPECT_EQ(checkConsistency(surrounded), "");
  // Left standing, a move later, it is a fault.
  surrounded.cells[1][1] = black;
  surrounded.labelStone(black, 1, 1);
  EXPECT_NE(checkConsistency(surrounded).find("(1, 1) holds 1"), std::string::npos)
      << checkConsistency(surrounded);

  GoBoard open19;
  // Beyond the shown board the region is open: a stone on its edge keeps those liberties.
  open(open19, "FA FBEA|");
  EXPECT_EQ(checkConsistency(open19), "") << "(6, 1) breathes at (7, 1)";
}

TEST(Consistency, TheWalkFollowsTheHistory) {
  GoBoard b;
  open(b, "|", twoReplies);
  ASSERT_TRUE(b.playMove(2, 2, false));
  ASSERT_TRUE(b.playMove(3, 3, false));
  b.currentNode = 2;
  b.currentDepth = 2;
  EXPECT_EQ(checkConsistency(b), "");

  b.currentNode = 4;  // the other reply, (1, 3)
  EXPECT_EQ(checkConsistency(b),
            "move 2 of the history is (3, 3), but node 4 of the walk plays (1, 3)");

  b.currentNode = 1;
  b.currentDepth = 1;
  EXPECT_EQ(checkConsistency(b), "a move beyond the walk (depth 1) but not off the tree");
  b.offTree = 1;
  EXPECT_EQ(checkConsistency(b), "") << "one move off the tree";
  ASSERT_TRUE(b.playMove(5, 5, false));
  EXPECT_EQ(checkConsistency(b),
            "while solving, the history holds 2 moves beyond the walk's depth 1");
  b.freePlay = 1;
  EXPECT_EQ(checkConsistency(b), "") << "free play adds moves beyond the walk";

  b.currentNode = 3;
  b.currentDepth = 3;
  b.freePlay = 0;
  b.offTree = 0;
  EXPECT_EQ(checkConsistency(b),
            "move 3 of the history is (5, 5), but node 3 of the walk plays (4, 4)");
}

TEST(Consistency, VerdictsStandOnTheWalk) {
  GoBoard b;
  open(b, "|", twoReplies);
  ASSERT_TRUE(b.playMove(2, 2, false));
  ASSERT_TRUE(b.playMove(3, 3, false));
  ASSERT_TRUE(b.playMove(4, 4, false));
  b.currentNode = 3;
  b.currentDepth = 3;
  b.solved = 1;
  EXPECT_EQ(checkConsistency(b), "") << "solved on the correct leaf";
  b.variationPending = 1;
  b.branchNode = 1;
  b.branchChild = 4;
  b.solved = 0;
  EXPECT_EQ(checkConsistency(b), "") << "the other reply waits";

  b.branchChild = 3;
  EXPECT_EQ(checkConsistency(b),
            "a variation waits at branch 1, child 3, which the tree does not hold");
  b.branchChild = 4;
  b.nodeVisited[4] = 1;
  EXPECT_EQ(checkConsistency(b), "the waiting variation 4 is already beaten");
  b.nodeVisited[4] = 0;
  b.variationPending = 0;

  b.takeBackOne();
  b.currentNode = 2;
  b.currentDepth = 2;
  b.solved = 1;
  EXPECT_EQ(checkConsistency(b), "solved at node 2, which is no correct leaf");
}

}  // namespace

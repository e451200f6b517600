// The game object: its fresh state and the helpers that read the board.
#include <gtest/gtest.h>

#include <type_traits>

#include "board/go_board.h"

namespace {

TEST(GoBoard, FreshObjectHoldsTheInitialState) {
  GoBoard b;
  EXPECT_EQ(b.moveNumber, 1);
  EXPECT_EQ(b.sideToMove, black);
  EXPECT_EQ(b.history[0], '\0');
  EXPECT_EQ(b.markedPoint.column, 1);
  EXPECT_EQ(b.markedPoint.row, 1);
  EXPECT_EQ(b.lastMove.column, 0);
  EXPECT_EQ(b.lastMove.row, 0);
  EXPECT_EQ(b.problemWidth, 12);
  EXPECT_EQ(b.problemHeight, 12);
  EXPECT_EQ(b.problemNumber, 1);
  EXPECT_EQ(b.problemCount, 10);
  EXPECT_EQ(b.soundOn, 1);
  EXPECT_EQ(b.mainWindow, nullptr);
  for (int c = 0; c < boardArraySize; ++c)
    for (int r = 0; r < boardArraySize; ++r) {
      ASSERT_EQ(b.cells[c][r], empty);
      ASSERT_EQ(b.groupLabel[c][r], 0);
    }
  EXPECT_NE(b.yellowBrush, nullptr) << "the palette is made by the constructor";
  EXPECT_NE(b.magentaPen, nullptr);
}

TEST(GoBoard, ArraysAreIndexedColumnThenRowWithTheEdgeRing) {
  GoBoard b;
  // Point (c, r) is element c * 21 + r in memory order.
  EXPECT_EQ(&b.cells[3][5] - &b.cells[0][0], 3 * 21 + 5);
  static_assert(sizeof(b.history) == 1024);
  static_assert(sizeof(b.setupText) == 768);
  static_assert(sizeof(b.treeText) == 8192);
  static_assert(sizeof(b.nodeOffset) / sizeof(int) == 501);
  static_assert(sizeof(b.nodeVisited) == 500);
  static_assert(sizeof(Flag) == 1);
  static_assert(std::has_virtual_destructor_v<GoBoard>);
  static_assert(!std::is_copy_constructible_v<GoBoard> && !std::is_copy_assignable_v<GoBoard>);
  // Fields lie in their declared order.
  auto at = [](const auto& field) { return reinterpret_cast<const char*>(&field); };
  EXPECT_LT(at(b.screenWidth), at(b.cellSize));
  EXPECT_LT(at(b.groupLabel), at(b.cells));
  EXPECT_LT(at(b.history), at(b.setupPointer));
  EXPECT_LT(at(b.treeText), at(b.solved));
  EXPECT_LT(at(b.magentaPen), at(b.soundOn));
  EXPECT_LT(at(b.mainWindow), at(b.goodText));
}

TEST(GoBoard, LettersAndNumbers) {
  struct Case {
    char letter;
    int number;
  };
  for (Case c : {Case{'A', 1}, Case{'S', 19}, Case{'T', 20}, Case{'@', 0}, Case{'1', -15}}) {
    EXPECT_EQ(GoBoard::letterToNumber(c.letter), c.number) << c.letter;
    EXPECT_EQ(GoBoard::numberToLetter(c.number), c.letter) << c.number;
  }
  // A byte above 127 counts as negative, so it never names a point.
  EXPECT_EQ(GoBoard::letterToNumber(static_cast<char>(0xC1)), -63 - 64);
  EXPECT_EQ(GoBoard::numberToLetter(200), static_cast<char>(264 & 0xff));
}

TEST(GoBoard, CellColourAndPass) {
  EXPECT_EQ(GoBoard::cellColour(1), black);
  EXPECT_EQ(GoBoard::cellColour(-1), white);
  EXPECT_EQ(GoBoard::cellColour(0), empty);
  EXPECT_EQ(GoBoard::cellColour(edge), black) << "the edge reads as occupied";
  EXPECT_TRUE(GoBoard::isPass(20, 20));
  EXPECT_FALSE(GoBoard::isPass(20, 19));
  EXPECT_FALSE(GoBoard::isPass(19, 20));
}

TEST(GoBoard, OnShownBoard) {
  GoBoard b;  // 15 x 17 on the default screen
  EXPECT_TRUE(b.onShownBoard(b.columnsShown, b.rowsShown));
  EXPECT_TRUE(b.onShownBoard(1, 1));
  EXPECT_FALSE(b.onShownBoard(20, 20));
  EXPECT_FALSE(b.onShownBoard(0, 1));
  EXPECT_FALSE(b.onShownBoard(1, 0));
  EXPECT_FALSE(b.onShownBoard(b.columnsShown + 1, 1));
  EXPECT_FALSE(b.onShownBoard(1, b.rowsShown + 1));
  EXPECT_FALSE(b.onShownBoard(GoBoard::letterToNumber('!'), 1));
}

struct SubstituteCase {
  const char* name;
  int columns, rows;
  std::initializer_list<BoardPoint> occupied;
  BoardPoint expected;
};

TEST(GoBoard, PassSubstituteTakesTheFirstEmptyPointOfTheCornerBlock) {
  const SubstituteCase cases[] = {
      {"empty corner", 6, 7, {}, {6, 7}},
      {"column from the bottom up first", 6, 7, {{6, 7}, {6, 6}}, {6, 5}},
      {"next column", 6, 7, {{6, 7}, {6, 6}, {6, 5}}, {5, 7}},
      {"last of nine",
       6,
       7,
       {{6, 7}, {6, 6}, {6, 5}, {5, 7}, {5, 6}, {5, 5}, {4, 7}, {4, 6}},
       {4, 5}},
      {"all nine taken",
       6,
       7,
       {{6, 7}, {6, 6}, {6, 5}, {5, 7}, {5, 6}, {5, 5}, {4, 7}, {4, 6}, {4, 5}},
       {20, 20}},
      // Fewer than three shown: only shown points count, never the edge ring.
      {"two columns", 2, 5, {{2, 5}, {2, 4}, {2, 3}}, {1, 5}},
      {"one by one, taken", 1, 1, {{1, 1}}, {20, 20}},
      {"one row", 4, 1, {{4, 1}}, {3, 1}},
  };
  for (const SubstituteCase& c : cases) {
    GoBoard b;
    b.columnsShown = c.columns;
    b.rowsShown = c.rows;
    for (BoardPoint p : c.occupied)
      b.cells[p.column][p.row] = (p.column + p.row) % 2 ? white : black;
    // A stone just outside the block must not matter.
    b.cells[c.columns][0] = edge;
    int column = 20, row = 20;
    b.passSubstitute(column, row);
    EXPECT_EQ(column, c.expected.column) << c.name;
    EXPECT_EQ(row, c.expected.row) << c.name;
  }
}

}  // namespace

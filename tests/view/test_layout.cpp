// Sizing, fitting and the mapping between points and pixels.
#include <gtest/gtest.h>

#include "board/go_board.h"
#include "platform/core/system.h"

namespace {

// A game object built for a screen of the given size.
struct ScreenBoard {
  explicit ScreenBoard(int w, int h) { platform::setScreenSize(w, h); }
  ~ScreenBoard() { platform::setScreenSize(240, 320); }
};

struct LayoutCase {
  int problemWidth, problemHeight;  // 0: right after construction
  int cellSize, stoneRadius, columns, rows;
  BoardPoint firstCentre, lastCentre;
};

TEST(Layout, WorkedExampleOnA240By320Screen) {
  const LayoutCase cases[] = {
      {0, 0, 16, 7, 15, 17, {7, 7}, {231, 263}},   {3, 3, 80, 39, 3, 4, {39, 39}, {199, 279}},
      {6, 6, 40, 19, 6, 7, {19, 19}, {219, 259}},  {10, 10, 24, 11, 10, 12, {11, 11}, {227, 275}},
      {12, 12, 20, 9, 12, 14, {9, 9}, {229, 269}}, {13, 9, 18, 8, 14, 15, {8, 8}, {242, 260}},
      {19, 19, 13, 5, 19, 19, {5, 5}, {239, 239}},
  };
  for (const LayoutCase& c : cases) {
    GoBoard b;
    ASSERT_EQ(b.clientWidth, 240);
    ASSERT_EQ(b.viewHeight, 268);
    ASSERT_EQ(b.boardAreaHeight, 268);
    if (c.problemWidth != 0) {
      b.problemWidth = c.problemWidth;
      b.problemHeight = c.problemHeight;
      b.sizeBoardForProblem();
    }
    SCOPED_TRACE(testing::Message() << c.problemWidth << "x" << c.problemHeight);
    EXPECT_EQ(b.cellSize, c.cellSize);
    EXPECT_EQ(b.stoneRadius, c.stoneRadius);
    EXPECT_EQ(b.columnsShown, c.columns);
    EXPECT_EQ(b.rowsShown, c.rows);
    EXPECT_EQ(b.columnToX(1), c.firstCentre.column);
    EXPECT_EQ(b.rowToY(1), c.firstCentre.row);
    EXPECT_EQ(b.columnToX(b.columnsShown), c.lastCentre.column);
    EXPECT_EQ(b.rowToY(b.rowsShown), c.lastCentre.row);
  }
}

TEST(Layout, PassPointMapsOneCellBeyondTheLastLine) {
  GoBoard b;
  b.problemWidth = b.problemHeight = 19;
  b.sizeBoardForProblem();
  EXPECT_EQ(b.columnToX(20), 252);
  EXPECT_EQ(b.rowToY(20), 252);
  EXPECT_EQ(b.columnToX(0), 5 - 13);
}

TEST(Layout, HitTestTargetsTheSquareAroundEachPoint) {
  GoBoard b;  // cell 16, radius 7
  struct Hit {
    int x, y;
    bool hit;
    BoardPoint point;
  };
  const Hit hits[] = {
      {20, 30, false, {}},     // row 2's centre is 23: 7 away, not < 6
      {20, 26, true, {2, 2}},  // 3 away on both axes
      {7, 7, true, {1, 1}},    // the centre itself
      {12, 7, true, {1, 1}},   // 5 away
      {13, 7, false, {}},      // 6 away: between two points
      {2, 7, true, {1, 1}},    // 5 away on the left
      {1, 7, false, {}},       // 6 away
      {239, 7, false, {}},     // column 15's centre is 231: too far
      {235, 263, true, {15, 17}},
      {240, 7, false, {}},  // right of the last shown column
      {7, 268 + 16 * 2, false, {}},
  };
  for (const Hit& h : hits) {
    BoardPoint p{-1, -1};
    EXPECT_EQ(b.pointAtPixel(h.x, h.y, p), h.hit) << h.x << "," << h.y;
    if (h.hit) {
      EXPECT_EQ(p.column, h.point.column) << h.x << "," << h.y;
      EXPECT_EQ(p.row, h.point.row) << h.x << "," << h.y;
    }
  }
  EXPECT_EQ(b.xToColumn(20), 2);
  EXPECT_EQ(b.xToColumn(240), 0) << "a pixel right of the last column, still in the view";
  EXPECT_EQ(b.yToRow(267), 17);
  EXPECT_EQ(b.yToRow(16 * 17), 0) << "below the last shown row";
}

TEST(Layout, CountsNeverExceedNineteenAndPartialRowsCountOnlyBelowIt) {
  struct Screen {
    int w, h;
    int cellSize, columns, rows;
  };
  const Screen screens[] = {
      // 19 x 19 problem: 12 and 14 give cell 12, grown until one count is 19 or less.
      {240, 320, 13, 19, 19},
      // 800 x 652: 42 and 31 give 30 (26 x 20); the cell grows to 31, rows become exactly 19.
      {800, 652, 31, 19, 19},
      // Narrow and tall: 20 columns of 6 grow to 17 of 7, plus the partial one; rows capped.
      {120, 2048, 7, 18, 19},
  };
  for (const Screen& s : screens) {
    ScreenBoard screen(s.w, s.h);
    GoBoard b;
    b.problemWidth = b.problemHeight = 19;
    b.sizeBoardForProblem();
    SCOPED_TRACE(testing::Message() << s.w << "x" << s.h);
    EXPECT_EQ(b.cellSize, s.cellSize);
    EXPECT_EQ(b.columnsShown, s.columns);
    EXPECT_EQ(b.rowsShown, s.rows);
    EXPECT_EQ(b.stoneRadius, (b.cellSize - 2) / 2);
  }
}

TEST(Layout, SmallestScreenStillShowsAtLeastOnePointEachWay) {
  ScreenBoard screen(120, 120);
  GoBoard b;
  EXPECT_EQ(b.boardAreaHeight, 68);
  EXPECT_GE(b.columnsShown, 1);
  EXPECT_GE(b.rowsShown, 1);
  for (int size : {3, 10, 19}) {
    b.problemWidth = b.problemHeight = size;
    b.sizeBoardForProblem();
    EXPECT_GE(b.cellSize, 6);
    EXPECT_GE(b.columnsShown, 1);
    EXPECT_GE(b.rowsShown, 1);
    EXPECT_LE(b.columnsShown, 19);
    EXPECT_LE(b.rowsShown, 19);
  }
}

}  // namespace

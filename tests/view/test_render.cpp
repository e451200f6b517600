// Drawing of the board: the pixel facts of each element, and the whole default board as a golden.
#include <gtest/gtest.h>

#include <functional>

#include "board/go_board.h"
#include "platform/core/system.h"
#include "platform/platform.h"
#include "shell/shell.h"
#include "tests/support/golden.h"
#include "tests/support/pixel_map.h"

using platform::Rect;
using platform::rgb;
using testing_support::Canvas;

namespace {

const platform::Rgb paper = rgb(200, 200, 200);  // neither board nor any mark
const platform::Rgb yellow = rgb(255, 255, 0);
const platform::Rgb blackInk = rgb(0, 0, 0);
const platform::Rgb whiteFill = rgb(255, 255, 255);
const platform::Rgb red = rgb(255, 0, 0);
const platform::Rgb green = rgb(0, 255, 0);
const platform::Rgb blue = rgb(0, 0, 255);
const platform::Rgb magenta = rgb(255, 0, 255);

// Bounds (right and bottom excluded) of the pixels for which `match` holds; empty if none.
Rect boundsOf(const Canvas& canvas, const std::function<bool(platform::Rgb)>& match) {
  Rect r{1 << 20, 1 << 20, -1, -1};
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x)
      if (match(canvas.at(x, y))) {
        r.left = std::min(r.left, x);
        r.top = std::min(r.top, y);
        r.right = std::max(r.right, x + 1);
        r.bottom = std::max(r.bottom, y + 1);
      }
  return r.right < 0 ? Rect{0, 0, 0, 0} : r;
}

void expectRect(const Rect& actual, const Rect& expected, const char* what) {
  EXPECT_EQ(actual.left, expected.left) << what;
  EXPECT_EQ(actual.top, expected.top) << what;
  EXPECT_EQ(actual.right, expected.right) << what;
  EXPECT_EQ(actual.bottom, expected.bottom) << what;
}

auto notPaper = [](platform::Rgb c) { return c != paper; };

TEST(Render, PixelFactsOfTheDefaultCell) {
  GoBoard b;  // cell 16, radius 7
  {
    Canvas canvas(40, 40, paper);
    b.drawEmptyPoint(canvas.surface(), 1, 1);
    expectRect(boundsOf(canvas, notPaper), Rect{0, 0, 15, 15}, "cell square and grid of (1, 1)");
    expectRect(boundsOf(canvas, [](platform::Rgb c) { return c == yellow; }), Rect{0, 0, 14, 14},
               "cell square covers 0..13");
    // Its vertical segment runs from the centre down to y = 14; its horizontal one to x = 14.
    for (int y = 0; y < 16; ++y) EXPECT_EQ(canvas.at(7, y) == blackInk, y >= 7 && y <= 14) << y;
    for (int x = 0; x < 16; ++x) EXPECT_EQ(canvas.at(x, 7) == blackInk, x >= 7 && x <= 14) << x;
  }
  {
    Canvas canvas(40, 40, paper);
    b.drawEmptyPoint(canvas.surface(), 1, 2);
    for (int y = 0; y < 40; ++y)
      EXPECT_EQ(canvas.at(7, y) == blackInk, y >= 15 && y <= 30) << "(1, 2) at y " << y;
  }
  {
    Canvas canvas(40, 40, paper);
    b.cells[1][1] = black;
    b.drawStone(canvas.surface(), 1, 1);
    b.cells[1][1] = empty;
    expectRect(boundsOf(canvas, [](platform::Rgb c) { return c == blackInk; }), Rect{0, 0, 15, 15},
               "stone with its grid");
    EXPECT_EQ(canvas.at(0, 7), blackInk) << "the stone reaches the left edge of its box";
    EXPECT_EQ(canvas.at(13, 7), blackInk);
    EXPECT_EQ(canvas.at(14, 7), blackInk) << "grid line beyond the stone";
    EXPECT_EQ(canvas.at(14, 6), paper) << "nothing else beyond the box";
  }
  {
    Canvas canvas(40, 40, paper);
    b.drawHintMark(canvas.surface(), 1, 1);
    expectRect(boundsOf(canvas, notPaper), Rect{1, 1, 13, 13}, "hint mark");
    EXPECT_EQ(canvas.at(7, 7), green);
  }
  {
    Canvas canvas(40, 40, paper);
    b.drawLastMoveDot(canvas.surface(), 1, 1);
    expectRect(boundsOf(canvas, notPaper), Rect{5, 5, 9, 9}, "last-move dot");
  }
  {
    Canvas canvas(40, 40, paper);
    b.drawMarker(canvas.surface());
    expectRect(boundsOf(canvas, notPaper), Rect{0, 0, 14, 14}, "marker");
    for (auto [x, y] : {std::pair{0, 0}, {0, 13}, {13, 13}, {13, 0}, {0, 6}, {6, 13}})
      EXPECT_EQ(canvas.at(x, y), red) << x << "," << y;
    EXPECT_EQ(canvas.at(6, 6), paper) << "not filled";
  }
}

TEST(Render, StarPointSizeFollowsTheRadius) {
  struct Case {
    int cellSize;  // radius (cell - 2) / 2
    int size;      // of the star point's box
  };
  for (Case c : {Case{8, 2}, Case{10, 3}, Case{16, 4}, Case{40, 4}}) {
    GoBoard b;
    b.cellSize = c.cellSize;
    b.stoneRadius = (c.cellSize - 2) / 2;
    Canvas canvas(20 * c.cellSize, 20 * c.cellSize, paper);
    b.drawStarPoint(canvas.surface(), 4, 4);
    const int x = b.columnToX(4), y = b.rowToY(4);
    const int low = c.size == 4 ? 2 : 1;
    expectRect(boundsOf(canvas, notPaper),
               Rect{x - low, y - low, x - low + c.size, y - low + c.size}, "star point");
    EXPECT_EQ(boundsOf(canvas, [](platform::Rgb p) { return p == blackInk; }).right > 0, true);
  }
}

TEST(Render, StoneHidesTheStarPointAndItsRemovalBringsItBack) {
  GoBoard b;
  Canvas canvas(120, 120, paper);
  auto hasBlue = [&] {
    return boundsOf(canvas, [](platform::Rgb c) { return c == blue; }).right > 0;
  };
  b.drawPoint(canvas.surface(), 4, 4);
  EXPECT_TRUE(hasBlue());
  b.cells[4][4] = white;
  b.drawPoint(canvas.surface(), 4, 4);
  EXPECT_FALSE(hasBlue());
  EXPECT_EQ(canvas.at(b.columnToX(4), b.rowToY(4)), whiteFill);
  b.cells[4][4] = empty;
  b.drawPoint(canvas.surface(), 4, 4);
  EXPECT_TRUE(hasBlue());
}

TEST(Render, OddCellLeavesAGapInTheGridAndTheCornerCentreUnpainted) {
  GoBoard b;
  b.problemWidth = b.problemHeight = 19;
  b.sizeBoardForProblem();  // cell 13, radius 5
  ASSERT_EQ(b.cellSize, 13);
  Canvas canvas(240, 268, paper);
  b.drawBoardBackground(canvas.surface());
  for (int c = 1; c <= 19; ++c)
    for (int r = 1; r <= 19; ++r) b.drawEmptyPoint(canvas.surface(), c, r);
  // Between the horizontal segments of (2, 1) and (3, 1) one pixel keeps the background.
  const int y = b.rowToY(1);
  EXPECT_EQ(canvas.at(b.columnToX(2) + 6, y), yellow);
  EXPECT_EQ(canvas.at(b.columnToX(2) + 5, y), blackInk);
  EXPECT_EQ(canvas.at(b.columnToX(3) - 6, y), blackInk);
  // At (19, 19) both segments end in the centre, which stays unpainted.
  EXPECT_EQ(canvas.at(b.columnToX(19), b.rowToY(19)), yellow);
  EXPECT_EQ(canvas.at(b.columnToX(19) - 1, b.rowToY(19)), blackInk);
  EXPECT_EQ(canvas.at(b.columnToX(19) + 1, b.rowToY(19)), yellow) << "the edge line stops";
}

TEST(Render, EvenCellGridRunsUnbroken) {
  GoBoard b;  // cell 16
  Canvas canvas(240, 268, paper);
  b.paintBoard(canvas.surface());
  const int y = b.rowToY(3);
  const int end = b.columnToX(b.columnsShown) + b.stoneRadius + 1;
  for (int x = b.columnToX(1); x < end; ++x) ASSERT_EQ(canvas.at(x, y), blackInk) << x;
}

TEST(Render, FreePlayHasAMagentaGridAndTheCornerMark) {
  GoBoard b;
  b.freePlay = 1;
  b.cells[2][2] = black;
  Canvas canvas(240, 268, paper);
  b.paintBoard(canvas.surface());
  EXPECT_EQ(canvas.at(b.columnToX(5), b.rowToY(5)), magenta);
  EXPECT_EQ(boundsOf(canvas, [](platform::Rgb c) { return c == blackInk; }).right > 0, true);
  EXPECT_EQ(canvas.at(b.columnToX(2) - b.stoneRadius, b.rowToY(2)), blackInk)
      << "stone outlines stay black";
  // Only the diagonal of the corner triangle lies inside the view, and the cell squares of the
  // last column, drawn after it, cover all of it but the two pixels right of them.
  EXPECT_EQ(canvas.at(238, 264), red);
  EXPECT_EQ(canvas.at(239, 263), red);
  EXPECT_EQ(canvas.at(237, 265), yellow);
  EXPECT_NE(canvas.at(239, 267), red);
  Canvas background(240, 268, paper);
  b.drawBoardBackground(background.surface());
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(background.at(234 + i, 268 - i), red) << i;
  EXPECT_NE(background.at(234, 267), red);
  b.freePlay = 0;
  Canvas solving(240, 268, paper);
  b.paintBoard(solving.surface());
  EXPECT_EQ(solving.at(b.columnToX(5), b.rowToY(5)), blackInk);
  EXPECT_NE(solving.at(237, 265), red);
}

TEST(Render, HintMarkOnlyOnEmptyShownPoints) {
  GoBoard b;
  Canvas canvas(260, 300, paper);
  b.cells[3][3] = black;
  b.drawHintMark(canvas.surface(), 3, 3);
  b.drawHintMark(canvas.surface(), b.columnsShown + 1, 1);
  b.drawHintMark(canvas.surface(), 20, 20);
  EXPECT_EQ(boundsOf(canvas, notPaper).right, 0);
  b.drawLastMoveDot(canvas.surface(), 0, 0);
  b.drawLastMoveDot(canvas.surface(), 20, 20);
  EXPECT_EQ(boundsOf(canvas, notPaper).right, 0) << "no dot off the shown board";
}

TEST(Render, BoardBackgroundStopsAtTheBoardsEdge) {
  GoBoard b;
  b.problemWidth = b.problemHeight = 19;
  b.sizeBoardForProblem();  // 19 * 13 + 2 = 249
  Canvas canvas(240, 268, paper);
  b.drawBoardBackground(canvas.surface());
  expectRect(boundsOf(canvas, notPaper), Rect{0, 0, 240, 249}, "19 x 19 board");
}

TEST(Render, EmptyDefaultBoardMatchesItsGolden) {
  ASSERT_TRUE(shell::restart().running);
  // The board before the first problem opens: the queued opening command is left out.
  shell::runUntilIdle(
      [](void*, const platform::Message& m) { return m.id != platform::msg::command; }, nullptr);
  EXPECT_TRUE(testing_support::matchesGolden("empty_board_240x320"));
  goBoard.mainWindow = nullptr;
  platform::resetState();
}

}  // namespace

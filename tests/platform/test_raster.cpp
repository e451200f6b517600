// The rasteriser's pixel rules, on tiny canvases read back as ASCII maps.
#include <gtest/gtest.h>

#include "platform/core/surface.h"
#include "platform/platform.h"
#include "tests/support/pixel_map.h"

using platform::Point;
using platform::Rect;
using platform::rgb;
using testing_support::Canvas;
using testing_support::lines;

namespace {

const platform::Rgb paper = rgb(255, 255, 255);
const platform::Rgb ink = rgb(0, 0, 0);
const platform::Rgb fillColour = rgb(0, 0, 255);
const std::map<platform::Rgb, char> legend{{paper, '.'}, {ink, '#'}, {fillColour, 'o'}};

struct Tools {
  platform::Pen pen = platform::createPen(ink);
  platform::Brush brush = platform::createSolidBrush(fillColour);
  ~Tools() {
    platform::deletePen(pen);
    platform::deleteBrush(brush);
  }
};

TEST(Raster, FillRectExcludesRightAndBottomEdges) {
  Canvas canvas(6, 5);
  Tools tools;
  platform::fillRect(canvas.surface(), Rect{1, 1, 4, 3}, tools.brush);
  EXPECT_EQ(canvas.map(legend), lines({"......",  //
                                       ".ooo..",  //
                                       ".ooo..",  //
                                       "......",  //
                                       "......"}));
}

TEST(Raster, EmptyOrInvertedRectanglesPaintNothing) {
  Canvas canvas(4, 4);
  Tools tools;
  for (Rect r : {Rect{2, 1, 2, 3}, Rect{1, 2, 3, 2}, Rect{3, 1, 1, 3}})
    platform::fillRect(canvas.surface(), r, tools.brush);
  EXPECT_EQ(canvas.map(legend), lines({"....", "....", "....", "...."}));
}

TEST(Raster, PolylineLeavesItsLastPointUnpainted) {
  Canvas canvas(6, 5);
  Tools tools;
  platform::selectPen(canvas.surface(), tools.pen);
  const Point square[] = {{1, 1}, {1, 3}, {4, 3}, {4, 1}, {1, 1}};
  platform::polyline(canvas.surface(), square, 5);
  // Closed: the last point is the first, painted as the start of the first segment.
  EXPECT_EQ(canvas.map(legend), lines({"......",  //
                                       ".####.",  //
                                       ".#..#.",  //
                                       ".####.",  //
                                       "......"}));

  Canvas open(5, 3);
  platform::selectPen(open.surface(), tools.pen);
  const Point segment[] = {{0, 1}, {4, 1}};
  platform::polyline(open.surface(), segment, 2);
  EXPECT_EQ(open.map(legend), lines({".....", "####.", "....."}));
}

TEST(Raster, DiagonalPolylineStepsOnePixelPerRow) {
  Canvas canvas(5, 5);
  Tools tools;
  platform::selectPen(canvas.surface(), tools.pen);
  const Point diagonal[] = {{4, 0}, {0, 4}};
  platform::polyline(canvas.surface(), diagonal, 2);
  EXPECT_EQ(canvas.map(legend), lines({"....#", "...#.", "..#..", ".#...", "....."}));
}

TEST(Raster, EllipseStaysInsideItsBoxAndTouchesEverySide) {
  Tools tools;
  for (int w = 1; w <= 24; ++w) {
    for (int h : {w, w + 3}) {
      Canvas canvas(w + 4, h + 4);
      platform::selectPen(canvas.surface(), tools.pen);
      platform::selectBrush(canvas.surface(), tools.brush);
      platform::ellipse(canvas.surface(), 2, 2, 2 + w, 2 + h);
      int minX = 99, maxX = -1, minY = 99, maxY = -1;
      for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
          if (canvas.at(x, y) != paper) {
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
          }
      EXPECT_EQ(minX, 2) << w << "x" << h;
      EXPECT_EQ(maxX, 1 + w) << w << "x" << h;
      EXPECT_EQ(minY, 2) << w << "x" << h;
      EXPECT_EQ(maxY, 1 + h) << w << "x" << h;
    }
  }
}

TEST(Raster, EllipseIsOutlinedWithThePenAndFilledWithTheBrush) {
  Canvas canvas(8, 8);
  Tools tools;
  platform::selectPen(canvas.surface(), tools.pen);
  platform::selectBrush(canvas.surface(), tools.brush);
  platform::ellipse(canvas.surface(), 0, 0, 8, 8);
  EXPECT_EQ(canvas.map(legend), lines({"..####..",  //
                                       ".#oooo#.",  //
                                       "#oooooo#",  //
                                       "#oooooo#",  //
                                       "#oooooo#",  //
                                       "#oooooo#",  //
                                       ".#oooo#.",  //
                                       "..####.."}));
}

TEST(Raster, EllipseIsSymmetric) {
  Tools tools;
  for (int size : {4, 5, 11, 14, 15, 78}) {
    Canvas canvas(size, size);
    platform::selectPen(canvas.surface(), tools.pen);
    platform::selectBrush(canvas.surface(), tools.brush);
    platform::ellipse(canvas.surface(), 0, 0, size, size);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        ASSERT_EQ(canvas.at(x, y), canvas.at(size - 1 - x, y)) << size << " at " << x << "," << y;
        ASSERT_EQ(canvas.at(x, y), canvas.at(y, x)) << size << " at " << x << "," << y;
      }
  }
}

TEST(Raster, DrawingIsClippedToTheSurface) {
  Canvas canvas(6, 4);
  Tools tools;
  canvas.clipTo(Rect{2, 1, 5, 3});
  platform::fillRect(canvas.surface(), Rect{0, 0, 6, 4}, tools.brush);
  platform::selectPen(canvas.surface(), tools.pen);
  const Point line[] = {{0, 2}, {6, 2}};
  platform::polyline(canvas.surface(), line, 2);
  EXPECT_EQ(canvas.map(legend), lines({"......",  //
                                       "..ooo.",  //
                                       "..###.",  //
                                       "......"}));
  // Far outside the framebuffer: nothing is touched and nothing breaks.
  platform::fillRect(canvas.surface(), Rect{-100, -100, -50, -50}, tools.brush);
  platform::ellipse(canvas.surface(), 100, 100, 140, 140);
}

TEST(Raster, ClipRegionOfSeveralRectanglesPaintsOnlyThem) {
  Canvas canvas(6, 3);
  Tools tools;
  canvas.clipTo(Rect{0, 0, 2, 3});
  canvas.surface()->clip.add(Rect{4, 1, 6, 2});
  platform::fillRect(canvas.surface(), Rect{0, 0, 6, 3}, tools.brush);
  EXPECT_EQ(canvas.map(legend), lines({"oo....", "oo..oo", "oo...."}));
}

TEST(Raster, SurfaceOriginOffsetsDrawing) {
  Canvas canvas(5, 5);
  Tools tools;
  canvas.surface()->originX = 2;
  canvas.surface()->originY = 1;
  platform::fillRect(canvas.surface(), Rect{0, 0, 2, 2}, tools.brush);
  EXPECT_EQ(canvas.map(legend), lines({".....", "..oo.", "..oo.", ".....", "....."}));
}

TEST(Raster, ToolPoolsAreReused) {
  // Creating and deleting far more tools than the pool holds must never run out.
  for (int i = 0; i < 1000; ++i) {
    platform::Brush b = platform::createSolidBrush(rgb(i, 0, 0));
    platform::Pen p = platform::createPen(rgb(0, i, 0));
    ASSERT_NE(b, nullptr);
    ASSERT_NE(p, nullptr);
    platform::deleteBrush(b);
    platform::deletePen(p);
  }
}

}  // namespace

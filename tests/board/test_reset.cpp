// Position reset with the setup stones, and takeback by replay.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "board/go_board.h"
#include "platform/core/framebuffer.h"
#include "platform/core/system.h"
#include "platform/headless/headless.h"
#include "shell/shell.h"

namespace {

// The first four rows of the shown board as X, O and ., row 1 first.
std::string boardText(const GoBoard& b) {
  std::string out;
  for (int row = 1; row <= 4; ++row) {
    for (int column = 1; column <= b.columnsShown; ++column) {
      const Colour c = GoBoard::cellColour(b.cells[column][row]);
      out += c == black ? 'X' : c == white ? 'O' : '.';
    }
    out += '\n';
  }
  return out;
}

// A board with the given setup text on a 6 x 4 region (shown 6 x 7 on the default screen).
void setUp(GoBoard& b, const char* setup) {
  std::strcpy(b.setupText, setup);
  std::strcpy(b.treeText, "00000~");
  b.problemWidth = 6;
  b.problemHeight = 4;
  b.indexProblemTree();
}

std::string rows(std::initializer_list<const char*> lines) {
  std::string out;
  for (const char* line : lines) (out += line) += '\n';
  return out;
}

TEST(Reset, SetupStonesByPart) {
  struct Case {
    const char* setup;
    std::string board;
  };
  const Case cases[] = {
      {"AABB CC|", rows({"X.....", ".X....", "..O...", "......"})},
      {"AAB CC|", rows({"......", "......", "..O...", "......"})},  // odd black part: skipped
      {"AABB |", rows({"X.....", ".X....", "......", "......"})},
      {"AA CCD|", rows({"X.....", "......", "......", "......"})},  // odd white part: skipped
      {" |", rows({"......", "......", "......", "......"})},
      {"AAGA CC|", rows({"X.....", "......", "..O...", "......"})},  // G is beyond the 6 shown
      {"AAAE BATA|", rows({"XO....", "......", "......", "......"})},
      {"AAAA AA|", rows({"X.....", "......", "......", "......"})},  // a point given twice
  };
  for (const Case& c : cases) {
    GoBoard b;
    setUp(b, c.setup);
    ASSERT_EQ(b.columnsShown, 6);
    EXPECT_EQ(boardText(b), c.board) << c.setup;
    EXPECT_EQ(b.history[0], '\0');
    EXPECT_EQ(b.moveNumber, 1);
    EXPECT_EQ(b.sideToMove, black);
    EXPECT_EQ(b.lastMove.column, 1);
    EXPECT_EQ(b.lastMove.row, 1);
  }
}

TEST(Reset, SetupStonesAreLabelledAsChains) {
  GoBoard b;
  setUp(b, "AABAAB DDED|");
  EXPECT_EQ(b.groupLabel[1][1], b.groupLabel[2][1]);
  EXPECT_EQ(b.groupLabel[1][1], b.groupLabel[1][2]);
  EXPECT_EQ(b.groupLabel[4][4], b.groupLabel[5][4]);
  EXPECT_NE(b.groupLabel[1][1], b.groupLabel[4][4]);
  EXPECT_NE(b.groupLabel[1][1], 0);
}

TEST(Reset, ResetClearsEverythingButTheMarkerAndTheWalk) {
  GoBoard b;
  setUp(b, "CCDC CD|");
  ASSERT_TRUE(b.playMove(1, 1, false));
  b.variationPending = 1;
  b.markedPoint = BoardPoint{4, 2};
  b.currentNode = 3;
  b.resetPosition(false);
  EXPECT_EQ(b.variationPending, 0);
  EXPECT_EQ(b.markedPoint.column, 4);
  EXPECT_EQ(b.currentNode, 3);
  EXPECT_EQ(b.lastCaptureCount, 0);
  EXPECT_EQ(boardText(b), rows({"......", "......", "..XX..", "..O..."}));
}

TEST(Takeback, NothingToTakeBackChangesNothing) {
  GoBoard b;
  setUp(b, "CCDC CD|");
  std::vector<unsigned char> before(sizeof b);
  std::memcpy(before.data(), &b, sizeof b);
  b.takeBackOne();
  EXPECT_EQ(std::memcmp(before.data(), &b, sizeof b), 0);
}

TEST(Takeback, RebuildsThePositionAfterEveryEarlierMove) {
  struct Step {
    int column, row;
  };
  GoBoard b;
  setUp(b, "AABB AB|");
  // White at (1, 2) is captured by Black at (1, 3); then moves elsewhere and a pass.
  const Step moves[] = {{1, 3}, {5, 1}, {6, 4}, {20, 20}, {4, 4}};
  std::vector<std::string> boards{boardText(b)};
  std::vector<std::string> histories{""};
  for (Step m : moves) {
    ASSERT_TRUE(b.playMove(m.column, m.row, false)) << m.column << "," << m.row;
    boards.push_back(boardText(b));
    histories.push_back(b.history);
  }
  ASSERT_EQ(boards[0], rows({"X.....", "OX....", "......", "......"}));
  ASSERT_EQ(boards[1], rows({"X.....", ".X....", "X.....", "......"})) << "the capture";
  for (int n = static_cast<int>(std::size(moves)); n >= 1; --n) {
    b.takeBackOne();
    EXPECT_EQ(boardText(b), boards[n - 1]) << "after taking back move " << n;
    EXPECT_EQ(std::string(b.history), histories[n - 1]);
    EXPECT_EQ(b.moveNumber, n);
    EXPECT_EQ(b.sideToMove, n % 2 == 1 ? black : white);
  }
  EXPECT_EQ(b.lastMove.column, 1);
  EXPECT_EQ(b.lastMove.row, 1);
}

TEST(Takeback, ThreeMoveRecordWithAPassReplayedToTwo) {
  GoBoard b;
  setUp(b, " |");
  ASSERT_TRUE(b.playMove(4, 3, false));
  ASSERT_TRUE(b.playMove(20, 20, false));
  ASSERT_TRUE(b.playMove(5, 3, false));
  b.replayMoves(2);
  EXPECT_EQ(boardText(b), rows({"......", "......", "...X..", "......"}));
  EXPECT_EQ(b.moveNumber, 3);
  EXPECT_EQ(b.sideToMove, black);
  EXPECT_EQ(b.lastMove.column, 20);
  EXPECT_EQ(b.lastMove.row, 20);
  EXPECT_STREQ(b.history, "DCTT");
}

TEST(Takeback, RestoresTheKoBanAndTheCapturedStone) {
  GoBoard b;
  setUp(b, "BAABCBBC CADBCC|");
  ASSERT_EQ(boardText(b), rows({".XO...", "X.XO..", ".XO...", "......"}));
  ASSERT_TRUE(b.playMove(20, 20, false));
  ASSERT_TRUE(b.playMove(2, 2, false)) << "White takes the ko";
  ASSERT_EQ(boardText(b), rows({".XO...", "XO.O..", ".XO...", "......"}));
  EXPECT_FALSE(b.playMove(3, 2, false)) << "the immediate recapture";
  ASSERT_TRUE(b.playMove(6, 4, false)) << "Black plays elsewhere, which lifts the ban";
  ASSERT_TRUE(b.playMove(5, 4, false));
  b.takeBackOne();
  b.takeBackOne();
  EXPECT_EQ(b.sideToMove, black);
  EXPECT_FALSE(b.playMove(3, 2, false)) << "the ban is back with the position";
  b.takeBackOne();
  EXPECT_EQ(boardText(b), rows({".XO...", "X.XO..", ".XO...", "......"}))
      << "the captured stone is back";
}

class TakebackDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(shell::restart().running);
    board.mainWindow = goBoard.mainWindow;
    // The marker is the tutor's to redraw; keep it off the view here.
    board.markedPoint = PassPoint;
    setUp(board, "AABA CB|");
    pump();
  }
  void TearDown() override {
    goBoard.mainWindow = nullptr;
    platform::resetState();
  }
  void pump() {
    platform::Message m{};
    while (platform::peekMessage(m)) {
      if (m.id == platform::msg::paint) {
        platform::Surface s = platform::beginPaint(m.window, nullptr);
        board.paintBoard(s);
        platform::endPaint(m.window, s);
      }
    }
  }
  std::vector<std::uint32_t> screen() const {
    namespace fb = platform::framebuffer;
    return std::vector<std::uint32_t>(fb::pixels(), fb::pixels() + fb::width() * fb::height());
  }
  // The screen as a fresh full paint of the same position would draw it.
  std::vector<std::uint32_t> repainted() {
    platform::invalidateRect(board.mainWindow, nullptr, false);
    pump();
    return screen();
  }
  GoBoard board;
};

TEST_F(TakebackDrawing, RedrawsOnlyWhatChangedAndMatchesAFullPaint) {
  ASSERT_TRUE(board.playMove(4, 3, true));  // Black
  ASSERT_TRUE(board.playMove(4, 2, true));  // White
  ASSERT_TRUE(board.playMove(2, 2, true));  // Black
  platform::headless::takeRecord();
  board.takeBackOne();
  // Two points change (the stone at (2, 2) and the dot at (4, 2)): one present each.
  EXPECT_EQ(platform::headless::takeRecord().presents, 2);
  const std::vector<std::uint32_t> afterTakeback = screen();
  EXPECT_EQ(afterTakeback, repainted());
}

TEST_F(TakebackDrawing, TakingBackTheOnlyMoveGivesTheCornerStoneTheDot) {
  ASSERT_TRUE(board.playMove(5, 3, true));
  board.takeBackOne();
  EXPECT_EQ(board.lastMove.column, 1);
  EXPECT_EQ(board.lastMove.row, 1);
  const std::vector<std::uint32_t> afterTakeback = screen();
  EXPECT_EQ(afterTakeback, repainted()) << "setup stone on (1, 1) with its dot, (5, 3) empty";
}

TEST_F(TakebackDrawing, ResetAsksForAFullRepaintOrDrawsNothing) {
  platform::headless::takeRecord();
  board.resetPosition(false);
  pump();
  EXPECT_EQ(platform::headless::takeRecord().presents, 0);
  board.markedPoint = BoardPoint{3, 3};
  board.resetPosition(true);
  pump();
  EXPECT_EQ(platform::headless::takeRecord().presents, 1);
  EXPECT_EQ(board.markedPoint.column, 3);
  EXPECT_EQ(board.markedPoint.row, 3);
}

}  // namespace

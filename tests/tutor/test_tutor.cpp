// The tutor through the real window procedure on the headless host: verdicts with their
// notifications and sounds, the opponent's choice of replies, takeback, next variation, hint,
// input in both modes, the pass, the banner, and every catalogue problem solved by the script
// runner.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "board/consistency.h"
#include "board/go_board.h"
#include "platform/core/framebuffer.h"
#include "platform/core/system.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "problems/catalogue.h"
#include "shell/shell.h"
#include "tests/support/golden.h"
#include "view/status_banner.h"

namespace {

namespace fb = platform::framebuffer;
using platform::Cursor;
using Frame = std::vector<std::uint32_t>;

const platform::Rgb hintGreen = platform::rgb(0, 255, 0);
const platform::Rgb markerRed = platform::rgb(255, 0, 0);
const platform::Rgb ink = platform::rgb(0, 0, 0);
const platform::Rgb paper = platform::rgb(255, 255, 255);

// The player's move A (2, 2) has two replies, each followed by a correct leaf:
// nodes 1 A; 2 R1 (3, 3), 3 its leaf (4, 4); 4 R2 (1, 3), 5 its leaf (2, 4).
constexpr const char* twoReplies = "00000~1BB0 ~2CC0 ~3DD1 ~2AC0 ~3BD1 ~";
// Nodes 1 (2, 2), the one correct move, ending the line at once.
constexpr const char* firstMoveWins = "00000~1BB1 ~";

const std::vector<unsigned> none{};
const std::vector<std::string> silent{};

// What the program did since the last look.
struct Seen {
  std::vector<unsigned> notifications;
  std::vector<std::string> sounds;
  std::vector<int> sleeps;
  std::vector<Cursor> cursors;
  int presents = 0;
};

std::u16string bannerText() {
  const char16_t* text = banner::standingText();
  return text == nullptr ? u"" : text;
}

class Tutor : public ::testing::Test {
 protected:
  void SetUp() override { start(platform::languageEnglish); }

  void TearDown() override { stop(); }

  void start(int language) {
    platform::headless::setLanguage(language);
    ASSERT_TRUE(shell::restart().running);
    seen();
  }

  void stop() {
    platform::headless::setSleepHook(nullptr);
    goBoard.mainWindow = nullptr;
    platform::resetState();
  }

  // A problem of 6 x 4 points, shown 6 x 7 with 40-pixel cells; the pass substitute block is
  // columns 4..6, rows 5..7.
  void open(const char* setup, const char* tree) {
    std::strcpy(goBoard.setupText, setup);
    std::strcpy(goBoard.treeText, tree);
    goBoard.problemWidth = 6;
    goBoard.problemHeight = 4;
    goBoard.indexProblemTree();
    seen();
  }

  void openCatalogue(int n) {
    goBoard.problemNumber = n;
    goBoard.loadProblem();
    seen();
  }

  // Runs the program's loop until idle, keeping the notifications.
  void pump() {
    const shell::LoopResult result = shell::runUntilIdle(
        [](void* context, const platform::Message& m) {
          if (m.id >= notifyMoveAccepted && m.id <= notifyProblemOpened)
            static_cast<Tutor*>(context)->notifications.push_back(m.id);
          return true;
        },
        this);
    ASSERT_EQ(result.end, shell::LoopResult::End::idle);
  }

  Seen seen() {
    pump();
    platform::headless::Record r = platform::headless::takeRecord();
    Seen s{std::move(notifications), r.sounds, r.sleeps, r.cursors, r.presents};
    notifications.clear();
    return s;
  }

  void push(platform::host::EventKind kind, int x, int y) {
    platform::headless::pushEvent({kind, x, y + platform::topBarHeight, 0});
  }

  // A stylus tap at client pixel (x, y).
  void tapPixel(int x, int y) {
    push(platform::host::EventKind::stylusDown, x, y);
    push(platform::host::EventKind::stylusUp, x, y);
    pump();
  }
  void tap(int column, int row) { tapPixel(goBoard.columnToX(column), goBoard.rowToY(row)); }
  void key() {
    platform::headless::pushEvent({platform::host::EventKind::key, 0, 0, 13});
    pump();
  }
  void secondary() {
    push(platform::host::EventKind::secondaryUp, 10, 10);
    pump();
  }
  void hover(int x, int y) {
    push(platform::host::EventKind::stylusMove, x, y);
    pump();
  }
  void hoverPoint(int column, int row) { hover(goBoard.columnToX(column), goBoard.rowToY(row)); }

  // Rows 1..4 of the board, X Black, O White, . empty, each ending in a newline.
  static std::string rows() {
    std::string out;
    for (int row = 1; row <= 4; ++row) {
      for (int column = 1; column <= goBoard.columnsShown; ++column) {
        const Colour c = GoBoard::cellColour(goBoard.cells[column][row]);
        out += c == black ? 'X' : c == white ? 'O' : '.';
      }
      out += '\n';
    }
    return out;
  }

  static Frame screen() { return Frame(fb::pixels(), fb::pixels() + fb::width() * fb::height()); }
  // A pixel of a frame at client coordinates.
  static std::uint32_t at(const Frame& frame, int x, int y) {
    return frame[(y + platform::topBarHeight) * fb::width() + x];
  }
  static std::uint32_t centre(const Frame& frame, int column, int row) {
    return at(frame, goBoard.columnToX(column), goBoard.rowToY(row));
  }
  static std::uint32_t markerCorner(const Frame& frame, int column, int row) {
    return at(frame, goBoard.columnToX(column) - goBoard.stoneRadius,
              goBoard.rowToY(row) - goBoard.stoneRadius);
  }
  // The shown points whose centre is hint green.
  static std::vector<BoardPoint> greenPoints(const Frame& frame) {
    std::vector<BoardPoint> found;
    for (int column = 1; column <= goBoard.columnsShown; ++column)
      for (int row = 1; row <= goBoard.rowsShown; ++row)
        if (goBoard.rowToY(row) < goBoard.viewHeight && centre(frame, column, row) == hintGreen)
          found.push_back(BoardPoint{column, row});
    return found;
  }
  static bool anyGreen(const Frame& frame) {
    for (std::uint32_t p : frame)
      if (p == hintGreen) return true;
    return false;
  }

  // Keeps a copy of the screen as it stands during every sleep.
  void captureSleeps() {
    platform::headless::setSleepHook([this](int) { duringSleep.push_back(screen()); });
  }

  // Plays the open problem to "Success" by taps, taking the first correct answer at each turn
  // and tapping once more after "Good". Returns the taps as client pixels.
  std::vector<platform::Point> solveByTaps() {
    std::vector<platform::Point> taps;
    for (int guard = 0; guard < 100 && goBoard.solved == 0; ++guard) {
      platform::Point target{0, 0};  // any tap takes the next variation after "Good"
      if (goBoard.variationPending == 0) {
        char answers[256];
        if (goBoard.sideToMove != black || goBoard.collectAnswers(answers) < 2) {
          ADD_FAILURE() << "no correct answer at node " << goBoard.currentNode << " after "
                        << goBoard.history;
          break;
        }
        BoardPoint p{GoBoard::letterToNumber(answers[0]), GoBoard::letterToNumber(answers[1])};
        if (GoBoard::isPass(p.column, p.row)) goBoard.passSubstitute(p.column, p.row);
        if (!goBoard.onShownBoard(p.column, p.row)) {
          ADD_FAILURE() << "answer " << answers[0] << answers[1] << " cannot be tapped";
          break;
        }
        target = platform::Point{goBoard.columnToX(p.column), goBoard.rowToY(p.row)};
      }
      taps.push_back(target);
      tapPixel(target.x, target.y);
    }
    return taps;
  }

  std::vector<unsigned> notifications;
  std::vector<Frame> duringSleep;
};

// ---- verdicts ----

// "Good" after the opponent's reply, Black to move: node 4 (5, 5) ends the first line, and the
// other reply, node 5 (1, 3), waits.
constexpr const char* goodAfterAReply = "00000~1BB0 ~2CC0 ~3DD0 ~4EE1 ~2AC0 ~3BD1 ~";

TEST_F(Tutor, NextVariationAfterAPassOffTheTreeLeavesNoFailureBehind) {
  open(" |", goodAfterAReply);
  tap(2, 2);
  tap(4, 4);
  seen();
  ASSERT_EQ(bannerText(), u"Good");
  goBoard.answerMove(PassPoint.column, PassPoint.row);  // "Pass": off the tree
  seen();
  ASSERT_EQ(goBoard.offTree, 1);
  ASSERT_EQ(goBoard.failed, 1);

  goBoard.nextVariation();
  seen();
  EXPECT_STREQ(goBoard.history, "BBAC");
  EXPECT_EQ(goBoard.offTree, 0);
  EXPECT_EQ(goBoard.failed, 0);
  EXPECT_EQ(checkConsistency(goBoard), "");
  goBoard.showHint();
  seen();
  EXPECT_STREQ(goBoard.history, "BBAC") << "the hint kept the variation's reply";
  EXPECT_EQ(goBoard.markedPoint.column, 2) << "the hint marks the answer (2, 4)";
  EXPECT_EQ(goBoard.markedPoint.row, 4);
}

TEST_F(Tutor, TwoRepliesGiveGoodThenTheNextVariationThenSuccessAndARestartForgets) {
  open(" |", twoReplies);

  tap(2, 2);
  Seen s = seen();
  EXPECT_EQ(s.notifications, std::vector<unsigned>{notifyMoveAccepted});
  EXPECT_EQ(s.sounds, std::vector<std::string>{"1999"});
  EXPECT_EQ(s.sleeps, std::vector<int>{200});
  EXPECT_EQ(rows(), "......\n.X....\n..O...\n......\n") << "the first reply, R1";
  EXPECT_EQ(goBoard.currentNode, 2);
  EXPECT_EQ(bannerText(), u"");

  tap(4, 4);
  s = seen();
  EXPECT_EQ(s.notifications, (std::vector<unsigned>{notifyMoveAccepted, notifyVariationWaiting}));
  EXPECT_EQ(s.sounds, (std::vector<std::string>{"1999", "2030"}));
  EXPECT_EQ(s.sleeps, std::vector<int>{});
  EXPECT_EQ(bannerText(), u"Good");
  EXPECT_EQ(goBoard.variationPending, 1);
  EXPECT_EQ(goBoard.branchNode, 1);
  EXPECT_EQ(goBoard.branchChild, 4);
  EXPECT_EQ(goBoard.solved, 0);

  tap(5, 1);  // used up by the next variation
  s = seen();
  EXPECT_EQ(s.notifications, std::vector<unsigned>{notifyProblemOpened});
  EXPECT_EQ(s.sounds, silent);
  EXPECT_EQ(s.sleeps, std::vector<int>{});
  EXPECT_EQ(rows(), "......\n.X....\nO.....\n......\n") << "A and the second reply, R2";
  EXPECT_EQ(goBoard.currentNode, 4);

  tap(2, 4);
  s = seen();
  EXPECT_EQ(s.notifications, (std::vector<unsigned>{notifyMoveAccepted, notifySolved}));
  EXPECT_EQ(s.sounds, (std::vector<std::string>{"1999", "2095"}));
  EXPECT_EQ(bannerText(), u"Success");
  EXPECT_EQ(goBoard.solved, 1);

  secondary();
  s = seen();
  EXPECT_EQ(s.notifications, std::vector<unsigned>{notifyProblemOpened});
  EXPECT_EQ(rows(), "......\n......\n......\n......\n");
  EXPECT_EQ(goBoard.currentNode, 0);
  EXPECT_EQ(goBoard.solved, 0);
  EXPECT_EQ(bannerText(), u"") << "the restart repaints the whole view";
  tap(2, 2);
  EXPECT_EQ(rows(), "......\n.X....\n..O...\n......\n") << "marks forgotten: R1 again";
}

TEST_F(Tutor, TakingBackToTheStartAfterGoodKeepsTheBeatenReplyMarked) {
  open(" |", twoReplies);
  tap(2, 2);
  tap(4, 4);
  ASSERT_EQ(goBoard.variationPending, 1);
  seen();

  goBoard.takeBack();  // the leaf
  EXPECT_EQ(rows(), "......\n.X....\n..O...\n......\n");
  EXPECT_EQ(goBoard.currentNode, 2);
  goBoard.takeBack();  // R1 together with A
  EXPECT_EQ(rows(), "......\n......\n......\n......\n");
  EXPECT_EQ(goBoard.currentNode, 0);
  EXPECT_EQ(seen().notifications, (std::vector<unsigned>{notifyMoveAccepted, notifyMoveAccepted}));

  tap(2, 2);
  EXPECT_EQ(rows(), "......\n.X....\nO.....\n......\n") << "R1 is beaten: R2";
  EXPECT_EQ(goBoard.currentNode, 4);
  tap(2, 4);
  EXPECT_EQ(goBoard.solved, 1) << "both replies beaten across the takeback";
}

TEST_F(Tutor, FirstMoveThatIsACorrectLeafSolvesWithoutAReply) {
  open(" |", firstMoveWins);
  tap(2, 2);
  const Seen s = seen();
  EXPECT_EQ(s.notifications, (std::vector<unsigned>{notifyMoveAccepted, notifySolved}));
  EXPECT_EQ(s.sounds, (std::vector<std::string>{"1999", "2095"}));
  EXPECT_EQ(s.sleeps, std::vector<int>{});
  EXPECT_EQ(rows(), "......\n.X....\n......\n......\n");
  EXPECT_EQ(bannerText(), u"Success");
  EXPECT_EQ(goBoard.solved, 1);

  tap(4, 4);
  const Seen after = seen();
  EXPECT_EQ(after.sounds, silent) << "taps are refused once solved";
  EXPECT_EQ(after.notifications, none);
  EXPECT_EQ(rows(), "......\n.X....\n......\n......\n");
  EXPECT_EQ(bannerText(), u"") << "the refused tap still wipes the banner";
}

TEST_F(Tutor, MoveOffTheTreeFailsAndLeavesTheOpponentToMove) {
  open(" |", twoReplies);
  tap(5, 1);
  const Seen s = seen();
  EXPECT_EQ(s.notifications, (std::vector<unsigned>{notifyMoveAccepted, notifyFailed}));
  EXPECT_EQ(s.sounds, std::vector<std::string>{"1999"});
  EXPECT_EQ(s.sleeps, std::vector<int>{});
  EXPECT_EQ(bannerText(), u"Failure");
  EXPECT_EQ(goBoard.offTree, 1);
  EXPECT_EQ(goBoard.failed, 1);
  EXPECT_EQ(goBoard.currentNode, 0);
  EXPECT_EQ(goBoard.sideToMove, white);

  tap(2, 2);
  const Seen after = seen();
  EXPECT_EQ(after.sounds, silent);
  EXPECT_EQ(after.notifications, none);
  EXPECT_EQ(rows(), "....X.\n......\n......\n......\n");
}

TEST_F(Tutor, LineEndingOnAWrongLeafFailsWithoutLeavingTheTree) {
  struct Case {
    const char* what;
    const char* tree;
    int leaf;
    Colour toMove;
  };
  const Case cases[] = {
      {"the player's move", "00000~1BB0 ~", 1, white},
      {"the opponent's reply", "00000~1BB0 ~2CC0 ~", 2, black},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    open(" |", c.tree);
    tap(2, 2);
    const Seen s = seen();
    EXPECT_EQ(s.notifications, (std::vector<unsigned>{notifyMoveAccepted, notifyFailed}));
    EXPECT_EQ(s.sounds, std::vector<std::string>{"1999"});
    EXPECT_EQ(bannerText(), u"Failure");
    EXPECT_EQ(goBoard.failed, 1);
    EXPECT_EQ(goBoard.offTree, 0);
    EXPECT_EQ(goBoard.currentNode, c.leaf);
    EXPECT_EQ(goBoard.sideToMove, c.toMove);
  }
}

TEST_F(Tutor, ReplyRefusedByTheRulesLeavesTheWalkAndNoVerdict) {
  open("CC |", "00000~1BB0 ~2CC0 ~3DD1 ~");  // the reply's point holds a setup stone
  tap(2, 2);
  const Seen s = seen();
  EXPECT_EQ(s.notifications, std::vector<unsigned>{notifyMoveAccepted});
  EXPECT_EQ(s.sleeps, std::vector<int>{200});
  EXPECT_EQ(goBoard.currentNode, 1);
  EXPECT_EQ(goBoard.sideToMove, white);
  EXPECT_EQ(goBoard.failed, 0);
  EXPECT_EQ(bannerText(), u"");
  tap(4, 4);
  EXPECT_EQ(seen().sounds, silent) << "the player's turn does not come";
  goBoard.takeBack();
  EXPECT_EQ(rows(), "......\n......\n..X...\n......\n");
  EXPECT_EQ(goBoard.currentNode, 0);
}

TEST_F(Tutor, ReplyPauseShowsTheHourglassAndThePlayersStoneAlone) {
  open(" |", twoReplies);
  std::vector<Cursor> cursorDuring;
  platform::headless::setSleepHook([&](int) {
    cursorDuring.push_back(platform::headless::cursor());
    duringSleep.push_back(screen());
  });
  tap(2, 2);
  const Seen s = seen();
  EXPECT_EQ(s.sleeps, std::vector<int>{200});
  EXPECT_EQ(s.cursors, (std::vector<Cursor>{Cursor::hourglass, Cursor::arrow}));
  EXPECT_EQ(cursorDuring, std::vector<Cursor>{Cursor::hourglass});
  EXPECT_EQ(platform::headless::cursor(), Cursor::arrow);
  ASSERT_EQ(duringSleep.size(), 1u);
  // Just off the centre (and its last-move dot): stone colour, or the board where there is none.
  auto nearCentre = [](const Frame& frame, int column, int row) {
    return at(frame, goBoard.columnToX(column) - 3, goBoard.rowToY(row) - 3);
  };
  EXPECT_EQ(nearCentre(duringSleep[0], 2, 2), ink);
  EXPECT_NE(nearCentre(duringSleep[0], 3, 3), paper) << "the reply comes after the pause";
  EXPECT_EQ(nearCentre(screen(), 3, 3), paper);
}

// ---- takeback ----

TEST_F(Tutor, BackReturnsToThePlayersTurn) {
  struct Case {
    const char* what;
    const char* tree;
    std::function<void()> play;
    std::string board;  // after the takeback
    int node;
    Colour toMove;
    BoardPoint marked;
  };
  const Case cases[] = {
      // First, while the marker still stands where a fresh object puts it.
      {"with nothing to take back", twoReplies, [] {}, "......\n......\n......\n......\n", 0, black,
       BoardPoint{1, 1}},
      {"after the opponent's reply: two stones", twoReplies, [this] { tap(2, 2); },
       "......\n......\n......\n......\n", 0, black, BoardPoint{1, 1}},
      {"after a move off the tree: one stone, the walk stays", twoReplies,
       [this] {
         tap(2, 2);
         tap(5, 1);
       },
       "......\n.X....\n..O...\n......\n", 2, black, BoardPoint{3, 3}},
      {"after Success on the player's move", twoReplies,
       [this] {
         tap(2, 2);
         tap(4, 4);
         tap(5, 1);
         tap(2, 4);
         ASSERT_EQ(goBoard.solved, 1);
       },
       "......\n.X....\nO.....\n......\n", 4, black, BoardPoint{1, 3}},
      {"after Success on the opponent's reply: the reply goes too", "00000~1BB0 ~2CC1 ~",
       [this] {
         tap(2, 2);
         ASSERT_EQ(goBoard.solved, 1);
       },
       "......\n......\n......\n......\n", 0, black, BoardPoint{1, 1}},
      {"in free play: one stone", twoReplies,
       [this] {
         goBoard.toggleFreePlay();
         tap(2, 2);
         tap(3, 3);
       },
       "......\n.X....\n......\n......\n", 0, white, BoardPoint{2, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (goBoard.freePlay != 0) goBoard.toggleFreePlay();
    open(" |", c.tree);
    c.play();
    seen();
    goBoard.takeBack();
    EXPECT_EQ(seen().notifications, std::vector<unsigned>{notifyMoveAccepted});
    EXPECT_EQ(rows(), c.board);
    EXPECT_EQ(goBoard.currentNode, c.node);
    EXPECT_EQ(goBoard.currentDepth, goBoard.nodeDepth[c.node]);
    EXPECT_EQ(goBoard.sideToMove, c.toMove);
    EXPECT_EQ(goBoard.markedPoint.column, c.marked.column);
    EXPECT_EQ(goBoard.markedPoint.row, c.marked.row);
    EXPECT_EQ(markerCorner(screen(), c.marked.column, c.marked.row), markerRed);
    EXPECT_EQ(goBoard.solved + goBoard.failed + goBoard.offTree + goBoard.variationPending, 0);
    EXPECT_EQ(bannerText(), u"");
  }
}

// ---- next variation ----

TEST_F(Tutor, NextVariationFromATapAKeyOrTheOperationPlaysTheWaitingReply) {
  struct Case {
    const char* what;
    std::function<void()> trigger;
  };
  const Case cases[] = {
      {"a tap on an empty point", [this] { tap(5, 1); }},
      {"a tap between points", [this] { tapPixel(0, 0); }},
      {"a key", [this] { key(); }},
      {"the operation", [] { goBoard.nextVariation(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    open(" |", twoReplies);
    tap(2, 2);
    tap(4, 4);
    ASSERT_EQ(bannerText(), u"Good");
    seen();
    c.trigger();
    const Seen s = seen();
    EXPECT_EQ(s.notifications, std::vector<unsigned>{notifyProblemOpened});
    EXPECT_EQ(s.sounds, silent);
    EXPECT_EQ(s.sleeps, std::vector<int>{});
    EXPECT_EQ(rows(), "......\n.X....\nO.....\n......\n");
    EXPECT_EQ(goBoard.currentNode, 4);
    EXPECT_EQ(goBoard.currentDepth, 2);
    EXPECT_EQ(goBoard.variationPending, 0);
    EXPECT_EQ(goBoard.markedPoint.column, 1);
    EXPECT_EQ(goBoard.markedPoint.row, 3);
    EXPECT_EQ(markerCorner(screen(), 1, 3), markerRed);
    EXPECT_EQ(bannerText(), u"");
    tap(2, 4);
    EXPECT_EQ(goBoard.solved, 1);
  }
}

// ---- hint ----

TEST_F(Tutor, HintShowsEveryAnswerDuringThePauseAndLeavesTheMarkerOnTheFirst) {
  // Two correct first moves, (4, 2) first in the tree and (2, 2); one of them has two replies,
  // each with a correct leaf, so it is listed twice.
  struct Case {
    const char* what;
    const char* tree;
    const char* answers;
  };
  const Case cases[] = {
      {"the second answer listed twice", "00000~1DB1 ~1BB0 ~2BC0 ~3ED1 ~2FC0 ~3ED1 ~", "DBBBBB"},
      {"the first answer listed twice", "00000~1DB0 ~2DC0 ~3ED1 ~2FC0 ~3ED1 ~1BB1 ~", "DBDBBB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    goBoard.markedPoint = BoardPoint{1, 1};  // drawn there by the repaint of the opening
    open(" |", c.tree);
    char answers[256];
    ASSERT_EQ(goBoard.collectAnswers(answers), 6);
    EXPECT_STREQ(answers, c.answers);

    duringSleep.clear();
    captureSleeps();
    goBoard.showHint();
    const Seen s = seen();
    EXPECT_EQ(s.sleeps, std::vector<int>{500});
    EXPECT_EQ(s.notifications, none);
    EXPECT_EQ(s.sounds, silent);
    ASSERT_EQ(duringSleep.size(), 1u);
    const std::vector<BoardPoint> marks = greenPoints(duringSleep[0]);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].column * 10 + marks[0].row, 22);
    EXPECT_EQ(marks[1].column * 10 + marks[1].row, 42);

    const Frame after = screen();
    EXPECT_FALSE(anyGreen(after));
    EXPECT_EQ(goBoard.markedPoint.column, 4) << "the first answer in tree order";
    EXPECT_EQ(goBoard.markedPoint.row, 2);
    EXPECT_EQ(markerCorner(after, 4, 2), markerRed) << "the marker is on the screen";
    EXPECT_NE(markerCorner(after, 1, 1), markerRed) << "the old marker is erased";
    EXPECT_EQ(goBoard.history[0], '\0');
  }
}

TEST_F(Tutor, HintTakesBackUntilAnAnswerExists) {
  struct Case {
    const char* what;
    const char* tree;
    BoardPoint wrong;
    BoardPoint answer;
  };
  const Case cases[] = {
      {"after a move off the tree", twoReplies, {5, 1}, {2, 2}},
      {"at a failed leaf after the reply", "00000~1BB0 ~2CC0 ~1DD1 ~", {2, 2}, {4, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    open(" |", c.tree);
    tap(c.wrong.column, c.wrong.row);
    ASSERT_EQ(bannerText(), u"Failure");
    seen();
    duringSleep.clear();
    captureSleeps();
    goBoard.showHint();
    const Seen s = seen();
    EXPECT_EQ(s.notifications, std::vector<unsigned>{notifyMoveAccepted}) << "one takeback";
    EXPECT_EQ(s.sleeps, std::vector<int>{500});
    EXPECT_EQ(rows(), "......\n......\n......\n......\n");
    ASSERT_EQ(duringSleep.size(), 1u);
    const std::vector<BoardPoint> marks = greenPoints(duringSleep[0]);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].column, c.answer.column);
    EXPECT_EQ(marks[0].row, c.answer.row);
    EXPECT_EQ(goBoard.markedPoint.column, c.answer.column);
    EXPECT_EQ(goBoard.markedPoint.row, c.answer.row);
    EXPECT_EQ(goBoard.offTree + goBoard.failed, 0);
    EXPECT_EQ(bannerText(), u"");
  }
}

TEST_F(Tutor, HintForAPassAnswerMarksItsSubstitutePoint) {
  struct Case {
    const char* setup;
    BoardPoint marked;  // (0, 0): nothing to mark
  };
  const Case cases[] = {
      {" |", {6, 7}}, {"FG |", {6, 6}}, {"DEDFDGEEEFEG FEFFFG|", {0, 0}},  // the whole block taken
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setup);
    open(c.setup, "00000~1TT1 ~");
    const BoardPoint markedBefore = goBoard.markedPoint;
    duringSleep.clear();
    captureSleeps();
    goBoard.showHint();
    ASSERT_EQ(duringSleep.size(), 1u);
    const std::vector<BoardPoint> marks = greenPoints(duringSleep[0]);
    if (c.marked.column == 0) {
      EXPECT_TRUE(marks.empty());
      EXPECT_EQ(goBoard.markedPoint.column, markedBefore.column);
      EXPECT_EQ(goBoard.markedPoint.row, markedBefore.row);
      continue;
    }
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].column, c.marked.column);
    EXPECT_EQ(marks[0].row, c.marked.row);
    EXPECT_EQ(goBoard.markedPoint.column, c.marked.column);
    EXPECT_EQ(goBoard.markedPoint.row, c.marked.row);
    EXPECT_FALSE(anyGreen(screen()));
  }
}

TEST_F(Tutor, HintDoesNothingInFreePlayOrWithTheOpponentToMoveOnTheTree) {
  struct Case {
    const char* what;
    const char* tree;
    std::function<void()> play;
  };
  const Case cases[] = {
      {"free play", twoReplies, [] { goBoard.toggleFreePlay(); }},
      {"the player's move ended a failed line", "00000~1BB0 ~1DD1 ~", [this] { tap(2, 2); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (goBoard.freePlay != 0) goBoard.toggleFreePlay();
    open(" |", c.tree);
    c.play();
    const std::string before = rows();
    seen();
    goBoard.showHint();
    const Seen s = seen();
    EXPECT_EQ(s.sleeps, std::vector<int>{});
    EXPECT_EQ(s.presents, 0);
    EXPECT_EQ(s.notifications, none);
    EXPECT_EQ(rows(), before);
  }
}

// ---- input and mode ----

TEST_F(Tutor, KeysAfterSuccessOpenTheNextCatalogueProblemAndWrapToTheFirst) {
  struct Case {
    int from, to;
  };
  for (Case c : {Case{1, 2}, Case{10, 1}}) {
    SCOPED_TRACE(c.from);
    openCatalogue(c.from);
    solveByTaps();
    ASSERT_EQ(goBoard.solved, 1);
    seen();
    key();
    const Seen s = seen();
    EXPECT_EQ(s.notifications, std::vector<unsigned>{notifyProblemOpened});
    EXPECT_EQ(goBoard.problemNumber, c.to);
    EXPECT_EQ(goBoard.solved, 0);
    EXPECT_EQ(goBoard.history[0], '\0');
    EXPECT_EQ(bannerText(), u"");
    GoBoard expected;
    ASSERT_TRUE(expected.openRecord(ProblemCatalogue[c.to]));
    EXPECT_STREQ(goBoard.treeText, expected.treeText);
    EXPECT_STREQ(goBoard.setupText, expected.setupText);
  }
}

TEST_F(Tutor, KeyWithoutAVerdictOrAfterFailureOnlyClearsTheBanner) {
  open(" |", "00000~1BB0 ~");
  key();
  EXPECT_EQ(seen().presents, 0);
  tap(2, 2);
  ASSERT_EQ(goBoard.failed, 1);
  key();
  EXPECT_EQ(goBoard.failed, 1);
  EXPECT_EQ(goBoard.history, std::string("BB"));
  EXPECT_EQ(bannerText(), u"");
}

TEST_F(Tutor, PointerShowsTheHandWhereATapWouldPlay) {
  open(" |", twoReplies);
  const int between = goBoard.columnToX(1) + goBoard.stoneRadius;
  struct Case {
    const char* what;
    std::function<void()> before;
    int x, y;
    Cursor cursor;
  };
  const Case cases[] = {
      {"over a point, Black to move", [] {}, goBoard.columnToX(1), goBoard.rowToY(1), Cursor::hand},
      {"between points", [] {}, between, goBoard.rowToY(1), Cursor::arrow},
      {"over a point, White to move while solving", [this] { tap(5, 1); }, goBoard.columnToX(1),
       goBoard.rowToY(1), Cursor::arrow},
      {"over a point, White to move in free play", [] { goBoard.toggleFreePlay(); },
       goBoard.columnToX(1), goBoard.rowToY(1), Cursor::hand},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.before();
    hover(c.x, c.y);
    EXPECT_EQ(platform::headless::cursor(), c.cursor);
  }
  goBoard.toggleFreePlay();
  open(" |", "00000~1BB0 ~2CC1 ~");  // solved on the reply: Black to move
  tap(2, 2);
  ASSERT_EQ(goBoard.solved, 1);
  hoverPoint(1, 1);
  EXPECT_EQ(platform::headless::cursor(), Cursor::hand)
      << "after Success, although taps are refused";
}

TEST_F(Tutor, FreePlayTakesBothColoursAndLeavingItRestartsTheProblem) {
  // The board here is taller than the view, so a whole repaint reaches every edge of it.
  auto expectWholeViewPainted = [] {
    const platform::Rect r = platform::headless::lastPresented();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, platform::topBarHeight);
    EXPECT_EQ(r.right, goBoard.clientWidth);
    EXPECT_GE(r.bottom, platform::topBarHeight + goBoard.viewHeight);
  };
  open(" |", twoReplies);
  tap(5, 1);  // off the tree: White to move, taps refused while solving
  ASSERT_EQ(goBoard.sideToMove, white);
  seen();

  goBoard.toggleFreePlay();
  Seen s = seen();
  EXPECT_EQ(s.notifications, none);
  expectWholeViewPainted();
  EXPECT_EQ(at(screen(), goBoard.clientWidth - 2, goBoard.viewHeight - 4), markerRed)
      << "the free-play corner mark";
  EXPECT_EQ(goBoard.offTree, 1) << "entering keeps the flags";

  tap(3, 3);
  s = seen();
  EXPECT_EQ(s.notifications, std::vector<unsigned>{notifyMoveAccepted});
  EXPECT_EQ(s.sounds, std::vector<std::string>{"1999"});
  tap(2, 2);
  s = seen();
  EXPECT_EQ(s.notifications, std::vector<unsigned>{notifyMoveAccepted}) << "no verdict";
  EXPECT_EQ(s.sleeps, std::vector<int>{}) << "no reply";
  EXPECT_EQ(rows(), "....X.\n.X....\n..O...\n......\n");
  EXPECT_EQ(goBoard.currentNode, 0);

  goBoard.toggleFreePlay();
  s = seen();
  EXPECT_EQ(s.notifications, std::vector<unsigned>{notifyProblemOpened});
  expectWholeViewPainted();
  EXPECT_NE(at(screen(), goBoard.clientWidth - 2, goBoard.viewHeight - 4), markerRed);
  EXPECT_EQ(goBoard.freePlay, 0);
  EXPECT_EQ(rows(), "......\n......\n......\n......\n");
  EXPECT_EQ(goBoard.offTree + goBoard.failed, 0);
  EXPECT_EQ(goBoard.sideToMove, black);
}

TEST_F(Tutor, PassIsGuardedWhileSolvingAndJudgedLikeAnyMove) {
  struct Case {
    const char* what;
    const char* tree;
    std::function<void()> before;
    std::string history;  // after the pass
    std::vector<unsigned> notifications;
    int node;
  };
  const std::vector<unsigned> accepted{notifyMoveAccepted};
  const Case cases[] = {
      {"solving, White to move", twoReplies, [this] { tap(5, 1); }, "EA", none, 0},
      {"solved", firstMoveWins, [this] { tap(2, 2); }, "BB", none, 1},
      {"free play, Black to move", twoReplies, [] { goBoard.toggleFreePlay(); }, "TT", accepted, 0},
      {"free play, White to move", twoReplies,
       [this] {
         tap(5, 1);
         goBoard.toggleFreePlay();
       },
       "EATT", accepted, 0},
      {"solving, a pass child", "00000~1TT1 ~", [] {}, "TT",
       std::vector<unsigned>{notifyMoveAccepted, notifySolved}, 1},
      {"solving, a pass child with a reply", "00000~1TT0 ~2CC0 ~3DD1 ~", [] {}, "TTCC", accepted,
       2},
      {"solving, no pass in the tree", firstMoveWins, [] {}, "TT",
       std::vector<unsigned>{notifyMoveAccepted, notifyFailed}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (goBoard.freePlay != 0) goBoard.toggleFreePlay();
    open(" |", c.tree);
    c.before();
    seen();
    goBoard.answerMove(20, 20);
    const Seen s = seen();
    EXPECT_EQ(goBoard.history, c.history);
    EXPECT_EQ(s.notifications, c.notifications);
    EXPECT_EQ(s.sounds.empty(), c.notifications.empty());
    EXPECT_EQ(goBoard.currentNode, c.node);
  }
  // The last case: the pass left the tree, and the marker moved to the pass point.
  EXPECT_EQ(goBoard.markedPoint.column, 20);
  EXPECT_EQ(goBoard.offTree, 1);
}

// ---- banner ----

TEST_F(Tutor, BannerStandsCentredAtTheTopOfTheStripUntilTheNextTapOrKey) {
  const int stripTop = goBoard.viewHeight - 32;
  auto strip = [&] {
    const Frame frame = screen();
    Frame out;
    for (int y = stripTop; y < goBoard.viewHeight; ++y)
      for (int x = 0; x < goBoard.clientWidth; ++x) out.push_back(at(frame, x, y));
    return out;
  };
  struct Case {
    const char* what;
    std::function<void()> wipe;
  };
  const Case cases[] = {
      {"a refused tap", [this] { tap(4, 1); }},
      {"a key", [this] { key(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    open(" |", "00000~1BB0 ~");  // the player's move is a wrong leaf; White to move after it
    const Frame clear = strip();

    tapPixel(goBoard.columnToX(1) + goBoard.stoneRadius, goBoard.rowToY(1));  // between points
    EXPECT_EQ(seen().presents, 0) << "no verdict: the strip is left alone";

    tap(2, 2);
    ASSERT_EQ(bannerText(), u"Failure");
    const Frame shown = strip();
    int left = goBoard.clientWidth, right = -1, top = 1000, bottom = -1;
    bool hasInk = false, hasPaper = false;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < goBoard.clientWidth; ++x) {
        const std::size_t i = static_cast<std::size_t>(y * goBoard.clientWidth + x);
        if (shown[i] == clear[i]) continue;
        left = std::min(left, x);
        right = std::max(right, x + 1);
        top = std::min(top, y);
        bottom = std::max(bottom, y + 1);
        hasInk |= shown[i] == ink;
        hasPaper |= shown[i] == paper;
      }
    ASSERT_GT(right, left) << "the text is drawn at once";
    EXPECT_EQ(top, 0) << "aligned to the strip's top edge";
    EXPECT_LT(bottom, 32);
    EXPECT_LE(std::abs((left + right) - goBoard.clientWidth), 2) << left << ".." << right;
    EXPECT_LT(right - left, goBoard.clientWidth / 2) << "only the text's own box, not the strip";
    EXPECT_TRUE(hasInk && hasPaper) << "black text on white";

    seen();
    c.wipe();
    EXPECT_GT(seen().presents, 0);
    EXPECT_EQ(bannerText(), u"");
    EXPECT_TRUE(strip() == clear) << "the strip is repainted from the board";
  }
}

TEST_F(Tutor, RepaintRemovesTheBannerButKeepsTheVerdict) {
  open(" |", firstMoveWins);
  tap(2, 2);
  ASSERT_EQ(bannerText(), u"Success");
  goBoard.toggleFreePlay();
  pump();
  EXPECT_EQ(bannerText(), u"");
  EXPECT_EQ(goBoard.solved, 1);
  seen();
  tap(4, 4);
  EXPECT_EQ(seen().sounds, silent) << "still solved: taps refused in free play too";
  goBoard.takeBack();
  tap(4, 4);
  EXPECT_EQ(seen().sounds, std::vector<std::string>{"1999"});
}

TEST_F(Tutor, SuccessOnACatalogueProblemMatchesItsGoldenInEachLanguage) {
  struct Case {
    int language;
    const char* golden;
    const char16_t* text;
  };
  for (Case c : {Case{platform::languageEnglish, "tutor_success_en", u"Success"},
                 Case{platform::languageChinese, "tutor_success_zh", u"成功"}}) {
    SCOPED_TRACE(c.golden);
    stop();
    start(c.language);
    openCatalogue(1);
    solveByTaps();
    pump();
    EXPECT_EQ(bannerText(), c.text);
    EXPECT_TRUE(testing_support::matchesGolden(c.golden));
  }
}

// ---- the catalogue through the script runner ----

std::vector<std::string> catalogueRecords() {
  std::ifstream in(std::string(ZANDREL_SOURCE_DIR) + "/problems/catalogue.txt");
  std::vector<std::string> records;
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) records.push_back(line);
  return records;
}

// Runs zandrel-script on the file; returns its standard output and sets its exit status.
std::string runScript(const std::string& path, int& status) {
  const std::string command = std::string("'") + ZANDREL_SCRIPT + "' '" + path + "' 2>&1";
  status = -1;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "";
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int raw = pclose(pipe);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

TEST_F(Tutor, EveryCatalogueProblemIsSolvedByTheScriptRunnerFollowingTheTree) {
  const std::vector<std::string> records = catalogueRecords();
  ASSERT_EQ(records.size(), static_cast<std::size_t>(catalogueSize));
  const std::filesystem::path dir = std::filesystem::path(ZANDREL_BINARY_DIR) / "tutor-scripts";
  std::filesystem::create_directories(dir);
  for (std::size_t n = 0; n < records.size(); ++n) {
    SCOPED_TRACE("problem " + std::to_string(n + 1));
    ASSERT_TRUE(goBoard.openRecord(records[n].c_str()));
    seen();
    const std::vector<platform::Point> taps = solveByTaps();
    ASSERT_EQ(goBoard.solved, 1);

    const std::string path = (dir / ("problem_" + std::to_string(n + 1) + ".zs")).string();
    {
      std::ofstream script(path);
      script << "problem " << records[n] << '\n';
      for (platform::Point p : taps) script << "tap " << p.x << ' ' << p.y << '\n';
      script << "dump\n";
    }
    int status = 0;
    const std::string out = runScript(path, status);
    ASSERT_EQ(status, 0) << out;
    const std::string last = out.substr(out.rfind('{'));
    EXPECT_NE(last.find("\"solved\": 1,"), std::string::npos) << last;
    EXPECT_NE(last.find("\"banner\": \"Success\""), std::string::npos) << last;
  }
}

}  // namespace

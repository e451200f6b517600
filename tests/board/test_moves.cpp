// Move execution and group labels: positions from board diagrams, whole boards compared as text,
// random games against a plain flood-fill model, and the points one move redraws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/go_board.h"
#include "platform/core/framebuffer.h"
#include "platform/core/system.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "shell/shell.h"
#include "tests/support/pixel_map.h"

using testing_support::Canvas;

namespace {

// ---- diagrams: one line a row, row 1 first, one character a column ----

// The rows of a diagram; spaces and blank lines are ignored.
std::vector<std::string> rowsOf(const char* diagram) {
  std::vector<std::string> rows;
  std::string line;
  for (const char* p = diagram;; ++p) {
    if (*p == '\n' || *p == '\0') {
      if (!line.empty()) rows.push_back(line);
      line.clear();
      if (*p == '\0') break;
    } else if (*p != ' ') {
      line += *p;
    }
  }
  return rows;
}

// The diagram as boardText and labelText print a board.
std::string normalised(const char* diagram) {
  std::string out;
  for (const std::string& row : rowsOf(diagram)) out += row + '\n';
  return out;
}

// One of two diagrams standing side by side, separated by spaces (0 the left one).
std::string sideOf(const char* boards, std::size_t side) {
  std::string out;
  std::string line;
  for (const char* p = boards;; ++p) {
    if (*p == '\n' || *p == '\0') {
      std::vector<std::string> words;
      std::string word;
      for (char ch : line + ' ') {
        if (ch != ' ') {
          word += ch;
        } else if (!word.empty()) {
          words.push_back(word);
          word.clear();
        }
      }
      if (words.size() > side) out += words[side] + '\n';
      line.clear();
      if (*p == '\0') break;
    } else {
      line += *p;
    }
  }
  return out;
}

// Shows exactly the diagram's columns and rows.
void showDiagramSize(GoBoard& b, const std::vector<std::string>& rows) {
  ASSERT_FALSE(rows.empty());
  for (const std::string& row : rows) ASSERT_EQ(row.size(), rows[0].size()) << row;
  b.columnsShown = static_cast<int>(rows[0].size());
  b.rowsShown = static_cast<int>(rows.size());
}

// Sets the diagram's stones (X Black, O White) on a fresh object, labelling each as it is placed.
void setPosition(GoBoard& b, const char* diagram) {
  const std::vector<std::string> rows = rowsOf(diagram);
  showDiagramSize(b, rows);
  for (int r = 1; r <= b.rowsShown; ++r)
    for (int c = 1; c <= b.columnsShown; ++c) {
      const char ch = rows[r - 1][c - 1];
      if (ch == '.') continue;
      ASSERT_TRUE(ch == 'X' || ch == 'O') << "bad diagram character " << ch;
      const Colour colour = ch == 'X' ? black : white;
      b.cells[c][r] = colour;
      b.labelStone(colour, c, r);
    }
}

// The shown board in diagram form; '?' for a cell holding anything but a colour.
std::string boardText(const GoBoard& b) {
  std::string out;
  for (int r = 1; r <= b.rowsShown; ++r) {
    for (int c = 1; c <= b.columnsShown; ++c) {
      const int v = b.cells[c][r];
      out += v == black ? 'X' : v == white ? 'O' : v == empty ? '.' : '?';
    }
    out += '\n';
  }
  return out;
}

// Label diagrams: '.' empty, '1'..'9' a Black stone with that label, 'a'..'i' a White stone with
// label 1..9. Printing shows '!' for an empty point with a label and '?' for a label out of range.
void setLabelledPosition(GoBoard& b, const char* diagram) {
  const std::vector<std::string> rows = rowsOf(diagram);
  showDiagramSize(b, rows);
  for (int r = 1; r <= b.rowsShown; ++r)
    for (int c = 1; c <= b.columnsShown; ++c) {
      const char ch = rows[r - 1][c - 1];
      if (ch == '.') continue;
      const bool isBlack = ch >= '1' && ch <= '9';
      ASSERT_TRUE(isBlack || (ch >= 'a' && ch <= 'i')) << "bad label character " << ch;
      b.cells[c][r] = isBlack ? black : white;
      b.groupLabel[c][r] = isBlack ? ch - '0' : ch - 'a' + 1;
    }
}

std::string labelText(const GoBoard& b) {
  std::string out;
  for (int r = 1; r <= b.rowsShown; ++r) {
    for (int c = 1; c <= b.columnsShown; ++c) {
      const int v = b.cells[c][r], label = b.groupLabel[c][r];
      if (v == empty)
        out += label == 0 ? '.' : '!';
      else if (label < 1 || label > 9 || (v != black && v != white))
        out += '?';
      else
        out += v == black ? static_cast<char>('0' + label) : static_cast<char>('a' + label - 1);
    }
    out += '\n';
  }
  return out;
}

// Every byte of the object, vtable pointer and all.
std::vector<unsigned char> bytesOf(const GoBoard& b) {
  const auto* first = reinterpret_cast<const unsigned char*>(&b);
  return std::vector<unsigned char>(first, first + sizeof(GoBoard));
}

// The fields a move may change, lastMove through history, as raw bytes.
std::string moveState(const GoBoard& b) {
  const char* first = reinterpret_cast<const char*>(&b.lastMove);
  const char* last = reinterpret_cast<const char*>(&b.history) + sizeof b.history;
  return std::string(first, last);
}

bool samePoint(BoardPoint a, BoardPoint b) {
  return a.column == b.column && a.row == b.row;
}

// ---- chains, found from scratch ----

// A neighbour gives a liberty when it is an empty cell inside the edge ring; the points beyond a
// board shown smaller than 19 x 19 are such cells.
bool givesLiberty(const int (&cells)[boardArraySize][boardArraySize], int column, int row) {
  return column >= 1 && column <= 19 && row >= 1 && row <= 19 && cells[column][row] == empty;
}

const BoardPoint steps[4] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};

// The chain through a stone, by flood fill over the shown board.
std::vector<BoardPoint> chainAt(const int (&cells)[boardArraySize][boardArraySize], int columns,
                                int rows, BoardPoint start) {
  bool seen[boardArraySize][boardArraySize] = {};
  std::vector<BoardPoint> chain{start};
  seen[start.column][start.row] = true;
  const int colour = cells[start.column][start.row];
  for (std::size_t i = 0; i < chain.size(); ++i)
    for (BoardPoint s : steps) {
      const int c = chain[i].column + s.column, r = chain[i].row + s.row;
      if (c < 1 || c > columns || r < 1 || r > rows || seen[c][r] || cells[c][r] != colour)
        continue;
      seen[c][r] = true;
      chain.push_back(BoardPoint{c, r});
    }
  return chain;
}

bool hasLiberty(const int (&cells)[boardArraySize][boardArraySize],
                const std::vector<BoardPoint>& chain) {
  for (BoardPoint p : chain)
    for (BoardPoint s : steps)
      if (givesLiberty(cells, p.column + s.column, p.row + s.row)) return true;
  return false;
}

// Labels partition the stones exactly as the chains do, empty points carry 0, and nothing but
// empty cells with label 0 lies off the shown board (the edge ring included).
::testing::AssertionResult labelsMatchChains(const GoBoard& b) {
  int chainOf[boardArraySize][boardArraySize] = {};
  int chainCount = 0;
  int labelOfChain[boardArraySize * boardArraySize] = {};
  int chainOfLabel[maxLabels] = {};
  for (int c = 0; c < boardArraySize; ++c)
    for (int r = 0; r < boardArraySize; ++r) {
      const bool shown = b.onShownBoard(c, r);
      if (!shown && (b.cells[c][r] != empty || b.groupLabel[c][r] != 0))
        return ::testing::AssertionFailure()
               << "off the shown board (" << c << ", " << r << "): cell " << b.cells[c][r]
               << ", label " << b.groupLabel[c][r];
      if (!shown) continue;
      const int label = b.groupLabel[c][r];
      if (b.cells[c][r] == empty) {
        if (label != 0)
          return ::testing::AssertionFailure()
                 << "empty (" << c << ", " << r << ") has label " << label;
        continue;
      }
      if (label <= 0 || label >= maxLabels)
        return ::testing::AssertionFailure()
               << "stone at (" << c << ", " << r << ") has label " << label;
      if (chainOf[c][r] == 0) {
        ++chainCount;
        for (BoardPoint p : chainAt(b.cells, b.columnsShown, b.rowsShown, BoardPoint{c, r}))
          chainOf[p.column][p.row] = chainCount;
      }
      const int chain = chainOf[c][r];
      if (labelOfChain[chain] == 0) labelOfChain[chain] = label;
      if (chainOfLabel[label] == 0) chainOfLabel[label] = chain;
      if (labelOfChain[chain] != label)
        return ::testing::AssertionFailure()
               << "one chain carries labels " << labelOfChain[chain] << " and " << label << " (at "
               << c << ", " << r << ")\n"
               << labelText(b);
      if (chainOfLabel[label] != chain)
        return ::testing::AssertionFailure()
               << "two chains share label " << label << " (at " << c << ", " << r << ")\n"
               << labelText(b);
    }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult everyChainHasALiberty(const GoBoard& b) {
  bool seen[boardArraySize][boardArraySize] = {};
  for (int c = 1; c <= b.columnsShown; ++c)
    for (int r = 1; r <= b.rowsShown; ++r) {
      if (b.cells[c][r] == empty || seen[c][r]) continue;
      const std::vector<BoardPoint> chain =
          chainAt(b.cells, b.columnsShown, b.rowsShown, BoardPoint{c, r});
      for (BoardPoint p : chain) seen[p.column][p.row] = true;
      if (!hasLiberty(b.cells, chain))
        return ::testing::AssertionFailure()
               << "the chain at (" << c << ", " << r << ") has no liberty\n"
               << boardText(b);
    }
  return ::testing::AssertionSuccess();
}

// The rules again, by flood fill and without labels, to play random games against.
struct Model {
  int columns = 0, rows = 0;
  int cells[boardArraySize][boardArraySize] = {};
  Colour toMove = black;
  BoardPoint last{0, 0};
  int lastCaptures = 0;
  std::string history;
  int koRefusals = 0;
  BoardPoint lastTaken{0, 0};  // the stone the last move captured, if it captured one

  bool play(int column, int row) {
    if (history.size() >= 2 * 511) return false;
    if (column == 20 && row == 20) {
      record(column, row);
      lastCaptures = 0;
      return true;
    }
    if (column < 1 || column > columns || row < 1 || row > rows) return false;
    if (cells[column][row] != empty) return false;
    cells[column][row] = toMove;
    std::vector<BoardPoint> captured;
    bool taken[boardArraySize][boardArraySize] = {};
    for (BoardPoint s : steps) {
      const int c = column + s.column, r = row + s.row;
      if (c < 1 || c > columns || r < 1 || r > rows) continue;
      if (cells[c][r] != -toMove || taken[c][r]) continue;
      const std::vector<BoardPoint> chain = chainAt(cells, columns, rows, BoardPoint{c, r});
      if (hasLiberty(cells, chain)) continue;
      for (BoardPoint p : chain) {
        taken[p.column][p.row] = true;
        captured.push_back(p);
      }
    }
    const bool suicide =
        captured.empty() && !hasLiberty(cells, chainAt(cells, columns, rows, {column, row}));
    const bool ko = captured.size() == 1 && lastCaptures == 1 && samePoint(captured[0], last);
    if (suicide || ko) {
      koRefusals += ko ? 1 : 0;
      cells[column][row] = empty;
      return false;
    }
    for (BoardPoint p : captured) cells[p.column][p.row] = empty;
    lastCaptures = static_cast<int>(captured.size());
    lastTaken = captured.size() == 1 ? captured[0] : BoardPoint{0, 0};
    record(column, row);
    return true;
  }

  void record(int column, int row) {
    history += GoBoard::numberToLetter(column);
    history += GoBoard::numberToLetter(row);
    last = BoardPoint{column, row};
    toMove = -toMove;
  }
};

::testing::AssertionResult matchesModel(const GoBoard& b, const Model& m) {
  for (int c = 0; c < boardArraySize; ++c)
    for (int r = 0; r < boardArraySize; ++r)
      if (b.cells[c][r] != m.cells[c][r])
        return ::testing::AssertionFailure() << "cell (" << c << ", " << r << ") is "
                                             << b.cells[c][r] << ", model " << m.cells[c][r];
  if (!samePoint(b.lastMove, m.last) || b.lastCaptureCount != m.lastCaptures ||
      b.sideToMove != m.toMove || m.history != b.history)
    return ::testing::AssertionFailure()
           << "lastMove (" << b.lastMove.column << ", " << b.lastMove.row << ") model ("
           << m.last.column << ", " << m.last.row << "); lastCaptureCount " << b.lastCaptureCount
           << " model " << m.lastCaptures << "; sideToMove " << b.sideToMove << " model "
           << m.toMove << "; history " << b.history << " model " << m.history;
  if (b.moveNumber - 1 != static_cast<int>(std::strlen(b.history) / 2))
    return ::testing::AssertionFailure()
           << "moveNumber " << b.moveNumber << " with " << std::strlen(b.history) / 2 << " moves";
  return ::testing::AssertionSuccess();
}

// ---- group labels ----

struct LabelCase {
  const char* name;
  Colour colour;
  BoardPoint at;
  const char* boards;  // label diagrams before and after, side by side
};

TEST(GroupLabels, NewStoneTakesTheFirstMatchingNeighboursLabelOrAFreshOne) {
  const LabelCase cases[] = {
      {"first stone on an empty board", black, {2, 2}, R"(
        ...  ...
        ...  .1.
        ...  ...)"},
      {"smallest label unused by either colour", black, {2, 3}, R"(
        1.c  1.c
        ...  ...
        ...  .2.)"},
      {"above 5 and left 2: the 2s become 5", black, {2, 2}, R"(
        .5.  .5.
        2..  55.
        2..  5..)"},
      {"one chain above and below keeps its label", black, {2, 2}, R"(
        44.  44.
        4..  44.
        44.  44.)"},
      {"only the right-hand neighbour matches; White keeps its labels", black, {2, 2}, R"(
        .a.  .a.
        b.7  b77
        .c.  .c.)"},
      {"White joins left, then right; Black neighbours ignored", white, {2, 2}, R"(
        .1.  .1.
        b.c  bbb
        .4.  .4.)"},
      {"three chains merge under the label above", black, {2, 2}, R"(
        .5.  .5.
        2.3  555
        ..3  ..5)"},
      {"corner: the edge ring gives no label", white, {1, 1}, R"(
        ..1  b.1
        ...  ...
        ...  ...)"},
      {"corner with a neighbour on the right", black, {1, 1}, R"(
        .3.  33.
        ...  ...
        ...  ...)"},
  };
  for (const LabelCase& c : cases) {
    GoBoard b;
    setLabelledPosition(b, sideOf(c.boards, 0).c_str());
    b.cells[c.at.column][c.at.row] = c.colour;
    b.labelStone(c.colour, c.at.column, c.at.row);
    EXPECT_EQ(labelText(b), sideOf(c.boards, 1)) << c.name;
  }
}

TEST(GroupLabels, ACapturedChainsLabelIsFreeAgain) {
  GoBoard b;
  setLabelledPosition(b, R"(
    a2.
    ...
    ...)");
  ASSERT_TRUE(b.playMove(1, 2, false));  // labelled before the capture, so 1 is still in use
  EXPECT_EQ(labelText(b), normalised(".2.\n3..\n..."));
  ASSERT_TRUE(b.playMove(3, 3, false));
  EXPECT_EQ(labelText(b), normalised(".2.\n3..\n..a"));
}

// ---- the rules, case by case ----

struct Step {
  int column, row;
  bool accepted;
  int captures;  // lastCaptureCount afterwards, when accepted
};

struct RulesCase {
  const char* name;
  Colour toMove;
  std::vector<Step> steps;
  const char* boards;  // the position before and after the steps, side by side
};

constexpr int P = 20;  // a pass is played at (P, P)

TEST(PlayMove, RulesFromBoardDiagrams) {
  const RulesCase cases[] = {
      {"one stone captured", white, {{3, 4, true, 1}}, R"(
        .....  .....
        ..O..  ..O..
        .OXO.  .O.O.
        .....  ..O..
        .....  .....)"},
      {"two chains captured on the top edge count together", black, {{3, 1, true, 3}}, R"(
        XO.OOX  X.X..X
        .X.XX.  .X.XX.
        ......  ......)"},
      {"a stone without liberties that captures is no suicide", black, {{1, 1, true, 2}}, R"(
        .OX  X.X
        OX.  .X.
        X..  X..)"},
      {"a chain touching the new stone twice is counted once", black, {{2, 2, true, 3}}, R"(
        OOX  ..X
        O..  .X.
        X..  X..)"},
      {"corner capture against the edge ring", black, {{1, 2, true, 1}}, R"(
        OX.  .X.
        ...  X..
        ...  ...)"},
      {"with 19 columns shown, column 19 has the edge ring on its right",
       black,
       {{19, 2, true, 1}},
       R"(
        .................XO  .................X.
        ...................  ..................X
        ...................  ...................)"},
      {"with 19 rows shown, row 19 has the edge ring below", black, {{1, 18, true, 1}}, R"(
        ...  ...
        ...  ...
        ...  ...
        ...  ...
        ...  ...
        ...  ...
        ...  ...
        ...  ...
        ...  ...
        ...  ...
        ...  ...
        ...  ...
        ...  ...
        ...  ...
        ...  ...
        ...  ...
        ...  ...
        ...  X..
        OX.  .X.)"},
      {"the column beyond a narrow board gives a liberty", black, {{4, 2, true, 0}}, R"(
        ..XO  ..XO
        ....  ...X
        ....  ....)"},
      {"the row beyond a short board gives a liberty", black, {{2, 3, true, 0}}, R"(
        ...  ...
        X..  X..
        O..  OX.)"},
      {"a lone stone in the shown corner that is no board corner lives",
       black,
       {{4, 1, true, 0}},
       R"(
        ..O.  ..OX
        ...O  ...O
        ....  ....)"},
      {"suicide of one stone at (1, 1), against the edge ring", black, {{1, 1, false, 0}}, R"(
        .O.  .O.
        O..  O..
        ...  ...)"},
      {"suicide joining two chains", black, {{1, 1, false, 0}}, R"(
        .XO  .XO
        XO.  XO.
        O..  O..)"},
      {"suicide filling a chain's last liberty", white, {{3, 2, false, 0}}, R"(
        .XXX.  .XXX.
        XO.OX  XO.OX
        .XXX.  .XXX.
        .....  .....)"},
      {"occupied points", black, {{1, 1, false, 0}, {2, 2, false, 0}}, R"(
        X..  X..
        .O.  .O.
        ...  ...)"},
      {"ko: the recapture waits for two passes",
       black,
       {{3, 2, true, 1},
        {2, 2, false, 0},
        {P, P, true, 0},
        {P, P, true, 0},
        {2, 2, true, 1},
        {3, 2, false, 0}},
       R"(
        .XO...  .XO...
        XO.O..  XO.O..
        .XO...  .XO...)"},
      {"ko: the recapture is allowed after moves elsewhere",
       black,
       {{3, 2, true, 1}, {6, 3, true, 0}, {6, 1, true, 0}, {2, 2, true, 1}},
       R"(
        .XO...  .XO..X
        XO.O..  XO.O..
        .XO...  .XO..O)"},
      {"a single capture elsewhere right after a ko capture",
       black,
       {{3, 4, true, 1}, {1, 2, true, 1}},
       R"(
        XO....  .O....
        ......  O.....
        .XO...  .XO...
        XO.O..  X.XO..
        .XO...  .XO...)"},
      {"taking one back after a capture of two is no ko",
       black,
       {{3, 1, true, 2}, {2, 1, true, 1}},
       R"(
        OO.O.  .O.O.
        XXO..  XXO..
        .....  .....)"},
  };
  for (const RulesCase& c : cases) {
    SCOPED_TRACE(c.name);
    GoBoard b;
    setPosition(b, sideOf(c.boards, 0).c_str());
    ASSERT_TRUE(labelsMatchChains(b));
    b.sideToMove = c.toMove;
    for (const Step& s : c.steps) {
      SCOPED_TRACE(testing::Message() << "move (" << s.column << ", " << s.row << ")");
      const std::vector<unsigned char> before = bytesOf(b);
      const Colour mover = b.sideToMove;
      const int moves = b.moveNumber - 1;
      ASSERT_EQ(b.playMove(s.column, s.row, false), s.accepted) << boardText(b);
      if (!s.accepted) {
        // Labels and all: a refused move leaves no trace.
        EXPECT_TRUE(bytesOf(b) == before) << "the object changed";
        continue;
      }
      EXPECT_EQ(b.lastCaptureCount, s.captures);
      EXPECT_EQ(b.sideToMove, -mover);
      EXPECT_EQ(b.moveNumber - 1, moves + 1);
      EXPECT_TRUE(samePoint(b.lastMove, BoardPoint{s.column, s.row}));
      EXPECT_EQ(b.history[2 * moves], GoBoard::numberToLetter(s.column));
      EXPECT_EQ(b.history[2 * moves + 1], GoBoard::numberToLetter(s.row));
      EXPECT_EQ(b.history[2 * moves + 2], '\0');
      EXPECT_TRUE(labelsMatchChains(b));
    }
    EXPECT_EQ(boardText(b), sideOf(c.boards, 1));
  }
}

TEST(PlayMove, PointsOffTheShownBoardAreRefused) {
  struct Case {
    int columns, rows;
    BoardPoint at;
  };
  const Case cases[] = {
      {15, 17, {0, 5}},   {15, 17, {5, 0}},   {15, 17, {16, 1}},  {15, 17, {1, 18}},
      {15, 17, {21, 3}},  {15, 17, {20, 19}}, {15, 17, {19, 20}}, {15, 17, {26, 1}},
      {15, 17, {-1, -1}}, {15, 17, {0, 0}},   {15, 17, {20, 0}},  {15, 17, {-20, 20}},
      {19, 19, {20, 1}},  {19, 19, {1, 20}},  {19, 19, {0, 19}},  {19, 19, {20, 19}},
      {19, 19, {21, 21}}, {3, 3, {4, 1}},     {3, 3, {4, 3}},     {3, 3, {3, 4}},
      {3, 3, {19, 19}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.columns << " x " << c.rows << " board, move ("
                                    << c.at.column << ", " << c.at.row << ")");
    GoBoard b;
    // On the 3 x 3 board, a stone at (4, 1) would take the white stone's last liberty.
    setPosition(b, R"(
      .XO
      ..X
      ...)");
    b.columnsShown = c.columns;
    b.rowsShown = c.rows;
    b.sideToMove = white;
    ASSERT_TRUE(b.playMove(1, 3, false));
    const std::vector<unsigned char> before = bytesOf(b);
    EXPECT_FALSE(b.playMove(c.at.column, c.at.row, false));
    EXPECT_TRUE(bytesOf(b) == before) << "the object changed";
  }
}

TEST(PlayMove, AFullRecordRefusesEveryMove) {
  GoBoard b;
  b.columnsShown = b.rowsShown = 5;
  // 510 moves, stones and passes, then the 511th fills the record.
  for (int i = 0; i < 510; ++i) {
    const bool stone = i < 4;
    ASSERT_TRUE(stone ? b.playMove(1 + i, 1, false) : b.playMove(P, P, false)) << i;
    ASSERT_EQ(b.moveNumber - 1, static_cast<int>(std::strlen(b.history) / 2));
  }
  ASSERT_TRUE(b.playMove(3, 3, false)) << "the 511th move still fits";
  EXPECT_EQ(std::strlen(b.history), 1022u);
  EXPECT_EQ(b.moveNumber, 512);
  EXPECT_EQ(std::string(b.history + 1018), "TTCC");
  const std::vector<unsigned char> before = bytesOf(b);
  EXPECT_FALSE(b.playMove(P, P, false)) << "pass";
  EXPECT_FALSE(b.playMove(4, 4, false)) << "stone";
  EXPECT_FALSE(b.playMove(1, 2, false)) << "capture";
  EXPECT_TRUE(bytesOf(b) == before) << "the object changed";
  EXPECT_EQ(b.history[1022], '\0');
  EXPECT_EQ(b.history[1023], '\0');
}

// ---- with a window: what each move draws ----

class PlayMoveOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(shell::restart().running);
    window = platform::findWindow(u"ZANDREL", nullptr);
    ASSERT_NE(window, nullptr);
    // Only the test's own object draws from here on.
    goBoard.mainWindow = nullptr;
    const platform::Rect device = platform::windowRect(window);
    const platform::Rect client = platform::clientRect(window);
    originX = device.left;
    originY = device.top < platform::topBarHeight ? platform::topBarHeight : device.top;
    clientWidth = client.right;
    clientHeight = client.bottom;
    ASSERT_GT(clientWidth, 0);
    platform::headless::takeRecord();
  }

  void TearDown() override { platform::resetState(); }

  // The whole view of b, drawn in the window as the paint cycle draws it.
  void paintAll(const GoBoard& b) const {
    platform::Surface surface = platform::getWindowSurface(window);
    ASSERT_NE(surface, nullptr);
    b.paintBoard(surface);
    platform::releaseWindowSurface(window, surface);
  }

  // The client area of the device screen, row by row.
  std::vector<std::uint32_t> screen() const {
    const std::uint32_t* pixels = platform::framebuffer::pixels();
    const int width = platform::framebuffer::width();
    std::vector<std::uint32_t> out;
    for (int y = 0; y < clientHeight; ++y)
      for (int x = 0; x < clientWidth; ++x)
        out.push_back(pixels[(originY + y) * width + originX + x]);
    return out;
  }

  // The pixels a point's drawing covers, in client coordinates (right and bottom excluded).
  static platform::Rect cellOf(const GoBoard& b, BoardPoint p) {
    const int x = b.columnToX(p.column), y = b.rowToY(p.row), R = b.stoneRadius;
    return platform::Rect{x - R - 1, y - R - 1, x + R + 1, y + R + 1};
  }

  // Plays one move with drawing. Accepted: every changed pixel lies in the cell of a changed
  // point (the previous last move, the captured stones, the new stone), and each of those cells
  // shows what a full paint of the new position shows. Refused: no pixel changed, nothing was
  // presented.
  ::testing::AssertionResult playAndCheckDrawing(GoBoard& b, int column, int row) const {
    const std::vector<std::uint32_t> before = screen();
    int cellsBefore[boardArraySize][boardArraySize];
    std::memcpy(cellsBefore, b.cells, sizeof cellsBefore);
    const BoardPoint previous = b.lastMove;
    platform::headless::takeRecord();
    const bool accepted = b.playMove(column, row, true);
    const std::vector<std::uint32_t> after = screen();
    if (!accepted) {
      if (after != before) return ::testing::AssertionFailure() << "a refused move drew";
      if (platform::headless::takeRecord().presents != 0)
        return ::testing::AssertionFailure() << "a refused move presented";
      return ::testing::AssertionSuccess();
    }
    std::vector<BoardPoint> changed;
    if (b.onShownBoard(previous.column, previous.row)) changed.push_back(previous);
    for (int c = 1; c <= b.columnsShown; ++c)
      for (int r = 1; r <= b.rowsShown; ++r)
        if (b.cells[c][r] != cellsBefore[c][r]) changed.push_back(BoardPoint{c, r});

    for (int y = 0; y < clientHeight; ++y)
      for (int x = 0; x < clientWidth; ++x) {
        const std::size_t i = static_cast<std::size_t>(y * clientWidth + x);
        if (after[i] == before[i]) continue;
        bool inside = false;
        for (BoardPoint p : changed) {
          const platform::Rect cell = cellOf(b, p);
          inside = inside || (x >= cell.left && x < cell.right && y >= cell.top && y < cell.bottom);
        }
        if (!inside)
          return ::testing::AssertionFailure()
                 << "pixel (" << x << ", " << y << ") changed outside the changed points";
      }

    Canvas fresh(clientWidth, clientHeight);
    b.paintBoard(fresh.surface());
    // The new stone is drawn over the marker, which comes back when the point is next redrawn.
    const BoardPoint marked = b.markedPoint;
    Canvas unmarked(clientWidth, clientHeight);
    b.markedPoint = BoardPoint{-10, -10};
    b.paintBoard(unmarked.surface());
    b.markedPoint = marked;
    for (BoardPoint p : changed) {
      const bool isNew = samePoint(p, b.lastMove);
      const Canvas& expected = isNew && samePoint(p, marked) ? unmarked : fresh;
      const platform::Rect cell = cellOf(b, p);
      for (int y = std::max(cell.top, 0); y < std::min(cell.bottom, clientHeight); ++y)
        for (int x = std::max(cell.left, 0); x < std::min(cell.right, clientWidth); ++x)
          if (after[static_cast<std::size_t>(y * clientWidth + x)] != expected.at(x, y))
            return ::testing::AssertionFailure()
                   << "point (" << p.column << ", " << p.row << ") at pixel (" << x << ", " << y
                   << ") differs from a full paint";
    }
    return ::testing::AssertionSuccess();
  }

  struct GameCounts {
    int attempts = 0, accepted = 0, captures = 0, koRefusals = 0;
  };

  // One random game; see RandomGamesKeepTheRulesAndTheLabels.
  GameCounts playRandomGame(int columns, int rows, std::mt19937& random) {
    GameCounts counts;
    GoBoard quiet, drawn;
    Model model;
    for (GoBoard* b : {&quiet, &drawn}) {
      b->columnsShown = columns;
      b->rowsShown = rows;
      // Small enough cells for 19 x 19 to fit the default screen.
      b->cellSize = 12;
      b->stoneRadius = 5;
      b->markedPoint = BoardPoint{1 + columns / 2, 1 + rows / 2};
    }
    model.columns = columns;
    model.rows = rows;
    drawn.mainWindow = window;
    paintAll(drawn);
    const std::vector<std::uint32_t> firstPaint = screen();

    static unsigned char before[sizeof(GoBoard)];
    int stalled = 0;
    while (stalled < 40 && model.history.size() < 2 * 510) {
      const int k = static_cast<int>(random() % 100);
      int column, row;
      if (k < 4) {
        column = row = P;
      } else if (k < 30 && model.lastCaptures == 1) {
        // Take back at once: a ko recapture, or a snapback.
        column = model.lastTaken.column;
        row = model.lastTaken.row;
      } else if (k < 7) {
        column = static_cast<int>(random() % 29) - 4;
        row = static_cast<int>(random() % 29) - 4;
      } else {
        column = 1 + static_cast<int>(random() % static_cast<unsigned>(columns));
        row = 1 + static_cast<int>(random() % static_cast<unsigned>(rows));
        // Mostly an empty point, so small boards keep playing.
        for (int tries = 0; k >= 30 && tries < 8 && model.cells[column][row] != empty; ++tries) {
          column = 1 + static_cast<int>(random() % static_cast<unsigned>(columns));
          row = 1 + static_cast<int>(random() % static_cast<unsigned>(rows));
        }
      }
      ++counts.attempts;
      std::memcpy(before, reinterpret_cast<const unsigned char*>(&quiet), sizeof before);
      const bool expected = model.play(column, row);
      EXPECT_EQ(quiet.playMove(column, row, false), expected)
          << "move (" << column << ", " << row << ") on\n"
          << boardText(quiet);
      EXPECT_EQ(drawn.playMove(column, row, true), expected);
      const bool stone = expected && !(column == P && row == P);
      stalled = stone ? 0 : stalled + 1;
      if (!expected) {
        EXPECT_EQ(std::memcmp(before, &quiet, sizeof before), 0)
            << "refused (" << column << ", " << row << ") changed the object";
      } else {
        ++counts.accepted;
        counts.captures += quiet.lastCaptureCount > 0 ? 1 : 0;
      }
      EXPECT_TRUE(matchesModel(quiet, model)) << "after (" << column << ", " << row << ")";
      EXPECT_TRUE(labelsMatchChains(quiet)) << "after (" << column << ", " << row << ")";
      EXPECT_TRUE(everyChainHasALiberty(quiet));
      EXPECT_TRUE(moveState(drawn) == moveState(quiet)) << "drawing changed the game";
      if (HasFailure()) {
        ADD_FAILURE() << "stopped at attempt " << counts.attempts;
        return counts;
      }
    }

    counts.koRefusals = model.koRefusals;
    // A last pass redraws the last move with the marker, if it stands there. Then the shown
    // points look as a full paint draws them, and nothing beyond them changed.
    EXPECT_TRUE(drawn.playMove(P, P, true));
    Canvas fresh(clientWidth, clientHeight);
    drawn.paintBoard(fresh.surface());
    const std::vector<std::uint32_t> shown = screen();
    const int right = cellOf(drawn, BoardPoint{columns, 1}).right;
    const int bottom = cellOf(drawn, BoardPoint{1, rows}).bottom;
    for (int y = 0; y < clientHeight; ++y)
      for (int x = 0; x < clientWidth; ++x) {
        const std::size_t i = static_cast<std::size_t>(y * clientWidth + x);
        const bool onBoard = x < right && y < bottom;
        if (shown[i] != (onBoard ? fresh.at(x, y) : firstPaint[i])) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << ")"
                        << (onBoard ? " differs from a full paint" : " beyond the shown board");
          return counts;
        }
      }
    return counts;
  }

  platform::Window window = nullptr;
  int originX = 0, originY = 0, clientWidth = 0, clientHeight = 0;
};

TEST_F(PlayMoveOnScreen, EachMoveRedrawsExactlyTheChangedPoints) {
  GoBoard b;
  setPosition(b, R"(
    .........
    ..XO.....
    .XO.O....
    ..XO.....
    .........
    ......XO.
    .....XO.O
    ......XO.
    .........)");
  b.markedPoint = BoardPoint{3, 3};  // a stone about to be captured
  b.mainWindow = window;
  paintAll(b);
  const platform::Rgb red = platform::rgb(255, 0, 0);

  // Black takes the marked stone; nothing stood before it to redraw.
  EXPECT_TRUE(playAndCheckDrawing(b, 4, 3));
  EXPECT_EQ(b.lastCaptureCount, 1);
  EXPECT_TRUE(playAndCheckDrawing(b, 5, 5));  // White elsewhere: the dot leaves (4, 3)
  EXPECT_TRUE(playAndCheckDrawing(b, 8, 7));  // Black captures
  EXPECT_EQ(b.lastCaptureCount, 1);
  EXPECT_TRUE(playAndCheckDrawing(b, P, P));  // a pass redraws only the previous last move
  const std::vector<std::uint32_t> shown = screen();
  const int dotX = b.columnToX(8), dotY = b.rowToY(7);
  EXPECT_NE(shown[static_cast<std::size_t>(dotY * clientWidth + dotX)], red) << "dot stays";
  EXPECT_TRUE(playAndCheckDrawing(b, P, P));  // after a pass there is nothing to redraw
  EXPECT_EQ(screen(), shown);
  EXPECT_TRUE(playAndCheckDrawing(b, 3, 3));  // White retakes the ko, on the marked point
  EXPECT_EQ(b.lastCaptureCount, 1);
  EXPECT_TRUE(playAndCheckDrawing(b, 9, 9));  // redraws (3, 3), marker and all
  EXPECT_TRUE(playAndCheckDrawing(b, 3, 3));  // occupied: refused, nothing drawn

  // A random game on the same board.
  std::mt19937 random(11);
  for (int i = 0; i < 120; ++i) {
    const int k = static_cast<int>(random() % 100);
    const int column = k < 5 ? P : 1 + static_cast<int>(random() % 9);
    const int row = k < 5 ? P : 1 + static_cast<int>(random() % 9);
    ASSERT_TRUE(playAndCheckDrawing(b, column, row)) << "move " << i << "\n" << boardText(b);
  }
}

TEST_F(PlayMoveOnScreen, WithoutDrawingNoPixelChanges) {
  GoBoard b;
  setPosition(b, R"(
    .XO..
    XO.O.
    .XO..
    .....)");
  b.mainWindow = window;
  paintAll(b);
  const std::vector<std::uint32_t> before = screen();
  platform::headless::takeRecord();
  ASSERT_TRUE(b.playMove(3, 2, false));  // a capture
  ASSERT_TRUE(b.playMove(5, 4, false));
  ASSERT_TRUE(b.playMove(P, P, false));
  EXPECT_EQ(screen(), before);
  EXPECT_EQ(platform::headless::takeRecord().presents, 0);
}

TEST_F(PlayMoveOnScreen, RefusedMovesDrawNothing) {
  struct Case {
    const char* name;
    BoardPoint at;
  };
  const Case cases[] = {{"occupied", {1, 2}},
                        {"suicide", {5, 1}},
                        {"ko", {2, 2}},
                        {"off the board", {6, 1}},
                        {"edge ring", {0, 3}}};
  GoBoard b;
  setPosition(b, R"(
    .XO.O
    XO.OX
    .XO..
    .....)");
  b.mainWindow = window;
  ASSERT_TRUE(b.playMove(3, 2, false));  // a ko capture; White to move
  paintAll(b);
  for (const Case& c : cases) {
    const std::vector<unsigned char> bytes = bytesOf(b);
    EXPECT_TRUE(playAndCheckDrawing(b, c.at.column, c.at.row)) << c.name;
    EXPECT_TRUE(bytesOf(b) == bytes) << c.name;
  }
  // And once the record is full, even a pass.
  std::memset(b.history, 0, sizeof b.history);
  for (int i = 0; i < 511; ++i) std::memcpy(b.history + 2 * i, "TT", 2);
  b.moveNumber = 512;
  const std::vector<unsigned char> bytes = bytesOf(b);
  EXPECT_TRUE(playAndCheckDrawing(b, P, P));
  EXPECT_TRUE(playAndCheckDrawing(b, 4, 4));
  EXPECT_TRUE(bytesOf(b) == bytes);
}

// Random games on several board sizes, with passes and points off the board: after every move
// the object agrees with the flood-fill model, its labels with the chains, and a drawing twin in
// the window with it; at the end of each game the window shows what a full paint shows. A game
// ends when it stalls (a small board fills up) or its record is nearly full.
TEST_F(PlayMoveOnScreen, RandomGamesKeepTheRulesAndTheLabels) {
  struct Size {
    int columns, rows;
  };
  int koRefusals = 0;
  for (Size size : {Size{3, 3}, Size{5, 4}, Size{9, 9}, Size{15, 17}, Size{19, 19}}) {
    for (unsigned seed : {1u, 2u, 3u}) {
      SCOPED_TRACE(testing::Message()
                   << size.columns << " x " << size.rows << " board, seed " << seed);
      std::mt19937 random(seed);
      int attempts = 0, accepted = 0, captures = 0;
      while (attempts < 1200) {
        const GameCounts counts = playRandomGame(size.columns, size.rows, random);
        if (HasFailure()) return;  // the first failing game says it all
        attempts += counts.attempts;
        accepted += counts.accepted;
        captures += counts.captures;
        koRefusals += counts.koRefusals;
      }
      // The games must reach the cases worth checking.
      EXPECT_GT(accepted, 200);
      EXPECT_GT(captures, 10);
    }
  }
  EXPECT_GT(koRefusals, 20);
}

}  // namespace

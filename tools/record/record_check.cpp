// Record texts read back with the trainer's own reader, and the checks of a problem: its format,
// its lines replayed by the trainer's rules and layout, and whether "Success" can be reached.
#include "tools/record/record_check.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "board/go_board.h"
#include "problems/problem_record.h"

namespace record {

namespace {

// The trainer copies a record into a buffer of 8192 characters, its terminating zero included,
// and refuses one that would fill it.
constexpr std::size_t longestRecord = 8190;
// Bytes of 0xFF after a record show whether reading it needed bytes it does not hold.
constexpr int probeBytes = 2048;

std::vector<BoardPoint> pointsOf(const char* pairs, int length) {
  std::vector<BoardPoint> points;
  for (int i = 0; i + 1 < length; i += 2)
    points.push_back(
        BoardPoint{GoBoard::letterToNumber(pairs[i]), GoBoard::letterToNumber(pairs[i + 1])});
  return points;
}

bool isBoardPoint(const BoardPoint& p) {
  return p.column >= 1 && p.column <= 19 && p.row >= 1 && p.row <= 19;
}

// Each node's parent as the trainer finds it: the nearest earlier node one level up; 0 for the
// root's children, -1 when there is none.
std::vector<int> parentsOf(const Problem& problem) {
  const int count = static_cast<int>(problem.nodes.size());
  std::vector<int> parents(static_cast<std::size_t>(count) + 1, -1);
  for (int i = 1; i <= count; ++i) {
    const int depth = problem.nodes[static_cast<std::size_t>(i) - 1].depth;
    for (int m = i - 1; m >= 0; --m) {
      const int d = m == 0 ? 0 : problem.nodes[static_cast<std::size_t>(m) - 1].depth;
      if (d == depth - 1) {
        parents[static_cast<std::size_t>(i)] = m;
        break;
      }
    }
  }
  return parents;
}

// Children of node i (0 the root) as the trainer finds them: the later nodes one level deeper,
// up to the first later node that is not deeper.
std::vector<int> childrenOf(const Problem& problem, int node) {
  std::vector<int> children;
  const int depth = node == 0 ? 0 : problem.nodes[static_cast<std::size_t>(node) - 1].depth;
  for (int i = node + 1; i <= static_cast<int>(problem.nodes.size()); ++i) {
    const int d = problem.nodes[static_cast<std::size_t>(i) - 1].depth;
    if (d <= depth) break;
    if (d == depth + 1) children.push_back(i);
  }
  return children;
}

// The trainer's board, with the problem open and the position at its setup.
struct Trainer {
  GoBoard board;
  Problem problem;

  // Plays node's move as the trainer would, a tree pass at its substitute point.
  bool play(int node) {
    const ProblemNode& n = problem.nodes[static_cast<std::size_t>(node) - 1];
    int column = n.column, row = n.row;
    if (GoBoard::isPass(column, row)) board.passSubstitute(column, row);
    return board.playMove(column, row, false);
  }

  // The position after the moves leading to node; false when one of them is refused.
  bool replayTo(const std::vector<int>& parents, int node) {
    std::vector<int> line;
    for (int i = node; i > 0; i = parents[static_cast<std::size_t>(i)]) line.push_back(i);
    board.resetPosition(false);
    for (auto it = line.rbegin(); it != line.rend(); ++it)
      if (!play(*it)) return false;
    return true;
  }
};

Colour colourAt(const GoBoard& b, int column, int row) {
  if (column < 1 || column > 19 || row < 1 || row > 19) return edge;
  return GoBoard::cellColour(b.cells[column][row]);
}

// The stones of the chain at (column, row) and whether it has a liberty, with `extra` placed.
bool chainHasLiberty(const GoBoard& b, int column, int row, const BoardPoint& extra,
                     Colour extraColour, std::vector<BoardPoint>* stones) {
  auto colour = [&](int c, int r) {
    return c == extra.column && r == extra.row ? extraColour : colourAt(b, c, r);
  };
  const Colour own = colour(column, row);
  bool seen[21][21] = {};
  std::vector<BoardPoint> todo{{column, row}};
  seen[column][row] = true;
  bool liberty = false;
  while (!todo.empty()) {
    const BoardPoint p = todo.back();
    todo.pop_back();
    if (stones != nullptr) stones->push_back(p);
    const BoardPoint next[4] = {
        {p.column - 1, p.row}, {p.column + 1, p.row}, {p.column, p.row - 1}, {p.column, p.row + 1}};
    for (const BoardPoint& q : next) {
      const Colour c = colour(q.column, q.row);
      if (c == empty) liberty = true;
      if (c == own && !seen[q.column][q.row]) {
        seen[q.column][q.row] = true;
        todo.push_back(q);
      }
    }
  }
  return liberty;
}

// Why the rules refuse the side to move a stone at (column, row).
std::string whyRefused(const GoBoard& b, int column, int row) {
  if (!b.onShownBoard(column, row))
    return "off the shown board (" + std::to_string(b.columnsShown) + " x " +
           std::to_string(b.rowsShown) + " shown)";
  if (colourAt(b, column, row) != empty) return "the point is taken";
  const BoardPoint here{column, row};
  int captured = 0;
  BoardPoint capture{0, 0};
  const BoardPoint next[4] = {
      {column - 1, row}, {column + 1, row}, {column, row - 1}, {column, row + 1}};
  bool seen[21][21] = {};
  for (const BoardPoint& q : next) {
    if (colourAt(b, q.column, q.row) != -b.sideToMove || seen[q.column][q.row]) continue;
    std::vector<BoardPoint> stones;
    if (!chainHasLiberty(b, q.column, q.row, here, b.sideToMove, &stones)) {
      captured += static_cast<int>(stones.size());
      capture = stones.front();
    }
    for (const BoardPoint& s : stones) seen[s.column][s.row] = true;
  }
  if (captured == 0) return "suicide";
  if (captured == 1 && b.lastCaptureCount == 1 && capture.column == b.lastMove.column &&
      capture.row == b.lastMove.row)
    return "it retakes a ko at once";
  return "refused by the rules";
}

}  // namespace

bool readRecord(const std::string& text, RecordContents& contents, std::string& error) {
  contents = RecordContents{};
  if (text.empty()) {
    error = "an empty record";
    return false;
  }
  if (text.size() > longestRecord) {
    error = std::to_string(text.size()) + " characters: the trainer takes at most " +
            std::to_string(longestRecord);
    return false;
  }
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] < recordFirstChar || text[i] > recordLastChar) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      char what[16];
      if (c >= 32 && c < 127)
        std::snprintf(what, sizeof what, "\"%c\"", c);
      else
        std::snprintf(what, sizeof what, "byte %u", static_cast<unsigned>(c));
      char message[96];
      std::snprintf(message, sizeof message,
                    "character %zu (%s) is not a record character \"0\"..\"o\"",
                    static_cast<std::size_t>(i + 1), what);
      error = message;
      return false;
    }
  std::vector<unsigned char> bytes(text.begin(), text.end());
  bytes.push_back(0);
  const int count = decodeRecordText(reinterpret_cast<char*>(bytes.data()));
  contents.strayCharacter = text.size() % 4 == 1;
  contents.byteCount = count;
  auto byte = [&](int i) {
    return i < count ? static_cast<unsigned>(bytes[static_cast<std::size_t>(i)]) : 0u;
  };
  const unsigned first = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
  const unsigned second = byte(4) << 24 | byte(5) << 16 | byte(6) << 8 | byte(7);
  contents.whiteCount = static_cast<int>(first & 255u);
  contents.widthField = static_cast<int>((first >> 12) & 31u);
  contents.heightField = static_cast<int>((first >> 17) & 31u);
  contents.entryCount = static_cast<int>((second >> 13) & 511u);
  contents.blackCount = static_cast<int>((second >> 22) & 255u);

  GoBoard board;
  bytes.resize(static_cast<std::size_t>(count) + probeBytes, 0xFF);
  board.readProblemRecord(bytes.data(), count + probeBytes);
  const std::string probedSetup = board.setupText, probedTree = board.treeText;
  board.readProblemRecord(bytes.data(), count);
  contents.setupText = board.setupText;
  contents.treeText = board.treeText;
  contents.endsEarly = probedSetup != contents.setupText || probedTree != contents.treeText;

  Problem& p = contents.problem;
  p.width = board.problemWidth;
  p.height = board.problemHeight;
  // The reader always writes the blank and the bar, whatever the record holds.
  const int blank = GoBoard::findChar(board.setupText, ' ');
  const int bar = GoBoard::findChar(board.setupText, '|');
  p.black = pointsOf(board.setupText, blank);
  p.white = pointsOf(board.setupText + blank + 1, bar - blank - 1);
  for (std::size_t at = 6; at + 5 < contents.treeText.size(); at += 6) {
    const char* entry = board.treeText + at;
    p.nodes.push_back(ProblemNode{static_cast<signed char>(entry[0]) - 48,
                                  GoBoard::letterToNumber(entry[1]),
                                  GoBoard::letterToNumber(entry[2]), Flag{entry[3] == '1'}});
  }
  return true;
}

std::string nodeName(const Problem& problem, int node) {
  if (node < 1 || node > static_cast<int>(problem.nodes.size())) return "the root";
  const ProblemNode& n = problem.nodes[static_cast<std::size_t>(node) - 1];
  return "node " + std::to_string(node) + " (move " + std::to_string(n.depth) + ", " +
         (n.depth % 2 != 0 ? "B " : "W ") + pointName(n.column, n.row) + ")";
}

int treeDepth(const Problem& problem) {
  int depth = 0;
  for (const ProblemNode& n : problem.nodes) depth = std::max(depth, n.depth);
  return depth;
}

std::vector<Finding> checkFormat(const RecordContents& c) {
  std::vector<Finding> found;
  const Problem& p = c.problem;
  auto add = [&](int node, const std::string& message) {
    found.push_back(Finding{node, 0, message});
  };
  if (c.widthField < minRegionSide || c.widthField > maxRegionSide ||
      c.heightField < minRegionSide || c.heightField > maxRegionSide)
    add(0, "region fields " + std::to_string(c.widthField) + " x " + std::to_string(c.heightField) +
               " are outside 3..19");
  if (c.blackCount + c.whiteCount > maxSetupStones)
    add(0, std::to_string(c.blackCount + c.whiteCount) + " setup stones: at most " +
               std::to_string(maxSetupStones) + " fit the setup text");
  if (c.entryCount > maxRecordEntries)
    add(0, std::to_string(c.entryCount) + " tree entries: the trainer indexes at most " +
               std::to_string(maxRecordEntries));
  if (c.byteCount < 8)
    add(0, "the record holds " + std::to_string(c.byteCount) + " bytes, fewer than its header");
  else if (c.endsEarly)
    add(0, "the record ends before its last node");
  if (c.strayCharacter) add(0, "the last character carries no bits");

  bool taken[21][21] = {};
  for (const std::vector<BoardPoint>* stones : {&p.black, &p.white})
    for (const BoardPoint& s : *stones) {
      const std::string name = pointName(s.column, s.row);
      if (!isBoardPoint(s)) {
        add(0, "setup stone " + name + " is not on the board");
        continue;
      }
      if (taken[s.column][s.row]) add(0, "setup point " + name + " is given twice");
      taken[s.column][s.row] = true;
    }

  int previous = 0;
  for (std::size_t i = 0; i < p.nodes.size(); ++i) {
    const int node = static_cast<int>(i) + 1;
    const ProblemNode& n = p.nodes[i];
    const std::string depth = std::to_string(n.depth);
    if (node == 1 && n.depth != 1)
      add(node, "node 1 is at depth " + depth + ": the first node must be at depth 1");
    else if (n.depth < 1 || n.depth > previous + 1)
      add(node, "node " + std::to_string(node) + " at depth " + depth + " follows depth " +
                    std::to_string(previous));
    if (n.depth > maxRecordDepth)
      add(node, "node " + std::to_string(node) + " is at depth " + depth + ": at most " +
                    std::to_string(maxRecordDepth));
    if (!isBoardPoint(BoardPoint{n.column, n.row}) && !GoBoard::isPass(n.column, n.row))
      add(node, "%1 names no point");
    previous = n.depth;
  }
  return found;
}

PlayFindings checkPlay(const std::string& text) {
  PlayFindings found;
  Trainer trainer;
  GoBoard& b = trainer.board;
  if (!b.openRecord(text.c_str())) {
    found.illegal.push_back(Finding{0, 0, "the trainer refuses to open the record"});
    return found;
  }
  Problem& p = trainer.problem;
  // The nodes the trainer indexed, as it indexed them.
  for (int i = 1; i < b.nodeCount; ++i) {
    const char* entry = b.treeText + b.nodeOffset[i];
    p.nodes.push_back(ProblemNode{b.nodeDepth[i], GoBoard::letterToNumber(entry[1]),
                                  GoBoard::letterToNumber(entry[2]), Flag{entry[3] == '1'}});
  }

  b.resetPosition(false);
  const int blank = GoBoard::findChar(b.setupText, ' ');
  const int split = blank < 0 || blank > b.setupLength ? b.setupLength : blank;
  std::vector<BoardPoint> setup = pointsOf(b.setupText, split);
  if (split < b.setupLength) {
    const std::vector<BoardPoint> white =
        pointsOf(b.setupText + split + 1, b.setupLength - split - 1);
    setup.insert(setup.end(), white.begin(), white.end());
  }
  for (const BoardPoint& s : setup)
    if (isBoardPoint(s) && !b.onShownBoard(s.column, s.row))
      found.illegal.push_back(Finding{
          0, 0,
          "setup stone " + pointName(s.column, s.row) + " lies off the shown board (" +
              std::to_string(b.columnsShown) + " x " + std::to_string(b.rowsShown) + " shown)"});
  bool checked[21][21] = {};
  for (int c = 1; c <= 19; ++c)
    for (int r = 1; r <= 19; ++r) {
      if (colourAt(b, c, r) == empty || checked[c][r]) continue;
      std::vector<BoardPoint> stones;
      if (!chainHasLiberty(b, c, r, BoardPoint{0, 0}, empty, &stones))
        found.illegal.push_back(
            Finding{0, 0, "the setup chain at " + pointName(c, r) + " has no liberty"});
      for (const BoardPoint& s : stones) checked[s.column][s.row] = true;
    }

  const std::vector<int> parents = parentsOf(p);
  const int count = static_cast<int>(p.nodes.size());
  std::vector<bool> refused(static_cast<std::size_t>(count) + 1, false);
  for (int i = 1; i <= count; ++i) {
    const int parent = parents[static_cast<std::size_t>(i)];
    if (parent < 0 || refused[static_cast<std::size_t>(parent)]) {
      refused[static_cast<std::size_t>(i)] = true;  // reported at its ancestor, or by the format
      continue;
    }
    if (!trainer.replayTo(parents, parent)) {
      refused[static_cast<std::size_t>(i)] = true;
      continue;
    }
    if (!trainer.play(i)) {
      // A refused move changes nothing, so the position still shows why.
      const ProblemNode& n = p.nodes[static_cast<std::size_t>(i) - 1];
      int column = n.column, row = n.row;
      std::string shown;
      if (GoBoard::isPass(column, row)) {
        b.passSubstitute(column, row);
        shown = " (the pass is shown at " + pointName(column, row) + ")";
      }
      refused[static_cast<std::size_t>(i)] = true;
      found.illegal.push_back(
          Finding{i, 0, "%1 is illegal: " + whyRefused(b, column, row) + shown});
    }
  }

  // The player's move is found as the first child it matches; a tree pass matches both the
  // real pass and a stone on its substitute point.
  for (int parent = 0; parent <= count; ++parent) {
    const int depth = parent == 0 ? 0 : p.nodes[static_cast<std::size_t>(parent) - 1].depth;
    if (depth % 2 != 0 || refused[static_cast<std::size_t>(parent)]) continue;
    const std::vector<int> children = childrenOf(p, parent);
    if (children.size() < 2 || !trainer.replayTo(parents, parent)) continue;
    for (std::size_t k = 1; k < children.size(); ++k) {
      const ProblemNode& n = p.nodes[static_cast<std::size_t>(children[k]) - 1];
      for (std::size_t e = 0; e < k; ++e) {
        const ProblemNode& earlier = p.nodes[static_cast<std::size_t>(children[e]) - 1];
        int c = earlier.column, r = earlier.row;
        bool takes = c == n.column && r == n.row;
        if (!takes && GoBoard::isPass(c, r) && !GoBoard::isPass(n.column, n.row)) {
          b.passSubstitute(c, r);
          takes = c == n.column && r == n.row;
        }
        if (takes) {
          found.hidden.push_back(Finding{children[k], children[e],
                                         "%1 can never be played: %2 takes the same move first"});
          break;
        }
      }
    }
  }
  return found;
}

std::vector<Finding> checkSolvable(const Problem& p) {
  std::vector<Finding> found;
  const int count = static_cast<int>(p.nodes.size());
  const std::vector<int> parents = parentsOf(p);
  std::vector<bool> reachesCorrect(static_cast<std::size_t>(count) + 1, false);
  for (int i = count; i >= 1; --i) {
    const std::size_t at = static_cast<std::size_t>(i);
    const bool leaf = i == count || p.nodes[at].depth <= p.nodes[at - 1].depth;
    if (leaf && p.nodes[at - 1].success) reachesCorrect[at] = true;
    const int parent = parents[at];
    if (reachesCorrect[at] && parent >= 0) reachesCorrect[static_cast<std::size_t>(parent)] = true;
  }
  if (!reachesCorrect[0]) {
    found.push_back(Finding{0, 0, "no line ends correct: \"Success\" can never come"});
    return found;
  }
  for (int i = 1; i <= count; ++i) {
    const ProblemNode& n = p.nodes[static_cast<std::size_t>(i) - 1];
    if (n.depth % 2 == 0 || !reachesCorrect[static_cast<std::size_t>(i)]) continue;
    for (const int reply : childrenOf(p, i))
      if (!reachesCorrect[static_cast<std::size_t>(reply)])
        found.push_back(Finding{reply, i,
                                "after the correct %2, the reply %1 reaches no correct leaf: "
                                "\"Success\" can never come"});
  }
  return found;
}

}  // namespace record

// From an SGF game tree to a problem in the trainer's terms, and back to SGF.
#include "tools/record/problem_source.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace record {

namespace {

constexpr int boardSide = 19;

bool fail(Diagnostic& fault, int line, const std::string& message) {
  fault.line = line;
  fault.message = message;
  return false;
}

bool coordinate(char c, int& n) {
  if (c < 'a' || c >= 'a' + boardSide) return false;
  n = c - 'a' + 1;
  return true;
}

bool parsePoint(const std::string& value, BoardPoint& point) {
  return value.size() == 2 && coordinate(value[0], point.column) && coordinate(value[1], point.row);
}

// The points of a point-list property: single points and compressed rectangles "aa:cc".
bool parsePointList(const sgf::Property& property, int line, std::vector<BoardPoint>& points,
                    Diagnostic& fault) {
  for (const std::string& value : property.values) {
    const std::size_t colon = value.find(':');
    BoardPoint a{}, b{};
    const bool ok = colon == std::string::npos ? parsePoint(value, a) && parsePoint(value, b)
                                               : parsePoint(value.substr(0, colon), a) &&
                                                     parsePoint(value.substr(colon + 1), b);
    if (!ok)
      return fail(fault, line,
                  property.name + "[" + value + "]: not a point or rectangle of a 19 x 19 board");
    for (int c = std::min(a.column, b.column); c <= std::max(a.column, b.column); ++c)
      for (int r = std::min(a.row, b.row); r <= std::max(a.row, b.row); ++r)
        points.push_back(BoardPoint{c, r});
  }
  return true;
}

bool isWordCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

bool holdsWord(const std::string& text, const std::string& word, bool anyCase) {
  const std::size_t n = word.size();
  for (std::size_t i = 0; i + n <= text.size(); ++i) {
    bool same = true;
    for (std::size_t k = 0; k < n && same; ++k) {
      const char a = text[i + k], b = word[k];
      same = anyCase ? std::tolower(static_cast<unsigned char>(a)) == b : a == b;
    }
    if (same && (i == 0 || !isWordCharacter(text[i - 1])) &&
        (i + n == text.size() || !isWordCharacter(text[i + n])))
      return true;
  }
  return false;
}

const char* colourName(Colour colour) {
  return colour == black ? "Black" : "White";
}

struct Move {
  int sgfNode;
  int depth;
  Colour colour;
  BoardPoint point;
};

char sgfLetter(int n) {
  return static_cast<char>('a' + n - 1);
}

std::string sgfPoint(const BoardPoint& p) {
  if (GoBoard::isPass(p.column, p.row)) return "tt";
  return std::string{sgfLetter(p.column), sgfLetter(p.row)};
}

}  // namespace

bool commentMarksCorrect(const std::string& comment) {
  return holdsWord(comment, "RIGHT", false) || holdsWord(comment, "correct", true);
}

bool problemFromSgf(const sgf::Tree& tree, Problem& problem, Diagnostic& fault) {
  problem = Problem{};
  const sgf::Node& root = tree.nodes[0];
  if (const sgf::Property* size = sgf::find(root, "SZ")) {
    const std::string& value = size->values[0];
    if (value != "19" && value != "19:19")
      return fail(fault, root.line, "board size SZ[" + value + "]: only 19 x 19 boards are taken");
  }
  if (const sgf::Property* game = sgf::find(root, "GM"); game != nullptr && game->values[0] != "1")
    return fail(fault, root.line, "GM[" + game->values[0] + "] is not a game of Go");
  if (sgf::find(root, "B") != nullptr || sgf::find(root, "W") != nullptr)
    return fail(fault, root.line, "a move in the root node: moves belong in the nodes after it");

  std::vector<BoardPoint> blackStones, whiteStones, view;
  if (const sgf::Property* p = sgf::find(root, "AB"))
    if (!parsePointList(*p, root.line, blackStones, fault)) return false;
  if (const sgf::Property* p = sgf::find(root, "AW"))
    if (!parsePointList(*p, root.line, whiteStones, fault)) return false;
  if (const sgf::Property* p = sgf::find(root, "VW");
      p != nullptr && p->values != std::vector<std::string>{""})
    if (!parsePointList(*p, root.line, view, fault)) return false;
  {
    bool seen[boardSide + 1][boardSide + 1] = {};
    for (const std::vector<BoardPoint>* stones : {&blackStones, &whiteStones})
      for (const BoardPoint& s : *stones) {
        if (seen[s.column][s.row])
          return fail(fault, root.line, "setup point " + sgfPoint(s) + " is given more than once");
        seen[s.column][s.row] = true;
      }
  }
  Colour toPlay = empty;
  if (const sgf::Property* p = sgf::find(root, "PL")) {
    const std::string& v = p->values[0];
    if (v == "B" || v == "b")
      toPlay = black;
    else if (v == "W" || v == "w")
      toPlay = white;
    else
      return fail(fault, root.line, "PL[" + v + "] names no colour");
  }

  // The tree in pre-order, without recursion.
  std::vector<Move> moves;
  std::vector<std::pair<int, int>> pending;  // SGF node, depth
  for (auto it = root.children.rbegin(); it != root.children.rend(); ++it)
    pending.emplace_back(*it, 1);
  while (!pending.empty()) {
    const auto [index, depth] = pending.back();
    pending.pop_back();
    const sgf::Node& node = tree.nodes[static_cast<std::size_t>(index)];
    for (const char* setup : {"AB", "AW", "AE", "PL"})
      if (sgf::find(node, setup) != nullptr)
        return fail(fault, node.line,
                    std::string("setup property ") + setup +
                        " inside the tree: setup belongs in the root node");
    const sgf::Property* b = sgf::find(node, "B");
    const sgf::Property* w = sgf::find(node, "W");
    if (b != nullptr && w != nullptr) return fail(fault, node.line, "a node with both B and W");
    if (b == nullptr && w == nullptr) return fail(fault, node.line, "a node without a move");
    const sgf::Property& property = b != nullptr ? *b : *w;
    const std::string written = property.name + "[" + property.values[0] + "]";
    if (property.values.size() != 1)
      return fail(fault, node.line, "move " + property.name + " holds more than one value");
    Move move{index, depth, b != nullptr ? black : white, PassPoint};
    const std::string& value = property.values[0];
    if (!value.empty() && value != "tt" && !parsePoint(value, move.point))
      return fail(
          fault, node.line,
          "move " + std::to_string(depth) + " " + written + ": not a point of a 19 x 19 board");
    if (moves.empty() && toPlay == empty) toPlay = move.colour;
    const Colour expected = depth % 2 == 1 ? toPlay : -toPlay;
    if (move.colour != expected) {
      std::string why = depth > 1 ? std::string(colourName(move.colour)) + " plays twice in a row"
                                  : std::string(colourName(toPlay)) + " plays first";
      if (depth == 1 && sgf::find(root, "PL") != nullptr) why += " (PL)";
      return fail(fault, node.line, "move " + std::to_string(depth) + " " + written + ": " + why);
    }
    moves.push_back(move);
    problem.sources.push_back(NodeSource{node.line, written});
    for (auto it = node.children.rbegin(); it != node.children.rend(); ++it)
      pending.emplace_back(*it, depth + 1);
  }
  if (moves.empty()) return fail(fault, root.line, "the tree holds no moves");

  // Problems are posed in the top-left corner: mirror a problem that lies nearer another edge.
  int minC = boardSide, maxC = 1, minR = boardSide, maxR = 1;
  auto extend = [&](const BoardPoint& p) {
    if (GoBoard::isPass(p.column, p.row)) return;
    minC = std::min(minC, p.column);
    maxC = std::max(maxC, p.column);
    minR = std::min(minR, p.row);
    maxR = std::max(maxR, p.row);
  };
  for (const BoardPoint& p : blackStones) extend(p);
  for (const BoardPoint& p : whiteStones) extend(p);
  for (const Move& m : moves) extend(m.point);
  const bool anyPoint = minC <= maxC;
  const bool flipColumns = anyPoint && boardSide - maxC < minC - 1;
  const bool flipRows = anyPoint && boardSide - maxR < minR - 1;
  auto place = [&](BoardPoint p) {
    if (GoBoard::isPass(p.column, p.row)) return p;
    if (flipColumns) p.column = boardSide + 1 - p.column;
    if (flipRows) p.row = boardSide + 1 - p.row;
    return p;
  };

  // Black always plays first in the trainer: a White problem changes colours.
  if (toPlay == white) std::swap(blackStones, whiteStones);
  for (const BoardPoint& p : blackStones) problem.black.push_back(place(p));
  for (const BoardPoint& p : whiteStones) problem.white.push_back(place(p));

  int width = 0, height = 0;
  auto cover = [&](const BoardPoint& p) {
    if (GoBoard::isPass(p.column, p.row)) return;
    width = std::max(width, p.column);
    height = std::max(height, p.row);
  };
  for (std::size_t i = 0; i < moves.size(); ++i) {
    const Move& m = moves[i];
    const sgf::Node& node = tree.nodes[static_cast<std::size_t>(m.sgfNode)];
    const bool leaf = node.children.empty();
    const sgf::Property* comment = sgf::find(node, "C");
    const bool correct = sgf::find(node, "TE") != nullptr ||
                         (comment != nullptr && commentMarksCorrect(comment->values[0]));
    const BoardPoint p = place(m.point);
    problem.nodes.push_back(ProblemNode{m.depth, p.column, p.row, Flag{leaf && correct}});
    cover(p);
  }
  if (!view.empty()) {
    for (const BoardPoint& p : view) cover(place(p));
  } else {
    for (const BoardPoint& p : problem.black) cover(p);
    for (const BoardPoint& p : problem.white) cover(p);
    // One line of margin shows that the board goes on.
    if (width < boardSide) width += 1;
    if (height < boardSide) height += 1;
  }
  problem.width = std::max(width, minRegionSide);
  problem.height = std::max(height, minRegionSide);
  return true;
}

ProblemDescription describe(const Problem& p) {
  return ProblemDescription{p.width,        p.height,
                            p.black.data(), static_cast<int>(p.black.size()),
                            p.white.data(), static_cast<int>(p.white.size()),
                            p.nodes.data(), static_cast<int>(p.nodes.size())};
}

std::string toSgf(const Problem& p) {
  std::string out = "(;FF[4]GM[1]SZ[19]PL[B]VW[aa:";
  out += sgfLetter(p.width);
  out += sgfLetter(p.height);
  out += "]";
  auto list = [&](const char* name, const std::vector<BoardPoint>& stones) {
    if (stones.empty()) return;
    out += name;
    for (const BoardPoint& s : stones) {
          out += '[';
      out += sgfPoint(s);
      out += ']';
    }
  };
  list("AB", p.black);
  list("AW", p.white);

  // Children of each node (index 0 the root, node i at i); the tree's shape is in the depths.
  const std::size_t count = p.nodes.size();
  std::vector<std::vector<std::size_t>> children(count + 1);
  std::vector<std::size_t> lastAtDepth{0};
  for (std::size_t i = 0; i < count; ++i) {
    // A malformed depth hangs its node where it can, rather than outside the tree.
    const std::size_t depth = static_cast<std::size_t>(
        std::clamp(p.nodes[i].depth, 1, static_cast<int>(lastAtDepth.size())));
    lastAtDepth.resize(depth);
    children[lastAtDepth[depth - 1]].push_back(i + 1);
    lastAtDepth.push_back(i + 1);
  }
  // Pre-order output with an explicit stack: "(" before and ")" after each variation.
  struct Step {
    std::size_t node;
    bool open;   // start the node in a variation of its own
    bool close;  // this step only closes a variation
  };
  std::vector<Step> steps;
  auto pushChildren = [&](std::size_t node) {
    const std::vector<std::size_t>& c = children[node];
    const bool variations = c.size() > 1 || node == 0;
    for (auto it = c.rbegin(); it != c.rend(); ++it) {
      if (variations) steps.push_back(Step{0, false, true});
      steps.push_back(Step{*it, variations, false});
    }
  };
  pushChildren(0);
  while (!steps.empty()) {
    const Step step = steps.back();
    steps.pop_back();
    if (step.close) {
      out += ")";
      continue;
    }
    const ProblemNode& n = p.nodes[step.node - 1];
    if (step.open) out += n.depth == 1 ? "\n(" : "(";
    out += n.depth % 2 == 1 ? ";B[" : ";W[";
    out += sgfPoint(BoardPoint{n.column, n.row}) + "]";
    if (children[step.node].empty()) out += n.success ? "C[Correct]" : "C[Wrong]";
    pushChildren(step.node);
  }
  return out + ")\n";
}

std::string pointName(int column, int row) {
  if (GoBoard::isPass(column, row)) return "pass";
  std::string name(1, GoBoard::numberToLetter(column));
  name += std::to_string(row);
  return name;
}

}  // namespace record

// Problems as the record tool handles them: from an SGF game tree to the writer's description,
// turned into the top-left corner with Black to play.
#pragma once

#include <string>
#include <vector>

#include "problems/record_writer.h"
#include "tools/record/sgf.h"

namespace record {

// Where a tree node came from, to name it in messages.
struct NodeSource {
  int line = 0;      // the SGF line of its ";"
  std::string move;  // as written there, e.g. "W[ba]"
};

struct Problem {
  int width = 3;
  int height = 3;
  std::vector<BoardPoint> black;
  std::vector<BoardPoint> white;
  std::vector<ProblemNode> nodes;   // pre-order, root left out
  std::vector<NodeSource> sources;  // per node, when the problem came from SGF
};

// A fault of a problem with the SGF line it lies on (0 when none applies).
struct Diagnostic {
  int line = 0;
  std::string message;
};

// The problem an SGF game tree holds. False, with the fault, when it is not one the trainer can
// pose (board size, colours out of turn, setup inside the tree, values that are not points).
bool problemFromSgf(const sgf::Tree& tree, Problem& problem, Diagnostic& fault);

// True when a comment marks a correct line: the word "RIGHT", or the word "correct" in any case.
bool commentMarksCorrect(const std::string& comment);

// The writer's view of the problem; valid while the problem lives and is not changed.
ProblemDescription describe(const Problem& problem);

// The problem as SGF text: setup, the tree with "C[Correct]" on correct leaves, the region as VW.
std::string toSgf(const Problem& problem);

// A point as the tool shows it: column letter and row number ("C1"), or "pass".
std::string pointName(int column, int row);

}  // namespace record

// SGF fuzz target: the record tool's reader and encoder, and the record writer on its own.
//
// An input is an SGF text, read as the tool's "encode" reads it; a problem it takes must be written
// as a record that reads back as the same problem and passes the format check, and must come back
// the same through the tool's SGF output.
// An input whose first byte is below 8 (no SGF text starts so) instead describes a problem directly
// to the record writer (any region, counts, points, depths and flags, and a buffer of any size); it
// must refuse what it cannot carry, never write past the buffer, and write what it takes so that it
// reads back the same.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "problems/record_writer.h"
#include "tools/record/problem_source.h"
#include "tools/record/record_check.h"
#include "tools/record/sgf.h"

namespace {

bool sameNodes(const std::vector<ProblemNode>& a, const std::vector<ProblemNode>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].depth != b[i].depth || a[i].column != b[i].column || a[i].row != b[i].row ||
        a[i].success != b[i].success)
      return false;
  return true;
}

bool samePoints(const std::vector<BoardPoint>& a, const std::vector<BoardPoint>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].column != b[i].column || a[i].row != b[i].row) return false;
  return true;
}

// Empty when the two problems are the same, else the first difference.
std::string difference(const record::Problem& a, const record::Problem& b) {
  if (a.width != b.width || a.height != b.height)
    return "region " + std::to_string(a.width) + " x " + std::to_string(a.height) + " became " +
           std::to_string(b.width) + " x " + std::to_string(b.height);
  if (!samePoints(a.black, b.black)) return "the Black stones changed";
  if (!samePoints(a.white, b.white)) return "the White stones changed";
  if (!sameNodes(a.nodes, b.nodes)) return "the tree changed";
  return "";
}

// The record text's reading, checked against the problem it was written from.
void checkReadsBack(const record::Problem& problem, const char* text, bool formatMustPass) {
  record::RecordContents contents;
  std::string error;
  if (!record::readRecord(text, contents, error))
    fuzz::broken("a written record is refused: " + error);
  const std::string changed = difference(problem, contents.problem);
  if (!changed.empty()) fuzz::broken("the record does not read back: " + changed);
  if (formatMustPass) {
    const std::vector<record::Finding> faults = record::checkFormat(contents);
    if (!faults.empty())
      fuzz::broken("a written record fails the format check: " + faults[0].message);
  }
  record::checkPlay(text);
  record::checkSolvable(contents.problem);
  record::nodeName(contents.problem, static_cast<int>(contents.problem.nodes.size()));
}

void fromSgf(const std::string& text) {
  sgf::Tree tree;
  std::string error;
  if (!sgf::parse(text, tree, error)) {
    if (error.empty()) fuzz::broken("a refused SGF text has no message");
    return;
  }
  if (tree.nodes.empty()) fuzz::broken("a game tree without nodes was taken");
  record::Problem problem;
  record::Diagnostic fault;
  if (!record::problemFromSgf(tree, problem, fault)) {
    if (fault.message.empty()) fuzz::broken("a refused problem has no message");
    return;
  }

  // The tool's own SGF output must give the problem again.
  const std::string again = record::toSgf(problem);
  sgf::Tree tree2;
  record::Problem problem2;
  if (!sgf::parse(again, tree2, error))
    fuzz::broken("the tool's SGF output does not parse: " + error);
  if (!record::problemFromSgf(tree2, problem2, fault))
    fuzz::broken("the tool's SGF output is refused: " + fault.message);
  const std::string changed = difference(problem, problem2);
  if (!changed.empty()) fuzz::broken("through the tool's SGF output " + changed);

  char recordText[recordTextCapacity];
  RecordFault refusal{};
  if (!writeProblemRecord(record::describe(problem), recordText, sizeof recordText, refusal)) {
    if (refusal.message[0] == '\0') fuzz::broken("a refused problem has no message");
    return;
  }
  checkReadsBack(problem, recordText, true);
}

// Whether the writer's rules take the problem.
bool carriable(const record::Problem& p) {
  auto point = [](int c, int r) { return c >= 1 && c <= 19 && r >= 1 && r <= 19; };
  if (p.width < minRegionSide || p.width > maxRegionSide || p.height < minRegionSide ||
      p.height > maxRegionSide)
    return false;
  const int blackCount = static_cast<int>(p.black.size()),
            whiteCount = static_cast<int>(p.white.size());
  if (blackCount > maxStonesOfColour || whiteCount > maxStonesOfColour ||
      blackCount + whiteCount > maxSetupStones)
    return false;
  for (const auto* stones : {&p.black, &p.white})
    for (const BoardPoint& s : *stones)
      if (!point(s.column, s.row)) return false;
  if (static_cast<int>(p.nodes.size()) > maxRecordNodes) return false;
  int previous = 0;
  for (const ProblemNode& n : p.nodes) {
    if (n.depth < 1 || n.depth > previous + 1 || n.depth > maxRecordDepth) return false;
    if (!point(n.column, n.row) && !GoBoard::isPass(n.column, n.row)) return false;
    if (n.success > 1) return false;
    previous = n.depth;
  }
  return true;
}

void direct(fuzz::Input& in) {
  record::Problem p;
  p.width = in.byte() % 24;
  p.height = in.byte() % 24;
  const int blackCount = in.byte(), whiteCount = in.byte();
  const int nodeCount = in.word() % 520;
  auto stone = [&in] { return BoardPoint{in.byte() % 21, in.byte() % 21}; };
  for (int i = 0; i < blackCount; ++i) p.black.push_back(stone());
  for (int i = 0; i < whiteCount; ++i) p.white.push_back(stone());
  int previous = 0;
  for (int i = 0; i < nodeCount && !in.empty(); ++i) {
    const int d = in.byte();
    // Mostly a depth the tree allows, sometimes any.
    const int depth = d & 0x80 ? d - 192 : 1 + d % (previous > 0 ? previous + 1 : 1);
    const int flag = in.byte();
    p.nodes.push_back(ProblemNode{depth, in.byte() % 21, in.byte() % 21,
                                  static_cast<Flag>(flag & 0x80 ? flag : flag & 1)});
    previous = depth;
  }
  const int size = in.byte();
  const int capacity = size == 0 ? recordTextCapacity : size * 9;
  std::vector<char> text(static_cast<std::size_t>(capacity), '\x7f');
  RecordFault fault{};
  const bool written = writeProblemRecord(record::describe(p), text.data(), capacity, fault);
  if (written && !carriable(p)) fuzz::broken("the writer took a problem it cannot carry");
  if (!written) {
    if (carriable(p) && capacity == recordTextCapacity)
      fuzz::broken(std::string("the writer refused a problem it can carry: ") + fault.message);
    if (text[0] != '\0' || fault.message[0] == '\0')
      fuzz::broken("a refusal left text or gave no message");
    return;
  }
  checkReadsBack(p, text.data(), false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  if (size > 0 && data[0] < 8) {
    in.byte();
    direct(in);
  } else {
    fromSgf(in.bytes(in.left()));
  }
  return 0;
}

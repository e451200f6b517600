// zandrel-record: problem records for authors. Encodes SGF problems into record lines, decodes
// records back to SGF, shows them as a diagram and a tree, and checks them as the trainer will
// play them. Output is written only when every input was good.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "board/go_board.h"
#include "problems/record_writer.h"
#include "tools/record/problem_source.h"
#include "tools/record/record_check.h"
#include "tools/record/sgf.h"

namespace {

const char* const usage =
    "usage: zandrel-record encode FILE.sgf...         one record line per SGF problem\n"
    "       zandrel-record decode RECORD-OR-FILE...   the records as SGF\n"
    "       zandrel-record show RECORD-OR-FILE...     region diagram and tree\n"
    "       zandrel-record check RECORD-OR-FILE...    replay and judge every problem\n"
    "A FILE of records holds one record a line; an argument that names no file is a record.\n";

bool readFile(const std::string& path, std::string& text, std::string& error) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    error = path + ": cannot read: " + std::strerror(errno);
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    error = path + ": cannot read: it is a folder";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot read: " + std::strerror(errno);
    return false;
  }
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = path + ": cannot read: " + std::strerror(errno != 0 ? errno : EIO);
    return false;
  }
  return true;
}

// ---- encode ----

bool encodeFile(const std::string& path, std::string& line, std::vector<std::string>& warnings,
                std::vector<std::string>& errors) {
  std::string text, error;
  if (!readFile(path, text, error)) return errors.push_back(error), false;
  sgf::Tree tree;
  if (!sgf::parse(text, tree, error)) return errors.push_back(path + ": " + error), false;
  record::Problem problem;
  record::Diagnostic fault;
  if (!record::problemFromSgf(tree, problem, fault)) {
    errors.push_back(path + ":" + std::to_string(fault.line) + ": " + fault.message);
    return false;
  }
  auto where = [&](int node) {
    if (node < 1) return path + ": ";
    return path + ":" + std::to_string(problem.sources[static_cast<std::size_t>(node) - 1].line) +
           ": ";
  };
  auto moveName = [&](int node) {
    if (node < 1) return std::string("the root");
    const record::NodeSource& s = problem.sources[static_cast<std::size_t>(node) - 1];
    return "move " + std::to_string(problem.nodes[static_cast<std::size_t>(node) - 1].depth) + " " +
           s.move;
  };
  // The message's own node is on the line it starts with; another node is given its line.
  auto explain = [&](const record::Finding& f) {
    return where(f.node) + record::describe(f, [&](int node) {
             if (node == f.node || node < 1) return moveName(node);
             return moveName(node) + " on line " +
                    std::to_string(problem.sources[static_cast<std::size_t>(node) - 1].line);
           });
  };

  char recordText[recordTextCapacity];
  RecordFault refusal{};
  if (!writeProblemRecord(record::describe(problem), recordText, sizeof recordText, refusal)) {
    std::string message = where(refusal.node) + refusal.message;
    if (refusal.node > 0) message += " (" + moveName(refusal.node) + ")";
    errors.push_back(message);
    return false;
  }
  const record::PlayFindings play = record::checkPlay(recordText);
  for (const record::Finding& f : play.illegal) errors.push_back(explain(f));
  if (!play.illegal.empty()) return false;
  std::vector<record::Finding> doubts = play.hidden;
  for (const record::Finding& f : record::checkSolvable(problem)) doubts.push_back(f);
  for (const record::Finding& f : doubts) {
    const std::string text = explain(f);
    const std::size_t at = where(f.node).size();
    warnings.push_back(text.substr(0, at) + "warning: " + text.substr(at));
  }
  line = recordText;
  return true;
}

int encode(const std::vector<std::string>& files) {
  std::string out;
  std::vector<std::string> warnings, errors;
  for (const std::string& path : files) {
    std::string line;
    if (encodeFile(path, line, warnings, errors)) out += line + "\n";
  }
  for (const std::string& w : warnings) std::cerr << w << '\n';
  for (const std::string& e : errors) std::cerr << e << '\n';
  if (!errors.empty()) return 1;
  std::cout << out;
  return 0;
}

// ---- records from arguments ----

struct RecordInput {
  std::string text;
  std::string origin;  // "FILE:LINE" or "argument N"
};

bool looksLikeRecord(const std::string& text) {
  if (text.empty()) return false;
  for (const char c : text)
    if (c < '0' || c > 'o') return false;
  return true;
}

bool gatherRecords(const std::vector<std::string>& arguments, std::vector<RecordInput>& records) {
  bool ok = true;
  for (std::size_t a = 0; a < arguments.size(); ++a) {
    const std::string& argument = arguments[a];
    struct stat info {};
    if (stat(argument.c_str(), &info) != 0) {
      if (looksLikeRecord(argument)) {
        records.push_back(RecordInput{argument, "argument " + std::to_string(a + 1)});
      } else {
        std::cerr << argument << ": no such file, and not a record text\n";
        ok = false;
      }
      continue;
    }
    std::string text, error;
    if (!readFile(argument, text, error)) {
      std::cerr << error << '\n';
      ok = false;
      continue;
    }
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      records.push_back(RecordInput{line, argument + ":" + std::to_string(number)});
    }
  }
  return ok;
}

// ---- decode and show ----

// Reads a record for decode and show; false after a message on stderr.
bool readForDisplay(const RecordInput& input, record::RecordContents& contents, bool strict) {
  std::string error;
  if (!record::readRecord(input.text, contents, error)) {
    std::cerr << input.origin << ": " << error << '\n';
    return false;
  }
  if (!strict) return true;
  const std::vector<record::Finding> faults = record::checkFormat(contents);
  for (const record::Finding& f : faults)
    std::cerr << input.origin << ": "
              << record::describe(f, [&](int n) { return record::nodeName(contents.problem, n); })
              << '\n';
  return faults.empty();
}

int decode(const std::vector<RecordInput>& records) {
  std::string out;
  bool ok = true;
  for (const RecordInput& input : records) {
    record::RecordContents contents;
    if (!readForDisplay(input, contents, true)) {
      ok = false;
      continue;
    }
    out += record::toSgf(contents.problem);
  }
  if (!ok) return 1;
  std::cout << out;
  return 0;
}

std::string showProblem(const record::RecordContents& contents) {
  const record::Problem& p = contents.problem;
  std::ostringstream out;
  out << "region " << p.width << " x " << p.height << ", " << p.black.size() << " Black and "
      << p.white.size() << " White setup stones, " << p.nodes.size()
      << (p.nodes.size() == 1 ? " node\n" : " nodes\n");
  char board[20][20] = {};
  std::string outside;
  for (const std::vector<BoardPoint>* stones : {&p.black, &p.white})
    for (const BoardPoint& s : *stones) {
      const char mark = stones == &p.black ? 'X' : 'O';
      if (s.column >= 1 && s.column <= p.width && s.row >= 1 && s.row <= p.height)
        board[s.column][s.row] = mark;
      else
        outside += std::string(" ") + mark + " " + record::pointName(s.column, s.row);
    }
  out << "   ";
  for (int c = 1; c <= p.width; ++c) out << ' ' << GoBoard::numberToLetter(c);
  out << '\n';
  for (int r = 1; r <= p.height; ++r) {
    out << (r < 10 ? "  " : " ") << r;
    for (int c = 1; c <= p.width; ++c) out << ' ' << (board[c][r] != 0 ? board[c][r] : '.');
    out << '\n';
  }
  if (!outside.empty()) out << "outside the region:" << outside << '\n';
  for (std::size_t i = 0; i < p.nodes.size(); ++i) {
    const ProblemNode& n = p.nodes[i];
    const bool leaf = i + 1 == p.nodes.size() || p.nodes[i + 1].depth <= n.depth;
    out << std::string(static_cast<std::size_t>(std::clamp(n.depth - 1, 0, 200)) * 2, ' ')
        << (n.depth % 2 != 0 ? "B " : "W ") << record::pointName(n.column, n.row);
    if (leaf)
      out << (n.success ? " correct" : " wrong");
    else if (n.success)
      out << " (flag 1)";
    out << '\n';
  }
  return out.str();
}

int show(const std::vector<RecordInput>& records) {
  std::string out;
  bool ok = true;
  for (std::size_t i = 0; i < records.size(); ++i) {
    record::RecordContents contents;
    if (!readForDisplay(records[i], contents, false)) {
      ok = false;
      continue;
    }
    if (records.size() > 1)
      out += (i > 0 ? "\nproblem " : "problem ") + std::to_string(i + 1) + "\n";
    out += showProblem(contents);
  }
  if (!ok) return 1;
  std::cout << out;
  return 0;
}

// ---- check ----

int check(const std::vector<RecordInput>& records) {
  bool allGood = true;
  for (std::size_t i = 0; i < records.size(); ++i) {
    std::string line = "problem " + std::to_string(i + 1) + ": ";
    record::RecordContents contents;
    std::string error;
    std::vector<std::string> faults;
    if (!record::readRecord(records[i].text, contents, error)) {
      faults.push_back(error);
    } else {
      auto name = [&](int n) { return record::nodeName(contents.problem, n); };
      for (const record::Finding& f : record::checkFormat(contents))
        faults.push_back(record::describe(f, name));
      const record::PlayFindings play = record::checkPlay(records[i].text);
      for (const record::Finding& f : play.illegal) faults.push_back(record::describe(f, name));
      for (const record::Finding& f : play.hidden) faults.push_back(record::describe(f, name));
      for (const record::Finding& f : record::checkSolvable(contents.problem))
        faults.push_back(record::describe(f, name));
    }
    if (faults.empty()) {
      const record::Problem& p = contents.problem;
      line += "ok (" + std::to_string(p.nodes.size()) + (p.nodes.size() == 1 ? " node" : " nodes") +
              ", depth " + std::to_string(record::treeDepth(p)) + ", region " +
              std::to_string(p.width) + "x" + std::to_string(p.height) + ")";
    } else {
      allGood = false;
      line += "FAIL: ";
      for (std::size_t k = 0; k < faults.size(); ++k) line += (k > 0 ? "; " : "") + faults[k];
    }
    std::cout << line << '\n';
  }
  return allGood ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() < 2) {
    if (arguments.size() == 1 && (arguments[0] == "-h" || arguments[0] == "--help")) {
      std::cout << usage;
      return 0;
    }
    std::cerr << usage;
    return 2;
  }
  const std::string command = arguments[0];
  arguments.erase(arguments.begin());
  if (command == "encode") return encode(arguments);
  if (command != "decode" && command != "show" && command != "check") {
    std::cerr << "unknown command \"" << command << "\"\n" << usage;
    return 2;
  }
  std::vector<RecordInput> records;
  if (!gatherRecords(arguments, records)) return 1;
  if (command == "decode") return decode(records);
  if (command == "show") return show(records);
  return check(records);
}

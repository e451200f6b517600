// SGF reading without recursion, so a deeply nested file cannot exhaust the stack.
#include "tools/record/sgf.h"

#include <cstring>

namespace sgf {

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isUpper(char c) {
  return c >= 'A' && c <= 'Z';
}

bool isLower(char c) {
  return c >= 'a' && c <= 'z';
}

class Parser {
 public:
  Parser(const std::string& text, Tree& tree, std::string& error)
      : text_(text), tree_(tree), error_(error) {}

  bool run() {
    tree_.nodes.clear();
    // A byte-order mark is not part of the game.
    if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) at_ = 3;
    bool gameSeen = false;
    for (;;) {
      skipSpace();
      if (at_ >= text_.size()) break;
      const char c = text_[at_];
      if (frames_.empty()) {
        if (c != '(') return fail(std::string("unexpected ") + shown(c) + " outside the game tree");
        if (gameSeen) return fail("a second game tree: one problem a file");
        gameSeen = true;
        frames_.push_back(Frame{-1, -1, false});
        ++at_;
        continue;
      }
      Frame& frame = frames_.back();
      if (c == '(') {
        if (frame.last < 0) return fail("a variation before the first node of its tree");
        frame.variations = true;
        frames_.push_back(Frame{frame.last, -1, false});
        ++at_;
      } else if (c == ')') {
        if (frame.last < 0) return fail("a game tree without nodes");
        frames_.pop_back();
        ++at_;
      } else if (c == ';') {
        if (frame.variations) return fail("a node after the variations of its sequence");
        ++at_;
        if (!readNode(frame)) return false;
      } else {
        return fail(std::string("unexpected ") + shown(c));
      }
    }
    if (!frames_.empty()) return fail("the file ends inside a game tree: a \")\" is missing");
    if (!gameSeen) return fail("no game tree: an SGF file starts with \"(;\"");
    return true;
  }

 private:
  struct Frame {
    int attach;  // the node this tree's first node hangs from; -1 for the root
    int last;    // the last node of the sequence so far
    bool variations;
  };

  static std::string shown(char c) {
    if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) >= 127)
      return "byte " + std::to_string(static_cast<unsigned char>(c));
    return std::string("\"") + c + "\"";
  }

  bool fail(const std::string& message) {
    error_ = "line " + std::to_string(line_) + ": " + message;
    return false;
  }

  void skipSpace() {
    while (at_ < text_.size() && isSpace(text_[at_])) advance();
  }

  void advance() {
    if (text_[at_] == '\n') ++line_;
    ++at_;
  }

  bool readNode(Frame& frame) {
    const int index = static_cast<int>(tree_.nodes.size());
    const int parent = frame.last >= 0 ? frame.last : frame.attach;
    tree_.nodes.push_back(Node{});
    tree_.nodes.back().line = line_;
    if (parent >= 0) tree_.nodes[static_cast<std::size_t>(parent)].children.push_back(index);
    frame.last = index;
    Node& node = tree_.nodes.back();
    for (;;) {
      skipSpace();
      if (at_ >= text_.size()) return true;
      const char c = text_[at_];
      if (!isUpper(c) && !isLower(c)) return true;
      Property property;
      while (at_ < text_.size() && (isUpper(text_[at_]) || isLower(text_[at_]))) {
        // FF[3] allowed lower-case letters in names ("AddBlack"); they carry no meaning.
        if (isUpper(text_[at_])) property.name += text_[at_];
        ++at_;
      }
      if (property.name.empty()) return fail("a property name without capital letters");
      skipSpace();
      while (at_ < text_.size() && text_[at_] == '[') {
        std::string value;
        if (!readValue(property.name, value)) return false;
        property.values.push_back(value);
        skipSpace();
      }
      if (property.values.empty()) return fail("property " + property.name + " has no value");
      if (find(node, property.name.c_str()) != nullptr)
        return fail("property " + property.name + " appears twice in one node");
      node.properties.push_back(property);
    }
  }

  bool readValue(const std::string& name, std::string& value) {
    const int startLine = line_;
    ++at_;  // "["
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == ']') {
        ++at_;
        return true;
      }
      if (c == '\\' && at_ + 1 < text_.size()) {
        advance();
        const char escaped = text_[at_];
        if (escaped == '\n' || escaped == '\r') {
          // A soft line break: the escaped line end (one or two characters) disappears.
          advance();
          if (at_ < text_.size() && (text_[at_] == '\n' || text_[at_] == '\r') &&
              text_[at_] != escaped)
            advance();
          continue;
        }
        value += escaped;
        advance();
        continue;
      }
      value += c;
      advance();
    }
    line_ = startLine;
    return fail("the value of " + name + " is never closed by \"]\"");
  }

  const std::string& text_;
  Tree& tree_;
  std::string& error_;
  std::size_t at_ = 0;
  int line_ = 1;
  std::vector<Frame> frames_;
};

}  // namespace

bool parse(const std::string& text, Tree& tree, std::string& error) {
  return Parser(text, tree, error).run();
}

const Property* find(const Node& node, const char* name) {
  for (const Property& property : node.properties)
    if (property.name == name) return &property;
  return nullptr;
}

}  // namespace sgf

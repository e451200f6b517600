// A small reader of SGF game trees (FF[3] and FF[4]): nodes, their properties and their children,
// with the line each node starts on for messages.
#pragma once

#include <string>
#include <vector>

namespace sgf {

struct Property {
  std::string name;                 // upper-case letters only (FF[3] lower-case letters dropped)
  std::vector<std::string> values;  // escapes resolved, soft line breaks removed
};

struct Node {
  std::vector<Property> properties;
  std::vector<int> children;  // indexes into Tree::nodes, in file order
  int line = 0;               // 1-based line of the node's ";"
};

// One game tree; node 0 is its root.
struct Tree {
  std::vector<Node> nodes;
};

// The one game tree of an SGF text. False, with a message naming the line, when the text is not
// a single well-formed game tree.
bool parse(const std::string& text, Tree& tree, std::string& error);

// The node's values of a property, or null when it has none.
const Property* find(const Node& node, const char* name);

}  // namespace sgf

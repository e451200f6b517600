// Reading record texts back, and checking them the way the trainer will use them.
#pragma once

#include <string>
#include <vector>

#include "tools/record/problem_source.h"

namespace record {

// A record as the trainer reads it, with the header's fields as stored.
struct RecordContents {
  int widthField = 0;  // before the reader limits it to 3..19
  int heightField = 0;
  int blackCount = 0;
  int whiteCount = 0;
  int entryCount = 0;  // the root included
  int byteCount = 0;   // as the text decodes
  Problem problem;     // the region as read; setup and nodes from the texts, in record order
  std::string setupText;
  std::string treeText;
  bool strayCharacter = false;  // a last character that carries no bits
  bool endsEarly = false;       // the texts depend on bytes after the end of the record
};

// Reads a record text with the trainer's decoder and reader. False, with a message, when the
// text cannot be a record: empty, too long for the trainer, or characters outside "0".."o".
bool readRecord(const std::string& text, RecordContents& contents, std::string& error);

// A fault of a record: node is the 1-based tree node it concerns (0 for the problem as a whole),
// other a second node it names (0 for none); in the message "%1" and "%2" stand for their names.
struct Finding {
  int node = 0;
  int other = 0;
  std::string message;
};

// The message with the two nodes named by `name`.
template <typename Namer>
std::string describe(const Finding& finding, Namer name) {
  std::string text = finding.message;
  for (std::size_t at; (at = text.find("%1")) != std::string::npos;)
    text.replace(at, 2, name(finding.node));
  for (std::size_t at; (at = text.find("%2")) != std::string::npos;)
    text.replace(at, 2, name(finding.other));
  return text;
}

// What the format or the trainer's index cannot carry: the limits, the tree's shape, codes
// that name no point, a record that ends early.
std::vector<Finding> checkFormat(const RecordContents& contents);

struct PlayFindings {
  std::vector<Finding> illegal;  // setup stones or moves the trainer's rules refuse
  std::vector<Finding> hidden;   // player's moves an earlier sibling always takes instead
};
// Opens the record as the trainer does and replays every line from the setup, a tree pass as
// the trainer shows it.
PlayFindings checkPlay(const std::string& text);

// Replies under a correct move of the player from which no correct leaf can be reached, or no
// correct leaf at all: in both cases "Success" can never come.
std::vector<Finding> checkSolvable(const Problem& problem);

// The node for messages: "node 5 (move 2, W E4)"; "the root" for 0.
std::string nodeName(const Problem& problem, int node);

// The deepest node's depth, 0 without nodes.
int treeDepth(const Problem& problem);

}  // namespace record

// Record fuzz target: problem records opened as the trainer opens them, then played a little.
//
// Byte 0 chooses the way in; bytes 1-2 give the length of the record part that follows; the rest
// are taps, passes, takebacks, hints, restarts and mode switches on the opened problem.
//   0  the part as a record text through openRecord (refused unless every character is "0".."o")
//   1  the part mapped into the record alphabet, then openRecord
//   2  the part's raw bytes (up to a zero) through decodeRecordText, readProblemRecord and
//      indexProblemTree
//   3  the part's raw bytes as the record bytes, straight into readProblemRecord
//   4  the part as setupText and the tree's entries after the root (split at its first 0xFF
//      byte), then indexProblemTree
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "problems/problem_record.h"
#include "resources/ids.h"

namespace {

// What the reader promises of the texts it writes, whatever the bytes: pairs of letters, a blank
// and a bar in the setup; the root, then whole six-character entries, then zeros, in the tree.
void checkReaderTexts(const GoBoard& b) {
  const std::size_t setup = strnlen(b.setupText, setupTextCapacity);
  if (setup == static_cast<std::size_t>(setupTextCapacity)) fuzz::broken("setupText is not ended");
  const int blank = GoBoard::findChar(b.setupText, ' ');
  if (blank < 0 || blank % 2 != 0 || b.setupText[setup - 1] != '|' ||
      (setup - static_cast<std::size_t>(blank) - 2) % 2 != 0)
    fuzz::broken("setupText \"" + std::string(b.setupText) + "\" is not pairs, blank, pairs, bar");
  const std::size_t tree = strnlen(b.treeText, treeTextCapacity);
  if (tree == static_cast<std::size_t>(treeTextCapacity) || tree % 6 != 0 || tree < 6)
    fuzz::broken("treeText of " + std::to_string(tree) + " characters is not whole entries");
  if (std::strncmp(b.treeText, "00000~", 6) != 0)
    fuzz::broken("treeText does not start at the root");
  for (std::size_t at = 6; at < tree; at += 6)
    if (b.treeText[at + 5] != '~' || b.treeText[at + 4] != ' ' ||
        (b.treeText[at + 3] != '0' && b.treeText[at + 3] != '1'))
      fuzz::broken("treeText entry at " + std::to_string(at) + " is malformed");
}

// Taps on points, and the commands that move through the problem.
play::Event move(fuzz::Input& in) {
  namespace command = ids::command;
  static const int commands[] = {command::pass, command::back, command::softKey, command::replay,
                                 command::mode};
  const int op = in.byte();
  if (op % 4 != 3) {
    const int column = in.byte() % 22, row = in.byte() % 22;
    return fuzz::pointTap(column, row);
  }
  play::Event e;
  switch (op / 4 % 8) {
    case 0:
      e.kind = play::Kind::key;
      e.code = platform::key::enter;
      return e;
    case 1:
      e.kind = play::Kind::secondary;
      e.x = goBoard.columnToX(1);
      e.y = goBoard.rowToY(1) + platform::topBarHeight;
      return e;
    default:
      e.kind = play::Kind::command;
      e.code = commands[op / 32 % 5];
      return e;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const int mode = in.byte() % 5;
  const std::string part = in.bytes(in.word());

  play::Session session(play::Session::Start{});
  std::string failure = session.begin();
  if (!failure.empty()) fuzz::broken("start-up: " + failure);
  GoBoard& b = goBoard;

  switch (mode) {
    case 0:
    case 1: {
      std::string text = part.substr(0, part.find('\0'));
      if (mode == 1)
        for (char& c : text)
          c = static_cast<char>(recordFirstChar + static_cast<unsigned char>(c) % 64);
      bool wellFormed = text.size() <= 8190;
      for (char c : text) wellFormed = wellFormed && c >= recordFirstChar && c <= recordLastChar;
      if (b.openRecord(text.c_str()) != wellFormed)
        fuzz::broken(wellFormed ? "a well-formed record text was refused"
                                : "a record text with a bad character or too long was opened");
      if (wellFormed) checkReaderTexts(b);
      break;
    }
    case 2: {
      // Exactly the text and its zero, so a read or write past them is caught.
      const std::string text = part.substr(0, part.find('\0'));
      std::vector<char> buffer(text.begin(), text.end());
      buffer.push_back('\0');
      const int n = decodeRecordText(buffer.data());
      const int length = static_cast<int>(text.size());
      const int expected = length / 4 * 3 + (length % 4 == 2 ? 1 : length % 4 == 3 ? 2 : 0);
      if (n != expected || buffer[static_cast<std::size_t>(n)] != '\0')
        fuzz::broken("decoding " + std::to_string(length) + " characters gave " +
                     std::to_string(n) + " bytes");
      std::vector<unsigned char> bytes(buffer.begin(), buffer.begin() + n);
      b.readProblemRecord(bytes.data(), n);
      checkReaderTexts(b);
      b.indexProblemTree();
      break;
    }
    case 3: {
      std::vector<unsigned char> bytes(part.begin(), part.end());
      b.readProblemRecord(bytes.data(), static_cast<int>(bytes.size()));
      checkReaderTexts(b);
      b.indexProblemTree();
      break;
    }
    default: {
      const std::size_t split = part.find('\xff');
      const std::string setup = part.substr(0, split);
      // The root entry is the reader's own, always; the entries after it are any bytes.
      const std::string tree =
          "00000~" + (split == std::string::npos ? std::string() : part.substr(split + 1));
      std::memset(b.setupText, 0, sizeof b.setupText);
      std::memset(b.treeText, 0, sizeof b.treeText);
      std::memcpy(b.setupText, setup.data(),
                  std::min<std::size_t>(setup.size(), setupTextCapacity - 1));
      std::memcpy(b.treeText, tree.data(),
                  std::min<std::size_t>(tree.size(), treeTextCapacity - 1));
      b.indexProblemTree();
      break;
    }
  }

  failure = session.run();
  if (failure.empty()) failure = checkConsistency(b);
  if (!failure.empty()) fuzz::broken("opening: " + failure);
  // A few moves on it: the input's bytes until a command opens another problem.
  for (int moves = 0; moves < 64 && !in.empty() && session.running(); ++moves) {
    const play::Event e = move(in);
    failure = session.apply(e);
    if (failure.empty()) failure = checkConsistency(b);
    if (!failure.empty()) fuzz::broken(play::describe(e) + ": " + failure);
  }
  platform::headless::takeRecord();
  return 0;
}

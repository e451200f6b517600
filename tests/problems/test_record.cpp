// Problem records: the text armour, the bit reader on hand-made bit sequences, and the writer
// against the reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/go_board.h"
#include "problems/problem_record.h"
#include "problems/record_writer.h"

namespace {

using Bytes = std::vector<unsigned char>;

// What reading a record leaves in the game object.
struct Read {
  int width, height;
  std::string setup, tree;
  bool operator==(const Read&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Read& r) {
  return out << r.width << "x" << r.height << " \"" << r.setup << "\" \"" << r.tree << "\"";
}

Read readBytes(const Bytes& bytes, int byteCount) {
  GoBoard b;
  b.readProblemRecord(bytes.data(), byteCount);
  return Read{b.problemWidth, b.problemHeight, b.setupText, b.treeText};
}

Bytes decoded(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  const int count = decodeRecordText(buffer.data());
  EXPECT_EQ(buffer[static_cast<std::size_t>(count)], '\0') << "no zero byte after " << text;
  return Bytes(buffer.begin(), buffer.begin() + count);
}

Read readText(const std::string& text) {
  const Bytes bytes = decoded(text);
  return readBytes(bytes, static_cast<int>(bytes.size()));
}

// ---- a record made by hand, straight from the layout of the bytes ----

std::uint32_t firstWord(int whiteCount, int width, int height, int firstMove, int bit31) {
  return static_cast<std::uint32_t>(whiteCount) | static_cast<std::uint32_t>(width) << 12 |
         static_cast<std::uint32_t>(height) << 17 | static_cast<std::uint32_t>(firstMove) << 22 |
         static_cast<std::uint32_t>(bit31) << 31;
}

std::uint32_t secondWord(int entryCount, int blackCount, int firstSuccess, int bit31) {
  return static_cast<std::uint32_t>(entryCount) << 13 |
         static_cast<std::uint32_t>(blackCount) << 22 |
         static_cast<std::uint32_t>(firstSuccess) << 30 | static_cast<std::uint32_t>(bit31) << 31;
}

// The header words, then the bits ("0"/"1" in reading order, blanks ignored) from byte 8 on.
Bytes handMade(std::uint32_t first, std::uint32_t second, const std::string& bits) {
  Bytes bytes;
  for (const std::uint32_t word : {first, second})
    for (int shift = 24; shift >= 0; shift -= 8)
      bytes.push_back(static_cast<unsigned char>(word >> shift));
  int n = 0;
  for (const char c : bits) {
    if (c == ' ') continue;
    if (n % 8 == 0) bytes.push_back(0);
    if (c == '1') bytes.back() |= static_cast<unsigned char>(1u << (n % 8));
    ++n;
  }
  return bytes;
}

// The header fields of a hand-made record.
struct Header {
  int whiteCount = 0;
  int width = 5;
  int height = 5;
  int firstMove = 0;
  int entryCount = 1;
  int blackCount = 0;
  int firstSuccess = 0;
};

// A record from its whole bit sequence: the bit after the Black stones goes to the first header
// word, the first bit left to the second.
Bytes fromSequence(const Header& h, const std::string& sequence) {
  std::string bits;
  for (const char c : sequence)
    if (c != ' ') bits += c;
  const std::size_t toFirst = 9 * static_cast<std::size_t>(h.blackCount);
  const std::size_t toSecond = toFirst == 0 ? 1 : 0;
  const int first = toFirst < bits.size() && bits[toFirst] == '1';
  const int second = toSecond < bits.size() && bits[toSecond] == '1';
  if (toFirst < bits.size()) bits.erase(std::max(toFirst, toSecond), 1);
  if (toSecond < bits.size()) bits.erase(std::min(toFirst, toSecond), 1);
  return handMade(firstWord(h.whiteCount, h.width, h.height, h.firstMove, first),
                  secondWord(h.entryCount, h.blackCount, h.firstSuccess, second), bits);
}

// n bits of value, lowest first.
std::string bitsOf(unsigned value, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += (value >> i & 1u) != 0 ? '1' : '0';
  return out + ' ';
}

// A moveField: code bits 0..4, the flag, then code bits 8, 7, 6, 5.
std::string moveFieldBits(unsigned code, unsigned flag) {
  return bitsOf(code, 5) + bitsOf(flag, 1) + bitsOf(code >> 8, 1) + bitsOf(code >> 7, 1) +
         bitsOf(code >> 6, 1) + bitsOf(code >> 5, 1);
}

unsigned codeOf(int column, int row) {
  return static_cast<unsigned>(20 * (column - 1) + row - 1);
}

// ---- the worked example: 6 x 5, Black C3 D3, White C4, three nodes ----

const char* const exampleText = "?:PN100P00E2nZNPY0:R20";
const Bytes exampleBytes = {0x8F, 0xCA, 0x60, 0x01, 0x00, 0x80, 0x80, 0x00,
                            0x15, 0x3E, 0x2A, 0x9E, 0xA9, 0x00, 0x8A, 0x02};
const Read exampleRead = {6, 5, "CCDC CD|", "00000~1DD0 ~2ED1 ~1EE0 ~"};

const BoardPoint exampleBlack[] = {{3, 3}, {4, 3}};
const BoardPoint exampleWhite[] = {{3, 4}};
const ProblemNode exampleNodes[] = {{1, 4, 4, 0}, {2, 5, 4, 1}, {1, 5, 5, 0}};
const ProblemDescription example = {6, 5, exampleBlack, 2, exampleWhite, 1, exampleNodes, 3};

TEST(WorkedExample, WriterGivesTheTextAndItsBytes) {
  char text[recordTextCapacity];
  RecordFault fault{};
  ASSERT_TRUE(writeProblemRecord(example, text, sizeof text, fault)) << fault.message;
  EXPECT_STREQ(text, exampleText);
  EXPECT_EQ(decoded(text), exampleBytes);
}

TEST(WorkedExample, HandMadeBitsGiveTheSameBytes) {
  // The bit sequence of the example with bit 18 lent to the first word and bit 0 to the second.
  const Bytes bytes =
      handMade(firstWord(1, 6, 5, 63, 1), secondWord(4, 2, 0, 0),
               "10101000 011111000 10101000 1 1 1100110010 1 010000000 0010100010 1");
  EXPECT_EQ(bytes, exampleBytes);
}

TEST(WorkedExample, ReaderGivesTheTexts) {
  EXPECT_EQ(readText(exampleText), exampleRead);
  EXPECT_EQ(readBytes(exampleBytes, 16), exampleRead);
}

TEST(WorkedExample, ReaderFetchesNoByteAfterTheSixteenth) {
  // Whatever follows the record, even when the reader is allowed to read it, changes nothing.
  for (const unsigned char poison : {0x00, 0xFF, 0x55, 0xAA}) {
    Bytes bytes = exampleBytes;
    bytes.resize(64, poison);
    EXPECT_EQ(readBytes(bytes, 64), exampleRead) << int{poison};
  }
  // Byte 14 holds the last node's move, so the reader does need the record's own bytes.
  Bytes changed = exampleBytes;
  changed[14] ^= 0x10;
  EXPECT_NE(readBytes(changed, 16), exampleRead);
}

TEST(WorkedExample, BytesPastTheCountReadAsZero) {
  // Cut after byte 13, the last node's move is read from zero bits, whatever the buffer holds.
  Bytes poisoned = exampleBytes;
  poisoned[14] = poisoned[15] = 0xFF;
  const Read cut = readBytes(Bytes(exampleBytes.begin(), exampleBytes.begin() + 14), 14);
  EXPECT_EQ(readBytes(poisoned, 14), cut);
  EXPECT_EQ(cut.setup, exampleRead.setup);
  EXPECT_EQ(cut.tree, "00000~1DD0 ~2ED1 ~1AA0 ~");
}

// ---- the armour ----

TEST(DecodeRecordText, GroupsAndShortTails) {
  const struct {
    const char* text;
    Bytes bytes;
  } cases[] = {
      {"", {}},
      {"0", {}},              // one character carries nothing
      {"00", {0x00}},         // 4k + 2: one byte
      {"o3", {0xFF}},         // bits 6..7 from the second character
      {"000", {0x00, 0x00}},  // 4k + 3: two bytes
      {"oo<", {0x3F, 0xFF}},  // "<" is 12: bits 0..1 to b0, bits 2..3 to b1
      {"0000", {0x00, 0x00, 0x00}},
      {"123o", {0xC1, 0xC2, 0xC3}},  // "o" is 63: bits 6..7 of each byte set
      {"1236", {0x81, 0x42, 0x03}},  // "6" is 6: 2 to b0, 1 to b1, 0 to b2
      {"?:PN", {0x8F, 0xCA, 0x60}},
      {"?:PN1", {0x8F, 0xCA, 0x60}},  // 4k + 1: the last character is dropped
      {"?:PN10", {0x8F, 0xCA, 0x60, 0x01}},
      {"?:PN100", {0x8F, 0xCA, 0x60, 0x01, 0x00}},
  };
  for (const auto& c : cases) EXPECT_EQ(decoded(c.text), c.bytes) << c.text;
}

TEST(DecodeRecordText, StaysInsideTheText) {
  // The bytes and their zero overwrite the start of the text; the rest is left alone.
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  std::strcpy(buffer, "?:PN100");
  EXPECT_EQ(decodeRecordText(buffer), 5);
  EXPECT_EQ(buffer[5], '\0');
  EXPECT_EQ(buffer[6], '0');
  EXPECT_EQ(buffer[7], '\0');
  EXPECT_EQ(buffer[8], '#');
}

// ---- the reader's corners, on hand-made records ----

TEST(ReadProblemRecord, EntryCountsZeroOneTwo) {
  // One Black stone at A1 (code 0); node 1's trailer is the bit lent to the first header word.
  Header h;
  h.blackCount = 1;
  h.firstMove = static_cast<int>(codeOf(2, 3));
  h.firstSuccess = 1;
  for (const int entries : {0, 1}) {
    h.entryCount = entries;
    const Read r = readBytes(fromSequence(h, "000000000 1"), 99);
    EXPECT_EQ(r.setup, "AA |");
    EXPECT_EQ(r.tree, "00000~") << entries;
  }
  h.entryCount = 2;
  const Bytes two = fromSequence(h, "000000000 1");
  EXPECT_EQ(two.size(), 9u);  // 8 bits after the header, the ninth lent to it
  EXPECT_EQ(readBytes(two, 9).tree, "00000~1BC1 ~");
}

TEST(ReadProblemRecord, NoSetupStones) {
  const Read none = readBytes(handMade(firstWord(0, 4, 4, 0, 0), secondWord(1, 0, 0, 0), ""), 8);
  EXPECT_EQ(none.setup, " |");
  EXPECT_EQ(none.tree, "00000~");
  // Without Black stones the first word's bit comes first, then the second word's: a White
  // stone at C3 (code 42, bits 010101000) takes its first two bits from the header.
  const Read white =
      readBytes(handMade(firstWord(1, 4, 4, 0, 0), secondWord(1, 0, 0, 1), "0101000"), 9);
  EXPECT_EQ(white.setup, " CC|");
}

TEST(ReadProblemRecord, RegionSidesAreLimited) {
  const struct {
    int field, side;
  } cases[] = {{0, 3}, {1, 3}, {2, 3}, {3, 3}, {12, 12}, {19, 19}, {20, 19}, {25, 19}, {31, 19}};
  for (const auto& c : cases) {
    Header wide, tall;
    wide.width = tall.height = c.field;
    wide.height = tall.width = 7;
    const Read w = readBytes(fromSequence(wide, ""), 8);
    const Read t = readBytes(fromSequence(tall, ""), 8);
    EXPECT_EQ(w.width, c.side) << c.field;
    EXPECT_EQ(w.height, 7);
    EXPECT_EQ(t.height, c.side) << c.field;
    EXPECT_EQ(t.width, 7);
  }
}

TEST(ReadProblemRecord, ExplicitDepthThenDepthCodeOne) {
  // Node 2 at explicit depth 3, node 3 one deeper, node 4 at explicit depth 1.
  Header h;
  h.firstMove = static_cast<int>(codeOf(1, 1));
  h.entryCount = 5;
  const std::string sequence = "1 0 " + bitsOf(3, 8) + moveFieldBits(codeOf(2, 2), 0) + "1 " +
                               "1 " + moveFieldBits(codeOf(3, 3), 1) + "1 " + "0 " + bitsOf(1, 8) +
                               moveFieldBits(codeOf(4, 4), 0) + "1";
  EXPECT_EQ(readBytes(fromSequence(h, sequence), 99).tree, "00000~1AA0 ~3BB0 ~4CC1 ~1DD0 ~");
}

TEST(ReadProblemRecord, TrailerWithFourIgnoredBits) {
  Header h;
  h.width = h.height = 9;
  h.firstMove = static_cast<int>(codeOf(4, 4));
  h.entryCount = 3;
  const std::string after = "1 " + moveFieldBits(codeOf(5, 6), 1) + "1";
  const Read plain = readBytes(fromSequence(h, "1 " + after), 99);
  EXPECT_EQ(plain.tree, "00000~1DD0 ~2EF1 ~");
  for (unsigned ignored = 0; ignored < 16; ++ignored)
    EXPECT_EQ(readBytes(fromSequence(h, "0 " + bitsOf(ignored, 4) + after), 99), plain) << ignored;
}

TEST(ReadProblemRecord, PassCodeReadsAsTT) {
  Header h;
  h.firstMove = 399;
  h.firstSuccess = 1;
  h.entryCount = 3;
  const Read r = readBytes(fromSequence(h, "1 1 " + moveFieldBits(399, 0) + "1"), 99);
  EXPECT_EQ(r.tree, "00000~1TT1 ~2TT0 ~");
}

TEST(ReadProblemRecord, CodesThatNameNoPointAreWrittenAsTheyRead) {
  // 19 reads back as (1, 20), 400 as (21, 1), 511 as (26, 12).
  Header h;
  h.blackCount = 2;
  h.whiteCount = 1;
  const Read r = readBytes(fromSequence(h, bitsOf(19, 9) + bitsOf(400, 9) + bitsOf(511, 9)), 99);
  EXPECT_EQ(r.setup, "ATUA ZL|");
}

TEST(ReadProblemRecord, EveryEarlierTextIsCleared) {
  GoBoard b;
  std::memset(b.setupText, 'x', sizeof b.setupText);
  std::memset(b.treeText, 'x', sizeof b.treeText);
  b.readProblemRecord(exampleBytes.data(), 16);
  EXPECT_EQ(std::string(b.setupText), exampleRead.setup);
  EXPECT_EQ(std::string(b.treeText), exampleRead.tree);
  for (int i = static_cast<int>(exampleRead.setup.size()); i < setupTextCapacity; ++i)
    ASSERT_EQ(b.setupText[i], '\0') << i;
  for (int i = static_cast<int>(exampleRead.tree.size()); i < 4096; ++i)
    ASSERT_EQ(b.treeText[i], '\0') << i;
}

TEST(ReadProblemRecord, SetupTextStopsWhereItWouldOverflow) {
  // 255 Black and 255 White stones at A1 would need 1023 characters: the text takes stones only
  // while the bar and the zero still fit, and the bits of the others are still read past.
  Header h;
  h.blackCount = h.whiteCount = 255;
  h.entryCount = 3;
  h.firstMove = static_cast<int>(codeOf(2, 2));
  std::string sequence;
  for (int i = 0; i < 510; ++i) sequence += "000000000";
  sequence += "1 1 " + moveFieldBits(codeOf(3, 3), 1) + "1";
  GoBoard b;
  std::memset(b.treeText, 'x', sizeof b.treeText);
  const Bytes bytes = fromSequence(h, sequence);
  b.readProblemRecord(bytes.data(), static_cast<int>(bytes.size()));
  const std::string setup(b.setupText, strnlen(b.setupText, setupTextCapacity));
  ASSERT_LT(setup.size(), static_cast<std::size_t>(setupTextCapacity));
  EXPECT_EQ(setup, std::string(510, 'A') + " " + std::string(254, 'A') + "|");
  EXPECT_STREQ(b.treeText, "00000~1BB0 ~2CC1 ~");
}

TEST(ReadProblemRecord, DepthCharacterKeptToEightBits) {
  // Explicit depth 250, then steps of one up to 257: characters 48 + depth, modulo 256.
  Header h;
  h.entryCount = 10;
  std::string sequence = "1 0 " + bitsOf(250, 8) + moveFieldBits(0, 0) + "1 ";
  for (int i = 0; i < 7; ++i) sequence += "1 " + moveFieldBits(0, 0) + "1 ";
  const Read r = readBytes(fromSequence(h, sequence), 99);
  ASSERT_EQ(r.tree.size(), 60u);
  EXPECT_EQ(r.tree[12], static_cast<char>((48 + 250) % 256));
  EXPECT_EQ(r.tree[42], static_cast<char>((48 + 255) % 256));
  EXPECT_EQ(r.tree[48], '0');  // depth 256
  EXPECT_EQ(r.tree[54], '1');  // depth 257
}

// ---- the writer ----

struct Description {
  int width = 5, height = 5;
  std::vector<BoardPoint> black, white;
  std::vector<ProblemNode> nodes;
  ProblemDescription view() const {
    return ProblemDescription{width,        height,
                              black.data(), static_cast<int>(black.size()),
                              white.data(), static_cast<int>(white.size()),
                              nodes.data(), static_cast<int>(nodes.size())};
  }
};

// The texts a problem must read back as, built straight from their layout.
Read expectedRead(const Description& d) {
  Read r{d.width, d.height, "", "00000~"};
  auto letter = [](int n) { return static_cast<char>(64 + n); };
  for (const BoardPoint& p : d.black) (r.setup += letter(p.column)) += letter(p.row);
  r.setup += ' ';
  for (const BoardPoint& p : d.white) (r.setup += letter(p.column)) += letter(p.row);
  r.setup += '|';
  for (const ProblemNode& n : d.nodes) {
    r.tree += static_cast<char>(48 + n.depth);
    r.tree += letter(n.column);
    r.tree += letter(n.row);
    r.tree += n.success ? "1 ~" : "0 ~";
  }
  return r;
}

std::string written(const Description& d, RecordFault& fault) {
  char text[recordTextCapacity];
  if (!writeProblemRecord(d.view(), text, sizeof text, fault)) return "";
  return text;
}

Description randomProblem(std::mt19937& random, int maxStones, int maxNodes) {
  auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  Description d;
  d.width = pick(3, 19);
  d.height = pick(3, 19);
  const int stones = pick(0, maxStones);
  for (int i = 0; i < stones; ++i) {
    const BoardPoint p{pick(1, 19), pick(1, 19)};
    const bool wantBlack = pick(0, 1) == 0;
    (wantBlack ? (d.black.size() < 255 ? d.black : d.white)
               : (d.white.size() < 255 ? d.white : d.black))
        .push_back(p);
  }
  const int nodes = pick(0, maxNodes);
  int depth = 0;
  for (int i = 0; i < nodes; ++i) {
    depth = i == 0 ? 1 : pick(1, std::min(depth + 1, maxRecordDepth));
    const bool pass = pick(0, 9) == 0;
    d.nodes.push_back(ProblemNode{depth, pass ? 20 : pick(1, 19), pass ? 20 : pick(1, 19),
                                  static_cast<Flag>(pick(0, 1))});
  }
  return d;
}

TEST(WriteProblemRecord, RandomProblemsReadBackUnchanged) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 300; ++round) {
    const Description d =
        randomProblem(random, round % 10 == 0 ? 382 : 12, round % 7 == 0 ? 498 : 30);
    RecordFault fault{};
    const std::string text = written(d, fault);
    ASSERT_FALSE(text.empty()) << fault.message;
    ASSERT_EQ(readText(text), expectedRead(d)) << "round " << round;
  }
}

TEST(WriteProblemRecord, LargestProblemFitsItsBuffer) {
  // Every stone and every node as long as it can be: explicit depths all the way.
  Description d;
  for (int i = 0; i < 255; ++i) d.black.push_back(BoardPoint{19, 19});
  for (int i = 0; i < 127; ++i) d.white.push_back(BoardPoint{19, 19});
  d.nodes.assign(maxRecordNodes, ProblemNode{1, 20, 20, 1});  // every depth written in full
  RecordFault fault{};
  const std::string text = written(d, fault);
  ASSERT_FALSE(text.empty()) << fault.message;
  EXPECT_LT(text.size(), static_cast<std::size_t>(recordTextCapacity));
  EXPECT_EQ(readText(text), expectedRead(d));
}

TEST(WriteProblemRecord, LimitsAreAcceptedUpToTheirEdge) {
  Description d;
  d.width = 3;
  d.height = 19;
  d.black.assign(255, BoardPoint{1, 1});
  d.white.assign(127, BoardPoint{19, 19});
  for (int depth = 1; depth <= maxRecordDepth; ++depth) d.nodes.push_back({depth, 20, 20, 0});
  while (d.nodes.size() < static_cast<std::size_t>(maxRecordNodes))
    d.nodes.push_back({1, 1, 19, 1});
  RecordFault fault{};
  const std::string text = written(d, fault);
  ASSERT_FALSE(text.empty()) << fault.message;
  EXPECT_EQ(readText(text), expectedRead(d));
}

TEST(WriteProblemRecord, RefusesWhatTheTrainerCannotCarry) {
  Description base;
  base.black = {{2, 2}};
  base.nodes = {{1, 3, 3, 0}, {2, 4, 4, 1}};
  const struct {
    const char* what;
    void (*change)(Description&);
    int node;
    const char* message;
  } cases[] = {
      {"depth 78",
       [](Description& d) {
         d.nodes.clear();
         for (int depth = 1; depth <= 78; ++depth) d.nodes.push_back({depth, 1, 1, 0});
       },
       78, "node 78 is at depth 78: at most 77"},
      {"a jump of two",
       [](Description& d) {
         d.nodes.push_back({4, 1, 1, 0});
       },
       3, "node 3 at depth 4 follows depth 2"},
      {"node 1 deeper", [](Description& d) { d.nodes[0].depth = 2; }, 1,
       "node 1 is at depth 2: the first node must be at depth 1"},
      {"depth 0", [](Description& d) { d.nodes[1].depth = 0; }, 2, "node 2 is at depth 0"},
      {"500 entries",
       [](Description& d) {
         d.nodes.assign(499, ProblemNode{1, 1, 1, 0});
       },
       0, "500 tree entries with the root: at most 499"},
      {"383 stones",
       [](Description& d) {
         d.black.assign(200, BoardPoint{1, 1});
         d.white.assign(183, BoardPoint{1, 1});
       },
       0, "383 setup stones: at most 382"},
      {"256 Black",
       [](Description& d) {
         d.black.assign(256, BoardPoint{1, 1});
       },
       0, "256 Black setup stones: at most 255 of one colour"},
      {"256 White",
       [](Description& d) {
         d.white.assign(256, BoardPoint{1, 1});
       },
       0, "256 White setup stones: at most 255 of one colour"},
      {"move off the board", [](Description& d) { d.nodes[1].column = 0; }, 2,
       "node 2: (0, 4) is neither a board point nor the pass"},
      {"half a pass", [](Description& d) { d.nodes[0].column = 20; }, 1,
       "node 1: (20, 3) is neither a board point nor the pass"},
      {"stone on the pass",
       [](Description& d) {
         d.white = {{20, 20}};
       },
       0, "White setup stone 1 at (20, 20) is not a board point"},
      {"stone past row 19",
       [](Description& d) {
         d.black.push_back({5, 21});
       },
       0, "Black setup stone 2 at (5, 21) is not a board point"},
      {"narrow region", [](Description& d) { d.width = 2; }, 0,
       "region 2 x 5: each side must be 3 to 19"},
      {"tall region", [](Description& d) { d.height = 20; }, 0,
       "region 5 x 20: each side must be 3 to 19"},
      {"flag 2", [](Description& d) { d.nodes[1].success = 2; }, 2,
       "node 2: success flag 2 is not 0 or 1"},
  };
  for (const auto& c : cases) {
    Description d = base;
    c.change(d);
    RecordFault fault{};
    char text[recordTextCapacity];
    std::strcpy(text, "old");
    EXPECT_FALSE(writeProblemRecord(d.view(), text, sizeof text, fault)) << c.what;
    EXPECT_STREQ(text, "") << c.what;
    EXPECT_EQ(fault.node, c.node) << c.what;
    EXPECT_NE(std::string(fault.message).find(c.message), std::string::npos)
        << c.what << ": " << fault.message;
  }
}

TEST(WriteProblemRecord, RefusesABufferTooSmall) {
  char text[22];
  RecordFault fault{};
  EXPECT_FALSE(writeProblemRecord(example, text, sizeof text, fault));
  EXPECT_STREQ(text, "");
  EXPECT_NE(std::string(fault.message).find("needs 23 characters"), std::string::npos)
      << fault.message;
  char exact[23];
  EXPECT_TRUE(writeProblemRecord(example, exact, sizeof exact, fault));
  EXPECT_STREQ(exact, exampleText);
}

}  // namespace

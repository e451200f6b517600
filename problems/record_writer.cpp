// The writer's side of problem records: the bit sequence, the two bits lent to the header, the
// header words and the six-bit armour.
#include "problems/record_writer.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "problems/problem_record.h"

namespace {

// Stones, node 1's trailer, then per later node at most a 9-bit depth, a move field and a trailer.
constexpr int maxSequenceBits = 9 * maxSetupStones + 1 + (maxRecordNodes - 1) * 20;
constexpr int maxRecordBytes = 8 + (maxSequenceBits - 2 + 7) / 8;
static_assert(maxRecordBytes / 3 * 4 + 3 < recordTextCapacity);

bool refuse(RecordFault& fault, int node, const char* format, ...) {
  fault.node = node;
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(fault.message, sizeof fault.message, format, arguments);
  va_end(arguments);
  return false;
}

bool isBoardPoint(int column, int row) {
  return column >= 1 && column <= 19 && row >= 1 && row <= 19;
}

unsigned pointCode(int column, int row) {
  return static_cast<unsigned>(20 * (column - 1) + (row - 1));
}

bool checkStones(const BoardPoint* stones, int count, const char* colour, RecordFault& fault) {
  for (int i = 0; i < count; ++i)
    if (!isBoardPoint(stones[i].column, stones[i].row))
      return refuse(fault, 0, "%s setup stone %d at (%d, %d) is not a board point", colour, i + 1,
                    stones[i].column, stones[i].row);
  return true;
}

bool checkProblem(const ProblemDescription& p, RecordFault& fault) {
  if (p.width < minRegionSide || p.width > maxRegionSide || p.height < minRegionSide ||
      p.height > maxRegionSide)
    return refuse(fault, 0, "region %d x %d: each side must be %d to %d", p.width, p.height,
                  minRegionSide, maxRegionSide);
  if (p.blackCount < 0 || p.whiteCount < 0 || p.nodeCount < 0)
    return refuse(fault, 0, "negative count");
  if (p.blackCount > maxStonesOfColour)
    return refuse(fault, 0, "%d Black setup stones: at most %d of one colour", p.blackCount,
                  maxStonesOfColour);
  if (p.whiteCount > maxStonesOfColour)
    return refuse(fault, 0, "%d White setup stones: at most %d of one colour", p.whiteCount,
                  maxStonesOfColour);
  if (p.blackCount + p.whiteCount > maxSetupStones)
    return refuse(fault, 0, "%d setup stones: at most %d", p.blackCount + p.whiteCount,
                  maxSetupStones);
  if (!checkStones(p.blackStones, p.blackCount, "Black", fault) ||
      !checkStones(p.whiteStones, p.whiteCount, "White", fault))
    return false;
  if (p.nodeCount > maxRecordNodes)
    return refuse(fault, 0, "%d tree entries with the root: at most %d", p.nodeCount + 1,
                  maxRecordEntries);
  int previous = 0;
  for (int i = 0; i < p.nodeCount; ++i) {
    const ProblemNode& n = p.nodes[i];
    if (i == 0 && n.depth != 1)
      return refuse(fault, 1, "node 1 is at depth %d: the first node must be at depth 1", n.depth);
    if (n.depth < 1) return refuse(fault, i + 1, "node %d is at depth %d: below 1", i + 1, n.depth);
    if (n.depth > previous + 1)
      return refuse(fault, i + 1,
                    "node %d at depth %d follows depth %d: at most one deeper than the node before",
                    i + 1, n.depth, previous);
    if (n.depth > maxRecordDepth)
      return refuse(fault, i + 1, "node %d is at depth %d: at most %d", i + 1, n.depth,
                    maxRecordDepth);
    if (!isBoardPoint(n.column, n.row) && !GoBoard::isPass(n.column, n.row))
      return refuse(fault, i + 1, "node %d: (%d, %d) is neither a board point nor the pass", i + 1,
                    n.column, n.row);
    if (n.success > 1)
      return refuse(fault, i + 1, "node %d: success flag %d is not 0 or 1", i + 1, n.success);
    previous = n.depth;
  }
  return true;
}

// The record's bit sequence, one bit a byte, lowest bit of each field first.
class BitSequence {
 public:
  void put(unsigned value, int n) {
    for (int i = 0; i < n; ++i) bits_[length_++] = static_cast<std::uint8_t>((value >> i) & 1u);
  }
  int length() const { return length_; }
  unsigned at(int i) const { return bits_[i]; }

 private:
  std::uint8_t bits_[maxSequenceBits];
  int length_ = 0;
};

unsigned moveField(unsigned code, unsigned success) {
  unsigned field = code & 31u;
  field |= (success & 1u) << 5;
  field |= ((code >> 8) & 1u) << 6;
  field |= ((code >> 7) & 1u) << 7;
  field |= ((code >> 6) & 1u) << 8;
  field |= ((code >> 5) & 1u) << 9;
  return field;
}

char armour(unsigned value) {
  return static_cast<char>(recordFirstChar + (value & 63u));
}

}  // namespace

bool writeProblemRecord(const ProblemDescription& p, char* text, int capacity, RecordFault& fault) {
  if (capacity > 0) text[0] = '\0';
  fault.node = 0;
  fault.message[0] = '\0';
  if (!checkProblem(p, fault)) return false;

  BitSequence sequence;
  for (int i = 0; i < p.blackCount; ++i)
    sequence.put(pointCode(p.blackStones[i].column, p.blackStones[i].row), 9);
  for (int i = 0; i < p.whiteCount; ++i)
    sequence.put(pointCode(p.whiteStones[i].column, p.whiteStones[i].row), 9);
  for (int i = 0; i < p.nodeCount; ++i) {
    const ProblemNode& n = p.nodes[i];
    if (i > 0) {
      if (n.depth == p.nodes[i - 1].depth + 1) {
        sequence.put(1, 1);
      } else {
        sequence.put(0, 1);
        sequence.put(static_cast<unsigned>(n.depth), 8);
      }
      sequence.put(moveField(pointCode(n.column, n.row), n.success), 10);
    }
    sequence.put(1, 1);
  }

  // One bit goes to each header word; the rest are packed from byte 8 on.
  const int lentToFirst = 9 * p.blackCount;
  const int lentToSecond = lentToFirst == 0 ? 1 : 0;
  const unsigned firstBit = lentToFirst < sequence.length() ? sequence.at(lentToFirst) : 0u;
  const unsigned secondBit = lentToSecond < sequence.length() ? sequence.at(lentToSecond) : 0u;

  unsigned char bytes[maxRecordBytes] = {};
  int packed = 0;
  for (int i = 0; i < sequence.length(); ++i) {
    if (i == lentToFirst || i == lentToSecond) continue;
    bytes[8 + packed / 8] |= static_cast<unsigned char>(sequence.at(i) << (packed % 8));
    packed += 1;
  }
  const int byteCount = 8 + (packed + 7) / 8;

  const bool hasNodes = p.nodeCount > 0;
  const std::uint32_t first =
      static_cast<std::uint32_t>(p.whiteCount) | static_cast<std::uint32_t>(p.width) << 12 |
      static_cast<std::uint32_t>(p.height) << 17 |
      (hasNodes ? pointCode(p.nodes[0].column, p.nodes[0].row) : 0u) << 22 | firstBit << 31;
  const std::uint32_t second = static_cast<std::uint32_t>(p.nodeCount + 1) << 13 |
                               static_cast<std::uint32_t>(p.blackCount) << 22 |
                               (hasNodes ? p.nodes[0].success : 0u) << 30 | secondBit << 31;
  for (int i = 0; i < 4; ++i) {
    bytes[i] = static_cast<unsigned char>(first >> (24 - 8 * i));
    bytes[4 + i] = static_cast<unsigned char>(second >> (24 - 8 * i));
  }

  const int tail = byteCount % 3;
  const int length = byteCount / 3 * 4 + (tail == 0 ? 0 : tail + 1);
  if (length + 1 > capacity)
    return refuse(fault, 0, "the record needs %d characters; the buffer holds %d", length + 1,
                  capacity);
  char* out = text;
  int i = 0;
  for (; i + 3 <= byteCount; i += 3) {
    *out++ = armour(bytes[i]);
    *out++ = armour(bytes[i + 1]);
    *out++ = armour(bytes[i + 2]);
    *out++ = armour(bytes[i] >> 6 | (bytes[i + 1] >> 6) << 2 | (bytes[i + 2] >> 6) << 4);
  }
  if (tail == 1) {
    *out++ = armour(bytes[i]);
    *out++ = armour(bytes[i] >> 6);
  } else if (tail == 2) {
    *out++ = armour(bytes[i]);
    *out++ = armour(bytes[i + 1]);
    *out++ = armour(bytes[i] >> 6 | (bytes[i + 1] >> 6) << 2);
  }
  *out = '\0';
  return true;
}

// Problem records: the six-bit text armour and the bit reader that fills the problem texts.
#include "problems/problem_record.h"

#include <cstdint>
#include <cstring>

#include "board/go_board.h"

namespace {

// The six bits a record character carries; characters outside the alphabet wrap, harmlessly.
unsigned sixBits(char c) {
  return static_cast<unsigned>(static_cast<unsigned char>(c) - recordFirstChar) & 63u;
}

unsigned char byteOf(unsigned low, unsigned high) {
  return static_cast<unsigned char>((low & 63u) | ((high & 3u) << 6));
}

// Only the first 4096 characters of treeText are cleared; entries stay inside them.
constexpr int treeTextCleared = 4096;
constexpr int entryLength = 6;
constexpr int maxEntries = 511;
static_assert(maxEntries * entryLength < treeTextCleared,
              "the longest tree leaves a zero after it");
static_assert(treeTextCleared <= treeTextCapacity);

// The record's bit sequence after the header, lowest bit first; bytes from byteCount on read as
// zero, so a short record never leads the reader outside its buffer.
class BitReader {
 public:
  BitReader(const unsigned char* bytes, int byteCount, unsigned firstBit)
      : bytes_(bytes), byteCount_(byteCount), held_(firstBit & 1u) {}

  // The next n bits (n <= 10), the first read lowest.
  unsigned take(int n) {
    while (count_ < n) fetch();
    const unsigned value = held_ & ((1u << n) - 1u);
    held_ >>= n;
    count_ -= n;
    return value;
  }

  // Makes bit the next one read.
  void putBelow(unsigned bit) {
    held_ = (held_ << 1) | (bit & 1u);
    count_ += 1;
  }

 private:
  void fetch() {
    const unsigned byte = next_ < byteCount_ ? bytes_[next_] : 0u;
    held_ |= byte << count_;
    count_ += 8;
    next_ += 1;
  }

  const unsigned char* bytes_;
  int byteCount_;
  int next_ = 8;
  std::uint32_t held_;
  int count_ = 1;
};

// Header byte i, or zero past the end of the record.
std::uint32_t headerByte(const unsigned char* bytes, int byteCount, int i) {
  return i < byteCount ? bytes[i] : 0u;
}

std::uint32_t headerWord(const unsigned char* bytes, int byteCount, int first) {
  return headerByte(bytes, byteCount, first) << 24 | headerByte(bytes, byteCount, first + 1) << 16 |
         headerByte(bytes, byteCount, first + 2) << 8 | headerByte(bytes, byteCount, first + 3);
}

int regionSide(std::uint32_t field) {
  return field < 3 ? 3 : field > 19 ? 19 : static_cast<int>(field);
}

// The moveField's upper four code bits come after the flag, highest first.
unsigned moveFieldCode(unsigned field) {
  unsigned code = field & 31u;
  code |= ((field >> 6) & 1u) << 8;
  code |= ((field >> 7) & 1u) << 7;
  code |= ((field >> 8) & 1u) << 6;
  code |= ((field >> 9) & 1u) << 5;
  return code;
}

char columnLetter(unsigned code) {
  return GoBoard::numberToLetter(static_cast<int>(code / 20 + 1));
}

char rowLetter(unsigned code) {
  return GoBoard::numberToLetter(static_cast<int>(code % 20 + 1));
}

}  // namespace

int decodeRecordText(char* text) {
  const int length = static_cast<int>(std::strlen(text));
  const int groups = length / 4;
  const int tail = length % 4;
  int out = 0;
  for (int g = 0; g < groups; ++g) {
    // All four characters are read before their three bytes overwrite the first three of them.
    const char* in = text + 4 * g;
    const unsigned v0 = sixBits(in[0]), v1 = sixBits(in[1]), v2 = sixBits(in[2]),
                   v3 = sixBits(in[3]);
    text[out++] = static_cast<char>(byteOf(v0, v3));
    text[out++] = static_cast<char>(byteOf(v1, v3 >> 2));
    text[out++] = static_cast<char>(byteOf(v2, v3 >> 4));
  }
  const char* in = text + 4 * groups;
  if (tail == 2) {
    const unsigned v0 = sixBits(in[0]), v1 = sixBits(in[1]);
    text[out++] = static_cast<char>(byteOf(v0, v1));
  } else if (tail == 3) {
    const unsigned v0 = sixBits(in[0]), v1 = sixBits(in[1]), v2 = sixBits(in[2]);
    text[out++] = static_cast<char>(byteOf(v0, v2));
    text[out++] = static_cast<char>(byteOf(v1, v2 >> 2));
  }
  text[out] = '\0';
  return out;
}

void GoBoard::readProblemRecord(const unsigned char* bytes, int byteCount) {
  std::memset(setupText, 0, sizeof setupText);
  std::memset(treeText, 0, treeTextCleared);

  const std::uint32_t first = headerWord(bytes, byteCount, 0);
  const std::uint32_t second = headerWord(bytes, byteCount, 4);
  const int whiteCount = static_cast<int>(first & 0xffu);
  problemWidth = regionSide((first >> 12) & 31u);
  problemHeight = regionSide((first >> 17) & 31u);
  const unsigned firstMove = (first >> 22) & 511u;
  const int entryCount = static_cast<int>((second >> 13) & 511u);
  const int blackCount = static_cast<int>((second >> 22) & 255u);
  const unsigned firstSuccess = (second >> 30) & 1u;

  BitReader reader(bytes, byteCount, second >> 31);

  // Every stone's bits are read, but a stone is written only while the text still leaves room
  // for the rest of its punctuation and the terminating zero.
  int length = 0;
  auto appendStone = [&](unsigned code, int roomAfter) {
    if (length + 2 + roomAfter > setupTextCapacity) return;
    setupText[length++] = columnLetter(code);
    setupText[length++] = rowLetter(code);
  };
  for (int i = 0; i < blackCount; ++i) appendStone(reader.take(9), 3);
  setupText[length++] = ' ';
  reader.putBelow(first >> 31);
  for (int i = 0; i < whiteCount; ++i) appendStone(reader.take(9), 2);
  setupText[length++] = '|';

  std::memcpy(treeText, "00000~", entryLength);
  if (entryCount <= 1) return;

  enum class State { depth, move, trailer, complete };
  State state = State::trailer;
  int depth = 1;
  unsigned code = firstMove;
  unsigned success = firstSuccess;
  int entries = 1;
  while (entries < entryCount) {
    switch (state) {
      case State::depth:
        depth = reader.take(1) == 1u ? depth + 1 : static_cast<int>(reader.take(8));
        state = State::move;
        break;
      case State::move: {
        const unsigned field = reader.take(10);
        code = moveFieldCode(field);
        success = (field >> 5) & 1u;
        state = State::trailer;
        break;
      }
      case State::trailer:
        if (reader.take(1) == 0u) reader.take(4);
        state = State::complete;
        break;
      case State::complete: {
        char* entry = treeText + entryLength * entries;
        if (entry + entryLength >= treeText + treeTextCleared) return;
        entry[0] = static_cast<char>(static_cast<std::uint8_t>(48 + depth));
        entry[1] = columnLetter(code);
        entry[2] = rowLetter(code);
        entry[3] = static_cast<char>('0' + success);
        entry[4] = ' ';
        entry[5] = '~';
        entries += 1;
        state = State::depth;
        break;
      }
    }
  }
}

// The record decoder and reader on random input. Every buffer here is exactly as long as the
// input, so in the sanitizer build of `make test` (AddressSanitizer and UBSan) one read or write
// outside it stops the test.
// Overflows inside the game object escape the sanitizer; the fields around the texts are
// watched instead.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "board/go_board.h"
#include "problems/problem_record.h"

namespace {

TEST(RecordOnRandomInput, DecodeStaysInsideTheText) {
  std::mt19937 random(7);
  for (int round = 0; round < 4000; ++round) {
    const int length = std::uniform_int_distribution<int>(0, 200)(random);
    const auto text = std::make_unique<char[]>(static_cast<std::size_t>(length) + 1);
    for (int i = 0; i < length; ++i)
      text[static_cast<std::size_t>(i)] =
          static_cast<char>(std::uniform_int_distribution<int>(1, 255)(random));
    text[static_cast<std::size_t>(length)] = '\0';
    const int count = decodeRecordText(text.get());
    const int tail[] = {0, 0, 1, 2};
    ASSERT_EQ(count, length / 4 * 3 + tail[length % 4]) << length;
    ASSERT_EQ(text[static_cast<std::size_t>(count)], '\0');
  }
}

TEST(RecordOnRandomInput, ReaderStaysInsideTheBytesAndTheTexts) {
  std::mt19937 random(11);
  GoBoard b;
  for (int round = 0; round < 4000; ++round) {
    const int byteCount = std::uniform_int_distribution<int>(0, 1400)(random);
    const auto bytes = std::make_unique<unsigned char[]>(static_cast<std::size_t>(byteCount));
    for (int i = 0; i < byteCount; ++i)
      bytes[static_cast<std::size_t>(i)] =
          static_cast<unsigned char>(std::uniform_int_distribution<int>(0, 255)(random));
    // Every other record claims the most stones and entries there can be.
    if (round % 2 == 0 && byteCount >= 8) {
      bytes[3] = 0xFF;  // 255 White stones
      bytes[4] = 0xFF;  // 255 Black stones
      bytes[5] = 0xFF;  // entry count 511 with byte 6's top bits
      bytes[6] |= 0xE0;
    }
    b.offTree = 0x5A;
    b.solved = 0xA5;
    b.failed = 0x3C;
    b.readProblemRecord(bytes.get(), byteCount);
    ASSERT_EQ(b.offTree, 0x5A);
    ASSERT_EQ(b.solved, 0xA5);
    ASSERT_EQ(b.failed, 0x3C);
    ASSERT_TRUE(b.problemWidth >= 3 && b.problemWidth <= 19);
    ASSERT_TRUE(b.problemHeight >= 3 && b.problemHeight <= 19);
    const std::size_t setup = strnlen(b.setupText, setupTextCapacity);
    ASSERT_LT(setup, static_cast<std::size_t>(setupTextCapacity));
    ASSERT_EQ(b.setupText[setup - 1], '|');
    const std::size_t tree = strnlen(b.treeText, 4096);
    ASSERT_LT(tree, 4096u);
    ASSERT_EQ(tree % 6, 0u);
    for (std::size_t i = 5; i < tree; i += 6) ASSERT_EQ(b.treeText[i], '~');
  }
}

}  // namespace

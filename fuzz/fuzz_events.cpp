// Events fuzz target: a byte string read as a script of input events (taps at any pixel, stylus
// strokes, keys, the secondary button, every menu command and others, answers for the modal
// boxes, the host's requests) played on the headless host; the game object is checked after each.
//
// Byte 0 chooses the start: the saved problem number (low four bits), Chinese (bit 4), no sound
// (bit 5). Every event follows as an opcode byte and its operands (see fuzz_input.h).
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const int header = in.byte();
  // None saved, each problem, and numbers no problem has.
  static const std::uint32_t saved[16] = {
      0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0x7fffffffu, 0x80000000u, 0xffffffffu, 1000};
  play::Session::Start start;
  if (header % 16 != 0) start.settings = play::settingsWithProblemNumber(saved[header % 16]);
  start.language = header & 0x10 ? platform::languageChinese : platform::languageEnglish;
  start.audio = (header & 0x20) == 0;
  play::Session session(start);
  std::string failure = session.begin();
  if (failure.empty()) failure = checkConsistency(goBoard);
  if (!failure.empty()) fuzz::broken("start-up: " + failure);
  fuzz::playAll(session, in);
  return 0;
}

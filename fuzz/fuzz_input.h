// Reading a fuzz input: bytes taken in order (past the end they read as zero), and input events
// made from them for the headless host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "board/consistency.h"
#include "tools/check/screen_check.h"
#include "tools/play_session.h"

namespace fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool empty() const { return at_ >= size_; }
  std::size_t left() const { return at_ < size_ ? size_ - at_ : 0; }
  std::size_t position() const { return at_; }
  void rewind(std::size_t position) { at_ = position; }

  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint16_t word() { return static_cast<std::uint16_t>(byte() | byte() << 8); }
  std::int16_t signedWord() { return static_cast<std::int16_t>(word()); }
  std::uint32_t dword() { return word() | static_cast<std::uint32_t>(word()) << 16; }
  // The next n bytes (fewer at the end) as a string.
  std::string bytes(std::size_t n) {
    if (n > left()) n = left();
    std::string s(reinterpret_cast<const char*>(data_ + at_), n);
    at_ += n;
    return s;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// Stops the run with the input's finding; libFuzzer keeps the input, the replay driver fails.
[[noreturn]] inline void broken(const std::string& what) {
  std::fprintf(stderr, "fuzz: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

// A tap on the centre of a point; columns and rows 0 and 20 lie beyond every board.
inline play::Event pointTap(int column, int row) {
  play::Event e;
  e.kind = play::Kind::tap;
  e.x = goBoard.columnToX(column);
  e.y = goBoard.rowToY(row) + platform::topBarHeight;
  return e;
}

inline int keyCode(Input& in) {
  static const int keys[] = {platform::key::enter,
                             platform::key::escape,
                             platform::key::backspace,
                             platform::key::f4,
                             platform::key::f4 | platform::key::altModifier,
                             platform::key::keypad0,
                             0x40000059,
                             0x40000061,
                             platform::key::slash};
  const int k = in.byte();
  if (k < static_cast<int>(sizeof keys / sizeof keys[0])) return keys[k];
  if (k == 255) return static_cast<int>(in.dword());
  return k;
}

// One event of any kind the player or the host can give.
inline play::Event event(Input& in) {
  play::Event e;
  const int screenW = platform::screenWidth(), screenH = platform::screenHeight();
  auto pixel = [&](play::Kind kind) {
    e.kind = kind;
    e.x = in.signedWord();
    e.y = in.signedWord();
  };
  switch (in.byte() % 12) {
    case 0:
      pixel(play::Kind::tap);
      break;
    case 1:
    case 2: {
      const int column = in.byte() % 22, row = in.byte() % 22;
      e = pointTap(column, row);
      break;
    }
    case 3:
      pixel(play::Kind::down);
      break;
    case 4:
      pixel(play::Kind::up);
      break;
    case 5:
      pixel(play::Kind::move);
      break;
    case 6:
      pixel(play::Kind::secondary);
      break;
    case 7:
      e.kind = play::Kind::key;
      e.code = keyCode(in);
      break;
    case 8: {
      e.kind = play::Kind::command;
      const int c = in.byte();
      e.code = c == 255 ? in.word() : play::commandIds[c % play::commandIdCount];
      break;
    }
    case 9: {
      e.kind = play::Kind::answer;
      const int n = in.byte();
      if (n & 0x80) break;  // none
      if (n & 0x40) {
        e.keys.push_back(platform::key::escape);
        break;
      }
      for (int i = 0; i < n % 8; ++i) e.keys.push_back(keyCode(in));
      e.keys.push_back(platform::key::enter);
      break;
    }
    case 10: {
      // The menu bar and the popup above it.
      e.kind = play::Kind::tap;
      e.x = in.byte() * screenW / 256;
      e.y = screenH - 1 - in.byte() % (3 * platform::menuBarHeight);
      break;
    }
    default: {
      static const play::Kind host[] = {play::Kind::close, play::Kind::expose,
                                        play::Kind::activate};
      const int h = in.byte();
      e.kind = host[h % 3];
      e.code = (h >> 2) & 1;
      break;
    }
  }
  return e;
}

// The answer source for modal boxes: the input's next event, unless it is one a box cannot take
// (a command, or an answer meant for the next box).
inline bool answerFromInput(void* context, play::Event& e) {
  Input& in = *static_cast<Input*>(context);
  if (in.empty()) return false;
  const std::size_t at = in.position();
  e = event(in);
  if (e.kind == play::Kind::command || e.kind == play::Kind::answer) {
    in.rewind(at);
    return false;
  }
  return true;
}

// Plays the input's events, checking the game object after each; a broken invariant stops the run.
inline void playAll(play::Session& session, Input& in) {
  session.setAnswerSource(answerFromInput, &in);
  while (!in.empty()) {
    const play::Event e = event(in);
    std::string failure = session.apply(e);
    if (failure.empty()) failure = checkConsistency(goBoard);
    // After a quit the program has ended: what its last moments left unpainted stays so.
    if (failure.empty() && session.running()) failure = checkScreenMatchesRepaint(goBoard);
    if (!failure.empty()) broken(play::describe(e) + ": " + failure);
  }
  platform::headless::takeRecord();
}

}  // namespace fuzz

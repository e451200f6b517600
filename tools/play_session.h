// Play on the headless host for the soak and the fuzz targets: input events of every kind the
// player can give, the message loop run until idle after each, a new session after a quit, and
// the game object's invariants. Header-only, so each tool takes it with nothing more to link.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "board/go_board.h"
#include "platform/core/system.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "problems/catalogue.h"
#include "shell/shell.h"

namespace play {

// The menu's commands, the window's "ok" and "cancel", and quit.
constexpr int commandIds[] = {40004, 40005, 40006, 40008, 40083, 40058, 40023,
                              40007, 40003, 102,   40010, 40013, 1,     2};
constexpr int commandIdCount = static_cast<int>(sizeof commandIds / sizeof commandIds[0]);

enum class Kind {
  tap,        // stylus down and up at device pixel (x, y)
  down,       // stylus down only
  up,         // stylus up only
  move,       // stylus move
  secondary,  // secondary button up
  key,        // key `code`
  command,    // menu command `code`, posted to the main window
  answer,     // keys for the next modal box: `keys`, empty for none (the box ends idle)
  close,      // the host's close request
  expose,     // the host asks for the screen again
  activate,   // focus gained (code 1) or lost (code 0)
};

struct Event {
  Kind kind = Kind::tap;
  int x = 0, y = 0;
  int code = 0;
  std::vector<int> keys;
};

inline std::string describe(const Event& e) {
  auto xy = [&e](const char* name) {
    return std::string(name) + " " + std::to_string(e.x) + " " + std::to_string(e.y);
  };
  switch (e.kind) {
    case Kind::tap:
      return xy("tap");
    case Kind::down:
      return xy("stylus down");
    case Kind::up:
      return xy("stylus up");
    case Kind::move:
      return xy("stylus move");
    case Kind::secondary:
      return xy("secondary");
    case Kind::key:
      return "key " + std::to_string(e.code);
    case Kind::command:
      return "command " + std::to_string(e.code);
    case Kind::answer: {
      std::string text = "answer";
      for (int k : e.keys) {
        text += ' ';
        text += std::to_string(k);
      }
      return e.keys.empty() ? "answer none" : text;
    }
    case Kind::close:
      return "close";
    case Kind::expose:
      return "expose";
    case Kind::activate:
      return "activate " + std::to_string(e.code);
  }
  return "?";
}

// What is wrong with the game object's state, or "" when nothing is.
inline std::string checkInvariants(const GoBoard& b) {
  char text[160];
  const std::size_t recorded = strnlen(b.history, historyCapacity);
  if (recorded == static_cast<std::size_t>(historyCapacity)) return "history is not terminated";
  if (recorded % 2 != 0) return "history \"" + std::string(b.history) + "\" ends in half a move";
  if (b.moveNumber - 1 != static_cast<int>(recorded / 2)) {
    std::snprintf(text, sizeof text, "moveNumber %d but history holds %d moves", b.moveNumber,
                  static_cast<int>(recorded / 2));
    return text;
  }
  if (b.columnsShown < 0 || b.columnsShown > 19 || b.rowsShown < 0 || b.rowsShown > 19) {
    std::snprintf(text, sizeof text, "%d x %d points shown", b.columnsShown, b.rowsShown);
    return text;
  }
  for (int c = 0; c < boardArraySize; ++c)
    for (int r = 0; r < boardArraySize; ++r) {
      const bool shown = b.onShownBoard(c, r);
      const int cell = b.cells[c][r];
      if (shown ? cell < -1 || cell > 1 : cell != 0) {
        std::snprintf(text, sizeof text, "cell (%d, %d) %s holds %d", c, r,
                      shown ? "on the board" : "off the shown board", cell);
        return text;
      }
      if ((cell == 0) != (b.groupLabel[c][r] == 0)) {
        std::snprintf(text, sizeof text, "cell (%d, %d) holds %d but has label %d", c, r, cell,
                      b.groupLabel[c][r]);
        return text;
      }
    }
  // The chains from scratch; labels must give the same partition.
  int chain[boardArraySize][boardArraySize] = {};
  int chainLabel[boardArraySize * boardArraySize] = {};
  int chains = 0;
  for (int c = 1; c <= b.columnsShown; ++c)
    for (int r = 1; r <= b.rowsShown; ++r) {
      if (b.cells[c][r] == 0 || chain[c][r] != 0) continue;
      const int id = ++chains;
      chainLabel[id] = b.groupLabel[c][r];
      BoardPoint todo[boardArraySize * boardArraySize];
      int count = 0;
      todo[count++] = BoardPoint{c, r};
      chain[c][r] = id;
      while (count > 0) {
        const BoardPoint p = todo[--count];
        if (b.groupLabel[p.column][p.row] != chainLabel[id]) {
          std::snprintf(text, sizeof text,
                        "the chain of (%d, %d) carries labels %d and %d (at (%d, %d))", c, r,
                        chainLabel[id], b.groupLabel[p.column][p.row], p.column, p.row);
          return text;
        }
        const BoardPoint next[4] = {{p.column - 1, p.row},
                                    {p.column + 1, p.row},
                                    {p.column, p.row - 1},
                                    {p.column, p.row + 1}};
        for (const BoardPoint& q : next)
          if (b.onShownBoard(q.column, q.row) && chain[q.column][q.row] == 0 &&
              b.cells[q.column][q.row] == b.cells[c][r]) {
            chain[q.column][q.row] = id;
            todo[count++] = q;
          }
      }
      for (int other = 1; other < id; ++other)
        if (chainLabel[other] == chainLabel[id]) {
          std::snprintf(text, sizeof text, "two chains share label %d, one at (%d, %d)",
                        chainLabel[id], c, r);
          return text;
        }
    }
  const bool nodeIndexed =
      b.nodeCount == 0 ? b.currentNode == 0 : b.currentNode >= 0 && b.currentNode < b.nodeCount;
  if (b.nodeCount < 0 || b.nodeCount > maxTreeNodes - 2 || !nodeIndexed) {
    std::snprintf(text, sizeof text, "currentNode %d with %d nodes indexed", b.currentNode,
                  b.nodeCount);
    return text;
  }
  if (b.currentDepth != b.nodeDepth[b.currentNode]) {
    std::snprintf(text, sizeof text, "currentDepth %d but node %d is at depth %d", b.currentDepth,
                  b.currentNode, b.nodeDepth[b.currentNode]);
    return text;
  }
  if (b.problemLoaded != 0 && (b.problemNumber < 1 || b.problemNumber > catalogueSize)) {
    std::snprintf(text, sizeof text, "problem %d is open", b.problemNumber);
    return text;
  }
  return "";
}

// A source of answers for modal boxes, asked when a box waits for input and none is queued.
// Returns false to give none (the box then ends idle).
using AnswerSource = bool (*)(void* context, Event& event);

// The program on the headless host, from start-up; a quit ends the session and the next event
// starts a new one, as a new run of the program would.
class Session {
 public:
  // The settings text at the start (none when empty), the language, and whether sound plays.
  struct Start {
    std::string settings;
    int language = platform::languageEnglish;
    bool audio = true;
  };

  explicit Session(const Start& start) : start_(start) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() {
    if (current_ == this) current_ = nullptr;
  }

  void setAnswerSource(AnswerSource source, void* context) {
    answerSource_ = source;
    answerContext_ = context;
  }

  // Starts the program; "" or why it did not start.
  std::string begin() {
    current_ = this;
    platform::headless::setWaitHook(&Session::waitHook);
    platform::headless::setLanguage(start_.language);
    platform::headless::setAudioAvailable(start_.audio);
    platform::headless::setSettingsSaveFails(false);
    if (!sessionsStarted_++) {
      if (start_.settings.empty())
        platform::headless::clearSettings();
      else
        platform::headless::setSettingsText(start_.settings);
    }
    platform::resetState();
    std::destroy_at(&goBoard);
    std::construct_at(&goBoard);
    const int early = shell::startUp();
    if (early != shell::keepRunning) return "the start-up ended with " + std::to_string(early);
    running_ = true;
    return pump();
  }

  // Gives the event and runs the message loop until idle; "" or what went wrong.
  std::string apply(const Event& e) {
    if (!running_) {
      std::string failure = begin();
      if (!failure.empty()) return failure;
    }
    hookCalls_ = 0;
    if (e.kind == Kind::answer) {
      pendingAnswer_ = e.keys;
      answerGiven_ = true;
      return "";
    }
    if (e.kind == Kind::command)
      platform::postMessage(shell::state.mainWindow, platform::msg::command,
                            static_cast<platform::WParam>(e.code & 0xffff), 0);
    else
      push(e);
    return pump();
  }

  // Runs the message loop until idle, for what was done to the program directly.
  std::string run() { return running_ ? pump() : ""; }

  int sessions() const { return sessionsStarted_; }
  bool running() const { return running_; }

  // Queues the event as host input (commands are no input and are left out).
  static void push(const Event& e) {
    using platform::host::EventKind;
    auto at = [&e](EventKind kind) { platform::headless::pushEvent({kind, e.x, e.y, e.code}); };
    switch (e.kind) {
      case Kind::tap:
        at(EventKind::stylusDown);
        at(EventKind::stylusUp);
        break;
      case Kind::down:
        at(EventKind::stylusDown);
        break;
      case Kind::up:
        at(EventKind::stylusUp);
        break;
      case Kind::move:
        at(EventKind::stylusMove);
        break;
      case Kind::secondary:
        at(EventKind::secondaryUp);
        break;
      case Kind::key:
        at(EventKind::key);
        break;
      case Kind::close:
        at(EventKind::close);
        break;
      case Kind::expose:
        at(EventKind::expose);
        break;
      case Kind::activate:
        at(EventKind::activate);
        break;
      case Kind::command:
      case Kind::answer:
        break;
    }
  }

 private:
  // Runs the loop until idle; a quit ends the session as the program's exit path does.
  std::string pump() {
    platform::Message m{};
    for (long handled = 0; platform::peekMessage(m); ++handled) {
      if (handled > 100000) return "the message loop never goes idle";
      if (m.id == platform::msg::quit) {
        shell::shutDown();
        running_ = false;
        return "";
      }
      if (platform::translateAccelerator(shell::state.mainWindow, shell::state.accelerators, m))
        continue;
      platform::translateMessage(m);
      platform::dispatchMessage(m);
    }
    return "";
  }

  static bool waitHook() {
    Session* s = current_;
    if (s == nullptr) return false;
    // A box that keeps asking gets no more input, so every event ends.
    if (++s->hookCalls_ > 64) return false;
    if (s->answerGiven_) {
      s->answerGiven_ = false;
      for (int k : s->pendingAnswer_)
        platform::headless::pushEvent({platform::host::EventKind::key, 0, 0, k});
      return !s->pendingAnswer_.empty();
    }
    Event e;
    if (s->answerSource_ == nullptr || !s->answerSource_(s->answerContext_, e)) return false;
    if (e.kind == Kind::command || e.kind == Kind::answer) return false;
    push(e);
    return true;
  }

  static inline Session* current_ = nullptr;
  Start start_;
  AnswerSource answerSource_ = nullptr;
  void* answerContext_ = nullptr;
  std::vector<int> pendingAnswer_;
  bool answerGiven_ = false;
  bool running_ = false;
  int sessionsStarted_ = 0;
  int hookCalls_ = 0;
};

}  // namespace play

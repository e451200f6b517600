// The program on the headless host, for every harness that plays it (the script runner, the soak,
// the fuzz targets, the tests): input events of every kind the player can give, the program's own
// loop run until idle after each (shell::runUntilIdle), a new run after a quit, and the game
// object's invariants. Header-only, so each tool takes it with nothing more to link.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "board/go_board.h"
#include "platform/core/system.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "problems/catalogue.h"
#include "resources/ids.h"
#include "resources/settings_key.h"
#include "shell/shell.h"

namespace play {

// The menu's commands, the window's "ok" and "cancel", and quit.
constexpr const int (&commandIds)[ids::handledCommandCount] = ids::handledCommands;
constexpr int commandIdCount = ids::handledCommandCount;

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
// Returns false to give none (the box then ends idle). An answer event gives its keys.
using AnswerSource = bool (*)(void* context, Event& event);

// The settings text that holds problem number `n`, as the desktop file would.
inline std::string settingsWithProblemNumber(std::uint32_t n) {
  char text[160];
  std::snprintf(text, sizeof text, "%s\n%s=dword:%08x\n", settings::keySection,
                settings::problemNumberName, static_cast<unsigned>(n));
  return text;
}

// The program on the headless host, from start-up; a quit ends the run and the next event
// starts a new one, as a new run of the program would.
class Session {
 public:
  // What the host holds at the first start: the settings text (none when empty; left as the
  // host has it when not given), the language (the host's when not given), and whether sound
  // plays.
  struct Start {
    std::optional<std::string> settings = std::string();
    std::optional<int> language = platform::languageEnglish;
    bool audio = true;
  };

  explicit Session(const Start& start) : start_(start) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() {
    if (current_ == this) {
      current_ = nullptr;
      platform::headless::setWaitHook(nullptr);
    }
  }

  void setAnswerSource(AnswerSource source, void* context) {
    answerSource_ = source;
    answerContext_ = context;
  }
  // Sees every message the loop takes; false leaves the message out.
  void setObserver(shell::MessageObserver observer, void* context) {
    observer_ = observer;
    observerContext_ = context;
  }

  // Starts the program; "" or why it did not start (exitCode() then tells its code).
  std::string begin() {
    current_ = this;
    platform::headless::setWaitHook(&Session::waitHook);
    if (start_.language) platform::headless::setLanguage(*start_.language);
    platform::headless::setAudioAvailable(start_.audio);
    platform::headless::setSettingsSaveFails(false);
    if (!sessionsStarted_++ && start_.settings) {
      if (start_.settings->empty())
        platform::headless::clearSettings();
      else
        platform::headless::setSettingsText(*start_.settings);
    }
    const shell::StartResult started = shell::restart();
    if (!started.running) {
      exitCode_ = started.exitCode;
      return "the start-up ended with " + std::to_string(started.exitCode);
    }
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
      answerNextBox(e.keys);
      return "";
    }
    if (e.kind == Kind::command)
      platform::postMessage(shell::state.mainWindow, platform::msg::command,
                            static_cast<platform::WParam>(e.code & 0xffff), 0);
    else
      push(e);
    return pump();
  }

  // The keys for the next modal box that waits for input (none: the box ends idle).
  void answerNextBox(const std::vector<int>& keys) {
    pendingAnswer_ = keys;
    answerGiven_ = true;
  }

  // Runs the message loop until idle, for what was done to the program directly.
  std::string run() { return running_ ? pump() : ""; }

  int sessions() const { return sessionsStarted_; }
  bool running() const { return running_; }
  // The code the last run ended with (its quit, or a start-up that stopped).
  int exitCode() const { return exitCode_; }

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
  // Runs the program's loop until idle; a quit ends the run through the program's exit path.
  std::string pump() {
    hookCalls_ = 0;
    const shell::LoopResult result = shell::runUntilIdle(observer_, observerContext_);
    switch (result.end) {
      case shell::LoopResult::End::idle:
        return "";
      case shell::LoopResult::End::quit:
        running_ = false;
        exitCode_ = result.exitCode;
        return "";
      case shell::LoopResult::End::busy:
        break;
    }
    return "the message loop never goes idle";
  }

  static void pushKeys(const std::vector<int>& keys) {
    for (int k : keys) platform::headless::pushEvent({platform::host::EventKind::key, 0, 0, k});
  }

  static bool waitHook() {
    Session* s = current_;
    if (s == nullptr) return false;
    // A box that keeps asking gets no more input, so every event ends.
    if (++s->hookCalls_ > 64) return false;
    if (s->answerGiven_) {
      s->answerGiven_ = false;
      pushKeys(s->pendingAnswer_);
      return !s->pendingAnswer_.empty();
    }
    Event e;
    if (s->answerSource_ == nullptr || !s->answerSource_(s->answerContext_, e)) return false;
    if (e.kind == Kind::answer) {
      pushKeys(e.keys);
      return !e.keys.empty();
    }
    if (e.kind == Kind::command) return false;
    push(e);
    return true;
  }

  static inline Session* current_ = nullptr;
  Start start_;
  AnswerSource answerSource_ = nullptr;
  void* answerContext_ = nullptr;
  shell::MessageObserver observer_ = nullptr;
  void* observerContext_ = nullptr;
  std::vector<int> pendingAnswer_;
  bool answerGiven_ = false;
  bool running_ = false;
  int sessionsStarted_ = 0;
  int hookCalls_ = 0;
  int exitCode_ = 0;
};

}  // namespace play

// The program on the headless host, for every harness that plays it (the script runner, the soak,
// the fuzz targets, the tests): input events of every kind the player can give, the program's own
// loop run until idle after each (shell::runUntilIdle), and a new run after a quit. Header-only,
// so each tool takes it with nothing more to link.
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

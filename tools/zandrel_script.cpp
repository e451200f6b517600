// zandrel-script: runs the real program code on the headless host, driven by a script of commands
// (one a line) from a file or standard input. After each command the message loop runs until idle.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "board/go_board.h"
#include "platform/core/system.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "resources/ids.h"
#include "resources/settings_key.h"
#include "shell/interface_strings.h"
#include "shell/shell.h"
#include "tools/play_session.h"
#include "view/status_banner.h"

namespace {

struct ScriptError {
  int status;
  std::string message;
};

[[noreturn]] void fail(const std::string& message, int status = 2) {
  throw ScriptError{status, message};
}

// The program run by the script, and what the script has seen of it.
struct Script {
  // The settings and the language are the host's, as the script's own commands set them.
  play::Session session{play::Session::Start{std::nullopt, std::nullopt, true}};
  bool anythingDone = false;            // a command other than screen and lang ran
  std::vector<unsigned> notifications;  // handled since the last dump
  bool started = false;
  bool ended() const { return started && !session.running(); }
};

bool recordNotification(void* context, const platform::Message& message) {
  if (message.id >= notifyMoveAccepted && message.id <= notifyProblemOpened)
    static_cast<Script*>(context)->notifications.push_back(message.id);
  return true;
}

// A box that opens with no answer given ("dialog") is closed with Escape, so "About" closes at
// once.
bool escapeBox(void*, play::Event& event) {
  event.kind = play::Kind::answer;
  event.keys = {platform::key::escape};
  return true;
}

// Runs the message loop until nothing is left to do, or the quit.
void runUntilIdle(Script& script) {
  const std::string failure = script.session.run();
  if (!failure.empty()) fail(failure, 1);
}

void ensureStarted(Script& script) {
  if (script.started) return;
  script.started = true;
  // A start-up that stops ends the script with its code.
  const std::string failure = script.session.begin();
  if (failure.empty() || !script.session.running()) return;
  fail(failure, 1);
}

bool parseInt(const std::string& text, long long low, long long high, long long& out) {
  if (text.empty() || text.size() > 12) return false;
  std::size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return false;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  if (text[0] == '-') value = -value;
  if (value < low || value > high) return false;
  out = value;
  return true;
}

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string jsonPoint(const BoardPoint& p) {
  std::string text = "[";
  text += std::to_string(p.column);
  text += ", ";
  text += std::to_string(p.row);
  text += ']';
  return text;
}

std::string utf8(const char16_t* text) {
  std::string out;
  for (; text != nullptr && *text != 0; ++text) {
    char32_t c = *text;
    if (c >= 0xD800 && c < 0xDC00 && text[1] >= 0xDC00 && text[1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (*++text - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

const char* cursorName(platform::Cursor cursor) {
  switch (cursor) {
    case platform::Cursor::hand:
      return "hand";
    case platform::Cursor::hourglass:
      return "hourglass";
    default:
      return "arrow";
  }
}

template <typename T>
std::string jsonList(const std::vector<T>& items, bool quoted) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::ostringstream item;
    item << items[i];
    out += (i > 0 ? ", " : "") + (quoted ? jsonString(item.str()) : item.str());
  }
  return out + "]";
}

const char16_t* softKeyCaption() {
  switch (shell::state.softKeyState) {
    case 1:
      return shell::strings.nextVariationCaption;
    case 2:
      return shell::strings.nextProblemCaption;
    default:
      return shell::strings.hintCaption;
  }
}

void dump(Script& script) {
  const GoBoard& b = goBoard;
  platform::headless::Record record = platform::headless::takeRecord();
  std::ostringstream out;
  out << "{\"problemNumber\": " << b.problemNumber
      << ", \"problemLoaded\": " << int{b.problemLoaded}
      << ", \"setupText\": " << jsonString(b.setupText)
      << ", \"treeText\": " << jsonString(b.treeText) << ", \"nodeCount\": " << b.nodeCount
      << ", \"sideToMove\": " << b.sideToMove << ", \"moveNumber\": " << b.moveNumber
      << ", \"history\": " << jsonString(b.history) << ", \"lastMove\": " << jsonPoint(b.lastMove)
      << ", \"markedPoint\": " << jsonPoint(b.markedPoint)
      << ", \"columnsShown\": " << b.columnsShown << ", \"rowsShown\": " << b.rowsShown
      << ", \"cellSize\": " << b.cellSize << ", \"stoneRadius\": " << b.stoneRadius
      << ", \"currentNode\": " << b.currentNode << ", \"currentDepth\": " << b.currentDepth
      << ", \"solved\": " << int{b.solved} << ", \"failed\": " << int{b.failed}
      << ", \"variationPending\": " << int{b.variationPending}
      << ", \"offTree\": " << int{b.offTree} << ", \"branchNode\": " << b.branchNode
      << ", \"branchChild\": " << b.branchChild << ", \"freePlay\": " << b.freePlay
      << ", \"soundOn\": " << int{b.soundOn}
      << ", \"softKey\": " << jsonString(utf8(softKeyCaption()))
      << ", \"banner\": " << jsonString(utf8(banner::standingText())) << ", \"cursor\": \""
      << cursorName(platform::headless::cursor()) << "\", \"board\": [";
  for (int row = 1; row <= b.rowsShown; ++row) {
    std::string line;
    for (int column = 1; column <= b.columnsShown; ++column) {
      const Colour c = GoBoard::cellColour(b.cells[column][row]);
      line += c == black ? 'X' : c == white ? 'O' : '.';
    }
    out << (row > 1 ? ", " : "") << jsonString(line);
  }
  out << "], \"sounds\": " << jsonList(record.sounds, true)
      << ", \"notifications\": " << jsonList(script.notifications, false)
      << ", \"sleeps\": " << jsonList(record.sleeps, false) << "}";
  script.notifications.clear();
  std::cout << out.str() << '\n';
}

void runCommand(Script& script, const std::vector<std::string>& words) {
  const std::string& command = words[0];
  const std::size_t arguments = words.size() - 1;
  auto expectArguments = [&](std::size_t n, const char* usage) {
    if (arguments != n) fail(std::string("usage: ") + usage);
  };

  if (command == "screen") {
    expectArguments(2, "screen WIDTH HEIGHT");
    if (script.anythingDone) fail("screen must come before anything else");
    long long w, h;
    if (!parseInt(words[1], platform::minScreenSide, platform::maxScreenSide, w) ||
        !parseInt(words[2], platform::minScreenSide, platform::maxScreenSide, h))
      fail("screen needs a width and a height, each a whole number from " +
           std::to_string(platform::minScreenSide) + " to " +
           std::to_string(platform::maxScreenSide));
    platform::setScreenSize(static_cast<int>(w), static_cast<int>(h));
    // The game object read the screen when it was built: build it again for the new screen.
    std::destroy_at(&goBoard);
    std::construct_at(&goBoard);
    return;
  }
  if (command == "lang") {
    expectArguments(1, "lang en|zh");
    if (script.started) fail("lang must come before the program starts");
    if (words[1] == "en")
      platform::headless::setLanguage(platform::languageEnglish);
    else if (words[1] == "zh")
      platform::headless::setLanguage(platform::languageChinese);
    else
      fail("lang must be en or zh");
    return;
  }

  if (command == "saved") {
    expectArguments(1, "saved N|none");
    if (script.started) fail("saved must come before the program starts");
    if (words[1] == "none") {
      platform::headless::clearSettings();
      return;
    }
    long long value;
    if (!parseInt(words[1], 0, 4294967295LL, value))
      fail("saved needs a whole number from 0 to 4294967295, or none");
    platform::Key key = nullptr;
    if (!platform::createKey(settings::keyPath, key) ||
        !platform::setValue(key, settings::problemNumberValue, static_cast<std::uint32_t>(value)) ||
        !platform::closeKey(key))
      fail("the settings could not be written", 1);
    return;
  }

  script.anythingDone = true;
  if (command == "start") {
    expectArguments(0, "start");
    if (script.started) fail("the program has started already");
    ensureStarted(script);
  } else if (command == "command") {
    expectArguments(1, "command ID");
    long long id;
    if (!parseInt(words[1], 0, 65535, id)) fail("command needs an id from 0 to 65535");
    ensureStarted(script);
    platform::postMessage(shell::state.mainWindow, platform::msg::command,
                          static_cast<platform::WParam>(id), 0);
  } else if (command == "softkey") {
    expectArguments(0, "softkey");
    ensureStarted(script);
    platform::postMessage(shell::state.mainWindow, platform::msg::command, ids::command::softKey,
                          0);
  } else if (command == "dialog") {
    expectArguments(1, "dialog TEXT|cancel");
    std::vector<int> keys;
    if (words[1] == "cancel") {
      keys.push_back(platform::key::escape);
    } else {
      for (char c : words[1]) keys.push_back(static_cast<unsigned char>(c));
      keys.push_back(platform::key::enter);
    }
    script.session.answerNextBox(keys);
  } else if (command == "quit") {
    expectArguments(0, "quit");
    ensureStarted(script);
    platform::postMessage(shell::state.mainWindow, platform::msg::command, ids::command::quit, 0);
  } else if (command == "paint") {
    expectArguments(0, "paint");
    ensureStarted(script);
    if (goBoard.mainWindow != nullptr) platform::invalidateRect(goBoard.mainWindow, nullptr, false);
  } else if (command == "png") {
    expectArguments(1, "png PATH");
    ensureStarted(script);
    runUntilIdle(script);
    std::string error;
    if (!platform::headless::writePng(words[1], error)) fail(error, 1);
  } else if (command == "problem") {
    expectArguments(1, "problem RECORD");
    ensureStarted(script);
    if (!goBoard.openRecord(words[1].c_str()))
      fail("problem needs a record text of fewer than 8192 characters from \"0\" to \"o\"");
  } else if (command == "play") {
    expectArguments(2, "play COLUMN ROW");
    long long column, row;
    // Any integers: the rules refuse what is off the board.
    if (!parseInt(words[1], INT_MIN, INT_MAX, column) || !parseInt(words[2], INT_MIN, INT_MAX, row))
      fail("play needs a column and a row, each a whole number that fits in 32 bits");
    if (!goBoard.playMove(static_cast<int>(column), static_cast<int>(row), true))
      std::cout << "refused\n";
  } else if (command == "tap" || command == "move" || command == "secondary") {
    expectArguments(2, (command + " X Y").c_str());
    long long x, y;
    if (!parseInt(words[1], -100000, 100000, x) || !parseInt(words[2], -100000, 100000, y))
      fail(command + " needs client pixel coordinates, two whole numbers");
    ensureStarted(script);
    using platform::host::EventKind;
    const int dx = static_cast<int>(x), dy = static_cast<int>(y) + platform::topBarHeight;
    if (command == "tap") {
      platform::headless::pushEvent({EventKind::stylusDown, dx, dy, 0});
      platform::headless::pushEvent({EventKind::stylusUp, dx, dy, 0});
    } else {
      platform::headless::pushEvent(
          {command == "move" ? EventKind::stylusMove : EventKind::secondaryUp, dx, dy, 0});
    }
  } else if (command == "key") {
    if (arguments > 1) fail("usage: key [CODE]");
    long long code = 13;
    if (arguments == 1 && !parseInt(words[1], 0, INT_MAX, code))
      fail("key needs a key code, a whole number from 0");
    ensureStarted(script);
    platform::headless::pushEvent({platform::host::EventKind::key, 0, 0, static_cast<int>(code)});
  } else if (command == "dump") {
    expectArguments(0, "dump");
    runUntilIdle(script);
    dump(script);
  } else {
    fail("unknown command \"" + command + "\"");
  }
}

std::vector<std::string> splitWords(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: zandrel-script [FILE]\n");
    return 2;
  }
  std::ifstream file;
  std::string name = "<stdin>";
  if (argc == 2) {
    name = argv[1];
    file.open(name);
    if (!file) {
      std::fprintf(stderr, "zandrel-script: cannot open %s\n", name.c_str());
      return 2;
    }
  }
  std::istream& in = argc == 2 ? static_cast<std::istream&>(file) : std::cin;

  Script script;
  script.session.setObserver(recordNotification, &script);
  script.session.setAnswerSource(escapeBox, nullptr);
  std::string line;
  int lineNumber = 0;
  try {
    while (!script.ended() && std::getline(in, line)) {
      ++lineNumber;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::vector<std::string> words = splitWords(line);
      if (words.empty() || words[0][0] == '#') continue;
      runCommand(script, words);
      runUntilIdle(script);
      std::cout.flush();
    }
  } catch (const ScriptError& error) {
    std::cout.flush();
    std::fprintf(stderr, "zandrel-script: %s:%d: %s\n", name.c_str(), lineNumber,
                 error.message.c_str());
    return error.status;
  }
  return script.ended() ? script.session.exitCode() : 0;
}

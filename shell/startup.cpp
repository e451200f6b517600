// Start-up, the main window's procedure and the message loop.
#include "shell/shell.h"

#include "board/go_board.h"
#include "shell/interface_strings.h"

namespace shell {

using namespace platform;

namespace {
constexpr int okCommand = 1;
}

Result windowProcedure(Window window, unsigned message, WParam wParam, LParam lParam) {
  switch (message) {
    case msg::paint:
      if (goBoard.mainWindow == nullptr) break;
      goBoard.onPaint();
      return 0;
    case msg::penUp:
      goBoard.onTap(paramX(lParam), paramY(lParam));
      return 0;
    case msg::penMove:
      goBoard.onPointerMove(paramX(lParam), paramY(lParam));
      return 0;
    case msg::secondaryUp:
      goBoard.onSecondaryButtonUp(paramX(lParam), paramY(lParam));
      return 0;
    case msg::keyDown:
      goBoard.onKey();
      return 0;
    case msg::close:
      postQuitMessage(0);
      return 0;
    case msg::destroy:
      postQuitMessage(0);
      return 0;
    case msg::command:
      if ((wParam & 0xffff) == okCommand) {
        // The window's "ok": say it is no longer active, then close it.
        sendMessage(window, msg::activate, 0, reinterpret_cast<LParam>(window));
        sendMessage(window, msg::close, 0, 0);
        return 0;
      }
      break;
    default:
      break;
  }
  return defaultWindowProcedure(window, message, wParam, lParam);
}

bool startUp() {
  if (!platform::start()) return false;
  chooseLanguage();
  loadWindowStrings();
  if (!registerWindowClass(strings.windowClassName, windowProcedure, 101)) return false;
  Window window = createWindow(strings.windowClassName, strings.windowTitle);
  if (window == nullptr) return false;
  goBoard.mainWindow = window;
  showWindow(window, 1);
  updateWindow(window);
  loadInterfaceStrings();
  goBoard.successText = strings.successText;
  goBoard.failureText = strings.failureText;
  goBoard.goodText = strings.goodText;
  return true;
}

int runMessageLoop() {
  Message message{};
  while (getMessage(message)) {
    translateMessage(message);
    dispatchMessage(message);
  }
  return static_cast<int>(message.wParam);
}

int programMain() {
  if (!startUp()) return 1;
  return runMessageLoop();
}

}  // namespace shell

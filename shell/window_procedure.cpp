// The main window's procedure: platform events, menu commands and the game's notifications.
#include <climits>

#include "board/go_board.h"
#include "shell/interface_strings.h"
#include "shell/shell.h"

namespace shell {

using namespace platform;

namespace {

namespace command = ids::command;

enum SoftKeyState { hint = 0, nextVariation = 1, nextProblem = 2 };

void setSoftKey(int s) {
  if (s == state.softKeyState) return;
  const char16_t* captions[] = {strings.hintCaption, strings.nextVariationCaption,
                                strings.nextProblemCaption};
  setMenuBarButtonText(state.menuBar, command::softKey, captions[s]);
  state.softKeyState = s;
}

// The creation steps: the menu bar, the saved problem number, the title.
bool onCreate(Window window) {
  // Drawing needs the window from the first paint on.
  goBoard.mainWindow = window;
  state.activationInfo = ActivationInfo{};
  state.activationInfo.size = sizeof(ActivationInfo);
  state.menuBar =
      createMenuBar(window, useChinese != 0 ? ids::menuBarChinese : ids::menuBarEnglish);
  if (state.menuBar == nullptr) return false;
  showMenuBar(state.menuBar, true);
  state.menuHandle = menuBarMenu(state.menuBar);
  state.menuPopup = menuBarPopup(state.menuBar, command::menu);
  goBoard.problemNumber = readCurrentProblemNumber();
  state.problemNumberRead = true;
  setWindowText(window, strings.windowTitle);
  return true;
}

// Carries out a command; false when it is none of the window's (default handling then).
bool onCommand(Window window, int id) {
  switch (id) {
    case command::replay:
      if (goBoard.problemLoaded != 0)
        goBoard.indexProblemTree();
      else
        openProblem(goBoard.problemNumber);
      break;
    case command::nextProblem:
      openProblem(goBoard.problemNumber < INT_MAX ? goBoard.problemNumber + 1 : INT_MAX);
      break;
    case command::prevProblem:
      openProblem(goBoard.problemNumber > 1 ? goBoard.problemNumber - 1 : goBoard.problemNumber);
      break;
    case command::selectProblem: {
      const int n = shell::selectProblem(window);
      if (n >= 1) openProblem(n);
      break;
    }
    case command::pass:
      goBoard.answerMove(PassPoint.column, PassPoint.row);
      break;
    case command::mode:
      goBoard.toggleFreePlay();
      break;
    case command::soundOn:
      goBoard.soundOn = goBoard.soundOn != 0 ? 0 : 1;
      checkMenuItem(state.menuPopup, command::soundOn, goBoard.soundOn != 0);
      break;
    case command::aboutMenu:
    case command::about:
      showAbout();
      break;
    case command::quit:
      postQuitMessage(0);
      break;
    case command::back:
      goBoard.takeBack();
      break;
    case command::softKey:
      if (state.softKeyState == hint)
        goBoard.showHint();
      else if (state.softKeyState == nextVariation)
        goBoard.nextVariation();
      else
        postMessage(window, msg::command, command::nextProblem, 0);
      break;
    case command::ok:
      // The window's "ok": it is no longer active, then it closes.
      sendMessage(window, msg::activate, 0, reinterpret_cast<LParam>(window));
      sendMessage(window, msg::close, 0, 0);
      break;
    case command::cancel:
      break;
    default:
      return false;
  }
  return true;
}

}  // namespace

void openProblem(int n) {
  if (n > goBoard.problemCount) n = 1;
  goBoard.problemNumber = n;
  goBoard.loadProblem();
}

Result windowProcedure(Window window, unsigned message, WParam wParam, LParam lParam) {
  switch (message) {
    case msg::create:
      if (!onCreate(window)) postQuitMessage(0);
      return 0;
    case msg::destroy:
      delete[] state.scratchText;
      state.scratchText = nullptr;
      if (state.menuBar != nullptr) destroyMenuBar(state.menuBar);
      state.menuBar = nullptr;
      postQuitMessage(0);
      return 0;
    case msg::activate:
      shellHandleActivate(window, wParam, lParam, &state.activationInfo);
      if ((wParam & 0xffff) != 0) setFocus(window);
      return 0;
    case msg::paint:
      goBoard.onPaint();
      return 0;
    case msg::close:
      postQuitMessage(0);
      return 0;
    case msg::settingChange:
      shellHandleSettingChange(window, wParam, lParam, &state.activationInfo);
      return 0;
    case msg::keyDown:
      goBoard.onKey();
      return 0;
    case msg::command: {
      const int id = static_cast<int>(wParam & 0xffff);
      if (!onCommand(window, id)) break;
      return 0;
    }
    case msg::initMenuPopup:
      return 0;
    case msg::penMove:
      goBoard.onPointerMove(paramX(lParam), paramY(lParam));
      return 0;
    case msg::penUp:
      goBoard.onTap(paramX(lParam), paramY(lParam));
      return 0;
    case msg::secondaryUp:
      goBoard.onSecondaryButtonUp(paramX(lParam), paramY(lParam));
      return 0;
    case notifyMoveAccepted:
    case notifyProblemOpened:
      setSoftKey(hint);
      return 0;
    case notifySolved:
      setSoftKey(nextProblem);
      return 0;
    case notifyFailed:
      return 0;
    case notifyVariationWaiting:
      setSoftKey(nextVariation);
      return 0;
    default:
      break;
  }
  return defaultWindowProcedure(window, message, wParam, lParam);
}

}  // namespace shell

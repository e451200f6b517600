// Start-up: the language, the single instance, the main window and its menu bar, the first
// problem queued; then the message loop and the exit path.
#include <new>

#include "board/go_board.h"
#include "shell/interface_strings.h"
#include "shell/shell.h"

namespace shell {

using namespace platform;

ShellState state{};

namespace {

constexpr int attempts = 5;
constexpr int waitMs = 500;

StartResult ended(int exitCode) {
  return StartResult{false, exitCode};
}

Window markedHandle(Window window) {
  return reinterpret_cast<Window>(reinterpret_cast<std::uintptr_t>(window) | 1);
}

// True when this is the only copy; otherwise another copy was raised or the check failed.
bool claimSingleInstance() {
  for (int attempt = 0; attempt < attempts; ++attempt) {
    bool existed = false;
    Mutex mutex = createNamedMutex(strings.windowClassName, existed);
    if (mutex == nullptr) return false;
    if (!existed) {
      state.instanceMutex = mutex;
      return true;
    }
    closeHandle(mutex);
    Window other = findWindow(strings.windowClassName, strings.windowTitle);
    if (other == nullptr) {
      // The other copy may still be creating its window.
      platform::sleep(waitMs);
      other = findWindow(strings.windowClassName, strings.windowTitle);
    }
    if (other != nullptr) {
      bringToForeground(markedHandle(other));
      return false;
    }
  }
  return false;
}

}  // namespace

StartResult startUp() {
  // A second start in one process (tests, tools) begins from a clean shell.
  delete[] state.scratchText;
  state = ShellState{};
  chooseLanguage();
  loadWindowStrings();
  if (!claimSingleInstance()) return ended(0);
  if (Window other = findWindow(strings.windowClassName, strings.windowTitle)) {
    bringToForeground(markedHandle(other));
    return ended(0);
  }
  // The screen opens only now, so a second copy never shows a window of its own.
  if (!platform::start()) return ended(1);
  registerWindowClass(strings.windowClassName, windowProcedure, ids::iconProgram);
  Window window = createWindow(strings.windowClassName, strings.windowTitle);
  if (window == nullptr) return ended(0);
  state.mainWindow = window;
  if (state.menuBar != nullptr) {
    const Rect r = windowRect(window);
    // The menu bar's height comes off the window's bottom.
    moveWindow(window, r.left, r.top, r.right, r.bottom - menuBarHeight, false);
  }
  showWindow(window, 1);
  updateWindow(window);
  loadInterfaceStrings();
  goBoard.mainWindow = window;
  goBoard.successText = strings.successText;
  goBoard.failureText = strings.failureText;
  goBoard.goodText = strings.goodText;
  state.scratchText = new (std::nothrow) char16_t[scratchTextBytes / sizeof(char16_t)];
  if (state.scratchText == nullptr) return ended(0);
  state.accelerators = loadAccelerators(ids::acceleratorTable);
  postMessage(window, msg::command, ids::command::replay, 0);
  return StartResult{true, 0};
}

}  // namespace shell

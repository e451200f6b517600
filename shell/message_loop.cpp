// The message loop, the exit path, and the same loop run until idle for the program's drivers
// (tools, tests, benchmarks), so every one of them handles input exactly as the program does.
#include <memory>

#include "board/go_board.h"
#include "platform/core/system.h"
#include "shell/shell.h"

namespace shell {

using namespace platform;

void handleMessage(const Message& message) {
  if (translateAccelerator(state.mainWindow, state.accelerators, message)) return;
  translateMessage(message);
  dispatchMessage(message);
}

int runMessageLoop() {
  Message message{};
  while (getMessage(message)) handleMessage(message);
  return static_cast<int>(message.wParam);
}

void shutDown() {
  // A number that was never read (the menu bar failed) must not overwrite the saved one.
  if (state.problemNumberRead) saveCurrentProblemNumber();
}

int programMain() {
  const StartResult start = startUp();
  if (!start.running) return start.exitCode;
  const int code = runMessageLoop();
  shutDown();
  return code;
}

LoopResult runUntilIdle(MessageObserver observer, void* context) {
  Message message{};
  for (long handled = 0; peekMessage(message); ++handled) {
    if (handled >= busyLimit) return LoopResult{LoopResult::End::busy, 0};
    if (observer != nullptr && !observer(context, message)) continue;
    if (message.id == msg::quit) {
      shutDown();
      return LoopResult{LoopResult::End::quit, static_cast<int>(message.wParam)};
    }
    handleMessage(message);
  }
  return LoopResult{LoopResult::End::idle, 0};
}

StartResult restart() {
  resetState();
  std::destroy_at(&goBoard);
  std::construct_at(&goBoard);
  return startUp();
}

}  // namespace shell
